#include "foundation/CXRandom.h"

#include <cstdint>
#include <unordered_set>

#include "foundation/CPerformanceTimer.h"
#include "foundation/Crt.h"
#include "platform/Clock.h"
#include "platform/DebugOutput.h"

namespace {
int g_plenty[CXRandom::kMaxPlenty];

// rand() plus the clock's milliseconds, modulo n (n > 0), in unsigned arithmetic.
int draw(int n) {
    const uint32_t sum = static_cast<uint32_t>(crt::rand()) + static_cast<uint32_t>(CPerformanceTimer::getMilliseconds());
    return static_cast<int>(sum % static_cast<uint32_t>(n));
}

int offset(int a, int v) { return static_cast<int>(static_cast<int64_t>(a) + v > INT32_MAX ? INT32_MAX : a + v); }
} // namespace

CXRandom::CXRandom() { crt::srand(static_cast<uint32_t>(platform::clock().wallClock())); }

int CXRandom::random(int n) { return n > 0 ? draw(n) : 0; }

int CXRandom::random(int a, int n) { return n > 0 ? offset(a, draw(n)) : a; }

int* CXRandom::random_vector(int a, int n, int count, bool unique, int* drawn) {
    if (drawn) *drawn = 0;
    if (count == 0) count = static_cast<int>(static_cast<int64_t>(n) - a > INT32_MAX ? INT32_MAX : static_cast<int64_t>(n) - a);
    if (count > kMaxPlenty) {
        platform::outputDebugString("Arguments error: Random::getPlenty( )\n");
        return g_plenty;
    }
    if (count <= 0) return g_plenty;

    // The range holds n values; a non-positive n always gives a.
    const int range = n > 0 ? n : 1;
    if (unique && count > range) count = range;

    if (!unique) {
        for (int i = 0; i < count; ++i) g_plenty[i] = random(a, n);
    } else {
        // Drawn offsets (0 .. range - 1). After many collisions in a row the next
        // free offset above the drawn one is taken, so a generator that cannot
        // reach some value (rand() has only 32768 of them) never stalls the draw.
        std::unordered_set<int> used;
        used.reserve(static_cast<size_t>(count) * 2);
        for (int i = 0; i < count; ++i) {
            int v = n > 0 ? draw(n) : 0;
            for (int tries = 0; used.count(v) && tries < 1000; ++tries) v = draw(range);
            while (used.count(v)) v = (v + 1) % range;
            used.insert(v);
            g_plenty[i] = offset(a, v);
        }
    }
    if (drawn) *drawn = count;
    return g_plenty;
}
