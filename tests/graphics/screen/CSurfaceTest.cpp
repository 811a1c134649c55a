#include <gtest/gtest.h>

#include <cstring>
#include <memory>
#include <string>

#include "graphics/core/CColor.h"
#include "graphics/screen/CDirectDrawSurface.h"
#include "graphics/screen/CSecondaryDisplay.h"
#include "graphics/screen/CSurface.h"
#include "platform/Clock.h"
#include "platform/Display.h"
#include "shell/CWindow.h"

using platform::SoftwareDisplaySystem;

namespace {

class ScreenWindow : public CWindow {
public:
    void setScreen(CSurface* s, bool videoMemory) {
        m_surface = s;
        m_videoMemory = videoMemory;
    }
};

// A software display installed for the test, and a window whose screen is made on demand.
struct ScreenTest : testing::Test {
    ScreenTest() : scope(system) {}
    ~ScreenTest() override { window.setScreen(nullptr, false); }

    CSurface& windowed(CXSize size = CXSize(64, 48)) {
        screen = std::make_unique<CSurface>(nullptr, size);
        window.setScreen(screen.get(), true);
        return *screen;
    }
    CSurface& fullScreen(int& bpp, bool flipping, CXSize size = CXSize(64, 48)) {
        screen = std::make_unique<CSurface>(size, bpp, nullptr, flipping);
        window.setScreen(screen.get(), true);
        return *screen;
    }

    SoftwareDisplaySystem system;
    platform::ScopedDisplaySystem scope;
    ScreenWindow window;
    std::unique_ptr<CSurface> screen;
};

uint32_t pixel16(CGraphicsObject& g, int x, int y) {
    return reinterpret_cast<uint16_t*>(g.GetDataPtr())[y * g.Width() + x];
}

uint32_t primaryPixel(CSurface& s, int x, int y) {
    s.Lock();
    s.UnLock();
    return reinterpret_cast<uint16_t*>(s.GetScreenPtr())[y * s.Width() + x];
}

// Writes x + 256 * y into every pixel of a 16-bit surface.
void numberPixels(CDirectDrawSurface& s) {
    auto* p = reinterpret_cast<uint16_t*>(s.GetDataPtr());
    for (int y = 0; y < s.Height(); ++y)
        for (int x = 0; x < s.Width(); ++x) p[y * s.Width() + x] = static_cast<uint16_t>(x + 256 * y);
}

struct RecordingMirror : CSecondaryDisplay {
    void update(CDirectDrawSurface* surface, CXRect* rect) override {
        lastSurface = surface;
        lastRect = rect;
    }
    CDirectDrawSurface* lastSurface = nullptr;
    CXRect* lastRect = nullptr;
};

}  // namespace

TEST_F(ScreenTest, DepthOfTheScreen) {
    struct Case {
        int asked;
        platform::PixelFormat format32;
        int reported;
    };
    const platform::PixelFormat common{32, 0xFF0000, 0xFF00, 0xFF};
    const Case cases[] = {
        {15, common, 15},
        {16, common, 16},
        {32, common, 24},                                  // 32-bit masks give 24
        {32, {32, 0x3FF00000, 0xFFC00, 0x3FF}, 32},        // other masks leave the asked depth
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.asked);
        system.format32 = c.format32;
        int bpp = c.asked;
        CSurface& s = fullScreen(bpp, false);
        EXPECT_EQ(s.LastError(), 0);
        EXPECT_EQ(bpp, c.reported);
        EXPECT_EQ(s.GetBPP(), c.reported);
        EXPECT_FALSE(s.isWindowed());
    }
    for (int desktop : {16, 15, 32}) {
        system.windowedDepth = desktop;
        CSurface& s = windowed(CXSize(30, 20));
        EXPECT_EQ(s.GetBPP(), desktop);  // 16 by default; 5-5-5 is 15
        EXPECT_TRUE(s.isWindowed());
        EXPECT_EQ(s.GetPrimaryBufferInterface()->width(), 30);  // the client area
    }
    int bad = 24;
    CSurface& failed = fullScreen(bad, true);
    EXPECT_NE(failed.LastError(), 0);
    EXPECT_EQ(failed.GetPrimaryBufferInterface(), nullptr);
    failed.Flip();  // nothing to do, nothing breaks
}

TEST_F(ScreenTest, ConversionTableIsSharedAndOutlivesASecondSurface) {
    int bpp = 32;
    CXSize size(8, 8);
    auto first = std::make_unique<CSurface>(size, bpp, nullptr, false);
    int32_t* table = CSurface::getBppConversionTable();
    ASSERT_NE(table, nullptr);
    EXPECT_EQ(table[0xFFFF], 0xF8FCF8);
    EXPECT_EQ(table[0xF800], 0xF80000);
    EXPECT_EQ(table[0x07E0], 0x00FC00);
    EXPECT_EQ(table[0x001F], 0x0000F8);
    {
        int bpp2 = 32;
        CSurface second(size, bpp2, nullptr, false);
        CSurface copy(second);
    }
    EXPECT_EQ(CSurface::getBppConversionTable(), table);
    EXPECT_EQ(table[0xFFFF], 0xF8FCF8);
    first.reset();
    EXPECT_EQ(CSurface::getBppConversionTable(), nullptr);
}

TEST_F(ScreenTest, FillsInTheSurfaceDepth) {
    struct Case {
        int bpp;
        CColor colour;
        uint32_t pixel;
    };
    const Case cases[] = {
        {16, CColor(255, 255, 255), 0xFFFF}, {16, CColor(200, 100, 50), 0xCB26},
        {15, CColor(200, 100, 50), 0x6586},  {15, CColor(8, 4, 8), 0x0401},
    };
    windowed();
    for (Case c : cases) {
        SCOPED_TRACE(c.pixel);
        CDirectDrawSurface s(&window, CXSize(6, 4), c.bpp, false);
        CColor black(0, 0, 0);
        s.Fill(&black);
        s.Fill(CXRect(-5, 2, 3, 9), &c.colour);  // clipped at the edges
        for (int y = 0; y < 4; ++y)
            for (int x = 0; x < 6; ++x) EXPECT_EQ(pixel16(s, x, y), x < 3 && y >= 2 ? c.pixel : 0u) << x << "," << y;
        EXPECT_EQ(s.LastError(), 0);
    }
}

TEST_F(ScreenTest, BlitsPlaceClipAndCentre) {
    windowed();
    CDirectDrawSurface dst(&window, CXSize(300, 200), 16, true);
    CDirectDrawSurface src(&window, CXSize(100, 50), 16, true);
    numberPixels(src);
    CColor white(255, 255, 255);
    struct Case {
        const char* name;
        int x, y;
        CXRect rect;  // zero: none
        int dx, dy;   // where the source's (sx, sy) lands
        int sx, sy;
    };
    const Case cases[] = {
        {"whole source", 10, 20, CXRect(), 10, 20, 0, 0},
        {"part of the source", 10, 20, CXRect(30, 10, 60, 40), 10, 20, 30, 10},
        {"off the top left", -40, -10, CXRect(), 0, 0, 40, 10},
        {"off the bottom right", 250, 190, CXRect(), 250, 190, 0, 0},
        {"oversize rectangle centres the source", 7, 9, CXRect(0, 0, 200, 100), 50, 25, 0, 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        dst.Fill(&white);
        CXRect r = c.rect;
        dst.Blt(&src, c.x, c.y, r.IsEmpty() ? nullptr : &r);
        EXPECT_EQ(pixel16(dst, c.dx, c.dy), static_cast<uint32_t>(c.sx + 256 * c.sy));
        EXPECT_EQ(pixel16(dst, 299, 0), 0xFFFFu);
    }
    // Rectangle to rectangle: the smaller sizes, never stretched.
    dst.Fill(&white);
    CXRect from(0, 0, 100, 50), to(5, 5, 25, 15);
    dst.Blt(&src, &from, &to);
    EXPECT_EQ(pixel16(dst, 24, 14), 19u + 256 * 9);
    EXPECT_EQ(pixel16(dst, 25, 14), 0xFFFFu);
    EXPECT_EQ(pixel16(dst, 24, 15), 0xFFFFu);
}

TEST_F(ScreenTest, ScreenBlitsWindowedAndFullScreen) {
    CSurface& w = windowed();
    RecordingMirror mirror;
    w.setSecondaryDisplay(&mirror);
    CDirectDrawSurface src(&window, CXSize(16, 16), 16, false);
    numberPixels(src);
    CXRect part(2, 3, 6, 8);
    w.Blt(&src, CXPoint(60, 1), &part);
    EXPECT_EQ(w.LastError(), 0);
    EXPECT_EQ(primaryPixel(w, 60, 1), 2u + 256 * 3);
    EXPECT_EQ(primaryPixel(w, 63, 5), 5u + 256 * 7);
    EXPECT_EQ(mirror.lastSurface, &src);
    EXPECT_EQ(mirror.lastRect, &part);
    w.Blt(&src, 0, 40, nullptr);  // no rectangle: the whole source
    EXPECT_EQ(primaryPixel(w, 15, 47), 15u + 256 * 7);

    int bpp = 16;
    CSurface& f = fullScreen(bpp, false);
    CDirectDrawSurface src2(&window, CXSize(16, 16), 16, false);
    numberPixels(src2);
    f.Blt(&src2, -4, 0, nullptr);
    EXPECT_EQ(primaryPixel(f, 0, 2), 4u + 256 * 2);
    CXRect to(0, 0, 64, 48);
    f.Blt(&src2, nullptr, &to);
    EXPECT_EQ(primaryPixel(f, 15, 15), 15u + 256 * 15);
}

TEST_F(ScreenTest, FlipSwapsPrimaryAndBackBuffer) {
    int bpp = 16;
    CSurface& s = fullScreen(bpp, true);
    ASSERT_TRUE(s.IsFlippingEnabled());
    CDirectDrawSurface back(&window, s.GetBackBufferInterface(), s.GetScreenSize(), bpp);
    s.Lock();
    char* front = s.GetScreenPtr();
    char* drawn = back.GetDataPtr();
    CColor red(255, 0, 0);
    back.Fill(&red);
    SoftwareDisplaySystem::answerStillDrawing(s.GetBackBufferInterface(), 5);
    s.Flip();
    EXPECT_EQ(s.LastError(), 0);
    s.Lock();
    EXPECT_EQ(s.GetScreenPtr(), drawn);
    EXPECT_EQ(primaryPixel(s, 63, 47), 0xF800u);
    platform::SurfaceMemory m;
    EXPECT_EQ(s.GetBackBufferInterface()->lock(&m), platform::kDisplayOk);  // the flip status was waited out
    EXPECT_EQ(reinterpret_cast<char*>(m.bits), front);

    // Without a flip chain the screen works as a single primary and frames are blitted.
    system.failFlipChain = true;
    int bpp2 = 16;
    CSurface& single = fullScreen(bpp2, true);
    EXPECT_EQ(single.LastError(), 0);
    EXPECT_FALSE(single.IsFlippingEnabled());
    CDirectDrawSurface frame(&window, CXSize(64, 48), 16, true);
    frame.Fill(&red);
    single.Flip();
    CXRect dirty(10, 10, 20, 20);
    single.Blt(&frame, 10, 10, &dirty);
    EXPECT_EQ(primaryPixel(single, 19, 19), 0xF800u);
    EXPECT_EQ(primaryPixel(single, 20, 19), 0u);
}

TEST_F(ScreenTest, LostSurfacesAreRestoredAndRedrawn) {
    CSurface& screenSurface = windowed();
    CDirectDrawSurface picture(&window, CXSize(64, 48), 16, true);
    CColor green(0, 255, 0), blue(0, 0, 255);
    picture.Fill(&green);
    CDirectDrawSurface canvas(&window, CXSize(64, 48), 16, true);
    canvas.applyToRestore(&picture);
    CDirectDrawSurface sprite(&window, CXSize(4, 4), 16, true);
    sprite.Fill(&blue);
    char* before = canvas.GetDataPtr();

    for (bool fast : {true, false}) {
        SCOPED_TRACE(fast);
        SoftwareDisplaySystem::loseSurface(canvas.GetDirectDrawSurfaceInterface());
        if (fast) {
            canvas.Blt(&sprite, 2, 2, nullptr);
        } else {
            CXRect to(2, 2, 6, 6);
            canvas.Blt(&sprite, nullptr, &to);
        }
        EXPECT_EQ(canvas.LastError(), 0);
        EXPECT_EQ(canvas.GetDataPtr(), before);
        EXPECT_EQ(pixel16(canvas, 3, 3), 0x001Fu);   // the blit, repeated
        EXPECT_EQ(pixel16(canvas, 40, 40), 0x07E0u);  // the applied picture, redrawn
        EXPECT_EQ(picture.GetDestiny(), &canvas);
    }

    // A lost source is restored and its own picture redrawn before it is copied.
    CDirectDrawSurface backdrop(&window, CXSize(8, 8), 16, true);
    CDirectDrawSurface tile(&window, CXSize(8, 8), 16, true);
    tile.Fill(&blue);
    backdrop.applyToRestore(&tile);
    SoftwareDisplaySystem::loseSurface(backdrop.GetDirectDrawSurfaceInterface());
    canvas.Blt(&backdrop, 30, 30, nullptr);
    EXPECT_EQ(canvas.LastError(), 0);
    EXPECT_EQ(pixel16(canvas, 37, 37), 0x001Fu);

    SoftwareDisplaySystem::loseSurface(canvas.GetDirectDrawSurfaceInterface());
    canvas.Fill(&blue);
    EXPECT_EQ(pixel16(canvas, 63, 47), 0x001Fu);

    SoftwareDisplaySystem::loseSurface(screenSurface.GetPrimaryBufferInterface());
    screenSurface.Blt(&sprite, 1, 1, nullptr);
    EXPECT_EQ(screenSurface.LastError(), 0);
    EXPECT_EQ(primaryPixel(screenSurface, 4, 4), 0x001Fu);
}

TEST_F(ScreenTest, StillDrawingIsRetried) {
    CSurface& s = windowed();
    SoftwareDisplaySystem::answerStillDrawing(s.GetPrimaryBufferInterface(), 4);
    SoftwareDisplaySystem::loseSurface(s.GetPrimaryBufferInterface());
    s.Lock();  // lost: restored; then still drawing four times
    EXPECT_EQ(s.LastError(), 0);
    EXPECT_NE(s.GetScreenPtr(), nullptr);

    CDirectDrawSurface made(&window, CXSize(4, 4), 16, false);
    platform::IDisplaySurface* raw = made.GetDirectDrawSurfaceInterface();
    SoftwareDisplaySystem::answerStillDrawing(raw, 3);
    CDirectDrawSurface wrapped(&window, raw, CXSize(4, 4), 16);
    EXPECT_EQ(wrapped.GetDataPtr(), made.GetDataPtr());
    EXPECT_EQ(wrapped.GetPitch(), 4);
}

TEST_F(ScreenTest, RedrawClipsWithTheDestinysSize) {
    windowed(CXSize(800, 600));
    CDirectDrawSurface destiny(&window, CXSize(800, 600), 16, true);
    CDirectDrawSurface wide(&window, CXSize(820, 4), 16, true);
    auto* p = reinterpret_cast<uint16_t*>(wide.GetDataPtr());
    for (int i = 0; i < 820 * 4; ++i) p[i] = static_cast<uint16_t>(i % 820);
    wide.SetDestiny(&destiny);
    wide.SetPosition(-20, 0);
    wide.Redraw();
    EXPECT_EQ(pixel16(destiny, 0, 0), 20u);
    EXPECT_EQ(pixel16(destiny, 799, 3), 819u);

    // On a smaller destiny the part is cut at its edge, not at 800 x 600.
    CDirectDrawSurface small(&window, CXSize(640, 480), 16, true);
    CColor white(255, 255, 255);
    small.Fill(&white);
    CDirectDrawSurface strip(&window, CXSize(700, 2), 16, true);
    auto* q = reinterpret_cast<uint16_t*>(strip.GetDataPtr());
    for (int i = 0; i < 700 * 2; ++i) q[i] = static_cast<uint16_t>(i % 700);
    strip.SetDestiny(&small);
    strip.SetPosition(0, 478);
    strip.Redraw();
    EXPECT_EQ(pixel16(small, 0, 478), 0u);
    EXPECT_EQ(pixel16(small, 639, 479), 639u);
    strip.SetPosition(640, 0);  // wholly outside: nothing
    strip.Redraw();
    EXPECT_EQ(pixel16(small, 0, 0), 0xFFFFu);
}

TEST_F(ScreenTest, SurfacesInVideoMemoryOnlyWhenAllowed) {
    CSurface& s = windowed();
    window.setScreen(&s, false);
    CDirectDrawSurface direct(&window, CXSize(4, 4), 16, true);
    EXPECT_EQ(system.videoMemoryRequests, 0);
    EXPECT_FALSE(direct.GetDirectDrawSurfaceInterface()->isVideoMemory());

    window.setScreen(&s, true);
    system.videoMemoryAvailable = false;
    CDirectDrawSurface fallback(&window, nullptr, CXSize(4, 4), 16);
    EXPECT_EQ(system.videoMemoryRequests, 1);
    ASSERT_NE(fallback.GetDataPtr(), nullptr);
    EXPECT_FALSE(fallback.GetDirectDrawSurfaceInterface()->isVideoMemory());

    CWindow bare;  // no screen: no surface, nothing drawn
    CDirectDrawSurface none(&bare, CXSize(4, 4), 16, true);
    EXPECT_EQ(none.GetDataPtr(), nullptr);
    CColor c(1, 2, 3);
    none.Fill(&c);
    none.Blt(&direct, 0, 0, nullptr);
}

TEST_F(ScreenTest, CopiesShareTheSurfaceSafely) {
    windowed();
    CColor red(255, 0, 0);
    auto original = std::make_unique<CDirectDrawSurface>(&window, CXSize(4, 4), 16, true);
    platform::IDisplaySurface* raw = original->GetDirectDrawSurfaceInterface();
    CDirectDrawSurface copy(*original);
    CDirectDrawSurface assigned(&window);
    assigned = copy;
    EXPECT_EQ(raw->refCount(), 3);
    original.reset();
    copy.Fill(&red);
    EXPECT_EQ(pixel16(assigned, 3, 3), 0xF800u);

    auto screenCopy = std::make_unique<CSurface>(*screen);
    screen.reset();
    window.setScreen(screenCopy.get(), false);
    screenCopy->Blt(&assigned, 0, 0, nullptr);
    EXPECT_EQ(primaryPixel(*screenCopy, 0, 0), 0xF800u);
    window.setScreen(nullptr, false);
}

TEST_F(ScreenTest, FramesPerSecondText) {
    platform::ManualClock clock;
    platform::ScopedClock clockScope(clock);
    CSurface& s = windowed(CXSize(80, 20));
    CDirectDrawSurface reference(&window, CXSize(80, 20), 16, false);
    CColor black(0, 0, 0);
    reference.Fill(&black);
    // The reference gets the same texts one over the other.
    auto textShown = [&](const char* text) {
        platform::IDeviceContext* dc = reference.getDC();
        dc->textOut(10, 10, text, static_cast<int32_t>(std::strlen(text)));
        reference.releaseDC();
        s.Lock();
        return std::memcmp(s.GetScreenPtr(), reference.GetDataPtr(), 80 * 20 * 2) == 0;
    };
    for (int frame = 0; frame < 30; ++frame) {
        clock.set(frame * 1000 / 30);
        s.ShowFPS(CXPoint(), nullptr);
    }
    EXPECT_TRUE(textShown("FPS: 0   "));
    clock.set(1000);
    s.ShowFPS(CXPoint(), nullptr);
    EXPECT_TRUE(textShown("FPS: 30   "));
    s.ShowFPS(7);
    EXPECT_TRUE(textShown("FPS: 7   "));
}
