// The file side of a music stream: a WAV file on disk, or an entry of the packed big
// file when no file of that name opens. It reads the header, makes the stream's sound
// buffer (1.2 seconds of the file's sound) and then hands out the samples of the
// "data" chunk from its start. A big-file entry is read with positioned reads, so the
// big file's stream, which the host thread seeks and reads, is never moved; the refill
// thread may read while the host thread reads other files.
//
// Only PCM RIFF/WAVE files stream. The "data" chunk ends the samples (what follows it
// is never played), cut to the whole blocks the file holds.
#pragma once
#include <cstdint>
#include <memory>

#include "foundation/CXObject.h"
#include "foundation/CXString.h"
#include "platform/Audio.h"
#include "shell/CSndStreamSource.h"

class CBigFile;
class CFile;
class CWindow;

class CStreamedWAV : public CXObject, public CSndStreamSource {
public:
    // Error codes: found neither on disk nor in the big file; not a PCM RIFF/WAVE file;
    // no sound device, or the device made no buffer for the format.
    static constexpr int kErrorNotFound = 2000;
    static constexpr int kErrorFormat = 2002;
    static constexpr int kErrorBuffer = 2003;

    // Opens the name and stores the buffer it made (or none) through `buffer`; the
    // file's format goes into `format`. A failure leaves its error code.
    CStreamedWAV(CWindow* window, CXString fileName, platform::IAudioBuffer** buffer, platform::WaveFormat* format);
    ~CStreamedWAV() override;
    CStreamedWAV(const CStreamedWAV&) = delete;
    CStreamedWAV& operator=(const CStreamedWAV&) = delete;

    // Lets go of what it holds, then opens the name on disk, else in the big file; true
    // when the header was read and the buffer made.
    bool Open(CXString fileName);
    // Reading starts again at the first sample.
    void StartRead() override;
    // Up to `count` sample bytes into the destination from the read position; fewer
    // (0 at the end) when the data ends first.
    int Read(int count, void* destination) override;
    // The read position in bytes from the first sample (kept inside the data, on a
    // whole block).
    void setPosition(int32_t position) override;
    int32_t getPosition() const override { return static_cast<int32_t>(m_readOffset); }
    uint32_t GetBufferSize() const override { return m_bufferSize; }
    uint32_t getDataSize() const { return m_dataSize; }
    bool isInBigFile() const { return m_inBigFile; }
    // Closes a file of its own; the buffer stays.
    void Close() override;
    // Closes a file of its own and releases the buffer.
    void Flush();

private:
    // Positioned read inside the file or the entry; the bytes read.
    int readAt(uint32_t offset, void* destination, int count);
    // Header and buffer over the file or entry of `length` bytes; sets the error code.
    bool readHeader(uint32_t length);

    std::unique_ptr<CFile> m_file;       // a file on disk
    CBigFile* m_bigFile = nullptr;       // the big file of an entry (not owned)
    CWindow* m_window = nullptr;
    std::unique_ptr<platform::IAudioBuffer> m_buffer;
    platform::WaveFormat* m_format = nullptr;
    uint32_t m_dataSize = 0;
    uint32_t m_bufferSize = 0;
    uint32_t m_dataStart = 0;            // first sample, from the start of the file or entry
    bool m_inBigFile = false;
    int64_t m_baseOffset = 0;            // entry start inside the big file; 0 on disk
    uint32_t m_readOffset = 0;           // bytes read since the first sample
};
