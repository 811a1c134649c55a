// The image effects on an 800 x 600 16-bit graphic with an alpha plane: one WATER
// step, one WAVING recomputation and one BLUR of size 3, beside a memcpy of the
// graphic's 960,000 bytes of pixels. Counters give ns per pixel.
#include <benchmark/benchmark.h>

#include <cstdint>
#include <cstring>
#include <memory>
#include <vector>

#include "graphics/core/CGraphicsObject.h"
#include "media/filters/CFilterTarget.h"
#include "media/filters/CStaticFilters.h"
#include "media/filters/CWaterFilter.h"
#include "media/filters/CWavingFilter.h"

namespace {

constexpr int kW = 800;
constexpr int kH = 600;
constexpr int64_t kPixels = int64_t{kW} * kH;

std::unique_ptr<CGraphicsObject> makePicture() {
    auto g = std::make_unique<CGraphicsObject>(nullptr, CXSize(kW, kH), 16);
    auto* p = reinterpret_cast<uint16_t*>(g->GetDataPtr());
    for (int64_t i = 0; i < kPixels; ++i) p[i] = static_cast<uint16_t>(i * 2654435761u >> 16);
    char* a = new char[kPixels];
    for (int64_t i = 0; i < kPixels; ++i) a[i] = static_cast<char>(i % 7 == 0 ? 0 : 255);
    g->AlphaChannel(a);
    return g;
}

void perPixel(benchmark::State& state) {
    state.SetItemsProcessed(state.iterations() * kPixels);
    state.counters["ns_per_pixel"] = benchmark::Counter(
        static_cast<double>(kPixels), benchmark::Counter::kIsIterationInvariantRate | benchmark::Counter::kInvert);
}

void BM_WaterStep(benchmark::State& state) {
    auto g = makePicture();
    CWaterFilter filter(nullptr);
    filter.link(g.get(), nullptr);
    CFilterTarget* target = filter.findTarget(g.get());
    for (auto _ : state) {
        filter.step(target, filter.getParams());
        benchmark::ClobberMemory();
    }
    perPixel(state);
}
BENCHMARK(BM_WaterStep);

void BM_WavingRecomputation(benchmark::State& state) {
    auto g = makePicture();
    CWavingFilter filter(nullptr);
    filter.link(g.get(), nullptr);
    auto* target = static_cast<CWavingFilterTarget*>(filter.findTarget(g.get()));
    for (auto _ : state) {
        target->wavingState()->phase = 10;  // a recomputing phase each time
        filter.step(target, filter.getParams());
        benchmark::ClobberMemory();
    }
    perPixel(state);
}
BENCHMARK(BM_WavingRecomputation);

void BM_Blur3(benchmark::State& state) {
    auto g = makePicture();
    CBlurFilter filter(nullptr);
    for (auto _ : state) {
        filter.applyToGraphics(g.get(), true);
        benchmark::ClobberMemory();
    }
    perPixel(state);
}
BENCHMARK(BM_Blur3);

void BM_MemcpyPicture(benchmark::State& state) {
    auto g = makePicture();
    std::vector<char> copy(static_cast<size_t>(kPixels) * 2);
    for (auto _ : state) {
        std::memcpy(copy.data(), g->GetDataPtr(), copy.size());
        benchmark::ClobberMemory();
    }
    perPixel(state);
}
BENCHMARK(BM_MemcpyPicture);

}  // namespace

BENCHMARK_MAIN();
