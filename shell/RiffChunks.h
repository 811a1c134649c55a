// The chunks of a RIFF/WAVE file, found by one bounded scan. Every header read and
// every skip is checked against the bytes present, so a stored size never leads
// outside the file and every scan ends.
#pragma once
#include <cstdint>
#include <functional>

struct RiffChunk {
    // The first byte of the chunk's data, from the start of the file.
    int64_t offset = 0;
    // The size as stored.
    uint32_t size = 0;
    // The bytes of the data within the file: the stored size cut at the file's end.
    uint32_t present = 0;
};

class RiffScanner {
public:
    // Reads up to count bytes at the offset (from the file's start) into destination;
    // the bytes read, 0 or less when nothing could be read.
    using Reader = std::function<int64_t(int64_t offset, void* destination, int64_t count)>;
    // How a chunk of odd size is followed: at once by the next chunk (sizes are skipped
    // as stored), or by a pad byte first (word-aligned, as CWAVFile writes them).
    enum class Padding { kNone, kWord };

    RiffScanner(Reader reader, int64_t length, Padding padding);

    // The first 12 bytes are "RIFF", a size and "WAVE"; the scan then goes on behind them.
    bool readHeader();
    // From the scan position, the chunk named id (4 bytes); the scan position moves
    // behind its data. False when the file ends first.
    bool find(const char* id, RiffChunk* chunk);
    // Exactly count bytes at the offset; false when the file has fewer there.
    bool read(int64_t offset, void* destination, int64_t count) const;

    int64_t length() const { return m_length; }
    // Where the next find starts.
    void seek(int64_t position) { m_position = position; }

private:
    Reader m_reader;
    int64_t m_length = 0;
    Padding m_padding = Padding::kNone;
    int64_t m_position = 0;
};
