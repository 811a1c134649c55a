#include "graphics/canvas/CVirtualGraphicsObject.h"

#include <gtest/gtest.h>

#include "CanvasTestSupport.h"
#include "graphics/play/CAnimo.h"
#include "graphics/play/CFrame.h"

using namespace canvas_test;

namespace {

struct VirtualObjectTest : testing::Test, WindowFixture {
    // A source whose column x holds the value x.
    std::unique_ptr<CGraphicsObject> ramp(CXSize size) {
        auto g = std::make_unique<CGraphicsObject>(window.get(), size, 16);
        for (int y = 0; y < size.cy; ++y)
            for (int x = 0; x < size.cx; ++x) reinterpret_cast<uint16_t*>(g->GetDataPtr())[y * size.cx + x] = x;
        return g;
    }
    std::unique_ptr<CGraphicsObject> mask(CXSize size, uint8_t alpha) {
        auto g = std::make_unique<CGraphicsObject>(window.get(), size, 16);
        giveAlpha(*g, alpha);
        return g;
    }
};

// Counts the passes that bring it up to date.
struct CountingSource : CGraphicsObject {
    CountingSource(CWindow* w) : CGraphicsObject(w, CXSize(8, 8), 16) {}
    void Redraw() override { ++redraws; }
    int redraws = 0;
};

TEST_F(VirtualObjectTest, ALargerMaskGivesTheSourcesSizeAndAMovedMaskShowsFurtherColumns) {
    auto source = ramp(CXSize(30, 10));
    auto m = mask(CXSize(50, 20), 255);
    CVirtualGraphicsObject vgo(window.get());
    EXPECT_EQ(vgo.Width(), 0);
    vgo.setSource(source.get());
    EXPECT_EQ(vgo.Width(), 30);  // the size rule's without a mask
    vgo.setMask(m.get());
    EXPECT_EQ(vgo.Size(), CXSize(30, 10));
    EXPECT_EQ(vgo.Width(), 50);  // the mask's
    m->SetPosition(10, 0);
    vgo.SetPosition(2, 1);
    CGraphicsObject target(window.get(), CXSize(60, 20), 16);
    fill(target, 0xFFFF);
    vgo.redraw(&target);
    EXPECT_EQ(pixel(target, 2, 1), 10);
    EXPECT_EQ(pixel(target, 21, 1), 29);
    EXPECT_EQ(pixel(target, 22, 1), 0xFFFF);  // the source ends there
    EXPECT_EQ(pixel(target, 1, 1), 0xFFFF);
}

TEST_F(VirtualObjectTest, MaskAlphaBlendsCopiesOrKeeps) {
    struct Case {
        uint8_t alpha;
        uint16_t expected;
    };
    for (const Case c : {Case{128, 0x7BEF}, Case{255, 0x0000}, Case{0, 0xFFFF}}) {
        auto source = std::make_unique<CGraphicsObject>(window.get(), CXSize(4, 4), 16);  // black
        auto m = mask(CXSize(4, 4), c.alpha);
        CVirtualGraphicsObject vgo(window.get());
        vgo.setSource(source.get());
        vgo.setMask(m.get());
        CGraphicsObject target(window.get(), CXSize(4, 4), 16);
        fill(target, 0xFFFF);
        vgo.redraw(&target);
        EXPECT_EQ(pixel(target, 1, 1), c.expected) << int(c.alpha);
    }
}

TEST_F(VirtualObjectTest, AnOffScreenSourceIsRedrawnOnceAPassEachSourceItsOwn) {
    CountingSource shared(window.get()), other(window.get());
    CVirtualGraphicsObject a(window.get()), b(window.get()), c(window.get());
    a.setSource(&shared);
    b.setSource(&shared);
    c.setSource(&other);
    CGraphicsObject target(window.get(), CXSize(8, 8), 16);
    for (int pass = 0; pass < 2; ++pass) {
        a.redraw(&target);
        b.redraw(&target);
        c.redraw(&target);
        this->pass();
    }
    EXPECT_EQ(shared.redraws, 2);
    EXPECT_EQ(other.redraws, 2);
}

TEST_F(VirtualObjectTest, DestroyedSourcesAndMasksAreForgotten) {
    auto source = ramp(CXSize(8, 8));
    auto* m = mask(CXSize(4, 4), 255).release();
    CVirtualGraphicsObject vgo(window.get());
    vgo.setSource(source.get());
    vgo.setMask(m);
    EXPECT_EQ(vgo.Width(), 4);
    delete m;
    EXPECT_EQ(vgo.getMask(), nullptr);
    EXPECT_EQ(vgo.Width(), 8);
    CGraphicsObject target(window.get(), CXSize(8, 8), 16);
    vgo.redraw(&target);  // unmasked now
    EXPECT_EQ(pixel(target, 7, 7), 7);
    source.reset();
    EXPECT_EQ(vgo.getSource(), nullptr);
    EXPECT_EQ(vgo.Width(), 0);
    vgo.setSource(&vgo);
    EXPECT_EQ(vgo.getSource(), nullptr);
}

TEST_F(VirtualObjectTest, AnObjectThatWasSourceAndMaskStaysWatchedWhileEitherHoldsIt) {
    auto a = ramp(CXSize(8, 8));
    auto* b = mask(CXSize(4, 4), 255).release();
    CVirtualGraphicsObject vgo(window.get());
    vgo.setSource(a.get());
    vgo.setMask(b);
    vgo.setSource(b);
    vgo.setMask(a.get());  // b is no longer the mask but still the source
    delete b;
    EXPECT_EQ(vgo.getSource(), nullptr);
    EXPECT_EQ(vgo.getMask(), a.get());
}

TEST_F(VirtualObjectTest, HitsTestTheMaskAndClonesKeepEverything) {
    auto source = ramp(CXSize(8, 8));
    auto m = mask(CXSize(6, 6), 0);
    m->AlphaChannel()[1 * 6 + 2] = static_cast<char>(200);
    CVirtualGraphicsObject vgo(window.get());
    vgo.setSource(source.get());
    vgo.setMask(m.get());
    vgo.SetPosition(10, 10);
    EXPECT_TRUE(vgo.testHit(CXPoint(12, 11), false));
    EXPECT_FALSE(vgo.testHit(CXPoint(13, 11), false));
    EXPECT_TRUE(vgo.testHit(CXPoint(13, 11), true));
    EXPECT_FALSE(vgo.testHit(CXPoint(9, 11), true));
    vgo.SetClippingRect(CXRect(0, 0, 3, 3));
    vgo.Hide();
    std::unique_ptr<CVirtualGraphicsObject> copy(static_cast<CVirtualGraphicsObject*>(vgo.clone()));
    EXPECT_EQ(copy->getSource(), source.get());
    EXPECT_EQ(copy->getMask(), m.get());
    EXPECT_EQ(copy->GetPosition(), CXPoint(10, 10));
    EXPECT_FALSE(copy->isVisible());
    EXPECT_EQ(copy->GetClippingRect(), CXRect(0, 0, 3, 3));
}

TEST_F(VirtualObjectTest, ADestroyedMaskAnimationLeavesTheSourceUnmasked) {
    auto source = ramp(CXSize(8, 8));
    auto frame = mask(CXSize(4, 4), 255);
    auto* animation = new CAnimo(window.get());
    CFrame* shown = animation->AddFrame(frame.get());
    ASSERT_NE(shown, nullptr);
    animation->SetFrame(0);
    CVirtualGraphicsObject vgo(window.get());
    vgo.setSource(source.get());
    vgo.setMask(static_cast<CGraphicsObject*>(animation));
    EXPECT_EQ(vgo.getMask(), shown);
    EXPECT_EQ(vgo.Size(), CXSize(4, 4));
    delete animation;
    EXPECT_EQ(vgo.getMask(), nullptr);
    EXPECT_EQ(vgo.Size(), CXSize(8, 8));
    EXPECT_EQ(vgo.Width(), 8);
    CGraphicsObject target(window.get(), CXSize(8, 8), 16);
    fill(target, 0xFFFF);
    vgo.redraw(&target);
    EXPECT_EQ(pixel(target, 7, 7), 7);
}

TEST_F(VirtualObjectTest, SourceInvalidationsCountOnlyWhereTheyMeetTheMask) {
    auto source = ramp(CXSize(30, 10));
    auto m = mask(CXSize(10, 10), 255);
    m->SetPosition(5, 0);
    CVirtualGraphicsObject vgo(window.get());
    vgo.setSource(source.get());
    vgo.setMask(m.get());
    RecordingObserver heard;
    vgo.addInvalidateObserver(&heard);
    struct Case {
        CXRect rect;
        bool passed;
    };
    const Case cases[] = {
        {CXRect(20, 0, 30, 10), false},  // right of the mask
        {CXRect(0, 0, 5, 10), false},    // left of it, touching its edge
        {CXRect(14, 9, 20, 12), true},   // a corner inside
        {CXRect(0, 0, 30, 10), true},
    };
    for (const Case& c : cases) {
        heard.rects.clear();
        CXRect r = c.rect;
        source->Invalidate(&r);
        EXPECT_EQ(!heard.rects.empty(), c.passed) << c.rect.left << "," << c.rect.top;
    }
    vgo.removeInvalidateObserver(&heard);
}

}  // namespace
