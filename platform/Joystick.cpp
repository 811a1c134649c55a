#include "platform/Joystick.h"

#include <algorithm>
#include <atomic>
#include <mutex>

namespace platform {

namespace detail {

// One controller's published snapshot with its scripted failures and counts; every
// field is guarded by the hub's lock.
struct JoystickSlot {
    int32_t buttons = 0;
    JoystickState state;
    bool attached = true;
    int32_t failPolls = 0;
    int32_t failStates = 0;
    int32_t acquireCalls = 0;
    int32_t pollCalls = 0;
    int32_t users = 0;
};

struct JoystickHub {
    mutable std::mutex mutex;
    bool focus = true;
    std::vector<JoystickDevice*> devices;
};

}  // namespace detail

JoystickDevice::JoystickDevice(std::shared_ptr<detail::JoystickHub> hub, std::shared_ptr<detail::JoystickSlot> slot)
    : m_hub(std::move(hub)), m_slot(std::move(slot)), m_buttons(m_slot->buttons) {}

JoystickDevice::~JoystickDevice() {
    std::lock_guard<std::mutex> lock(m_hub->mutex);
    m_acquired = false;
    --m_slot->users;
    auto& devices = m_hub->devices;
    devices.erase(std::remove(devices.begin(), devices.end(), this), devices.end());
}

int32_t JoystickDevice::acquire() {
    std::lock_guard<std::mutex> lock(m_hub->mutex);
    ++m_slot->acquireCalls;
    if (!m_slot->attached) return kJoystickDetached;
    if (!m_hub->focus) return kJoystickNoFocus;
    m_acquired = true;
    return kJoystickOk;
}

int32_t JoystickDevice::unacquire() {
    std::lock_guard<std::mutex> lock(m_hub->mutex);
    m_acquired = false;
    return kJoystickOk;
}

bool JoystickDevice::isAcquired() const {
    std::lock_guard<std::mutex> lock(m_hub->mutex);
    return m_acquired;
}

int32_t JoystickDevice::poll() {
    std::lock_guard<std::mutex> lock(m_hub->mutex);
    ++m_slot->pollCalls;
    if (!m_slot->attached) {
        m_acquired = false;
        return kJoystickDetached;
    }
    if (!m_acquired || !m_hub->focus) return kJoystickNotAcquired;
    if (m_slot->failPolls > 0) {
        --m_slot->failPolls;
        m_acquired = false;
        return kJoystickInputLost;
    }
    return kJoystickOk;
}

int32_t JoystickDevice::getState(JoystickState* out) {
    std::lock_guard<std::mutex> lock(m_hub->mutex);
    if (!m_slot->attached) {
        m_acquired = false;
        return kJoystickDetached;
    }
    if (!m_acquired || !m_hub->focus) return kJoystickNotAcquired;
    if (m_slot->failStates > 0) {
        --m_slot->failStates;
        return kJoystickFailed;
    }
    if (out) *out = m_slot->state;
    return kJoystickOk;
}

JoystickSystem::JoystickSystem() : m_hub(std::make_shared<detail::JoystickHub>()) {}

JoystickSystem::~JoystickSystem() = default;

void JoystickSystem::setFocus(bool focus) {
    std::lock_guard<std::mutex> lock(m_hub->mutex);
    m_hub->focus = focus;
    if (!focus)
        for (JoystickDevice* device : m_hub->devices) device->m_acquired = false;
}

bool JoystickSystem::hasFocus() const {
    std::lock_guard<std::mutex> lock(m_hub->mutex);
    return m_hub->focus;
}

std::shared_ptr<detail::JoystickSlot> JoystickSystem::makeSlot(int32_t buttons) {
    auto slot = std::make_shared<detail::JoystickSlot>();
    slot->buttons = std::clamp(buttons, 0, kJoystickMaxButtons);
    return slot;
}

std::unique_ptr<JoystickDevice> JoystickSystem::makeDevice(const std::shared_ptr<detail::JoystickSlot>& slot) {
    std::unique_ptr<JoystickDevice> device(new JoystickDevice(m_hub, slot));
    std::lock_guard<std::mutex> lock(m_hub->mutex);
    ++slot->users;
    m_hub->devices.push_back(device.get());
    return device;
}

void JoystickSystem::publish(detail::JoystickSlot& slot, const JoystickState& state) {
    std::lock_guard<std::mutex> lock(m_hub->mutex);
    slot.state = state;
}

void JoystickSystem::detachSlot(detail::JoystickSlot& slot) {
    std::lock_guard<std::mutex> lock(m_hub->mutex);
    slot.attached = false;
    for (JoystickDevice* device : m_hub->devices)
        if (device->m_slot.get() == &slot) device->m_acquired = false;
}

int32_t JoystickSystem::deviceUsers(const detail::JoystickSlot& slot) const {
    std::lock_guard<std::mutex> lock(m_hub->mutex);
    return slot.users;
}

std::unique_lock<std::mutex> JoystickSystem::lockSlots() const { return std::unique_lock<std::mutex>(m_hub->mutex); }

ScriptedJoystickSystem::ScriptedJoystickSystem() = default;

ScriptedJoystickSystem::~ScriptedJoystickSystem() {
    for (Controller& c : m_controllers)
        if (c.attached) detachSlot(*c.slot);
}

int32_t ScriptedJoystickSystem::deviceCount() {
    return static_cast<int32_t>(
        std::count_if(m_controllers.begin(), m_controllers.end(), [](const Controller& c) { return c.attached; }));
}

std::unique_ptr<JoystickDevice> ScriptedJoystickSystem::open(int32_t index) {
    if (index < 0) return nullptr;
    for (Controller& c : m_controllers) {
        if (!c.attached) continue;
        if (index-- > 0) continue;
        return c.opens ? makeDevice(c.slot) : nullptr;
    }
    return nullptr;
}

int32_t ScriptedJoystickSystem::attach(int32_t buttons, bool opens) {
    Controller c;
    c.slot = makeSlot(buttons);
    c.opens = opens;
    m_controllers.push_back(std::move(c));
    return static_cast<int32_t>(m_controllers.size()) - 1;
}

const ScriptedJoystickSystem::Controller* ScriptedJoystickSystem::find(int32_t id) const {
    if (id < 0 || id >= static_cast<int32_t>(m_controllers.size())) return nullptr;
    return &m_controllers[static_cast<size_t>(id)];
}

void ScriptedJoystickSystem::detach(int32_t id) {
    if (!find(id)) return;
    Controller& c = m_controllers[static_cast<size_t>(id)];
    c.attached = false;
    detachSlot(*c.slot);
}

void ScriptedJoystickSystem::setState(int32_t id, const JoystickState& state) {
    if (const Controller* c = find(id)) publish(*c->slot, state);
}

void ScriptedJoystickSystem::failPolls(int32_t id, int32_t n) {
    const Controller* c = find(id);
    if (!c) return;
    auto lock = lockSlots();
    c->slot->failPolls = n;
}

void ScriptedJoystickSystem::failStateReads(int32_t id, int32_t n) {
    const Controller* c = find(id);
    if (!c) return;
    auto lock = lockSlots();
    c->slot->failStates = n;
}

int32_t ScriptedJoystickSystem::acquireCalls(int32_t id) const {
    const Controller* c = find(id);
    if (!c) return 0;
    auto lock = lockSlots();
    return c->slot->acquireCalls;
}

int32_t ScriptedJoystickSystem::pollCalls(int32_t id) const {
    const Controller* c = find(id);
    if (!c) return 0;
    auto lock = lockSlots();
    return c->slot->pollCalls;
}

int32_t ScriptedJoystickSystem::openDevices(int32_t id) const {
    const Controller* c = find(id);
    if (!c) return 0;
    auto lock = lockSlots();
    return c->slot->users;
}

namespace {

std::atomic<JoystickSystem*> g_system{nullptr};

}  // namespace

JoystickSystem& joystickSystem() {
    static ScriptedJoystickSystem none;
    JoystickSystem* s = g_system.load();
    return s ? *s : none;
}

void setJoystickSystem(JoystickSystem* system) { g_system.store(system); }

}  // namespace platform
