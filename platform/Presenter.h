// Presenters show what the display's primary surface holds: on a screen through SDL2,
// or, headless, by keeping it for PNG files. Frames are read in any of the display's
// formats (5-5-5, 5-6-5, 32-bit) and turned into 8-bit red, green and blue.
#pragma once
#include <cstdint>
#include <string>
#include <vector>

#include "platform/Display.h"
#include "platform/Handles.h"

namespace platform {

// A picture as rows of 8-bit red, green, blue, top row first.
struct RgbFrame {
    int32_t width = 0;
    int32_t height = 0;
    std::vector<uint8_t> rgb;
};

// Reads the surface's pixels; false when it cannot be read (lost, or a format without masks).
bool readFrame(IDisplaySurface* surface, RgbFrame& out);
// 64-bit FNV-1a over the surface's memory, row by row; 0 when it cannot be read.
uint64_t hashSurface(IDisplaySurface* surface);
// Frames as PNG files through the PNG layer (Png.h): 8-bit RGB, no time stamp, so equal
// frames give equal files. Native paths. A failed write leaves the old file and gives
// the reason in `error`.
bool writePng(const std::string& path, const RgbFrame& frame, std::string* error = nullptr);
bool readPng(const std::string& path, RgbFrame& out);

class IPresenter {
public:
    virtual ~IPresenter() = default;
    // Shows the primary surface's frame; false when it could not be shown.
    virtual bool present(IDisplaySurface* primary) = 0;
};

// Without a screen: counts the frames and writes a frame as PNG on request.
class HeadlessPresenter : public IPresenter {
public:
    bool present(IDisplaySurface* primary) override;
    int32_t framesPresented() const { return m_frames; }
    // Writes the surface's current frame to the path; false, with the file and the
    // reason in `error`, when that fails.
    static bool dump(IDisplaySurface* primary, const std::string& path, std::string* error = nullptr);

private:
    int32_t m_frames = 0;
};

// What happened to the screen window since the last pump.
struct PresenterEvents {
    bool close = false;
    // Focus changes in order: true gained, false lost.
    std::vector<bool> focus;
    // The window's new positions, in order.
    std::vector<std::pair<int32_t, int32_t>> moves;
};

// A rectangle of the desktop: its top-left corner and size.
struct DesktopRect {
    int32_t x = 0;
    int32_t y = 0;
    int32_t width = 0;
    int32_t height = 0;
};

// Where a mirror window of the size goes beside the game's window (outer frames, in
// the display's usable area): to its right when there is room, else to its left, else
// overlapping it at the usable area's right edge; always as far inside the area as
// its size allows. Gives the top-left corner.
DesktopRect placeMirror(const DesktopRect& usable, const DesktopRect& game, int32_t width, int32_t height);

// A window through SDL2: windowed at the frame's size, or full screen on the desktop
// with the frame scaled to fit (its proportions kept).
class SdlPresenter : public IPresenter {
public:
    SdlPresenter() = default;
    ~SdlPresenter() override;
    SdlPresenter(const SdlPresenter&) = delete;
    SdlPresenter& operator=(const SdlPresenter&) = delete;

    // Opens the window (title in Windows-1250); false with a message in error() when
    // there is no video device.
    bool open(const char* title, int32_t width, int32_t height, bool fullScreen, bool borderless);
    // Opens a window that only shows frames: hidden until showBeside places it, kept
    // off the task bar, and never holding the input focus (the pump of the game's
    // window hands it back).
    bool openMirror(const char* title, int32_t width, int32_t height, bool borderless);
    const std::string& error() const { return m_error; }
    // The window's handle for the engine.
    WindowHandle window() const { return m_window; }

    bool present(IDisplaySurface* primary) override;
    // Takes every pending event of the process: those of this window (and those of no
    // window) go to the input layer and into `out`; another window's are dropped, and a
    // close asked of another window hides it.
    void pumpEvents(PresenterEvents& out);
    // Places this window beside the other one on the other's display (placeMirror),
    // shows it without activating it and gives the focus back to the other.
    void showBeside(const SdlPresenter& other);
    // Brings the window to the front with the input focus.
    void raise();

private:
    void close();
    bool create(const char* title, int32_t width, int32_t height, uint32_t flags);

    void* m_window = nullptr;    // SDL_Window
    void* m_renderer = nullptr;  // SDL_Renderer
    void* m_texture = nullptr;   // SDL_Texture
    uint32_t m_textureFormat = 0;
    int32_t m_textureWidth = 0;
    int32_t m_textureHeight = 0;
    bool m_videoStarted = false;
    bool m_mirror = false;
    std::string m_error;
};

}  // namespace platform
