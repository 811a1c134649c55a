#include "platform/Clock.h"

#include <cerrno>
#include <chrono>
#include <ctime>
#include <time.h>

namespace platform {

namespace {
using Steady = std::chrono::steady_clock;

int64_t steadyNanoseconds() {
    return std::chrono::duration_cast<std::chrono::nanoseconds>(Steady::now().time_since_epoch()).count();
}

SystemClock& systemClock() {
    static SystemClock instance;
    return instance;
}

std::atomic<IClock*> g_clock{nullptr};
} // namespace

uint32_t SystemClock::tickCount() {
    return static_cast<uint32_t>(static_cast<uint64_t>(steadyNanoseconds() / 1000000));
}

int64_t SystemClock::perfCounter() { return steadyNanoseconds(); }

int64_t SystemClock::perfFrequency() { return 1000000000; }

int64_t SystemClock::wallClock() { return static_cast<int64_t>(std::time(nullptr)); }

void IClock::sleep(uint32_t ms) {
    timespec left{static_cast<time_t>(ms / 1000), static_cast<long>(ms % 1000) * 1000000L};
    while (nanosleep(&left, &left) != 0 && errno == EINTR) {
    }
}

IClock& clock() {
    IClock* installed = g_clock.load();
    return installed ? *installed : systemClock();
}

void setClock(IClock* c) { g_clock.store(c); }

} // namespace platform
