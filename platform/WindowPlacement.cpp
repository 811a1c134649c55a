#include "platform/WindowPlacement.h"

namespace platform {

void WindowPlacement::clientOrigin(WindowHandle, int32_t* x, int32_t* y) {
    if (x) *x = originX;
    if (y) *y = originY;
}

void WindowPlacement::moveWindow(WindowHandle, int32_t x, int32_t y, int32_t width, int32_t height) {
    originX = x;
    originY = y;
    clientWidth = width;
    clientHeight = height;
    ++moves;
}

ScreenBounds WindowPlacement::usableBounds() { return bounds; }

void WindowPlacement::minimize(WindowHandle) { ++minimizes; }

namespace {

WindowPlacement* g_placement = nullptr;

WindowPlacement& defaultPlacement() {
    static WindowPlacement placement;
    return placement;
}

} // namespace

WindowPlacement& windowPlacement() { return g_placement ? *g_placement : defaultPlacement(); }

void setWindowPlacement(WindowPlacement* placement) { g_placement = placement; }

} // namespace platform
