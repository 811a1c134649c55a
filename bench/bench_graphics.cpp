// Drawing a sprite with an alpha plane onto a 16-bit screen: the engine's alpha copy
// beside pixman's OVER composite of the same 5-6-5 pixels through the same a8 mask, and
// beside a plain memcpy of the same bytes, and the same alpha copy of a sprite whose plane
// is opaque throughout. Rounding differs, so pixels are not compared.
#include <benchmark/benchmark.h>
#include <pixman.h>

#include <cstring>
#include <vector>

#include "graphics/core/CGraphicsObject.h"

namespace {

constexpr int kSprite = 256;
constexpr int kScreenW = 800;
constexpr int kScreenH = 600;
constexpr int kAtX = 100;
constexpr int kAtY = 100;
constexpr int64_t kPixels = int64_t(kSprite) * kSprite;

struct Scene {
    Scene() : sprite(kPixels), alpha(kPixels), opaque(kPixels, 255), screen(size_t(kScreenW) * kScreenH) {
        for (int64_t i = 0; i < kPixels; ++i) {
            sprite[i] = static_cast<uint16_t>(i * 2654435761u >> 7);
            // Thirds: transparent, opaque and partial, in runs of eight pixels.
            switch ((i / 8) % 3) {
            case 0: alpha[i] = 0; break;
            case 1: alpha[i] = 255; break;
            default: alpha[i] = static_cast<uint8_t>(1 + (i * 37) % 254); break;
            }
        }
        for (size_t i = 0; i < screen.size(); ++i) screen[i] = static_cast<uint16_t>(i * 40503u);
    }
    std::vector<uint16_t> sprite;
    std::vector<uint8_t> alpha;
    std::vector<uint8_t> opaque;
    std::vector<uint16_t> screen;
};

Scene& scene() {
    static Scene s;
    return s;
}

void perPixel(benchmark::State& state) {
    state.SetItemsProcessed(state.iterations() * kPixels);
    state.counters["ns_per_pixel"] =
        benchmark::Counter(static_cast<double>(kPixels), benchmark::Counter::kIsIterationInvariantRate |
                                                             benchmark::Counter::kInvert);
}

void copyAlpha16(benchmark::State& state, std::vector<uint8_t>& alpha) {
    Scene& s = scene();
    _canvas src;
    src.data = reinterpret_cast<char*>(s.sprite.data());
    src.alpha = reinterpret_cast<char*>(alpha.data());
    src.bpp = 16;
    src.x = kAtX;
    src.y = kAtY;
    src.width = src.height = kSprite;
    _canvas dst;
    dst.data = reinterpret_cast<char*>(s.screen.data());
    dst.bpp = 16;
    dst.width = kScreenW;
    dst.height = kScreenH;
    CGraphicsObject::__get_mul_array();
    for (auto _ : state) {
        CGraphicsObject::__copy_alpha16(&src, &dst);
        benchmark::ClobberMemory();
    }
    perPixel(state);
}

void BM_CopyAlpha16(benchmark::State& state) { copyAlpha16(state, scene().alpha); }
BENCHMARK(BM_CopyAlpha16);

void BM_CopyAlpha16Opaque(benchmark::State& state) { copyAlpha16(state, scene().opaque); }
BENCHMARK(BM_CopyAlpha16Opaque);

void BM_PixmanOver565(benchmark::State& state) {
    Scene& s = scene();
    pixman_image_t* src = pixman_image_create_bits(PIXMAN_r5g6b5, kSprite, kSprite,
                                                   reinterpret_cast<uint32_t*>(s.sprite.data()), kSprite * 2);
    pixman_image_t* mask = pixman_image_create_bits(PIXMAN_a8, kSprite, kSprite,
                                                    reinterpret_cast<uint32_t*>(s.alpha.data()), kSprite);
    pixman_image_t* dst = pixman_image_create_bits(PIXMAN_r5g6b5, kScreenW, kScreenH,
                                                   reinterpret_cast<uint32_t*>(s.screen.data()), kScreenW * 2);
    for (auto _ : state) {
        pixman_image_composite32(PIXMAN_OP_OVER, src, mask, dst, 0, 0, 0, 0, kAtX, kAtY, kSprite, kSprite);
        benchmark::ClobberMemory();
    }
    pixman_image_unref(src);
    pixman_image_unref(mask);
    pixman_image_unref(dst);
    perPixel(state);
}
BENCHMARK(BM_PixmanOver565);

void BM_MemcpySpriteRows(benchmark::State& state) {
    Scene& s = scene();
    for (auto _ : state) {
        for (int y = 0; y < kSprite; ++y)
            std::memcpy(&s.screen[size_t(kAtY + y) * kScreenW + kAtX], &s.sprite[size_t(y) * kSprite], kSprite * 2);
        benchmark::ClobberMemory();
    }
    perPixel(state);
}
BENCHMARK(BM_MemcpySpriteRows);

}  // namespace

BENCHMARK_MAIN();
