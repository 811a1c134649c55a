// Texts: an 800 x 600 multi-line text of 8 x 16 glyphs in colour-coded lines redrawn
// onto a 16-bit object, beside an 800 x 600 image with alpha drawn onto the same object
// and a memcpy of its bytes. Items are glyphs for the text and pixels for the others.
#include <benchmark/benchmark.h>

#include <cstring>
#include <memory>
#include <string>
#include <vector>

#include "graphics/text/CFontCollection.h"
#include "graphics/text/CMultilineText6.h"
#include "tests/graphics/text/TextFixtures.h"

namespace {

constexpr int kW = 800;
constexpr int kH = 600;

struct TextScene {
    std::shared_ptr<CFontCollection> fonts = std::make_shared<CFontCollection>(nullptr);
    CGraphicsObject screen{nullptr, CXSize(kW, kH), 16};
    CMultilineText6 text{nullptr, false, nullptr};
    int glyphs = 0;
    TextScene() {
        fonts->addFont(textfix::loadFont(textfix::blockFont(textfix::textLetters(), 8, 16), "M", "STANDARD", 1));
        // Lines of 79 glyphs (8 + 2 each), 12 pixels apart: 50 lines fill the screen.
        std::string body;
        const char* colors[] = {"<COLOR65535>", "<COLOR255,0,0>", "<COLOR0,255,0>", "<COLOR31>"};
        for (int line = 0; line < kH / 12; ++line) {
            body += colors[line % 4];
            for (int word = 0; word < 10; ++word) {
                body += word ? " " : "";
                body += std::string(7, static_cast<char>('a' + (line + word) % 26));
                glyphs += 7;
            }
            body += "|";
        }
        text.setJustify(CXRect(0, 0, kW, kH), JUSTIFY_LEFT, JUSTIFY_TOP);
        text.setFont(fonts);
        text.setText(CXString(body.c_str()));
        text.SetDestiny(&screen);
    }
};

void BM_MultilineTextRedraw(benchmark::State& state) {
    TextScene s;
    for (auto _ : state) {
        s.text.Redraw();
        benchmark::DoNotOptimize(s.screen.GetDataPtr());
    }
    state.SetItemsProcessed(state.iterations() * s.glyphs);
    state.counters["ns_per_pixel"] = benchmark::Counter(static_cast<double>(state.iterations()) * kW * kH,
                                                        benchmark::Counter::kIsRate | benchmark::Counter::kInvert);
}
BENCHMARK(BM_MultilineTextRedraw);

void BM_AlphaImageRedraw(benchmark::State& state) {
    CGraphicsObject screen(nullptr, CXSize(kW, kH), 16);
    CGraphicsObject image(nullptr, CXSize(kW, kH), 16);
    auto* alpha = new char[static_cast<size_t>(kW) * kH];
    for (int i = 0; i < kW * kH; ++i) alpha[i] = static_cast<char>(i % 3 == 0 ? 0 : (i % 3 == 1 ? 128 : 255));
    image.AlphaChannel(alpha);
    image.GetChannelSize(3) = kW * kH;
    image.SetDestiny(&screen);
    for (auto _ : state) {
        image.Redraw();
        benchmark::DoNotOptimize(screen.GetDataPtr());
    }
    state.SetItemsProcessed(state.iterations() * kW * kH);
}
BENCHMARK(BM_AlphaImageRedraw);

void BM_MemcpyScreen(benchmark::State& state) {
    std::vector<char> src(static_cast<size_t>(kW) * kH * 2, 1);
    std::vector<char> dst(src.size());
    for (auto _ : state) {
        std::memcpy(dst.data(), src.data(), src.size());
        benchmark::DoNotOptimize(dst.data());
    }
    state.SetItemsProcessed(state.iterations() * kW * kH);
}
BENCHMARK(BM_MemcpyScreen);

}  // namespace

BENCHMARK_MAIN();
