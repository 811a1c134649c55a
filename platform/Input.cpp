#include "platform/Input.h"

namespace platform {

namespace {

bool isAxis(uint32_t offset) { return offset == kMouseX || offset == kMouseY; }

} // namespace

int32_t InputDevice::acquire() {
    std::lock_guard<std::mutex> lock(m_mutex);
    ++m_acquireCalls;
    if (m_failAcquire > 0) {
        --m_failAcquire;
        return kInputLost;
    }
    if (!m_system.hasFocus()) return kInputOtherAppHasPriority;
    m_acquired = true;
    m_lost = false;
    return kInputOk;
}

int32_t InputDevice::unacquire() {
    std::lock_guard<std::mutex> lock(m_mutex);
    m_acquired = false;
    m_records.clear();
    return kInputOk;
}

bool InputDevice::isAcquired() const {
    std::lock_guard<std::mutex> lock(m_mutex);
    return m_acquired;
}

int32_t InputDevice::read(InputRecord* out, uint32_t* count) {
    std::lock_guard<std::mutex> lock(m_mutex);
    const uint32_t room = count ? *count : 0;
    if (count) *count = 0;
    if (m_lost) return kInputLost;
    if (!m_acquired || !m_system.hasFocus()) return kInputNotAcquired;
    uint32_t n = 0;
    while (n < room && !m_records.empty()) {
        out[n++] = m_records.front();
        m_records.pop_front();
    }
    if (count) *count = n;
    return kInputOk;
}

void InputDevice::push(uint32_t offset, uint32_t data) {
    std::lock_guard<std::mutex> lock(m_mutex);
    if (!m_acquired || m_records.size() >= m_capacity) return;
    m_records.push_back(InputRecord{offset, data});
}

void InputDevice::pushMotion(uint32_t axis, int32_t delta) {
    std::lock_guard<std::mutex> lock(m_mutex);
    if (!m_acquired || delta == 0) return;
    for (auto it = m_records.rbegin(); it != m_records.rend() && isAxis(it->offset); ++it) {
        if (it->offset == axis) {
            it->data = static_cast<uint32_t>(static_cast<int32_t>(it->data) + delta);
            return;
        }
    }
    if (m_records.size() >= m_capacity) return;
    m_records.push_back(InputRecord{axis, static_cast<uint32_t>(delta)});
}

uint32_t InputDevice::pending() const {
    std::lock_guard<std::mutex> lock(m_mutex);
    return static_cast<uint32_t>(m_records.size());
}

void InputDevice::loseInput() {
    std::lock_guard<std::mutex> lock(m_mutex);
    m_acquired = false;
    m_lost = true;
    m_records.clear();
}

void InputDevice::failAcquire(int n) {
    std::lock_guard<std::mutex> lock(m_mutex);
    m_failAcquire = n;
}

int InputDevice::acquireCalls() const {
    std::lock_guard<std::mutex> lock(m_mutex);
    return m_acquireCalls;
}

InputSystem::InputSystem() : m_mouse(*this, kMouseBufferSize), m_keyboard(*this, kKeyboardBufferSize) {}

void InputSystem::setFocus(bool focus) {
    m_focus = focus;
    if (!focus) {
        m_mouse.unacquire();
        m_keyboard.unacquire();
    }
}

void InputSystem::setPointerPosition(int32_t x, int32_t y) {
    std::lock_guard<std::mutex> lock(m_pointerMutex);
    if (m_confined) {
        if (x >= m_confinement.right) x = m_confinement.right - 1;
        if (y >= m_confinement.bottom) y = m_confinement.bottom - 1;
        if (x < m_confinement.left) x = m_confinement.left;
        if (y < m_confinement.top) y = m_confinement.top;
    }
    m_x = x;
    m_y = y;
}

void InputSystem::pointerPosition(int32_t* x, int32_t* y) const {
    std::lock_guard<std::mutex> lock(m_pointerMutex);
    if (x) *x = m_x;
    if (y) *y = m_y;
}

void InputSystem::warpPointer(int32_t x, int32_t y) { setPointerPosition(x, y); }

void InputSystem::confinePointer(const PointerRect* rect) {
    std::lock_guard<std::mutex> lock(m_pointerMutex);
    // A rectangle without width or height pins the pointer to its edge.
    m_confined = rect != nullptr;
    m_confinement = m_confined ? *rect : PointerRect{};
}

void InputSystem::showPointer(bool show) { m_pointerShown = show; }

void InputSystem::setCursor(CursorHandle cursor) { m_cursor = cursor; }

void InputSystem::setButton(int button, bool down) {
    if (button >= 0 && button < 3) m_buttons[button] = down;
}

bool InputSystem::isButtonDown(int button) const { return button >= 0 && button < 3 && m_buttons[button]; }

bool InputSystem::forwardMouse(MouseMessage message, int32_t x, int32_t y) {
    if (m_mouse.isAcquired() || !m_receiver) return false;
    m_receiver(message, x, y);
    return true;
}

namespace {

InputSystem& defaultInput() {
    static InputSystem system;
    return system;
}

InputSystem* g_input = nullptr;

} // namespace

InputSystem& input() { return g_input ? *g_input : defaultInput(); }

void setInput(InputSystem* system) { g_input = system; }

} // namespace platform
