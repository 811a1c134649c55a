#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

#include "graphics/input/CHotSpot.h"
#include "platform/Clock.h"
#include "platform/Input.h"
#include "platform/WindowPlacement.h"
#include "shell/CApplication.h"
#include "shell/CMouseListener.h"
#include "shell/CWindow.h"

namespace {

using Log = std::vector<std::string>;

// Logs every call; takes the calls named in `takes`.
struct Listener : CMouseListener, CKeyListener {
    Listener(std::string name, Log& log, std::vector<std::string> takes = {})
        : name(std::move(name)), log(log), takes(std::move(takes)) {}
    bool note(const std::string& call) {
        log.push_back(name + " " + call);
        if (onCall) onCall(call);
        for (const std::string& t : takes)
            if (t == call) return true;
        return false;
    }
    bool onMouseMove(CXPoint) override { return note("move"); }
    bool onClick(int b, CXPoint) override { return note("click" + std::to_string(b)); }
    bool onClick(CXPoint) override { return note("click"); }
    bool onRelease(int b, CXPoint) override { return note("release" + std::to_string(b)); }
    bool onRelease(CXPoint) override { return note("release"); }
    bool onDblClick(CXPoint) override { return note("dbl"); }
    void onSetFocus() override { note("focus"); }
    void onLooseFocus() override { note("lose"); }
    void onKeyDown(int k) override { note("down" + std::to_string(k)); }
    void onKeyUp(int k) override { note("up" + std::to_string(k)); }
    void onChar(unsigned char c) override { note(std::string("char") + static_cast<char>(c)); }

    std::string name;
    Log& log;
    std::vector<std::string> takes;
    std::function<void(const std::string&)> onCall;
};

struct TakingHotSpot : CHotSpot {
    TakingHotSpot(CWindow* w, Log& log) : CHotSpot(w), log(log) {}
    int OnLButtonDown(CXPoint, int, void*) override {
        log.push_back("hot down");
        return 7;
    }
    Log& log;
};

class InputDispatch : public ::testing::Test {
protected:
    platform::ManualClock clock{1000};
    platform::ScopedClock scopedClock{clock};
    platform::InputSystem input;
    platform::ScopedInput scopedInput{input};
    CWindow window;
    Log log;
};

TEST_F(InputDispatch, ListenersByPriorityLatestFirstAmongEqualsWithTheButtonTable) {
    Listener a("A", log), b("B", log), c("C", log);
    window.registerMouseListener(&a, 5);
    window.registerMouseListener(&b, 5);
    window.registerMouseListener(&c, 9);
    window.registerMouseListener(&c, 1);  // kept at 9
    struct Row {
        int (CWindow::*handler)(CXPoint, int);
        Log calls;
        int result;
    };
    const Row rows[] = {
        {&CWindow::OnMouseMove, {"C move", "B move", "A move"}, 0},
        {&CWindow::OnLButtonDown, {"C click", "C click0", "B click", "B click0", "A click", "A click0"}, 0},
        {&CWindow::OnLButtonUp, {"C release", "C release0", "B release", "B release0", "A release", "A release0"}, 0},
        {&CWindow::OnLButtonDblClk, {"C dbl", "B dbl", "A dbl"}, 0},
        {&CWindow::OnMButtonDown, {"C click1", "B click1", "A click1"}, 0},
        {&CWindow::OnMButtonUp, {"C release1", "B release1", "A release1"}, 0},
        {&CWindow::OnRButtonDown, {"C click2", "B click2", "A click2"}, 0},
        {&CWindow::OnRButtonUp, {"C release2", "B release2", "A release2"}, 0},
    };
    for (const Row& row : rows) {
        log.clear();
        EXPECT_EQ((window.*row.handler)(CXPoint(1, 1), 0), row.result);
        EXPECT_EQ(log, row.calls);
        // A non-zero flag does nothing.
        log.clear();
        EXPECT_EQ((window.*row.handler)(CXPoint(1, 1), 3), 0);
        EXPECT_TRUE(log.empty());
    }
}

TEST_F(InputDispatch, TheFirstTakerEndsTheSearchAndAMoveTakenAnswersOne) {
    Listener low("L", log), high("H", log, {"click", "move"});
    window.registerMouseListener(&low, 1);
    window.registerMouseListener(&high, 2);
    EXPECT_EQ(window.OnLButtonDown(CXPoint(), 0), 0);
    EXPECT_EQ(log, (Log{"H click"}));  // onClick(point) taken: onClick(0, point) not asked
    log.clear();
    EXPECT_EQ(window.OnMouseMove(CXPoint(), 0), 1);
    EXPECT_EQ(log, (Log{"H move"}));
    window.enableMouse(false);
    log.clear();
    EXPECT_EQ(window.OnMouseMove(CXPoint(), 0), 0);
    EXPECT_TRUE(log.empty());
}

TEST_F(InputDispatch, AHotSpotThatTakesTheEventKeepsItFromTheListeners) {
    Listener a("A", log);
    window.registerMouseListener(&a, 5);
    TakingHotSpot hot(&window, log);
    hot.SetActiveRect(CXRect(0, 0, 10, 10), EVENT_LBUTTONDOWN, 0);
    EXPECT_EQ(window.OnLButtonDown(CXPoint(5, 5), 0), 7);
    EXPECT_EQ(log, (Log{"hot down"}));
    log.clear();
    EXPECT_EQ(window.OnLButtonDown(CXPoint(50, 5), 0), 0);
    EXPECT_EQ(log, (Log{"A click", "A click0"}));
}

TEST_F(InputDispatch, CaptureMovesTheListenerFirstAndTellsBoth) {
    Listener a("A", log), b("B", log);
    window.setMouseCaption(&a);  // empty list: nothing, not added
    window.OnMouseMove(CXPoint(), 0);
    EXPECT_TRUE(log.empty());

    window.registerMouseListener(&a, 3);
    window.registerMouseListener(&b, 7);
    window.setMouseCaption(&b);  // already first: nothing
    EXPECT_TRUE(log.empty());
    window.setMouseCaption(&a);
    EXPECT_EQ(log, (Log{"B lose", "A focus"}));
    log.clear();
    window.OnMouseMove(CXPoint(), 0);
    EXPECT_EQ(log, (Log{"A move", "B move"}));
    // A later listener at the capture priority goes after it: it is asked first.
    Listener c("C", log);
    window.registerMouseListener(&c, CWindow::kCapturePriority);
    log.clear();
    window.OnMouseMove(CXPoint(), 0);
    EXPECT_EQ(log, (Log{"C move", "A move", "B move"}));
}

TEST_F(InputDispatch, AListenerRemovedOrAddedMidWalkIsAskedFromTheNextEventOn) {
    Listener a("A", log), b("B", log), c("C", log), added("N", log);
    window.registerMouseListener(&a, 1);
    window.registerMouseListener(&b, 2);
    window.registerMouseListener(&c, 3);
    c.onCall = [&](const std::string& call) {
        if (call != "click") return;
        window.removeMouseListener(&b);
        window.removeMouseListener(&a);
        window.registerMouseListener(&a, 1);  // back, but only for later events
        window.registerMouseListener(&added, 9);
    };
    window.OnLButtonDown(CXPoint(), 0);
    EXPECT_EQ(log, (Log{"C click", "C click0"}));
    c.onCall = nullptr;
    log.clear();
    window.OnLButtonDown(CXPoint(), 0);
    EXPECT_EQ(log, (Log{"N click", "N click0", "C click", "C click0", "A click", "A click0"}));

    // Key listeners likewise; a listener added twice hears twice.
    CApplication application(&window, CXString(), CXString(), nullptr);
    window.registerKeyListener(&a);
    window.registerKeyListener(&b);
    window.registerKeyListener(&a);
    a.onCall = [&](const std::string& call) {
        if (call == "down30") window.removeKeyListener(&b);
    };
    log.clear();
    window.OnKeyDown(30, 0);
    EXPECT_EQ(log, (Log{"A down30", "A down30"}));
}

TEST_F(InputDispatch, KeyDownsNeedTheApplicationKeyUpsAndCharactersDoNot) {
    Listener a("A", log), b("B", log);
    window.registerKeyListener(&a);
    window.registerKeyListener(&b);
    EXPECT_EQ(window.OnKeyDown(30, 0), 0);
    window.OnKeyUp(30, 0);
    window.OnChar('x', 0);
    EXPECT_EQ(log, (Log{"A up30", "B up30", "A charx", "B charx"}));
    CApplication application(&window, CXString(), CXString(), nullptr);
    log.clear();
    window.OnKeyDown(30, 0);
    EXPECT_EQ(log, (Log{"A down30", "B down30"}));
}

TEST_F(InputDispatch, DraggingMovesTheWindowUntilItsCornerReachesTheUsableBounds) {
    platform::WindowPlacement placement;
    platform::ScopedWindowPlacement scoped(placement);
    placement.originX = 100;
    placement.originY = 100;
    placement.bounds = platform::ScreenBounds{0, 0, 800, 600};
    struct Windowed : CWindow {
        Windowed() : CWindow(nullptr, nullptr, nullptr, CXSize(640, 480), nullptr, CWindow::exePath, true) {
            m_windowMode = true;
        }
    } windowed;
    windowed.startDraggingWindow(CXPoint(10, 10));
    windowed.OnMouseMove(CXPoint(30, 40), 0);
    EXPECT_EQ(placement.moves, 0);  // inactive
    windowed.Activate(true);
    windowed.OnMouseMove(CXPoint(30, 40), 5);  // the flag does not stop dragging
    EXPECT_EQ(placement.moves, 1);
    EXPECT_EQ(placement.originX, 120);
    EXPECT_EQ(placement.originY, 130);
    EXPECT_EQ(placement.clientWidth, 640);
    windowed.OnMouseMove(CXPoint(700, 10), 0);  // corner x 810: stays
    EXPECT_EQ(placement.moves, 1);
    windowed.stopDraggingWindow();
    windowed.OnMouseMove(CXPoint(20, 20), 0);
    EXPECT_EQ(placement.moves, 1);
}

TEST_F(InputDispatch, CursorsFollowTheLocksAndTheMouseSwitch) {
    int mainShape = 0, activeShape = 0, waitShape = 0;
    platform::CursorHandle main = &mainShape, active = &activeShape, wait = &waitShape;
    CWindow w(nullptr, nullptr, nullptr, CXSize(), main, CWindow::exePath, true);
    EXPECT_EQ(input.cursor(), main);
    w.SetActiveCursor(active);
    w.SetWaitCursor(wait);
    w.BeginActiveCursor();
    EXPECT_EQ(input.cursor(), active);
    w.lockActiveCursor(true);
    EXPECT_EQ(input.cursor(), main);
    w.BeginActiveCursor();
    EXPECT_EQ(input.cursor(), main);
    w.enableMouse(false);
    EXPECT_EQ(input.cursor(), wait);
    w.LockCursor();
    w.enableMouse(true);
    EXPECT_EQ(input.cursor(), wait);
    w.UnLockCursor();
    w.EndWaitCursor();
    EXPECT_EQ(input.cursor(), main);
    w.HideCursor();
    EXPECT_FALSE(input.isPointerShown());
    w.ShowCursor();
    EXPECT_TRUE(input.isPointerShown());
}

TEST(InputKeyCodes, TranslationTables) {
    EXPECT_EQ(CWindow::tranlateToChar(30), 'A');
    EXPECT_EQ(CWindow::tranlateToChar(11), '0');
    EXPECT_EQ(CWindow::tranlateToChar(57), ' ');
    EXPECT_EQ(CWindow::tranlateToChar(12), 0);
    EXPECT_EQ(CWindow::__get_virtualkey_code(16, 0x1D0001), -45);
    EXPECT_EQ(CWindow::__get_virtualkey_code(16, 0), -44);
    EXPECT_EQ(CWindow::__get_virtualkey_code(17, 0x2A0001), -48);
    EXPECT_EQ(CWindow::__get_virtualkey_code(37, 0), -43);
    EXPECT_EQ(CWindow::__get_virtualkey_code(65, 0), 65);
}

} // namespace
