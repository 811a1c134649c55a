// The software mixer on one audio callback's block: 1,024 stereo 16-bit frames at
// 44,100 Hz (23.2 ms of sound) from eight looped voices of mono 16-bit sound at
// 22,050 Hz, each at its own volume and pan, so every voice is resampled, scaled and
// panned. Beside it, the floor of the same block: one memcpy of the output's bytes per
// voice (what any mixer that touches the block once per voice pays).
#include <benchmark/benchmark.h>

#include <cmath>
#include <cstdint>
#include <cstring>
#include <vector>

#include "platform/AudioMixer.h"

namespace {

constexpr uint32_t kFrames = 1024;
constexpr int kVoices = 8;
constexpr platform::MixFormat kOut{2, 16, 44100};

struct Voices {
    std::vector<std::vector<uint8_t>> data;
    std::vector<platform::MixSource> sources;
    std::vector<platform::MixSource*> pointers;

    Voices() {
        data.resize(kVoices);
        sources.resize(kVoices);
        for (int v = 0; v < kVoices; ++v) {
            std::vector<uint8_t>& d = data[v];
            d.resize(22050 * 2);
            for (size_t i = 0; i < d.size() / 2; ++i) {
                const int16_t s = static_cast<int16_t>(12000 * std::sin(double(i) * (v + 1) * 0.01));
                d[2 * i] = static_cast<uint8_t>(s & 0xFF);
                d[2 * i + 1] = static_cast<uint8_t>((s >> 8) & 0xFF);
            }
            platform::MixSource& s = sources[v];
            s.data = d.data();
            s.bytes = static_cast<uint32_t>(d.size());
            s.channels = 1;
            s.bits = 16;
            s.rate = 22050;
            s.volume = -300 * v;
            s.pan = v * 2500 - 10000;
            s.looping = true;
            s.playing = true;
            pointers.push_back(&s);
        }
    }
};

void BM_MixEightVoices(benchmark::State& state) {
    Voices voices;
    platform::AudioMixer mixer;
    std::vector<uint8_t> out(kFrames * 4);
    for (auto _ : state) {
        mixer.mix(kOut, voices.pointers.data(), voices.pointers.size(), out.data(), kFrames);
        benchmark::DoNotOptimize(out.data());
        benchmark::ClobberMemory();
    }
}

void BM_MemcpyBlockPerVoice(benchmark::State& state) {
    std::vector<uint8_t> src(kFrames * 4, 1);
    std::vector<uint8_t> out(kFrames * 4);
    for (auto _ : state) {
        for (int v = 0; v < kVoices; ++v) {
            std::memcpy(out.data(), src.data(), out.size());
            benchmark::DoNotOptimize(out.data());
            benchmark::ClobberMemory();
        }
    }
}

}  // namespace

BENCHMARK(BM_MixEightVoices);
BENCHMARK(BM_MemcpyBlockPerVoice);

BENCHMARK_MAIN();
