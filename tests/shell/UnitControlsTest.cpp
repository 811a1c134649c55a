#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "graphics/core/CGraphicsObject.h"
#include "graphics/input/CButton.h"
#include "graphics/input/CEditBox6.h"
#include "graphics/screen/CRefreshScreen.h"
#include "graphics/text/CFontCollection.h"
#include "graphics/text/CMultilineText6.h"
#include "platform/Input.h"
#include "shell/CApplication.h"
#include "shell/CUnit6.h"
#include "shell/CWindow.h"
#include "tests/graphics/text/TextFixtures.h"

namespace {

using Log = std::vector<std::string>;

struct ScreenWindow : CWindow {
    ScreenWindow() : screen(this, CXSize(320, 200), 16) { m_refreshScreen = &screen; }
    ~ScreenWindow() override { m_refreshScreen = nullptr; }
    CRefreshScreen screen;
};

struct Recorder : CMouseListener, CControlNotifier {
    Recorder(Log& log, const char* name, CUnit6* unit) : log(log), name(name), unit(unit) {}
    bool onClick(CXPoint) override {
        log.push_back(name + (unit->isDragging() ? " dragging" : " idle"));
        return false;
    }
    using CMouseListener::onClick;
    void onStartDragging(CControl*, CXPoint) override { log.push_back("start"); }
    void onControlClicked(CControl*, CXPoint) override { log.push_back("clicked"); }
    void onDragging(CControl*, CXPoint p) override { log.push_back("step " + std::to_string(p.x)); }
    void onEndDragging(CControl*, CXPoint p) override { log.push_back("end " + std::to_string(p.x)); }
    Log& log;
    std::string name;
    CUnit6* unit;
};

std::string joined(const Log& log) {
    std::string out;
    for (const std::string& s : log) out += (out.empty() ? "" : ", ") + s;
    return out;
}

class UnitControls : public ::testing::Test {
protected:
    UnitControls() {
        unit.initialize(nullptr, nullptr);
        unit.onInitialUpdate();
    }
    ~UnitControls() override { unit.done(nullptr, nullptr); }

    platform::InputSystem input;
    platform::ScopedInput scopedInput{input};
    ScreenWindow window;
    CApplication application{&window, CXString(), CXString(), nullptr};
    Log log;
    CUnit6 unit{&window, CXString("U")};
};

}  // namespace

TEST_F(UnitControls, DraggingMovesTheGraphicAboveAllAndEndsByMode) {
    for (bool clickEnds : {false, true}) {
        SCOPED_TRACE(clickEnds);
        log.clear();
        auto g = std::make_unique<CGraphicsObject>(&window, CXSize(20, 20), 16);
        g->SetPosition(10, 10);
        g->Visible(true);
        window.screen.put(g.get(), 7);
        Recorder first(log, "first", &unit);
        window.registerMouseListener(&first, CUnit6::kMousePriority + 1);
        CButton button(&window, CXRect(10, 10, 30, 30), 1, nullptr);
        button.SetDeleteFlags(false, false);
        button.addNotifier(&first);
        button.setUnit(&unit);
        button.EnableDragging(true);
        button.SetDragging(g.get());
        unit.setDraggingMode(clickEnds);

        window.OnLButtonDown(CXPoint(15, 15), 0);
        EXPECT_TRUE(unit.isDragging());
        EXPECT_EQ(unit.getDraggedObject(), g.get());
        EXPECT_FALSE(button.IsEnabled());
        EXPECT_EQ(window.screen.GetPriority(g.get()), CUnit6::kDraggingPriority);
        window.OnMouseMove(CXPoint(20, 15), 0);
        window.OnMouseMove(CXPoint(25, 18), 0);
        EXPECT_EQ(g->GetPosition(), CXPoint(20, 13));
        window.OnLButtonUp(CXPoint(25, 18), 0);
        EXPECT_EQ(unit.isDragging(), clickEnds) << "a release ends the drag only without click mode";
        if (clickEnds) window.OnLButtonDown(CXPoint(25, 18), 0);
        EXPECT_FALSE(unit.isDragging());
        EXPECT_EQ(window.screen.GetPriority(g.get()), 7);
        EXPECT_TRUE(button.IsEnabled());
        const std::string expected = std::string("start, clicked, step 20, step 25, ") +
                                     (clickEnds ? "first dragging, end 20" : "end 20");
        EXPECT_EQ(joined(log), expected);
        window.removeMouseListener(&first);
        window.screen >> g.get();
    }
}

TEST_F(UnitControls, TheUnitListensBetweenInitializeAndDoneOnce) {
    Recorder first(log, "first", &unit);
    window.registerMouseListener(&first, CUnit6::kMousePriority + 1);
    CGraphicsObject g(&window, CXSize(4, 4), 16);
    Recorder control(log, "control", &unit);
    CButton button(&window, 1, nullptr);
    button.SetDeleteFlags(false, false);
    unit.setDraggingMode(true);
    unit.onStartDragging(&g, CXPoint(0, 0), &button);
    window.OnLButtonDown(CXPoint(50, 50), 0);
    EXPECT_EQ(joined(log), "first dragging") << "the listener above the unit goes first";
    EXPECT_FALSE(unit.isDragging());

    // Entered twice, the unit hears each key once.
    unit.initialize(nullptr, nullptr);
    CEditBox6* boxes[3];
    for (int i = 0; i < 3; ++i) boxes[i] = unit.addEditBox(nullptr, CXRect(0, 40 * i, 30, 40 * i + 20), 0, CXString());
    unit.activateEditBox(boxes[0]);
    window.OnKeyDown(CUnit6::kKeyTab, 0);
    EXPECT_EQ(unit.getCurrentEditBoxIndex(), 1);

    // After done neither keys nor the mouse reach it.
    unit.done(nullptr, nullptr);
    window.OnKeyDown(CUnit6::kKeyTab, 0);
    EXPECT_EQ(unit.getCurrentEditBoxIndex(), 1);
    unit.onStartDragging(&g, CXPoint(0, 0), &button);
    window.OnMouseMove(CXPoint(5, 5), 0);
    EXPECT_EQ(g.GetPosition(), CXPoint(0, 0));
    unit.onEndDragging(CXPoint(5, 5));
    window.removeMouseListener(&first);
    unit.initialize(nullptr, nullptr);
}

TEST_F(UnitControls, TabStepsOverDisabledBoxesBothWays) {
    CEditBox6* boxes[3];
    for (int i = 0; i < 3; ++i) boxes[i] = unit.addEditBox(nullptr, CXRect(0, 40 * i, 30, 40 * i + 20), 0, CXString());
    unit.onKeyDown(CUnit6::kKeyTab);
    EXPECT_EQ(unit.getCurrentEditBoxIndex(), -1) << "no current box, no step";
    boxes[1]->enable(false);
    unit.activateEditBox(boxes[0]);
    unit.onKeyDown(CUnit6::kKeyTab);
    EXPECT_EQ(unit.getCurrentEditBox(), boxes[2]);
    EXPECT_FALSE(boxes[0]->isActive());
    unit.onKeyDown(CUnit6::kKeyTab);
    EXPECT_EQ(unit.getCurrentEditBox(), boxes[0]);
    unit.prevEditBox();
    EXPECT_EQ(unit.getCurrentEditBox(), boxes[2]);
    unit.prevEditBox();
    EXPECT_EQ(unit.getCurrentEditBox(), boxes[0]);
}

TEST_F(UnitControls, BoxesGetTheCursorAndRemovedOnesLeaveTheListUndeleted) {
    CGraphicsObject cursor(&window, CXSize(2, 10), 16);
    CEditBox6* before = unit.addEditBox(nullptr, CXRect(0, 0, 30, 20), 0, CXString());
    unit.setCursor(&cursor);
    CEditBox6* after = unit.addEditBox(nullptr, CXRect(0, 40, 30, 60), 0, CXString());
    EXPECT_EQ(before->getCursor(), nullptr);
    EXPECT_EQ(after->getCursor(), &cursor);

    unit.activateEditBox(after);
    unit.removeEditBox(after);
    EXPECT_EQ(unit.getCurrentEditBox(), nullptr);
    EXPECT_EQ(unit.getEditBoxes().size(), 1u);
    EXPECT_TRUE(after->isActive()) << "still alive, untouched";
    delete after;
    EXPECT_EQ(unit.getEditBoxes().size(), 1u);
    unit.setCursor(nullptr);
}

// Flushing deletes every box once: a box its text made, and a box a text holds, go
// whatever their order in the list, and the text forgets them.
TEST_F(UnitControls, FlushDeletesEveryBoxAndHoldersForgetThem) {
    auto fonts = std::make_shared<CFontCollection>(nullptr);
    fonts->addFont(textfix::loadFont(textfix::blockFont(textfix::textLetters(), 5, 8)));
    CMultilineText6 text(&window, false, &unit);
    text.setFont(fonts);
    text.setJustify(CXRect(0, 100, 300, 160), JUSTIFY_LEFT, JUSTIFY_TOP);
    unit.addEditBox(fonts, CXRect(0, 0, 200, 40), 0, CXString("a<E,20,n,x>b"));
    text.setText(CXString("c<E,20,n,y>d"));
    ASSERT_EQ(text.getEditBoxes().size(), 1u);
    ASSERT_EQ(unit.getEditBoxes().size(), 3u);
    unit.activateEditBox(text.getEditBoxes().front());
    unit.flushEditBoxes();
    EXPECT_TRUE(unit.getEditBoxes().empty());
    EXPECT_EQ(unit.getCurrentEditBox(), nullptr);
    EXPECT_TRUE(text.getEditBoxes().empty());
    text.setText(CXString("e<E,20,n,z>f"));
    EXPECT_EQ(unit.getEditBoxes().size(), 1u);
}

// A graphic or control that goes during a drag is forgotten: the later steps, the way
// back and the end leave it alone. The way back puts a living graphic where it began.
TEST_F(UnitControls, ADraggedGraphicOrControlThatGoesIsForgotten) {
    CButton button(&window, CXRect(0, 0, 10, 10), 1, nullptr);
    button.SetDeleteFlags(false, false);
    Recorder control(log, "control", &unit);
    button.addNotifier(&control);
    auto g = std::make_unique<CGraphicsObject>(&window, CXSize(20, 20), 16);
    g->SetPosition(10, 10);
    window.screen.put(g.get(), 7);
    unit.onStartDragging(g.get(), CXPoint(0, 0), &button);
    window.OnMouseMove(CXPoint(5, 6), 0);
    EXPECT_EQ(g->GetPosition(), CXPoint(15, 16));
    unit.bringBackDraggingObjectPosition(CXPoint(5, 6));
    EXPECT_EQ(g->GetPosition(), CXPoint(10, 10));

    g.reset();
    EXPECT_EQ(unit.getDraggedObject(), nullptr);
    EXPECT_TRUE(unit.isDragging());
    window.OnMouseMove(CXPoint(8, 8), 0);
    unit.bringBackDraggingObjectPosition(CXPoint(8, 8));
    window.OnLButtonUp(CXPoint(50, 50), 0);
    EXPECT_FALSE(unit.isDragging());
    EXPECT_EQ(joined(log), "start, step 5, end 0");

    auto other = std::make_unique<CButton>(&window, CXRect(0, 0, 10, 10), 2, nullptr);
    other->SetDeleteFlags(false, false);
    other->addNotifier(&unit);
    CGraphicsObject kept(&window, CXSize(4, 4), 16);
    unit.onStartDragging(&kept, CXPoint(0, 0), other.get());
    other.reset();
    EXPECT_EQ(unit.getDraggedControl(), nullptr);
    window.OnMouseMove(CXPoint(3, 0), 0);
    window.OnLButtonUp(CXPoint(50, 50), 0);
    EXPECT_FALSE(unit.isDragging());
}

// Controls and their listeners may go in either order: neither calls the other after.
TEST_F(UnitControls, AUnitThatGoesBeforeItsControlsIsNotTold) {
    auto early = std::make_unique<CUnit6>(&window, CXString("E"));
    CButton button(&window, CXRect(0, 0, 10, 10), 1, nullptr);
    button.SetDeleteFlags(false, false);
    button.addNotifier(early.get());
    button.addNotifier(early.get());
    Recorder control(log, "control", &unit);
    button.addNotifier(&control);
    early.reset();
    EXPECT_EQ(button.getNotifiers().size(), 1u);
    button.onClick(CXPoint(1, 1));
    EXPECT_EQ(joined(log), "clicked");
}

TEST_F(UnitControls, BoxesMadeByABoxTextGoWithIt) {
    auto fonts = std::make_shared<CFontCollection>(nullptr);
    fonts->addFont(textfix::loadFont(textfix::blockFont(textfix::textLetters(), 5, 8)));
    auto other = std::make_unique<CUnit6>(&window, CXString("O"));
    CEditBox6* outer = other->addEditBox(fonts, CXRect(0, 0, 200, 40), 0, CXString("a<E,20,n,x>b"));
    ASSERT_EQ(other->getEditBoxes().size(), 2u) << "the text's own box joins the list";
    EXPECT_EQ(other->getEditBoxes().back(), outer);
    other.reset();  // each box is deleted once
}
