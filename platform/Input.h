// The input layer: a mouse and a keyboard device with buffered queues of records, the
// pointer (client position, warp, confinement, visibility, shape), the states of the
// mouse buttons, Shift and Alt, and the window's focus.
//
// A device record is an offset and a data word, as the engine's devices read them:
// keyboard offsets are scan codes (data bit 0x80 while pressed); mouse offsets are 0
// and 4 for the X and Y axes (data the relative motion) and 12, 13, 14 for the left,
// right and middle buttons (data bit 0x80 while pressed). A device buffers a fixed
// number of records; a full buffer drops what comes (motion merges first, below).
//
// Reads fail while the device is not acquired and acquiring fails while the window has
// no focus, both with codes other than kInputLost, so the engine's re-acquire loops end.
// kInputLost is answered only after loseInput (the test hook standing for a device that
// was taken away).
//
// InputSystem itself is the implementation for tests and the headless host: tests push
// records and set states; the pointer operations only store what they are told. The
// host's SDL implementation (SdlInput.h) fills the same queues from its events and
// also moves the system pointer.
#pragma once
#include <atomic>
#include <cstdint>
#include <deque>
#include <functional>
#include <mutex>

#include "platform/Handles.h"

namespace platform {

constexpr int32_t kInputOk = 0;
constexpr int32_t kInputLost = static_cast<int32_t>(0x8007001Eu);
constexpr int32_t kInputNotAcquired = static_cast<int32_t>(0x8007000Cu);
constexpr int32_t kInputOtherAppHasPriority = static_cast<int32_t>(0x80070005u);

constexpr uint32_t kMouseBufferSize = 16;
constexpr uint32_t kKeyboardBufferSize = 1024;

// Mouse record offsets.
constexpr uint32_t kMouseX = 0;
constexpr uint32_t kMouseY = 4;
constexpr uint32_t kMouseLeft = 12;
constexpr uint32_t kMouseRight = 13;
constexpr uint32_t kMouseMiddle = 14;
constexpr uint32_t kPressed = 0x80;

struct InputRecord {
    uint32_t offset = 0;
    uint32_t data = 0;
};

// A pointer rectangle, client coordinates, right and bottom exclusive.
struct PointerRect {
    int32_t left = 0;
    int32_t top = 0;
    int32_t right = 0;
    int32_t bottom = 0;
};

class InputSystem;

// One buffered device. Thread-safe: the host thread pushes, the poller thread reads.
class InputDevice {
public:
    InputDevice(InputSystem& system, uint32_t capacity) : m_system(system), m_capacity(capacity) {}
    InputDevice(const InputDevice&) = delete;
    InputDevice& operator=(const InputDevice&) = delete;

    // kInputOk, kInputOtherAppHasPriority without focus, or kInputLost while a failure
    // set by failAcquire lasts.
    int32_t acquire();
    int32_t unacquire();
    bool isAcquired() const;
    // Moves up to *count records (oldest first) into out and sets *count to the number
    // moved. Fails (count 0) with kInputLost after loseInput, with kInputNotAcquired
    // while not acquired or without focus.
    int32_t read(InputRecord* out, uint32_t* count);

    // Producers. Records arriving while the device is not acquired are dropped, as are
    // records beyond the buffer's size.
    void push(uint32_t offset, uint32_t data);
    // Relative motion on one axis: added to a record of that axis among the records at
    // the end of the buffer that are all motion, else appended; so moves never take
    // the place of a button.
    void pushMotion(uint32_t axis, int32_t delta);
    uint32_t pending() const;
    uint32_t capacity() const { return m_capacity; }

    // Test hooks: the device loses its input (unacquired; the next read answers
    // kInputLost), and the next n acquisitions answer kInputLost.
    void loseInput();
    void failAcquire(int n);
    // Acquisitions asked for so far.
    int acquireCalls() const;

private:
    InputSystem& m_system;
    const uint32_t m_capacity;
    mutable std::mutex m_mutex;
    std::deque<InputRecord> m_records;
    bool m_acquired = false;
    bool m_lost = false;
    int m_failAcquire = 0;
    int m_acquireCalls = 0;
};

// A mouse message for the window's handlers while the mouse device is off.
enum class MouseMessage { Move, LeftDown, LeftUp, LeftDoubleClick, MiddleDown, MiddleUp, RightDown, RightUp };

class InputSystem {
public:
    InputSystem();
    virtual ~InputSystem() = default;
    InputSystem(const InputSystem&) = delete;
    InputSystem& operator=(const InputSystem&) = delete;

    InputDevice& mouse() { return m_mouse; }
    InputDevice& keyboard() { return m_keyboard; }

    // Focus of the window; losing it unacquires both devices.
    virtual void setFocus(bool focus);
    bool hasFocus() const { return m_focus; }

    // The pointer in client coordinates. warpPointer places it; confinePointer keeps it
    // in a rectangle (null frees it).
    // setPointerPosition records where the pointer is (the host, tests);
    // warpPointer is the engine's request to put it there. While confined the pointer
    // stays inside the rectangle (on its edge when the rectangle has no width or height).
    void setPointerPosition(int32_t x, int32_t y);
    void pointerPosition(int32_t* x, int32_t* y) const;
    virtual void warpPointer(int32_t x, int32_t y);
    virtual void confinePointer(const PointerRect* rect);
    bool isConfined() const { return m_confined; }
    PointerRect confinement() const { return m_confinement; }
    // Showing and hiding the pointer; shape by cursor handle.
    virtual void showPointer(bool show);
    bool isPointerShown() const { return m_pointerShown; }
    virtual void setCursor(CursorHandle cursor);
    CursorHandle cursor() const { return m_cursor; }

    // States: buttons 0 left, 1 middle, 2 right; Shift and Alt.
    void setButton(int button, bool down);
    bool isButtonDown(int button) const;
    void setShift(bool down) { m_shift = down; }
    void setAlt(bool down) { m_alt = down; }
    bool isShiftDown() const { return m_shift; }
    bool isAltDown() const { return m_alt; }

    // Where mouse messages go while the mouse device is off; forwardMouse delivers one
    // when the mouse device is not acquired and answers whether it did.
    using MouseReceiver = std::function<void(MouseMessage message, int32_t x, int32_t y)>;
    void setMouseReceiver(MouseReceiver receiver) { m_receiver = std::move(receiver); }
    bool forwardMouse(MouseMessage message, int32_t x, int32_t y);

private:
    InputDevice m_mouse;
    InputDevice m_keyboard;
    std::atomic<bool> m_focus{true};
    mutable std::mutex m_pointerMutex;
    int32_t m_x = 0;
    int32_t m_y = 0;
    bool m_confined = false;
    PointerRect m_confinement;
    bool m_pointerShown = true;
    CursorHandle m_cursor = nullptr;
    std::atomic<bool> m_buttons[3] = {false, false, false};
    std::atomic<bool> m_shift{false};
    std::atomic<bool> m_alt{false};
    MouseReceiver m_receiver;
};

// The input system in force; a process-wide InputSystem unless another is installed.
InputSystem& input();
// Installs an input system (not owned); null restores the default one.
void setInput(InputSystem* system);

class ScopedInput {
public:
    explicit ScopedInput(InputSystem& s) : m_prev(&input()) { setInput(&s); }
    ~ScopedInput() { setInput(m_prev); }
    ScopedInput(const ScopedInput&) = delete;
    ScopedInput& operator=(const ScopedInput&) = delete;

private:
    InputSystem* m_prev;
};

} // namespace platform
