#include <gtest/gtest.h>

#include <cstring>
#include <random>
#include <vector>

#include "graphics/core/CGraphicsObject.h"
#include "graphics/core/PixelRows.h"

namespace {

namespace pr = pixelrows;

// Random pixels and alphas, with runs of 0 and 255 long enough for the wide workers'
// skip and copy paths, and every alpha value from 0 to 255 in turn.
struct Rows {
    explicit Rows(unsigned seed) : rng(seed) {}
    std::vector<uint16_t> pixels(size_t n) {
        std::vector<uint16_t> v(n);
        for (auto& p : v) p = static_cast<uint16_t>(rng());
        return v;
    }
    std::vector<uint8_t> alphas(size_t n) {
        std::vector<uint8_t> v(n);
        size_t i = 0;
        while (i < n) {
            const unsigned kind = rng() % 4;
            const size_t run = 1 + rng() % 24;
            for (size_t k = 0; k < run && i < n; ++k, ++i)
                v[i] = kind == 0 ? 0 : kind == 1 ? 255 : static_cast<uint8_t>(rng());
        }
        return v;
    }
    std::mt19937 rng;
};

// Every worker applied by its scalar and its wide form to the same row; the rows must come
// out with the same bits. off shifts the starts of source, alpha and destination apart.
void compareRow(Rows& r, bool is16, int n, int off, int opacity, const std::vector<uint8_t>& alpha) {
    const std::vector<uint16_t> src = r.pixels(size_t(n) + 16);
    const std::vector<uint16_t> dst = r.pixels(size_t(n) + 16);
    const uint16_t* s = src.data() + off;
    const uint8_t* a = alpha.data() + (off * 3) % 8;
    auto run = [&](auto wide, auto scalar) {
        std::vector<uint16_t> w = dst, sc = dst;
        wide(w.data() + (off * 5) % 8);
        scalar(sc.data() + (off * 5) % 8);
        ASSERT_EQ(w, sc) << "bpp " << (is16 ? 16 : 15) << " n " << n << " off " << off << " opacity " << opacity;
    };
    run([&](uint16_t* d) { pr::alphaRow(is16, s, a, d, n); }, [&](uint16_t* d) { pr::alphaRowScalar(is16, s, a, d, n); });
    run([&](uint16_t* d) { pr::blendRow(is16, s, d, n, opacity); },
        [&](uint16_t* d) { pr::blendRowScalar(is16, s, d, n, opacity); });
    run([&](uint16_t* d) { pr::alphaBlendRow(is16, s, a, d, n, opacity); },
        [&](uint16_t* d) { pr::alphaBlendRowScalar(is16, s, a, d, n, opacity); });
    run([&](uint16_t* d) { pr::maskRow(s, a, d, n); }, [&](uint16_t* d) { pr::maskRowScalar(s, a, d, n); });
}

}  // namespace

TEST(PixelRows, WideWorkersMatchTheScalarOnesBitForBit) {
    Rows r(36);
    for (bool is16 : {false, true}) {
        // Every alpha against every opacity step on long rows.
        std::vector<uint8_t> ramp(256 + 24);
        for (size_t i = 0; i < ramp.size(); ++i) ramp[i] = static_cast<uint8_t>(i);
        for (int opacity = 1; opacity < 256; ++opacity) compareRow(r, is16, 256, opacity % 8, opacity, ramp);
        // Widths 0 to 17 from every start within a word, over random alpha runs.
        for (int n = 0; n <= 17; ++n)
            for (int off = 0; off < 8; ++off)
                for (int rep = 0; rep < 8; ++rep)
                    compareRow(r, is16, n, off, 1 + static_cast<int>(r.rng() % 255), r.alphas(size_t(n) + 24));
        for (int rep = 0; rep < 64; ++rep) {
            const int n = 18 + static_cast<int>(r.rng() % 300);
            compareRow(r, is16, n, rep % 8, 1 + static_cast<int>(r.rng() % 255), r.alphas(size_t(n) + 24));
        }
    }
}

TEST(PixelRows, OverlappingRowsFollowTheScalarOrder) {
    // Source and destination in one buffer, one pixel apart: each pixel reads the one
    // written before it, as the scalar worker does.
    Rows r(7);
    for (int shift : {-1, 1, 3}) {
        std::vector<uint16_t> buf = r.pixels(64);
        std::vector<uint8_t> alpha(40, 128);
        std::vector<uint16_t> expected = buf;
        pr::alphaBlendRowScalar(true, expected.data() + 8, alpha.data(), expected.data() + 8 + shift, 40, 200);
        _canvas src;
        src.data = reinterpret_cast<char*>(buf.data() + 8);
        src.alpha = reinterpret_cast<char*>(alpha.data());
        src.bpp = 16;
        src.width = 40;
        src.height = 1;
        src.x = shift;
        _canvas dst;
        dst.data = reinterpret_cast<char*>(buf.data() + 8);
        dst.bpp = 16;
        dst.width = 48;
        dst.height = 1;
        ASSERT_TRUE(CGraphicsObject::__copy_alpha_blend16(&src, &dst, 200));
        EXPECT_EQ(buf, expected) << shift;
    }
}
