#include "shell/CDXMouse.h"

#include "platform/Input.h"
#include "shell/CWindow.h"

CDXMouse* CDXMouse::s_singleton = nullptr;

CDXMouse::CDXMouse(CWindow* window) : m_window(window) {
    s_singleton = this;
    m_signals.reserve(64);
    platform::input().mouse().acquire();
    if (m_window) m_window->addIPoller(this);
}

CDXMouse::~CDXMouse() {
    if (m_window) m_window->removeIPoller(this);
    flushSignals(false);
    platform::input().mouse().unacquire();
    if (s_singleton == this) s_singleton = nullptr;
}

int CDXMouse::acquire(bool on) {
    platform::InputDevice& device = platform::input().mouse();
    return on ? device.acquire() : device.unacquire();
}

void CDXMouse::tick() {
    platform::InputSystem& in = platform::input();
    platform::InputDevice& device = in.mouse();
    platform::InputRecord records[kReadSize];
    uint32_t count = kReadSize;
    if (device.read(records, &count) != platform::kInputOk) {
        // A bounded retry: a device that stays lost is tried again next tick.
        for (int i = 0; i < kMaxAcquire && device.acquire() == platform::kInputLost; ++i) {
        }
        return;
    }
    for (uint32_t i = 0; i < count; ++i) {
        const platform::InputRecord& r = records[i];
        const bool pressed = (r.data & platform::kPressed) != 0;
        switch (r.offset) {
        case platform::kMouseX:
        case platform::kMouseY: {
            int32_t x = 0, y = 0;
            in.pointerPosition(&x, &y);
            // The last position follows every reading, so buttons carry the latest one.
            m_lastPosition = CXPoint(x, y);
            if (!updateSignal(kMove, m_lastPosition)) append(kMove, m_lastPosition);
            break;
        }
        case platform::kMouseLeft:
            m_leftDown = pressed;
            append(pressed ? kLeftDown : kLeftUp, m_lastPosition);
            break;
        case platform::kMouseRight:
            m_rightDown = pressed;
            append(pressed ? kRightDown : kRightUp, m_lastPosition);
            break;
        case platform::kMouseMiddle:
            m_middleDown = pressed;
            append(pressed ? kMiddleDown : kMiddleUp, m_lastPosition);
            break;
        default:
            break;
        }
    }
}

bool CDXMouse::updateSignal(int kind, CXPoint point) {
    for (CDXMouseSignal& s : m_signals) {
        if (s.kind != kind) continue;
        s.x = point.x;
        s.y = point.y;
        return true;
    }
    return false;
}

void CDXMouse::flushSignals(bool deliver) {
    // Taken out first: the handlers run scripts, which may reach this device again.
    std::vector<CDXMouseSignal> signals;
    signals.swap(m_signals);
    if (!deliver || !m_window) return;
    for (const CDXMouseSignal& s : signals) {
        const CXPoint p(s.x, s.y);
        switch (s.kind) {
        case kMove:
            m_window->OnMouseMove(p, 0);
            break;
        case kLeftDown:
            m_window->OnLButtonDown(p, 0);
            break;
        case kLeftUp:
            m_window->OnLButtonUp(p, 0);
            break;
        case kMiddleDown:
            m_window->OnMButtonDown(p, 0);
            break;
        case kMiddleUp:
            m_window->OnMButtonUp(p, 0);
            break;
        case kRightDown:
            m_window->OnRButtonDown(p, 0);
            break;
        case kRightUp:
            m_window->OnRButtonUp(p, 0);
            break;
        default:
            break;
        }
    }
}
