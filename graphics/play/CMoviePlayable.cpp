#include "graphics/play/CMoviePlayable.h"

#include <algorithm>
#include <cstring>

#include "foundation/CFile.h"
#include "foundation/CXTimer.h"
#include "graphics/core/CGraphicsWindowServices.h"
#include "platform/Clock.h"
#include "platform/Thread.h"
#include "script/CScriptWindowServices.h"

namespace {

std::atomic<CMoviePlayable::SoundMaker> g_soundMaker{nullptr};

constexpr int64_t kUnitsPerMs = 10000;

// A game file through the engine's file layer.
class CFileVideoInput : public platform::IVideoInput {
public:
    CFileVideoInput(std::unique_ptr<CFile> file, std::string name)
        : m_file(std::move(file)), m_name(std::move(name)), m_size(std::max(0, m_file->Length())) {}
    int32_t read(uint8_t* buffer, int32_t size) override { return m_file->Read(buffer, size); }
    bool seek(int64_t offset) override {
        if (offset < 0 || offset > m_size) return false;
        return m_file->Seek(static_cast<int>(offset), 0) == 0;
    }
    int64_t size() override { return m_size; }
    std::string name() const override { return m_name; }

private:
    std::unique_ptr<CFile> m_file;
    std::string m_name;
    int64_t m_size;
};

CXTimer* timerOf(CWindow* window) {
    CScriptWindowServices* services = CScriptWindowServices::of(window);
    return services ? services->GetTimerInterface() : nullptr;
}

}  // namespace

void CMoviePlayable::setSoundMaker(SoundMaker maker) { g_soundMaker.store(maker); }

CMoviePlayable::CMoviePlayable(CWindow* window) : CDirectDrawSurface(window), CPlayable(window) {}

CMoviePlayable::CMoviePlayable(CWindow* window, CXString file) : CMoviePlayable(window) { open(file); }

CMoviePlayable::~CMoviePlayable() {
    stopWorker();
    removeTimer();
    close();
}

bool CMoviePlayable::isOpen() const {
    std::lock_guard<std::mutex> lock(m_mutex);
    return m_video != nullptr;
}

bool CMoviePlayable::hasWorker() const { return m_worker != nullptr; }

void CMoviePlayable::close() {
    stopWorker();
    if (m_sound) m_sound->stop();
    m_sound.reset();
    m_videoForSound.store(nullptr);
    std::lock_guard<std::mutex> lock(m_mutex);
    m_video.reset();
    m_pending.clear();
    m_streamEnded = false;
    m_lastDecoded = -1;
    m_frameReady = false;
    m_newFrames = 0;
    m_atEnd = false;
    m_shownTime = -1;
    m_clockRunning = false;
}

bool CMoviePlayable::open(CXString file) {
    CGraphicsObject::Invalidate();
    const bool wasRunning = m_running;
    if (wasRunning) {
        removeTimer();
        m_running = false;
        m_status = 0;
    }
    close();
    auto handle = std::make_unique<CFile>();
    if (handle->Open(CPlayable::m_window, file, CFile::kReadBinary) != 0) return false;
    CGraphicsWindowServices* services = CGraphicsWindowServices::of(CPlayable::m_window);
    const int bpp = services && services->GetBpp() == 15 ? 15 : 16;
    const platform::PixelLayout layout = bpp == 15 ? platform::PixelLayout::Rgb555 : platform::PixelLayout::Rgb565;

    // The sound output is made first so that the video decodes its sound at its format.
    platform::VideoAudioFormat format{0, 0};
    std::unique_ptr<CMovieSoundOutput> sound;
    if (SoundMaker maker = g_soundMaker.load()) {
        sound = maker(
            CPlayable::m_window,
            [this](int16_t* samples, int32_t frames) -> int32_t {
                // Called on the sound's own thread; the video's sound queue has its own lock.
                platform::IVideo* video = m_videoForSound.load();
                return video ? video->readAudio(samples, frames) : 0;
            },
            &format);
        if (!sound) format = platform::VideoAudioFormat{0, 0};
    }
    std::unique_ptr<platform::IVideo> video = platform::videoSystem().open(
        std::make_unique<CFileVideoInput>(std::move(handle), std::string(file.c_str())), layout, format);
    if (!video) return false;
    if (!video->hasAudio()) sound.reset();
    m_audioRate = sound ? format.rate : 0;

    SetDirectDrawSurfaceInterface(nullptr);
    m_width = m_pitch = video->width();
    m_height = video->height();
    m_bpp = bpp;
    SetViewport(0, 0, m_width, m_height);
    create_surface(true);
    if (char* pixels = GetDataPtr()) {
        for (int y = 0; y < m_height; ++y) std::memset(pixels + static_cast<size_t>(y) * m_pitch * 2, 0, m_width * 2u);
    }
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        m_video = std::move(video);
        m_videoForSound.store(m_video.get());
    }
    m_sound = std::move(sound);
    CGraphicsObject::Invalidate();
    return true;
}

void CMoviePlayable::setLoop(int64_t startMs, int64_t endMs) {
    std::lock_guard<std::mutex> lock(m_mutex);
    // Milliseconds from 32-bit script values: the products stay far inside 64 bits.
    m_start = std::clamp<int64_t>(startMs, -(INT64_C(1) << 40), INT64_C(1) << 40) * kUnitsPerMs;
    m_end = endMs < 0 ? -1 : std::min<int64_t>(endMs, INT64_C(1) << 40) * kUnitsPerMs;
}

int64_t CMoviePlayable::getLoopStart() const {
    std::lock_guard<std::mutex> lock(m_mutex);
    return m_start;
}

int64_t CMoviePlayable::getLoopEnd() const {
    std::lock_guard<std::mutex> lock(m_mutex);
    return m_end;
}

int64_t CMoviePlayable::getFrameTime() const {
    std::lock_guard<std::mutex> lock(m_mutex);
    return m_shownTime;
}

int64_t CMoviePlayable::movieTimeLocked() const {
    if (!m_clockRunning) return m_clockBase;
    const uint32_t elapsed = platform::clock().tickCount() - m_clockTick;
    return m_clockBase + static_cast<int64_t>(elapsed) * kUnitsPerMs;
}

void CMoviePlayable::setClockLocked(int64_t time) {
    m_clockBase = time;
    m_clockTick = platform::clock().tickCount();
}

bool CMoviePlayable::windowActive() const {
    CGraphicsWindowServices* services = CGraphicsWindowServices::of(CPlayable::m_window);
    return !services || services->isActive();
}

bool CMoviePlayable::fetchLocked() {
    if (m_streamEnded || m_pending.size() >= static_cast<size_t>(kMaxFramesAhead)) return false;
    platform::VideoFrame frame;
    if (!m_video->nextFrame(&frame)) {
        m_streamEnded = true;
        return false;
    }
    if (m_lastDecoded >= 0 && frame.time > m_lastDecoded) m_frameInterval = frame.time - m_lastDecoded;
    m_lastDecoded = frame.time;
    m_pending.push_back(std::move(frame));
    return true;
}

void CMoviePlayable::decodeDueLocked() {
    if (!m_video || !m_clockRunning || m_atEnd) return;
    bool jumped = false;
    for (int taken = 0; taken < kMaxFramesPerStep;) {
        if (m_pending.empty() && !fetchLocked()) {
            if (!m_streamEnded) break;
            // The end of the stream (or a decode error) comes when the last frame's
            // time is over.
            if (m_lastDecoded >= 0 && movieTimeLocked() < m_lastDecoded + m_frameInterval) break;
            if (m_end == -1 && !jumped && m_lastDecoded >= 0 && m_video->seek(0)) {
                jumped = true;
                restartLocked(0);
                m_soundRestart = true;
                continue;
            }
            m_atEnd = true;
            return;
        }
        platform::VideoFrame& next = m_pending.front();
        if (next.time > movieTimeLocked()) break;
        if (m_end > 0 && next.time > m_end) {
            // Past the loop's end: back to its start, once a step.
            if (jumped || !m_video->seek(m_start)) break;
            jumped = true;
            restartLocked(m_start);
            m_soundRestart = true;
            continue;
        }
        m_latest.time = next.time;
        m_latest.pixels.swap(next.pixels);
        m_pending.pop_front();
        m_frameReady = true;
        ++m_newFrames;
        ++taken;
    }
    decodeSoundAheadLocked();
}

void CMoviePlayable::decodeSoundAheadLocked() {
    if (m_video && m_video->hasAudio() && m_audioRate > 0)
        while (m_video->queuedAudio() < m_audioRate / 2 && fetchLocked()) {
        }
}

void CMoviePlayable::restartLocked(int64_t time) {
    m_pending.clear();
    m_video->clearAudio();
    m_streamEnded = false;
    m_lastDecoded = -1;
    m_soundRestart = false;
    setClockLocked(time);
}

void CMoviePlayable::onTimer(intptr_t) {
    int frames = 0;
    bool atEnd = false;
    bool copied = false;
    bool restartSound = false;
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        const bool active = windowActive();
        m_windowActive.store(active);
        if (!m_worker && active) decodeDueLocked();
        if (m_frameReady) {
            char* pixels = GetDataPtr();
            const size_t side = static_cast<size_t>(m_width);
            if (pixels && m_latest.pixels.size() >= side * static_cast<size_t>(m_height)) {
                for (int y = 0; y < m_height; ++y)
                    std::memcpy(pixels + static_cast<size_t>(y) * static_cast<size_t>(m_pitch) * 2,
                                m_latest.pixels.data() + static_cast<size_t>(y) * side, side * 2);
            }
            m_shownTime = m_latest.time;
            m_frameReady = false;
            copied = true;
        }
        frames = m_newFrames;
        m_newFrames = 0;
        atEnd = m_atEnd;
        restartSound = m_soundRestart && m_clockRunning;
        m_soundRestart = false;
    }
    // A loop went back: the sound starts again with it (what the buffer held was of
    // the time past the loop's end).
    if (restartSound && m_sound) m_sound->play();
    if (copied) CGraphicsObject::Invalidate();
    // An observer may delete the movie while it is told.
    const std::shared_ptr<const bool> alive = aliveFlag();
    for (int i = 0; i < frames; ++i) {
        notify(kTick);
        if (!*alive || !m_running) return;
    }
    if (atEnd && m_running) stop(true);
}

void CMoviePlayable::startWorker() {
    CGraphicsWindowServices* services = CGraphicsWindowServices::of(CPlayable::m_window);
    if (!services || !services->getPollerThread()) return;
    auto worker = std::make_unique<platform::Thread>();
    const bool started = worker->start([this](platform::Thread& thread) {
        while (thread.sleep(kWorkerInterval)) {
            if (!thread.enter()) break;
            if (m_windowActive.load()) {
                std::lock_guard<std::mutex> lock(m_mutex);
                decodeDueLocked();
            }
            thread.leave();
        }
    });
    if (started) m_worker = std::move(worker);
}

void CMoviePlayable::stopWorker() {
    if (!m_worker) return;
    m_worker->stop();
    m_worker->join();
    m_worker.reset();
}

void CMoviePlayable::addTimer() {
    removeTimer();
    if (CXTimer* timer = timerOf(CPlayable::m_window)) {
        timer->add(reinterpret_cast<intptr_t>(this), kTimerInterval, static_cast<CTimerNotificator*>(this));
        m_timerOn = true;
    }
}

void CMoviePlayable::removeTimer() {
    if (!m_timerOn) return;
    if (CXTimer* timer = timerOf(CPlayable::m_window)) timer->remove(reinterpret_cast<intptr_t>(this));
    m_timerOn = false;
}

void CMoviePlayable::play(CXString) { play(); }

void CMoviePlayable::play() {
    if (!isOpen()) {
        stop(true);
        return;
    }
    stopWorker();
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        m_video->seek(0);
        m_atEnd = false;
        m_newFrames = 0;
        m_frameReady = false;
        m_clockRunning = true;
        restartLocked(0);
        decodeSoundAheadLocked();
    }
    m_running = true;
    m_status = kStatusPlaying;
    m_windowActive.store(windowActive());
    addTimer();
    startWorker();
    if (m_sound) m_sound->play();
    const std::shared_ptr<const bool> alive = aliveFlag();
    notify(kStarted);
    if (*alive) CGraphicsObject::Invalidate();
}

void CMoviePlayable::stop(bool notifyObservers) {
    stopWorker();
    removeTimer();
    if (m_sound) m_sound->stop();
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        m_atEnd = false;
        m_newFrames = 0;
        if (m_clockRunning) setClockLocked(movieTimeLocked());
        m_clockRunning = false;
    }
    m_running = false;
    m_status = 0;
    if (notifyObservers) notify(kFinished);
}

void CMoviePlayable::pause() {
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        if (!m_video || !m_clockRunning) return;
        setClockLocked(movieTimeLocked());
        m_clockRunning = false;
    }
    m_status = kStatusPaused;
    if (m_sound) m_sound->pause();
}

void CMoviePlayable::resume() {
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        if (!m_video || m_clockRunning || !m_running) return;
        setClockLocked(m_clockBase);
        m_clockRunning = true;
        decodeSoundAheadLocked();
    }
    m_status = kStatusPlaying;
    if (m_sound) m_sound->resume();
}

bool CMoviePlayable::isPlaying() {
    std::lock_guard<std::mutex> lock(m_mutex);
    return m_video && m_clockRunning;
}

void CMoviePlayable::seek(int position) { seekTime(position); }

// The sound stops before the video moves, so that nothing of the old place is pulled
// after it, and starts again from the new place with the clock; a paused movie's sound
// starts there when it resumes.
void CMoviePlayable::seekTime(int64_t time) {
    if (m_sound) m_sound->stop();
    bool running = false;
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        if (!m_video) return;
        if (time < 0) time = 0;
        m_atEnd = !m_video->seek(time);
        restartLocked(time);
        decodeSoundAheadLocked();
        running = m_clockRunning;
    }
    if (m_sound && running) m_sound->play();
}

void CMoviePlayable::redraw(CGraphicsObject* target) {
    auto* surface = dynamic_cast<CDirectDrawSurface*>(target);
    if (!surface) {
        CGraphicsObject::redraw(target);
        return;
    }
    CXRect clip = GetClippingRect();
    if (clip.IsEmpty()) clip = CXRect(0, 0, m_width, m_height);
    const int x = CGraphicsObject::m_position.x, y = CGraphicsObject::m_position.y;
    // Only what lies on the movie and on the target.
    clip = clip.Common(CXRect(0, 0, m_width, m_height));
    clip = clip.Common(CXRect(-x, -y, surface->Width() - x, surface->Height() - y));
    if (clip.Width() <= 0 || clip.Height() <= 0) return;
    surface->Blt(this, x + clip.left, y + clip.top, &clip);
}

void CMoviePlayable::Redraw() { redraw(m_destiny); }
