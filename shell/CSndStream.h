// Music streamed from a WAV file through one looping sound buffer that holds 1.2
// seconds of sound. A periodic timer refills it every 50 ms on the timer's thread:
// each refill writes the part played since the previous one, so the written sound
// stays up to 1.2 seconds ahead of what is heard. Looped music starts its data again
// with no gap; a refill in which it did counts one loop, which the window raises as
// "ONMUSICLOOPED" on the host thread in the next frame. Unlooped music ends in silence
// and then no longer plays.
//
// Threads: the stream's lock is its one exclusion. A refill runs wholly under it, and
// every change of the refill state on the host thread takes it, so a refill never sees
// a half-made change and a close that takes it waits for a refill in progress. Stop,
// Pause, Close, Play and the destructor also take the refill timer away, outside the
// lock (removal waits for a callback in progress, which may be waiting for the lock);
// no refill runs after they return. The loop count goes to the window after the lock
// is released. Volume, pan and frequency go to the buffer, which serves both threads.
#pragma once
#include <cstdint>
#include <memory>
#include <mutex>

#include "foundation/CXObject.h"
#include "foundation/CXString.h"
#include "graphics/play/CPlayable.h"
#include "platform/Audio.h"

namespace platform {
class IPeriodicTimer;
}

class CSndStreamSource;
class CStreamedWAV;
class CWindow;

class CSndStream : public CXObject {
public:
    // Milliseconds between two refills.
    static constexpr uint32_t kRefillPeriod = 50;

    // Makes sure the primary buffer exists.
    explicit CSndStream(CWindow* window);
    // Then opens the file; a failure leaves the reader's error code (see CStreamedWAV).
    CSndStream(CWindow* window, CXString fileName);
    ~CSndStream() override;
    CSndStream(const CSndStream&) = delete;
    CSndStream& operator=(const CSndStream&) = delete;

    // Opens the file and fills the buffer from its start; a stream that played stops.
    bool Open(CXString fileName);
    bool StreamBufferSetup(CXString fileName);
    // Streams from the source into its buffer of that format (both owned by the source,
    // which the stream keeps); a stream that played stops.
    bool Open(std::unique_ptr<CSndStreamSource> source, platform::IAudioBuffer* buffer,
              const platform::WaveFormat& format);
    // The whole buffer from the read position; data that ends first starts again
    // (no loop is counted for it). The next write offset and the progress become 0.
    void FillDataBuffer();
    // Reading starts again at the first sample and the buffer is filled anew.
    void ResetWavePlayer();
    void Initialize();

    // Starts the buffer looping from its start, and the refills. Unlooped music plays
    // its data once: when the opening fill had to start it again, what follows its
    // end is silence.
    void Play(bool loop);
    // Done playing; the refills end and the buffer stops.
    void Stop();
    void Pause() { Stop(); }
    // Reading goes back by twice the buffer's size (to the start at most), the buffer
    // is filled anew and plays, unlooped.
    void Resume();
    // Stops, waits for a refill in progress and lets go of the file and the buffer.
    // Only an opened stream closes; a second Close does nothing.
    void Close();
    bool IsPlaying() const;

    // Passed unchanged to the buffer when there is one.
    void setVolume(int volume);
    void setPan(int pan);
    void setFreq(int frequency);
    int32_t getVolume() const;

    uint32_t GetProgress() const;
    uint32_t GetNextWriteOffset() const;
    uint32_t GetBytesRemaining() const;
    uint32_t GetBufferSize() const;
    uint16_t GetBitsPerSample() const;
    bool HasReachedEnd() const { return false; }
    bool DonePlaying() const;
    bool IsLooped() const;
    bool FoundEnd() const;
    void AddNextWriteOffset(int bytes);
    void SetDonePlaying(bool done);
    void SetFoundEnd(bool found);
    void SetBytesRemaining(int bytes);
    void MoveProgress(int bytes);
    void SWStartRead();
    void SWClose();
    int SWRead(int count, void* destination);

    // Counts a loop with the window (on the refill's thread); the window raises it.
    void loopStarted();
    // The refill; the periodic timer runs it.
    void TimeFunc();

    bool isOpened() const { return m_opened; }
    bool isTimerRunning() const { return m_timerRunning; }
    // The streaming buffer (owned by the reader); none before a successful open.
    platform::IAudioBuffer* getBuffer() const { return m_buffer; }

private:
    // Removes the refill timer; returns once no refill runs. Host thread, stream
    // lock not held.
    void killTimer();
    // The fill and the refill, with the stream's lock held; the refill tells whether the
    // data started again.
    void fillLocked();
    bool refillLocked();
    void silence(void* part, uint32_t bytes) const;
    // Reads up to `bytes` into the part, starting the data again when `restart` is set
    // and the data ends; the bytes of data written.
    uint32_t readPart(uint8_t* part, uint32_t bytes, bool restart, bool* restarted);
    void silenceWholeBuffer();

    CWindow* m_window = nullptr;
    bool m_opened = false;
    bool m_playing = false;
    bool m_timerRunning = false;
    uint32_t m_timerId = 0;
    platform::IPeriodicTimer* m_timer = nullptr;
    platform::IAudioBuffer* m_primaryBuffer = nullptr;
    platform::IAudioBuffer* m_buffer = nullptr;
    // Sets up the stream over the reader and its buffer, with the lock held; false (the
    // error code set) without a buffer.
    bool adoptLocked(std::unique_ptr<CSndStreamSource> reader, platform::IAudioBuffer* buffer);

    std::unique_ptr<CSndStreamSource> m_reader;

    // Refill state, under m_mutex.
    mutable std::mutex m_mutex;
    bool m_foundEnd = false;
    bool m_donePlaying = false;
    bool m_looped = false;
    uint32_t m_progress = 0;
    uint32_t m_bufferSize = 0;
    uint32_t m_bytesRemaining = 0;
    uint32_t m_nextWriteOffset = 0;
    // Where the opening fill found the data's end first; -1 when it did not.
    int64_t m_fillEnd = -1;
    platform::WaveFormat m_format;
};

// An animation's streamed frame sound as a playable: play() streams the file once from
// its start, stop ends it, pause and resume act as the stream's own.
class CStreamedSound : public CPlayable {
public:
    // Opens the file; isOpen tells whether it can play.
    CStreamedSound(CWindow* window, CXString fileName);
    ~CStreamedSound() override;
    bool isOpen() const { return m_stream->LastError() == 0; }
    CSndStream* getStream() const { return m_stream.get(); }

    void play() override;
    void stop(bool notifyObservers) override;
    void pause() override;
    void resume() override;
    void seek(int) override {}
    bool isPlaying() override;
    void setVolume(int volume) override;
    void setPanning(int panning) override;
    void setFrequency(int frequency) override;

private:
    std::unique_ptr<CSndStream> m_stream;
};
