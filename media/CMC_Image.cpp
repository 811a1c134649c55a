#include "media/CMC_Image.h"

#include "foundation/CResourcesManager.h"
#include "foundation/CXArchive.h"
#include "foundation/CXArray.h"
#include "graphics/image/CImage.h"
#include "graphics/screen/CRefreshScreen.h"
#include "media/CMC_ButtonSignals.h"
#include "media/CSharedImage.h"
#include "scene/CMC_Mouse.h"
#include "scene/CMC_Scene.h"
#include "scene/CMC_SceneBinary.h"
#include "script/CMC_Dummy_Runner.h"
#include "script/CMC_ObjectsContainer.h"
#include "script/CMC_TypeTable.h"
#include "script/CMElement.h"
#include "shell/CUnit6.h"
#include "shell/CWindow.h"

namespace {

CGraphicsObject* imageOf(CMC_Object* object, const CXString&) {
    auto* image = dynamic_cast<CMC_Image*>(object);
    return image ? image->getImage() : nullptr;
}

const bool g_registered =
    CMC_TypeTable::registerType("IMAGE",
                                [](CMC_ObjectsContainer* c, CMElement* e) -> CMC_Object* { return new CMC_Image(c, e); }) &&
    CMC_Dummy_Runner::registerCreator("IMAGE",
                                      [](CMC_ObjectsContainer* c) -> CMC_Object* { return new CMC_Image(c); }) &&
    CMC_SceneBinary::registerPrototype(CMC_Image::kType,
                                       [](CMC_Scene* scene) -> CMC_Object* { return new CMC_Image(scene); }) &&
    (CMC_ObjectsContainer::registerGraphicsAccessor(CMC_Image::kType, &imageOf), true);

CWindow* windowOf(CMC_ObjectsContainer* container) { return container ? container->getWindow() : nullptr; }

bool startsWith(const CXString& text, const char* prefix) {
    const CXString p(prefix);
    return text.getLength() >= p.getLength() && text.Left(p.getLength()) == p;
}

}  // namespace

// ---- construction ---------------------------------------------------------------

CMC_Image::CMC_Image(CMC_ObjectsContainer* container)
    : CMC_Object(CXString(""), kType), m_window(windowOf(container)) {
    (void)g_registered;
}

CMC_Image::CMC_Image(CMC_ObjectsContainer* container, CImage* image)
    : CMC_Object(CXString("clone"), kType), m_window(windowOf(container)) {
    setScene(container);
    setImage(image, false);
}

CMC_Image::CMC_Image(CMC_ObjectsContainer* container, CMElement* element)
    : CMC_Object(container, element, kType), m_window(windowOf(container)) {
    const CXString fileName = element ? element->getPropertyValue(CXString("FILENAME")) : CXString();
    const bool toCanvas = element && element->getPropertyBoolValue(CXString("TOCANVAS"));
    const bool visible = element && element->getPropertyBoolValue(CXString("VISIBLE"));
    const bool flush = element && element->getPropertyBoolValue(CXString("FLUSHAFTERPLAYED"));
    const CXString preload = element ? element->getPropertyValue(CXString("PRELOAD")) : CXString();
    // Kept as the load-at-once choice, so an image read back from a stored scene loads
    // as the definition did (an absent PRELOAD loads at once).
    m_preload = !preload.IsString() || (element && element->getPropertyBoolValue(CXString("PRELOAD")));
    m_monitorCollision = element && element->getPropertyBoolValue(CXString("MONITORCOLLISION"));
    m_monitorCollisionAlpha = element && element->getPropertyBoolValue(CXString("MONITORCOLLISIONALPHA"));
    m_priority = element ? element->getPropertyIntValue(CXString("PRIORITY")) : 0;

    load(fileName, m_preload);
    if (m_image) {
        m_image->toRelease(flush);
        m_image->Visible(visible);
        const CXPoint position = m_image->GetPosition();
        m_resetX = position.x;
        m_resetY = position.y;
        monitorWhenAsked();
        if (toCanvas)
            if (CRefreshScreen* s = screen()) s->put(m_image, m_priority);
    }
    m_asButton = element && element->getPropertyBoolValue(CXString("ASBUTTON"));
    initializeBehaviours(container, element);
}

CMC_Image::~CMC_Image() {
    leaveCallbacks();
    releaseImage();
}

CXString** CMC_Image::getBehavioursList() {
    return makeBehavioursList({"ONINIT", "ONDONE", "ONSIGNAL", "ONCOLLISION", "ONCOLLISIONFINISHED", "ONFOCUSON",
                               "ONFOCUSOFF", "ONCLICK", "ONRELEASE"});
}

// ---- helpers ----------------------------------------------------------------------

CRefreshScreen* CMC_Image::screen() const { return m_window ? m_window->GetRefreshScreenInterface() : nullptr; }

CMC_Scene* CMC_Image::collisionScene() { return dynamic_cast<CMC_Scene*>(getScene()); }

CResourcesManager* CMC_Image::resourcesManager() {
    CMC_ObjectsContainer* container = getScene();
    if (!container || container->getType() != CMC_ObjectsContainer::kScene) return nullptr;
    CUnit6* unit = CMC_Scene::getDefUnit();
    return unit ? unit->getResourcesManager() : nullptr;
}

void CMC_Image::ImageWatch::onDestroy(CGraphicsObject* object) {
    if (!m_owner->m_image || object != static_cast<CGraphicsObject*>(m_owner->m_image)) return;
    // Deleted under the object (a manager flushed): nothing of it is ours any more.
    m_owner->removeCollisionsMonitoring();
    m_owner->m_image = nullptr;
    m_owner->m_watched = nullptr;
    m_owner->m_ownReference = false;
    m_owner->m_cloneReferences = 0;
}

void CMC_Image::watchImage(CImage* image) {
    unwatchImage();
    if (!image) return;
    image->addInvalidateObserver(&m_watch);
    m_watched = image;
}

void CMC_Image::unwatchImage() {
    if (m_watched) m_watched->removeInvalidateObserver(&m_watch);
    m_watched = nullptr;
}

void CMC_Image::setImage(CImage* image, bool shared) {
    m_image = image;
    m_ownReference = shared && image;
    m_cloneReferences = 0;
    watchImage(image);
}

void CMC_Image::releaseImage() {
    CImage* image = m_image;
    if (!image) return;
    unwatchImage();
    m_image = nullptr;
    if (m_ownReference) {
        m_ownReference = false;
        int references = 1 + m_cloneReferences;
        m_cloneReferences = 0;
        // The unit's manager (the same one that gave the references); without one the
        // manager went away with its images.
        CUnit6* unit = CMC_Scene::getDefUnit();
        CResourcesManager* manager = unit ? unit->getResourcesManager() : nullptr;
        if (!manager) return;
        while (references-- > 0)
            if (manager->remove(image)) break;
        return;
    }
    image->Visible(false);
    if (CRefreshScreen* s = screen()) *s >> image;
    delete image;
}

void CMC_Image::monitorWhenAsked() {
    if (!m_monitorCollision && !m_monitorCollisionAlpha) return;
    watchCollisions(m_monitorCollisionAlpha);
}

void CMC_Image::watchCollisions(bool alpha) {
    if (!m_image) return;
    CMC_Scene* scene = collisionScene();
    if (!scene) return;
    // The scene passes over an image whose flag is set (another user of a shared image
    // may have set it), and sets it to the alpha test; moves reach the inspector only
    // with the flag set.
    m_image->setMonitorCollisions(false);
    scene->monitorCollisions(m_image, alpha, this);
    m_image->setMonitorCollisions(true);
}

void CMC_Image::removeCollisionsMonitoring() {
    if (CMC_Scene* scene = collisionScene()) scene->removeMonitorCollisions(m_image, this);
    // Without a scene the observer may still be registered by a scene that is gone.
    if (m_window)
        if (CCollisionInspector* inspector = m_window->getCollisionInspectorInterface())
            inspector->removeNotifier(this);
}

void CMC_Image::leaveCallbacks() {
    if (m_listening && m_window) m_window->removeMouseListener(this);
    m_listening = false;
    if (m_image) {
        removeCollisionsMonitoring();
    } else if (m_window) {
        if (CCollisionInspector* inspector = m_window->getCollisionInspectorInterface())
            inspector->removeNotifier(this);
    }
}

// ---- loading ------------------------------------------------------------------------

void CMC_Image::load(CXString fileName, bool loadNow) {
    CResourcesManager* manager = resourcesManager();
    CRefreshScreen* s = screen();
    const int oldPriority = m_image && s ? s->GetPriority(m_image) : -1;

    if (m_image) {
        removeCollisionsMonitoring();
        // A shared image stays where it is for its other users; the manager takes it
        // off the screen with its last reference.
        releaseImage();
    }
    if (manager && fileName.IsString()) {
        if (CFileResolver* found = manager->get(fileName)) {
            if (auto* image = dynamic_cast<CImage*>(found))
                setImage(image, true);
            else
                manager->remove(found);  // another kind of resource of that name
        }
    }
    if (!m_image) {
        auto* image = new CSharedImage(m_window);
        image->setFilename(fileName);
        image->setFileName(fileName);
        if (loadNow) image->Load(fileName, true);
        if (manager) manager->add(image);
        setImage(image, manager != nullptr);
    }

    if (oldPriority != -1 && m_image) {
        if (s) s->put(m_image, oldPriority);
        monitorWhenAsked();
        m_image->setMonitorCollisions(m_monitorCollision || m_monitorCollisionAlpha);
    }
}

// ---- lifetime -----------------------------------------------------------------------

CXObject* CMC_Image::clone() {
    CSharedImage* copy = CSharedImage::copyOf(m_image, m_window);
    CRefreshScreen* s = screen();
    const int priority = m_image && s ? s->GetPriority(m_image) : -1;
    // The clone's reference on the source's entry; the source lets it go with its own.
    if (m_image && m_ownReference) {
        if (CResourcesManager* manager = resourcesManager()) {
            CFileResolver* found = manager->get(m_image->CPlayable::getFileName());
            if (found == static_cast<CFileResolver*>(m_image))
                ++m_cloneReferences;
            else if (found)
                manager->remove(found);
        }
    }
    if (priority != -1 && s) s->put(copy, priority);
    return new CMC_Image(getScene(), copy);
}

bool CMC_Image::done(bool flag) {
    leaveCallbacks();
    releaseImage();
    return CMC_Object::done(flag);
}

// ---- serialised part ------------------------------------------------------------------

void CMC_Image::serialize(CXArchive* archive) {
    CMC_Object::serialize(archive);
    if (archive->isStoring()) {
        CRefreshScreen* s = screen();
        const bool offList = !m_image || !s || s->GetPriority(m_image) == -1;
        *archive << m_asButton;
        *archive << m_monitorCollision;
        *archive << m_monitorCollisionAlpha;
        *archive << (m_image ? m_image->CGraphicsObject::getFileName() : CXString());
        *archive << offList;
        *archive << (m_image ? m_image->CGraphicsObject::isVisible() : false);
        *archive << static_cast<int>(m_priority);
        *archive << (m_image ? m_image->releaseAfterUse() : false);
        *archive << m_preload;
        return;
    }
    CXString fileName;
    bool offList = true;
    bool visible = false;
    bool release = false;
    int priority = 0;
    *archive >> &m_asButton;
    *archive >> &m_monitorCollision;
    *archive >> &m_monitorCollisionAlpha;
    *archive >> &fileName;
    *archive >> &offList;
    *archive >> &visible;
    *archive >> &priority;
    *archive >> &release;
    *archive >> &m_preload;
    m_priority = priority;
    if (!m_window) m_window = windowOf(getScene());
    load(fileName, m_preload);
    if (!m_image) return;
    m_image->toRelease(release);
    m_image->Visible(visible);
    monitorWhenAsked();
    if (!offList)
        if (CRefreshScreen* s = screen()) s->put(m_image, m_priority);
}

// ---- pointer --------------------------------------------------------------------------

bool CMC_Image::verifyBehaviour(CXString key) {
    if (!m_listening && (startsWith(key, "ONCLICK") || startsWith(key, "ONRELEASE") || key == CXString("ONFOCUSON") ||
                         key == CXString("ONFOCUSOFF"))) {
        m_focused = false;
        if (m_window) {
            m_listening = true;
            m_window->registerMouseListener(this, m_priority);
        }
    }
    return true;
}

void CMC_Image::initializeBehaviours(CMC_ObjectsContainer* container, CMElement* element) {
    CMC_Object::initializeBehaviours(container, element);
    if (element || m_listening) return;
    if (isEventHandled(kOnClick) || isEventHandled(kOnRelease) || isEventHandled(kOnFocusOn) ||
        isEventHandled(kOnFocusOff))
        verifyBehaviour(CXString("ONCLICK"));
}

bool CMC_Image::gate(bool flagSet) {
    return m_asButton && m_image && m_image->CGraphicsObject::isVisible() && flagSet && m_listening;
}

bool CMC_Image::onMouseMove(CXPoint point) {
    if (!gate(isEventHandled(kOnFocusOn) || isEventHandled(kOnFocusOff))) return false;
    raiseFocusChange(this, m_window, m_image->GetBoundingBox().IsInRect(point), &m_focused, m_cursorOnHover);
    return false;
}

bool CMC_Image::onClick(int button, CXPoint point) {
    if (!gate(isEventHandled(kOnClick))) return false;
    if (!m_image->GetBoundingBox().IsInRect(point)) return false;
    raiseClick(this, m_window, button, m_cursorOnHover);
    return true;
}

bool CMC_Image::onRelease(int button, CXPoint point) {
    if (!gate(isEventHandled(kOnRelease))) return false;
    if (m_image->GetBoundingBox().IsInRect(point)) onSignal(CXString("ONRELEASE"), CMC_Mouse::getButton(button));
    return false;
}

// ---- collisions -------------------------------------------------------------------------

void CMC_Image::collisionEvent(const char* event, int flag, CGraphicsObject* own, CGraphicsObject* other) {
    if (!isEventHandled(flag) || !own || own != static_cast<CGraphicsObject*>(m_image)) return;
    CMC_ObjectsContainer* container = getScene();
    const CXString unknown("UNKNOWN");
    const CXString otherName = container ? container->getGraphicsObjectName(other, true) : unknown;
    CXString key(event);
    key += '^';
    key += otherName;
    if (onSignal(key)) return;
    const CXString ownName = container ? container->getGraphicsObjectName(own, true) : unknown;
    CXArray arguments;
    arguments.add(new CXString(ownName));
    arguments.add(new CXString(otherName));
    onSignal(CXString(event), &arguments);
    for (int i = 0; i < arguments.getCount(); ++i) delete static_cast<CXString*>(arguments.at(i));
}

void CMC_Image::onCollision(CGraphicsObject* own, CGraphicsObject* other) {
    collisionEvent("ONCOLLISION", kOnCollision, own, other);
}

void CMC_Image::onCollisionFinished(CGraphicsObject* own, CGraphicsObject* other) {
    collisionEvent("ONCOLLISIONFINISHED", kOnCollisionFinished, own, other);
}
