#include "graphics/canvas/CCanvas.h"

#include <gtest/gtest.h>

#include "graphics/screen/CValidationQuene.h"
#include "CanvasTestSupport.h"

using namespace canvas_test;

namespace {

struct CanvasTest : testing::Test, WindowFixture {};

TEST_F(CanvasTest, TenChildInvalidationsPassOnOneByOneTheEleventhDirtiesTheWholeCanvasOnce) {
    CCanvas canvas(window.get(), CXSize(40, 30), 16, false, false);
    canvas.SetPosition(5, 7);
    CGraphicsObject child(window.get(), CXSize(4, 4), 16);
    canvas.add(&child, 1);
    canvas.Redraw();  // a new frame: the count starts again
    RecordingObserver seen;
    canvas.addInvalidateObserver(&seen);
    for (int i = 0; i < 10; ++i) child.Invalidate();
    ASSERT_EQ(seen.rects.size(), 10u);
    EXPECT_EQ(seen.rects[0], CXRect(5, 7, 9, 11));  // moved by the canvas's position
    child.Invalidate();
    child.Invalidate();
    ASSERT_EQ(seen.rects.size(), 11u);
    EXPECT_EQ(seen.rects[10], canvas.GetBoundingBox());
    canvas.Redraw();
    child.Invalidate();
    EXPECT_EQ(seen.rects.size(), 12u);
    EXPECT_EQ(seen.rects[11], CXRect(5, 7, 9, 11));
    canvas.removeInvalidateObserver(&seen);
}

TEST_F(CanvasTest, EraseLowersAlphaStoppingAtZeroAndTakesNegativePlacesAsZero) {
    struct Case {
        uint8_t canvasAlpha, eraserAlpha;
        int x, y;
    };
    for (const Case c : {Case{255, 255, 0, 0}, Case{60, 100, 0, 0}, Case{200, 255, -5, -5}}) {
        CCanvas canvas(window.get(), CXSize(20, 10), 16, true, true);
        std::memset(canvas.AlphaChannel(), c.canvasAlpha, 200);
        std::memset(canvas.getBackground()->AlphaChannel(), c.canvasAlpha, 200);
        CGraphicsObject eraser(window.get(), CXSize(6, 4), 16);
        giveAlpha(eraser, c.eraserAlpha);
        canvas.erase(&eraser, c.x, c.y);
        EXPECT_EQ(alphaAt(canvas, 0, 0), 0);
        EXPECT_EQ(alphaAt(canvas, 5, 3), 0);
        EXPECT_EQ(alphaAt(*canvas.getBackground(), 5, 3), 0);
        EXPECT_EQ(alphaAt(canvas, 6, 3), c.canvasAlpha);
        EXPECT_EQ(alphaAt(canvas, 5, 4), c.canvasAlpha);
    }
}

TEST_F(CanvasTest, CaptureFlattensThreeObjectsIntoTheBackgroundAndKeepsOnlyIt) {
    CCanvas canvas(window.get(), CXSize(30, 10), 16, false, true);
    CGraphicsObject a(window.get(), CXSize(10, 10), 16), b(window.get(), CXSize(10, 10), 16),
        c(window.get(), CXSize(10, 10), 16);
    fill(a, 0x1111);
    fill(b, 0x2222);
    fill(c, 0x3333);
    b.SetPosition(10, 0);
    c.SetPosition(20, 0);
    canvas.add(&a, 1);
    canvas.add(&b, 2);
    canvas.add(&c, 3);
    canvas.SetPosition(3, 4);
    canvas.capture();
    EXPECT_EQ(canvas.getObjects()->getCount(), 1);
    EXPECT_TRUE(canvas.contains(canvas.getBackground()));
    EXPECT_FALSE(canvas.contains(&a));
    EXPECT_EQ(a.GetDestiny(), nullptr);
    EXPECT_EQ(canvas.GetPosition(), CXPoint(3, 4));
    CGraphicsObject* bg = canvas.getBackground();
    EXPECT_EQ(pixel(*bg, 0, 0), 0x1111);
    EXPECT_EQ(pixel(*bg, 15, 5), 0x2222);
    EXPECT_EQ(pixel(*bg, 29, 9), 0x3333);
}

TEST_F(CanvasTest, ListKeepingAddTwiceRemoveAllAndDestinations) {
    CCanvas canvas(window.get(), CXSize(10, 10), 16, false, true);
    CGraphicsObject g(window.get(), CXSize(2, 2), 16);
    canvas.add(&g, 4);
    canvas.add(&g, 9);
    EXPECT_EQ(canvas.getObjects()->getCount(), 2);  // background and g once
    EXPECT_EQ(canvas.getPriorityOf(&g), 4);
    EXPECT_EQ(g.GetDestiny(), &canvas);
    canvas.removeAll();
    EXPECT_EQ(canvas.getObjects()->getCount(), 1);
    EXPECT_EQ(canvas.getPriorityOf(canvas.getBackground()), -1);
    EXPECT_EQ(g.GetDestiny(), nullptr);

    // A removed child whose destination is something else keeps it.
    CGraphicsObject other(window.get(), CXSize(10, 10), 16);
    canvas.add(&g, 1);
    g.SetDestiny(&other);
    canvas.remove(&g);
    EXPECT_EQ(g.GetDestiny(), &other);
    g.SetDestiny(nullptr);
}

TEST_F(CanvasTest, NoCanvasTakesItselfOrAGraphicHoldingIt) {
    CCanvas a(window.get(), CXSize(10, 10), 16, false, false);
    CCanvas b(window.get(), CXSize(10, 10), 16, false, false);
    a.add(&a, 1);
    EXPECT_FALSE(a.contains(&a));
    a.add(&b, 1);
    b.add(&a, 1);
    EXPECT_TRUE(a.contains(&b));
    EXPECT_FALSE(b.contains(&a));
    a.Redraw();  // ends
}

TEST_F(CanvasTest, ADestroyedChildLeavesTheCanvasAtOnce) {
    CCanvas canvas(window.get(), CXSize(10, 10), 16, false, false);
    auto* g = new CGraphicsObject(window.get(), CXSize(2, 2), 16);
    canvas.add(g, 1);
    delete g;
    EXPECT_EQ(canvas.getObjects()->getCount(), 0);
    canvas.Redraw();
}

TEST_F(CanvasTest, ACloneSharesTheChildrenAndShowsTheSamePicture) {
    CCanvas canvas(window.get(), CXSize(12, 6), 16, false, true);
    fill(*canvas.getBackground(), 0x0F0F);
    CGraphicsObject g(window.get(), CXSize(4, 4), 16);
    fill(g, 0x7777);
    g.SetPosition(2, 1);
    canvas.add(&g, 3);
    screen().put(&canvas, 6);
    std::unique_ptr<CCanvas> copy(static_cast<CCanvas*>(canvas.clone()));
    EXPECT_EQ(screen().GetPriority(copy.get()), 6);
    EXPECT_TRUE(copy->contains(&g));
    CGraphicsObject target1(window.get(), CXSize(12, 6), 16), target2(window.get(), CXSize(12, 6), 16);
    canvas.SetDestiny(&target1);
    canvas.Redraw();
    copy->SetDestiny(&target2);
    copy->Redraw();
    for (int y = 0; y < 6; ++y)
        for (int x = 0; x < 12; ++x) ASSERT_EQ(pixel(target1, x, y), pixel(target2, x, y)) << x << "," << y;
    EXPECT_EQ(pixel(target2, 3, 2), 0x7777);
    EXPECT_EQ(pixel(target2, 0, 0), 0x0F0F);
    canvas.SetDestiny(nullptr);
    copy->SetDestiny(nullptr);
    screen() >> copy.get();
    screen() >> &canvas;
}

TEST_F(CanvasTest, ClearDrawAndEraseStayInsideAndNeedTheirPlanes) {
    CCanvas canvas(window.get(), CXSize(10, 10), 16, false, false);
    CGraphicsObject g(window.get(), CXSize(20, 20), 16);
    giveAlpha(g, 255);
    canvas.draw(&g, 0, 0);      // no background: nothing
    canvas.erase(&g, -50, 3);   // no alpha: nothing
    canvas.SetClippingRect(CXRect(-5, -5, 50, 50));
    canvas.clear(true);         // cut to the canvas

    CCanvas full(window.get(), CXSize(10, 10), 16, true, true);
    fill(g, 0x4444);
    g.SetPosition(30, 30);
    full.draw(&g, 5, 5);
    EXPECT_EQ(g.GetPosition(), CXPoint(30, 30));
    EXPECT_EQ(pixel(*full.getBackground(), 9, 9), 0x4444);
    EXPECT_EQ(pixel(*full.getBackground(), 4, 4), 0);
    full.erase(&g, 8, 8);
}

}  // namespace
