// The joystick layer: the attached game controllers in enumeration order, each opened
// (or failing to open) by its index; an opened device has its buttons, is acquired and
// unacquired, polled, and gives a state of button bytes (0x80 while held) and the X, Y
// and Z axes.
//
// The state is a snapshot that the system publishes: the SDL system (SdlJoystick.h) reads
// its joysticks on the host thread in update(); the scripted system takes the states a
// test sets. Devices read the snapshot under the system's lock, from any thread (the
// window's poller thread). A device keeps the state it reads alive by shared ownership,
// so a device that outlives its system only fails its reads.
//
// Acquiring fails without the window's focus, and losing the focus unacquires every open
// device (a foreground device); polls and reads fail while a device is not acquired or
// after its controller was detached.
//
// ScriptedJoystickSystem is the test and headless implementation (no controllers unless
// a test adds them); the process-wide system is one without controllers until another
// is installed.
#pragma once
#include <cstdint>
#include <memory>
#include <mutex>
#include <vector>

namespace platform {

constexpr int32_t kJoystickOk = 0;
// Polls and reads of a device that is not acquired, or while the window has no focus.
constexpr int32_t kJoystickNotAcquired = static_cast<int32_t>(0x8007000Cu);
// Acquiring without the window's focus.
constexpr int32_t kJoystickNoFocus = static_cast<int32_t>(0x80070005u);
// The controller was detached; the device stays unacquired.
constexpr int32_t kJoystickDetached = static_cast<int32_t>(0x80040209u);
// The device lost its input (a scripted failure); it is unacquired.
constexpr int32_t kJoystickInputLost = static_cast<int32_t>(0x8007001Eu);
// A failed state read (a scripted failure).
constexpr int32_t kJoystickFailed = static_cast<int32_t>(0x80004005u);

constexpr int32_t kJoystickMaxButtons = 128;
constexpr uint8_t kJoystickPressed = 0x80;

struct JoystickState {
    // X from -1000 to 1000; Y and Z from 0 to 65535 on the SDL system. Missing axes read 0.
    int32_t x = 0;
    int32_t y = 0;
    int32_t z = 0;
    // kJoystickPressed while held; only the device's button count are meaningful.
    uint8_t buttons[kJoystickMaxButtons] = {};
};

class JoystickSystem;

namespace detail {
struct JoystickHub;
struct JoystickSlot;
}  // namespace detail

// One opened controller. Destroying it unacquires and releases it.
class JoystickDevice {
public:
    ~JoystickDevice();
    JoystickDevice(const JoystickDevice&) = delete;
    JoystickDevice& operator=(const JoystickDevice&) = delete;

    int32_t buttonCount() const { return m_buttons; }
    // kJoystickOk; kJoystickNoFocus without focus; kJoystickDetached once detached.
    int32_t acquire();
    int32_t unacquire();
    bool isAcquired() const;
    // kJoystickOk, or the failure of a device that is not acquired, detached or that
    // lost its input (it is unacquired then).
    int32_t poll();
    // Copies the latest snapshot; fails as poll does, or with a scripted failure.
    int32_t getState(JoystickState* out);

private:
    friend class JoystickSystem;
    JoystickDevice(std::shared_ptr<detail::JoystickHub> hub, std::shared_ptr<detail::JoystickSlot> slot);

    std::shared_ptr<detail::JoystickHub> m_hub;
    std::shared_ptr<detail::JoystickSlot> m_slot;
    int32_t m_buttons = 0;
    bool m_acquired = false;  // guarded by the hub's lock
};

// The base of the systems: the lock, the focus and the published snapshots.
class JoystickSystem {
public:
    JoystickSystem();
    virtual ~JoystickSystem();
    JoystickSystem(const JoystickSystem&) = delete;
    JoystickSystem& operator=(const JoystickSystem&) = delete;

    // The controllers attached now, in enumeration order.
    virtual int32_t deviceCount() = 0;
    // Opens the controller at that index; null when it does not open.
    virtual std::unique_ptr<JoystickDevice> open(int32_t index) = 0;
    // Host thread, once a frame: reads the controllers into the snapshots.
    virtual void update() {}

    // The window's focus; losing it unacquires every open device.
    void setFocus(bool focus);
    bool hasFocus() const;

protected:
    // A new snapshot for a controller of that many buttons (capped at kJoystickMaxButtons).
    std::shared_ptr<detail::JoystickSlot> makeSlot(int32_t buttons);
    // A device reading the slot.
    std::unique_ptr<JoystickDevice> makeDevice(const std::shared_ptr<detail::JoystickSlot>& slot);
    // Publishes a state, under the lock.
    void publish(detail::JoystickSlot& slot, const JoystickState& state);
    // The controller went away: its devices are unacquired and fail from now on.
    void detachSlot(detail::JoystickSlot& slot);
    // Devices reading the slot now.
    int32_t deviceUsers(const detail::JoystickSlot& slot) const;
    // The lock every slot field is read and written under.
    std::unique_lock<std::mutex> lockSlots() const;

private:
    std::shared_ptr<detail::JoystickHub> m_hub;
};

// Scripted controllers for tests and the headless host.
class ScriptedJoystickSystem : public JoystickSystem {
public:
    ScriptedJoystickSystem();
    ~ScriptedJoystickSystem() override;

    int32_t deviceCount() override;
    std::unique_ptr<JoystickDevice> open(int32_t index) override;

    // Attaches a controller at the end of the enumeration; it fails to open when `opens`
    // is false. Its id, for the calls below (ids stay when others are detached).
    int32_t attach(int32_t buttons, bool opens = true);
    // Detaches it: it leaves the enumeration and its devices fail.
    void detach(int32_t id);
    void setState(int32_t id, const JoystickState& state);
    // The next n polls answer kJoystickInputLost; the next n state reads kJoystickFailed.
    void failPolls(int32_t id, int32_t n);
    void failStateReads(int32_t id, int32_t n);
    // Calls made on its devices so far, and its devices open now.
    int32_t acquireCalls(int32_t id) const;
    int32_t pollCalls(int32_t id) const;
    int32_t openDevices(int32_t id) const;

private:
    struct Controller {
        std::shared_ptr<detail::JoystickSlot> slot;
        bool opens = true;
        bool attached = true;
    };
    const Controller* find(int32_t id) const;
    std::vector<Controller> m_controllers;
};

// The system in force: one without controllers unless another was installed.
JoystickSystem& joystickSystem();
// Installs a system (not owned); null restores the default one.
void setJoystickSystem(JoystickSystem* system);

class ScopedJoystickSystem {
public:
    explicit ScopedJoystickSystem(JoystickSystem& s) : m_prev(&joystickSystem()) { setJoystickSystem(&s); }
    ~ScopedJoystickSystem() { setJoystickSystem(m_prev); }
    ScopedJoystickSystem(const ScopedJoystickSystem&) = delete;
    ScopedJoystickSystem& operator=(const ScopedJoystickSystem&) = delete;

private:
    JoystickSystem* m_prev;
};

}  // namespace platform
