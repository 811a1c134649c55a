#include <gtest/gtest.h>

#include <cstring>
#include <vector>

#include "graphics/core/CGraphicsObject.h"

namespace {

uint16_t* px(CGraphicsObject& g) { return reinterpret_cast<uint16_t*>(g.GetDataPtr()); }

// Pixel i holds i + 1, alpha i % 251 when asked for.
void numbered(CGraphicsObject& g, bool alpha) {
    const size_t n = static_cast<size_t>(g.Width()) * static_cast<size_t>(g.Height());
    for (size_t i = 0; i < n; ++i) px(g)[i] = static_cast<uint16_t>(i + 1);
    if (alpha) {
        char* a = new char[n];
        for (size_t i = 0; i < n; ++i) a[i] = static_cast<char>(i % 251);
        g.AlphaChannel(a);
    }
}

}  // namespace

TEST(GraphicsOperations, CopyCropAndScale) {
    CGraphicsObject src(nullptr, CXSize(40, 30), 16);
    numbered(src, true);
    src.SetClippingRect(CXRect(10, 10, 30, 20));
    CGraphicsObject copy(nullptr);
    copy.Copy(&src);
    EXPECT_EQ(copy.Size(), CXSize(20, 10));
    EXPECT_TRUE(copy.GetClippingRect().IsEmpty());
    EXPECT_EQ(px(copy)[0], 10 * 40 + 10 + 1);
    EXPECT_EQ(static_cast<uint8_t>(copy.AlphaChannel()[21]), (11 * 40 + 11) % 251);
    // A rectangle of its own; a packed source is copied whole and stays packed.
    src.SetClippingRect(CXRect());
    copy.Copy(&src, CXRect(38, 28, 50, 50));
    EXPECT_EQ(copy.Size(), CXSize(2, 2));
    EXPECT_EQ(px(copy)[3], 40 * 30);
    src.Compress(COMPRESSION_RLE);
    copy.Copy(&src);
    EXPECT_EQ(src.GetCompression(), COMPRESSION_RLE);
    EXPECT_EQ(copy.GetCompression(), COMPRESSION_NONE);
    EXPECT_EQ(px(copy)[40 * 30 - 1], 40 * 30);

    copy.crop(CXRect(-5, -5, 1000, 1000));
    EXPECT_EQ(copy.Size(), CXSize(40, 30));
    copy.crop(CXRect(1, 2, 4, 5));
    EXPECT_EQ(copy.Size(), CXSize(3, 3));
    EXPECT_EQ(px(copy)[0], 2 * 40 + 1 + 1);

    CGraphicsObject big(nullptr, CXSize(101, 51), 16);
    numbered(big, true);
    big.Scale(0.5, 0.5);
    EXPECT_EQ(big.Size(), CXSize(50, 25));
    EXPECT_EQ(px(big)[1 * 50 + 3], 2 * 101 + 6 + 1);
    big.Scale2x();
    EXPECT_EQ(big.Size(), CXSize(25, 12));
    EXPECT_EQ(px(big)[1 * 25 + 1], 4 * 101 + 4 + 1);
    big.Scale(1e9, 1);  // refused rather than allocated
    EXPECT_EQ(big.Size(), CXSize(25, 12));
}

TEST(GraphicsOperations, FillsAndPixelsStayInsideTheObject) {
    CGraphicsObject g(nullptr, CXSize(4, 3), 16);
    CColor red(255, 0, 0);
    g.Fill(&red);
    EXPECT_EQ(px(g)[11], 0xF800);
    CColor blue(0, 0, 255);
    g.Fill(CXRect(2, 1, 10, 10), &blue);
    EXPECT_EQ(px(g)[1 * 4 + 1], 0xF800);
    EXPECT_EQ(px(g)[2 * 4 + 3], 0x001F);
    g.Fill(CXRect(1, 1, 1, 3), &red);  // empty: nothing
    EXPECT_EQ(px(g)[1 * 4 + 2], 0x001F);
    g.SetPixel(4, 0, red);
    g.SetPixel(-1, 0, red);
    g.SetPixel(0, 0, CColor(0, 255, 0));
    EXPECT_EQ(px(g)[0], 0x07E0);
    g.putPixel(0, 3, 0x7FFF, 255, true);
    g.putPixel(3, 2, short(0xFFFF), 128, true);
    EXPECT_EQ(px(g)[11], 0x7BEF);
    g.replace_color(short(0xF800), 0x0001);
    EXPECT_EQ(px(g)[1], 0x0001);

    CGraphicsObject p15(nullptr, CXSize(1, 1), 15);
    px(p15)[0] = 0x7C00;
    p15.InvertColors();
    EXPECT_EQ(px(p15)[0], 0x03FF);
    p15.FitRect(CXRect(10, 10, 31, 21));
    EXPECT_EQ(p15.GetPosition(), CXPoint(20, 15));

    CGraphicsObject framed(nullptr, CXSize(5, 4), 16);
    numbered(framed, true);
    std::memset(framed.AlphaChannel(), 0, 20);
    framed.outline(0x1234, 1);
    EXPECT_EQ(px(framed)[0], 0x1234);
    EXPECT_EQ(px(framed)[1 * 5 + 4], 0x1234);
    EXPECT_EQ(px(framed)[1 * 5 + 1], 7);
    EXPECT_EQ(static_cast<uint8_t>(framed.AlphaChannel()[3 * 5 + 2]), 255);
}

TEST(GraphicsOperations, MergedAlphaStampsAndComesBack) {
    CGraphicsObject g(nullptr, CXSize(6, 4), 16);
    g.AlphaChannel(new char[24]);
    std::memset(g.AlphaChannel(), 1, 24);
    CGraphicsObject mask(nullptr, CXSize(2, 2), 16);
    mask.AlphaChannel(new char[4]);
    std::memset(mask.AlphaChannel(), 9, 4);
    auto count9 = [&] {
        int n = 0;
        for (int i = 0; i < 24; ++i) n += g.AlphaChannel()[i] == 9;
        return n;
    };
    g.mergeAlpha(CXPoint(0, 0), &mask);
    g.mergeAlpha(CXPoint(5, 3), &mask);  // only the second stamp, clipped to one pixel
    EXPECT_EQ(count9(), 1);
    EXPECT_EQ(g.AlphaChannel()[23], 9);
    g.mergeAlpha(CXPoint(-1, -1), &mask);
    EXPECT_EQ(count9(), 1);
    EXPECT_EQ(g.AlphaChannel()[0], 9);
    g.mergeAlpha(CXPoint(6, 0), &mask);  // outside: the stamp goes
    EXPECT_EQ(count9(), 0);
    g.mergeAlpha(CXPoint(2, 1), &mask);
    EXPECT_EQ(count9(), 4);
    g.restoreAlpha(&mask);
    EXPECT_EQ(count9(), 0);
    g.mergeAlpha2(CXPoint(5, 3), &mask, true);
    EXPECT_EQ(count9(), 1);
    EXPECT_EQ(static_cast<uint8_t>(g.AlphaChannel()[0]), 255);
}

TEST(GraphicsOperations, DisplacementTakesEverySourceInsideTheObject) {
    CGraphicsObject g(nullptr, CXSize(3, 2), 16);
    numbered(g, false);
    char* old = g.GetDataPtr();
    std::vector<CXPoint> offsets(6);
    offsets[1] = CXPoint(-1, 0);  // index 0 is a source like any other
    offsets[2] = CXPoint(5, 5);   // outside: keeps its own value
    offsets[3] = CXPoint(2, 0);
    g.displacementFilter(offsets.data(), false, true);
    EXPECT_NE(g.GetDataPtr(), old);
    const uint16_t expect[] = {1, 1, 3, 6, 5, 6};
    for (int i = 0; i < 6; ++i) EXPECT_EQ(px(g)[i], expect[i]) << i;
}

TEST(GraphicsOperations, FloodFillStopsAtZeroAndTheLastColumn) {
    // 6 x 5: a region of 1s enclosed by 0s, touching the right edge in rows 1-2.
    const char* rows[] = {"000000", "011111", "011011", "001110", "000000"};
    CGraphicsObject g(nullptr, CXSize(6, 5), 16);
    for (int y = 0; y < 5; ++y)
        for (int x = 0; x < 6; ++x) px(g)[y * 6 + x] = rows[y][x] == '1' ? 0x0101 : 0;
    std::vector<uint16_t> target(30, 0);
    const CXRect box = g.PrepareFloodFill(CXPoint(3, 3), CColor(255, 255, 255), reinterpret_cast<char*>(target.data()));
    std::string painted;
    for (int y = 0; y < 5; ++y) {
        for (int x = 0; x < 6; ++x) painted += target[y * 6 + x] == 0xFFFF ? '#' : '.';
        painted += '/';
    }
    EXPECT_EQ(painted, "....../.####./.##.#./..###./....../");
    EXPECT_EQ(box, CXRect(1, 1, 5, 3));
    EXPECT_EQ(g.getFFEnterances(), 4);
    ASSERT_NE(g.getFFArray(), nullptr);
    std::vector<uint16_t> again(30, 0);
    g.FloodFill(CColor(0, 0, 255), reinterpret_cast<char*>(again.data()));
    int n = 0;
    for (uint16_t v : again) n += v == 0x001F;
    EXPECT_EQ(n, 10);
    // A large open area fills without deep recursion.
    CGraphicsObject wide(nullptr, CXSize(2000, 2000), 16);
    for (int i = 0; i < 2000 * 2000; ++i) px(wide)[i] = 1;
    std::vector<uint16_t> big(2000 * 2000, 0);
    wide.PrepareFloodFill(CXPoint(1000, 1000), CColor(255, 255, 255), reinterpret_cast<char*>(big.data()));
    EXPECT_EQ(big[1999], 0);
    EXPECT_EQ(big[1998], 0xFFFF);
    EXPECT_EQ(big[1999 * 2000], 0xFFFF);
}

TEST(GraphicsOperations, ChannelsSplitAndJoin) {
    CGraphicsObject g(nullptr, CXSize(2, 1), 24);
    const uint8_t bytes[] = {1, 2, 3, 4, 5, 6};
    std::memcpy(g.GetDataPtr(), bytes, 6);
    g.Split();
    EXPECT_EQ(g.GetDataPtr(), nullptr);
    EXPECT_EQ(g.GetChannelRed()[1], 6);
    EXPECT_EQ(g.GetChannelBlue()[0], 1);
    EXPECT_EQ(g.GetChannelSize(3), 2);
    g.JoinChannels();
    EXPECT_EQ(g.GetBpp(), 24);
    EXPECT_EQ(std::memcmp(g.GetDataPtr(), bytes, 6), 0);
    g.AlphaChannel(new char[2]{10, 20});
    char* joined = g.Join2Channels();
    CGraphicsObject h(nullptr, CXSize(2, 1), 24);
    h.SplitOn2(joined, 2);
    delete[] joined;
    EXPECT_EQ(std::memcmp(h.GetDataPtr(), bytes, 6), 0);
    EXPECT_EQ(h.AlphaChannel()[1], 20);
}
