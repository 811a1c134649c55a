// The SDL host's joysticks: SDL2's joystick API (not the game-controller one, which
// drops unmapped devices and renumbers buttons), device indices in SDL's order, the
// device's own button indices and its axes 0, 1 and 2 as X, Y and Z.
//
// Every SDL call happens on the host thread: open, and update() once a frame, which
// reads the open joysticks into the snapshots that the poller thread's devices read.
// X is SDL's -32768..32767 scaled to -1000..1000 (truncated, clamped); Y and Z are
// shifted to 0..65535; axes the joystick lacks read 0.
#pragma once
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "platform/Joystick.h"

namespace platform {

class SdlJoystickSystem : public JoystickSystem {
public:
    // Starts SDL's joystick subsystem; without it there are no devices (error() says why).
    SdlJoystickSystem();
    ~SdlJoystickSystem() override;

    bool isStarted() const { return m_started; }
    const std::string& error() const { return m_error; }

    int32_t deviceCount() override;
    std::unique_ptr<JoystickDevice> open(int32_t index) override;
    // Reads the open joysticks (after SDL_JoystickUpdate); a detached one fails its
    // devices, and one no device uses any more is closed.
    void update() override;

    // The axis conversions.
    static int32_t axisX(int32_t sdlValue);
    static int32_t axisYZ(int32_t sdlValue);

private:
    struct Opened {
        void* joystick = nullptr;  // SDL_Joystick*
        int32_t instance = -1;
        std::shared_ptr<detail::JoystickSlot> slot;
        bool attached = true;
    };
    void read(Opened& opened);

    bool m_started = false;
    std::string m_error;
    std::vector<Opened> m_open;
};

}  // namespace platform
