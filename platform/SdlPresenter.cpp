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
    Uint32 flags = SDL_WINDOW_SHOWN;
    if (fullScreen) flags |= SDL_WINDOW_FULLSCREEN_DESKTOP;
    if (borderless) flags |= SDL_WINDOW_BORDERLESS;
    return create(title, width, height, flags);
}

bool SdlPresenter::openMirror(const char* title, int32_t width, int32_t height, bool borderless) {
    Uint32 flags = SDL_WINDOW_HIDDEN | SDL_WINDOW_SKIP_TASKBAR;
    if (borderless) flags |= SDL_WINDOW_BORDERLESS;
    if (!create(title, width, height, flags)) return false;
    m_mirror = true;
    return true;
}

bool SdlPresenter::create(const char* title, int32_t width, int32_t height, uint32_t flags) {
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
            // Another window of ours (a mirror) takes no input and only hides on close;
            // the focus it gets goes back to this window.
            if (e.type == SDL_WINDOWEVENT && e.window.event == SDL_WINDOWEVENT_CLOSE)
                if (SDL_Window* other = SDL_GetWindowFromID(of)) SDL_HideWindow(other);
            if (e.type == SDL_WINDOWEVENT && e.window.event == SDL_WINDOWEVENT_FOCUS_GAINED && m_window) {
                SDL_RaiseWindow(sdlWindow(m_window));
                SDL_SetWindowInputFocus(sdlWindow(m_window));
            }
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

void SdlPresenter::showBeside(const SdlPresenter& other) {
    if (!m_window || !other.m_window) return;
    SDL_Window* mine = sdlWindow(m_window);
    SDL_Window* theirs = sdlWindow(other.m_window);
    // Outer frames: the client areas and their decorations. The mirror, hidden, has none
    // yet; it gets the game's.
    int top = 0, left = 0, bottom = 0, right = 0;
    if (SDL_GetWindowBordersSize(theirs, &top, &left, &bottom, &right) != 0) top = left = bottom = right = 0;
    DesktopRect game;
    SDL_GetWindowPosition(theirs, &game.x, &game.y);
    SDL_GetWindowSize(theirs, &game.width, &game.height);
    game = {game.x - left, game.y - top, game.width + left + right, game.height + top + bottom};
    int width = 0, height = 0;
    SDL_GetWindowSize(mine, &width, &height);
    DesktopRect usable = game;
    SDL_Rect bounds{0, 0, 0, 0};
    const int display = SDL_GetWindowDisplayIndex(theirs);
    if (display >= 0 && SDL_GetDisplayUsableBounds(display, &bounds) == 0) usable = {bounds.x, bounds.y, bounds.w, bounds.h};
    const DesktopRect at = placeMirror(usable, game, width + left + right, height + top + bottom);
    SDL_SetWindowPosition(mine, at.x + left, at.y + top);
    // Shown without taking the focus; the game's window keeps it and stays in front.
    const char* hint = SDL_GetHint(SDL_HINT_WINDOW_NO_ACTIVATION_WHEN_SHOWN);
    const std::string kept = hint ? hint : "";
    SDL_SetHint(SDL_HINT_WINDOW_NO_ACTIVATION_WHEN_SHOWN, "1");
    SDL_ShowWindow(mine);
    SDL_SetHint(SDL_HINT_WINDOW_NO_ACTIVATION_WHEN_SHOWN, hint ? kept.c_str() : nullptr);
    SDL_RaiseWindow(theirs);
    SDL_SetWindowInputFocus(theirs);
}

void SdlPresenter::raise() {
    if (m_window) SDL_RaiseWindow(sdlWindow(m_window));
}

}  // namespace platform
