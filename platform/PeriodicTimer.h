// Periodic callbacks off the host thread, as the engine's music refills need them.
//
// ThreadPeriodicTimer runs every registered callback on one shared worker thread, in
// turn, each at its own period on the real clock; it is never killed: the worker is
// asked to stop and joined. ManualPeriodicTimer runs nothing by itself: the frame step
// of a test or of a headless run calls runDue, which runs on the calling thread the callbacks whose time has come
// on the installed platform clock.
//
// remove() returns once the callback cannot run any more: when it is running on the
// worker at that moment, remove waits for it to return (unless called from inside a
// callback, which never waits). Callers must therefore not hold, while removing, a lock
// that their callback takes.
#pragma once
#include <condition_variable>
#include <cstdint>
#include <functional>
#include <memory>
#include <mutex>
#include <thread>
#include <vector>

namespace platform {

class IPeriodicTimer {
public:
    using Callback = std::function<void()>;
    virtual ~IPeriodicTimer() = default;
    // Registers a callback to run every `periodMs` milliseconds (at least 1), the
    // first time one period from now. Returns its id, never 0; 0 when refused.
    virtual uint32_t add(uint32_t periodMs, Callback callback) = 0;
    // Unregisters; nothing for an unknown id. See above for the wait.
    virtual void remove(uint32_t id) = 0;
    // Callbacks registered.
    virtual int count() const = 0;
};

class ThreadPeriodicTimer : public IPeriodicTimer {
public:
    ThreadPeriodicTimer() = default;
    // Stops and joins the worker; callbacks still registered never run again.
    ~ThreadPeriodicTimer() override;
    ThreadPeriodicTimer(const ThreadPeriodicTimer&) = delete;
    ThreadPeriodicTimer& operator=(const ThreadPeriodicTimer&) = delete;

    // The worker starts with the first callback. 0 when it cannot be started.
    uint32_t add(uint32_t periodMs, Callback callback) override;
    void remove(uint32_t id) override;
    int count() const override;
    // Callback runs so far (all callbacks together).
    uint64_t runs() const;

private:
    struct Entry;
    void loop();

    mutable std::mutex m_mutex;
    std::condition_variable m_changed;
    std::vector<std::shared_ptr<Entry>> m_entries;
    std::thread m_thread;
    std::thread::id m_workerId;
    uint32_t m_nextId = 1;
    uint32_t m_running = 0;  // the id whose callback runs now, 0 for none
    uint64_t m_runs = 0;
    bool m_stopping = false;
};

class ManualPeriodicTimer : public IPeriodicTimer {
public:
    uint32_t add(uint32_t periodMs, Callback callback) override;
    void remove(uint32_t id) override;
    int count() const override { return static_cast<int>(m_entries.size()); }

    // Runs once, in registration order, every callback whose time has come on the
    // platform clock; its next time is then the first whole period after now.
    // Callbacks may add and remove callbacks; those added run from the next call.
    // Returns the number of callbacks run.
    int runDue();
    // Makes add refuse (return 0) while set.
    void setFailAdd(bool fail) { m_failAdd = fail; }

private:
    struct Entry {
        uint32_t id;
        uint32_t period;
        uint32_t due;
        std::shared_ptr<Callback> callback;
    };
    std::vector<Entry> m_entries;
    uint32_t m_nextId = 1;
    bool m_failAdd = false;
};

// The timer in force: one process-wide ThreadPeriodicTimer unless another was installed.
IPeriodicTimer& periodicTimer();
// Installs a timer (not owned); null restores the default.
void setPeriodicTimer(IPeriodicTimer* timer);

class ScopedPeriodicTimer {
public:
    explicit ScopedPeriodicTimer(IPeriodicTimer& t) : m_prev(&periodicTimer()) { setPeriodicTimer(&t); }
    ~ScopedPeriodicTimer() { setPeriodicTimer(m_prev); }
    ScopedPeriodicTimer(const ScopedPeriodicTimer&) = delete;
    ScopedPeriodicTimer& operator=(const ScopedPeriodicTimer&) = delete;

private:
    IPeriodicTimer* m_prev;
};

}  // namespace platform
