#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <vector>

#include "graphics/core/CGraphicsObject.h"
#include "graphics/screen/CSurface.h"

namespace {

// A buffer of 16-bit pixels with an optional alpha plane, described as a canvas.
struct Plane {
    Plane(int w, int h, int bpp, uint16_t fill = 0) : w(w), h(h), bpp(bpp), px(size_t(w) * h, fill) {}
    _canvas canvas() {
        _canvas c;
        c.data = reinterpret_cast<char*>(px.data());
        c.alpha = alpha.empty() ? nullptr : reinterpret_cast<char*>(alpha.data());
        c.bpp = bpp;
        c.width = w;
        c.height = h;
        return c;
    }
    int w, h, bpp;
    std::vector<uint16_t> px;
    std::vector<uint8_t> alpha;
};

uint16_t one(uint16_t s, uint16_t d, int a, int bpp, bool (*routine)(_canvas*, _canvas*)) {
    Plane src(1, 1, bpp, s), dst(1, 1, bpp, d);
    src.alpha = {static_cast<uint8_t>(a)};
    _canvas cs = src.canvas(), cd = dst.canvas();
    routine(&cs, &cd);
    return dst.px[0];
}

uint16_t oneBlend(uint16_t s, uint16_t d, int a, int o, int bpp,
                  bool (*routine)(_canvas*, _canvas*, unsigned char)) {
    Plane src(1, 1, bpp, s), dst(1, 1, bpp, d);
    if (a >= 0) src.alpha = {static_cast<uint8_t>(a)};
    _canvas cs = src.canvas(), cd = dst.canvas();
    routine(&cs, &cd, static_cast<unsigned char>(o));
    return dst.px[0];
}

}  // namespace

TEST(PixelRoutines, PerPixelRules) {
    using G = CGraphicsObject;
    EXPECT_EQ(one(0xF800, 0x001F, 128, 16, G::__copy_alpha16), 0x8030);
    EXPECT_EQ(one(0x8410, 0x8410, 128, 16, G::__copy_alpha16), 0x8C31);  // + 1 even when s = d
    EXPECT_EQ(one(0xFFFF, 0xFFFF, 128, 16, G::__copy_alpha16), 0xFFFF);  // clamped at the maximum
    EXPECT_EQ(one(0xF800, 0x001F, 0, 16, G::__copy_alpha16), 0x001F);
    EXPECT_EQ(one(0xF800, 0x001F, 255, 16, G::__copy_alpha16), 0xF800);
    EXPECT_EQ(one(0x7C00, 0x001F, 128, 15, G::__copy_alpha15), 0x4030);  // 16, 1, 16 at 5-5-5
    EXPECT_EQ(one(0x1234, 0x4321, 1, 16, G::__copy_alpha_as_mask), 0x1234);
    EXPECT_EQ(one(0x1234, 0x4321, 0, 16, G::__copy_alpha_as_mask), 0x4321);
    EXPECT_EQ(oneBlend(0xF800, 0x001F, -1, 128, 16, G::__copy_blend16), 0x780F);
    EXPECT_EQ(oneBlend(0xF800, 0x001F, -1, 0, 16, G::__copy_blend16), 0x001F);
    EXPECT_EQ(oneBlend(0xF800, 0x001F, 200, 128, 16, G::__copy_alpha_blend16), 0x6012);
    EXPECT_EQ(oneBlend(0xF800, 0x001F, 255, 0, 16, G::__copy_alpha_blend16), 0x001F);
    // Without the + 1, an identical colour stays whatever the weight.
    EXPECT_EQ(oneBlend(0x8410, 0x8410, 128, 255, 16, G::__copy_alpha_blend16), 0x8410);
}

TEST(PixelRoutines, ThirtyTwoBitDestinationGoesThroughTheTable) {
    CSurface::prepareBppConversionTable(32);
    const int32_t* C = CSurface::getBppConversionTable();
    ASSERT_NE(C, nullptr);
    Plane src(1, 1, 16, 0xF800);
    src.alpha = {128};
    std::vector<uint32_t> dst(1, static_cast<uint32_t>(C[0x001F]));
    _canvas cs = src.canvas();
    _canvas cd;
    cd.data = reinterpret_cast<char*>(dst.data());
    cd.bpp = 32;
    cd.width = cd.height = 1;
    EXPECT_TRUE(CGraphicsObject::__copy_alpha32(&cs, &cd));
    EXPECT_EQ(dst[0], 0x00780078u);
    dst[0] = static_cast<uint32_t>(C[0x001F]);
    EXPECT_TRUE(CGraphicsObject::__copy_blend32(&cs, &cd, 128));
    EXPECT_EQ(dst[0], 0x00780078u);
    EXPECT_TRUE(CGraphicsObject::__copy_bpp32(&cs, &cd));
    EXPECT_EQ(dst[0], static_cast<uint32_t>(C[0xF800]));
}

TEST(PixelRoutines, CanvasLayersKeepTheirOwnAlpha) {
    Plane src(1, 1, 16, 0xF800), dst(1, 1, 16, 0x001F);
    src.alpha = {200};
    dst.alpha = {0};
    _canvas cs = src.canvas(), cd = dst.canvas();
    CGraphicsObject::copyToCanvas(&cs, &cd);
    EXPECT_EQ(dst.px[0], 0xF800);  // a transparent pixel takes the source as it is
    EXPECT_EQ(dst.alpha[0], 200);
    CGraphicsObject::copyToCanvas(&cs, &cd);
    EXPECT_EQ(dst.alpha[0], 255);
    Plane plain(1, 1, 16, 0x1234);
    _canvas cp = plain.canvas();
    dst.alpha = {7};
    cd = dst.canvas();
    CGraphicsObject::copyToCanvas(&cp, &cd);
    EXPECT_EQ(dst.px[0], 0x1234);
    EXPECT_EQ(dst.alpha[0], 255);
}

TEST(PixelRoutines, SourceRectangleGeometry) {
    Plane src(40, 20, 16), dst(60, 30, 16, 0);
    for (size_t i = 0; i < src.px.size(); ++i) src.px[i] = static_cast<uint16_t>(i + 1);
    _canvas cs = src.canvas(), cd = dst.canvas();
    cs.x = 3;
    cs.y = 4;
    cs.rect = CXRect(7, 2, 17, 7);  // 10 x 5
    ASSERT_TRUE(CGraphicsObject::__copy(&cs, &cd));
    int written = 0;
    for (int y = 0; y < dst.h; ++y)
        for (int x = 0; x < dst.w; ++x) {
            const uint16_t v = dst.px[size_t(y) * dst.w + x];
            if (!v) continue;
            ++written;
            // Rows start at destination pixel (4 + top) x width + 3 + left.
            const int sx = x - 3, sy = y - 4;
            EXPECT_EQ(v, src.px[size_t(sy) * src.w + sx]);
            EXPECT_TRUE(sx >= 7 && sx < 17 && sy >= 2 && sy < 7);
        }
    EXPECT_EQ(written, 50);
    EXPECT_EQ(dst.px[size_t(6) * 60 + 10], src.px[2 * 40 + 7]);
    // Zero-sized sources write nothing.
    Plane empty(0, 3, 16);
    _canvas ce = empty.canvas();
    EXPECT_FALSE(CGraphicsObject::__copy(&ce, &cd));
}

TEST(PixelRoutines, DepthPairDispatch) {
    struct Case {
        int from, to;
        bool copy, alpha, blend;
        bool writes;
    } cases[] = {
        {16, 16, true, true, true, true},   {15, 15, true, true, true, true},
        {16, 24, true, false, false, false}, {15, 24, true, false, false, false},
        {16, 15, false, true, true, false}, {24, 24, false, true, true, false},
    };
    for (const Case& c : cases) {
        Plane src(2, 2, c.from, 0x7BCD);
        src.alpha.assign(4, 255);
        std::vector<uint8_t> dstBytes(64, 0);
        _canvas cd;
        cd.data = reinterpret_cast<char*>(dstBytes.data());
        cd.bpp = c.to;
        cd.width = cd.height = 2;
        _canvas cs = src.canvas();
        cs.alpha = nullptr;
        EXPECT_EQ(CGraphicsObject::__copy(&cs, &cd), c.copy) << c.from << "->" << c.to;
        EXPECT_EQ(CGraphicsObject::__copy_blend(&cs, &cd, 128), c.blend) << c.from << "->" << c.to;
        cs.alpha = reinterpret_cast<char*>(src.alpha.data());
        EXPECT_EQ(CGraphicsObject::__copy_alpha(&cs, &cd), c.alpha) << c.from << "->" << c.to;
        const bool anyWritten = std::any_of(dstBytes.begin(), dstBytes.end(), [](uint8_t b) { return b != 0; });
        EXPECT_EQ(anyWritten, c.writes) << c.from << "->" << c.to;
    }
}

TEST(PixelRoutines, SinglePixelsAndGrey) {
    uint16_t p = 0;
    CGraphicsObject::putPixel16(reinterpret_cast<char*>(&p), 1, 0, 0, short(0xFFFF), 128, false);
    EXPECT_EQ(p, 0x7BEF);
    p = 0x1234;
    CGraphicsObject::putPixel16(reinterpret_cast<char*>(&p), 1, 0, 0, short(0xFFFF), 255, true);
    EXPECT_EQ(p, 0xF7DE);  // (c x 255) >> 8 drops one unit per channel
    CGraphicsObject g(nullptr, CXSize(2, 1), 16);
    uint16_t* px = reinterpret_cast<uint16_t*>(g.GetDataPtr());
    px[0] = 0xFFFF;
    px[1] = 0xF800;
    g.ToGrayScale();
    EXPECT_EQ(px[0], 0xFFDF);
    EXPECT_EQ(px[1], 0x528A);  // 31 / 3 = 10 in every channel
}

TEST(PixelRoutines, BufferConverters) {
    // Bit 15 of the low pixel must not reach the high pixel's blue.
    std::vector<uint16_t> px = {0xFFFF, 0x0000, 0x7C1F};
    char* buf = reinterpret_cast<char*>(px.data());
    CGraphicsObject::_convert15to16(&buf, CXSize(3, 1), buf);
    EXPECT_EQ(px[0], 0xFF9F);  // 5-5-5 white: green's lowest bit dropped
    EXPECT_EQ(px[1], 0x0000);
    EXPECT_EQ(px[2], 0xF81F);  // the odd last pixel converts too
    CGraphicsObject::_convert16to15(&buf, CXSize(3, 1), buf);
    EXPECT_EQ(px[0], 0x7FDF);
    EXPECT_EQ(px[2], 0x7C1F);
    // Every 5-5-5 pixel comes back with its green's lowest bit cleared.
    std::vector<uint16_t> all(32768);
    for (int i = 0; i < 32768; ++i) all[i] = static_cast<uint16_t>(i);
    char* a = reinterpret_cast<char*>(all.data());
    CGraphicsObject::_convert15to16(&a, CXSize(32767, 1), a);
    CGraphicsObject::_convert16to15(&a, CXSize(32767, 1), a);
    for (int i = 0; i < 32767; ++i) ASSERT_EQ(all[i], i & ~0x20) << i;

    const uint8_t rgb[] = {200, 100, 50, 255, 255, 255};
    char* bytes = new char[6];
    std::memcpy(bytes, rgb, 6);
    ASSERT_TRUE(CGraphicsObject::__convert_bpp(&bytes, nullptr, CXSize(2, 1), 32, 16, nullptr, false));
    uint16_t out[2];
    std::memcpy(out, bytes, 4);
    EXPECT_EQ(out[0], 0xCB26);
    EXPECT_EQ(out[1], 0xFFFF);
    delete[] bytes;
    EXPECT_EQ(CGraphicsObject::__get_convert_code(15, 16), 1);
    EXPECT_EQ(CGraphicsObject::__get_convert_code(24, 16), 0);
    EXPECT_EQ(CGraphicsObject::__get_convert_code(16, 16), 5);
}

TEST(PixelRoutines, MultiplicationArrayComesBackAfterRelease) {
    const int16_t* t = CGraphicsObject::__get_mul_array();
    EXPECT_EQ(t[(-256 + 256) * 256 + 255], static_cast<int16_t>(-256 * 255));
    EXPECT_EQ(t[(255 + 256) * 256 + 255], static_cast<int16_t>(255 * 255));
    CGraphicsObject::ReleaseGraphics();
    // Drawing after the window released its graphics builds the table again.
    EXPECT_EQ(one(0xF800, 0x001F, 128, 16, CGraphicsObject::__copy_alpha16), 0x8030);
}
