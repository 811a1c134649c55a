#include <gtest/gtest.h>

#include <climits>
#include <ostream>
#include <vector>

#include "foundation/CXArray.h"
#include "foundation/CXPoint.h"
#include "foundation/CXRect.h"
#include "foundation/CXSize.h"

void PrintTo(const CXRect& r, std::ostream* os) {
    *os << "(" << r.left << ", " << r.top << ", " << r.right << ", " << r.bottom << ")";
}

namespace {

std::vector<CXRect> takeParts(CXArray* parts) {
    std::vector<CXRect> out;
    for (int i = 0; i < parts->getCount(); ++i) {
        auto* r = static_cast<CXRect*>(parts->at(i));
        out.push_back(*r);
        delete r;
    }
    delete parts;
    return out;
}

struct SubRow {
    CXRect cut;
    std::vector<CXRect> parts;
};

// Reports the first pixel of `grid` covered a wrong number of times.
::testing::AssertionResult coversExactlyOutside(const CXRect& self, const CXRect& cut,
                                                const std::vector<CXRect>& parts) {
    const bool cutProper = cut.right > cut.left && cut.bottom > cut.top;
    for (int y = -3; y < 14; ++y) {
        for (int x = -3; x < 14; ++x) {
            int covered = 0;
            for (const CXRect& p : parts) covered += p.IsInRect(x, y) ? 1 : 0;
            const int expected = self.IsInRect(x, y) && !(cutProper && cut.IsInRect(x, y)) ? 1 : 0;
            if (covered != expected)
                return ::testing::AssertionFailure() << "pixel (" << x << ", " << y << ") covered " << covered
                                                     << " times, expected " << expected;
        }
    }
    for (const CXRect& p : parts)
        if (!(p.right > p.left && p.bottom > p.top)) return ::testing::AssertionFailure() << "a part without area";
    return ::testing::AssertionSuccess();
}

} // namespace

TEST(CXRect, ConstructionAndAccess) {
    const CXRect r(1, 2, 11, 7);
    EXPECT_EQ(r.Width(), 10);
    EXPECT_EQ(r.Height(), 5);
    EXPECT_EQ(CXRect(4), CXRect(4, 4, 4, 4));
    EXPECT_EQ(CXRect(static_cast<const CXRect*>(nullptr)), CXRect(0, 0, 0, 0));
    EXPECT_EQ(CXRect(&r), r);
    EXPECT_EQ(r.LeftTop(), CXPoint(1, 2));
    EXPECT_EQ(r.RightTop(), CXPoint(11, 2));
    EXPECT_EQ(r.LeftBottom(), CXPoint(1, 7));
    EXPECT_EQ(r.BottomRight(), CXPoint(11, 7));

    EXPECT_TRUE(CXRect(5, 0, 5, 10).IsEmpty());
    EXPECT_FALSE(CXRect(10, 0, 0, 10).IsEmpty()) << "an inverted rectangle is not 'empty'";
    CXRect e(1, 2, 3, 4);
    e.Empty();
    EXPECT_EQ(e, CXRect());
    e.Set(1, 2, 3, 4);
    EXPECT_EQ(e, CXRect(1, 2, 3, 4));
}

TEST(CXRect, PointTestsExcludeRightAndBottom) {
    const CXRect r(0, 0, 10, 10);
    EXPECT_TRUE(r.IsInRect(0, 0));
    EXPECT_TRUE(r.IsInRect(CXPoint(9, 9)));
    EXPECT_FALSE(r.IsInRect(10, 0));
    EXPECT_FALSE(r.IsInRect(0, 10));
    EXPECT_FALSE(r.IsInRect(-1, 5));
    EXPECT_TRUE(CXRect(2, 2, 10, 10).IsPartOf(r));
    EXPECT_TRUE(r.isInside(r));
    EXPECT_FALSE(CXRect(2, 2, 11, 10).isInside(r));
}

TEST(CXRect, CenterAndCenteredPosition) {
    EXPECT_EQ(CXRect(0, 0, 5, 5).CenterPoint(), CXPoint(2, 2));
    EXPECT_EQ(CXRect(-5, -5, 0, 0).CenterPoint(), CXPoint(-3, -3));
    EXPECT_EQ(CXRect(10, 20, 110, 70).GetCenteredPosition(CXSize(30, 11)), CXPoint(45, 39));
    struct Graphic {
        int Width() const { return 30; }
        int Height() const { return 11; }
    } g;
    EXPECT_EQ(CXRect(10, 20, 110, 70).GetCenteredPosition(&g), CXPoint(45, 39));
}

TEST(CXRect, MovesAndExplode) {
    CXRect r(0, 0, 10, 10);
    r += CXPoint(3, -2);
    EXPECT_EQ(r, CXRect(3, -2, 13, 8));
    r -= CXPoint(3, -2);
    EXPECT_EQ(r, CXRect(0, 0, 10, 10));
    EXPECT_EQ(r + CXPoint(1, 1), CXRect(1, 1, 11, 11));
    EXPECT_EQ(r - CXPoint(1, 1), CXRect(-1, -1, 9, 9));
    r += CXSize(2, 3);
    EXPECT_EQ(r, CXRect(2, 3, 12, 13));
    EXPECT_EQ(r - CXSize(2, 3), CXRect(0, 0, 10, 10));
    r += CXRect(1, 1, 1, 1);
    EXPECT_EQ(r, CXRect(1, 2, 13, 14));
    EXPECT_EQ(r - CXRect(1, 1, 1, 1), CXRect(2, 3, 12, 13));

    CXRect e(10, 10, 20, 20);
    EXPECT_EQ(e.Explode(2), CXRect(8, 8, 22, 22));
    EXPECT_EQ(e.Explode(-1, 3), CXRect(9, 5, 21, 25));
    EXPECT_EQ(e.Explode(CXSize(1, 0)), CXRect(8, 5, 22, 25));
    // A shrink past the middle collapses the axis at its centre instead of inverting it.
    CXRect s(0, 0, 10, 4);
    s.Explode(-3);
    EXPECT_EQ(s, CXRect(3, 2, 7, 2));
    EXPECT_TRUE(s.IsEmpty());

    // Coordinates saturate instead of overflowing.
    CXRect big(0, 0, INT_MAX, 10);
    big += CXPoint(5, 0);
    EXPECT_EQ(big.right, INT_MAX);
    EXPECT_EQ(CXRect(INT_MIN, 0, INT_MAX, 1).Width(), INT_MAX);
}

TEST(CXRect, CommonAndSum) {
    const CXRect a(0, 0, 10, 10);
    EXPECT_EQ(a.Common(CXRect(5, 5, 20, 8)), CXRect(5, 5, 10, 8));
    const CXRect touching = a.Common(CXRect(10, 0, 20, 10));
    EXPECT_EQ(touching, CXRect(10, 0, 10, 10));
    EXPECT_TRUE(touching.IsEmpty());
    EXPECT_EQ(a.Common(CXRect(20, 20, 30, 30)), CXRect(0, 0, 0, 0));
    // An inverted operand covers nothing.
    EXPECT_EQ(a.Common(CXRect(8, 8, 2, 2)), CXRect(0, 0, 0, 0));
    EXPECT_EQ(CXRect(10, 0, 0, 10).Common(CXRect(-100, -100, 100, 100)), CXRect(0, 0, 0, 0));
    CXRect out(7);
    a.Common(CXRect(2, 3, 4, 5), &out);
    EXPECT_EQ(out, CXRect(2, 3, 4, 5));
    a.Common(a, nullptr);

    CXRect s(0, 0, 10, 10);
    EXPECT_EQ(s.Sum(CXRect(5, 5, 20, 8)), CXRect(0, 0, 20, 10));
    // Rectangles without area add nothing: no pull towards the origin or inverted boxes.
    CXRect fromZero;
    fromZero.Sum(CXRect(5, 5, 8, 9));
    EXPECT_EQ(fromZero, CXRect(5, 5, 8, 9));
    fromZero.Sum(CXRect(50, 50, 40, 40));
    EXPECT_EQ(fromZero, CXRect(5, 5, 8, 9));
    CXRect bothEmpty(9, 9, 1, 1);
    bothEmpty.Sum(CXRect(3, 3, 3, 8));
    EXPECT_EQ(bothEmpty, CXRect(0, 0, 0, 0));
}

TEST(CXRect, SubKnownArrangements) {
    const CXRect self(0, 0, 10, 10);
    const std::vector<SubRow> rows = {
        {{5, 0, 15, 10}, {{0, 0, 5, 10}}},
        {{0, 0, 10, 5}, {{0, 5, 10, 10}}},
        {{-5, -5, 5, 5}, {{0, 5, 10, 10}, {5, 0, 10, 5}}},
        {{5, 5, 15, 15}, {{0, 0, 5, 10}, {5, 0, 10, 5}}},
        {{-5, 3, 15, 6}, {{0, 0, 10, 3}, {0, 6, 10, 10}}},
        {{3, -5, 6, 15}, {{0, 0, 3, 10}, {6, 0, 10, 10}}},
        {{5, 3, 15, 6}, {{0, 0, 10, 3}, {0, 3, 5, 6}, {0, 6, 10, 10}}},
        {{3, 5, 6, 15}, {{0, 0, 3, 10}, {3, 0, 6, 5}, {6, 0, 10, 10}}},
        {{3, 3, 6, 6}, {{0, 0, 3, 10}, {3, 0, 10, 3}, {3, 6, 10, 10}, {6, 3, 10, 6}}},
        {{-5, -5, 15, 15}, {}},
    };
    for (const SubRow& row : rows) {
        SCOPED_TRACE(::testing::Message() << "cut " << row.cut.left << "," << row.cut.top << "," << row.cut.right
                                          << "," << row.cut.bottom);
        EXPECT_EQ(takeParts(self.sub(row.cut)), row.parts);
    }
}

TEST(CXRect, SubCoversExactlyTheOutsideForEveryCutPosition) {
    // Every cut with edges from -1 to 11 against a 6 x 5 rectangle: each pixel of the
    // rectangle outside the cut lies in exactly one part, every other pixel in none.
    const CXRect self(2, 3, 8, 8);
    int cuts = 0;
    for (int l = -1; l <= 11; ++l)
        for (int r = l - 1; r <= 11; ++r)
            for (int t = -1; t <= 11; ++t)
                for (int b = t - 1; b <= 11; ++b) {
                    const CXRect cut(l, t, r, b);
                    const std::vector<CXRect> parts = takeParts(self.sub(cut));
                    ASSERT_LE(parts.size(), 4u);
                    ASSERT_TRUE(coversExactlyOutside(self, cut, parts))
                        << "cut " << l << "," << t << "," << r << "," << b;
                    ++cuts;
                }
    EXPECT_GT(cuts, 8000);
}

TEST(CXRect, SubOfDisjointOrEmptyCutKeepsTheWholeRectangle) {
    const CXRect self(0, 0, 10, 10);
    for (const CXRect& cut : {CXRect(20, 20, 30, 30), CXRect(10, 0, 20, 10), CXRect(5, 5, 5, 8), CXRect(8, 8, 2, 2)}) {
        EXPECT_EQ(takeParts(self.sub(cut)), std::vector<CXRect>{self});
    }
}

TEST(CXRect, SubOfRectangleWithoutAreaIsEmpty) {
    for (const CXRect& self : {CXRect(), CXRect(5, 0, 5, 10), CXRect(10, 10, 0, 0)}) {
        EXPECT_TRUE(takeParts(self.sub(CXRect(2, 2, 4, 4))).empty());
        EXPECT_TRUE(takeParts(self.sub(CXRect(-50, -50, 50, 50))).empty());
    }
}

TEST(CXRect, AddRectSkipsRectanglesWithoutArea) {
    CXArray list(5, 0.75f);
    CXRect::addRect(&list, 0, 0, 1, 1);
    CXRect::addRect(&list, 0, 0, 0, 1);
    CXRect::addRect(&list, 0, 5, 1, 1);
    CXRect::addRect(nullptr, 0, 0, 1, 1);
    ASSERT_EQ(list.getCount(), 1);
    delete static_cast<CXRect*>(list.at(0));
}

TEST(CXPointSize, Arithmetic) {
    EXPECT_EQ(CXPoint(1, 2) + 3, CXPoint(4, 5));
    EXPECT_EQ(CXPoint(1, 2) - 3, CXPoint(-2, -1));
    EXPECT_EQ(CXPoint(1, 2) + CXPoint(10, 20), CXPoint(11, 22));
    EXPECT_EQ(CXPoint(1, 2) - CXPoint(10, 20), CXPoint(-9, -18));
    EXPECT_NE(CXPoint(1, 2), CXPoint(2, 1));

    EXPECT_EQ(CXSize(), CXSize(0, 0));
    EXPECT_EQ(CXSize(3), CXSize(3, 3));
    EXPECT_EQ(CXSize(4, 5).mul(), 20);
    EXPECT_EQ(CXSize(4, -5).Sum(), -1);
    EXPECT_EQ(CXSize(4, -5).AbsSum(), 9);
    EXPECT_EQ(CXSize(-4, 0).AbsSum(), 4);
    EXPECT_EQ(CXSize(0, 0).AbsSum(), 0);
    EXPECT_EQ(CXSize(INT_MAX, INT_MAX).mul(), INT_MAX);
    EXPECT_EQ(CXSize(INT_MIN, INT_MIN).AbsSum(), INT_MAX);
}
