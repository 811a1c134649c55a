// A bounds-checked cursor over bytes: a block in memory, or what remains of a file.
// A read that would pass the end fails the reader; a failed reader stays failed and
// its reads give zeros, so a parser checks ok() once after a group of fields.
// Values are little-endian (le) or big-endian (be), as foundation/ByteOrder.h reads them.
#pragma once
#include <cstddef>
#include <cstdint>

class CFile;
class CXString;

class ByteReader {
public:
    ByteReader(const void* data, size_t size);
    // Reads the file from its current position up to its length.
    explicit ByteReader(CFile* file);

    bool ok() const { return m_ok; }
    // Bytes between the cursor and the end.
    int64_t left() const;
    // The cursor's offset (in a file, its position).
    uint64_t at() const;
    // The bytes at the cursor; null over a file.
    const uint8_t* here() const;
    // Whether n bytes remain; fails the reader when not.
    bool has(uint64_t n);
    // Whether the next four bytes are the magic (the reader over memory only).
    bool startsWith(const char* magic) const;

    bool read(void* out, uint64_t n);
    bool skip(uint64_t n);
    // To an offset inside the block (over memory only).
    bool seek(uint64_t offset);

    uint8_t u8();
    uint16_t le16();
    uint32_t le32();
    uint16_t be16();
    uint32_t be32();
    // An int32 length and that many bytes; the text ends at its first NUL.
    bool text(CXString* out);

private:
    bool fail() { return m_ok = false; }

    const uint8_t* m_data = nullptr;
    size_t m_size = 0;
    size_t m_at = 0;
    CFile* m_file = nullptr;
    bool m_ok = true;
};
