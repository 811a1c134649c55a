// Extracting a 64 MiB zlib entry of a package archive (streamed inflate into a file
// beside its target, renamed at the end) against zlib's uncompress of the same stream
// into memory. The goal: at least 0.7 of uncompress's speed.
#include <benchmark/benchmark.h>
#include <zlib.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

#include "net/CSelfExtract.h"
#include "platform/FileSystem.h"

namespace {

constexpr size_t kSize = size_t(64) << 20;

void put32(std::string& out, uint32_t value) {
    for (int i = 0; i < 4; ++i) out += static_cast<char>(value >> (8 * i));
}

// Content that compresses about as game data does: runs and varied bytes.
std::string content() {
    std::string data(kSize, '\0');
    uint32_t state = 12345;
    for (size_t i = 0; i < kSize; ++i) {
        state = state * 1103515245u + 12345u;
        data[i] = static_cast<char>((i / 64) % 7 == 0 ? 0 : (state >> 24) & 0x3F);
    }
    return data;
}

struct Fixture {
    std::filesystem::path folder;
    std::string compressed;
    std::string archive;
    Fixture() {
        const char* base = std::getenv("TMPDIR");
        std::string name = std::string(base && *base ? base : "/tmp") + "/bench-package-XXXXXX";
        if (!mkdtemp(name.data())) std::abort();
        folder = name;
        const std::string data = content();
        uLongf size = compressBound(data.size());
        compressed.resize(size);
        compress2(reinterpret_cast<Bytef*>(compressed.data()), &size, reinterpret_cast<const Bytef*>(data.data()),
                  data.size(), 9);
        compressed.resize(size);
        std::string bytes = "SFX01";
        put32(bytes, 1);
        bytes += '\x01';
        put32(bytes, static_cast<uint32_t>(kSize));
        put32(bytes, static_cast<uint32_t>(compressed.size()));
        bytes += compressed;
        put32(bytes, 5);
        bytes += "e.bin";
        archive = (folder / "p.pik").string();
        FILE* f = std::fopen(archive.c_str(), "wb");
        std::fwrite(bytes.data(), 1, bytes.size(), f);
        std::fclose(f);
    }
    ~Fixture() {
        std::error_code ec;
        std::filesystem::remove_all(folder, ec);
    }
};

Fixture& fixture() {
    static Fixture f;
    return f;
}

void BM_ExtractZlibEntry(benchmark::State& state) {
    Fixture& f = fixture();
    CSelfExtract package(CXString(platform::toEnginePath(f.archive).c_str()));
    if (!package.ReadTOC()) state.SkipWithError("archive not read");
    const CXString out(platform::toEnginePath((f.folder / "out").string()).c_str());
    for (auto _ : state) {
        if (!package.ExtractOne(0, out)) state.SkipWithError("extraction failed");
    }
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) * int64_t(kSize));
}

void BM_UncompressIntoMemory(benchmark::State& state) {
    Fixture& f = fixture();
    std::vector<uint8_t> out(kSize);
    for (auto _ : state) {
        uLongf size = kSize;
        uncompress(out.data(), &size, reinterpret_cast<const Bytef*>(f.compressed.data()), f.compressed.size());
        benchmark::DoNotOptimize(out.data());
    }
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) * int64_t(kSize));
}

BENCHMARK(BM_ExtractZlibEntry)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_UncompressIntoMemory)->Unit(benchmark::kMillisecond)->UseRealTime();

}  // namespace

BENCHMARK_MAIN();
