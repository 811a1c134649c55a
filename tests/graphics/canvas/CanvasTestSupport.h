// A window with a software display for the canvas classes' tests, and small helpers
// that fill and read 16-bit objects.
#pragma once
#include <cstdint>
#include <cstring>
#include <memory>
#include <vector>

#include "graphics/core/CGraphicsObject.h"
#include "graphics/screen/CDirectDrawSurface.h"
#include "graphics/screen/CRefreshScreen.h"
#include "platform/Display.h"
#include "shell/CWindow.h"

namespace canvas_test {

class DisplayWindow : public CWindow {
public:
    explicit DisplayWindow(CXSize size) { m_screenSize = size; }
};

inline void fill(CGraphicsObject& g, uint16_t v) {
    auto* p = reinterpret_cast<uint16_t*>(g.GetDataPtr());
    for (int i = 0; i < g.Width() * g.Height(); ++i) p[i] = v;
}

inline void giveAlpha(CGraphicsObject& g, uint8_t value) {
    const int n = g.Width() * g.Height();
    char* a = new char[static_cast<size_t>(n)];
    std::memset(a, value, static_cast<size_t>(n));
    g.AlphaChannel(a);
    g.GetChannelSize(3) = n;
}

inline uint16_t pixel(CGraphicsObject& g, int x, int y) {
    return reinterpret_cast<uint16_t*>(g.GetDataPtr())[y * g.GetPitch() + x];
}

inline uint8_t alphaAt(CGraphicsObject& g, int x, int y) {
    return static_cast<uint8_t>(g.AlphaChannel()[y * g.Width() + x]);
}

// Records what an observed object passes on.
struct RecordingObserver : CInvalidateObserver {
    void onInvalidate(CGraphicsObject*, CXRect* r) override { rects.push_back(r ? *r : CXRect()); }
    void onDestroy(CGraphicsObject*) override { ++destroyed; }
    std::vector<CXRect> rects;
    int destroyed = 0;
};

struct WindowFixture {
    WindowFixture() : scope(system) {
        window = std::make_unique<DisplayWindow>(CXSize(64, 48));
        window->CreateSurface(nullptr);
    }
    CRefreshScreen& screen() { return *window->GetRefreshScreenInterface(); }
    CDirectDrawSurface& back() { return *window->GetBackBuffer(); }
    bool pass() {
        bool reset = false;
        return screen().Redraw(&back(), window->GetSurface(), &reset);
    }

    platform::SoftwareDisplaySystem system;
    platform::ScopedDisplaySystem scope;
    std::unique_ptr<DisplayWindow> window;
};

}  // namespace canvas_test
