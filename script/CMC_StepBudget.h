// A bound on how much script code runs, for code that must regain control from
// scripts that never end (fuzz targets, a watchdog): every statement run and every
// pass of a loop takes one step; once none is left, statements do nothing and loops
// end. Unlimited unless set. Unlike a cap on nesting depth, it bounds total work.
#pragma once
#include <cstdint>

class CMC_StepBudget {
public:
    static constexpr int64_t kUnlimited = -1;

    // Steps allowed from now on; kUnlimited (or any negative count) for no bound.
    static void set(int64_t steps) { s_left = steps < 0 ? kUnlimited : steps; }
    static int64_t left() { return s_left; }
    // Whether a bound was set and is used up.
    static bool exhausted() { return s_left == 0; }
    // Takes one step; false when the budget is used up.
    static bool take() {
        if (s_left < 0) return true;
        if (s_left == 0) return false;
        --s_left;
        return true;
    }

private:
    static inline int64_t s_left = kUnlimited;
};
