#include "platform/SdlJoystick.h"

#include <SDL.h>

#include <algorithm>

namespace platform {

namespace {

SDL_Joystick* sdlJoystick(void* p) { return static_cast<SDL_Joystick*>(p); }

}  // namespace

SdlJoystickSystem::SdlJoystickSystem() {
    if (SDL_InitSubSystem(SDL_INIT_JOYSTICK) != 0) {
        m_error = SDL_GetError();
        return;
    }
    m_started = true;
}

SdlJoystickSystem::~SdlJoystickSystem() {
    for (Opened& o : m_open) {
        if (o.attached) detachSlot(*o.slot);
        SDL_JoystickClose(sdlJoystick(o.joystick));
    }
    m_open.clear();
    if (m_started) SDL_QuitSubSystem(SDL_INIT_JOYSTICK);
}

int32_t SdlJoystickSystem::axisX(int32_t sdlValue) {
    const int64_t scaled = static_cast<int64_t>(sdlValue) * 1000 / 32767;
    return static_cast<int32_t>(std::clamp<int64_t>(scaled, -1000, 1000));
}

int32_t SdlJoystickSystem::axisYZ(int32_t sdlValue) { return sdlValue + 32768; }

int32_t SdlJoystickSystem::deviceCount() {
    if (!m_started) return 0;
    const int count = SDL_NumJoysticks();
    return count > 0 ? count : 0;
}

std::unique_ptr<JoystickDevice> SdlJoystickSystem::open(int32_t index) {
    if (!m_started || index < 0 || index >= deviceCount()) return nullptr;
    SDL_Joystick* joystick = SDL_JoystickOpen(index);
    if (!joystick) return nullptr;
    const SDL_JoystickID instance = SDL_JoystickInstanceID(joystick);
    // SDL counts opens of one joystick; each kept joystick holds one.
    for (Opened& o : m_open) {
        if (o.instance == instance && o.attached) {
            SDL_JoystickClose(joystick);
            return makeDevice(o.slot);
        }
    }
    const int buttons = SDL_JoystickNumButtons(joystick);
    Opened opened;
    opened.joystick = joystick;
    opened.instance = instance;
    opened.slot = makeSlot(buttons > 0 ? buttons : 0);
    read(opened);
    m_open.push_back(opened);
    return makeDevice(opened.slot);
}

void SdlJoystickSystem::read(Opened& opened) {
    SDL_Joystick* joystick = sdlJoystick(opened.joystick);
    JoystickState state;
    const int axes = SDL_JoystickNumAxes(joystick);
    if (axes > 0) state.x = axisX(SDL_JoystickGetAxis(joystick, 0));
    if (axes > 1) state.y = axisYZ(SDL_JoystickGetAxis(joystick, 1));
    if (axes > 2) state.z = axisYZ(SDL_JoystickGetAxis(joystick, 2));
    const int buttons = std::min(SDL_JoystickNumButtons(joystick), kJoystickMaxButtons);
    for (int i = 0; i < buttons; ++i) state.buttons[i] = SDL_JoystickGetButton(joystick, i) ? kJoystickPressed : 0;
    publish(*opened.slot, state);
}

void SdlJoystickSystem::update() {
    if (!m_started) return;
    SDL_JoystickUpdate();
    for (auto it = m_open.begin(); it != m_open.end();) {
        if (deviceUsers(*it->slot) == 0) {
            SDL_JoystickClose(sdlJoystick(it->joystick));
            it = m_open.erase(it);
            continue;
        }
        if (it->attached && !SDL_JoystickGetAttached(sdlJoystick(it->joystick))) {
            it->attached = false;
            detachSlot(*it->slot);
        }
        if (it->attached) read(*it);
        ++it;
    }
}

}  // namespace platform
