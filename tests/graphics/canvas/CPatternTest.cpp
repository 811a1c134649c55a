#include "graphics/canvas/CPattern.h"

#include <gtest/gtest.h>

#include <cstdint>

#include "CanvasTestSupport.h"

using namespace canvas_test;

namespace {

struct PatternTest : testing::Test, WindowFixture {
    std::unique_ptr<CGraphicsObject> tile(uint16_t colour, uint8_t alpha, CXSize size = CXSize(20, 20)) {
        auto g = std::make_unique<CGraphicsObject>(window.get(), size, 16);
        fill(*g, colour);
        giveAlpha(*g, alpha);
        return g;
    }
};

TEST_F(PatternTest, CellsAreLaidOutOnTheGridAndDrawnAtTheirPlace) {
    CPattern pattern(window.get(), CXSize(100, 60), CXSize(20, 20), 1);
    EXPECT_EQ(pattern.getColumns(), 5);
    EXPECT_EQ(pattern.getRows(), 3);
    auto g = tile(0x1234, 255);
    g->SetPosition(77, 77);
    pattern.add("a", 2, 1, 0, g.get(), 0, "");
    pattern.SetPosition(3, 4);
    CGraphicsObject target(window.get(), CXSize(120, 80), 16);
    pattern.SetDestiny(&target);
    pattern.Redraw();
    EXPECT_EQ(pixel(target, 3 + 40, 4 + 20), 0x1234);
    EXPECT_EQ(pixel(target, 3 + 59, 4 + 39), 0x1234);
    EXPECT_EQ(pixel(target, 3 + 39, 4 + 20), 0);
    EXPECT_EQ(g->GetPosition(), CXPoint(77, 77));
    EXPECT_EQ(g->GetDestiny(), nullptr);
    pattern.SetDestiny(nullptr);
}

TEST_F(PatternTest, AnOccupiedCellIsReplacedAndTheOldObjectForgottenNotDeleted) {
    CPattern pattern(window.get(), CXSize(100, 60), CXSize(20, 20), 1);
    auto a = tile(1, 255), b = tile(2, 255);
    pattern.add("a", 1, 1, 0, a.get(), 0, "");
    pattern.add("b", 1, 1, 0, b.get(), 0, "");
    EXPECT_FALSE(pattern.contains(a.get()));
    EXPECT_EQ(pattern.get(1, 1, 0)->getAlias(), CXString("b"));
    EXPECT_EQ(pattern.entries(0).size(), 1u);
    a.reset();  // not observed any more: nothing reaches the pattern
    EXPECT_TRUE(pattern.contains(b.get()));
}

TEST_F(PatternTest, MoveDownDeletesTheObjectInTheWayAndLocksTheMovedEntry) {
    CPattern pattern(window.get(), CXSize(100, 120), CXSize(20, 20), 1);
    auto mover = tile(1, 255);
    auto* victim = tile(2, 255).release();
    RecordingObserver watch;
    victim->addInvalidateObserver(&watch);
    pattern.add("m", 2, 3, 0, mover.get(), 0, "");
    pattern.add("v", 2, 4, 0, victim, 0, "");
    pattern.moveDown(2, 3, 1);
    EXPECT_EQ(watch.destroyed, 1);
    EXPECT_EQ(pattern.get(2, 3, 0), nullptr);
    CPatternEntry* moved = pattern.get(2, 4, 0);
    ASSERT_NE(moved, nullptr);
    EXPECT_TRUE(moved->isLocked());
    EXPECT_EQ(pattern.getEntryAt(45, 85, 0, true, true), nullptr);
    pattern.lock(2, 4, false);
    EXPECT_EQ(pattern.getEntryAt(45, 85, 0, true, true), moved);
}

TEST_F(PatternTest, LayerSearchesFollowTheirOrders) {
    CPattern pattern(window.get(), CXSize(100, 60), CXSize(20, 20), 3);
    auto l0 = tile(1, 255), l1 = tile(2, 255), l2 = tile(3, 255);
    pattern.add("zero", 0, 0, 0, l0.get(), 0, "");
    pattern.add("one", 0, 0, 1, l1.get(), 0, "");
    pattern.add("two", 0, 0, 2, l2.get(), 0, "");
    EXPECT_EQ(pattern.getGraphicsObject(5, 5, false, false, 1, 0), l1.get());
    EXPECT_EQ(pattern.getGraphicsObject(5, 5, false, false, 2, 0), l2.get());
    EXPECT_EQ(pattern.getGraphicsObject(5, 5, false, false, -1, 0), l2.get());
    EXPECT_EQ(pattern.getGraphicsObject(5, 5, false, false, 3, 0), nullptr);
    l2->Hide();
    EXPECT_EQ(pattern.getGraphicsObject(5, 5, false, false, -1, 0), l1.get());
    EXPECT_EQ(pattern.getGraphicsObject(5, 5, true, false, -1, 0), l2.get());
    EXPECT_EQ(*pattern.getGraphicsObjectAlias(5, 5, false, false), CXString("zero"));
}

TEST_F(PatternTest, TransparentPixelsAreHitOnlyBoxOnly) {
    CPattern pattern(window.get(), CXSize(100, 60), CXSize(20, 20), 1);
    auto clear = tile(1, 0);
    pattern.add("c", 1, 0, 0, clear.get(), 0, "");
    EXPECT_EQ(pattern.getEntryAt(25, 5, 0, false, false), nullptr);
    EXPECT_NE(pattern.getEntryAt(25, 5, 0, false, true), nullptr);
    EXPECT_EQ(pattern.getGraphicsObject(25, 5, false, true, -1, 0), clear.get());
}

TEST_F(PatternTest, AClippedPatternDrawsAStraddlingObjectOnlyInside) {
    CPattern pattern(window.get(), CXSize(100, 60), CXSize(20, 20), 1);
    auto g = tile(0x5555, 255);
    pattern.add("g", 1, 0, 0, g.get(), 0, "");
    pattern.SetClippingRect(CXRect(0, 0, 30, 60));
    CGraphicsObject target(window.get(), CXSize(100, 60), 16);
    pattern.SetDestiny(&target);
    pattern.Redraw();
    EXPECT_EQ(pixel(target, 29, 5), 0x5555);
    EXPECT_EQ(pixel(target, 30, 5), 0);
    EXPECT_EQ(g->GetClippingRect(), CXRect());
    pattern.SetDestiny(nullptr);
}

TEST_F(PatternTest, CellsOutsideTheTableAndOversizedGridsAreIgnored) {
    CPattern pattern(window.get(), CXSize(100, 60), CXSize(20, 20), 2);
    auto g = tile(1, 255);
    for (auto [c, r, l] : {std::tuple{5, 0, 0}, {0, 3, 0}, {-1, 0, 0}, {0, 0, 2}, {0, 0, -1}}) {
        pattern.add("x", c, r, l, g.get(), 0, "");
        pattern.remove(c, r, l);
        pattern.moveDown(0, 0, r);
        EXPECT_EQ(pattern.get(c, r, l), nullptr);
    }
    EXPECT_FALSE(pattern.contains(g.get()));

    CPattern wide(window.get(), CXSize(8193, 10), CXSize(1, 1), 1);
    EXPECT_EQ(wide.Width(), 0);
    EXPECT_EQ(wide.getColumns(), 0);
    CPattern many(window.get(), CXSize(4081, 257), CXSize(1, 1), 1);  // 2^20 + 1 cells
    EXPECT_EQ(many.getColumns() * many.getRows(), 0);
    CPattern most(window.get(), CXSize(1024, 1024), CXSize(1, 1), 1);  // 2^20 cells
    EXPECT_EQ(most.getColumns(), 1024);
    CPattern layered(window.get(), CXSize(1024, 1024), CXSize(1, 1), 2);
    EXPECT_EQ(layered.Width(), 0);
    CPattern deep(window.get(), CXSize(10, 10), CXSize(1, 1), INT32_MAX);
    EXPECT_EQ(deep.getLayers(), 1);
    EXPECT_EQ(deep.Width(), 0);
    CPattern odd(window.get(), CXSize(-4, 10), CXSize(0, -3), 0);
    EXPECT_EQ(odd.getGrid(), CXSize(1, 1));
    EXPECT_EQ(odd.getLayers(), 1);
    EXPECT_EQ(odd.Width(), 0);
}

TEST_F(PatternTest, ADestroyedObjectLeavesEveryCellAtOnce) {
    CPattern pattern(window.get(), CXSize(100, 60), CXSize(20, 20), 2);
    auto* g = tile(1, 255).release();
    pattern.add("a", 0, 0, 0, g, 0, "");
    pattern.add("b", 1, 1, 1, g, 0, "");
    delete g;
    EXPECT_EQ(pattern.get(0, 0, 0), nullptr);
    EXPECT_EQ(pattern.get(1, 1, 1), nullptr);
    EXPECT_TRUE(pattern.entries(1).empty());
    pattern.add("self", 0, 0, 0, &pattern, 0, "");
    EXPECT_EQ(pattern.get(0, 0, 0), nullptr);
}

}  // namespace
