#include "scene/CMC_Joystick.h"

#include <cstdlib>
#include <string>

#include "platform/Joystick.h"
#include "script/CMElement.h"
#include "script/CMC_ObjectsContainer.h"
#include "script/CMC_TypeTable.h"
#include "shell/CWindow.h"

namespace {

// No scene-binary prototype: a scene image leaves JOYSTICK out, and the objects after
// it read back as before.
const bool g_registered = CMC_TypeTable::registerType(
    "JOYSTICK", [](CMC_ObjectsContainer* c, CMElement* e) -> CMC_Object* { return new CMC_Joystick(c, e); });

int64_t distance(int32_t a, int32_t b) { return std::llabs(static_cast<int64_t>(a) - b); }

} // namespace

CMC_Joystick::CMC_Joystick(CMC_ObjectsContainer* container, CMElement* element)
    : CMC_Object(container, element, kType) {
    (void)g_registered;
    m_window = container ? container->getWindow() : nullptr;
    if (element) {
        const CXString port = element->getPropertyValue(CXString("PORT"));
        if (port.getLength() > 0) m_port = port.toNumber();
    }
    openDevice();
    initializeBehaviours(container, element);
}

CMC_Joystick::CMC_Joystick(CWindow* window) : CMC_Object(CXString("JOYSTICK"), kType), m_window(window) {
    openDevice();
}

CMC_Joystick::~CMC_Joystick() {
    leaveWindow();
    if (m_device) m_device->unacquire();
    m_device.reset();
}

void CMC_Joystick::onDispose() { leaveWindow(); }

// After removeIPoller no poll runs on this object: the poller thread walks the list
// under the lock that the removal takes.
void CMC_Joystick::leaveWindow() {
    if (m_polled && m_window) m_window->removeIPoller(this);
    m_polled = false;
    flushSignals(false);
}

CXString** CMC_Joystick::getBehavioursList() {
    return makeBehavioursList({"ONINIT", "ONDONE", "ONSIGNAL", "ONBUTTONUP", "ONBUTTONDOWN", "ONMOVE"});
}

void CMC_Joystick::openDevice() {
    platform::JoystickSystem& system = platform::joystickSystem();
    // Controllers that do not open are not counted.
    int32_t counted = 0;
    const int32_t devices = system.deviceCount();
    for (int32_t i = 0; i < devices && !m_device; ++i) {
        std::unique_ptr<platform::JoystickDevice> device = system.open(i);
        if (!device) continue;
        if (counted == m_port)
            m_device = std::move(device);
        else
            ++counted;
    }
    if (!m_device) return;
    m_buttonCount = m_device->buttonCount();
    m_device->acquire();
    m_buttonStates = std::make_unique<std::atomic<uint8_t>[]>(static_cast<size_t>(m_buttonCount));
    for (int32_t i = 0; i < m_buttonCount; ++i) m_buttonStates[i].store(0, std::memory_order_relaxed);
    m_yCount = 0;
    m_zCount = 0;
    if (m_window) {
        m_window->addIPoller(this);
        m_polled = true;
    }
}

bool CMC_Joystick::getButtonState(int button) const {
    if (!m_buttonStates || button < 0 || button >= m_buttonCount) return false;
    return m_buttonStates[button].load(std::memory_order_relaxed) == 1;
}

int32_t CMC_Joystick::getAxis(int axis) const {
    switch (axis) {
    case 0:
        return m_reportedX.load(std::memory_order_relaxed);
    case 1:
        return m_reportedY.load(std::memory_order_relaxed);
    case 2:
        return m_reportedZ.load(std::memory_order_relaxed);
    default:
        return -1;
    }
}

void CMC_Joystick::queue(CMC_JoystickSignal signal) {
    if (m_signals.size() < kMaxQueued) m_signals.push_back(std::move(signal));
}

void CMC_Joystick::queueMove(const char* axis, const char* direction) {
    CMC_JoystickSignal signal;
    signal.kind = CMC_JoystickSignal::kMove;
    signal.axis = CXString(axis);
    signal.direction = CXString(direction);
    queue(std::move(signal));
}

void CMC_Joystick::tick() {
    if (!m_device) return;
    if (m_device->poll() != platform::kJoystickOk) {
        m_device->acquire();
        return;
    }
    platform::JoystickState state;
    if (m_device->getState(&state) != platform::kJoystickOk) return;

    for (int32_t i = 0; i < m_buttonCount; ++i) {
        const uint8_t b = state.buttons[i];
        const uint8_t held = m_buttonStates[i].load(std::memory_order_relaxed);
        if (b == 0 && held == 1)
            queue(CMC_JoystickSignal{CMC_JoystickSignal::kButtonUp, i, CXString(), CXString()});
        else if ((b & platform::kJoystickPressed) && held == 0)
            queue(CMC_JoystickSignal{CMC_JoystickSignal::kButtonDown, i, CXString(), CXString()});
        m_buttonStates[i].store(static_cast<uint8_t>(b >> 7), std::memory_order_relaxed);
    }

    if (distance(m_reportedX.load(std::memory_order_relaxed), state.x) > kXThreshold) {
        queueMove("X", state.x > 5 ? "RIGHT" : "LEFT");
        m_reportedX.store(state.x, std::memory_order_relaxed);
    }
    if (distance(m_reportedY.load(std::memory_order_relaxed), state.y) > kYZThreshold) {
        if (++m_yCount > kYZPolls) {
            queueMove("Y", state.y > 0 ? "DOWN" : "UP");
            m_reportedY.store(state.y, std::memory_order_relaxed);
        }
    } else {
        m_yCount = 0;
    }
    if (distance(m_reportedZ.load(std::memory_order_relaxed), state.z) > kYZThreshold) {
        if (++m_zCount > kYZPolls) {
            queueMove("Z", state.z > 0 ? "IN" : "OUT");
            m_reportedZ.store(state.z, std::memory_order_relaxed);
        }
    } else {
        m_zCount = 0;
    }
}

void CMC_Joystick::flushSignals(bool deliver) {
    // Taken out first: the behaviours raised below may dispose of this object.
    std::vector<CMC_JoystickSignal> pending;
    pending.swap(m_signals);
    if (!deliver) return;
    for (const CMC_JoystickSignal& signal : pending) {
        if (isDisposed()) break;
        raise(signal);
    }
}

void CMC_Joystick::raise(const CMC_JoystickSignal& signal) {
    switch (signal.kind) {
    case CMC_JoystickSignal::kButtonDown:
    case CMC_JoystickSignal::kButtonUp: {
        const CXString event(signal.kind == CMC_JoystickSignal::kButtonDown ? "ONBUTTONDOWN" : "ONBUTTONUP");
        const CXString index(std::to_string(signal.button).c_str());
        if (!onSignal(event + "^" + index)) onSignal(event);
        break;
    }
    case CMC_JoystickSignal::kMove:
        if (!onSignal(CXString("ONMOVE^") + signal.axis) && !onSignal(CXString("ONMOVE^") + signal.direction))
            onSignal(CXString("ONMOVE"));
        break;
    default:
        break;
    }
}
