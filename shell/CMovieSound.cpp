#include "shell/CMovieSound.h"

#include <algorithm>
#include <cstring>

#include "platform/Audio.h"
#include "shell/CSndStream.h"
#include "shell/CSndStreamSource.h"
#include "shell/CSound4.h"
#include "shell/CWindow.h"

namespace {

constexpr uint32_t kFlags = platform::kBufferCtrlFrequency | platform::kBufferCtrlPan | platform::kBufferCtrlVolume;

const bool g_registered = (CMoviePlayable::setSoundMaker(&CMovieSound::make), true);

// Sound pulled from the movie; silence where it has none yet.
class PulledSource : public CSndStreamSource {
public:
    PulledSource(CMoviePlayable::SoundPull pull, std::unique_ptr<platform::IAudioBuffer> buffer, uint32_t blockAlign,
                 uint32_t bufferSize)
        : m_pull(std::move(pull)), m_buffer(std::move(buffer)), m_block(blockAlign), m_bufferSize(bufferSize) {}

    int Read(int count, void* destination) override {
        if (count <= 0 || !destination) return 0;
        auto* bytes = static_cast<uint8_t*>(destination);
        const int32_t frames = static_cast<int32_t>(static_cast<uint32_t>(count) / m_block);
        const int32_t got = std::clamp(m_pull(reinterpret_cast<int16_t*>(bytes), frames), 0, frames);
        const size_t filled = static_cast<size_t>(got) * m_block;
        std::memset(bytes + filled, 0, static_cast<size_t>(count) - filled);
        m_position += count;
        return count;
    }
    void StartRead() override { m_position = 0; }
    int32_t getPosition() const override { return m_position; }
    // The movie's sound goes on from where its decoder is.
    void setPosition(int32_t) override {}
    uint32_t GetBufferSize() const override { return m_bufferSize; }
    void Close() override {}

private:
    CMoviePlayable::SoundPull m_pull;
    std::unique_ptr<platform::IAudioBuffer> m_buffer;
    uint32_t m_block;
    uint32_t m_bufferSize;
    int32_t m_position = 0;
};

}  // namespace

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
    if (!stream->Open(std::move(source), raw, wave)) return nullptr;
    format->rate = static_cast<int32_t>(wave.samplesPerSec);
    format->channels = wave.channels;
    return std::unique_ptr<CMovieSoundOutput>(new CMovieSound(std::move(stream)));
}

CMovieSound::~CMovieSound() { m_stream->Stop(); }

// A stopped stream counts as done playing: each start fills it anew from what the
// movie has decoded.
void CMovieSound::play() {
    m_stream->ResetWavePlayer();
    m_stream->Play(false);
}

void CMovieSound::stop() { m_stream->Stop(); }
void CMovieSound::pause() { m_stream->Stop(); }
void CMovieSound::resume() { play(); }
