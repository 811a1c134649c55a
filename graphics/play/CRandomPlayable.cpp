#include "graphics/play/CRandomPlayable.h"

#include <algorithm>
#include <limits>

#include "foundation/Crt.h"
#include "foundation/CXRandom.h"
#include "foundation/CXTimer.h"
#include "graphics/play/CAnimo.h"
#include "script/CScriptWindowServices.h"

namespace {

constexpr unsigned int kInterval = 1000;
constexpr int kStartTries = 10;

}  // namespace

bool CRandomPlayableNotifier::onRandomPlayableStarted(CPlayable*, int) { return true; }
bool CRandomPlayableNotifier::onRandomPlayableFinished(CPlayable*, int) { return false; }

// ---- entry -------------------------------------------------------------------------------

CRandomPlayableEntry::CRandomPlayableEntry(CRandomPlayable* owner, CPlayable* playable, double rate, int period,
                                           CXString event)
    : m_owner(owner), m_playable(playable), m_rate(rate), m_period(period), m_event(event) {
    if (m_playable) {
        m_alive = m_playable->aliveFlag();
        m_playable->addNotifier(this);
    }
    initialize();
}

CRandomPlayableEntry::~CRandomPlayableEntry() {
    if (CPlayable* playable = getPlayable()) playable->removeNotifier(this);
}

CPlayable* CRandomPlayableEntry::getPlayable() { return m_alive && *m_alive ? m_playable : nullptr; }

bool CRandomPlayableEntry::isPlaying() {
    CPlayable* playable = getPlayable();
    return playable && playable->isPlaying();
}

int CRandomPlayableEntry::getSeqTime() { return m_count; }

void CRandomPlayableEntry::initialize() {
    m_count = 0;
    m_burst = CXRandom::random(m_period - 1);
    // Not above 0 (or not a number): the entry never counts down.
    if (!(m_rate > 0.0)) {
        m_countdown = -1;
        return;
    }
    const double span = 60.0 / m_rate;
    const int limit = span >= static_cast<double>(std::numeric_limits<int32_t>::max() - 1)
                          ? std::numeric_limits<int32_t>::max() - 1
                          : static_cast<int>(span);
    m_countdown = CXRandom::random(limit) + 1;
}

void CRandomPlayableEntry::tick() {
    CPlayable* playable = getPlayable();
    if (!playable || m_countdown <= 0 || playable->isPlaying()) return;
    if (--m_countdown != 0) return;
    CRandomPlayable::Walk walk(m_owner);
    ++m_count;
    if (!m_owner->notify(this, true)) {
        // Refused: a new wait, so that the entry is not left without one.
        initialize();
        return;
    }
    start();
    // Nothing started (no event to play): no finish will come to re-arm it.
    if (getPlayable() && !getPlayable()->isPlaying()) initialize();
}

void CRandomPlayableEntry::start() {
    CPlayable* playable = getPlayable();
    if (!playable) return;
    if (m_event.getLength() > 0) {
        playable->play(m_event);
        return;
    }
    auto* animation = dynamic_cast<CAnimo*>(playable);
    if (!animation || animation->GetNOE() == 0) return;
    for (int i = 0; i < kStartTries; ++i) {
        animation->Play(static_cast<_animoevent>(crt::rand() % animation->GetNOE()), 0, 15);
        if (!getPlayable()) return;
        if (animation->IsPlaying()) return;
    }
}

bool CRandomPlayableEntry::onPlayableFinished(CPlayable* playable) {
    if (!playable || playable != getPlayable()) return false;
    CRandomPlayable::Walk walk(m_owner);
    if (m_owner->notify(this, false) || m_count < m_burst)
        m_countdown = 1;
    else
        initialize();
    return false;
}

// ---- player ------------------------------------------------------------------------------

CRandomPlayable::Walk::~Walk() {
    if (--m_owner->m_walking != 0) return;
    m_owner->m_removed.clear();
    if (m_owner->m_disposed) delete m_owner;
}

CRandomPlayable::CRandomPlayable(CWindow* window, CGraphicsUnit* unit) : m_unit(unit) {
    CScriptWindowServices* services = CScriptWindowServices::of(window);
    m_timer = services ? services->GetTimerInterface() : nullptr;
    if (m_timer) m_timer->add(reinterpret_cast<intptr_t>(this), kInterval, static_cast<CTimerNotificator*>(this));
}

void CRandomPlayable::dispose(CRandomPlayable* player) {
    if (!player) return;
    if (player->m_timer) player->m_timer->remove(reinterpret_cast<intptr_t>(player));
    player->m_timer = nullptr;
    player->m_notifiers.clear();
    if (player->m_walking > 0)
        player->m_disposed = true;
    else
        delete player;
}

CRandomPlayable::~CRandomPlayable() {
    if (m_timer) m_timer->remove(reinterpret_cast<intptr_t>(this));
    m_entries.clear();
    m_removed.clear();
}

void CRandomPlayable::add(CPlayable* playable, double rate, int period, CXString event) {
    if (!playable) return;
    m_entries.push_back(std::make_unique<CRandomPlayableEntry>(this, playable, rate, period, event));
}

void CRandomPlayable::remove(CPlayable* playable) {
    for (auto it = m_entries.begin(); it != m_entries.end(); ++it) {
        if ((*it)->getPlayable() != playable) continue;
        std::unique_ptr<CRandomPlayableEntry> entry = std::move(*it);
        m_entries.erase(it);
        if (m_walking > 0)
            m_removed.push_back(std::move(entry));
        return;
    }
}

void CRandomPlayable::addNotifier(CRandomPlayableNotifier* notifier) { m_notifiers.push_back(notifier); }

void CRandomPlayable::removeNotifier(CRandomPlayableNotifier* notifier) {
    auto it = std::find(m_notifiers.begin(), m_notifiers.end(), notifier);
    if (it != m_notifiers.end()) m_notifiers.erase(it);
}

bool CRandomPlayable::notify(CRandomPlayableEntry* entry, bool started) {
    const std::vector<CRandomPlayableNotifier*> copy = m_notifiers;
    bool answer = false;
    for (CRandomPlayableNotifier* notifier : copy) {
        if (std::find(m_notifiers.begin(), m_notifiers.end(), notifier) == m_notifiers.end()) continue;
        CPlayable* playable = entry->getPlayable();
        answer = started ? notifier->onRandomPlayableStarted(playable, entry->getSeqTime())
                         : notifier->onRandomPlayableFinished(playable, entry->getSeqTime());
    }
    return answer;
}

CRandomPlayableEntry* CRandomPlayable::getEntry(int index) const {
    if (index < 0 || index >= getCount()) return nullptr;
    return m_entries[static_cast<size_t>(index)].get();
}

void CRandomPlayable::onTimer(intptr_t) {
    Walk walk(this);
    std::vector<CRandomPlayableEntry*> copy;
    for (const auto& e : m_entries) copy.push_back(e.get());
    for (CRandomPlayableEntry* entry : copy) {
        if (m_disposed) break;
        // One removed by an earlier step waits in the removed list, alive; it is skipped.
        bool listed = false;
        for (const auto& e : m_entries) listed = listed || e.get() == entry;
        if (listed) entry->tick();
    }
}
