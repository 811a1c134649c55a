#include "graphics/play/CPlayable.h"

#include "foundation/CResourcesManager.h"
#include "foundation/CXArray.h"
#include "graphics/core/CGraphicsObject.h"
#include "graphics/screen/CRefreshScreen.h"
#include "graphics/core/CGraphicsWindowServices.h"

bool CPlayableObserver::onPlayableStarted(CPlayable*) { return false; }
bool CPlayableObserver::onPlayableTick(CPlayable*) { return false; }
bool CPlayableObserver::onPlayableFinished(CPlayable*) { return false; }
bool CPlayableObserver::onPlayableResumed(CPlayable*) { return false; }

bool CPlayableEventList::setParameter(const CXString& name, const CXString& value) {
    for (auto& entry : m_entries) {
        if (entry.first.equals(name)) {
            entry.second = value;
            return true;
        }
    }
    return false;
}

bool CPlayableEventList::find(const CXString& name, CXString* parameter) const {
    for (const auto& entry : m_entries) {
        if (entry.first.equalsIgnoreCase(name)) {
            if (parameter) *parameter = entry.second;
            return true;
        }
    }
    return false;
}

namespace {

CXArray* newObserverArray() { return new CXArray(CXArray::kDefaultCapacity, CXArray::kDefaultLoadFactor); }

CPlayable::DeferredDelete g_deferredDelete = nullptr;

bool releasePlayable(CWindow* window, CFileResolver* resolver) {
    auto* playable = dynamic_cast<CPlayable*>(resolver);
    if (!playable) return false;
    playable->hide();
    if (auto* graphics = dynamic_cast<CGraphicsObject*>(resolver)) {
        if (!window) window = playable->getWindow();
        CGraphicsWindowServices* services = CGraphicsWindowServices::of(window);
        CRefreshScreen* screen = services ? services->GetRefreshScreenInterface() : nullptr;
        if (screen) *screen >> graphics;
    }
    // Let go of from one of its observers' handlers (a scene left from an animation's
    // event): the code that told them still runs on it, so it is deleted later.
    if (!playable->isNotifying() || !g_deferredDelete) return false;
    g_deferredDelete(playable);
    return true;
}

// The release step is part of the graphics engine: it is in place as soon as
// the library is.
const bool g_hookInstalled = (CPlayable::installReleaseHook(), true);

}  // namespace

void CPlayable::installReleaseHook() { CResourcesManager::setReleaseHook(&releasePlayable); }

void CPlayable::setDeferredDelete(DeferredDelete deleter) { g_deferredDelete = deleter; }

CPlayable::CPlayable(CWindow* window)
    : m_window(window), m_events(new CPlayableEventList), m_observers(newObserverArray()) {
    (void)g_hookInstalled;
}

CPlayable::CPlayable(const CPlayable& other)
    : CFileResolver(other),
      m_type(other.m_type),
      m_status(other.m_status),
      m_position(other.m_position),
      m_name(other.m_name),
      m_window(other.m_window),
      m_waitMode(other.m_waitMode),
      m_parameter(other.m_parameter),
      m_events(new CPlayableEventList(*other.m_events)),
      m_mode(other.m_mode),
      m_parents(other.m_parents),
      m_visible(other.m_visible),
      m_lastPlayedEvent(other.m_lastPlayedEvent),
      m_volume(other.m_volume),
      m_panning(other.m_panning),
      m_frequency(other.m_frequency),
      m_parent(other.m_parent),
      m_genericObserver(other.m_genericObserver),
      m_observers(newObserverArray()) {
    m_observers->add(other.m_observers);
}

CPlayable& CPlayable::operator=(const CPlayable& other) {
    if (this == &other) return *this;
    CFileResolver::operator=(other);
    m_type = other.m_type;
    m_status = other.m_status;
    m_position = other.m_position;
    m_name = other.m_name;
    m_window = other.m_window;
    m_waitMode = other.m_waitMode;
    m_parameter = other.m_parameter;
    *m_events = *other.m_events;
    m_mode = other.m_mode;
    m_parents = other.m_parents;
    m_visible = other.m_visible;
    m_lastPlayedEvent = other.m_lastPlayedEvent;
    m_volume = other.m_volume;
    m_panning = other.m_panning;
    m_frequency = other.m_frequency;
    m_parent = other.m_parent;
    m_genericObserver = other.m_genericObserver;
    m_observers->removeAll();
    m_observers->add(other.m_observers);
    return *this;
}

CPlayable::~CPlayable() {
    *m_alive = false;
    for (const Adopted& a : m_adopted)
        if (*a.alive) delete a.playable;
    delete m_events;
    delete m_observers;
}

void CPlayable::addChild(CPlayable*) {}
void CPlayable::setParent(CPlayable* parent) { m_parent = parent; }
bool CPlayable::isParent() { return m_parent == nullptr; }
void CPlayable::substAnimation(CAnimo*) {}
CAnimo* CPlayable::getAnimation() { return nullptr; }
CXArray* CPlayable::getNotifiers() { return m_observers; }

void CPlayable::setNotifier(CPlayableObserver* observer) {
    m_observers->removeAll();
    addNotifier(observer);
}

CPlayable* CPlayable::getPlaying() { return isPlaying() ? this : nullptr; }
CXString CPlayable::getParam() { return m_parameter; }

CXString CPlayable::getParameter(CXString name) {
    CXString parameter;
    m_events->find(name, &parameter);
    return parameter;
}

CXString CPlayable::getParameter() { return m_parameter; }

void CPlayable::play(CXString event) {
    stop(false);
    m_lastPlayedEvent = event;
    m_status = kStatusPlaying;
    m_parameter = getParameter(event);
    play();
}

bool CPlayable::onPlayableFinished(CPlayable*) { return false; }
void CPlayable::onStarted() {}
void CPlayable::onFinished() {}
int CPlayable::getStatus() { return m_status; }
bool CPlayable::isPlaying() { return (m_status & kStatusPlaying) != 0; }
bool CPlayable::isPaused() { return (m_status & kStatusPaused) != 0; }
int CPlayable::getType() { return m_type; }

int CPlayable::previous() {
    seek(kSeekBack);
    return m_position;
}

int CPlayable::next() {
    seek(kSeekForward);
    return m_position;
}

int CPlayable::getFPS() { return 10; }
void CPlayable::move(int, int) {}
void CPlayable::move(CXPoint d) { move(d.x, d.y); }
void CPlayable::setPosition(int, int) {}
void CPlayable::setPosition(CXPoint p) { setPosition(p.x, p.y); }
void CPlayable::SetGlobalPosition(int, int) {}
void CPlayable::SetGlobalPosition(CXPoint p) { SetGlobalPosition(p.x, p.y); }
bool CPlayable::isVisible() { return m_visible; }
void CPlayable::setVisibility(bool visible) { m_visible = visible; }
void CPlayable::show() { setVisibility(true); }
void CPlayable::hide() { setVisibility(false); }
void CPlayable::alwaysOnTop() {}
CXString CPlayable::getLastPlayedEvent() { return m_lastPlayedEvent; }

bool CPlayable::notify(int code) {
    std::vector<CPlayableObserver*> copy;
    copy.reserve(static_cast<size_t>(m_observers->getCount()) + 1);
    for (int i = 0; i < m_observers->getCount(); ++i) copy.push_back(static_cast<CPlayableObserver*>(m_observers->at(i)));
    CPlayableObserver* generic = m_genericObserver;
    if (generic) copy.push_back(generic);
    bool answer = true;
    const size_t listed = copy.size() - (generic ? 1 : 0);
    // An observer may delete the playable (the last script object sharing it goes).
    const std::shared_ptr<bool> alive = m_alive;
    ++m_notifyDepth;
    for (size_t i = 0; i < copy.size() && *alive; ++i) {
        CPlayableObserver* observer = copy[i];
        // One removed by an earlier callee is not told.
        if (i < listed ? !m_observers->contains(observer) : m_genericObserver != observer) continue;
        switch (code) {
            case kStarted: answer = observer->onPlayableStarted(this); break;
            case kTick: answer = observer->onPlayableTick(this); break;
            case kFinished: answer = observer->onPlayableFinished(this); break;
            case kResumed: answer = observer->onPlayableResumed(this); break;
            default: break;
        }
    }
    if (*alive) --m_notifyDepth;
    return answer;
}

void CPlayable::setVolume(int volume) { m_volume = volume; }
void CPlayable::setPanning(int panning) { m_panning = panning; }
void CPlayable::setFrequency(int frequency) { m_frequency = frequency; }

void CPlayable::setParameter(CXString name, CXString value) { m_events->setParameter(name, value); }
void CPlayable::addEvent(CXString name, CXString parameter) { m_events->add(name, parameter); }

void CPlayable::addNotifier(CPlayableObserver* observer) {
    if (!observer || m_observers->contains(observer)) return;
    m_observers->add(observer);
}

void CPlayable::adopt(CPlayable* playable) {
    if (!playable || playable == this) return;
    m_adopted.push_back(Adopted{playable, playable->aliveFlag()});
}

void CPlayable::removeNotifier(CPlayableObserver* observer) { m_observers->remove(observer); }
void CPlayable::clearNotifiers() { m_observers->removeAll(); }
