#include <gtest/gtest.h>

#include <random>
#include <vector>

#include "graphics/screen/CRefreshRegion.h"
#include "graphics/screen/CValidationQuene.h"

namespace {

std::vector<CXRect> rects(const CRefreshRegion& region) {
    std::vector<CXRect> out;
    for (int i = 0; i < region.getCount(); ++i) {
        const CXRect* r = region.rectAt(i);
        out.push_back(r ? *r : CXRect(-1));
    }
    return out;
}

void add(CRefreshRegion& region, int l, int t, int r, int b) {
    CXRect rect(l, t, r, b);
    region.add(&rect);
}

// A region that starts empty on a canvas of the given size.
struct EmptyRegion : CRefreshRegion {
    explicit EmptyRegion(CXSize canvas = CXSize(800, 600)) : CRefreshRegion(true, canvas) { removeAll(); }
};

}  // namespace

TEST(CRefreshRegion, CutsIntoWholeWidthStripsInOrder) {
    EmptyRegion region;
    add(region, 10, 10, 50, 50);
    add(region, 0, 20, 100, 30);
    add(region, 30, 30, 70, 70);
    // The third sticks out right and below: the piece beside the first, then the whole
    // strip below it.
    EXPECT_EQ(rects(region), (std::vector<CXRect>{{10, 10, 50, 50}, {0, 20, 10, 30}, {50, 20, 100, 30},
                                                  {50, 30, 70, 50}, {30, 50, 70, 70}}));
    EXPECT_FALSE(region.isWholeScreen());
}

TEST(CRefreshRegion, ContainmentTouchingAndDuplicates) {
    struct Case {
        const char* name;
        std::vector<CXRect> added;
        std::vector<CXRect> listed;
    };
    const Case cases[] = {
        {"inside a listed one", {{10, 10, 50, 50}, {20, 20, 30, 30}}, {{10, 10, 50, 50}}},
        {"the same twice", {{10, 10, 50, 50}, {10, 10, 50, 50}}, {{10, 10, 50, 50}}},
        {"containing a listed one", {{20, 20, 30, 30}, {10, 10, 50, 50}}, {{10, 10, 50, 50}}},
        {"containing two, after a cut",
         {{0, 0, 10, 10}, {20, 20, 30, 30}, {5, 5, 40, 40}},
         {{0, 0, 10, 10}, {10, 5, 40, 10}, {5, 10, 40, 40}}},
        {"touching on the right", {{0, 0, 10, 10}, {10, 0, 20, 10}}, {{0, 0, 10, 10}, {10, 0, 20, 10}}},
        {"touching below", {{0, 0, 10, 10}, {0, 10, 10, 20}}, {{0, 0, 10, 10}, {0, 10, 10, 20}}},
        {"shared left edge gives no empty piece", {{10, 10, 50, 50}, {10, 0, 60, 20}},
         {{10, 10, 50, 50}, {10, 0, 60, 10}, {50, 10, 60, 20}}},
        {"zero width or height", {{5, 5, 5, 50}, {5, 5, 50, 5}, {9, 9, 3, 3}}, {}},
        {"clipped to the canvas", {{-10, 590, 20, 700}}, {{0, 590, 20, 600}}},
        {"outside the canvas", {{800, 0, 900, 10}}, {}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        EmptyRegion region;
        for (CXRect r : c.added) region.add(&r);
        EXPECT_EQ(rects(region), c.listed);
    }
}

TEST(CRefreshRegion, WholeScreenFollowsTheCanvas) {
    CRefreshRegion fresh(true, CXSize(800, 600));
    EXPECT_TRUE(fresh.isWholeScreen());
    EXPECT_EQ(rects(fresh), std::vector<CXRect>{CXRect(-1)});
    fresh.removeAll();
    EXPECT_FALSE(fresh.isWholeScreen());
    EXPECT_EQ(fresh.getCount(), 0);

    struct Case {
        CXSize canvas;
        CXRect added;
        bool whole;
    };
    const Case cases[] = {
        {{800, 600}, {0, 0, 800, 600}, true},  {{800, 600}, {0, 0, 800, 599}, false},
        {{640, 480}, {0, 0, 640, 480}, true},  {{640, 480}, {-5, -5, 800, 600}, true},
        {{1024, 768}, {0, 0, 800, 600}, false},
    };
    for (Case c : cases) {
        SCOPED_TRACE(testing::Message() << c.canvas.cx << "x" << c.canvas.cy);
        EmptyRegion region(c.canvas);
        add(region, 1, 1, 2, 2);
        region.add(&c.added);
        EXPECT_EQ(region.isWholeScreen(), c.whole);
        if (c.whole) {
            EXPECT_EQ(rects(region), std::vector<CXRect>{CXRect(-1)});
            add(region, 3, 3, 4, 4);  // ignored while whole-screen
            EXPECT_EQ(region.getCount(), 1);
        }
    }

    EmptyRegion nullAdded;
    add(nullAdded, 1, 1, 2, 2);
    nullAdded.add(static_cast<CXRect*>(nullptr));
    EXPECT_TRUE(nullAdded.isWholeScreen());
    EXPECT_EQ(rects(nullAdded), std::vector<CXRect>{CXRect(-1)});
}

TEST(CRefreshRegion, RandomRunStaysDisjointAndCoversTheUnion) {
    // On a canvas of known size (rectangles cut to it) and on one of unknown size (kept
    // whole, sides past the canvas included); the two keep their sides differently.
    for (const bool known : {true, false}) {
        SCOPED_TRACE(known ? "known canvas" : "unknown canvas");
        const int W = 64, H = 48;
        // The area checked: the canvas, or everything a rectangle can reach.
        const int x0 = known ? 0 : -8, y0 = known ? 0 : -8, x1 = known ? W : W + 8 + 24, y1 = known ? H : H + 8 + 24;
        const int AW = x1 - x0, AH = y1 - y0;
        std::mt19937 rng(1234);
        std::uniform_int_distribution<int> x(-8, W + 8), y(-8, H + 8), side(0, 24);
        EmptyRegion region(known ? CXSize(W, H) : CXSize());
        std::vector<int> wanted(AW * AH, 0);
        for (int step = 0; step < 3000; ++step) {
            if (step % 200 == 199) {
                region.removeAll();
                std::fill(wanted.begin(), wanted.end(), 0);
            }
            const int l = x(rng), t = y(rng);
            CXRect r(l, t, l + side(rng), t + side(rng));
            region.add(&r);
            for (int py = std::max(y0, r.top); py < std::min(y1, r.bottom); ++py)
                for (int px = std::max(x0, r.left); px < std::min(x1, r.right); ++px) wanted[(py - y0) * AW + px - x0] = 1;
            ASSERT_FALSE(region.isWholeScreen());
            std::vector<int> covered(AW * AH, 0);
            for (int i = 0; i < region.getCount(); ++i) {
                const CXRect* p = region.rectAt(i);
                ASSERT_NE(p, nullptr);
                ASSERT_TRUE(p->IsProper());
                ASSERT_TRUE(p->left >= x0 && p->top >= y0 && p->right <= x1 && p->bottom <= y1);
                for (int py = p->top; py < p->bottom; ++py)
                    for (int px = p->left; px < p->right; ++px) ++covered[(py - y0) * AW + px - x0];
            }
            ASSERT_EQ(covered, wanted) << "step " << step;  // a count of 2 would be an overlap
        }
    }
}

TEST(CRefreshRegion, ListChangedBesideAddIsSearchedAsItStands) {
    // Rectangles put into the list directly, or taken out of it, are seen by the next add.
    EmptyRegion region;
    region.CXArray::add(new CXRect(10, 10, 50, 50));
    add(region, 0, 20, 20, 30);
    EXPECT_EQ(rects(region), (std::vector<CXRect>{{10, 10, 50, 50}, {0, 20, 10, 30}}));
    delete region.rectAt(0);
    region.removeAt(0);  // the list lets go of the rectangle without deleting it
    add(region, 5, 5, 15, 15);
    EXPECT_EQ(rects(region), (std::vector<CXRect>{{0, 20, 10, 30}, {5, 5, 15, 15}}));
    region.setCanvasSize(CXSize(12, 12));
    add(region, 0, 0, 40, 40);
    EXPECT_TRUE(region.isWholeScreen());
}

TEST(CValidationQuene, AscendingPriorityInArrivalOrder) {
    char objects[5];
    auto g = [&](int i) { return reinterpret_cast<CGraphicsObject*>(&objects[i]); };
    CValidationQuene queue;
    EXPECT_EQ(queue.prev(), nullptr);  // before first()
    EXPECT_EQ(queue.first(), nullptr);
    queue.add(g(0), 5, 0);
    queue.add(g(1), 5, 0);
    queue.add(g(2), 1, 0);
    queue.add(g(3), 9, 0);
    queue.add(g(4), 5, 0);
    std::vector<CGraphicsObject*> order;
    for (CValidationElement* e = queue.first(); e; e = queue.next()) order.push_back(e->getObject());
    EXPECT_EQ(order, (std::vector<CGraphicsObject*>{g(2), g(0), g(1), g(4), g(3)}));
    EXPECT_EQ(queue.prev()->getObject(), g(3));

    EXPECT_EQ(queue.getIndex(g(4)), 3);
    EXPECT_EQ(queue.find(g(1))->getPriority(), 5);
    queue.find(g(1))->setDrawn(true);
    queue.clearMarks();
    EXPECT_FALSE(queue.find(g(1))->isDrawn());
    queue.remove(g(0));
    queue.remove(g(0));
    EXPECT_EQ(queue.getIndex(g(0)), -1);
    EXPECT_EQ(queue.getCount(), 4);
    queue.removeAll();
    EXPECT_EQ(queue.first(), nullptr);
}
