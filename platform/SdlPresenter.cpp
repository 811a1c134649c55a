#include <SDL.h>

#include <cstdlib>
#include <cstring>

#include "platform/Presenter.h"
#include "platform/SdlInput.h"
#include "platform/Text1250.h"

namespace platform {

namespace {

SDL_Window* sdlWindow(void* p) { return static_cast<SDL_Window*>(p); }
SDL_Renderer* sdlRenderer(void* p) { return static_cast<SDL_Renderer*>(p); }
SDL_Texture* sdlTexture(void* p) { return static_cast<SDL_Texture*>(p); }

// The window an event belongs to; 0 for events of no window.
Uint32 windowOfEvent(const SDL_Event& e) {
    switch (e.type) {
    case SDL_WINDOWEVENT: return e.window.windowID;
    case SDL_KEYDOWN:
    case SDL_KEYUP: return e.key.windowID;
    case SDL_TEXTINPUT: return e.text.windowID;
    case SDL_TEXTEDITING: return e.edit.windowID;
    case SDL_MOUSEMOTION: return e.motion.windowID;
    case SDL_MOUSEBUTTONDOWN:
    case SDL_MOUSEBUTTONUP: return e.button.windowID;
    case SDL_MOUSEWHEEL: return e.wheel.windowID;
    default: return 0;
    }
}

}  // namespace

SdlPresenter::~SdlPresenter() { close(); }

void SdlPresenter::close() {
    if (m_texture) SDL_DestroyTexture(sdlTexture(m_texture));
    if (m_renderer) SDL_DestroyRenderer(sdlRenderer(m_renderer));
    if (m_window) SDL_DestroyWindow(sdlWindow(m_window));
    m_texture = m_renderer = m_window = nullptr;
    if (m_videoStarted) SDL_QuitSubSystem(SDL_INIT_VIDEO);
    m_videoStarted = false;
}

bool SdlPresenter::open(const char* title, int32_t width, int32_t height, bool fullScreen, bool borderless) {
    close();
    if (SDL_InitSubSystem(SDL_INIT_VIDEO) != 0) {
        m_error = SDL_GetError();
        return false;
    }
    m_videoStarted = true;
    // Without a display SDL falls back to a driver that shows nothing; a window there
    // only when asked for by name (SDL_VIDEODRIVER), never by chance.
    const char* driver = SDL_GetCurrentVideoDriver();
    const char* chosen = std::getenv("SDL_VIDEODRIVER");
    if (driver && (!std::strcmp(driver, "offscreen") || !std::strcmp(driver, "dummy")) && !(chosen && *chosen)) {
        m_error = "no display available (DISPLAY and WAYLAND_DISPLAY are not set or not reachable)";
        close();
        return false;
    }
    Uint32 flags = SDL_WINDOW_SHOWN;
    if (fullScreen) flags |= SDL_WINDOW_FULLSCREEN_DESKTOP;
    if (borderless) flags |= SDL_WINDOW_BORDERLESS;
    const std::string caption = windows1250ToUtf8(title ? title : "");
    SDL_Window* window = SDL_CreateWindow(caption.c_str(), SDL_WINDOWPOS_CENTERED, SDL_WINDOWPOS_CENTERED, width,
                                          height, flags);
    if (!window) {
        m_error = SDL_GetError();
        close();
        return false;
    }
    m_window = window;
    SDL_Renderer* renderer = SDL_CreateRenderer(window, -1, SDL_RENDERER_PRESENTVSYNC);
    if (!renderer) renderer = SDL_CreateRenderer(window, -1, SDL_RENDERER_SOFTWARE);
    if (!renderer) {
        m_error = SDL_GetError();
        close();
        return false;
    }
    m_renderer = renderer;
    // Full screen: the frame keeps its size and is scaled to the desktop, letterboxed.
    SDL_RenderSetLogicalSize(renderer, width, height);
    return true;
}

bool SdlPresenter::present(IDisplaySurface* primary) {
    if (!m_renderer || !primary) return false;
    PixelFormat format;
    SurfaceMemory memory;
    if (primary->getPixelFormat(&format) != kDisplayOk || primary->lock(&memory) != kDisplayOk) return false;
    primary->unlock();
    const Uint32 sdlFormat =
        SDL_MasksToPixelFormatEnum(format.bitCount, format.redMask, format.greenMask, format.blueMask, 0);
    if (sdlFormat == SDL_PIXELFORMAT_UNKNOWN) return false;
    if (!m_texture || sdlFormat != m_textureFormat || memory.width != m_textureWidth ||
        memory.height != m_textureHeight) {
        if (m_texture) SDL_DestroyTexture(sdlTexture(m_texture));
        m_texture = SDL_CreateTexture(sdlRenderer(m_renderer), sdlFormat, SDL_TEXTUREACCESS_STREAMING, memory.width,
                                      memory.height);
        if (!m_texture) return false;
        m_textureFormat = sdlFormat;
        m_textureWidth = memory.width;
        m_textureHeight = memory.height;
    }
    if (SDL_UpdateTexture(sdlTexture(m_texture), nullptr, memory.bits, memory.pitch) != 0) return false;
    SDL_RenderClear(sdlRenderer(m_renderer));
    SDL_RenderCopy(sdlRenderer(m_renderer), sdlTexture(m_texture), nullptr, nullptr);
    SDL_RenderPresent(sdlRenderer(m_renderer));
    return true;
}

void SdlPresenter::pumpEvents(PresenterEvents& out) {
    if (!m_videoStarted) return;
    const Uint32 own = m_window ? SDL_GetWindowID(sdlWindow(m_window)) : 0;
    SDL_Event e;
    while (SDL_PollEvent(&e)) {
        const Uint32 of = windowOfEvent(e);
        if (of != 0 && of != own) {
            // Another window of ours (a mirror) takes no input and only hides on close.
            if (e.type == SDL_WINDOWEVENT && e.window.event == SDL_WINDOWEVENT_CLOSE)
                if (SDL_Window* other = SDL_GetWindowFromID(of)) SDL_HideWindow(other);
            continue;
        }
        sdlInputEvent(&e);
        if (e.type == SDL_QUIT) {
            out.close = true;
        } else if (e.type == SDL_WINDOWEVENT && m_window && e.window.windowID == own) {
            switch (e.window.event) {
            case SDL_WINDOWEVENT_CLOSE: out.close = true; break;
            case SDL_WINDOWEVENT_FOCUS_GAINED: out.focus.push_back(true); break;
            case SDL_WINDOWEVENT_FOCUS_LOST: out.focus.push_back(false); break;
            case SDL_WINDOWEVENT_MOVED: out.moves.emplace_back(e.window.data1, e.window.data2); break;
            default: break;
            }
        }
    }
}

void SdlPresenter::placeBeside(const SdlPresenter& other) {
    if (!m_window || !other.m_window) return;
    int x = 0, y = 0, width = 0, height = 0;
    SDL_GetWindowPosition(sdlWindow(other.m_window), &x, &y);
    SDL_GetWindowSize(sdlWindow(other.m_window), &width, &height);
    SDL_SetWindowPosition(sdlWindow(m_window), x + width, y);
}

void SdlPresenter::raise() {
    if (m_window) SDL_RaiseWindow(sdlWindow(m_window));
}

}  // namespace platform
