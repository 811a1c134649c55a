#include <gtest/gtest.h>

#include <cstdint>
#include <functional>
#include <string>
#include <utility>
#include <vector>

#include "foundation/CPerformanceTimer.h"
#include "foundation/CTimerNotificator.h"
#include "foundation/CXObject.h"
#include "foundation/CXTimer.h"
#include "platform/Clock.h"
#include "platform/DebugOutput.h"
#include "shell/CUnit6.h"
#include "shell/CWindow.h"

namespace {

// Records every firing; optionally runs an action inside the callback.
class Recorder : public CTimerNotificator {
public:
    void onTimer(intptr_t id) override {
        fired.push_back(id);
        if (action) action(id);
    }
    std::vector<intptr_t> fired;
    std::function<void(intptr_t)> action;
};

class RecordingUnit : public CUnit6 {
public:
    explicit RecordingUnit(CWindow* w) : CUnit6(w, CXString("unit")) {}
    void onTimer(intptr_t id) override { fired.push_back(id); }
    std::vector<intptr_t> fired;
};

class RecordingWindow : public CWindow {
public:
    int OnTimer(intptr_t id) override {
        fired.push_back(id);
        return 0;
    }
    std::vector<intptr_t> fired;
};

class CXTimerTest : public ::testing::Test {
protected:
    void TearDown() override { CXTimer::enable(true); }

    // Sets the clock and runs one polling pass.
    void frameAt(uint32_t ms) {
        clock.set(ms);
        timers.domodal();
    }

    platform::ManualClock clock{1000};
    platform::ScopedClock scoped{clock};
    CXTimer timers{nullptr};
    Recorder rec;
};

} // namespace

TEST_F(CXTimerTest, FiresOnScheduleAndCatchesUpOnePerFrameAfterAStall) {
    timers.add(7, 100, &rec);
    // (frame time, count after the pass); the stall to 1350 owes three firings,
    // paid one per frame; the schedule stays anchored to the start.
    const std::vector<std::pair<uint32_t, int>> frames = {
        {1050, 0}, {1099, 0}, {1100, 1}, {1150, 1}, {1350, 2}, {1351, 3}, {1352, 3}, {1399, 3}, {1400, 4}, {1500, 5},
    };
    for (const auto& [t, count] : frames) {
        frameAt(t);
        EXPECT_EQ(timers.find(7)->getCount(), count) << "at " << t;
    }
    EXPECT_EQ(rec.fired, std::vector<intptr_t>(5, 7));
}

TEST_F(CXTimerTest, TickCounterWrapDoesNotStallTimers) {
    clock.set(0xFFFFFF00u);
    timers.add(1, 0x200, &rec);
    frameAt(0xFFFFFFFFu);
    EXPECT_TRUE(rec.fired.empty());
    clock.set(0x100000000ull); // the tick count wraps to 0
    timers.domodal();
    EXPECT_TRUE(rec.fired.empty());
    clock.set(0x100000100ull);
    timers.domodal();
    EXPECT_EQ(rec.fired.size(), 1u);
}

TEST_F(CXTimerTest, RemoveInsideOwnCallbackStopsAndDropsTheTimer) {
    rec.action = [this](intptr_t id) { timers.remove(id); };
    timers.add(3, 10, &rec);
    Recorder other;
    timers.add(4, 10, &other);
    frameAt(1010);
    EXPECT_EQ(rec.fired.size(), 1u);
    EXPECT_EQ(timers.find(3), nullptr) << "a removed timer is no longer found";
    EXPECT_EQ(timers.getSize(), 2) << "deleted only by the next pass";
    frameAt(1020);
    frameAt(1030);
    EXPECT_EQ(rec.fired.size(), 1u);
    EXPECT_EQ(other.fired.size(), 3u);
    EXPECT_EQ(timers.getSize(), 1);
}

TEST_F(CXTimerTest, ReusedIdAfterRemovalFindsTheNewTimer) {
    // Ids taken from addresses come back: remove then add the same id before a pass.
    const intptr_t id = reinterpret_cast<intptr_t>(&rec);
    timers.add(id, 100, &rec);
    timers.remove(id);
    Recorder fresh;
    timers.add(id, 30, &fresh);
    ASSERT_NE(timers.find(id), nullptr);
    EXPECT_EQ(timers.find(id)->getNotificator(), &fresh);
    frameAt(1030);
    EXPECT_TRUE(rec.fired.empty());
    EXPECT_EQ(fresh.fired, std::vector<intptr_t>{id});
    timers.remove(id);
    frameAt(1060);
    EXPECT_EQ(fresh.fired.size(), 1u);
    EXPECT_EQ(timers.getSize(), 0);
}

TEST_F(CXTimerTest, TimerAddedByCallbackIsExaminedFromTheNextPass) {
    Recorder late;
    rec.action = [&](intptr_t) {
        if (timers.getSize() == 1) timers.add(9, 0, &late);
    };
    timers.add(1, 10, &rec);
    frameAt(1010);
    EXPECT_TRUE(late.fired.empty());
    frameAt(1011);
    EXPECT_EQ(late.fired.size(), 1u);
}

TEST_F(CXTimerTest, DisabledSwitchHoldsEveryListThenCatchesUp) {
    CXTimer second(nullptr);
    Recorder rec2;
    timers.add(1, 100, &rec);
    second.add(2, 100, &rec2);
    timers.remove(1);
    CXTimer::enable(false);
    EXPECT_FALSE(CXTimer::isEnabled());
    frameAt(1300);
    second.domodal();
    EXPECT_TRUE(rec2.fired.empty());
    EXPECT_EQ(timers.getSize(), 1) << "nothing is dropped while disabled";

    CXTimer::enable(true);
    second.domodal();
    second.domodal();
    EXPECT_EQ(rec2.fired.size(), 2u) << "one firing per frame";
    second.domodal();
    second.domodal();
    EXPECT_EQ(rec2.fired.size(), 3u) << "only the three owed firings";
    timers.domodal();
    EXPECT_EQ(timers.getSize(), 0);
}

TEST_F(CXTimerTest, PauseAndResumeKeepTheRemainingTime) {
    timers.add(1, 100, &rec);
    frameAt(1100); // first firing; next due at 1200
    frameAt(1130);
    timers.pause(); // 70 ms left
    EXPECT_TRUE(timers.find(1)->isPaused());
    CXTimer::enable(false);
    frameAt(5000);
    clock.set(9000);
    timers.pause(); // a second pause keeps the first record
    CXTimer::enable(true);
    timers.resume();
    EXPECT_FALSE(timers.find(1)->isPaused());
    const std::vector<std::pair<uint32_t, size_t>> frames = {{9000, 1}, {9069, 1}, {9070, 2}, {9169, 2}, {9170, 3}};
    for (const auto& [t, fired] : frames) {
        frameAt(t);
        EXPECT_EQ(rec.fired.size(), fired) << "at " << t;
    }
}

TEST_F(CXTimerTest, PauseOfAnOverdueTimerResumesItAtOnce) {
    timers.add(1, 100, &rec);
    clock.set(1250); // owes two firings
    timers.pause();
    clock.set(2000);
    timers.resume();
    frameAt(2000);
    frameAt(2001);
    EXPECT_EQ(rec.fired.size(), 1u) << "the backlog is not paid after a resume";
    frameAt(2100);
    EXPECT_EQ(rec.fired.size(), 2u);
}

TEST_F(CXTimerTest, ResumeLeavesTimersThatWereNotPaused) {
    timers.pause(); // empty list
    timers.add(1, 100, &rec);
    clock.set(1050);
    timers.resume();
    frameAt(1099);
    EXPECT_TRUE(rec.fired.empty());
    frameAt(1100);
    EXPECT_EQ(rec.fired.size(), 1u);
}

TEST_F(CXTimerTest, ResetRestartsOneTimer) {
    timers.add(1, 100, &rec);
    frameAt(1100);
    clock.set(1180);
    timers.reset(1);
    EXPECT_EQ(timers.find(1)->getCount(), 0);
    frameAt(1200);
    EXPECT_EQ(rec.fired.size(), 1u);
    frameAt(1280);
    EXPECT_EQ(rec.fired.size(), 2u);
    timers.reset(12345); // unknown id: nothing
    timers.remove(12345);
    EXPECT_EQ(timers.find(12345), nullptr);
}

TEST_F(CXTimerTest, NewIntervalKeepsStartAndCount) {
    timers.add(1, 100, &rec);
    frameAt(1100);
    timers.find(1)->setInterval(300); // next at start + 300 * 2
    frameAt(1599);
    EXPECT_EQ(rec.fired.size(), 1u);
    frameAt(1600);
    EXPECT_EQ(rec.fired.size(), 2u);
}

TEST_F(CXTimerTest, UnitTimersAskTheUnitWhenTold) {
    RecordingUnit asking(nullptr);
    RecordingUnit plain(nullptr);
    timers.add(1, 10, &asking, true);
    timers.add(2, 10, &plain, false);
    frameAt(1010);
    EXPECT_TRUE(asking.fired.empty()) << "inactive unit";
    EXPECT_EQ(plain.fired.size(), 1u) << "a unit that is not asked is always called";
    EXPECT_EQ(timers.find(1)->getCount(), 1) << "the count advances anyway";
    asking.setActivity(true);
    frameAt(1020);
    EXPECT_TRUE(asking.fired.empty()) << "active but not initially updated";
    asking.onInitialUpdate();
    frameAt(1030);
    EXPECT_EQ(asking.fired, std::vector<intptr_t>{1});
}

TEST_F(CXTimerTest, WindowTimersThroughSetTimerAndKillTimer) {
    RecordingWindow window;
    ASSERT_NE(window.GetTimerInterface(), nullptr);
    RecordingUnit unit(&window);
    const intptr_t bigId = static_cast<intptr_t>(0x7FFFFFFF) + 5; // ids are not truncated
    window.SetTimer(bigId, 10, nullptr, false);
    unit.setTimer(6, 10, false);
    clock.set(1010);
    window.GetTimerInterface()->domodal();
    EXPECT_EQ(window.fired, std::vector<intptr_t>{bigId});
    EXPECT_EQ(unit.fired, std::vector<intptr_t>{6});
    window.KillTimer(bigId);
    unit.killTimer(6);
    clock.set(1020);
    window.GetTimerInterface()->domodal();
    EXPECT_EQ(window.fired.size(), 1u);
    EXPECT_EQ(unit.fired.size(), 1u);
    EXPECT_EQ(window.GetTimerInterface()->getSize(), 1) << "only the deferred-delete collector's timer";
}

TEST(CPerformanceTimer, MillisecondsFollowTheClockWithoutOverflow) {
    platform::ManualClock manual(5000);
    platform::ScopedClock scoped(manual);
    EXPECT_TRUE(CPerformanceTimer::init());
    EXPECT_EQ(CPerformanceTimer::getMilliseconds(), 5000);
    manual.advance(1234);
    EXPECT_EQ(CPerformanceTimer::getMilliseconds(), 6234);

    // A nanosecond counter after about 300 years of uptime: counter * 1000 would overflow.
    class FastClock : public platform::ManualClock {
    public:
        int64_t perfCounter() override { return 9000000000000000000LL; }
        int64_t perfFrequency() override { return 1000000000; }
    } fast;
    platform::ScopedClock scopedFast(fast);
    EXPECT_EQ(CPerformanceTimer::getMilliseconds(), static_cast<int>(static_cast<uint32_t>(9000000000000ULL)));

    class NoCounter : public platform::ManualClock {
    public:
        int64_t perfFrequency() override { return 0; }
    } none;
    platform::ScopedClock scopedNone(none);
    EXPECT_FALSE(CPerformanceTimer::init());
    EXPECT_EQ(CPerformanceTimer::getMilliseconds(), 0);
}

TEST(CXObjectProfile, WritesOneLinePerClosedMeasurement) {
    platform::ManualClock manual(100);
    platform::ScopedClock scoped(manual);
    platform::CapturedDebugOutput out;
    platform::ScopedDebugOutput scopedOut(out);

    CXObject::profile(nullptr, true);
    EXPECT_TRUE(out.lines.empty()) << "no open measurement";

    CXObject::profile("first", false);
    manual.advance(7);
    CXObject::profile("loading scene", false); // replaces the first
    manual.advance(25);
    CXObject::profile(nullptr, true);
    CXObject::profile(nullptr, true); // the slot is empty again
    ASSERT_EQ(out.lines.size(), 1u);
    EXPECT_EQ(out.lines[0], "Time spend in loading scene: 25 ms.\n");

    // A name longer than the line buffer is cut, not overrun.
    const std::string longName(3000, 'n');
    CXObject::profile(longName.c_str(), false);
    CXObject::profile(nullptr, false);
    ASSERT_EQ(out.lines.size(), 2u);
    EXPECT_EQ(out.lines[1].size(), 1023u);
}
