// A movie frame against its budget: decoding the next frame of a 640x480 MPEG-1 video and
// converting it to 5-6-5 pixels through the video layer (BM_MpegFrame), next to a plain
// memcpy of the 614,400 bytes of one converted frame (BM_FrameMemcpy). A movie plays at
// most 25 frames a second and its timer steps every 40 ms, so a frame must decode well
// inside 40 ms. The video (4 s at 25 frames a second, the ffmpeg test picture) is made
// with ffmpeg when the benchmark starts; at its end the stream seeks back to the start
// outside the timing.
#include <benchmark/benchmark.h>

#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <memory>
#include <string>
#include <vector>

#include <unistd.h>

#include "platform/Video.h"

namespace {

constexpr int kWidth = 640;
constexpr int kHeight = 480;

const std::vector<uint8_t>& video() {
    static const std::vector<uint8_t> bytes = [] {
        const std::filesystem::path folder =
            std::filesystem::temp_directory_path() / ("vondrel-bench-movie-" + std::to_string(::getpid()));
        std::filesystem::create_directories(folder);
        const std::filesystem::path file = folder / "bench.mpg";
        const std::string command =
            "ffmpeg -nostdin -hide_banner -loglevel error -y -f lavfi -i testsrc=s=640x480:r=25:d=4 "
            "-c:v mpeg1video -b:v 4M -fflags +bitexact -flags:v +bitexact -f mpeg '" +
            file.string() + "'";
        std::vector<uint8_t> data;
        if (std::system(command.c_str()) == 0) {
            std::ifstream in(file, std::ios::binary);
            data.assign(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
        }
        std::filesystem::remove_all(folder);
        return data;
    }();
    return bytes;
}

void BM_MpegFrame(benchmark::State& state) {
    platform::LibavVideoSystem system;
    auto movie = system.open(std::make_unique<platform::MemoryVideoInput>("bench.mpg", video()),
                             platform::PixelLayout::Rgb565, {0, 0});
    if (!movie || movie->width() != kWidth || movie->height() != kHeight) {
        state.SkipWithError("the 640x480 MPEG-1 video could not be made or opened (ffmpeg)");
        return;
    }
    platform::VideoFrame frame;
    for (auto _ : state) {
        if (!movie->nextFrame(&frame)) {
            state.PauseTiming();
            movie->seek(0);
            state.ResumeTiming();
            if (!movie->nextFrame(&frame)) {
                state.SkipWithError("no frame after the seek");
                return;
            }
        }
        benchmark::DoNotOptimize(frame.pixels.data());
    }
    state.SetBytesProcessed(state.iterations() * kWidth * kHeight * 2);
}
BENCHMARK(BM_MpegFrame)->Unit(benchmark::kMillisecond);

void BM_FrameMemcpy(benchmark::State& state) {
    std::vector<uint16_t> source(static_cast<size_t>(kWidth) * kHeight, 0x1234);
    std::vector<uint16_t> target(source.size());
    for (auto _ : state) {
        std::memcpy(target.data(), source.data(), source.size() * 2);
        benchmark::ClobberMemory();
    }
    state.SetBytesProcessed(state.iterations() * kWidth * kHeight * 2);
}
BENCHMARK(BM_FrameMemcpy)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
