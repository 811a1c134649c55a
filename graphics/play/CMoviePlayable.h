// A video file on screen: a display surface of the movie's size, a playable and a
// timer client. The frames come from `platform::videoSystem()` over the engine's file
// layer, each at its time on the movie clock (the platform clock from `play`, held while
// paused or stopped, set by seeks).
//
// With a poller thread on the window a worker decodes, every 10 ms while the window is
// active, the frames that are due into a buffer; without one (headless runs, tests) the
// 40 ms timer step decodes them itself. The timer step, on the host thread, copies the
// newest frame into the surface, invalidates it, tells the observers once per new frame
// (tick, 2) and, when the stream ended, stops with a finish report (3). Observers are
// therefore only ever told on the host thread.
//
// Looping: a loop end above 0 sends the movie back to the loop start once a frame past
// it is due; a loop end of −1 starts the whole video again at its end; otherwise the
// end of the stream, or a decode error, finishes the movie.
//
// The sound track, when the sound subsystem installed a sound maker, plays through the
// output it makes, which pulls the decoded sound at its own format. The output starts
// with the clock (at play, after a seek, at resume) with the sound of the clock's time
// decoded ahead, so the sound heard keeps to the picture shown.
#pragma once
#include <atomic>
#include <cstdint>
#include <deque>
#include <functional>
#include <memory>
#include <mutex>

#include "foundation/CTimerNotificator.h"
#include "graphics/play/CPlayable.h"
#include "graphics/screen/CDirectDrawSurface.h"
#include "platform/Video.h"

namespace platform {
class Thread;
}

// Where a movie's sound goes: made by the sound subsystem for each opened movie that
// has sound.
class CMovieSoundOutput {
public:
    virtual ~CMovieSoundOutput() = default;
    // From the start of what the pull hands out next.
    virtual void play() = 0;
    virtual void stop() = 0;
    virtual void pause() = 0;
    virtual void resume() = 0;
};

class CMoviePlayable : public CDirectDrawSurface, public CPlayable, public CTimerNotificator {
public:
    // Milliseconds between two timer steps and two worker polls.
    static constexpr uint32_t kTimerInterval = 40;
    static constexpr uint32_t kWorkerInterval = 10;
    // Frames one step takes at most, however far behind the clock left it.
    static constexpr int kMaxFramesPerStep = 64;
    // Frames decoded ahead of the clock at most, for the sound that comes with them (a
    // file may lay its sound out in bursts about a second apart from its pictures).
    static constexpr int kMaxFramesAhead = 32;

    // Sound samples: up to `frames` sample frames into the buffer; the count given.
    using SoundPull = std::function<int32_t(int16_t* samples, int32_t frames)>;
    // Makes the output of a movie's sound and fills in the format it pulls at; null when
    // no sound can play (the movie then decodes none).
    using SoundMaker = std::unique_ptr<CMovieSoundOutput> (*)(CWindow* window, SoundPull pull,
                                                              platform::VideoAudioFormat* format);
    static void setSoundMaker(SoundMaker maker);

    explicit CMoviePlayable(CWindow* window);
    // Then opens the file.
    CMoviePlayable(CWindow* window, CXString file);
    ~CMoviePlayable() override;
    CMoviePlayable(const CMoviePlayable&) = delete;
    CMoviePlayable& operator=(const CMoviePlayable&) = delete;

    // Invalidates the object, lets go of the video it has and opens the file; whether
    // it opened. The object takes the movie's size.
    bool open(CXString file);
    bool load(CXString file) { return open(file); }
    bool isOpen() const;
    // Loop start and end in milliseconds; a negative end is kept as −1 (the whole video).
    void setLoop(int64_t startMs, int64_t endMs);
    int64_t getLoopStart() const;
    int64_t getLoopEnd() const;
    // Moves to the time (100 ns units) and sets the movie clock there.
    void seekTime(int64_t time);
    // The time of the frame shown last (100 ns units), −1 before any.
    int64_t getFrameTime() const;
    // The sound track's output; null without one.
    CMovieSoundOutput* getSoundOutput() const { return m_sound.get(); }
    // Whether the worker thread runs.
    bool hasWorker() const;
    // The timer step: copies the newest frame in, tells the observers, stops at the end.
    void onTimer(intptr_t id) override;

    // Blits the clipped part of the surface onto a display surface.
    void redraw(CGraphicsObject* target) override;
    void Redraw() override;

    void play(CXString event) override;
    void play() override;
    void stop(bool notifyObservers) override;
    void pause() override;
    void resume() override;
    bool isPlaying() override;
    void seek(int position) override;

private:
    // Lets go of the video and its sound. Worker stopped first.
    void close();
    void startWorker();
    void stopWorker();
    void addTimer();
    void removeTimer();
    // Decodes what is due on the movie clock; the lock is held.
    void decodeDueLocked();
    // Decodes one more frame into the pending ones; false at the end of the stream or
    // when enough are pending.
    bool fetchLocked();
    // With a sound track, frames are decoded ahead until the sound that comes with them
    // covers the next half second, so the sound output never waits for the pictures.
    void decodeSoundAheadLocked();
    int64_t movieTimeLocked() const;
    void setClockLocked(int64_t time);
    // Decoding starts again at `time`, which the clock takes.
    void restartLocked(int64_t time);
    bool windowActive() const;

    mutable std::mutex m_mutex;
    // Under m_mutex: the video, the clock, the loop and what the timer step takes.
    std::unique_ptr<platform::IVideo> m_video;
    int64_t m_start = 0;
    int64_t m_end = 0;
    bool m_clockRunning = false;
    uint32_t m_clockTick = 0;
    int64_t m_clockBase = 0;
    // Decoded frames not yet due, oldest first.
    std::deque<platform::VideoFrame> m_pending;
    int32_t m_audioRate = 0;
    // The stream gave its last frame; it ends once that frame's time is over.
    bool m_streamEnded = false;
    int64_t m_lastDecoded = -1;
    // Between the last two frames decoded: how long the last one lasts.
    int64_t m_frameInterval = 0;
    platform::VideoFrame m_latest;
    bool m_frameReady = false;
    int m_newFrames = 0;
    bool m_atEnd = false;
    int64_t m_shownTime = -1;
    // A loop sent the clock back; the timer step starts the sound again from there.
    bool m_soundRestart = false;

    // The video the sound output pulls from, outside m_mutex (the sound's thread must
    // not wait for a frame's decoding); set and cleared only while no sound plays.
    std::atomic<platform::IVideo*> m_videoForSound{nullptr};
    // The window's active flag as the host thread last saw it, for the worker.
    std::atomic<bool> m_windowActive{false};
    std::unique_ptr<platform::Thread> m_worker;
    std::unique_ptr<CMovieSoundOutput> m_sound;
    bool m_timerOn = false;
    bool m_running = false;
};
