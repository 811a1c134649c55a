// What the pointer touches: a hit test (bounding box, then the alpha plane) on a
// 256 x 256 picture held plain beside the same picture held run-length packed, at
// points spread over the picture as a pointer crossing it would give.
#include <benchmark/benchmark.h>

#include <cstring>
#include <memory>
#include <vector>

#include "graphics/core/CGraphicsObject.h"

namespace {

constexpr int kSide = 256;
constexpr int kPoints = 64;

// A disc of opaque pixels with a soft rim, over a transparent square: runs of
// every length, as a sprite's alpha plane has.
std::unique_ptr<CGraphicsObject> picture(bool packed) {
    auto g = std::make_unique<CGraphicsObject>(nullptr, CXSize(kSide, kSide), 16);
    auto* alpha = new char[size_t(kSide) * kSide];
    for (int y = 0; y < kSide; ++y)
        for (int x = 0; x < kSide; ++x) {
            const int dx = x - kSide / 2, dy = y - kSide / 2;
            const int d2 = dx * dx + dy * dy;
            alpha[y * kSide + x] = static_cast<char>(d2 < 100 * 100 ? 255 : d2 < 110 * 110 ? (x * 7 + y) & 0xFF : 0);
            reinterpret_cast<uint16_t*>(g->GetDataPtr())[y * kSide + x] = static_cast<uint16_t>(x * 31 + y);
        }
    g->GetChannelAlpha() = alpha;
    g->GetChannelSize(3) = kSide * kSide;
    if (packed) g->Compress(COMPRESSION_RLE);
    g->SetPosition(CXPoint(0, 0));
    return g;
}

void hitTest(benchmark::State& state, bool packed) {
    auto g = picture(packed);
    if (packed && g->GetCompression() != COMPRESSION_RLE) state.SkipWithError("not packed");
    std::vector<CXPoint> points;
    for (int i = 0; i < kPoints; ++i) points.emplace_back((i * 37) % kSide, (i * 101 + 13) % kSide);
    int hits = 0;
    for (auto _ : state) {
        for (const CXPoint& p : points) hits += g->testHit(p, false) ? 1 : 0;
        benchmark::DoNotOptimize(hits);
    }
    state.SetItemsProcessed(state.iterations() * kPoints);
    state.counters["ns_per_test"] = benchmark::Counter(
        double(kPoints), benchmark::Counter::kIsIterationInvariantRate | benchmark::Counter::kInvert);
}

void BM_HitTestPlain(benchmark::State& state) { hitTest(state, false); }
void BM_HitTestPacked(benchmark::State& state) { hitTest(state, true); }

}  // namespace

BENCHMARK(BM_HitTestPlain);
BENCHMARK(BM_HitTestPacked);
BENCHMARK_MAIN();
