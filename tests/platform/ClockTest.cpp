#include <gtest/gtest.h>

#include "platform/Clock.h"
#include "platform/DebugOutput.h"

TEST(Clock, ManualClockIsInstalledAndRestored) {
    platform::IClock* before = &platform::clock();
    {
        platform::ManualClock manual(0xFFFFFFF0u, 1000);
        platform::ScopedClock scope(manual);
        EXPECT_EQ(&platform::clock(), &manual);
        EXPECT_EQ(platform::clock().tickCount(), 0xFFFFFFF0u);
        manual.advance(0x20);  // the tick count wraps like the system's
        EXPECT_EQ(platform::clock().tickCount(), 0x10u);
        EXPECT_EQ(platform::clock().perfCounter() * 1000 / platform::clock().perfFrequency(), 0x100000010LL);
        EXPECT_EQ(platform::clock().wallClock(), 1000);
    }
    EXPECT_EQ(&platform::clock(), before);
}

TEST(Clock, SystemClockMovesForward) {
    platform::SystemClock sys;
    const int64_t a = sys.perfCounter();
    const int64_t b = sys.perfCounter();
    EXPECT_LE(a, b);
    EXPECT_GT(sys.perfFrequency(), 0);
    EXPECT_GT(sys.wallClock(), 1600000000);
}

TEST(DebugOutput, CapturedWhileInstalledDiscardedOtherwise) {
    platform::CapturedDebugOutput captured;
    {
        platform::ScopedDebugOutput scope(captured);
        platform::outputDebugString("one\n");
        platform::outputDebugString(nullptr);
    }
    platform::outputDebugString("lost\n");
    ASSERT_EQ(captured.lines.size(), 1u);
    EXPECT_EQ(captured.lines[0], "one\n");
}
