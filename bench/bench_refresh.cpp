// A busy frame composed headless through the refresh screen: an 800 x 600 16-bit windowed
// display over an image background, 100 graphics objects of 64 x 64 (a third opaque, a
// third with an alpha plane of transparent, opaque and partial runs, a third with an alpha
// plane at half opacity), every one moved each frame. One frame is the window's redraw:
// the pass over the dirty region into the back buffer and the copy of the dirty
// rectangles to the screen. Beside it, one memcpy of the whole back buffer.
#include <benchmark/benchmark.h>

#include <cstring>
#include <memory>
#include <random>
#include <vector>

#include "graphics/core/CGraphicsObject.h"
#include "graphics/screen/CDirectDrawSurface.h"
#include "graphics/screen/CRefreshScreen.h"
#include "platform/Display.h"
#include "shell/CWindow.h"

namespace {

constexpr int kWidth = 800;
constexpr int kHeight = 600;
constexpr int kObjects = 100;
constexpr int kSide = 64;

class SceneWindow : public CWindow {
public:
    SceneWindow() {
        m_screenSize = CXSize(kWidth, kHeight);
        CreateSurface(nullptr);
        OnActivateApp(true);
    }
};

struct Scene {
    Scene() : rng(7) {
        auto* bg = reinterpret_cast<uint16_t*>(background.GetDataPtr());
        for (int i = 0; i < kWidth * kHeight; ++i) bg[i] = static_cast<uint16_t>(i * 2654435761u >> 11);
        window.SetBackground(&background);
        CRefreshScreen* screen = window.GetRefreshScreenInterface();
        for (int i = 0; i < kObjects; ++i) {
            auto g = std::make_unique<CGraphicsObject>(&window, CXSize(kSide, kSide), 16);
            auto* p = reinterpret_cast<uint16_t*>(g->GetDataPtr());
            for (int k = 0; k < kSide * kSide; ++k) p[k] = static_cast<uint16_t>(rng());
            if (i % 3 != 0) {
                char* alpha = new char[kSide * kSide];
                for (int k = 0; k < kSide * kSide; ++k) {
                    switch ((k / 8) % 3) {
                    case 0: alpha[k] = 0; break;
                    case 1: alpha[k] = static_cast<char>(255); break;
                    default: alpha[k] = static_cast<char>(1 + (k * 37) % 254); break;
                    }
                }
                g->AlphaChannel(alpha);
                g->GetChannelSize(3) = kSide * kSide;
                if (i % 3 == 2) g->SetOpacity(128);
            }
            g->SetPosition(static_cast<int>(rng() % (kWidth - kSide)), static_cast<int>(rng() % (kHeight - kSide)));
            velocity.push_back(CXPoint(static_cast<int>(rng() % 7) - 3, static_cast<int>(rng() % 7) - 3));
            screen->put(g.get(), i % 4);
            objects.push_back(std::move(g));
        }
        window.Redraw(true);
    }

    void step() {
        for (size_t i = 0; i < objects.size(); ++i) {
            CGraphicsObject& g = *objects[i];
            CXPoint& v = velocity[i];
            const CXPoint p = g.GetPosition();
            if (p.x + v.x < 0 || p.x + v.x > kWidth - kSide) v.x = -v.x;
            if (p.y + v.y < 0 || p.y + v.y > kHeight - kSide) v.y = -v.y;
            if (v.x == 0 && v.y == 0) v.x = 1;
            g.Move(v.x, v.y);
        }
        window.Redraw(false);
    }

    platform::SoftwareDisplaySystem system;
    platform::ScopedDisplaySystem scope{system};
    SceneWindow window;
    CGraphicsObject background{&window, CXSize(kWidth, kHeight), 16};
    std::mt19937 rng;
    std::vector<std::unique_ptr<CGraphicsObject>> objects;
    std::vector<CXPoint> velocity;
};

void BM_BusyFrame(benchmark::State& state) {
    Scene scene;
    for (auto _ : state) scene.step();
    benchmark::DoNotOptimize(scene.window.GetBackBuffer()->GetDataPtr());
    state.counters["frames_per_s"] = benchmark::Counter(static_cast<double>(state.iterations()),
                                                        benchmark::Counter::kIsRate);
}
BENCHMARK(BM_BusyFrame)->Unit(benchmark::kMicrosecond);

void BM_FullScreenMemcpy(benchmark::State& state) {
    Scene scene;
    const size_t bytes = size_t(kWidth) * kHeight * 2;
    const char* from = scene.window.GetBackBuffer()->GetDataPtr();
    std::vector<char> to(bytes);
    for (auto _ : state) {
        std::memcpy(to.data(), from, bytes);
        benchmark::ClobberMemory();
    }
}
BENCHMARK(BM_FullScreenMemcpy)->Unit(benchmark::kMicrosecond);

}  // namespace

BENCHMARK_MAIN();
