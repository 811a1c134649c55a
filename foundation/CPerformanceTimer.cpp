#include "foundation/CPerformanceTimer.h"

#include <string>

#include "foundation/CEngineEnv.h"
#include "foundation/CXObject.h"
#include "foundation/CXString.h"
#include "foundation/Crt.h"
#include "platform/Clock.h"
#include "platform/DebugOutput.h"

int64_t CPerformanceTimer::s_frequency = 0;

bool CPerformanceTimer::init() {
    s_frequency = platform::clock().perfFrequency();
    return s_frequency > 0;
}

int CPerformanceTimer::getMilliseconds() {
    // Counter and frequency are read together from the clock in force, so a
    // clock installed after init (as tests do) is read consistently.
    platform::IClock& c = platform::clock();
    const int64_t frequency = c.perfFrequency();
    if (frequency <= 0) return 0;
    const int64_t counter = c.perfCounter();
    // Split so that counter * 1000 cannot overflow on long uptimes.
    const int64_t ms = (counter / frequency) * 1000 + (counter % frequency) * 1000 / frequency;
    return static_cast<int>(static_cast<uint32_t>(static_cast<uint64_t>(ms)));
}

namespace {
// The profiler's one slot.
struct ProfileSlot {
    bool open = false;
    std::string name;
    int start = 0;
};

ProfileSlot& profileSlot() {
    static ProfileSlot slot;
    return slot;
}
} // namespace

void CXObject::profile(const char* name, bool toLog) {
    ProfileSlot& slot = profileSlot();
    if (name) {
        slot.start = CPerformanceTimer::getMilliseconds();
        slot.name = name;
        slot.open = true;
        return;
    }
    if (!slot.open) return;
    // The difference is taken modulo 2^32, as the clock's value wraps there.
    const int elapsed = static_cast<int>(static_cast<uint32_t>(CPerformanceTimer::getMilliseconds()) -
                                         static_cast<uint32_t>(slot.start));
    char buffer[1024];
    crt::formatText(buffer, sizeof buffer, "Time spend in %s: %d ms.\n", slot.name.c_str(), elapsed);
    platform::outputDebugString(buffer);
    if (toLog) CEngineEnv::toLog(CXString(buffer), true);
    slot.name.clear();
    slot.open = false;
}
