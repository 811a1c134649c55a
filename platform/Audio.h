// The audio device, in the units the engine has always used: a device object, one
// primary buffer whose format sets the mix, and secondary buffers that hold sound data,
// written through a two-part lock and unlock and played once or looped. Volume is in
// hundredths of a decibel (0 full, -10000 silent; gain 10^(v/2000)), pan from -10000
// (left) to 10000 (right), frequency in Hz (0 for the buffer's own rate). Out-of-range
// values and formats the device cannot play are refused with a result code and the
// setting is kept.
//
// Two software implementations share one buffer model whose play cursors follow a clock:
// ManualAudioSystem (tests and headless runs: the installed platform clock, every call
// recorded, switches that make the device or the primary buffer fail) and
// NullAudioSystem (silent; the real clock). MixingAudioSystem is the real one: its cursors
// advance by what its mixer has sent to an output, SdlAudioSystem's being SDL's audio
// callback. Buffers are owned by their callers and may outlive the device.
#pragma once
#include <cstdint>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

namespace platform {

// Result codes.
constexpr int32_t kAudioOk = 0;
constexpr int32_t kAudioFailed = static_cast<int32_t>(0x80004005u);
constexpr int32_t kAudioInvalidParam = static_cast<int32_t>(0x80070057u);
constexpr int32_t kAudioBadFormat = static_cast<int32_t>(0x88780064u);
constexpr int32_t kAudioInvalidCall = static_cast<int32_t>(0x88780032u);
constexpr int32_t kAudioControlUnavailable = static_cast<int32_t>(0x8878001Eu);
constexpr int32_t kAudioNoDriver = static_cast<int32_t>(0x88780078u);

// Buffer description flags.
constexpr uint32_t kBufferPrimary = 0x1;
constexpr uint32_t kBufferCtrlFrequency = 0x20;
constexpr uint32_t kBufferCtrlPan = 0x40;
constexpr uint32_t kBufferCtrlVolume = 0x80;
constexpr uint32_t kBufferExactCursor = 0x10000;

// Status bits.
constexpr uint32_t kStatusPlaying = 0x1;
constexpr uint32_t kStatusLooping = 0x4;

// Lock flags.
constexpr uint32_t kLockFromWriteCursor = 0x1;
constexpr uint32_t kLockEntireBuffer = 0x2;

// Cooperative levels.
constexpr uint32_t kLevelNormal = 1;
constexpr uint32_t kLevelPriority = 2;

// Ranges.
constexpr int32_t kVolumeMin = -10000;
constexpr int32_t kVolumeMax = 0;
constexpr int32_t kPanLeft = -10000;
constexpr int32_t kPanRight = 10000;
constexpr uint32_t kFrequencyMin = 100;
constexpr uint32_t kFrequencyMax = 200000;
constexpr uint32_t kBufferBytesMin = 4;
constexpr uint32_t kBufferBytesMax = 0x0FFFFFFF;

constexpr uint16_t kWaveFormatPcm = 1;

// The 18-byte wave format record.
struct WaveFormat {
    uint16_t formatTag = 0;
    uint16_t channels = 0;
    uint32_t samplesPerSec = 0;
    uint32_t avgBytesPerSec = 0;
    uint16_t blockAlign = 0;
    uint16_t bitsPerSample = 0;
    uint16_t extraSize = 0;
};

// Whether the device plays this format: PCM, 1 or 2 channels of 8 or 16 bits, a rate in
// the frequency range and consistent block and byte rates.
bool isPlayableFormat(const WaveFormat& f);

struct BufferDesc {
    uint32_t flags = 0;
    uint32_t bufferBytes = 0;       // 0 for the primary buffer
    const WaveFormat* format = nullptr;  // none for the primary buffer
};

// What a device answers to a buffer description: kAudioOk, kAudioInvalidParam for a
// size or format where none belongs, or kAudioBadFormat for a format it cannot play.
int32_t checkBufferDesc(const BufferDesc& desc);

class IAudioBuffer {
public:
    virtual ~IAudioBuffer() = default;
    // Locks bytes from the offset; a range past the end wraps into the second part.
    virtual int32_t lock(uint32_t offset, uint32_t bytes, void** part1, uint32_t* bytes1,
                         void** part2, uint32_t* bytes2, uint32_t flags) = 0;
    virtual int32_t unlock(void* part1, uint32_t bytes1, void* part2, uint32_t bytes2) = 0;
    virtual int32_t play(bool looping) = 0;
    virtual int32_t stop() = 0;
    virtual int32_t getStatus(uint32_t* status) = 0;
    virtual int32_t getCurrentPosition(uint32_t* playCursor, uint32_t* writeCursor) = 0;
    virtual int32_t setCurrentPosition(uint32_t position) = 0;
    virtual int32_t setVolume(int32_t volume) = 0;
    virtual int32_t getVolume(int32_t* volume) = 0;
    virtual int32_t setPan(int32_t pan) = 0;
    virtual int32_t getPan(int32_t* pan) = 0;
    virtual int32_t setFrequency(uint32_t hz) = 0;
    virtual int32_t getFrequency(uint32_t* hz) = 0;
    // Primary buffer only: the mix format.
    virtual int32_t setFormat(const WaveFormat& format) = 0;
    virtual int32_t getFormat(WaveFormat* format) = 0;
};

class IAudioDevice {
public:
    virtual ~IAudioDevice() = default;
    virtual int32_t setCooperativeLevel(uint32_t level) = 0;
    virtual int32_t createBuffer(const BufferDesc& desc, std::unique_ptr<IAudioBuffer>* out) = 0;
};

class IAudioSystem {
public:
    virtual ~IAudioSystem() = default;
    // The default output device.
    virtual int32_t createDevice(std::unique_ptr<IAudioDevice>* out) = 0;
};

struct SoftAudioState;

// The software model behind both implementations.
class SoftwareAudioSystem : public IAudioSystem {
public:
    ~SoftwareAudioSystem() override;
    int32_t createDevice(std::unique_ptr<IAudioDevice>* out) override;

protected:
    // now(): milliseconds of the clock the cursors follow.
    SoftwareAudioSystem(bool record, bool realClock);
    std::shared_ptr<SoftAudioState> m_state;
};

// Silent; cursors follow the real clock.
class NullAudioSystem : public SoftwareAudioSystem {
public:
    NullAudioSystem() : SoftwareAudioSystem(false, true) {}
};

// Cursors follow the installed platform clock; every call is recorded as a line such as
// "buffer 2 play looped" or "buffer 2 setVolume -2000 -> 0".
class ManualAudioSystem : public SoftwareAudioSystem {
public:
    ManualAudioSystem() : SoftwareAudioSystem(true, false) {}
    void setFailDevice(bool fail);
    void setFailPrimary(bool fail);
    // Recording is on at first; a long headless run turns it off.
    void setRecording(bool record);
    std::vector<std::string> calls() const;
    void clearCalls();
    // Lines that start with the prefix.
    std::vector<std::string> callsStartingWith(const std::string& prefix) const;
};

struct MixState;

// The real device: secondary buffers mixed at the primary buffer's format into an
// output that a subclass opens. The output's thread calls render(); buffer calls from
// other threads are safe against it. Devices and buffers may outlive the system; they
// then have no output and nothing plays.
class MixingAudioSystem : public IAudioSystem {
public:
    ~MixingAudioSystem() override;
    int32_t createDevice(std::unique_ptr<IAudioDevice>* out) override;
    // Fills the bytes with the next block of the mix at the mix format; playing
    // buffers' cursors advance by what was mixed.
    void render(uint8_t* out, uint32_t bytes);
    // The format the mix is made at: the primary buffer's, stereo 16-bit 22050 Hz
    // until one is set.
    WaveFormat mixFormat() const;

protected:
    MixingAudioSystem();
    // Opens the output at the format (or keeps it, already open at that format);
    // render() feeds it until closeOutput().
    virtual bool openOutput(const WaveFormat& format) = 0;
    virtual void closeOutput() = 0;
    // A subclass's destructor calls it first: closes the output and leaves the devices
    // and buffers without one.
    void detach();

private:
    friend class MixDevice;
    friend class MixBuffer;
    // Both run with the state's control lock held.
    void closeOutputFor(MixState* state);
    void setOpen(MixState* state, bool open);
    bool setMixFormat(MixState* state, const WaveFormat& format);

    std::shared_ptr<MixState> m_state;
};

// The default output of SDL's audio.
class SdlAudioSystem : public MixingAudioSystem {
public:
    SdlAudioSystem() = default;
    ~SdlAudioSystem() override;
    // Starts SDL's audio and opens the default output; false, with error() telling why,
    // when none opens.
    bool open();
    const std::string& error() const { return m_error; }

protected:
    bool openOutput(const WaveFormat& format) override;
    void closeOutput() override;

private:
    uint32_t m_device = 0;
    WaveFormat m_format;
    bool m_started = false;
    std::string m_error;
};

// The audio system in force: a NullAudioSystem unless another was installed.
IAudioSystem& audio();
// Installs a system (not owned); null restores the default.
void setAudio(IAudioSystem* system);

class ScopedAudio {
public:
    explicit ScopedAudio(IAudioSystem& s) : m_prev(&audio()) { setAudio(&s); }
    ~ScopedAudio() { setAudio(m_prev); }
    ScopedAudio(const ScopedAudio&) = delete;
    ScopedAudio& operator=(const ScopedAudio&) = delete;

private:
    IAudioSystem* m_prev;
};

}  // namespace platform
