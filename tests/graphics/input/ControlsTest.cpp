#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "foundation/CXTimer.h"
#include "graphics/core/CGraphicsObject.h"
#include "graphics/input/CButton.h"
#include "graphics/input/CControl.h"
#include "graphics/input/CEditBox6.h"
#include "graphics/input/CHotSpot.h"
#include "graphics/play/CPlayable.h"
#include "graphics/screen/CRefreshScreen.h"
#include "graphics/text/CMultilineText6.h"
#include "graphics/text/CText6.h"
#include "platform/Clock.h"
#include "platform/Input.h"
#include "shell/CUnit6.h"
#include "shell/CWindow.h"
#include "tests/graphics/text/TextFixtures.h"

namespace {

using Log = std::vector<std::string>;

std::string joined(const Log& log) {
    std::string out;
    for (const std::string& s : log) out += (out.empty() ? "" : " ") + s;
    return out;
}

// A window with a refresh screen of its own.
struct ScreenWindow : CWindow {
    ScreenWindow() : screen(this, CXSize(320, 200), 16) { m_refreshScreen = &screen; }
    ~ScreenWindow() override { m_refreshScreen = nullptr; }
    CRefreshScreen screen;
};

struct Listener : CControlNotifier {
    explicit Listener(Log& log) : log(log) {}
    void onControlOnMove(CControl*, CXPoint) override { log.push_back("move"); }
    void onControlFocusOn(CControl*, CXPoint) override { log.push_back("on"); }
    void onControlFocusOff(CControl*, CXPoint) override { log.push_back("off"); }
    void onControlClicked(CControl* c, CXPoint) override {
        log.push_back("clicked");
        if (leaveOnClick) c->removeNotifier(this);
    }
    void onControlReleased(CControl*, CXPoint) override { log.push_back("released"); }
    void onControlAction(CControl*, CXPoint) override { log.push_back("action"); }
    void onStartDragging(CControl*, CXPoint) override { log.push_back("start"); }
    void onEndDragging(CControl*, CXPoint) override { log.push_back("end"); }
    void onControlDestroyed(CControl* c) override {
        if (!logEnd) return;
        log.push_back("destroyed");
        if (other) c->removeNotifier(other);
    }
    Log& log;
    bool logEnd = false;
    // Taken out of the control's list when this one hears of its end.
    CControlNotifier* other = nullptr;
    bool leaveOnClick = false;
};

struct Sound : CPlayable {
    Sound() : CPlayable(nullptr) {}
    void play() override {
        ++plays;
        playing = true;
    }
    void stop(bool) override {
        ++stops;
        playing = false;
    }
    void pause() override {}
    void resume() override {}
    void seek(int) override {}
    bool isPlaying() override { return playing; }
    int plays = 0;
    int stops = 0;
    bool playing = false;
};

// A unit that runs (active, first frame drawn).
struct RunningUnit : CUnit6 {
    explicit RunningUnit(CWindow* w) : CUnit6(w, CXString("U")) {
        initialize(nullptr, nullptr);
        onInitialUpdate();
    }
    ~RunningUnit() override { done(nullptr, nullptr); }
};

CGraphicsObject* picture(CWindow* w, int x, int y) {
    auto* g = new CGraphicsObject(w, CXSize(40, 20), 16);
    g->SetPosition(x, y);
    g->Visible(true);
    return g;
}

int mouse(int event, int x, int y) { return CHotSpot::OnMouseEvent(event, CXPoint(x, y), 0); }

}  // namespace

// ---- controls -----------------------------------------------------------------------------

TEST(CControl, ListenersHearEachEventInOrderAndMayLeaveDuringIt) {
    // The listeners outlive the controls, which tell them of their end.
    Log log;
    Listener leaving(log), twice(log);
    CControl control(nullptr);
    EXPECT_EQ(control.getId(), -1);
    EXPECT_TRUE(control.IsEnabled());
    EXPECT_EQ(control.GetFlags(), 0);

    leaving.leaveOnClick = true;
    control.addNotifier(&leaving);
    control.addNotifier(&twice);
    control.addNotifier(&twice);
    control.addNotifier(nullptr);
    control.onClick(CXPoint());
    EXPECT_EQ(joined(log), "clicked clicked clicked");
    log.clear();
    control.onClick(CXPoint());
    EXPECT_EQ(joined(log), "clicked clicked") << "the one that left hears no more";

    // A copy keeps a list of its own.
    CControl copy(control);
    copy.removeNotifier(&twice);
    EXPECT_EQ(control.getNotifiers().size(), 2u);
    EXPECT_EQ(copy.getNotifiers().size(), 1u);
}

TEST(CControl, ListenersHearItsDestructionOnceEachUnlessTakenOutDuringIt) {
    Log log;
    Listener first(log), second(log), third(log);
    for (Listener* l : {&first, &second, &third}) l->logEnd = true;
    first.other = &second;
    {
        CControl control(nullptr);
        control.addNotifier(&first);
        control.addNotifier(&second);
        control.addNotifier(&third);
    }
    EXPECT_EQ(joined(log), "destroyed destroyed") << "the one taken out hears nothing";
}

// ---- buttons ------------------------------------------------------------------------------

class Buttons : public ::testing::Test {
protected:
    platform::InputSystem input;
    platform::ScopedInput scopedInput{input};
    ScreenWindow window;
    Log log;
    Listener listener{log};
};

TEST_F(Buttons, GraphicsSoundsAndNoticesFollowThePointerAndTheButton) {
    // Visible graphics as standard, on-move, on-click ('.' hidden), per step.
    struct Row {
        bool onMove, hideStandard, frozen, enabled;
        const char* looks[5];  // idle, entered, pressed, released, left
    } rows[] = {
        {true, true, false, true, {"S..", ".M.", "..C", ".M.", "S.."}},
        {true, false, false, true, {"S..", "SM.", "S.C", "SM.", "S.."}},
        {false, true, false, true, {"S..", "S..", "S.C", "S..", "S.."}},
        {true, true, true, true, {"SM.", ".M.", "..C", ".M.", ".M."}},
        {true, true, false, false, {"...", "...", "...", "...", "..."}},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(testing::Message() << row.onMove << row.hideStandard << row.frozen << row.enabled);
        RunningUnit unit(&window);
        Sound moveSound, clickSound;
        std::unique_ptr<CGraphicsObject> standard(picture(&window, 10, 10)), onMove(picture(&window, 10, 10)),
            onClick(picture(&window, 10, 10));
        if (!row.onMove) onMove->Visible(false);
        log.clear();
        {
            CButton button(&window, CXRect(10, 10, 50, 30), 1, nullptr);
            button.addNotifier(&listener);
            button.setUnit(&unit);
            button.Set(standard.get(), nullptr, true, false);
            button.SetOnMove(row.onMove ? onMove.get() : nullptr, &moveSound);
            button.SetOnClick(onClick.get(), &clickSound);
            button.SetDeleteFlags(false, false);
            button.HideStandardWhileOnMove(row.hideStandard);
            button.Enable(row.enabled);
            if (row.frozen) button.Freeze(true);
            auto looks = [&] {
                return std::string(standard->isVisible() ? "S" : ".") + (onMove->isVisible() ? "M" : ".") +
                       (onClick->isVisible() ? "C" : ".");
            };
            EXPECT_EQ(looks(), row.looks[0]);
            mouse(EVENT_MOUSEMOVE, 20, 20);
            EXPECT_EQ(looks(), row.looks[1]);
            mouse(EVENT_LBUTTONDOWN, 20, 20);
            EXPECT_EQ(looks(), row.looks[2]);
            mouse(EVENT_LBUTTONUP, 20, 20);
            EXPECT_EQ(looks(), row.looks[3]);
            mouse(EVENT_MOUSEMOVE, 100, 100);
            EXPECT_EQ(looks(), row.looks[4]);
            EXPECT_EQ(button.getClick().x, row.enabled ? 20 : 0);
        }
        EXPECT_EQ(joined(log), row.enabled ? "move move on clicked released action off" : "");
        EXPECT_EQ(moveSound.plays, row.enabled ? 1 : 0);
        EXPECT_EQ(moveSound.stops, row.enabled ? 1 : 0);
        EXPECT_EQ(clickSound.plays, row.enabled ? 1 : 0);
    }
}

TEST_F(Buttons, ForceTwicePlaysOnceAndLockedOrSilentButtonsPlayNothing) {
    Sound click;
    CButton button(&window, CXRect(0, 0, 10, 10), 1, nullptr);
    button.SetOnClick(nullptr, &click);
    EXPECT_TRUE(button.Force(true));
    button.Force(true);
    EXPECT_EQ(click.plays, 1);
    button.Force(false);
    button.LockSound(true);
    button.Force(true);
    EXPECT_EQ(click.plays, 1);
    button.Force(false);
    button.LockSound(false);
    RunningUnit unit(&window);
    button.setUnit(&unit);
    button.SetPlaySoundOnlyWhenSilence(true);
    button.Force(true);
    EXPECT_EQ(click.plays, 1) << "the flag plays sounds of buttons without a unit only";
}

TEST_F(Buttons, AnEmptyActiveRectangleMakesTheGraphicTheShape) {
    std::unique_ptr<CGraphicsObject> g(picture(&window, 100, 50));
    CButton button(&window, 1, nullptr);
    button.SetDeleteFlags(false, false);
    button.Set(g.get(), nullptr, true, true);
    EXPECT_EQ(button.GetAccent(), g.get());
    EXPECT_EQ(button.GetDragging(), g.get());
    EXPECT_TRUE(button.getHotSpot()->TestHit(CXPoint(105, 55)));
    EXPECT_FALSE(button.getHotSpot()->TestHit(CXPoint(99, 55)));
    button.Move(10, 0);
    EXPECT_TRUE(button.getHotSpot()->TestHit(CXPoint(139, 55)));

    // With a rectangle the rectangle stays the shape.
    CButton boxed(&window, CXRect(0, 0, 5, 5), 2, nullptr);
    boxed.SetDeleteFlags(false, false);
    boxed.Set(g.get(), nullptr, true, true);
    EXPECT_EQ(boxed.GetAccent(), nullptr);
    EXPECT_TRUE(boxed.getHotSpot()->TestHit(CXPoint(1, 1)));
    boxed.Move(10, 10);
    EXPECT_TRUE(boxed.getHotSpot()->TestHit(CXPoint(11, 11)));
}

TEST_F(Buttons, AGraphicDestroyedByItsOwnerIsForgotten) {
    CGraphicsObject* g = picture(&window, 0, 0);
    auto button = std::make_unique<CButton>(&window, 1, nullptr);
    button->Set(g, nullptr, true, true);
    button->SetOnMove(g, nullptr);
    delete g;
    EXPECT_EQ(button->GetStandard(), nullptr);
    EXPECT_EQ(button->GetOnMove(), nullptr);
    EXPECT_EQ(button->getHotSpot()->getObject(), nullptr);
    EXPECT_EQ(mouse(EVENT_LBUTTONDOWN, 5, 5), 0);
    button.reset();  // touches nothing of the graphic
}

TEST_F(Buttons, KeySequencesHandTheReturnCodeToTheUnit) {
    const struct {
        const char* keyName;
        std::vector<int> keys;
        int code;
    } rows[] = {
        {"ok", {24, 37}, 7},          // O K
        {"OK", {37}, 0},              // K alone
        {"OK", {24, 45, 37}, 0},      // O X K
        {"OK", {24, 1, 37}, 7},       // Escape has no character and is skipped
        {"<ANY>", {1}, 7},
        {"", {24, 37}, 0},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.keyName);
        RunningUnit unit(&window);
        CButton button(&window, CXRect(0, 0, 10, 10), 1, nullptr);
        button.setUnit(&unit);
        button.SetKeyName(CXString(row.keyName));
        button.SetRetCode(7);
        for (int key : row.keys) button.onKeyDown(key);
        EXPECT_EQ(unit.getRetCode(), row.code);
    }
    // A release over the button hands the code in too; exit gives 1.
    RunningUnit unit(&window);
    CButton button(&window, CXRect(0, 0, 10, 10), 1, nullptr);
    button.setUnit(&unit);
    button.SetRetCode(3);
    mouse(EVENT_LBUTTONDOWN, 5, 5);
    mouse(EVENT_LBUTTONUP, 5, 5);
    EXPECT_EQ(unit.getRetCode(), 3);
    EXPECT_TRUE(unit.domodal());
    unit.exit();
    EXPECT_EQ(unit.getRetCode(), 1);
}

TEST_F(Buttons, ACloneSharesGraphicsButNotItsHotSpotOrListeners) {
    std::unique_ptr<CGraphicsObject> g(picture(&window, 0, 0));
    RunningUnit unit(&window);
    auto button = std::make_unique<CButton>(&window, CXRect(0, 0, 10, 10), 4, nullptr);
    button->addNotifier(&listener);
    button->SetDeleteFlags(false, false);
    button->Set(g.get(), nullptr, true, false);
    button->setUnit(&unit);
    button->setPriority(33);
    std::unique_ptr<CButton> copy(button->clone());
    EXPECT_NE(copy->getHotSpot(), button->getHotSpot());
    EXPECT_EQ(copy->getPriority(), 33);
    EXPECT_EQ(copy->getUnit(), &unit);
    EXPECT_EQ(copy->GetStandard(), g.get());
    EXPECT_EQ(copy->getId(), 4);
    EXPECT_TRUE(copy->getNotifiers().empty());
    button.reset();
    EXPECT_TRUE(copy->getHotSpot()->TestHit(CXPoint(5, 5)));
    copy.reset();
}

// ---- edit boxes ---------------------------------------------------------------------------

class EditBoxes : public ::testing::Test {
protected:
    struct Recorder : CEditBoxNotifier {
        void onFocusOn(CEditBox6*) override { log.push_back("on"); }
        void onFocusOff(CEditBox6*) override { log.push_back("off"); }
        void onChanged(CEditBox6*) override { log.push_back("changed"); }
        void onEnter(CEditBox6*) override { log.push_back("enter"); }
        void onEsc(CEditBox6*) override { log.push_back("esc"); }
        Log log;
    };

    EditBoxes() : font(textfix::loadFont(textfix::blockFont("abcdel", 5, 12))) {}

    CEditBox6* box(CXRect rect = CXRect(10, 20, 40, 60), const char* text = "") {
        CEditBox6* b = unit.addEditBox(font, rect, 5, CXString(text));
        b->addNotifier(&recorder);
        return b;
    }
    void type(CEditBox6* b, const std::string& text) {
        for (char c : text) b->onChar(static_cast<unsigned char>(c));
    }

    platform::ManualClock clock;
    platform::ScopedClock scopedClock{clock};
    platform::InputSystem input;
    platform::ScopedInput scopedInput{input};
    ScreenWindow window;
    std::shared_ptr<CSimpleFont6> font;
    Recorder recorder;
    RunningUnit unit{&window};
};

TEST_F(EditBoxes, TypingBreaksLinesAtTheBoxWidth) {
    ASSERT_LE(CText6::getLength(font.get(), CXString("abcd")), 30);
    ASSERT_GT(CText6::getLength(font.get(), CXString("abcde")), 30);
    const struct {
        const char* typed;
        bool singleLine;
        const char* text;
        int cursor;
    } rows[] = {
        {"abcd", false, "abcd", 4}, {"abcde", false, "abcd|e", 6}, {"ab cd", false, "ab |cd", 6},
        {"abcde", true, "abcd", 4}, {"<b>", false, "@b$", 3},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.typed);
        CEditBox6* b = box();
        b->setSingleLine(row.singleLine);
        type(b, row.typed);
        EXPECT_EQ(std::string(b->getText().c_str()), "") << "inactive boxes take nothing";
        unit.activateEditBox(b);
        recorder.log.clear();
        type(b, row.typed);
        EXPECT_EQ(std::string(b->getText().c_str()), row.text);
        EXPECT_EQ(b->getCursorPos(), row.cursor);
        EXPECT_EQ(b->getTextObject()->getText(), b->getText());
        unit.removeEditBox(b);
        delete b;
    }
}

TEST_F(EditBoxes, KeysMoveTheCursorAndEditTheText) {
    const struct {
        const char* text;
        int cursor, key;
        const char* after;
        int cursorAfter;
        const char* notices;
    } rows[] = {
        {"abc", 0, CEditBox6::kKeyBackspace, "abc", 0, ""},
        {"abc", 2, CEditBox6::kKeyBackspace, "ac", 1, "changed"},
        {"abc", 1, CEditBox6::kKeyEnter, "abc|", 2, "enter"},
        {"abc", 3, CEditBox6::kKeyDelete, "abc", 3, ""},
        {"abc", 1, CEditBox6::kKeyDelete, "ac", 1, "changed"},
        {"abc", 2, CEditBox6::kKeyHome, "abc", 0, ""},
        {"abc", 2, CEditBox6::kKeyLeft, "abc", 1, ""},
        {"abc", 0, CEditBox6::kKeyLeft, "abc", 0, ""},
        {"abc", 2, CEditBox6::kKeyRight, "abc", 3, ""},
        {"abc", 3, CEditBox6::kKeyRight, "abc", 3, ""},
        {"abc", 0, CEditBox6::kKeyEnd, "abc", 3, ""},
        {"abc", 1, CEditBox6::kKeyEscape, "abc", 1, "esc"},
        {"abc", 1, 30, "abc", 1, ""},
    };
    CEditBox6* b = box();
    unit.activateEditBox(b);
    for (const auto& row : rows) {
        SCOPED_TRACE(testing::Message() << row.key << " at " << row.cursor);
        b->setText(CXString(row.text));
        b->setCursorPos(row.cursor);
        recorder.log.clear();
        b->onKeyDown(row.key);
        EXPECT_EQ(std::string(b->getText().c_str()), row.after);
        EXPECT_EQ(b->getCursorPos(), row.cursorAfter);
        EXPECT_EQ(joined(recorder.log), row.notices);
    }
    // A single-line box adds no break but still tells of Enter; locked or disabled
    // boxes take no keys.
    b->setText(CXString("ab"));
    b->setSingleLine(true);
    recorder.log.clear();
    b->onKeyDown(CEditBox6::kKeyEnter);
    EXPECT_EQ(std::string(b->getText().c_str()), "ab");
    EXPECT_EQ(joined(recorder.log), "enter");
    b->setLocked(true);
    b->onKeyDown(CEditBox6::kKeyBackspace);
    type(b, "c");
    EXPECT_EQ(std::string(b->getText().c_str()), "ab");
    // The cursor is clamped to the text.
    b->setLocked(false);
    b->setCursorPos(99);
    EXPECT_EQ(b->getCursorPos(), 2);
    b->setCursorPos(-3);
    EXPECT_EQ(b->getCursorPos(), 0);
    b->setCursorPos(2);
    b->setText(CXString("a"));
    EXPECT_EQ(b->getCursorPos(), 1);
}

TEST_F(EditBoxes, TheCursorSitsAfterTheLineAndBlinks) {
    std::unique_ptr<CGraphicsObject> cursor(picture(&window, 0, 0));
    unit.setCursor(cursor.get());
    CEditBox6* b = box(CXRect(10, 20, 80, 80), "ab|c");
    EXPECT_EQ(b->getCursor(), cursor.get());
    EXPECT_FALSE(cursor->isVisible()) << "hidden until the box has the focus";
    unit.activateEditBox(b);
    const int height = font->Height();
    const int width = CText6::getLength(font.get(), CXString("c"));
    EXPECT_EQ(cursor->GetPosition(), CXPoint(10 + width, 20 + 1 + (height - 4)));
    b->setCursorPos(0);
    EXPECT_EQ(cursor->GetPosition(), CXPoint(10, 21));
    b->setCursorPos(2);
    EXPECT_EQ(cursor->GetPosition(), CXPoint(10 + CText6::getLength(font.get(), CXString("ab")), 21));

    // 400 ms shown, 400 hidden; a second activation adds no second timer.
    unit.activateEditBox(b);
    EXPECT_TRUE(cursor->isVisible());
    CXTimer* timers = window.GetTimerInterface();
    const bool expected[] = {false, true, false, true};
    for (bool visible : expected) {
        clock.advance(400);
        timers->domodal();
        EXPECT_EQ(cursor->isVisible(), visible);
    }
    unit.activateEditBox(nullptr);
    EXPECT_FALSE(cursor->isVisible()) << "focus off hides the cursor";
    EXPECT_EQ(timers->find(b->getTimerId()), nullptr);
    clock.advance(400);
    timers->domodal();
    EXPECT_FALSE(cursor->isVisible());
    unit.setCursor(nullptr);
}

TEST_F(EditBoxes, ClicksMoveTheFocusThroughTheUnit) {
    CEditBox6* first = box(CXRect(10, 10, 60, 30));
    CEditBox6* second = box(CXRect(10, 50, 60, 70));
    window.OnLButtonDown(CXPoint(20, 20), 0);
    window.OnLButtonUp(CXPoint(20, 20), 0);
    EXPECT_EQ(unit.getCurrentEditBox(), first);
    EXPECT_TRUE(first->isActive());
    window.OnLButtonDown(CXPoint(20, 60), 0);
    window.OnLButtonUp(CXPoint(20, 60), 0);
    EXPECT_EQ(unit.getCurrentEditBox(), second);
    EXPECT_FALSE(first->isActive());
    EXPECT_EQ(joined(recorder.log), "on off on");
    recorder.log.clear();
    window.OnLButtonDown(CXPoint(200, 150), 0);
    EXPECT_EQ(unit.getCurrentEditBox(), nullptr);
    EXPECT_EQ(joined(recorder.log), "off");

    // Disabling the focused box tells of the focus once.
    unit.activateEditBox(first);
    recorder.log.clear();
    first->enable(false);
    first->enable(false);
    EXPECT_EQ(joined(recorder.log), "off");
    window.OnLButtonDown(CXPoint(20, 20), 0);
    window.OnLButtonUp(CXPoint(20, 20), 0);
    EXPECT_FALSE(first->isActive()) << "a disabled box takes no click";
}
