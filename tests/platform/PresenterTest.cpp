#include "platform/Presenter.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "support/TempDir.h"

namespace {

// A full-screen primary of the size and depth, its pixels set from the list.
platform::IDisplaySurface* primaryWith(platform::SoftwareDisplaySystem& system, int w, int h, int bpp,
                                       const std::vector<uint32_t>& pixels) {
    platform::IDisplay* display = nullptr;
    platform::IDisplaySurface* primary = nullptr;
    system.createDisplay(&display);
    display->setFullScreen(nullptr);
    display->setDisplayMode(w, h, bpp);
    display->createPrimarySurface(false, &primary);
    display->release();
    platform::SurfaceMemory memory;
    primary->lock(&memory);
    const int bytes = bpp == 32 ? 4 : 2;
    for (size_t i = 0; i < pixels.size(); ++i) std::memcpy(memory.bits + i * bytes, &pixels[i], bytes);
    primary->unlock();
    return primary;
}

TEST(Presenter, FramesOfEveryDepthReadAsEightBitRgb) {
    platform::SoftwareDisplaySystem system;
    struct Case {
        int bpp;
        std::vector<uint32_t> pixels;
        std::vector<uint8_t> rgb;
    };
    const Case cases[] = {
        {16, {0xF800, 0x07E0, 0x001F, 0x8410}, {255, 0, 0, 0, 255, 0, 0, 0, 255, 132, 130, 132}},
        {15, {0x7C00, 0x03E0, 0x001F, 0x7FFF}, {255, 0, 0, 0, 255, 0, 0, 0, 255, 255, 255, 255}},
        {32, {0x00FF0000, 0x0000FF00, 0x00000001, 0x00123456}, {255, 0, 0, 0, 255, 0, 0, 0, 1, 0x12, 0x34, 0x56}},
    };
    for (const Case& c : cases) {
        platform::IDisplaySurface* primary = primaryWith(system, 2, 2, c.bpp, c.pixels);
        platform::RgbFrame frame;
        ASSERT_TRUE(platform::readFrame(primary, frame)) << c.bpp;
        EXPECT_EQ(frame.width, 2);
        EXPECT_EQ(frame.height, 2);
        EXPECT_EQ(frame.rgb, c.rgb) << c.bpp;
        primary->release();
    }
}

TEST(Presenter, ATwoByTwoFramesPngReadsBackExactly) {
    test::TempDir dir;
    platform::SoftwareDisplaySystem system;
    platform::IDisplaySurface* primary = primaryWith(system, 2, 2, 16, {0xF800, 0x07E0, 0x001F, 0xFFFF});
    const std::string path = dir.path() + "/frame.png";
    ASSERT_TRUE(platform::HeadlessPresenter::dump(primary, path));
    const std::string bytes = dir.read("frame.png");
    ASSERT_GT(bytes.size(), 24u);
    EXPECT_EQ(bytes.substr(0, 8), std::string("\x89PNG\r\n\x1a\n", 8));
    EXPECT_EQ(bytes.substr(12, 12), std::string("IHDR\0\0\0\x02\0\0\0\x02", 12));
    platform::RgbFrame back;
    ASSERT_TRUE(platform::readPng(path, back));
    EXPECT_EQ(back.width, 2);
    EXPECT_EQ(back.height, 2);
    EXPECT_EQ(back.rgb, (std::vector<uint8_t>{255, 0, 0, 0, 255, 0, 0, 0, 255, 255, 255, 255}));
    // The same frame gives the same file.
    ASSERT_TRUE(platform::HeadlessPresenter::dump(primary, dir.path() + "/again.png"));
    EXPECT_EQ(dir.read("again.png"), bytes);
    primary->release();

    dir.write("broken.png", bytes.substr(0, 40));
    EXPECT_FALSE(platform::readPng(dir.path() + "/broken.png", back));
}

TEST(Presenter, TheMirrorGoesBesideTheGameAndStaysOnTheScreen) {
    // Windows of 800 x 620 with their frames; the usable area from (0, 30).
    struct Case {
        const char* what;
        platform::DesktopRect usable, game;
        int32_t x, y;
    };
    const Case cases[] = {
        {"room to the right", {0, 30, 1920, 1050}, {100, 100, 800, 620}, 900, 100},
        {"room only to the left", {0, 30, 1920, 1050}, {1000, 100, 800, 620}, 200, 100},
        {"no room: over the game, at the right edge", {0, 30, 1024, 738}, {112, 84, 800, 620}, 224, 84},
        {"lower than the area allows", {0, 30, 1920, 700}, {100, 200, 800, 620}, 900, 110},
        {"area smaller than the window", {0, 30, 640, 450}, {0, 30, 800, 620}, 0, 30},
        {"on a second display, no room", {1920, 0, 1280, 1024}, {2000, 50, 800, 620}, 2400, 50},
    };
    for (const Case& c : cases) {
        const platform::DesktopRect at = platform::placeMirror(c.usable, c.game, 800, 620);
        EXPECT_EQ(at.x, c.x) << c.what;
        EXPECT_EQ(at.y, c.y) << c.what;
    }
}

}  // namespace
