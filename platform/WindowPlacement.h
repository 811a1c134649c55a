// Where the host window stands on the screen, for the engine's window dragging: the
// client area's origin in screen coordinates, moving the window, and the display's
// usable bounds (the screen without the desktop's panels).
//
// WindowPlacement itself keeps the values it is given and counts the moves (tests,
// headless host); the SDL host's version (SdlInput.h) moves its real window.
#pragma once
#include <cstdint>

#include "platform/Handles.h"

namespace platform {

struct ScreenBounds {
    int32_t x = 0;
    int32_t y = 0;
    int32_t width = 0;
    int32_t height = 0;
};

class WindowPlacement {
public:
    virtual ~WindowPlacement() = default;
    // The client area's top-left corner in screen coordinates.
    virtual void clientOrigin(WindowHandle window, int32_t* x, int32_t* y);
    // Places the window's client area at (x, y) in screen coordinates with that size.
    virtual void moveWindow(WindowHandle window, int32_t x, int32_t y, int32_t width, int32_t height);
    virtual ScreenBounds usableBounds();
    // Minimises the window (counted here).
    virtual void minimize(WindowHandle window);

    int32_t originX = 0;
    int32_t originY = 0;
    int32_t clientWidth = 0;
    int32_t clientHeight = 0;
    ScreenBounds bounds{0, 0, 1024, 768};
    int moves = 0;
    int minimizes = 0;
};

// The placement in force; a process-wide WindowPlacement unless another is installed.
WindowPlacement& windowPlacement();
// Installs one (not owned); null restores the default.
void setWindowPlacement(WindowPlacement* placement);

class ScopedWindowPlacement {
public:
    explicit ScopedWindowPlacement(WindowPlacement& p) : m_prev(&windowPlacement()) { setWindowPlacement(&p); }
    ~ScopedWindowPlacement() { setWindowPlacement(m_prev); }
    ScopedWindowPlacement(const ScopedWindowPlacement&) = delete;
    ScopedWindowPlacement& operator=(const ScopedWindowPlacement&) = delete;

private:
    WindowPlacement* m_prev;
};

} // namespace platform
