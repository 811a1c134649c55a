// The process-wide high-resolution millisecond clock, over the platform's
// performance counter. Readers use only differences of two readings, or mix
// the value into random numbers.
#pragma once
#include <cstdint>

class CPerformanceTimer {
public:
    virtual ~CPerformanceTimer() = default;

    // Reads the counter frequency; false when there is no high-resolution counter.
    static bool init();
    // Counter * 1000 / frequency, truncated to 32 bits (0 without a counter).
    static int getMilliseconds();
    static int64_t getFrequency() { return s_frequency; }

private:
    static int64_t s_frequency;
};
