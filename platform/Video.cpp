#include "platform/Video.h"

#include <algorithm>
#include <atomic>
#include <cctype>
#include <cstring>

namespace platform {

namespace {

std::atomic<IVideoSystem*> g_system{nullptr};

std::string lower(std::string text) {
    for (char& c : text) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return text;
}

class ScriptedVideoPlayer : public IVideo {
public:
    ScriptedVideoPlayer(ScriptedVideo video, const VideoAudioFormat& audio)
        : m_video(std::move(video)), m_audioRate(std::max(audio.rate, 0)),
          m_channels(audio.channels == 1 ? 1 : 2) {}
    int32_t width() const override { return m_video.width; }
    int32_t height() const override { return m_video.height; }
    bool nextFrame(VideoFrame* frame) override {
        if (m_failed || m_next >= m_video.times.size()) return false;
        if (m_video.failAt >= 0 && m_next == static_cast<size_t>(m_video.failAt)) {
            m_failed = true;
            return false;
        }
        frame->time = m_video.times[m_next];
        const uint16_t colour = m_next < m_video.colours.size() ? m_video.colours[m_next] : 0;
        frame->pixels.assign(static_cast<size_t>(m_video.width) * static_cast<size_t>(m_video.height), colour);
        ++m_next;
        return true;
    }
    bool seek(int64_t time) override {
        m_failed = false;
        m_next = 0;
        while (m_next < m_video.times.size() && m_video.times[m_next] < time) ++m_next;
        // The sound goes on from the same time, at the rate it was opened with.
        std::lock_guard<std::mutex> lock(m_audioMutex);
        const int64_t frame = std::max<int64_t>(time, 0) / 10000 * m_audioRate / 1000;
        m_audioAt = std::min(m_video.audio.size() / m_channels * m_channels, static_cast<size_t>(frame) * m_channels);
        return true;
    }
    bool hasAudio() const override { return !m_video.audio.empty(); }
    int32_t readAudio(int16_t* samples, int32_t frames) override {
        std::lock_guard<std::mutex> lock(m_audioMutex);
        const size_t channels = m_channels;
        const size_t left = (m_video.audio.size() - m_audioAt) / channels;
        const size_t take = std::min(left, static_cast<size_t>(std::max(frames, 0)));
        std::memcpy(samples, m_video.audio.data() + m_audioAt, take * channels * sizeof(int16_t));
        m_audioAt += take * channels;
        return static_cast<int32_t>(take);
    }
    int32_t queuedAudio() const override {
        std::lock_guard<std::mutex> lock(m_audioMutex);
        return static_cast<int32_t>((m_video.audio.size() - m_audioAt) / m_channels);
    }
    void clearAudio() override {}

private:
    ScriptedVideo m_video;
    int32_t m_audioRate;
    size_t m_channels;
    size_t m_next = 0;
    bool m_failed = false;
    mutable std::mutex m_audioMutex;
    size_t m_audioAt = 0;
};

}  // namespace

int32_t MemoryVideoInput::read(uint8_t* buffer, int32_t size) {
    if (size <= 0 || m_position >= m_bytes.size()) return 0;
    const size_t take = std::min(static_cast<size_t>(size), m_bytes.size() - m_position);
    std::memcpy(buffer, m_bytes.data() + m_position, take);
    m_position += take;
    return static_cast<int32_t>(take);
}

bool MemoryVideoInput::seek(int64_t offset) {
    if (offset < 0 || static_cast<uint64_t>(offset) > m_bytes.size()) return false;
    m_position = static_cast<size_t>(offset);
    return true;
}

void ScriptedVideoSystem::add(const std::string& name, ScriptedVideo video) {
    std::lock_guard<std::mutex> lock(m_mutex);
    m_videos[lower(name)] = std::move(video);
}

std::unique_ptr<IVideo> ScriptedVideoSystem::open(std::unique_ptr<IVideoInput> input, PixelLayout,
                                                  const VideoAudioFormat& audio) {
    std::lock_guard<std::mutex> lock(m_mutex);
    ++m_opens;
    if (!input) return nullptr;
    std::string name = lower(input->name());
    // Found by the last component, so the engine's folders do not matter.
    const size_t slash = name.find_last_of("\\/");
    if (slash != std::string::npos) name = name.substr(slash + 1);
    auto found = m_videos.find(name);
    if (found == m_videos.end()) return nullptr;
    const ScriptedVideo& video = found->second;
    if (video.width <= 0 || video.height <= 0 || video.width > kVideoMaxSide || video.height > kVideoMaxSide)
        return nullptr;
    return std::make_unique<ScriptedVideoPlayer>(video, audio);
}

int ScriptedVideoSystem::opens() const {
    std::lock_guard<std::mutex> lock(m_mutex);
    return m_opens;
}

IVideoSystem& videoSystem() {
    static LibavVideoSystem real;
    IVideoSystem* s = g_system.load();
    return s ? *s : real;
}

void setVideoSystem(IVideoSystem* system) { g_system.store(system); }

}  // namespace platform
