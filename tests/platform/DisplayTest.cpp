#include <gtest/gtest.h>

#include <cstring>
#include <vector>

#include "platform/Display.h"

using namespace platform;

namespace {

// A display made by a system of its own, full screen at the depth (0: windowed 40 x 30).
struct DisplayWorld {
    explicit DisplayWorld(int bpp = 16) {
        EXPECT_EQ(system.createDisplay(&display), kDisplayOk);
        if (bpp == 0) {
            EXPECT_EQ(display->setWindowed(nullptr, 40, 30), kDisplayOk);
        } else {
            EXPECT_EQ(display->setFullScreen(nullptr), kDisplayOk);
            EXPECT_EQ(display->setDisplayMode(40, 30, bpp), kDisplayOk);
        }
    }
    ~DisplayWorld() {
        for (IDisplaySurface* s : made) s->release();
        display->release();
    }
    IDisplaySurface* offscreen(int w, int h) {
        IDisplaySurface* s = nullptr;
        EXPECT_EQ(display->createOffscreenSurface(w, h, false, &s), kDisplayOk);
        made.push_back(s);
        return s;
    }
    IDisplaySurface* primary(bool flipChain) {
        IDisplaySurface* s = nullptr;
        const int32_t r = display->createPrimarySurface(flipChain, &s);
        if (s) made.push_back(s);
        return r == kDisplayOk ? s : nullptr;
    }

    SoftwareDisplaySystem system;
    IDisplay* display = nullptr;
    std::vector<IDisplaySurface*> made;
};

SurfaceMemory memoryOf(IDisplaySurface* s) {
    SurfaceMemory m;
    EXPECT_EQ(s->lock(&m), kDisplayOk);
    s->unlock();
    return m;
}

uint32_t pixelAt(IDisplaySurface* s, int x, int y) {
    const SurfaceMemory m = memoryOf(s);
    PixelFormat f;
    s->getPixelFormat(&f);
    uint32_t v = 0;
    std::memcpy(&v, m.bits + y * m.pitch + x * (f.bitCount / 8), f.bitCount / 8);
    return v;
}

// Writes x + 16 * y into every pixel.
void numberPixels(IDisplaySurface* s) {
    for (int y = 0; y < s->height(); ++y)
        for (int x = 0; x < s->width(); ++x) {
            DisplayRect r{x, y, x + 1, y + 1};
            s->colorFill(&r, static_cast<uint32_t>(x + 16 * y));
        }
}

}  // namespace

TEST(Display, FormatsMemoryAndFills) {
    struct Case {
        int bpp;
        PixelFormat format;
        uint32_t white;
    };
    const Case cases[] = {
        {15, {16, 0x7C00, 0x03E0, 0x001F}, 0x7FFF},
        {16, {16, 0xF800, 0x07E0, 0x001F}, 0xFFFF},
        {32, {32, 0xFF0000, 0xFF00, 0xFF}, 0xFFFFFF},
        {0, {16, 0xF800, 0x07E0, 0x001F}, 0xFFFF},  // windowed desktop
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.bpp);
        DisplayWorld world(c.bpp);
        IDisplaySurface* primary = world.primary(false);
        ASSERT_NE(primary, nullptr);
        PixelFormat f;
        ASSERT_EQ(primary->getPixelFormat(&f), kDisplayOk);
        EXPECT_EQ(f.bitCount, c.format.bitCount);
        EXPECT_EQ(f.redMask | f.greenMask | f.blueMask, c.format.redMask | c.format.greenMask | c.format.blueMask);
        EXPECT_EQ(packPixel(f, 255, 255, 255), c.white);

        IDisplaySurface* s = world.offscreen(7, 5);
        const SurfaceMemory m = memoryOf(s);
        EXPECT_EQ(m.pitch, 7 * c.format.bitCount / 8);  // unpadded
        EXPECT_EQ(memoryOf(s).bits, m.bits);

        DisplayRect edge{-3, 3, 2, 9};
        EXPECT_EQ(s->colorFill(nullptr, 1), kDisplayOk);
        EXPECT_EQ(s->colorFill(&edge, c.white), kDisplayOk);
        for (int y = 0; y < 5; ++y)
            for (int x = 0; x < 7; ++x) EXPECT_EQ(pixelAt(s, x, y), x < 2 && y >= 3 ? c.white : 1u) << x << "," << y;
        DisplayRect inverted{4, 0, 2, 2};
        EXPECT_EQ(s->colorFill(&inverted, 0), kDisplayInvalidParams);
    }
    EXPECT_EQ(packPixel(PixelFormat{16, 0xF800, 0x07E0, 0x001F}, 200, 100, 50), 0xCB26u);
}

TEST(Display, BlitsAreClippedAndNeverStretch) {
    DisplayWorld world;
    IDisplaySurface* src = world.offscreen(4, 4);
    IDisplaySurface* dst = world.offscreen(6, 6);
    numberPixels(src);
    struct Case {
        const char* name;
        bool fast;
        int x, y;               // bltFast corner
        DisplayRect srcRect;    // all zero: whole source
        DisplayRect dstRect;    // blt only
        int dx, dy, sx, sy;     // the copied block: dst corner, src corner
        int w, h;
    };
    const Case cases[] = {
        {"inside", true, 1, 1, {}, {}, 1, 1, 0, 0, 4, 4},
        {"off the top left", true, -2, -1, {}, {}, 0, 0, 2, 1, 2, 3},
        {"off the bottom right", true, 4, 5, {}, {}, 4, 5, 0, 0, 2, 1},
        {"source rectangle past the source", true, 0, 0, {2, 2, 9, 9}, {}, 0, 0, 2, 2, 2, 2},
        {"source rectangle left of the source", true, 0, 0, {-1, 0, 2, 1}, {}, 1, 0, 0, 0, 2, 1},
        {"blt to a smaller rectangle", false, 0, 0, {0, 0, 4, 4}, {3, 3, 5, 4}, 3, 3, 0, 0, 2, 1},
        {"blt to a larger rectangle", false, 0, 0, {1, 1, 3, 3}, {0, 0, 6, 6}, 0, 0, 1, 1, 2, 2},
        {"blt past the destination", false, 0, 0, {}, {4, -2, 9, 9}, 4, 0, 0, 2, 2, 2},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        dst->colorFill(nullptr, 0xEEEE);
        const bool whole = c.srcRect.right == 0 && c.srcRect.bottom == 0;
        const int32_t r = c.fast ? dst->bltFast(c.x, c.y, src, whole ? nullptr : &c.srcRect)
                                 : dst->blt(&c.dstRect, src, whole ? nullptr : &c.srcRect);
        EXPECT_EQ(r, kDisplayOk);
        for (int y = 0; y < 6; ++y)
            for (int x = 0; x < 6; ++x) {
                const bool in = x >= c.dx && x < c.dx + c.w && y >= c.dy && y < c.dy + c.h;
                const uint32_t want = in ? static_cast<uint32_t>(c.sx + x - c.dx + 16 * (c.sy + y - c.dy)) : 0xEEEEu;
                EXPECT_EQ(pixelAt(dst, x, y), want) << x << "," << y;
            }
    }
    // Overlapping copy within one surface keeps the source rows intact.
    numberPixels(dst);
    DisplayRect top{0, 0, 6, 4};
    EXPECT_EQ(dst->bltFast(0, 2, dst, &top), kDisplayOk);
    EXPECT_EQ(pixelAt(dst, 3, 5), 3u + 16 * 3);
    EXPECT_EQ(pixelAt(dst, 3, 2), 3u);

    DisplayRect inverted{3, 0, 1, 1};
    EXPECT_EQ(dst->bltFast(0, 0, src, &inverted), kDisplayInvalidParams);
    DisplayWorld wide(32);
    EXPECT_EQ(wide.offscreen(2, 2)->bltFast(0, 0, src, nullptr), kDisplayUnsupported);
}

TEST(Display, FlipChainSwapsMemory) {
    DisplayWorld world;
    IDisplaySurface* primary = world.primary(true);
    ASSERT_NE(primary, nullptr);
    IDisplaySurface* back = nullptr;
    ASSERT_EQ(primary->getBackBuffer(&back), kDisplayOk);
    const SurfaceMemory p0 = memoryOf(primary), b0 = memoryOf(back);
    EXPECT_EQ(p0.width, 40);
    back->colorFill(nullptr, 0x1234);
    SoftwareDisplaySystem::answerStillDrawing(back, 2);
    EXPECT_EQ(back->getFlipStatus(), kStillDrawing);
    EXPECT_EQ(back->getFlipStatus(), kStillDrawing);
    EXPECT_EQ(back->getFlipStatus(), kDisplayOk);
    EXPECT_EQ(primary->flip(), kDisplayOk);
    EXPECT_EQ(memoryOf(primary).bits, b0.bits);
    EXPECT_EQ(memoryOf(back).bits, p0.bits);
    EXPECT_EQ(pixelAt(primary, 39, 29), 0x1234u);

    // The back buffer lives on while its holder keeps it.
    world.made.clear();
    primary->release();
    EXPECT_EQ(back->refCount(), 1);
    EXPECT_EQ(back->colorFill(nullptr, 1), kDisplayOk);
    back->release();

    DisplayWorld failing;
    failing.system.failFlipChain = true;
    EXPECT_EQ(failing.primary(true), nullptr);
    IDisplaySurface* single = failing.primary(false);
    ASSERT_NE(single, nullptr);
    IDisplaySurface* none = nullptr;
    EXPECT_NE(single->getBackBuffer(&none), kDisplayOk);
    EXPECT_EQ(single->flip(), kDisplayUnsupported);
    DisplayWorld windowed(0);
    EXPECT_EQ(windowed.primary(true), nullptr);
}

TEST(Display, LostSurfacesAndStillDrawing) {
    DisplayWorld world;
    IDisplaySurface* primary = world.primary(true);
    IDisplaySurface* s = world.offscreen(4, 4);
    IDisplaySurface* back = nullptr;
    primary->getBackBuffer(&back);
    back->release();
    s->colorFill(nullptr, 7);
    const SurfaceMemory before = memoryOf(s);

    SoftwareDisplaySystem::loseSurface(s);
    SurfaceMemory m;
    IDeviceContext* dc = nullptr;
    EXPECT_EQ(s->isLost(), kSurfaceLost);
    EXPECT_EQ(s->lock(&m), kSurfaceLost);
    EXPECT_EQ(s->colorFill(nullptr, 1), kSurfaceLost);
    EXPECT_EQ(s->getDC(&dc), kSurfaceLost);
    EXPECT_EQ(primary->bltFast(0, 0, s, nullptr), kSurfaceLost);  // a lost source fails the blit
    EXPECT_EQ(s->restore(), kDisplayOk);
    EXPECT_EQ(s->isLost(), kDisplayOk);
    EXPECT_EQ(memoryOf(s).bits, before.bits);  // same memory, contents gone
    EXPECT_EQ(pixelAt(s, 3, 3), 0u);

    SoftwareDisplaySystem::loseSurface(primary);
    EXPECT_EQ(back->isLost(), kSurfaceLost);  // the chain is lost together
    EXPECT_EQ(primary->flip(), kSurfaceLost);
    primary->restore();
    EXPECT_EQ(back->isLost(), kDisplayOk);

    world.system.loseAllSurfaces();
    EXPECT_EQ(s->isLost(), kSurfaceLost);
    EXPECT_EQ(primary->isLost(), kSurfaceLost);
    s->restore();
    world.display->setDisplayMode(40, 30, 16);  // a mode switch loses everything
    EXPECT_EQ(s->isLost(), kSurfaceLost);
    s->restore();

    SoftwareDisplaySystem::answerStillDrawing(s, 3);
    for (int i = 0; i < 3; ++i) EXPECT_EQ(s->lock(&m), kStillDrawing);
    EXPECT_EQ(s->lock(&m), kDisplayOk);

    world.system.videoMemoryAvailable = false;
    IDisplaySurface* v = nullptr;
    EXPECT_EQ(world.display->createOffscreenSurface(4, 4, true, &v), kOutOfVideoMemory);
    EXPECT_EQ(v, nullptr);
    EXPECT_EQ(world.system.videoMemoryRequests, 1);
}

TEST(Display, DeviceContextWritesTextInTheBuiltInFont) {
    DisplayWorld world;
    IDisplaySurface* s = world.offscreen(14, 9);
    s->colorFill(nullptr, 0x1111);
    IDeviceContext* dc = nullptr;
    ASSERT_EQ(s->getDC(&dc), kDisplayOk);
    IDeviceContext* second = nullptr;
    EXPECT_NE(s->getDC(&second), kDisplayOk);  // held until released
    dc->textOut(1, 1, "L1", 2);
    // "L": first column full, bottom row full; the cell's gaps are the white background.
    auto row = [&](int y) {
        std::string out;
        for (int x = 0; x < 14; ++x) {
            const uint32_t p = pixelAt(s, x, y);
            out += p == 0 ? '#' : p == 0xFFFF ? '.' : '-';
        }
        return out;
    };
    EXPECT_EQ(row(0), "--------------");
    EXPECT_EQ(row(1), "-#.......#...-");
    EXPECT_EQ(row(2), "-#......##...-");
    EXPECT_EQ(row(7), "-#####..###..-");
    EXPECT_EQ(row(8), "-............-");
    dc->setTransparentBackground(true);
    dc->setTextColor(0x0000FF);  // red
    dc->textOut(-3, 5, "\x01", 1);  // a box, clipped on the left
    EXPECT_EQ(pixelAt(s, 0, 5), 0xF800u);
    EXPECT_EQ(pixelAt(s, 1, 7), 0xF800u);
    EXPECT_EQ(pixelAt(s, 0, 6), 0x1111u);  // inside the box: the transparent cell leaves it
    dc->textOut(12, -4, "WW", 2);  // clipped right and top
    EXPECT_EQ(s->releaseDC(dc), kDisplayOk);
    EXPECT_EQ(s->getDC(&dc), kDisplayOk);
    s->releaseDC(dc);
}
