// The JOYSTICK script type (2023): one game controller, chosen by PORT, its place from 0
// among the controllers that open, in the joystick layer's enumeration order (default
// 1). Without a controller there it answers from its initial values and raises nothing.
//
// With one it is one of the window's polled input devices: each poll (the poller
// thread, or the tick without one) turns button changes and stick movements into
// queued records, and the tick's signal flush raises them on the host thread as
// "ONBUTTONDOWN^n" / "ONBUTTONDOWN", "ONBUTTONUP^n" / "ONBUTTONUP" and "ONMOVE^axis",
// "ONMOVE^direction" / "ONMOVE", each form only when the one before found no behaviour.
// X is reported once it moves more than 50 from the reported value ("RIGHT" above 5,
// else "LEFT"); Y and Z on the fourth consecutive poll more than 300 away ("DOWN" and
// "IN" above 0, else "UP" and "OUT"), the count kept while they stay away. Reported
// values start at -1.
//
// A failed poll acquires the device again and skips the tick. JOYSTICK has no copy
// (two copies would release one device twice) and no stored form.
#pragma once
#include <atomic>
#include <cstdint>
#include <memory>
#include <vector>

#include "foundation/CXString.h"
#include "script/CMC_Object.h"
#include "shell/CInputPoller.h"

class CMElement;
class CMC_ObjectsContainer;
class CWindow;

namespace platform {
class JoystickDevice;
}

// One queued event of a joystick.
struct CMC_JoystickSignal {
    enum Kind : int32_t { kButtonDown = 1, kButtonUp = 2, kMove = 3 };
    int32_t kind = 0;
    int32_t button = 0;  // button records
    CXString axis;       // move records: "X", "Y" or "Z"
    CXString direction;  // "LEFT", "RIGHT", "UP", "DOWN", "IN" or "OUT"
};

class CMC_Joystick : public CMC_Object, public CInputPoller {
public:
    static constexpr int kType = 2023;
    static constexpr int32_t kDefaultPort = 1;
    // Movement thresholds and the polls Y and Z wait.
    static constexpr int32_t kXThreshold = 50;
    static constexpr int32_t kYZThreshold = 300;
    static constexpr int32_t kYZPolls = 3;
    // Records kept between flushes; later ones are dropped.
    static constexpr size_t kMaxQueued = 1024;

    // Named after the element, with its behaviours and its "PORT".
    CMC_Joystick(CMC_ObjectsContainer* container, CMElement* element);
    // Named "JOYSTICK", without element or behaviours, on the default port.
    explicit CMC_Joystick(CWindow* window);
    ~CMC_Joystick() override;
    CMC_Joystick(const CMC_Joystick&) = delete;
    CMC_Joystick& operator=(const CMC_Joystick&) = delete;

    CXString** getBehavioursList() override;

    int32_t getPort() const { return m_port; }
    platform::JoystickDevice* getDevice() const { return m_device.get(); }
    int32_t getButtonCount() const { return m_buttonCount; }
    // Held at the latest poll; false outside the buttons and without a device.
    bool getButtonState(int button) const;
    // The reported X, Y or Z for 0, 1 or 2; -1 for any other axis.
    int32_t getAxis(int axis) const;
    CWindow* getWindow() const { return m_window; }

    // The poller: one poll, and the delivery of the queued records.
    void tick() override;
    void flushSignals(bool deliver) override;

protected:
    // Disposed of (its scene left): it is polled no more and its records are dropped.
    void onDispose() override;

private:
    void openDevice();
    void leaveWindow();
    void queue(CMC_JoystickSignal signal);
    void queueMove(const char* axis, const char* direction);
    void raise(const CMC_JoystickSignal& signal);

    CWindow* m_window = nullptr;
    std::unique_ptr<platform::JoystickDevice> m_device;
    int32_t m_port = kDefaultPort;
    int32_t m_buttonCount = 0;
    // Written by the poll, read by the script methods on the host thread.
    std::unique_ptr<std::atomic<uint8_t>[]> m_buttonStates;
    std::atomic<int32_t> m_reportedX{-1};
    std::atomic<int32_t> m_reportedY{-1};
    std::atomic<int32_t> m_reportedZ{-1};
    int32_t m_yCount = 0;
    int32_t m_zCount = 0;
    bool m_polled = false;  // registered with the window
    // Guarded by the window's lock while its poller thread runs.
    std::vector<CMC_JoystickSignal> m_signals;
};
