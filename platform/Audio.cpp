#include "platform/Audio.h"

#include <algorithm>
#include <chrono>
#include <cstdio>

#include "platform/Clock.h"

namespace platform {

struct SoftAudioState {
    std::mutex mutex;
    bool record = false;
    bool realClock = false;
    bool failDevice = false;
    bool failPrimary = false;
    int nextBuffer = 1;
    std::vector<std::string> calls;

    uint32_t now() const {
        if (realClock) {
            using namespace std::chrono;
            return static_cast<uint32_t>(
                duration_cast<milliseconds>(steady_clock::now().time_since_epoch()).count());
        }
        return clock().tickCount();
    }
    void log(const std::string& line, int32_t code) {
        if (!record) return;
        if (code == kAudioOk) {
            calls.push_back(line);
        } else {
            char buf[16];
            std::snprintf(buf, sizeof buf, "%08X", static_cast<uint32_t>(code));
            calls.push_back(line + " -> 0x" + buf);
        }
    }
};

bool isPlayableFormat(const WaveFormat& f) {
    if (f.formatTag != kWaveFormatPcm) return false;
    if (f.channels < 1 || f.channels > 2) return false;
    if (f.bitsPerSample != 8 && f.bitsPerSample != 16) return false;
    if (f.samplesPerSec < kFrequencyMin || f.samplesPerSec > kFrequencyMax) return false;
    if (f.blockAlign != f.channels * f.bitsPerSample / 8) return false;
    return f.avgBytesPerSec == f.samplesPerSec * f.blockAlign;
}

int32_t checkBufferDesc(const BufferDesc& desc) {
    if (desc.flags & kBufferPrimary) {
        return desc.bufferBytes != 0 || desc.format ? kAudioInvalidParam : kAudioOk;
    }
    if (!desc.format || desc.bufferBytes < kBufferBytesMin || desc.bufferBytes > kBufferBytesMax) {
        return kAudioInvalidParam;
    }
    return isPlayableFormat(*desc.format) ? kAudioOk : kAudioBadFormat;
}

namespace {

class SoftBuffer : public IAudioBuffer {
public:
    SoftBuffer(std::shared_ptr<SoftAudioState> state, bool primary, uint32_t flags,
               uint32_t bytes, const WaveFormat* format)
        : m_state(std::move(state)), m_primary(primary), m_flags(flags), m_data(bytes) {
        if (!primary) m_id = m_state->nextBuffer++;
        if (format) m_format = *format;
        if (primary) {
            // The mix starts at the device's default format until the owner sets one.
            m_format = WaveFormat{kWaveFormatPcm, 2, 22050, 88200, 4, 16, 0};
        }
    }

    ~SoftBuffer() override {
        std::lock_guard<std::mutex> g(m_state->mutex);
        m_state->log(name() + " release", kAudioOk);
    }

    int32_t lock(uint32_t offset, uint32_t bytes, void** part1, uint32_t* bytes1, void** part2,
                 uint32_t* bytes2, uint32_t flags) override {
        std::lock_guard<std::mutex> g(m_state->mutex);
        const int32_t r = doLock(offset, bytes, part1, bytes1, part2, bytes2, flags);
        m_state->log(name() + " lock " + std::to_string(offset) + " " + std::to_string(bytes), r);
        return r;
    }

    int32_t unlock(void* part1, uint32_t bytes1, void* part2, uint32_t bytes2) override {
        std::lock_guard<std::mutex> g(m_state->mutex);
        int32_t r = kAudioOk;
        if (m_primary) {
            r = kAudioInvalidCall;
        } else if (!inside(part1, bytes1) || (part2 && !inside(part2, bytes2))) {
            r = kAudioInvalidParam;
        }
        m_state->log(name() + " unlock " + std::to_string(bytes1) + " " + std::to_string(bytes2), r);
        return r;
    }

    int32_t play(bool looping) override {
        std::lock_guard<std::mutex> g(m_state->mutex);
        settle();
        if (!m_playing || m_looping != looping) {
            m_anchorPos = position();
            m_anchorTime = m_state->now();
            m_playing = true;
            m_looping = looping;
        }
        m_state->log(name() + (looping ? " play looped" : " play once"), kAudioOk);
        return kAudioOk;
    }

    int32_t stop() override {
        std::lock_guard<std::mutex> g(m_state->mutex);
        settle();
        m_anchorPos = position();
        m_playing = false;
        m_state->log(name() + " stop", kAudioOk);
        return kAudioOk;
    }

    int32_t getStatus(uint32_t* status) override {
        std::lock_guard<std::mutex> g(m_state->mutex);
        if (!status) return kAudioInvalidParam;
        settle();
        *status = m_playing ? (kStatusPlaying | (m_looping ? kStatusLooping : 0)) : 0;
        m_state->log(name() + " getStatus " + std::to_string(*status), kAudioOk);
        return kAudioOk;
    }

    int32_t getCurrentPosition(uint32_t* playCursor, uint32_t* writeCursor) override {
        std::lock_guard<std::mutex> g(m_state->mutex);
        settle();
        const uint32_t p = position();
        uint32_t w = p;
        if (m_playing && !m_data.empty()) {
            // The device writes about ten milliseconds ahead of what it plays.
            const uint64_t lead = uint64_t(rate()) * 10 / 1000 / blockAlign() * blockAlign();
            w = static_cast<uint32_t>((p + lead) % m_data.size());
        }
        if (playCursor) *playCursor = p;
        if (writeCursor) *writeCursor = w;
        m_state->log(name() + " getCurrentPosition " + std::to_string(p), kAudioOk);
        return kAudioOk;
    }

    int32_t setCurrentPosition(uint32_t pos) override {
        std::lock_guard<std::mutex> g(m_state->mutex);
        int32_t r = kAudioOk;
        if (m_primary) {
            r = kAudioInvalidCall;
        } else if (pos >= m_data.size()) {
            r = kAudioInvalidParam;
        } else {
            settle();
            m_anchorPos = pos / blockAlign() * blockAlign();
            m_anchorTime = m_state->now();
        }
        m_state->log(name() + " setCurrentPosition " + std::to_string(pos), r);
        return r;
    }

    int32_t setVolume(int32_t v) override {
        std::lock_guard<std::mutex> g(m_state->mutex);
        int32_t r = kAudioOk;
        if (!(m_flags & kBufferCtrlVolume)) r = kAudioControlUnavailable;
        else if (v < kVolumeMin || v > kVolumeMax) r = kAudioInvalidParam;
        else m_volume = v;
        m_state->log(name() + " setVolume " + std::to_string(v), r);
        return r;
    }

    int32_t getVolume(int32_t* v) override {
        std::lock_guard<std::mutex> g(m_state->mutex);
        if (!(m_flags & kBufferCtrlVolume)) return kAudioControlUnavailable;
        if (!v) return kAudioInvalidParam;
        *v = m_volume;
        return kAudioOk;
    }

    int32_t setPan(int32_t p) override {
        std::lock_guard<std::mutex> g(m_state->mutex);
        int32_t r = kAudioOk;
        if (!(m_flags & kBufferCtrlPan)) r = kAudioControlUnavailable;
        else if (p < kPanLeft || p > kPanRight) r = kAudioInvalidParam;
        else m_pan = p;
        m_state->log(name() + " setPan " + std::to_string(p), r);
        return r;
    }

    int32_t getPan(int32_t* p) override {
        std::lock_guard<std::mutex> g(m_state->mutex);
        if (!(m_flags & kBufferCtrlPan)) return kAudioControlUnavailable;
        if (!p) return kAudioInvalidParam;
        *p = m_pan;
        return kAudioOk;
    }

    int32_t setFrequency(uint32_t hz) override {
        std::lock_guard<std::mutex> g(m_state->mutex);
        int32_t r = kAudioOk;
        if (m_primary || !(m_flags & kBufferCtrlFrequency)) {
            r = kAudioControlUnavailable;
        } else if (hz != 0 && (hz < kFrequencyMin || hz > kFrequencyMax)) {
            r = kAudioInvalidParam;
        } else {
            // Cursors keep their place; the new rate counts from now.
            settle();
            m_anchorPos = position();
            m_anchorTime = m_state->now();
            m_frequency = hz;
        }
        m_state->log(name() + " setFrequency " + std::to_string(hz), r);
        return r;
    }

    int32_t getFrequency(uint32_t* hz) override {
        std::lock_guard<std::mutex> g(m_state->mutex);
        if (m_primary || !(m_flags & kBufferCtrlFrequency)) return kAudioControlUnavailable;
        if (!hz) return kAudioInvalidParam;
        *hz = m_frequency ? m_frequency : m_format.samplesPerSec;
        return kAudioOk;
    }

    int32_t setFormat(const WaveFormat& f) override {
        std::lock_guard<std::mutex> g(m_state->mutex);
        int32_t r = kAudioOk;
        if (!m_primary) r = kAudioInvalidCall;
        else if (!isPlayableFormat(f)) r = kAudioBadFormat;
        else m_format = f;
        m_state->log(name() + " setFormat " + std::to_string(f.channels) + "x" +
                         std::to_string(f.bitsPerSample) + " " + std::to_string(f.samplesPerSec),
                     r);
        return r;
    }

    int32_t getFormat(WaveFormat* f) override {
        std::lock_guard<std::mutex> g(m_state->mutex);
        if (!f) return kAudioInvalidParam;
        *f = m_format;
        return kAudioOk;
    }

private:
    std::string name() const {
        return m_primary ? std::string("primary") : "buffer " + std::to_string(m_id);
    }
    uint32_t blockAlign() const { return m_format.blockAlign ? m_format.blockAlign : 1; }
    // Bytes per second at the current frequency.
    uint64_t rate() const {
        const uint64_t hz = m_frequency ? m_frequency : m_format.samplesPerSec;
        return hz * blockAlign();
    }

    // The play cursor now; settle() must have run.
    uint32_t position() const {
        if (!m_playing || m_data.empty()) return m_anchorPos;
        const uint64_t advanced = advancedBytes();
        if (m_looping) return static_cast<uint32_t>((m_anchorPos + advanced) % m_data.size());
        return static_cast<uint32_t>(m_anchorPos + advanced);
    }

    uint64_t advancedBytes() const {
        const uint32_t elapsed = m_state->now() - m_anchorTime;
        return uint64_t(elapsed) * rate() / 1000 / blockAlign() * blockAlign();
    }

    // A one-shot that has reached its end stops, its cursor back at the start.
    void settle() {
        if (!m_playing || m_looping || m_primary) return;
        if (m_anchorPos + advancedBytes() >= m_data.size()) {
            m_playing = false;
            m_anchorPos = 0;
        }
    }

    bool inside(void* p, uint32_t n) const {
        if (!p) return n == 0;
        const uint8_t* b = static_cast<const uint8_t*>(p);
        return b >= m_data.data() && b + n <= m_data.data() + m_data.size();
    }

    int32_t doLock(uint32_t offset, uint32_t bytes, void** part1, uint32_t* bytes1, void** part2,
                   uint32_t* bytes2, uint32_t flags) {
        if (m_primary) return kAudioInvalidCall;
        if (!part1 || !bytes1) return kAudioInvalidParam;
        const uint32_t size = static_cast<uint32_t>(m_data.size());
        if (flags & kLockFromWriteCursor) {
            settle();
            offset = position();
        }
        if (flags & kLockEntireBuffer) bytes = size;
        if (offset >= size || bytes == 0 || bytes > size) return kAudioInvalidParam;
        const uint32_t first = std::min(bytes, size - offset);
        *part1 = m_data.data() + offset;
        *bytes1 = first;
        if (part2) *part2 = first < bytes ? m_data.data() : nullptr;
        if (bytes2) *bytes2 = bytes - first;
        return kAudioOk;
    }

    std::shared_ptr<SoftAudioState> m_state;
    int m_id = 0;
    bool m_primary;
    uint32_t m_flags;
    std::vector<uint8_t> m_data;
    WaveFormat m_format;
    int32_t m_volume = 0;
    int32_t m_pan = 0;
    uint32_t m_frequency = 0;
    bool m_playing = false;
    bool m_looping = false;
    uint32_t m_anchorPos = 0;
    uint32_t m_anchorTime = 0;
};

class SoftDevice : public IAudioDevice {
public:
    explicit SoftDevice(std::shared_ptr<SoftAudioState> state) : m_state(std::move(state)) {}
    ~SoftDevice() override {
        std::lock_guard<std::mutex> g(m_state->mutex);
        m_state->log("device release", kAudioOk);
    }

    int32_t setCooperativeLevel(uint32_t level) override {
        std::lock_guard<std::mutex> g(m_state->mutex);
        const int32_t r = (level >= 1 && level <= 3) ? kAudioOk : kAudioInvalidParam;
        m_state->log("device setCooperativeLevel " + std::to_string(level), r);
        return r;
    }

    int32_t createBuffer(const BufferDesc& desc, std::unique_ptr<IAudioBuffer>* out) override {
        std::unique_lock<std::mutex> g(m_state->mutex);
        if (!out) return kAudioInvalidParam;
        out->reset();
        const bool primary = (desc.flags & kBufferPrimary) != 0;
        int32_t r = checkBufferDesc(desc);
        if (r == kAudioOk && primary && m_state->failPrimary) r = kAudioFailed;
        if (r == kAudioOk) {
            out->reset(new SoftBuffer(m_state, primary, desc.flags, desc.bufferBytes, desc.format));
        }
        m_state->log(primary ? std::string("device createPrimary")
                             : "device createBuffer " + std::to_string(desc.bufferBytes),
                     r);
        return r;
    }

private:
    std::shared_ptr<SoftAudioState> m_state;
};

NullAudioSystem g_defaultAudio;
IAudioSystem* g_audio = nullptr;

}  // namespace

SoftwareAudioSystem::SoftwareAudioSystem(bool record, bool realClock)
    : m_state(std::make_shared<SoftAudioState>()) {
    m_state->record = record;
    m_state->realClock = realClock;
}

SoftwareAudioSystem::~SoftwareAudioSystem() = default;

int32_t SoftwareAudioSystem::createDevice(std::unique_ptr<IAudioDevice>* out) {
    if (!out) return kAudioInvalidParam;
    std::lock_guard<std::mutex> g(m_state->mutex);
    out->reset();
    const int32_t r = m_state->failDevice ? kAudioNoDriver : kAudioOk;
    if (r == kAudioOk) out->reset(new SoftDevice(m_state));
    m_state->log("createDevice", r);
    return r;
}

void ManualAudioSystem::setFailDevice(bool fail) {
    std::lock_guard<std::mutex> g(m_state->mutex);
    m_state->failDevice = fail;
}

void ManualAudioSystem::setFailPrimary(bool fail) {
    std::lock_guard<std::mutex> g(m_state->mutex);
    m_state->failPrimary = fail;
}

void ManualAudioSystem::setRecording(bool record) {
    std::lock_guard<std::mutex> g(m_state->mutex);
    m_state->record = record;
}

std::vector<std::string> ManualAudioSystem::calls() const {
    std::lock_guard<std::mutex> g(m_state->mutex);
    return m_state->calls;
}

void ManualAudioSystem::clearCalls() {
    std::lock_guard<std::mutex> g(m_state->mutex);
    m_state->calls.clear();
}

std::vector<std::string> ManualAudioSystem::callsStartingWith(const std::string& prefix) const {
    std::lock_guard<std::mutex> g(m_state->mutex);
    std::vector<std::string> out;
    for (const std::string& c : m_state->calls) {
        if (c.compare(0, prefix.size(), prefix) == 0) out.push_back(c);
    }
    return out;
}

IAudioSystem& audio() { return g_audio ? *g_audio : g_defaultAudio; }

void setAudio(IAudioSystem* system) { g_audio = system; }

}  // namespace platform
