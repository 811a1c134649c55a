#include <algorithm>
#include <cstring>

#include "platform/Audio.h"
#include "platform/AudioMixer.h"

namespace platform {

class MixBuffer;

// Shared by the system, its devices and their buffers. Two locks: `control` orders the
// opening and closing of the output (never taken by render, so closing may wait for the
// output's thread); `mix` guards the buffers and the mix format, and render takes it.
struct MixState {
    std::mutex control;
    MixingAudioSystem* owner = nullptr;  // under control; none once detached
    int devices = 0;                     // under control
    bool outputOpen = false;             // under control

    mutable std::mutex mix;
    bool live = false;  // the output is open: what plays advances
    WaveFormat format{kWaveFormatPcm, 2, 22050, 88200, 4, 16, 0};
    std::vector<MixBuffer*> buffers;
    std::vector<MixSource*> sources;  // render's list of the playing ones
    AudioMixer mixer;
};

namespace {

bool sameFormat(const WaveFormat& a, const WaveFormat& b) {
    return a.channels == b.channels && a.bitsPerSample == b.bitsPerSample &&
           a.samplesPerSec == b.samplesPerSec;
}

}  // namespace

// Hands out copies of the locked bytes and writes them back on unlock, under the mix
// lock, so the output's thread never reads bytes while the host writes them.
class MixBuffer : public IAudioBuffer {
public:
    MixBuffer(std::shared_ptr<MixState> state, bool primary, uint32_t flags, uint32_t bytes,
              const WaveFormat* format)
        : m_state(std::move(state)), m_primary(primary), m_flags(flags), m_data(bytes) {
        if (format) m_format = *format;
        m_source.data = m_data.data();
        m_source.bytes = bytes;
        m_source.channels = m_format.channels;
        m_source.bits = m_format.bitsPerSample;
        m_source.rate = m_format.samplesPerSec;
        std::lock_guard<std::mutex> g(m_state->mix);
        if (primary) m_format = m_state->format;
        else m_state->buffers.push_back(this);
    }

    ~MixBuffer() override {
        std::lock_guard<std::mutex> g(m_state->mix);
        auto& list = m_state->buffers;
        list.erase(std::remove(list.begin(), list.end(), this), list.end());
    }

    MixSource& source() { return m_source; }

    int32_t lock(uint32_t offset, uint32_t bytes, void** part1, uint32_t* bytes1, void** part2,
                 uint32_t* bytes2, uint32_t flags) override {
        std::lock_guard<std::mutex> g(m_state->mix);
        if (m_primary) return kAudioInvalidCall;
        if (!part1 || !bytes1) return kAudioInvalidParam;
        const uint32_t size = static_cast<uint32_t>(m_data.size());
        if (flags & kLockFromWriteCursor) offset = writeCursor();
        if (flags & kLockEntireBuffer) bytes = size;
        if (offset >= size || bytes == 0 || bytes > size) return kAudioInvalidParam;
        const uint32_t first = std::min(bytes, size - offset);
        Staging s{offset, first, bytes - first, std::make_unique<uint8_t[]>(bytes)};
        std::memcpy(s.bytes.get(), m_data.data() + offset, first);
        std::memcpy(s.bytes.get() + first, m_data.data(), bytes - first);
        *part1 = s.bytes.get();
        *bytes1 = first;
        if (part2) *part2 = first < bytes ? s.bytes.get() + first : nullptr;
        if (bytes2) *bytes2 = bytes - first;
        m_locks.push_back(std::move(s));
        return kAudioOk;
    }

    int32_t unlock(void* part1, uint32_t bytes1, void* part2, uint32_t bytes2) override {
        std::lock_guard<std::mutex> g(m_state->mix);
        if (m_primary) return kAudioInvalidCall;
        auto it = std::find_if(m_locks.begin(), m_locks.end(),
                               [&](const Staging& s) { return part1 && s.bytes.get() == part1; });
        if (it == m_locks.end()) return kAudioInvalidParam;
        const Staging& s = *it;
        if (bytes1 > s.first || bytes2 > s.second ||
            (part2 && part2 != s.bytes.get() + s.first) || (!part2 && bytes2 != 0)) {
            return kAudioInvalidParam;
        }
        std::memcpy(m_data.data() + s.offset, s.bytes.get(), bytes1);
        if (bytes2) std::memcpy(m_data.data(), s.bytes.get() + s.first, bytes2);
        m_locks.erase(it);
        return kAudioOk;
    }

    int32_t play(bool looping) override {
        std::lock_guard<std::mutex> g(m_state->mix);
        if (m_primary) return kAudioOk;
        // Nothing would ever finish it.
        if (!m_state->live) return kAudioFailed;
        m_source.looping = looping;
        m_source.playing = true;
        return kAudioOk;
    }

    int32_t stop() override {
        std::lock_guard<std::mutex> g(m_state->mix);
        m_source.playing = false;
        return kAudioOk;
    }

    int32_t getStatus(uint32_t* status) override {
        std::lock_guard<std::mutex> g(m_state->mix);
        if (!status) return kAudioInvalidParam;
        *status = m_source.playing ? (kStatusPlaying | (m_source.looping ? kStatusLooping : 0)) : 0;
        return kAudioOk;
    }

    int32_t getCurrentPosition(uint32_t* playCursor, uint32_t* writeCursor) override {
        std::lock_guard<std::mutex> g(m_state->mix);
        const uint32_t p = m_primary ? 0 : m_source.cursorBytes();
        if (playCursor) *playCursor = p;
        if (writeCursor) *writeCursor = m_primary ? 0 : this->writeCursor();
        return kAudioOk;
    }

    int32_t setCurrentPosition(uint32_t pos) override {
        std::lock_guard<std::mutex> g(m_state->mix);
        if (m_primary) return kAudioInvalidCall;
        if (pos >= m_data.size()) return kAudioInvalidParam;
        m_source.position = uint64_t(pos / blockAlign()) << 32;
        return kAudioOk;
    }

    int32_t setVolume(int32_t v) override {
        std::lock_guard<std::mutex> g(m_state->mix);
        if (!(m_flags & kBufferCtrlVolume)) return kAudioControlUnavailable;
        if (v < kVolumeMin || v > kVolumeMax) return kAudioInvalidParam;
        m_source.volume = v;
        return kAudioOk;
    }

    int32_t getVolume(int32_t* v) override {
        std::lock_guard<std::mutex> g(m_state->mix);
        if (!(m_flags & kBufferCtrlVolume)) return kAudioControlUnavailable;
        if (!v) return kAudioInvalidParam;
        *v = m_source.volume;
        return kAudioOk;
    }

    int32_t setPan(int32_t p) override {
        std::lock_guard<std::mutex> g(m_state->mix);
        if (!(m_flags & kBufferCtrlPan)) return kAudioControlUnavailable;
        if (p < kPanLeft || p > kPanRight) return kAudioInvalidParam;
        m_source.pan = p;
        return kAudioOk;
    }

    int32_t getPan(int32_t* p) override {
        std::lock_guard<std::mutex> g(m_state->mix);
        if (!(m_flags & kBufferCtrlPan)) return kAudioControlUnavailable;
        if (!p) return kAudioInvalidParam;
        *p = m_source.pan;
        return kAudioOk;
    }

    int32_t setFrequency(uint32_t hz) override {
        std::lock_guard<std::mutex> g(m_state->mix);
        if (m_primary || !(m_flags & kBufferCtrlFrequency)) return kAudioControlUnavailable;
        if (hz != 0 && (hz < kFrequencyMin || hz > kFrequencyMax)) return kAudioInvalidParam;
        m_frequency = hz;
        m_source.rate = hz ? hz : m_format.samplesPerSec;
        return kAudioOk;
    }

    int32_t getFrequency(uint32_t* hz) override {
        std::lock_guard<std::mutex> g(m_state->mix);
        if (m_primary || !(m_flags & kBufferCtrlFrequency)) return kAudioControlUnavailable;
        if (!hz) return kAudioInvalidParam;
        *hz = m_source.rate;
        return kAudioOk;
    }

    int32_t setFormat(const WaveFormat& f) override;

    int32_t getFormat(WaveFormat* f) override {
        std::lock_guard<std::mutex> g(m_state->mix);
        if (!f) return kAudioInvalidParam;
        *f = m_primary ? m_state->format : m_format;
        return kAudioOk;
    }

private:
    struct Staging {
        uint32_t offset;
        uint32_t first;
        uint32_t second;
        std::unique_ptr<uint8_t[]> bytes;
    };

    uint32_t blockAlign() const { return m_format.blockAlign ? m_format.blockAlign : 1; }

    // The mixer reads ahead of nothing it has not mixed yet, so writing from the play
    // cursor is safe; like the device it stands for, it keeps about ten milliseconds
    // between the two. Under the mix lock.
    uint32_t writeCursor() const {
        const uint32_t p = m_source.cursorBytes();
        if (!m_source.playing || m_data.empty()) return p;
        const uint64_t lead = uint64_t(m_source.rate) * 10 / 1000 * blockAlign();
        return static_cast<uint32_t>((p + lead) % m_data.size());
    }

    std::shared_ptr<MixState> m_state;
    bool m_primary;
    uint32_t m_flags;
    std::vector<uint8_t> m_data;
    WaveFormat m_format;
    uint32_t m_frequency = 0;
    MixSource m_source;
    std::vector<Staging> m_locks;
};

class MixDevice : public IAudioDevice {
public:
    explicit MixDevice(std::shared_ptr<MixState> state) : m_state(std::move(state)) {}

    ~MixDevice() override {
        std::lock_guard<std::mutex> c(m_state->control);
        if (--m_state->devices > 0) return;
        if (m_state->outputOpen && m_state->owner) m_state->owner->closeOutputFor(m_state.get());
        // Without an output nothing advances them: they end here rather than play on.
        std::lock_guard<std::mutex> g(m_state->mix);
        for (MixBuffer* b : m_state->buffers) b->source().playing = false;
    }

    int32_t setCooperativeLevel(uint32_t level) override {
        return (level >= 1 && level <= 3) ? kAudioOk : kAudioInvalidParam;
    }

    int32_t createBuffer(const BufferDesc& desc, std::unique_ptr<IAudioBuffer>* out) override {
        if (!out) return kAudioInvalidParam;
        out->reset();
        const int32_t r = checkBufferDesc(desc);
        if (r != kAudioOk) return r;
        out->reset(new MixBuffer(m_state, (desc.flags & kBufferPrimary) != 0, desc.flags,
                                 desc.bufferBytes, desc.format));
        return kAudioOk;
    }

private:
    std::shared_ptr<MixState> m_state;
};

int32_t MixBuffer::setFormat(const WaveFormat& f) {
    if (!m_primary) return kAudioInvalidCall;
    if (!isPlayableFormat(f)) return kAudioBadFormat;
    std::lock_guard<std::mutex> c(m_state->control);
    if (!m_state->owner) return kAudioFailed;
    return m_state->owner->setMixFormat(m_state.get(), f) ? kAudioOk : kAudioFailed;
}

MixingAudioSystem::MixingAudioSystem() : m_state(std::make_shared<MixState>()) {
    m_state->owner = this;
}

MixingAudioSystem::~MixingAudioSystem() {
    std::lock_guard<std::mutex> c(m_state->control);
    m_state->owner = nullptr;
}

void MixingAudioSystem::detach() {
    std::lock_guard<std::mutex> c(m_state->control);
    if (m_state->outputOpen) closeOutputFor(m_state.get());
    m_state->owner = nullptr;
    std::lock_guard<std::mutex> g(m_state->mix);
    for (MixBuffer* b : m_state->buffers) b->source().playing = false;
}

int32_t MixingAudioSystem::createDevice(std::unique_ptr<IAudioDevice>* out) {
    if (!out) return kAudioInvalidParam;
    out->reset();
    std::lock_guard<std::mutex> c(m_state->control);
    if (!m_state->owner) return kAudioNoDriver;
    if (!m_state->outputOpen) {
        if (!openOutput(mixFormat())) return kAudioNoDriver;
        setOpen(m_state.get(), true);
    }
    ++m_state->devices;
    out->reset(new MixDevice(m_state));
    return kAudioOk;
}

void MixingAudioSystem::closeOutputFor(MixState* state) {
    closeOutput();
    setOpen(state, false);
}

void MixingAudioSystem::setOpen(MixState* state, bool open) {
    state->outputOpen = open;
    std::lock_guard<std::mutex> g(state->mix);
    state->live = open;
}

bool MixingAudioSystem::setMixFormat(MixState* state, const WaveFormat& f) {
    const WaveFormat old = mixFormat();
    if (state->outputOpen && sameFormat(old, f)) return true;
    if (state->devices == 0) {
        // No device plays: the next one opens the output at this format.
        std::lock_guard<std::mutex> g(state->mix);
        state->format = f;
        return true;
    }
    // Closed first: the output's thread may be waiting for the mix lock.
    if (state->outputOpen) closeOutputFor(state);
    {
        std::lock_guard<std::mutex> g(state->mix);
        state->format = f;
    }
    if (openOutput(f)) {
        setOpen(state, true);
        return true;
    }
    {
        std::lock_guard<std::mutex> g(state->mix);
        state->format = old;
    }
    setOpen(state, openOutput(old));
    return false;
}

WaveFormat MixingAudioSystem::mixFormat() const {
    std::lock_guard<std::mutex> g(m_state->mix);
    return m_state->format;
}

void MixingAudioSystem::render(uint8_t* out, uint32_t bytes) {
    std::lock_guard<std::mutex> g(m_state->mix);
    const WaveFormat& f = m_state->format;
    const MixFormat format{f.channels, f.bitsPerSample, f.samplesPerSec};
    const uint32_t block = f.blockAlign ? f.blockAlign : 1;
    const uint32_t frames = bytes / block;
    auto& sources = m_state->sources;
    sources.clear();
    for (MixBuffer* b : m_state->buffers) {
        if (b->source().playing) sources.push_back(&b->source());
    }
    m_state->mixer.mix(format, sources.data(), sources.size(), out, frames);
    std::memset(out + size_t(frames) * block, f.bitsPerSample == 8 ? 0x80 : 0, bytes - frames * block);
}

}  // namespace platform
