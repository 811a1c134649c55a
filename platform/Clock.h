// Time sources of the engine. Engine code reads time only through clock(), so tests
// can install a ManualClock and step frames exactly.
#pragma once
#include <atomic>
#include <cstdint>

namespace platform {

class IClock {
public:
    virtual ~IClock() = default;
    // Milliseconds since an arbitrary origin; wraps at 2^32 like the system tick counter.
    virtual uint32_t tickCount() = 0;
    // High-resolution counter and its frequency (counts per second).
    virtual int64_t perfCounter() = 0;
    virtual int64_t perfFrequency() = 0;
    // Calendar time in seconds since 1970-01-01 UTC.
    virtual int64_t wallClock() = 0;
    // Blocks the calling thread for that many milliseconds (nanosleep, resumed after
    // signals until the time has passed).
    virtual void sleep(uint32_t ms);
};

// Monotonic system time and the real calendar.
class SystemClock : public IClock {
public:
    uint32_t tickCount() override;
    int64_t perfCounter() override;
    int64_t perfFrequency() override;
    int64_t wallClock() override;
};

// A clock that moves only when told to. The tick count and the high-resolution
// counter (frequency 1000, so one count is one millisecond) advance together. Its
// values are atomic: a worker (an audio output, a timer thread) may read the clock
// while the thread that steps it writes.
class ManualClock : public IClock {
public:
    explicit ManualClock(uint32_t startMs = 0, int64_t wallSeconds = 0)
        : m_ms(startMs), m_wall(wallSeconds) {}
    ManualClock(const ManualClock&) = delete;
    ManualClock& operator=(const ManualClock&) = delete;
    uint32_t tickCount() override { return static_cast<uint32_t>(m_ms.load()); }
    int64_t perfCounter() override { return static_cast<int64_t>(m_ms.load()); }
    int64_t perfFrequency() override { return 1000; }
    int64_t wallClock() override { return m_wall.load(); }
    // Returns at once with the clock advanced by the time.
    void sleep(uint32_t ms) override { advance(ms); }

    void set(uint64_t ms) { m_ms.store(ms); }
    void advance(uint64_t ms) { m_ms.fetch_add(ms); }
    void setWallClock(int64_t seconds) { m_wall.store(seconds); }

private:
    std::atomic<uint64_t> m_ms;
    std::atomic<int64_t> m_wall;
};

// The clock in force; the system clock unless a test installed another. Any thread
// may ask; installing is atomic too.
IClock& clock();
// Installs a clock (not owned); null restores the system clock.
void setClock(IClock* c);

// Installs a clock for the lifetime of the guard.
class ScopedClock {
public:
    explicit ScopedClock(IClock& c) : m_prev(&clock()) { setClock(&c); }
    ~ScopedClock() { setClock(m_prev); }
    ScopedClock(const ScopedClock&) = delete;
    ScopedClock& operator=(const ScopedClock&) = delete;

private:
    IClock* m_prev;
};

} // namespace platform
