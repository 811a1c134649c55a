// The SDL host's input: its events become the input layer's records and states, and
// its window is the one the pointer and the placement act on.
//
// The host's event pump hands every event to sdlInputEvent. Keys go through a table
// from SDL scancodes to the engine's scan codes (keys without one are dropped);
// motion becomes X and Y axis records, merged while they follow each other; the left,
// right and middle buttons become records at offsets 12, 13 and 14; focus changes reach
// the input layer and the joystick layer. The pointer's position and the states of the
// buttons, Shift and Alt follow the events. While the mouse device is off, mouse events
// go to the receiver as messages instead.
#pragma once
#include <cstdint>

#include "platform/Input.h"
#include "platform/WindowPlacement.h"

namespace platform {

// The pointer operations also act on the SDL window (an SDL_Window*).
class SdlInputSystem : public InputSystem {
public:
    explicit SdlInputSystem(WindowHandle window) : m_window(window) {}
    void warpPointer(int32_t x, int32_t y) override;
    void confinePointer(const PointerRect* rect) override;
    void showPointer(bool show) override;
    void setCursor(CursorHandle cursor) override;

private:
    WindowHandle m_window;
};

// Moves the SDL window given as the handle; the usable bounds of its display.
class SdlWindowPlacement : public WindowPlacement {
public:
    void clientOrigin(WindowHandle window, int32_t* x, int32_t* y) override;
    void moveWindow(WindowHandle window, int32_t x, int32_t y, int32_t width, int32_t height) override;
    ScreenBounds usableBounds() override;
    void minimize(WindowHandle window) override;

private:
    WindowHandle m_lastWindow = nullptr;
};

// Translates one SDL event (an SDL_Event*) into input(); true when it was an input
// or focus event.
bool sdlInputEvent(const void* event);
// The engine's scan code of an SDL scancode; 0 for keys without one.
uint32_t scanCodeOfSdl(int sdlScancode);

} // namespace platform
