#include "media/CMC_Animo.h"

#include <vector>

#include "foundation/CResourcesManager.h"
#include "foundation/CXArchive.h"
#include "foundation/CXArray.h"
#include "graphics/input/CCollisionInspector.h"
#include "graphics/play/CAnimationManager.h"
#include "graphics/play/CAnimo6.h"
#include "graphics/play/CFrame.h"
#include "graphics/screen/CRefreshScreen.h"
#include "media/CMC_Groupped.h"
#include "scene/CMC_Mouse.h"
#include "media/CScriptAnimoUser.h"
#include "scene/CMC_Scene.h"
#include "scene/CMC_SceneBinary.h"
#include "script/CMC_Dummy_Runner.h"
#include "script/CMC_ObjectsContainer.h"
#include "script/CMC_TypeTable.h"
#include "script/CMElement.h"
#include "shell/CApplication.h"
#include "shell/CUnit6.h"
#include "shell/CWindow.h"

namespace {

constexpr int kListCapacity = 101;
constexpr float kLoadFactor = 0.75f;

CGraphicsObject* graphicsOf(CMC_Object* object, const CXString& frame) {
    auto* animo = dynamic_cast<CMC_Animo*>(object);
    CAnimo6* animation = animo ? animo->getAnimo() : nullptr;
    if (!animation) return nullptr;
    if (frame.IsString()) return animation->getFrame(frame);
    return animation;
}

// For the animation manager's resume(group): whether the playable is the animation of
// an ANIMO member of the group.
bool isGroupAnimation(CMC_Groupped* group, CPlayable* playable) {
    if (!group || !playable) return false;
    for (int i = 0; i < group->getCount(); ++i) {
        auto* animo = dynamic_cast<CMC_Animo*>(group->get(i));
        if (animo && animo->getAnimo() && static_cast<CPlayable*>(animo->getAnimo()) == playable) return true;
    }
    return false;
}

const bool g_registered =
    CMC_TypeTable::registerType("ANIMO",
                                [](CMC_ObjectsContainer* c, CMElement* e) -> CMC_Object* { return new CMC_Animo(c, e); }) &&
    CMC_Dummy_Runner::registerCreator("ANIMO", [](CMC_ObjectsContainer* c) -> CMC_Object* { return new CMC_Animo(c); }) &&
    CMC_SceneBinary::registerPrototype(CMC_Animo::kType,
                                       [](CMC_Scene* scene) -> CMC_Object* { return new CMC_Animo(scene); }) &&
    (CMC_ObjectsContainer::registerGraphicsAccessor(CMC_Animo::kType, &graphicsOf), true) &&
    (CAnimationManager::setGroupTest(&isGroupAnimation), true);

CRefreshScreen* screenOf(CWindow* window) { return window ? window->GetRefreshScreenInterface() : nullptr; }

CResourcesManager* sharedResources() {
    CUnit6* unit = CMC_Scene::getDefUnit();
    return unit ? unit->getResourcesManager() : nullptr;
}

// What an animation about to be deleted leaves first: the screen, the collision
// inspector (and the scene's list of monitored objects), the animation manager and
// the random player.
void retireAnimation(CWindow* window, CMC_Scene* scene, CAnimo6* animo) {
    if (!animo) return;
    animo->Visible(false);
    if (CRefreshScreen* screen = screenOf(window)) *screen >> animo;
    if (scene) scene->removeMonitorCollisions(animo, nullptr);
    if (CCollisionInspector* inspector = window ? window->getCollisionInspectorInterface() : nullptr)
        inspector->removeMonitoredObject(animo);
    CApplication* application = window ? window->GetApplicationInterface() : nullptr;
    if (CAnimationManager* manager = application ? application->getAnimationManager() : nullptr)
        manager->remove(animo);
    if (CUnit6* unit = CMC_Scene::getDefUnit()) unit->removeRandomPlayable(animo);
}

// Lets go of an animation: drops the shared reference (the manager deletes the
// animation with the last one), or deletes an animation of the caller's own.
void letGo(CWindow* window, CMC_Scene* scene, CAnimo6* animo, bool shared) {
    if (!animo) return;
    if (shared) {
        // Without the default unit its manager has deleted every shared object already.
        CResourcesManager* resources = sharedResources();
        if (!resources) return;
        CResourcesManager* holder = resources->holderOf(animo);
        // Flushed already: the manager deleted it.
        if (!holder) return;
        if (holder->getCount(animo) == 1) retireAnimation(window, scene, animo);
        resources->remove(animo);
        return;
    }
    retireAnimation(window, scene, animo);
    delete animo;
}

// An animation let go of from inside its own notification (a handler of its event
// loading another file) is still running its playable code: it is let go of at the
// next application step, when this entry of the global trash is deleted.
class CAnimoRelease : public CMC_Object {
public:
    CAnimoRelease(CWindow* window, CAnimo6* animo, bool shared)
        : CMC_Object(CXString("animo_release"), 0), m_window(window), m_animo(animo), m_shared(shared) {
        // An animation of its own waits off the screen and out of every list.
        if (!m_shared) retireAnimation(m_window, nullptr, m_animo);
    }
    ~CAnimoRelease() override {
        if (m_shared)
            letGo(m_window, nullptr, m_animo, true);
        else
            delete m_animo;
    }
    CAnimoRelease(const CAnimoRelease&) = delete;
    CAnimoRelease& operator=(const CAnimoRelease&) = delete;

private:
    CWindow* m_window;
    CAnimo6* m_animo;
    bool m_shared;
};

}  // namespace

// ---- construction ---------------------------------------------------------------------

CMC_Animo::CMC_Animo(CMC_ObjectsContainer* container)
    : CMC_Object(CXString("temp"), kType), m_window(container ? container->getWindow() : nullptr) {
    (void)g_registered;
    setScene(container);
}

CMC_Animo::CMC_Animo(CMC_ObjectsContainer* container, CAnimo6* animo)
    : CMC_Object(CXString("clone"), kType), m_window(container ? container->getWindow() : nullptr), m_animo(animo) {
    setScene(container);
    if (m_animo) m_animo->setNotifier(this);
}

CMC_Animo::CMC_Animo(CMC_ObjectsContainer* container, CMElement* element)
    : CMC_Object(container, element, kType), m_window(container ? container->getWindow() : nullptr) {
    CXString fileName;
    bool toCanvas = false;
    bool visible = false;
    bool flushAfterPlayed = false;
    int fps = 0;
    if (element) {
        fileName = element->getPropertyValue(CXString("FILENAME"));
        toCanvas = element->getPropertyBoolValue(CXString("TOCANVAS"));
        visible = element->getPropertyBoolValue(CXString("VISIBLE"));
        flushAfterPlayed = element->getPropertyBoolValue(CXString("FLUSHAFTERPLAYED"));
        const CXString preload = element->getPropertyValue(CXString("PRELOAD"));
        m_preload = preload.IsString() ? element->getPropertyBoolValue(CXString("PRELOAD")) : true;
        m_monitorCollision = element->getPropertyBoolValue(CXString("MONITORCOLLISION"));
        m_monitorCollisionAlpha = element->getPropertyBoolValue(CXString("MONITORCOLLISIONALPHA"));
        m_priority = element->getPropertyIntValue(CXString("PRIORITY"));
        fps = element->getPropertyIntValue(CXString("FPS"));
    } else {
        m_preload = true;
    }
    load(fileName, m_preload);
    if (m_animo) {
        m_animo->toRelease(flushAfterPlayed);
        if (m_monitorCollision || m_monitorCollisionAlpha) startCollisionMonitoring();
        if (toCanvas)
            if (CRefreshScreen* screen = screenOf(m_window)) screen->put(m_animo, m_priority);
        m_animo->setVisibility(visible);
        m_animo->SetFPS(fps == 0 ? kDefaultFPS : fps < 0 ? 1 : fps);
        m_animo->addNotifier(this);
    }
    if (element) {
        m_asButton = element->getPropertyBoolValue(CXString("ASBUTTON"));
        m_onFirstFrame = element->getPropertyBoolValue(CXString("ONFIRSTFRAME"));
    }
    initializeBehaviours(container, element);
}

CMC_Animo::~CMC_Animo() {
    // The sequences playing this object's animation forget it before it goes.
    if (m_sequences) {
        std::vector<CPlayable*> users;
        for (int i = 0; i < m_sequences->getCount(); ++i) users.push_back(static_cast<CPlayable*>(m_sequences->at(i)));
        m_sequences->removeAll();
        for (CPlayable* user : users)
            if (auto* link = dynamic_cast<CScriptAnimoUser*>(user)) link->forgetScriptAnimo(this);
    }
    dropAnimation();
    unwatchAnimation();
    delete m_sequences;
}

CXString** CMC_Animo::getBehavioursList() {
    return makeBehavioursList({"ONINIT", "ONDONE", "ONSIGNAL", "ONSTARTED", "ONFINISHED", "ONPAUSED", "ONRESUMED",
                               "ONFRAMECHANGED", "ONCOLLISION", "ONCOLLISIONFINISHED", "ONFOCUSON", "ONFOCUSOFF",
                               "ONCLICK", "ONRELEASE"});
}

void CMC_Animo::listenToMouse() {
    if (m_mouseListening) return;
    m_focused = false;
    m_mouseListening = true;
    if (m_window) m_window->registerMouseListener(this, m_priority);
}

bool CMC_Animo::verifyBehaviour(CXString key) {
    if (key.startsWith("ONCLICK") || key.startsWith("ONRELEASE") || key.equals("ONFOCUSON") ||
        key.equals("ONFOCUSOFF"))
        listenToMouse();
    return true;
}

void CMC_Animo::initializeBehaviours(CMC_ObjectsContainer* container, CMElement* element) {
    CMC_Object::initializeBehaviours(container, element);
    if (element) return;
    if (isEventHandled(kOnClick) || isEventHandled(kOnRelease) || isEventHandled(kOnFocusOn) ||
        isEventHandled(kOnFocusOff))
        listenToMouse();
}

CXString CMC_Animo::getSignalEvent(CXString name) {
    static const CXString suffix("_REVERSE");
    if (name.getLength() > suffix.getLength() && name.endsWith(suffix))
        return name.Left(name.getLength() - suffix.getLength());
    return name;
}

// ---- the animation ---------------------------------------------------------------------

void CMC_Animo::startCollisionMonitoring() {
    auto* scene = dynamic_cast<CMC_Scene*>(getScene());
    if (!scene || !m_animo) return;
    scene->monitorCollisions(m_animo, m_monitorCollisionAlpha, this);
    // The scene leaves the flag at the alpha choice; a monitored animation that moves
    // must be reported, so the flag is set as MONITORCOLLISION sets it.
    m_animo->setMonitorCollisions(true);
}

void CMC_Animo::removeCollisionsMonitoring() {
    auto* scene = dynamic_cast<CMC_Scene*>(getScene());
    if (scene && m_animo) {
        scene->removeMonitorCollisions(m_animo, this);
        return;
    }
    // Outside a scene the inspector is told directly that this observer goes.
    if (CCollisionInspector* inspector = m_window ? m_window->getCollisionInspectorInterface() : nullptr)
        inspector->removeNotifier(this);
}

void CMC_Animo::releaseAnimation() {
    unwatchAnimation();
    CAnimo6* animo = m_animo;
    const bool shared = m_shared;
    m_animo = nullptr;
    m_shared = false;
    if (!animo) return;
    animo->removeNotifier(this);
    if (m_callbackDepth > 0) {
        CMC_Object::dispose(new CAnimoRelease(m_window, animo, shared));
        return;
    }
    letGo(m_window, dynamic_cast<CMC_Scene*>(getScene()), animo, shared);
}

void CMC_Animo::load(CXString fileName, bool preload) {
    forgetLostAnimation();
    if (m_animo && m_animo->getFileName().equalsIgnoreCase(fileName)) {
        if (m_sequences)
            for (int i = 0; i < m_sequences->getCount(); ++i)
                static_cast<CPlayable*>(m_sequences->at(i))->substAnimation(m_animo);
        return;
    }
    CRefreshScreen* screen = screenOf(m_window);
    const int oldPriority = m_animo && screen ? screen->GetPriority(m_animo) : -1;
    CMC_ObjectsContainer* container = getScene();
    CResourcesManager* resources =
        container && container->getType() == CMC_ObjectsContainer::kScene ? sharedResources() : nullptr;

    if (m_animo) {
        removeCollisionsMonitoring();
        releaseAnimation();
    }
    if (resources) {
        if (fileName.IsString())
            if (CFileResolver* found = resources->get(fileName)) {
                m_animo = dynamic_cast<CAnimo6*>(found);
                // Something else of that name: its reference goes back at once.
                if (!m_animo) resources->remove(found);
            }
        if (!m_animo) {
            m_animo = new CAnimo6(m_window);
            m_animo->setFilename(fileName);
            if (preload && fileName.IsString()) m_animo->Load(fileName);
            resources->add(m_animo);
        }
        m_shared = true;
        watchAnimation(m_animo);
    } else {
        m_animo = new CAnimo6(m_window);
        m_animo->setFilename(fileName);
        if (preload && fileName.IsString()) m_animo->Load(fileName);
        m_shared = false;
    }

    if (oldPriority > -1) {
        if (screen) screen->put(m_animo, oldPriority);
        m_animo->setNotifier(this);
        if (m_monitorCollision || m_monitorCollisionAlpha) startCollisionMonitoring();
        m_animo->setMonitorCollisions(m_monitorCollision || m_monitorCollisionAlpha);
    }
    if (m_sequences)
        for (int i = 0; i < m_sequences->getCount(); ++i)
            static_cast<CPlayable*>(m_sequences->at(i))->substAnimation(m_animo);
}

void CMC_Animo::forgetLostAnimation() {
    if (!m_shared || !m_animo || m_watched == m_animo) return;
    // The default unit's manager was flushed (or went) and deleted the shared animation.
    m_animo = nullptr;
    m_shared = false;
}

void CMC_Animo::watchAnimation(CAnimo6* animo) {
    unwatchAnimation();
    if (!animo) return;
    animo->addInvalidateObserver(&m_watch);
    m_watched = animo;
}

void CMC_Animo::unwatchAnimation() {
    if (m_watched) m_watched->removeInvalidateObserver(&m_watch);
    m_watched = nullptr;
}

void CMC_Animo::AnimationWatch::onDestroy(CGraphicsObject* object) {
    if (!m_owner->m_watched || object != static_cast<CGraphicsObject*>(m_owner->m_watched)) return;
    // Its collision monitoring goes with it; the pointer is compared, never followed.
    if (m_owner->m_animo == m_owner->m_watched) m_owner->removeCollisionsMonitoring();
    m_owner->m_watched = nullptr;
}

CAnimo6* CMC_Animo::getAnimo() {
    forgetLostAnimation();
    return m_animo;
}

void CMC_Animo::leaveCallers() {
    forgetLostAnimation();
    if (m_animo) {
        m_animo->removeNotifier(this);
        removeCollisionsMonitoring();
    } else if (CCollisionInspector* inspector = m_window ? m_window->getCollisionInspectorInterface() : nullptr) {
        inspector->removeNotifier(this);
    }
    if (m_mouseListening && m_window) m_window->removeMouseListener(this);
    m_mouseListening = false;
    m_focused = false;
}

void CMC_Animo::dropAnimation() {
    leaveCallers();
    if (!m_animo) return;
    if (m_sequences)
        for (int i = 0; i < m_sequences->getCount(); ++i)
            static_cast<CPlayable*>(m_sequences->at(i))->substAnimation(nullptr);
    releaseAnimation();
}

bool CMC_Animo::done(bool flag) {
    dropAnimation();
    return CMC_Object::done(flag);
}

CXObject* CMC_Animo::clone() {
    forgetLostAnimation();
    if (!m_animo) return nullptr;
    auto* copy = dynamic_cast<CAnimo6*>(m_animo->clone());
    if (!copy) return nullptr;
    CRefreshScreen* screen = screenOf(m_window);
    if (screen) {
        const int priority = screen->GetPriority(m_animo);
        screen->put(copy, priority < 0 ? 0 : priority);
    }
    return new CMC_Animo(getScene(), copy);
}

void CMC_Animo::setAsButton(bool asButton, bool activeCursor) {
    forgetLostAnimation();
    m_asButton = asButton;
    m_activeCursor = activeCursor;
    playEvent("ONNOEVENT");
    m_focused = false;
}

void CMC_Animo::addSeq(CPlayable* playable) {
    if (!playable) return;
    if (!m_sequences) m_sequences = new CXArray(kListCapacity, kLoadFactor);
    if (!m_sequences->contains(playable)) m_sequences->add(playable);
}

void CMC_Animo::removeSeq(CPlayable* playable) {
    if (m_sequences) m_sequences->remove(playable);
}

int CMC_Animo::getSequenceCount() const { return m_sequences ? m_sequences->getCount() : 0; }

// ---- binary image ----------------------------------------------------------------------

void CMC_Animo::serialize(CXArchive* archive) {
    forgetLostAnimation();
    CMC_Object::serialize(archive);
    if (archive->isStoring()) {
        CRefreshScreen* screen = screenOf(m_window);
        *archive << m_asButton;
        *archive << m_monitorCollision;
        *archive << m_monitorCollisionAlpha;
        *archive << (m_animo ? m_animo->getFileName() : CXString());
        *archive << (m_animo && screen && screen->GetPriority(m_animo) != -1);
        *archive << (m_animo && m_animo->isVisible());
        *archive << static_cast<int>(m_priority);
        *archive << (m_animo && m_animo->releaseAfterUse());
        *archive << m_preload;
        // The frame rate and the first-frame switch are not stored: an object read back
        // plays at its animation file's own rate.
        return;
    }
    CXString fileName;
    bool toCanvas = false;
    bool visible = false;
    bool release = false;
    int priority = 0;
    *archive >> &m_asButton;
    *archive >> &m_monitorCollision;
    *archive >> &m_monitorCollisionAlpha;
    *archive >> &fileName;
    *archive >> &toCanvas;
    *archive >> &visible;
    *archive >> &priority;
    *archive >> &release;
    *archive >> &m_preload;
    m_priority = priority;
    load(fileName, m_preload);
    if (!m_animo) return;
    m_animo->toRelease(release);
    m_animo->Visible(visible);
    if (m_monitorCollision || m_monitorCollisionAlpha) startCollisionMonitoring();
    if (toCanvas)
        if (CRefreshScreen* screen = screenOf(m_window)) screen->put(m_animo, m_priority);
}

// ---- playable events -------------------------------------------------------------------

void CMC_Animo::raisePlayableEvent(int index, const char* event) {
    if (!m_animo || !isEventHandled(index)) return;
    CXString name = m_animo->getCurrentEventName();
    name.Upper();
    onSignal(CXString(event), getSignalEvent(name));
}

bool CMC_Animo::onPlayableStarted(CPlayable*) {
    ++m_callbackDepth;
    raisePlayableEvent(kOnStarted, "ONSTARTED");
    --m_callbackDepth;
    return false;
}

bool CMC_Animo::onPlayableFinished(CPlayable*) {
    ++m_callbackDepth;
    raisePlayableEvent(kOnFinished, "ONFINISHED");
    --m_callbackDepth;
    return false;
}

bool CMC_Animo::onPlayableTick(CPlayable*) {
    ++m_callbackDepth;
    raiseFrameChanged();
    --m_callbackDepth;
    return false;
}

void CMC_Animo::raiseFrameChanged() {
    if (!m_animo || !isEventHandled(kOnFrameChanged)) return;
    CXString eventName = m_animo->getCurrentEventName();
    eventName.Upper();
    const _anmFrameInfo3* record = m_animo->GetFrameInfo(-1, -1);
    CXString first;
    if (record && record->hasName && record->name.IsString()) {
        CXString frameName = record->name;
        frameName.Upper();
        first = CXString("ONFRAMECHANGED^") + frameName;
    } else {
        first = CXString("ONFRAMECHANGEDFRAME^") + CXString::toString(m_animo->Current());
    }
    if (onSignal(first)) return;
    onSignal(CXString("ONFRAMECHANGED"), getSignalEvent(eventName));
}

// ---- collisions ------------------------------------------------------------------------

void CMC_Animo::raiseCollision(int index, const char* event, CGraphicsObject* mover, CGraphicsObject* other) {
    forgetLostAnimation();
    if (!m_animo || mover != m_animo || !isEventHandled(index)) return;
    CMC_ObjectsContainer* container = getScene();
    const CXString otherName = container ? container->getGraphicsObjectName(other, true) : CXString("UNKNOWN");
    CXString eventName = m_animo->getCurrentEventName();
    eventName.Upper();
    const CXString caret = CXString(event) + "^";
    if (onSignal(caret + getSignalEvent(eventName) + "^" + otherName)) return;
    if (onSignal(caret + otherName)) return;
    const CXString ownName = container ? container->getGraphicsObjectName(mover, true) : CXString("UNKNOWN");
    auto* arguments = new CXArray(kListCapacity, kLoadFactor);
    arguments->add(new CXString(ownName));
    arguments->add(new CXString(otherName));
    onSignal(CXString(event), arguments);
    for (int i = 0; i < arguments->getCount(); ++i) delete static_cast<CXString*>(arguments->at(i));
    delete arguments;
}

void CMC_Animo::onCollision(CGraphicsObject* mover, CGraphicsObject* other) {
    ++m_callbackDepth;
    raiseCollision(kOnCollision, "ONCOLLISION", mover, other);
    --m_callbackDepth;
}

void CMC_Animo::onCollisionFinished(CGraphicsObject* mover, CGraphicsObject* other) {
    ++m_callbackDepth;
    raiseCollision(kOnCollisionFinished, "ONCOLLISIONFINISHED", mover, other);
    --m_callbackDepth;
}

// ---- button mode -----------------------------------------------------------------------

void CMC_Animo::playEvent(const char* event) {
    if (m_animo) m_animo->Play(CXString(event), 0, 15);
}

bool CMC_Animo::playingEvent(const char* event) { return m_animo && m_animo->isPlaying(CXString(event)); }

bool CMC_Animo::hits(CXPoint point) {
    if (!m_animo) return false;
    CXRect box;
    if (m_onFirstFrame) {
        CFrame* first = m_animo->GetFrame(0);
        if (!first) return false;
        // A frame's box is its place within the animation; the animation's place moves it.
        box = first->GetBoundingBox() + m_animo->getPosition();
    } else {
        box = m_animo->GetBoundingBox();
    }
    return box.IsInRect(point);
}

bool CMC_Animo::onMouseMove(CXPoint point) {
    forgetLostAnimation();
    if (!m_asButton || CWindow::isPaused() || !m_animo || !m_animo->isVisible()) return false;
    const bool wanted = m_mouseListening && (isEventHandled(kOnFocusOn) || isEventHandled(kOnFocusOff));
    const bool inside = hits(point);
    if (!m_focused && inside) {
        if (!playingEvent("ONCLICK")) {
            playEvent("ONFOCUSON");
            if (m_activeCursor && m_window) m_window->BeginActiveCursor();
        }
        if (wanted) {
            m_focused = true;
            onSignal(CXString("ONFOCUSON"));
        }
    } else if (m_focused && !inside) {
        if (!playingEvent("ONCLICK")) playEvent("ONFOCUSOFF");
        if (m_activeCursor && m_window) m_window->EndActiveCursor();
        if (wanted) {
            m_focused = false;
            onSignal(CXString("ONFOCUSOFF"));
        }
    }
    return false;
}

bool CMC_Animo::onClick(int button, CXPoint point) {
    forgetLostAnimation();
    if (!m_asButton || CWindow::isPaused() || !m_animo || !m_animo->isVisible() || !m_mouseListening) return false;
    if (!hits(point)) return false;
    const CXString name = CMC_Mouse::getButton(button);
    if (!playingEvent("ONCLICK")) playEvent("ONCLICK");
    if (m_activeCursor && m_window) m_window->EndActiveCursor();
    if (isEventHandled(kOnClick)) onSignal(CXString("ONCLICK"), name);
    return true;
}

bool CMC_Animo::onRelease(int button, CXPoint point) {
    forgetLostAnimation();
    if (!m_asButton || CWindow::isPaused() || !m_animo || !m_animo->isVisible() || !m_mouseListening ||
        !isEventHandled(kOnRelease))
        return false;
    if (!hits(point)) return false;
    onSignal(CXString("ONRELEASE"), CMC_Mouse::getButton(button));
    return true;
}
