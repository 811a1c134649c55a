// A virtual graphics object's masked redraw of a 256 x 256 source onto a 16-bit
// surface, beside the engine's alpha copy of the same pixels through the same alpha and
// a memcpy of the rows. The mask's alpha runs in groups of eight: a third 0, a third
// 255, a third partial.
#include <benchmark/benchmark.h>

#include <cstdint>
#include <cstring>
#include <vector>

#include "graphics/canvas/CVirtualGraphicsObject.h"
#include "graphics/core/CGraphicsObject.h"

namespace {

constexpr int kSide = 256;
constexpr int kScreenW = 800;
constexpr int kScreenH = 600;
constexpr int kAtX = 100;
constexpr int kAtY = 100;
constexpr int64_t kPixels = int64_t{kSide} * kSide;

struct Scene {
    Scene()
        : source(nullptr, CXSize(kSide, kSide), 16), mask(nullptr, CXSize(kSide, kSide), 16),
          screen(nullptr, CXSize(kScreenW, kScreenH), 16), vgo(nullptr) {
        auto* s = reinterpret_cast<uint16_t*>(source.GetDataPtr());
        for (int i = 0; i < kSide * kSide; ++i) s[i] = static_cast<uint16_t>(i * 2654435761u >> 16);
        char* a = new char[kSide * kSide];
        for (int i = 0; i < kSide * kSide; ++i) {
            const int run = (i / 8) % 3;
            a[i] = static_cast<char>(run == 0 ? 0 : run == 1 ? 255 : 40 + (i * 7) % 170);
        }
        mask.AlphaChannel(a);
        mask.GetChannelSize(3) = kSide * kSide;
        auto* d = reinterpret_cast<uint16_t*>(screen.GetDataPtr());
        for (int i = 0; i < kScreenW * kScreenH; ++i) d[i] = static_cast<uint16_t>(i * 40503u);
        vgo.setSource(&source);
        vgo.setMask(&mask);
        vgo.SetPosition(kAtX, kAtY);
        CGraphicsObject::__get_mul_array();
    }
    CGraphicsObject source;
    CGraphicsObject mask;
    CGraphicsObject screen;
    CVirtualGraphicsObject vgo;
};

Scene& scene() {
    static Scene s;
    return s;
}

void perPixel(benchmark::State& state) {
    state.SetItemsProcessed(state.iterations() * kPixels);
    state.counters["ns_per_pixel"] = benchmark::Counter(
        static_cast<double>(kPixels), benchmark::Counter::kIsIterationInvariantRate | benchmark::Counter::kInvert);
}

void BM_VirtualObjectMaskedRedraw(benchmark::State& state) {
    Scene& s = scene();
    for (auto _ : state) {
        s.vgo.redraw(&s.screen);
        benchmark::ClobberMemory();
    }
    perPixel(state);
}
BENCHMARK(BM_VirtualObjectMaskedRedraw);

void BM_CopyAlpha16(benchmark::State& state) {
    Scene& s = scene();
    _canvas src;
    src.data = s.source.GetDataPtr();
    src.alpha = s.mask.AlphaChannel();
    src.bpp = 16;
    src.x = kAtX;
    src.y = kAtY;
    src.width = src.height = kSide;
    _canvas dst;
    dst.data = s.screen.GetDataPtr();
    dst.bpp = 16;
    dst.width = kScreenW;
    dst.height = kScreenH;
    for (auto _ : state) {
        CGraphicsObject::__copy_alpha16(&src, &dst);
        benchmark::ClobberMemory();
    }
    perPixel(state);
}
BENCHMARK(BM_CopyAlpha16);

void BM_MemcpyRows(benchmark::State& state) {
    Scene& s = scene();
    auto* d = reinterpret_cast<uint16_t*>(s.screen.GetDataPtr());
    const auto* src = reinterpret_cast<const uint16_t*>(s.source.GetDataPtr());
    for (auto _ : state) {
        for (int y = 0; y < kSide; ++y)
            std::memcpy(&d[size_t(kAtY + y) * kScreenW + kAtX], &src[size_t(y) * kSide], kSide * 2);
        benchmark::ClobberMemory();
    }
    perPixel(state);
}
BENCHMARK(BM_MemcpyRows);

}  // namespace

BENCHMARK_MAIN();
