#include <gtest/gtest.h>

#include <algorithm>
#include <climits>
#include <numeric>
#include <vector>

#include "foundation/CXRandom.h"
#include "platform/Clock.h"
#include "platform/DebugOutput.h"

namespace {

class CXRandomTest : public ::testing::Test {
protected:
    platform::ManualClock clock{0, 1700000000};
    platform::ScopedClock scoped{clock};
    platform::CapturedDebugOutput out;
    platform::ScopedDebugOutput scopedOut{out};
};

std::vector<int> copyOut(const int* values, int n) { return std::vector<int>(values, values + n); }

std::vector<int> iota(int from, int n) {
    std::vector<int> v(static_cast<size_t>(n));
    std::iota(v.begin(), v.end(), from);
    return v;
}

} // namespace

TEST_F(CXRandomTest, DrawsStayInTheirRange) {
    struct Case {
        int a, n, lo, hi;
    };
    // The clock is near the top of the int range, where rand() + milliseconds
    // would overflow a signed sum.
    for (uint32_t ms : {0u, 0x7FFFFFF0u, 0xFFFFFFF0u}) {
        clock.set(ms);
        for (const Case& c : {Case{0, 1, 0, 0}, Case{0, 7, 0, 6}, Case{5, 3, 5, 7}, Case{-5, 3, -5, -3},
                              Case{0, INT_MAX, 0, INT_MAX - 1}, Case{INT_MAX - 1, 10, INT_MAX - 1, INT_MAX}}) {
            for (int i = 0; i < 200; ++i) {
                clock.advance(1);
                const int v = c.a == 0 ? CXRandom::random(c.n) : CXRandom::random(c.a, c.n);
                ASSERT_GE(v, c.lo) << "a " << c.a << " n " << c.n << " ms " << ms;
                ASSERT_LE(v, c.hi) << "a " << c.a << " n " << c.n << " ms " << ms;
            }
        }
    }
}

TEST_F(CXRandomTest, NonPositiveRangeGivesTheStart) {
    EXPECT_EQ(CXRandom::random(0), 0);
    EXPECT_EQ(CXRandom::random(-4), 0);
    EXPECT_EQ(CXRandom::random(5, 0), 5);
    EXPECT_EQ(CXRandom::random(-3, -7), -3);
    int drawn = -1;
    EXPECT_EQ(copyOut(CXRandom::random_vector(3, 0, 4, false, &drawn), 4), std::vector<int>(4, 3));
    EXPECT_EQ(drawn, 4);
    CXRandom::random_vector(3, -2, 4, true, &drawn);
    EXPECT_EQ(drawn, 1) << "the range holds one value";
}

TEST_F(CXRandomTest, SeedFromWallClockRepeatsTheSequence) {
    CXRandom seeded;
    const std::vector<int> first = {CXRandom::random(1000), CXRandom::random(1000), CXRandom::random(1000)};
    CXRandom again;
    const std::vector<int> second = {CXRandom::random(1000), CXRandom::random(1000), CXRandom::random(1000)};
    EXPECT_EQ(first, second);
    clock.setWallClock(1700000001);
    CXRandom other;
    const std::vector<int> third = {CXRandom::random(1000), CXRandom::random(1000), CXRandom::random(1000)};
    EXPECT_NE(first, third);
}

TEST_F(CXRandomTest, UniqueVectorIsAPermutation) {
    struct Case {
        int a, n, count, expectedCount, from;
    };
    // A count of 0 stands for n - a; more distinct values than the range holds are capped.
    for (const Case& c : {Case{0, 10, 0, 10, 0}, Case{0, 10, 10, 10, 0}, Case{20, 5, 5, 5, 20}, Case{-3, 4, 9, 4, -3},
                          Case{0, 10000, 10000, 10000, 0}}) {
        int drawn = -1;
        std::vector<int> v = copyOut(CXRandom::random_vector(c.a, c.n, c.count, true, &drawn), c.expectedCount);
        EXPECT_EQ(drawn, c.expectedCount);
        std::sort(v.begin(), v.end());
        EXPECT_EQ(v, iota(c.from, c.expectedCount)) << "a " << c.a << " n " << c.n << " count " << c.count;
    }
}

TEST_F(CXRandomTest, UniqueVectorOfPartOfTheRangeHasNoRepeats) {
    int drawn = 0;
    std::vector<int> v = copyOut(CXRandom::random_vector(100, 50, 30, true, &drawn), 30);
    EXPECT_EQ(drawn, 30);
    std::sort(v.begin(), v.end());
    EXPECT_EQ(std::adjacent_find(v.begin(), v.end()), v.end());
    EXPECT_GE(v.front(), 100);
    EXPECT_LE(v.back(), 149);
}

TEST_F(CXRandomTest, TooManyValuesLeaveTheBufferAlone) {
    int* buffer = CXRandom::random_vector(0, 3, 5, false);
    const std::vector<int> before = copyOut(buffer, 5);
    int drawn = -1;
    EXPECT_EQ(CXRandom::random_vector(0, 20000, 10001, false, &drawn), buffer);
    EXPECT_EQ(drawn, 0);
    EXPECT_EQ(copyOut(buffer, 5), before);
    ASSERT_EQ(out.lines.size(), 1u);
    EXPECT_EQ(out.lines[0], "Arguments error: Random::getPlenty( )\n");
    // A count of 0 with n below a asks for nothing.
    CXRandom::random_vector(10, 3, 0, true, &drawn);
    EXPECT_EQ(drawn, 0);
    EXPECT_EQ(copyOut(buffer, 5), before);
}
