// The unit's own part of a scene: where it puts an element's animation, the random
// player it holds while a scene runs, and the screen it works on.
#include <gtest/gtest.h>

#include <functional>
#include <initializer_list>
#include <memory>
#include <string>
#include <utility>

#include "foundation/CXArray.h"
#include "foundation/CXTimer.h"
#include "graphics/play/CAnimo6.h"
#include "graphics/play/CRandomPlayable.h"
#include "graphics/screen/CRefreshScreen.h"
#include "platform/Clock.h"
#include "script/CMElement.h"
#include "shell/CUnit6.h"
#include "shell/CWindow.h"

namespace {

struct ScreenWindow : CWindow {
    ScreenWindow() : screen(this, CXSize(64, 48), 16), other(this, CXSize(64, 48), 16) { m_refreshScreen = &screen; }
    ~ScreenWindow() override { m_refreshScreen = nullptr; }
    void useOther() { m_refreshScreen = &other; }
    CRefreshScreen screen;
    CRefreshScreen other;
};

// A unit whose putOnCanvas the test calls.
struct CanvasUnit : CUnit6 {
    using CUnit6::CUnit6;
    using CUnit6::putOnCanvas;
};

// A playable that records its starts and runs the hook on each.
struct Target : CPlayable {
    Target() : CPlayable(nullptr) {}
    using CPlayable::play;
    void play() override {
        m_status = kStatusPlaying;
        ++plays;
        event = getLastPlayedEvent().c_str();
        if (onPlay) onPlay();
    }
    void stop(bool) override { m_status = 0; }
    void pause() override {}
    void resume() override {}
    void seek(int) override {}
    void finish() {
        m_status = 0;
        notify(kFinished);
    }
    int observers() { return getNotifiers() ? getNotifiers()->getCount() : 0; }
    int plays = 0;
    std::string event;
    std::function<void()> onPlay;
};

class UnitScene : public ::testing::Test {
protected:
    // One second of the window's timers.
    void second() {
        clock.advance(1000);
        window.GetTimerInterface()->domodal();
    }
    void seconds(int n) {
        for (int i = 0; i < n; ++i) second();
    }

    platform::ManualClock clock{1000};
    platform::ScopedClock scopedClock{clock};
    ScreenWindow window;
    CanvasUnit unit{&window, CXString("U")};
};

TEST_F(UnitScene, AnAnimationGoesOnTheCanvasAtThePriorityItsElementAsks) {
    struct Case {
        std::initializer_list<std::pair<const char*, const char*>> properties;
        int priority;  // on the canvas; -1: not put there
    };
    const Case cases[] = {
        {{{"ALWAYSONTOP", "TRUE"}, {"PRIORITY", "5"}, {"TOCANVAS", "TRUE"}}, CUnit6::kAlwaysOnTopPriority},
        {{{"PRIORITY", "5"}, {"TOCANVAS", "TRUE"}}, 5},
        {{{"ALWAYSONTOP", "FALSE"}, {"PRIORITY", "7"}, {"TOCANVAS", "TRUE"}}, 7},
        {{{"TOCANVAS", "TRUE"}}, 0},
        {{{"ALWAYSONTOP", "TRUE"}, {"PRIORITY", "5"}, {"TOCANVAS", "FALSE"}}, -1},
        {{{"PRIORITY", "5"}}, -1},
    };
    EXPECT_EQ(CUnit6::kAlwaysOnTopPriority, 1000);
    for (const Case& c : cases) {
        CMElement element(CXString("A"));
        std::string trace;
        for (const auto& [key, value] : c.properties) {
            element.addProperty(CXString(key), CXString(value));
            trace += std::string(key) + "=" + value + " ";
        }
        SCOPED_TRACE(trace);
        CAnimo6 animation(&window);
        unit.putOnCanvas(&animation, &element);
        EXPECT_EQ(window.screen.GetPriority(&animation), c.priority);
        window.screen >> &animation;
    }
}

TEST_F(UnitScene, RandomPlayablesReachThePlayerOnlyWhileASceneRuns) {
    Target target;
    const int timers = window.GetTimerInterface()->getSize();
    // Outside a scene nothing is kept and nothing plays.
    unit.addRandomPlayable(&target, 60.0, 1, CXString("E"));
    EXPECT_EQ(unit.getRandomPlayable(), nullptr);
    seconds(3);
    EXPECT_EQ(target.plays, 0);

    unit.initialize(nullptr, nullptr);
    CRandomPlayable* player = unit.getRandomPlayable();
    ASSERT_NE(player, nullptr);
    unit.addRandomPlayable(&target, 60.0, 1, CXString("E"));
    ASSERT_EQ(player->getCount(), 1);
    EXPECT_EQ(target.observers(), 1);
    // 60 a minute: the first second starts it; the unit, its notifier, allows it.
    second();
    EXPECT_EQ(target.plays, 1);
    EXPECT_EQ(target.event, "E");
    target.finish();
    unit.removeRandomPlayable(&target);
    EXPECT_EQ(player->getCount(), 0);
    EXPECT_EQ(target.observers(), 0);

    // Leaving the scene takes the player and its registrations with it.
    unit.addRandomPlayable(&target, 60.0, 1, CXString("E"));
    unit.done(nullptr, nullptr);
    EXPECT_EQ(unit.getRandomPlayable(), nullptr);
    EXPECT_EQ(target.observers(), 0);
    seconds(3);
    EXPECT_EQ(target.plays, 1);
    EXPECT_EQ(window.GetTimerInterface()->getSize(), timers);
    unit.addRandomPlayable(&target, 60.0, 1, CXString("E"));
    unit.removeRandomPlayable(&target);
    EXPECT_EQ(unit.getRandomPlayable(), nullptr);

    // Entered again: a new player, empty.
    unit.initialize(nullptr, nullptr);
    ASSERT_NE(unit.getRandomPlayable(), nullptr);
    EXPECT_EQ(unit.getRandomPlayable()->getCount(), 0);
    unit.done(nullptr, nullptr);
}

// A start may raise a script that leaves the scene (a handler of the animation's
// start); the player's step ends on a player that is still there and starts nothing more.
TEST_F(UnitScene, AStartThatLeavesTheSceneEndsThePlayersStepSafely) {
    Target first;
    Target second;
    unit.initialize(nullptr, nullptr);
    unit.addRandomPlayable(&first, 60.0, 1, CXString("E"));
    unit.addRandomPlayable(&second, 60.0, 1, CXString("E"));
    first.onPlay = [this] { unit.done(nullptr, nullptr); };
    this->second();
    EXPECT_EQ(first.plays, 1);
    EXPECT_EQ(second.plays, 0);
    EXPECT_EQ(unit.getRandomPlayable(), nullptr);
    EXPECT_EQ(first.observers(), 0);
    EXPECT_EQ(second.observers(), 0);
    first.finish();
    seconds(3);
    EXPECT_EQ(second.plays, 0);
}

TEST_F(UnitScene, TheCanvasIsTheWindowsScreenOfTheMoment) {
    EXPECT_EQ(unit.getCanvas(), &window.screen);
    window.useOther();
    EXPECT_EQ(unit.getCanvas(), &window.other);
    EXPECT_EQ(unit.getRefreshScreenInterface(), &window.other);
    ASSERT_NE(unit.getRetPath(), nullptr);
    EXPECT_EQ(unit.getRetPath()->getCount(), 0);
}

}  // namespace
