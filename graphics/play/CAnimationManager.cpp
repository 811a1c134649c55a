#include "graphics/play/CAnimationManager.h"

#include <vector>

#include "foundation/CPerformanceTimer.h"
#include "foundation/CXArray.h"
#include "graphics/play/CPlayable.h"

struct CAnimationManager::Entry {
    CPlayable* playable;
    CRefreshScreen* screen;
    bool due;
    uint32_t lastStep;
};

namespace {

CAnimationManager::GroupTest g_groupTest = nullptr;

uint32_t now() { return static_cast<uint32_t>(CPerformanceTimer::getMilliseconds()); }

}  // namespace

void CAnimationManager::setGroupTest(GroupTest test) { g_groupTest = test; }

CAnimationManager::CAnimationManager()
    : m_entries(new CXArray(CXArray::kDefaultCapacity, CXArray::kDefaultLoadFactor)) {}

CAnimationManager::~CAnimationManager() {
    for (int i = 0; i < m_entries->getCount(); ++i) delete static_cast<Entry*>(m_entries->at(i));
    delete m_entries;
}

void CAnimationManager::add(CPlayable* playable, CRefreshScreen* screen) {
    if (!playable) return;
    m_entries->add(new Entry{playable, screen, false, now()});
}

void CAnimationManager::remove(CPlayable* playable) {
    for (int i = 0; i < m_entries->getCount(); ++i) {
        auto* e = static_cast<Entry*>(m_entries->at(i));
        if (e->playable != playable) continue;
        m_entries->removeAt(i);
        delete e;
        return;
    }
}

int CAnimationManager::domodal() {
    std::vector<Entry*> copy;
    for (int i = 0; i < m_entries->getCount(); ++i) copy.push_back(static_cast<Entry*>(m_entries->at(i)));
    const uint32_t start = now();
    for (Entry* e : copy) {
        if (!e->playable->isPlaying()) continue;
        const int fps = e->playable->getFPS();
        const uint32_t period = static_cast<uint32_t>(1000 / (fps > 0 ? fps : 1));
        if (period <= start - e->lastStep) {
            e->lastStep = now();
            e->due = true;
        }
    }
    copy.clear();
    for (int i = 0; i < m_entries->getCount(); ++i) copy.push_back(static_cast<Entry*>(m_entries->at(i)));
    for (Entry* e : copy) {
        // A step earlier in this pass may have removed (and freed) the entry.
        if (!m_entries->contains(e)) continue;
        if (e->due) {
            e->due = false;
            e->playable->next();
        }
    }
    return 0;
}

void CAnimationManager::pause() {
    std::vector<CPlayable*> playing;
    for (int i = 0; i < m_entries->getCount(); ++i) {
        CPlayable* p = static_cast<Entry*>(m_entries->at(i))->playable;
        if (p->isPlaying()) playing.push_back(p);
    }
    for (CPlayable* p : playing)
        if (contains(p)) p->pause();
}

void CAnimationManager::resume(CMC_Groupped* group) {
    std::vector<CPlayable*> chosen;
    for (int i = 0; i < m_entries->getCount(); ++i) {
        CPlayable* p = static_cast<Entry*>(m_entries->at(i))->playable;
        if (!group || inGroup(group, p)) chosen.push_back(p);
    }
    for (CPlayable* p : chosen)
        if (contains(p) && p->isPaused()) p->resume();
}

int CAnimationManager::getCount() const { return m_entries->getCount(); }

bool CAnimationManager::contains(CPlayable* playable) const {
    for (int i = 0; i < m_entries->getCount(); ++i)
        if (static_cast<Entry*>(m_entries->at(i))->playable == playable) return true;
    return false;
}

bool CAnimationManager::inGroup(CMC_Groupped* group, CPlayable* playable) const {
    return g_groupTest && g_groupTest(group, playable);
}
