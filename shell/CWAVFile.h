// A small WAV file writer and header reader. Writing lays out "RIFF"/"WAVE", "fmt "
// (16 bytes for PCM, else the whole record with its extra bytes), "fact" (0xFFFFFFFF
// while writing, 0 once closed) and "data"; chunk sizes are fixed when the file is
// closed and an odd data chunk gets a pad byte; the file is written beside its name and
// takes its place only when closed whole. Reading checks the header, takes the
// format record and leaves the file at the start of the samples.
#pragma once
#include <cstdint>
#include <cstdio>
#include <memory>
#include <vector>

#include "platform/Audio.h"
#include "platform/FileSystem.h"

class CWAVFile {
public:
    static constexpr int32_t kOk = 0;
    static constexpr int32_t kFailed = static_cast<int32_t>(0x80004005u);
    static constexpr int32_t kBadArgument = static_cast<int32_t>(0x80070057u);
    static constexpr int32_t kNoFile = static_cast<int32_t>(0x800401F0u);
    static constexpr int32_t kModeRead = 1;
    static constexpr int32_t kModeWrite = 2;

    CWAVFile() = default;
    ~CWAVFile();
    CWAVFile(const CWAVFile&) = delete;
    CWAVFile& operator=(const CWAVFile&) = delete;

    // Mode 1 reads; any other mode writes with the given format, whose extra bytes
    // (extraSize of them, zeros without a pointer) follow it in a non-PCM file.
    int32_t open(const char* name, const platform::WaveFormat* format, int32_t mode,
                 const uint8_t* extra = nullptr);
    // Appends bytes to the data chunk; *written receives the count written.
    int32_t write(uint32_t count, const uint8_t* bytes, uint32_t* written);
    int32_t close();

    // The format record read or written (none before open).
    const platform::WaveFormat* getFormat() const { return m_hasFormat ? &m_format : nullptr; }
    const std::vector<uint8_t>& getExtra() const { return m_extra; }
    // Read mode: size of the "data" chunk. Write mode: bytes written so far.
    uint32_t getSize() const { return m_size; }

private:
    int32_t readHeader();
    int32_t writeHeader();
    int32_t resetFile();

    platform::WaveFormat m_format;
    bool m_hasFormat = false;
    std::vector<uint8_t> m_extra;
    FILE* m_file = nullptr;                                // reading
    std::unique_ptr<platform::AtomicFileWriter> m_writer;  // writing
    int64_t m_dataStart = 0;  // offset of the first sample byte
    int64_t m_factValue = 0;  // offset of the "fact" value
    uint32_t m_size = 0;
    int32_t m_mode = 0;
};
