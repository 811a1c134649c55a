// Video files: opened over bytes the engine's file layer (or memory) hands out, their
// frames decoded in order as 16-bit pixels in the screen's layout, seeks in 100 ns
// units and the sound track at the mix format.
//
// The real system (`LibavVideoSystem`) reads AVI (raw, MS Video 1, RLE, Cinepak, Indeo)
// and MPEG-1 through libav; only those demuxers and decoders are let in. Pixels are
// converted by nearest point and without dithering, so a frame's colour fields are the
// source's own, truncated. A file without video, or with frames larger than
// kVideoMaxSide a side, does not open; a decode error mid-stream ends the stream.
// The test system (`ScriptedVideoSystem`) serves scripted frames and failures by name.
//
// One video is used by one thread at a time, except `readAudio`, which any thread may
// call while another decodes (the audio decoded with the frames waits in a bounded
// queue of its own lock).
#pragma once
#include <cstdint>
#include <map>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

namespace platform {

// The bytes of a video file.
class IVideoInput {
public:
    virtual ~IVideoInput() = default;
    // Up to `size` bytes from the position; 0 at the end, negative on an error.
    virtual int32_t read(uint8_t* buffer, int32_t size) = 0;
    // Moves to the offset from the start; false outside the file.
    virtual bool seek(int64_t offset) = 0;
    virtual int64_t size() = 0;
    // The file's name, as the engine gave it.
    virtual std::string name() const = 0;
};

// Bytes held in memory (fuzzing, benchmarks, tests).
class MemoryVideoInput : public IVideoInput {
public:
    MemoryVideoInput(std::string name, std::vector<uint8_t> bytes)
        : m_name(std::move(name)), m_bytes(std::move(bytes)) {}
    MemoryVideoInput(std::string name, const uint8_t* data, size_t size)
        : m_name(std::move(name)), m_bytes(data, data + size) {}
    int32_t read(uint8_t* buffer, int32_t size) override;
    bool seek(int64_t offset) override;
    int64_t size() override { return static_cast<int64_t>(m_bytes.size()); }
    std::string name() const override { return m_name; }

private:
    std::string m_name;
    std::vector<uint8_t> m_bytes;
    size_t m_position = 0;
};

enum class PixelLayout : int32_t {
    Rgb565 = 0,  // 16-bit 5-6-5, little-endian words
    Rgb555 = 1,  // 15-bit 5-5-5 in 16-bit little-endian words
};

// Largest width and height a video may have.
constexpr int32_t kVideoMaxSide = 8192;
// One second in the units of video times.
constexpr int64_t kVideoSecond = 10000000;

struct VideoFrame {
    // Presentation time from the video's start, in 100 ns units.
    int64_t time = 0;
    // width × height pixels, top row first.
    std::vector<uint16_t> pixels;
};

// Signed 16-bit interleaved samples.
struct VideoAudioFormat {
    int32_t rate = 22050;
    int32_t channels = 2;
};

class IVideo {
public:
    virtual ~IVideo() = default;
    virtual int32_t width() const = 0;
    virtual int32_t height() const = 0;
    // Decodes the next frame into `frame`; false at the end of the stream or on an
    // error (the stream then stays ended until a seek).
    virtual bool nextFrame(VideoFrame* frame) = 0;
    // The next frame is the first one whose time is at or after `time` (100 ns units);
    // false when the stream cannot move there.
    virtual bool seek(int64_t time) = 0;
    virtual bool hasAudio() const = 0;
    // Takes up to `frames` sample frames of the sound decoded so far; the count taken.
    virtual int32_t readAudio(int16_t* samples, int32_t frames) = 0;
    // Sample frames of sound decoded and not taken yet.
    virtual int32_t queuedAudio() const = 0;
    // Drops the sound decoded so far (after a seek).
    virtual void clearAudio() = 0;
};

class IVideoSystem {
public:
    virtual ~IVideoSystem() = default;
    // Null when the bytes hold no video this system plays.
    virtual std::unique_ptr<IVideo> open(std::unique_ptr<IVideoInput> input, PixelLayout layout,
                                         const VideoAudioFormat& audio) = 0;
};

// libav over the input's bytes.
class LibavVideoSystem : public IVideoSystem {
public:
    std::unique_ptr<IVideo> open(std::unique_ptr<IVideoInput> input, PixelLayout layout,
                                 const VideoAudioFormat& audio) override;
};

// Videos described by the test, found by the input's name (case ignored).
struct ScriptedVideo {
    int32_t width = 16;
    int32_t height = 16;
    // Frame i shows `colours[i]` on every pixel at `times[i]`.
    std::vector<int64_t> times;
    std::vector<uint16_t> colours;
    // Decoding frame `failAt` fails (−1: never).
    int32_t failAt = -1;
    // Sound handed out by readAudio, as it is: interleaved at the channel count (one, else
    // two) and the rate the video is opened with, so that a seek to a time goes on with
    // the sound of that time.
    std::vector<int16_t> audio;
};

class ScriptedVideoSystem : public IVideoSystem {
public:
    void add(const std::string& name, ScriptedVideo video);
    std::unique_ptr<IVideo> open(std::unique_ptr<IVideoInput> input, PixelLayout layout,
                                 const VideoAudioFormat& audio) override;
    int opens() const;

private:
    mutable std::mutex m_mutex;
    std::map<std::string, ScriptedVideo> m_videos;
    int m_opens = 0;
};

// The system in force: LibavVideoSystem unless another was installed.
IVideoSystem& videoSystem();
// Installs a system (not owned); null restores the real one.
void setVideoSystem(IVideoSystem* system);

class ScopedVideoSystem {
public:
    explicit ScopedVideoSystem(IVideoSystem& s) : m_prev(&videoSystem()) { setVideoSystem(&s); }
    ~ScopedVideoSystem() { setVideoSystem(m_prev); }
    ScopedVideoSystem(const ScopedVideoSystem&) = delete;
    ScopedVideoSystem& operator=(const ScopedVideoSystem&) = delete;

private:
    IVideoSystem* m_prev;
};

}  // namespace platform
