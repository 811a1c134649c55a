#include "shell/CMovieSound.h"

#include <algorithm>
#include <cstring>
#include <vector>

#include "platform/Audio.h"
#include "shell/CSndStream.h"
#include "shell/CSndStreamSource.h"
#include "shell/CSound4.h"
#include "shell/CWindow.h"

namespace {

constexpr uint32_t kFlags = platform::kBufferCtrlFrequency | platform::kBufferCtrlPan | platform::kBufferCtrlVolume;

const bool g_registered = (CMoviePlayable::setSoundMaker(&CMovieSound::make), true);

}  // namespace

// Sound pulled from the movie; silence where it has none yet. What it handed out last
// (a buffer's worth) is kept, so that the part a pause left unheard can be handed out
// again first when the sound resumes.
class CMovieSound::PulledSource : public CSndStreamSource {
public:
    PulledSource(CMoviePlayable::SoundPull pull, std::unique_ptr<platform::IAudioBuffer> buffer, uint32_t blockAlign,
                 uint32_t bufferSize)
        : m_pull(std::move(pull)), m_buffer(std::move(buffer)), m_block(blockAlign), m_bufferSize(bufferSize),
          m_history(bufferSize) {}

    int Read(int count, void* destination) override {
        if (count <= 0 || !destination) return 0;
        auto* bytes = static_cast<uint8_t*>(destination);
        const size_t wanted = static_cast<size_t>(count);
        const size_t replayed = std::min(wanted, m_replay.size() - m_replayAt);
        if (replayed > 0) std::memcpy(bytes, m_replay.data() + m_replayAt, replayed);
        m_replayAt += replayed;
        const int32_t frames = static_cast<int32_t>((wanted - replayed) / m_block);
        const int32_t got = std::clamp(m_pull(reinterpret_cast<int16_t*>(bytes + replayed), frames), 0, frames);
        const size_t filled = replayed + static_cast<size_t>(got) * m_block;
        std::memset(bytes + filled, 0, wanted - filled);
        remember(bytes, wanted);
        m_position += count;
        return count;
    }
    void StartRead() override { m_position = 0; }
    int32_t getPosition() const override { return m_position; }
    // The movie's sound goes on from where its decoder is.
    void setPosition(int32_t) override {}
    uint32_t GetBufferSize() const override { return m_bufferSize; }
    void Close() override {}

    // The last `bytes` handed out are handed out again before anything else.
    void replayLast(uint32_t bytes) {
        const size_t count = std::min<size_t>({bytes, m_remembered, m_history.size()}) / m_block * m_block;
        std::vector<uint8_t> again(count);
        for (size_t i = 0; i < count; ++i)
            again[i] = m_history[(m_historyAt + m_history.size() - count + i) % m_history.size()];
        again.insert(again.end(), m_replay.begin() + static_cast<std::ptrdiff_t>(m_replayAt), m_replay.end());
        m_replay = std::move(again);
        m_replayAt = 0;
    }
    void dropReplay() {
        m_replay.clear();
        m_replayAt = 0;
    }

private:
    void remember(const uint8_t* bytes, size_t count) {
        if (m_history.empty()) return;
        for (size_t i = 0; i < count; ++i) {
            m_history[m_historyAt] = bytes[i];
            m_historyAt = (m_historyAt + 1) % m_history.size();
        }
        m_remembered = std::min(m_history.size(), m_remembered + count);
    }

    CMoviePlayable::SoundPull m_pull;
    std::unique_ptr<platform::IAudioBuffer> m_buffer;
    uint32_t m_block;
    uint32_t m_bufferSize;
    int32_t m_position = 0;
    std::vector<uint8_t> m_history;
    size_t m_historyAt = 0;
    size_t m_remembered = 0;
    std::vector<uint8_t> m_replay;
    size_t m_replayAt = 0;
};

std::unique_ptr<CMovieSoundOutput> CMovieSound::make(CWindow* window, CMoviePlayable::SoundPull pull,
                                                     platform::VideoAudioFormat* format) {
    (void)g_registered;
    if (!window || !window->IsSoundOn()) return nullptr;
    auto stream = std::make_unique<CSndStream>(window);
    platform::IAudioBuffer* primary = CSound4::CreatePrimarySoundBuffer(window);
    platform::IAudioDevice* device = CSound4::getDevice();
    if (!primary || !device) return nullptr;
    platform::WaveFormat mix;
    if (primary->getFormat(&mix) != platform::kAudioOk || mix.samplesPerSec == 0) return nullptr;
    platform::WaveFormat wave;
    wave.formatTag = platform::kWaveFormatPcm;
    wave.channels = mix.channels == 1 ? 1 : 2;
    wave.samplesPerSec = mix.samplesPerSec;
    wave.bitsPerSample = 16;
    wave.blockAlign = static_cast<uint16_t>(wave.channels * 2);
    wave.avgBytesPerSec = wave.samplesPerSec * wave.blockAlign;
    if (!platform::isPlayableFormat(wave)) return nullptr;
    const uint32_t bufferSize = wave.avgBytesPerSec * kBufferMs / 1000 / wave.blockAlign * wave.blockAlign;
    std::unique_ptr<platform::IAudioBuffer> buffer;
    if (device->createBuffer({kFlags, bufferSize, &wave}, &buffer) != platform::kAudioOk || !buffer) return nullptr;
    platform::IAudioBuffer* raw = buffer.get();
    auto source = std::make_unique<PulledSource>(std::move(pull), std::move(buffer), wave.blockAlign, bufferSize);
    PulledSource* pulled = source.get();
    if (!stream->Open(std::move(source), raw, wave)) return nullptr;
    format->rate = static_cast<int32_t>(wave.samplesPerSec);
    format->channels = wave.channels;
    return std::unique_ptr<CMovieSoundOutput>(new CMovieSound(std::move(stream), pulled));
}

CMovieSound::~CMovieSound() { m_stream->Stop(); }

// A stopped stream counts as done playing: each start fills it anew, from what the
// movie has decoded, and the buffer plays from its start.
void CMovieSound::play() {
    m_stream->Stop();
    m_source->dropReplay();
    m_stream->ResetWavePlayer();
    m_stream->Play(false);
}

void CMovieSound::stop() {
    m_stream->Stop();
    m_source->dropReplay();
}

// What the buffer holds from its play cursor up to where the next refill writes has
// not been heard; it is the end of what the source handed out, and the source hands it
// out again when the sound resumes, so the sound goes on where it was paused.
void CMovieSound::pause() {
    if (!m_stream->IsPlaying()) return;
    m_stream->Stop();
    platform::IAudioBuffer* buffer = m_stream->getBuffer();
    const uint32_t size = m_stream->GetBufferSize();
    uint32_t played = 0;
    if (!buffer || size == 0 || buffer->getCurrentPosition(&played, nullptr) != platform::kAudioOk) return;
    const uint32_t next = m_stream->GetNextWriteOffset() % size;
    const uint32_t unheard = (next + size - played % size) % size;
    m_source->replayLast(unheard == 0 ? size : unheard);
}

void CMovieSound::resume() {
    m_stream->ResetWavePlayer();
    m_stream->Play(false);
}
