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
    const std::string& error() const { return m_error; }
    // The window's handle for the engine.
    WindowHandle window() const { return m_window; }

    bool present(IDisplaySurface* primary) override;
    // Takes every pending event of the process: those of this window (and those of no
    // window) go to the input layer and into `out`; another window's are dropped, and a
    // close asked of another window hides it.
    void pumpEvents(PresenterEvents& out);
    // Places this window to the right of the other one, tops aligned.
    void placeBeside(const SdlPresenter& other);
    // Brings the window to the front with the input focus.
    void raise();

private:
    void close();

    void* m_window = nullptr;    // SDL_Window
    void* m_renderer = nullptr;  // SDL_Renderer
    void* m_texture = nullptr;   // SDL_Texture
    uint32_t m_textureFormat = 0;
    int32_t m_textureWidth = 0;
    int32_t m_textureHeight = 0;
    bool m_videoStarted = false;
    std::string m_error;
};

}  // namespace platform
