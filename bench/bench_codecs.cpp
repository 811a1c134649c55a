// Decode throughput of the image-plane codecs on an 800x600 16-bit plane
// (runs of flat colour and gradients, as drawn game art has), next to a plain
// memcpy of the same number of bytes. The decoders return a new buffer, so each
// iteration includes allocating (and first touching) it; BM_MemcpyFresh pays the
// same allocation, and BM_Memcpy's difference to it is the allocation's share.
// Every decoder's output is compared with the original once before timing.
#include <benchmark/benchmark.h>

#include <cstdint>
#include <cstring>
#include <memory>
#include <vector>

#include "foundation/CLZWCompression.h"
#include "foundation/CLZWCompression2.h"
#include "foundation/CRLECompression.h"

namespace {

constexpr int kWidth = 800;
constexpr int kHeight = 600;
constexpr int kPlaneBytes = kWidth * kHeight * 2;

// 5-6-5 pixels: flat bands, a horizontal gradient, and a noisy strip.
std::vector<char> makePlane() {
    std::vector<uint16_t> px(static_cast<size_t>(kWidth) * kHeight);
    uint32_t seed = 12345;
    for (int y = 0; y < kHeight; ++y) {
        for (int x = 0; x < kWidth; ++x) {
            uint16_t v;
            if (y < 200) {
                v = static_cast<uint16_t>((y / 20) * 0x0841);  // flat bands
            } else if (y < 450) {
                v = static_cast<uint16_t>(((x * 31 / kWidth) << 11) | ((y % 64) << 5) | (x / 100));  // gradient
            } else if (x < 600) {
                v = static_cast<uint16_t>(0x7BEF);  // flat
            } else {
                seed = seed * 1103515245u + 12345u;
                v = static_cast<uint16_t>(seed >> 16);  // noise
            }
            px[static_cast<size_t>(y) * kWidth + x] = v;
        }
    }
    std::vector<char> bytes(kPlaneBytes);
    std::memcpy(bytes.data(), px.data(), bytes.size());
    return bytes;
}

// The alpha plane: opaque with a soft edge and transparent holes.
std::vector<char> makeAlpha() {
    std::vector<char> a(static_cast<size_t>(kWidth) * kHeight);
    for (int y = 0; y < kHeight; ++y)
        for (int x = 0; x < kWidth; ++x)
            a[static_cast<size_t>(y) * kWidth + x] =
                static_cast<char>(x < 16 ? x * 16 : ((x / 50 + y / 50) % 5 == 0 ? 0 : 255));
    return a;
}

const std::vector<char>& plane() {
    static const std::vector<char> p = makePlane();
    return p;
}

void BM_Memcpy(benchmark::State& state) {
    const std::vector<char>& src = plane();
    std::vector<char> dst(src.size());
    for (auto _ : state) {
        std::memcpy(dst.data(), src.data(), src.size());
        benchmark::DoNotOptimize(dst.data());
        benchmark::ClobberMemory();
    }
    state.SetBytesProcessed(state.iterations() * static_cast<int64_t>(src.size()));
}

// The same copy into a buffer allocated and freed per iteration, as the decoders do.
void BM_MemcpyFresh(benchmark::State& state) {
    const std::vector<char>& src = plane();
    for (auto _ : state) {
        char* dst = new char[src.size()];
        std::memcpy(dst, src.data(), src.size());
        benchmark::DoNotOptimize(dst);
        benchmark::ClobberMemory();
        delete[] dst;
    }
    state.SetBytesProcessed(state.iterations() * static_cast<int64_t>(src.size()));
}

// Checks one decode against the original; takes ownership of `out`.
bool decodesTo(benchmark::State& state, char* out, const std::vector<char>& expected) {
    std::unique_ptr<char[]> owned(out);
    if (!out || std::memcmp(out, expected.data(), expected.size()) != 0) {
        state.SkipWithError("decoded bytes differ from the original");
        return false;
    }
    return true;
}

void BM_RLE16Decode(benchmark::State& state) {
    std::vector<char> src = plane();
    int packedLength = 0;
    std::unique_ptr<char[]> packed(CRLECompression::__compress(src.data(), kPlaneBytes, &packedLength));
    if (!decodesTo(state, CRLECompression::__decompress(packed.get(), packedLength, kPlaneBytes), src)) return;
    for (auto _ : state) {
        char* out = CRLECompression::__decompress(packed.get(), packedLength, kPlaneBytes);
        benchmark::DoNotOptimize(out);
        delete[] out;
    }
    state.SetBytesProcessed(state.iterations() * static_cast<int64_t>(kPlaneBytes));
    state.counters["ratio"] = static_cast<double>(kPlaneBytes) / packedLength;
}

void BM_RLECharDecodeAlpha(benchmark::State& state) {
    std::vector<char> src = makeAlpha();
    const int n = static_cast<int>(src.size());
    int packedLength = 0;
    std::unique_ptr<char[]> packed(CRLECompression::__compresschar(src.data(), n, &packedLength));
    if (!decodesTo(state, CRLECompression::__decompresschar(packed.get(), packedLength, n), src)) return;
    for (auto _ : state) {
        char* out = CRLECompression::__decompresschar(packed.get(), packedLength, n);
        benchmark::DoNotOptimize(out);
        delete[] out;
    }
    state.SetBytesProcessed(state.iterations() * static_cast<int64_t>(n));
    state.counters["ratio"] = static_cast<double>(n) / packedLength;
}

void BM_LZODecode(benchmark::State& state) {
    std::vector<char> src = plane();
    CLZWCompression2 encoder(src.data(), kPlaneBytes);
    int blockLength = 0;
    std::unique_ptr<char[]> block(encoder.compress(blockLength));
    {
        CLZWCompression2 check(block.get(), blockLength);
        if (!decodesTo(state, check.decompress(), src)) return;
    }
    for (auto _ : state) {
        CLZWCompression2 decoder(block.get(), blockLength);
        char* out = decoder.decompress();
        benchmark::DoNotOptimize(out);
        delete[] out;
    }
    state.SetBytesProcessed(state.iterations() * static_cast<int64_t>(kPlaneBytes));
    state.counters["ratio"] = static_cast<double>(kPlaneBytes) / blockLength;
}

void BM_LZWDecode(benchmark::State& state) {
    std::vector<char> src = plane();
    CLZWCompression encoder(src.data(), kPlaneBytes);
    int blockLength = 0;
    std::unique_ptr<char[]> block(encoder.compress(blockLength));
    {
        CLZWCompression check(block.get(), blockLength);
        if (!decodesTo(state, check.decompress(0), src)) return;
    }
    for (auto _ : state) {
        CLZWCompression decoder(block.get(), blockLength);
        char* out = decoder.decompress(0);
        benchmark::DoNotOptimize(out);
        delete[] out;
    }
    state.SetBytesProcessed(state.iterations() * static_cast<int64_t>(kPlaneBytes));
    state.counters["ratio"] = static_cast<double>(kPlaneBytes) / blockLength;
}

}  // namespace

BENCHMARK(BM_Memcpy);
BENCHMARK(BM_MemcpyFresh);
BENCHMARK(BM_RLE16Decode);
BENCHMARK(BM_RLECharDecodeAlpha);
BENCHMARK(BM_LZODecode);
BENCHMARK(BM_LZWDecode);

BENCHMARK_MAIN();
