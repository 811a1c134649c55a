#include <gtest/gtest.h>

#include <memory>
#include <vector>

#include "graphics/core/CColor.h"
#include "graphics/screen/CDirectDrawSurface.h"
#include "graphics/screen/CRefreshRegion.h"
#include "graphics/screen/CRefreshScreen.h"
#include "graphics/screen/CSecondaryDisplay.h"
#include "graphics/screen/CSurface.h"
#include "platform/Display.h"
#include "platform/Presenter.h"
#include "shell/CCommandLine6.h"
#include "shell/CUnit6.h"
#include "shell/CWindow.h"
#include "support/ScriptTestSupport.h"

namespace {

// Every rectangle the windowed screen copies out of the back buffer.
struct CopyLog : CSecondaryDisplay {
    void update(CDirectDrawSurface*, CXRect* rect) override { rects.push_back(rect ? *rect : CXRect(-1)); }
    std::vector<CXRect> rects;
};

uint16_t primaryPixel(CWindow& window, int x, int y) {
    platform::SurfaceMemory memory;
    platform::IDisplaySurface* primary = window.GetSurface()->GetPrimaryBufferInterface();
    primary->lock(&memory);
    primary->unlock();
    return reinterpret_cast<const uint16_t*>(memory.bits + y * memory.pitch)[x];
}

struct WindowDisplay : testing::Test {
    WindowDisplay() : scope(system) {}
    std::unique_ptr<CWindow> make(const char* options) {
        commandLine = std::make_unique<CCommandLine6>(options);
        return std::make_unique<CWindow>(nullptr, commandLine.get(), nullptr, CXSize(32, 24), nullptr,
                                         CWindow::exePath, true);
    }
    platform::SoftwareDisplaySystem system;
    platform::ScopedDisplaySystem scope;
    std::unique_ptr<CCommandLine6> commandLine;
};

TEST_F(WindowDisplay, WindowedFramesCopyOnlyTheDirtyRectanglesClipped) {
    auto window = make("-window");
    ASSERT_EQ(window->CreateSurface(nullptr), 0);
    EXPECT_EQ(window->GetBpp(), 16);
    EXPECT_EQ(window->GetScreenSize(), CXSize(32, 24));
    CRefreshScreen* screen = window->GetRefreshScreenInterface();
    ASSERT_NE(screen, nullptr);
    CopyLog log;
    window->GetSurface()->setSecondaryDisplay(&log);
    CColor red(255, 0, 0);
    window->SetBackground(&red);

    window->Redraw(false);  // inactive: nothing drawn
    EXPECT_EQ(screen->getRefreshCounter(), 0);
    window->Redraw(true);  // forced: the first frame is the whole screen
    EXPECT_EQ(log.rects, std::vector<CXRect>{CXRect(0, 0, 32, 24)});
    EXPECT_EQ(primaryPixel(*window, 31, 23), 0xF800);
    EXPECT_EQ(screen->getRefreshList()->getCount(), 0);

    window->OnActivateApp(true);
    log.rects.clear();
    window->Tick();
    EXPECT_TRUE(log.rects.empty()) << "nothing invalidated copies nothing";

    // A rectangle past the back buffer is clipped; one without area is skipped.
    CRefreshRegion* list = screen->getRefreshList();
    list->setCanvasSize(CXSize());
    CXRect wide(20, 2, 90, 6), flat(4, 4, 4, 9);
    list->add(&wide);
    list->CXArray::add(new CXRect(flat));
    window->Tick();
    EXPECT_EQ(log.rects, std::vector<CXRect>{CXRect(20, 2, 32, 6)});
    EXPECT_EQ(list->getCount(), 0);
    window->GetSurface()->setSecondaryDisplay(nullptr);
}

TEST_F(WindowDisplay, FullScreenModesFlipKeepTheListAndReplaceTheDisplay) {
    auto window = make("-pf");
    ASSERT_EQ(window->SetDisplayMode(CXSize(0, 0), 16), 0);  // the constructor's size
    EXPECT_TRUE(window->GetSurface()->IsFlippingEnabled());
    EXPECT_EQ(window->GetScreenSize(), CXSize(32, 24));
    CColor green(0, 255, 0);
    window->SetBackground(&green);
    window->OnActivateApp(true);
    for (int frame = 0; frame < 3; ++frame) {
        window->Tick();
        EXPECT_EQ(primaryPixel(*window, 5, 5), 0x07E0) << frame;
        EXPECT_TRUE(window->GetRefreshScreenInterface()->getRefreshList()->isWholeScreen()) << frame;
    }

    // A new mode replaces surface, back buffer and refresh screen (the sanitizer run
    // would report the ones left behind).
    ASSERT_EQ(window->SetDisplayMode(CXSize(40, 30), 16), 0);
    EXPECT_EQ(window->GetBackBuffer()->Size(), CXSize(40, 30));
    EXPECT_EQ(window->GetScreenSize(), CXSize(40, 30));
    EXPECT_EQ(window->GetRefreshScreenInterface()->Size(), CXSize(40, 30));

    // A mode the display refuses leaves no display behind.
    EXPECT_NE(window->SetDisplayMode(CXSize(40, 30), 12), 0);
    EXPECT_EQ(window->GetSurface(), nullptr);
    EXPECT_EQ(window->GetRefreshScreenInterface(), nullptr);
    EXPECT_EQ(window->GetScreenSize(), CXSize(32, 24));
    window->Tick();
    window->Invalidate();
}

TEST_F(WindowDisplay, MovesReachTheCanvasInWindowModeOnly) {
    for (const char* options : {"-window", ""}) {
        auto window = make(options);
        ASSERT_EQ(window->CreateSurface(nullptr), 0);
        CRefreshScreen* screen = window->GetRefreshScreenInterface();
        screen->validate();
        window->OnMove(100, 50);
        const bool windowed = *options != 0;
        EXPECT_EQ(screen->GetPosition(), windowed ? CXPoint(100, 50) : CXPoint(0, 0)) << options;
        EXPECT_EQ(screen->getRefreshList()->isWholeScreen(), windowed) << options;
    }
}

TEST(ScriptWorldDisplay, FramesDrawAndPresentOnTheHeadlessDisplay) {
    test::ScriptWorld world;
    EXPECT_EQ(world.frontBufferHash(), 0u);
    ASSERT_TRUE(world.enableDisplay(CXSize(4, 2)));
    const uint64_t blank = world.frontBufferHash();
    CColor blue(0, 0, 255);
    world.screen()->SetBackground(&blue);
    world.frame();
    EXPECT_NE(world.frontBufferHash(), blank);
    platform::RgbFrame frame;
    ASSERT_TRUE(platform::readPng(world.frontBufferPng("shown.png"), frame));
    EXPECT_EQ(frame.width, 4);
    EXPECT_EQ(std::vector<uint8_t>(frame.rgb.end() - 3, frame.rgb.end()), (std::vector<uint8_t>{0, 0, 255}));
}

}  // namespace

namespace {

// A display unit that counts the screen's calls.
struct CountingUnit : CUnit6 {
    explicit CountingUnit(CWindow* window) : CUnit6(window, CXString("Counting")) {}
    bool onInitialUpdate() override {
        ++initial;
        return CUnit6::onInitialUpdate();
    }
    void onCanvasRefreshed() override { ++refreshed; }
    int initial = 0;
    int refreshed = 0;
};

TEST_F(WindowDisplay, TheCurrentUnitGetsTheFirstFrameOnceThenEveryRefresh) {
    auto window = make("-window");
    ASSERT_EQ(window->CreateSurface(nullptr), 0);
    CRefreshScreen* screen = window->GetRefreshScreenInterface();
    CountingUnit unit(window.get());
    window->setCurrentUnit(&unit);

    window->Redraw(true);
    EXPECT_EQ(unit.initial, 1);
    EXPECT_EQ(unit.refreshed, 0);
    EXPECT_TRUE(unit.wasInitiallyUpdated());
    EXPECT_EQ(screen->getRefreshCounter(), 1);
    // The first frame asks for the whole screen again after presenting.
    ASSERT_EQ(screen->getRefreshList()->getCount(), 1);

    window->Redraw(true);
    window->Redraw(true);
    EXPECT_EQ(unit.initial, 1);
    EXPECT_EQ(unit.refreshed, 2);
    EXPECT_EQ(screen->getRefreshCounter(), 3);
    window->setCurrentUnit(nullptr);
}

}  // namespace
