// A whole file held in memory, read as bits (most significant first) and as
// little-endian bytes, shorts and ints. Reads past the end of the data give 0.
#pragma once
#include <cstddef>
#include <cstdint>

class CDataBuffer;
class CFile;

class CMemStream {
public:
    // Reads the whole file (from its current length) into memory.
    explicit CMemStream(CFile* file);
    ~CMemStream();

    CMemStream(const CMemStream&) = delete;
    CMemStream& operator=(const CMemStream&) = delete;

    int get_bit();
    // n bits, the first read the most significant; 0 for n below 1.
    uint32_t get_bits(int n);
    // The same, sign-extended from the first bit read.
    int32_t get_signed_bits(int n);
    // These align to the next whole byte first.
    uint8_t get_char();
    int16_t get_shortint();
    int32_t get_int();
    // Copies n bytes from the read pointer without aligning; bytes past the
    // end of the data are copied as 0.
    void get_bytes(void* target, int n);
    // Aligns, then moves the read pointer by n bytes (kept within the data).
    void move(int n);

    int getSize() const { return static_cast<int>(m_size); }
    int getPosition() const { return static_cast<int>(m_pos); }

private:
    void align();
    // Pointer to n whole bytes at the read pointer and past them, or null
    // (pointer then at the end) when fewer are left.
    const uint8_t* take(size_t n);

    size_t m_size = 0;
    CDataBuffer* m_buffer = nullptr;
    size_t m_pos = 0;
    int m_bit = 0;
};
