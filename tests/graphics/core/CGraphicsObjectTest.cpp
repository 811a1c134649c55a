#include "graphics/core/CGraphicsObject.h"

#include <gtest/gtest.h>

#include <cstring>
#include <vector>

#include "foundation/CFile.h"
#include "graphics/input/CCollisionInspector.h"
#include "graphics/screen/CRefreshScreen.h"
#include "shell/CWindow.h"

namespace {

// Records what reaches the screen.
struct RecordingScreen : CRefreshScreen {
    RecordingScreen() : CRefreshScreen(nullptr, CXSize(800, 600), 16) {}
    void Invalidate(CXRect* r) override { rects.push_back(r ? *r : CXRect(-1)); }
    std::vector<CXRect> rects;
};

struct RecordingObserver : CInvalidateObserver {
    void onInvalidate(CGraphicsObject*, CXRect* r) override { rects.push_back(*r); }
    void onDestroy(CGraphicsObject* o) override { destroyed.push_back(o); }
    std::vector<CXRect> rects;
    std::vector<CGraphicsObject*> destroyed;
};

struct RecordingInspector : CCollisionInspector {
    void notify(int, CGraphicsObject*, CGraphicsObject*) override {}
    bool checkAlphaCollision(CGraphicsObject*, CXRect, CGraphicsObject*, CXRect) override { return false; }
    void onPositionChanged(CGraphicsObject* o) override { moved.push_back(o); }
    std::vector<CGraphicsObject*> moved;
};

struct TestWindow : CWindow {
    // The window's own inspector stands aside for the test's and comes back to be freed.
    explicit TestWindow(CCollisionInspector* inspector, CRefreshScreen* screen = nullptr)
        : m_own(m_collisionInspector) {
        m_collisionInspector = inspector;
        m_refreshScreen = screen;
    }
    ~TestWindow() override {
        m_collisionInspector = m_own;
        m_refreshScreen = nullptr;
    }
    CCollisionInspector* m_own;
};

uint16_t* px(CGraphicsObject& g) { return reinterpret_cast<uint16_t*>(g.GetDataPtr()); }

void fill(CGraphicsObject& g, uint16_t v) {
    for (int i = 0; i < g.Width() * g.Height(); ++i) px(g)[i] = v;
}

void withAlpha(CGraphicsObject& g, uint8_t v) {
    char* a = new char[size_t(g.Width()) * g.Height()];
    std::memset(a, v, size_t(g.Width()) * g.Height());
    g.AlphaChannel(a);
    g.GetChannelSize(3) = g.Width() * g.Height();
}

}  // namespace

TEST(CGraphicsObject, AutoClipKeepsTheVisiblePart) {
    CGraphicsObject dst(nullptr, CXSize(10, 4), 16);
    fill(dst, 0);
    CGraphicsObject g(nullptr, CXSize(20, 4), 16);
    for (int i = 0; i < 80; ++i) px(g)[i] = static_cast<uint16_t>(i % 20 + 1);
    g.SetPosition(-5, 0);
    g.redraw(&dst);
    EXPECT_EQ(g.GetClippingRect(), CXRect(5, 0, 15, 4));
    for (int x = 0; x < 10; ++x) EXPECT_EQ(px(dst)[30 + x], x + 6);
    // Outside the destination nothing is drawn; no auto clip still stays inside both buffers.
    g.SetPosition(10, 0);
    fill(dst, 0);
    g.redraw(&dst);
    EXPECT_EQ(px(dst)[9], 0);
    g.SetAutoClip(false);
    g.SetClippingRect(CXRect(-100, -100, 100, 100));
    g.SetPosition(-3, 2);
    g.redraw(&dst);
    EXPECT_EQ(px(dst)[2 * 10 + 0], 4);
    EXPECT_EQ(px(dst)[3 * 10 + 9], 13);
}

TEST(CGraphicsObject, DrawingRoutineChoice) {
    struct Case {
        uint8_t opacity;
        bool srcAlpha, mask, dstAlpha;
        uint16_t expect;
    } cases[] = {
        {255, false, false, false, 0xF800},
        {255, true, false, false, 0x8030},
        {255, true, true, false, 0xF800},
        {128, false, false, false, 0x780F},
        {128, true, false, false, 0x3817},  // weight (128 x 128) >> 8 = 64
    };
    for (const Case& c : cases) {
        CGraphicsObject s(nullptr, CXSize(1, 1), 16);
        px(s)[0] = 0xF800;
        if (c.srcAlpha) withAlpha(s, 128);
        s.setAlphaAsMask(c.mask);
        s.SetOpacity(c.opacity);
        CGraphicsObject d(nullptr, CXSize(1, 1), 16);
        px(d)[0] = 0x001F;
        s.redraw(&d);
        EXPECT_EQ(px(d)[0], c.expect) << int(c.opacity) << c.srcAlpha << c.mask;
    }
    // A destination with an alpha plane is layered on.
    CGraphicsObject s(nullptr, CXSize(1, 1), 16);
    px(s)[0] = 0xF800;
    withAlpha(s, 200);
    CGraphicsObject d(nullptr, CXSize(1, 1), 16);
    px(d)[0] = 0x001F;
    withAlpha(d, 0);
    s.redraw(&d);
    EXPECT_EQ(px(d)[0], 0xF800);
    EXPECT_EQ(static_cast<uint8_t>(d.AlphaChannel()[0]), 200);
    // A 5-5-5 object drawn onto a 5-6-5 destination is converted first.
    CGraphicsObject p15(nullptr, CXSize(4, 1), 15);
    fill(p15, 0x7C1F);
    CGraphicsObject d16(nullptr, CXSize(4, 1), 16);
    p15.redraw(&d16);
    EXPECT_EQ(p15.GetBpp(), 16);
    EXPECT_EQ(px(d16)[3], 0xF81F);
}

TEST(CGraphicsObject, PositionAndInvalidation) {
    RecordingInspector inspector;
    TestWindow window(&inspector);
    RecordingScreen screen;
    CGraphicsObject g(&window, CXSize(20, 10), 16);
    RecordingObserver observer;
    g.addInvalidateObserver(&observer);
    g.addInvalidateObserver(&observer);
    g.SetCanvas(&screen);
    g.setAnchor(10, 20);
    g.SetPosition(100, 50);
    EXPECT_EQ(g.GetPosition(), CXPoint(90, 30));
    EXPECT_TRUE(screen.rects.empty());
    EXPECT_TRUE(inspector.moved.empty());  // not monitored
    g.setMonitorCollisions(true);
    g.Move(1, 0);
    ASSERT_EQ(screen.rects.size(), 1u);
    EXPECT_EQ(screen.rects[0], CXRect(90, 30, 111, 40));
    EXPECT_TRUE(observer.rects.empty());  // Move tells the screen only
    EXPECT_EQ(inspector.moved.size(), 1u);
    EXPECT_TRUE(g.isInvalidated());
    EXPECT_FALSE(g.isInvalidated());

    CXRect outside(0, 0, 10, 10);
    g.Invalidate(&outside);
    EXPECT_EQ(screen.rects.size(), 1u);
    EXPECT_TRUE(observer.rects.empty());
    EXPECT_FALSE(g.isInvalidated());
    CXRect part(0, 0, 95, 35);
    g.Invalidate(&part);
    ASSERT_EQ(observer.rects.size(), 1u);
    EXPECT_EQ(observer.rects[0], CXRect(91, 30, 95, 35));
    g.removeInvalidateObserver(&observer);
    g.SetCanvas(nullptr);
}

TEST(CGraphicsObject, BoxesAndHitTests) {
    CGraphicsObject dest(nullptr, CXSize(50, 50), 16);
    CGraphicsObject g(nullptr, CXSize(20, 10), 16);
    g.SetPosition(-5, 45);
    g.SetDestiny(&dest);
    EXPECT_EQ(g.GetBoundingBox(), CXRect(0, 45, 15, 50));
    EXPECT_EQ(g.GetAbsoluteBoundingBox(), CXRect(-5, 45, 15, 55));
    g.SetClippingRect(CXRect(10, 0, 30, 3));
    EXPECT_EQ(g.GetBoundingBox(), CXRect(5, 45, 15, 48));
    g.SetDestiny(nullptr);
    g.SetClippingRect(CXRect());
    g.SetPosition(0, 0);
    // isNear: the share of the own box the rectangle covers.
    EXPECT_TRUE(g.isNear(CXRect(0, 0, 10, 10), 50));
    EXPECT_FALSE(g.isNear(CXRect(0, 0, 10, 10), 51));
    EXPECT_TRUE(g.isNear(CXRect(100, 100, 110, 110), 0));
    CGraphicsObject empty(nullptr);
    EXPECT_TRUE(empty.isNear(CXRect(0, 0, 10, 10), 100));
    // Hits: the alpha plane decides unless it is ignored.
    withAlpha(g, 0);
    g.AlphaChannel()[3 * 20 + 4] = 9;
    EXPECT_TRUE(g.testHit(CXPoint(4, 3), false));
    EXPECT_FALSE(g.testHit(CXPoint(5, 3), false));
    EXPECT_TRUE(g.testHit(CXPoint(5, 3), true));
    EXPECT_FALSE(g.testHit(CXPoint(20, 3), true));
    EXPECT_TRUE(g.isAt(CXPoint(4, 3), true));
    EXPECT_TRUE(g.isInside(4, 3, true));
    EXPECT_FALSE(g.isInside(5, 3, true));
    EXPECT_EQ(g.GetPixel(CHANNEL_ALPHA, CXPoint(4, 3)), 9);
    EXPECT_EQ(g.GetPixel(CHANNEL_ALPHA, CXPoint(-1, 3)), 0);
}

TEST(CGraphicsObject, PixelsAndFlips) {
    CGraphicsObject g(nullptr, CXSize(3, 2), 16);
    for (int i = 0; i < 6; ++i) px(g)[i] = static_cast<uint16_t>(i + 1);
    withAlpha(g, 0);
    for (int i = 0; i < 6; ++i) g.AlphaChannel()[i] = static_cast<char>(i + 10);
    EXPECT_EQ(g.GetPixel(1, 1).getPixel(), 5);
    EXPECT_EQ(g.GetPixel(1, 1).getModel(), CM_RGB16);
    EXPECT_EQ(g.GetPixel(3, 0), CColor(0, 0, 0));
    EXPECT_EQ(g.GetPixel(3, 0).getModel(), CM_RGB);
    g.FlipH();  // rows reversed
    EXPECT_EQ(px(g)[0], 4);
    EXPECT_EQ(g.AlphaChannel()[0], 13);
    EXPECT_TRUE(g.isFlippedH());
    g.FlipV();  // columns mirrored
    EXPECT_EQ(px(g)[0], 6);
    EXPECT_EQ(g.AlphaChannel()[2], 13);
    g.resetFlips();
    for (int i = 0; i < 6; ++i) EXPECT_EQ(px(g)[i], i + 1);
    EXPECT_FALSE(g.isFlippedH());
    EXPECT_FALSE(g.isFlippedV());

    // A packed object is flipped through its pixels and stays packed.
    g.Compress(COMPRESSION_RLE);
    ASSERT_EQ(g.GetCompression(), COMPRESSION_RLE);
    g.FlipH();
    g.resetFlips();
    EXPECT_EQ(g.GetCompression(), COMPRESSION_RLE);
    g.unpack();
    for (int i = 0; i < 6; ++i) EXPECT_EQ(px(g)[i], i + 1);
    g.pack(true);
}

TEST(CGraphicsObject, PackThenUnpackGivesTheSameBytes) {
    CGraphicsObject g(nullptr, CXSize(37, 11), 16);
    for (int i = 0; i < 37 * 11; ++i) px(g)[i] = static_cast<uint16_t>(i / 7 * 0x0841);
    withAlpha(g, 0);
    for (int i = 0; i < 37 * 11; ++i) g.AlphaChannel()[i] = static_cast<char>(i % 5 == 0 ? 255 : 0);
    const std::vector<char> pixels(g.GetDataPtr(), g.GetDataPtr() + g.GetDataSize());
    const std::vector<char> alpha(g.AlphaChannel(), g.AlphaChannel() + 37 * 11);
    g.Compress(COMPRESSION_RLE);
    EXPECT_LT(g.getPackedSize(), g.GetDataSize());
    EXPECT_EQ(g.GetPixel(3, 3), CColor(0, 0, 0));  // no pixels while packed
    EXPECT_EQ(g.GetPixel(CHANNEL_ALPHA, CXPoint(5, 0)), 255);
    g.unpack();
    ASSERT_EQ(g.GetCompression(), COMPRESSION_NONE);
    EXPECT_EQ(std::vector<char>(g.GetDataPtr(), g.GetDataPtr() + g.GetDataSize()), pixels);
    EXPECT_EQ(std::vector<char>(g.AlphaChannel(), g.AlphaChannel() + 37 * 11), alpha);
    g.pack(true);
    EXPECT_EQ(g.GetCompression(), COMPRESSION_RLE);
    g.DeCompressRLE2();
    g.bringBackCompressed();
    EXPECT_EQ(g.GetCompression(), COMPRESSION_RLE);
    // Unpacking a plain object leaves nothing to put back.
    CGraphicsObject plain(nullptr, CXSize(4, 4), 16);
    fill(plain, 0x1234);
    plain.unpack();
    plain.pack(true);
    ASSERT_NE(plain.GetDataPtr(), nullptr);
    EXPECT_EQ(px(plain)[15], 0x1234);
}

TEST(CGraphicsObject, CopiesNeverFreeWhatTheyShare) {
    RecordingObserver observer;
    auto* source = new CGraphicsObject(nullptr, CXSize(4, 4), 16);
    fill(*source, 0x0F0F);
    withAlpha(*source, 7);
    source->setAnchor(1, 1);
    source->addInvalidateObserver(&observer);
    {
        CGraphicsObject view(nullptr, *source);
        EXPECT_EQ(view.GetDataPtr(), source->GetDataPtr());
        EXPECT_EQ(view.getAnchor(), CXPoint(0, 0));
        EXPECT_FALSE(view.ownsBuffers());
        CGraphicsObject copy(*source);
        CGraphicsObject assigned(nullptr, CXSize(2, 2), 16);
        assigned = *source;
        copy.Invalidate();
        EXPECT_TRUE(observer.rects.empty());  // copies have observers of their own
        delete static_cast<CGraphicsObject*>(source->clone());
    }
    EXPECT_EQ(px(*source)[15], 0x0F0F);
    EXPECT_EQ(source->AlphaChannel()[15], 7);
    delete source;
    EXPECT_EQ(observer.destroyed.size(), 1u);
}

TEST(CGraphicsObject, ChildrenAreRedrawnOverTheSnapshot) {
    CGraphicsObject parent(nullptr, CXSize(4, 1), 16);
    fill(parent, 0x1111);
    RecordingScreen screen;
    parent.SetCanvas(&screen);
    auto* low = new CGraphicsObject(nullptr, CXSize(2, 1), 16);
    fill(*low, 0x2222);
    CGraphicsObject high(nullptr, CXSize(1, 1), 16);
    fill(high, 0x3333);
    parent.addObject(&high, 5);
    parent.addObject(low, 1);
    parent.addObject(low, 1);
    parent.Redraw();
    EXPECT_EQ(px(parent)[0], 0x3333);  // higher priority on top
    EXPECT_EQ(px(parent)[1], 0x2222);
    EXPECT_EQ(px(parent)[2], 0x1111);
    high.SetPosition(3, 0);
    parent.Redraw();
    EXPECT_EQ(px(parent)[0], 0x2222);  // the old place shows the snapshot again
    EXPECT_EQ(px(parent)[3], 0x3333);
    // A child's change reaches the parent's screen.
    screen.rects.clear();
    high.Invalidate();
    ASSERT_EQ(screen.rects.size(), 1u);
    EXPECT_EQ(screen.rects[0], CXRect(3, 0, 4, 1));
    // A child that goes away leaves the queue.
    delete low;
    parent.Redraw();
    EXPECT_EQ(px(parent)[0], 0x1111);
    parent.removeObject(&high);
    EXPECT_EQ(parent.getChildren(), nullptr);
    EXPECT_EQ(parent.getSnapshot(), nullptr);
    parent.SetCanvas(nullptr);
}

TEST(CGraphicsObject, ScreenRegistration) {
    auto* g = new CGraphicsObject(nullptr, CXSize(5, 5), 16);
    RecordingScreen screen;
    screen.put(g, 3);
    EXPECT_EQ(g->GetCanvas(), &screen);
    EXPECT_EQ(screen.GetPriority(g), 3);
    ASSERT_EQ(screen.rects.size(), 1u);
    delete g;  // leaves the screen on its way out
    EXPECT_EQ(screen.getIndex(g), -1);
}

TEST(CGraphicsObject, DepthCodesAndLoading) {
    for (int code : {1, 2, 4, 8, 0x100, 0x200})
        EXPECT_EQ(CGraphicsObject::GetFlagBpp(CGraphicsObject::GetRealBpp(code)), code);
    EXPECT_EQ(CGraphicsObject::GetRealBpp(3), 0);
    CRefreshScreen screen(nullptr, CXSize(8, 8), 15);
    TestWindow window(nullptr, &screen);
    CGraphicsObject g(&window, CXSize(4, 4), 16);
    fill(g, 0xFFFF);
    EXPECT_EQ(g.Load(CXString("any")), 0);
    EXPECT_EQ(g.GetBpp(), 15);
    EXPECT_EQ(px(g)[0], 0x7FFF);
    // Saving into a file that is not open fails cleanly.
    CFile file;
    g.Save(&file, COMPRESSION_NONE);
    EXPECT_EQ(g.LastError(), CFile::kErrorWrite);
}
