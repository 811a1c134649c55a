#include "foundation/CXTimer.h"

#include "foundation/CTimerNotificator.h"
#include "foundation/CTimerUnit.h"
#include "foundation/CWindowServices.h"
#include "foundation/CXVector.h"
#include "platform/Clock.h"

namespace {
bool g_timersEnabled = true;

uint32_t now() { return platform::clock().tickCount(); }
} // namespace

CTimerObject::CTimerObject(intptr_t id, uint32_t interval, CTimerUnit* unit, bool askUnit, CWindowServices* window,
                           CTimerNotificator* notificator)
    : m_id(id), m_interval(interval), m_start(now()), m_unit(unit), m_window(window),
      m_notificator(notificator), m_askUnit(askUnit) {}

// Elapsed time is taken as an unsigned difference, so the tick counter may wrap;
// the offset of the next firing is computed in 64 bits, so neither a long run nor
// a huge interval overflows.
bool CTimerObject::isDue(uint32_t t) const {
    const uint64_t elapsed = static_cast<uint32_t>(t - m_start);
    const uint64_t next = static_cast<uint64_t>(m_interval) * (static_cast<uint64_t>(static_cast<uint32_t>(m_count)) + 1);
    return elapsed >= next;
}

uint32_t CTimerObject::remaining(uint32_t t) const {
    const uint64_t elapsed = static_cast<uint32_t>(t - m_start);
    const uint64_t next = static_cast<uint64_t>(m_interval) * (static_cast<uint64_t>(static_cast<uint32_t>(m_count)) + 1);
    if (elapsed >= next) return 0;
    const uint64_t left = next - elapsed;
    return left > UINT32_MAX ? UINT32_MAX : static_cast<uint32_t>(left);
}

CXTimer::CXTimer(CWindowServices*)
    : m_timers(new CXVector(CXArray::kDefaultCapacity, CXArray::kDefaultLoadFactor)),
      m_working(new CXVector(CXArray::kDefaultCapacity, CXArray::kDefaultLoadFactor)) {}

CXTimer::~CXTimer() {
    for (int i = 0; i < m_timers->getCount(); ++i) delete static_cast<CTimerObject*>(m_timers->at(i));
    m_timers->removeAll();
    m_working->removeAll();
    delete m_timers;
    delete m_working;
}

void CXTimer::append(CTimerObject* timer) { m_timers->add(static_cast<CXObject*>(timer)); }

void CXTimer::add(intptr_t id, unsigned int interval, CTimerUnit* unit, bool askUnit) {
    append(new CTimerObject(id, interval, unit, askUnit, nullptr, nullptr));
}

void CXTimer::add(intptr_t id, unsigned int interval, CWindowServices* window) {
    append(new CTimerObject(id, interval, nullptr, false, window, nullptr));
}

void CXTimer::add(intptr_t id, unsigned int interval, CTimerNotificator* notificator) {
    append(new CTimerObject(id, interval, nullptr, false, nullptr, notificator));
}

CTimerObject* CXTimer::find(intptr_t id) {
    for (int i = 0; i < m_timers->getCount(); ++i) {
        auto* timer = static_cast<CTimerObject*>(m_timers->at(i));
        if (timer && !timer->m_removed && timer->m_id == id) return timer;
    }
    return nullptr;
}

void CXTimer::remove(intptr_t id) {
    if (CTimerObject* timer = find(id)) timer->m_removed = true;
}

void CXTimer::reset(intptr_t id) {
    if (CTimerObject* timer = find(id)) {
        timer->m_start = now();
        timer->m_count = 0;
        timer->m_paused = false;
    }
}

void CXTimer::pause() {
    const uint32_t t = now();
    for (int i = 0; i < m_timers->getCount(); ++i) {
        auto* timer = static_cast<CTimerObject*>(m_timers->at(i));
        if (!timer || timer->m_paused) continue;
        timer->m_pauseValue = timer->remaining(t);
        timer->m_paused = true;
    }
}

void CXTimer::resume() {
    const uint32_t t = now();
    for (int i = 0; i < m_timers->getCount(); ++i) {
        auto* timer = static_cast<CTimerObject*>(m_timers->at(i));
        if (!timer || !timer->m_paused) continue;
        // The first firing falls at start + interval = now + remaining time. Both
        // are taken modulo 2^32 like the tick counter, which isDue allows for.
        timer->m_count = 0;
        timer->m_start = t + timer->m_pauseValue - timer->m_interval;
        timer->m_paused = false;
    }
}

void CXTimer::enable(bool on) { g_timersEnabled = on; }

bool CXTimer::isEnabled() { return g_timersEnabled; }

int CXTimer::getSize() const { return m_timers->getCount(); }

int CXTimer::domodal() {
    if (!g_timersEnabled || m_polling) return 0;
    m_polling = true;

    // Walk a snapshot: callbacks may add timers (examined from the next pass on)
    // or flag timers removed (deleted when the walk or the next pass reaches them).
    m_timers->copyInto(m_working);
    const int count = m_working->getCount();
    for (int i = 0; i < count; ++i) {
        auto* timer = static_cast<CTimerObject*>(m_working->at(i));
        if (!timer) continue;
        const uint32_t t = now();
        if (timer->m_removed) {
            m_timers->remove(static_cast<CXObject*>(timer));
            delete timer;
            continue;
        }
        if (!timer->isDue(t)) continue;
        timer->m_count = static_cast<int32_t>(static_cast<uint32_t>(timer->m_count) + 1u);
        if (timer->m_unit && (!timer->m_askUnit || (timer->m_unit->isActive() && timer->m_unit->wasInitiallyUpdated()))) {
            timer->m_unit->onTimer(timer->m_id);
        } else if (timer->m_window) {
            timer->m_window->OnTimer(timer->m_id);
        } else if (timer->m_notificator) {
            timer->m_notificator->onTimer(timer->m_id);
        }
    }
    m_working->removeAll();
    m_polling = false;
    return 0;
}
