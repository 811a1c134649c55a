// What a music stream reads its sound from: the samples of a WAV file (CStreamedWAV), or
// sound pulled from a decoder (a movie's sound track). The stream calls it on its refill
// thread under the stream's lock, and on the host thread under the same lock.
#pragma once
#include <cstdint>

class CSndStreamSource {
public:
    virtual ~CSndStreamSource() = default;
    // Up to `count` sample bytes into the destination; fewer (0 at the end) when the
    // sound ends first.
    virtual int Read(int count, void* destination) = 0;
    // Reading starts again at the first sample.
    virtual void StartRead() = 0;
    // The read position in bytes from the first sample, and moving it.
    virtual int32_t getPosition() const = 0;
    virtual void setPosition(int32_t position) = 0;
    // Bytes of the stream's looping buffer.
    virtual uint32_t GetBufferSize() const = 0;
    // Lets go of the file, if any; the buffer stays.
    virtual void Close() = 0;
};
