#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

#include "foundation/CXVector.h"
#include "graphics/core/CGraphicsObject.h"
#include "graphics/input/CHotSpot.h"
#include "platform/Input.h"
#include "shell/CWindow.h"

namespace {

using Log = std::vector<std::string>;

struct Spot : CHotSpot {
    Spot(CWindow* w, const char* name, Log& log, CXRect r, int priority, int answer = 1)
        : CHotSpot(w), name(name), log(log), answer(answer) {
        SetActiveRect(r, EVENT_LBUTTONDOWN, 0);
        setPriority(priority);
    }
    int note(const char* what) {
        log.push_back(name + " " + what);
        if (onCall) onCall(what);
        return answer;
    }
    int OnMouseMove(CXPoint, int, void*) override { return note("move"); }
    int OnLButtonDown(CXPoint, int, void*) override { return note("down"); }
    int OnLButtonUp(CXPoint, int, void*) override { return note("up"); }
    int OnRButtonDown(CXPoint, int, void*) override { return note("rdown"); }
    int OnFocusOn(CXPoint, int, void*) override { return note("on"); }
    int OnFocusOff(CXPoint, int, void*) override { return note("off"); }
    std::string name;
    Log& log;
    int answer;
    std::function<void(const char*)> onCall;
};

class HotSpots : public ::testing::Test {
protected:
    void TearDown() override {
        CHotSpot::setMinPriority(0);
        CHotSpot::setMaxPriority(CHotSpot::kMaxPriority);
    }
    platform::InputSystem input;
    platform::ScopedInput scopedInput{input};
    CWindow window;
    Log log;
};

TEST_F(HotSpots, TheHighestPriorityInTheWindowWinsAndTheEarliestAmongEquals) {
    Spot five(&window, "5", log, CXRect(0, 0, 10, 10), 5);
    Spot seven(&window, "7", log, CXRect(5, 5, 20, 20), 7);
    EXPECT_EQ(CHotSpot::OnMouseEvent(EVENT_LBUTTONDOWN, CXPoint(6, 6), 0), 1);
    CHotSpot::setMaxPriority(6);
    CHotSpot::OnMouseEvent(EVENT_LBUTTONDOWN, CXPoint(6, 6), 0);
    CHotSpot::setMaxPriority(CHotSpot::kMaxPriority);
    Spot otherFive(&window, "5b", log, CXRect(0, 0, 10, 10), 5);
    CHotSpot::OnMouseEvent(EVENT_LBUTTONDOWN, CXPoint(1, 1), 0);
    EXPECT_EQ(log, (Log{"7 down", "5 down", "5 down"}));
    // Codes without a dispatcher: 0 for the known ones, the flags for the others.
    EXPECT_EQ(CHotSpot::OnMouseEvent(EVENT_MBUTTONDOWN, CXPoint(1, 1), 9), 0);
    EXPECT_EQ(CHotSpot::OnMouseEvent(128, CXPoint(1, 1), 9), 9);
}

TEST_F(HotSpots, AnObjectOffTheScreenHasPriorityMinusOneAndAnEmptyRegionIsNeverHit) {
    CGraphicsObject g(&window, CXSize(10, 10), 16);
    Spot follower(&window, "g", log, CXRect(), 0);
    follower.Set(&g, false);
    EXPECT_EQ(follower.getPriority(), -1);
    Spot empty(&window, "e", log, CXRect(), 3);
    EXPECT_FALSE(empty.TestHit(CXPoint(0, 0)));
    EXPECT_EQ(CHotSpot::OnMouseEvent(EVENT_LBUTTONDOWN, CXPoint(1, 1), 0), 0);
    EXPECT_TRUE(log.empty());
    // Not even with the window opened below 0: the search starts at -1.
    CHotSpot::setMinPriority(-1);
    CHotSpot::OnMouseEvent(EVENT_LBUTTONDOWN, CXPoint(1, 1), 0);
    EXPECT_TRUE(log.empty());
}

TEST_F(HotSpots, MovingAcrossGivesFocusOffThenMoveThenFocusOn) {
    Spot a(&window, "A", log, CXRect(0, 0, 10, 10), 1, 0);
    Spot b(&window, "B", log, CXRect(10, 0, 20, 10), 1, 0);
    CHotSpot::OnMouseEvent(EVENT_MOUSEMOVE, CXPoint(1, 1), 0);
    CHotSpot::OnMouseEvent(EVENT_MOUSEMOVE, CXPoint(2, 1), 0);
    CHotSpot::OnMouseEvent(EVENT_MOUSEMOVE, CXPoint(12, 1), 0);
    CHotSpot::OnMouseEvent(EVENT_MOUSEMOVE, CXPoint(50, 50), 0);
    EXPECT_EQ(log, (Log{"A move", "A on", "A move", "A off", "B move", "B on", "B off"}));
}

TEST_F(HotSpots, TheRightButtonWalksInRegistrationOrderUntilOneAnswers) {
    Spot low(&window, "low", log, CXRect(0, 0, 10, 10), 1, 0);
    Spot high(&window, "high", log, CXRect(0, 0, 10, 10), 9, 4);
    Spot last(&window, "last", log, CXRect(0, 0, 10, 10), 5, 1);
    EXPECT_EQ(CHotSpot::OnMouseEvent(EVENT_RBUTTONDOWN, CXPoint(1, 1), 0), 4);
    EXPECT_EQ(log, (Log{"low rdown", "high rdown"}));
}

TEST_F(HotSpots, AHotSpotDeletedByAnothersHandlerIsNotTouchedAgain) {
    auto* victim = new Spot(&window, "V", log, CXRect(0, 0, 10, 10), 1, 0);
    Spot killer(&window, "K", log, CXRect(0, 0, 10, 10), 1, 0);
    Spot added(&window, "N", log, CXRect(0, 0, 10, 10), 1, 0);
    killer.onCall = [&](const char* what) {
        if (std::string(what) != "rdown" || !victim) return;
        delete victim;
        victim = nullptr;
        new Spot(&window, "late", log, CXRect(0, 0, 10, 10), 1, 0);
    };
    // The killer goes first in the walk; the victim after it.
    CHotSpot::remove(&killer);
    CHotSpot::getList()->insertAt(0, static_cast<CXObject*>(&killer));
    CHotSpot::OnMouseEvent(EVENT_RBUTTONDOWN, CXPoint(1, 1), 0);
    EXPECT_EQ(log, (Log{"K rdown", "N rdown"}));
    // The late one answers from the next event on.
    log.clear();
    killer.onCall = nullptr;
    CHotSpot::OnMouseEvent(EVENT_RBUTTONDOWN, CXPoint(1, 1), 0);
    EXPECT_EQ(log, (Log{"K rdown", "N rdown", "late rdown"}));
    for (int i = CHotSpot::getList()->getCount() - 1; i >= 0; --i) {
        auto* h = static_cast<Spot*>(CHotSpot::getList()->at(i));
        if (h->name == "late") delete h;
    }
}

} // namespace
