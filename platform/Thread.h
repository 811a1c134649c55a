// Worker threads. No thread is ever suspended or killed from outside: the owner
// asks, and the worker parks or ends at its own checkpoints.
//
// A worker's body loops on three calls: sleep (an interval that a stop cuts
// short), enter (parks while paused; false once a stop was asked) and leave (ends
// the busy stretch that enter began). The owner's pause returns once the worker is
// outside that stretch, so after it the worker does no work until resume.
#pragma once
#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <functional>
#include <mutex>
#include <thread>

namespace platform {

class Thread {
public:
    using Body = std::function<void(Thread&)>;

    Thread() = default;
    // Stops and joins a running worker.
    ~Thread();
    Thread(const Thread&) = delete;
    Thread& operator=(const Thread&) = delete;

    // Runs the body on a new thread; false when one was already started or the
    // system cannot create another thread.
    bool start(Body body);
    bool isStarted() const { return m_thread.joinable(); }

    // Worker side.
    // Waits the interval; false as soon as a stop was asked.
    bool sleep(uint32_t ms);
    // Parks while paused; false once a stop was asked, else the worker is busy
    // until leave.
    bool enter();
    void leave();

    // Owner side.
    // Returns once the worker is outside its busy stretch; it then parks at its
    // next enter. Does nothing to a worker that never started.
    void pause();
    void resume();
    // Asks the worker to end and wakes it from sleep or park.
    void stop();
    // Waits for the worker's body to return.
    void join();

    bool isPaused() const;
    // Calls of resume so far.
    uint64_t resumes() const;
    // Busy stretches the worker has finished.
    uint64_t cycles() const;
    // Waits until cycles() reaches the count; false when the timeout passes first.
    bool waitForCycles(uint64_t count, std::chrono::milliseconds timeout) const;

private:
    mutable std::mutex m_mutex;
    mutable std::condition_variable m_changed;
    std::thread m_thread;
    bool m_paused = false;
    bool m_stopping = false;
    bool m_busy = false;
    uint64_t m_cycles = 0;
    uint64_t m_resumes = 0;
};

} // namespace platform
