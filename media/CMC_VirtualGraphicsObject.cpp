#include "media/CMC_VirtualGraphicsObject.h"

#include "graphics/canvas/CVirtualGraphicsObject.h"
#include "graphics/screen/CRefreshScreen.h"
#include "scene/CMC_Scene.h"
#include "script/CMC_ObjectsContainer.h"
#include "script/CMC_TypeTable.h"
#include "script/CMElement.h"
#include "shell/CWindow.h"

namespace {

CGraphicsObject* engineOf(CMC_Object* object, const CXString&) {
    auto* vgo = dynamic_cast<CMC_VirtualGraphicsObject*>(object);
    if (!vgo) return nullptr;
    return vgo->getEngine();
}

// The scene's run-time creation of kind "VGO": a visible engine object on the screen at
// priority 0, wrapped and named.
CMC_Object* createAtRunTime(CMC_ObjectsContainer* scope, CXString name);

const bool g_registered =
    CMC_TypeTable::registerType("VIRTUALGRAPHICSOBJECT",
                                [](CMC_ObjectsContainer* c, CMElement* e) -> CMC_Object* {
                                    return new CMC_VirtualGraphicsObject(c, e);
                                }) &&
    (CMC_ObjectsContainer::registerGraphicsAccessor(CMC_VirtualGraphicsObject::kType, &engineOf), true) &&
    CMC_Scene::registerRuntimeKind("VGO", &createAtRunTime);

CWindow* windowOf(CMC_ObjectsContainer* container) { return container ? container->getWindow() : nullptr; }

CRefreshScreen* screenOf(CWindow* window) { return window ? window->GetRefreshScreenInterface() : nullptr; }

CMC_Object* createAtRunTime(CMC_ObjectsContainer* scope, CXString name) {
    CWindow* window = windowOf(scope);
    auto* engine = new CVirtualGraphicsObject(window);
    engine->Visible(true);
    if (CRefreshScreen* screen = screenOf(window)) screen->put(engine, 0);
    auto* object = new CMC_VirtualGraphicsObject(scope, engine);
    object->setName(name);
    return object;
}

}  // namespace

CMC_VirtualGraphicsObject::CMC_VirtualGraphicsObject(CMC_ObjectsContainer* container, CMElement* element)
    : CMC_Object(container, element, kType), m_window(windowOf(container)) {
    (void)g_registered;
    const bool toCanvas = element && element->getPropertyBoolValue(CXString("TOCANVAS"));
    const bool visible = element && element->getPropertyBoolValue(CXString("VISIBLE"));
    const bool monitor = element && element->getPropertyBoolValue(CXString("MONITORCOLLISION"));
    const bool monitorAlpha = element && element->getPropertyBoolValue(CXString("MONITORCOLLISIONALPHA"));
    m_engine = new CVirtualGraphicsObject(m_window);
    if (!visible) m_engine->Visible(false);
    m_priority = element ? element->getPropertyIntValue(CXString("PRIORITY")) : 0;
    if (monitor || monitorAlpha)
        if (CMC_Scene* s = scene()) {
            s->monitorCollisions(m_engine, monitorAlpha, this);
            m_monitored = true;
        }
    if (toCanvas)
        if (CRefreshScreen* screen = screenOf(m_window)) screen->put(m_engine, m_priority);
    if (element) {
        m_sourceName = element->getPropertyValue(CXString("SOURCE"));
        m_maskName = element->getPropertyValue(CXString("MASK"));
        m_asButton = element->getPropertyBoolValue(CXString("ASBUTTON"));
    }
    initializeBehaviours(container, element);
}

CMC_VirtualGraphicsObject::CMC_VirtualGraphicsObject(CMC_ObjectsContainer* container, CVirtualGraphicsObject* engine)
    : CMC_Object(CXString("clone"), kType), m_window(windowOf(container)), m_engine(engine) {
    (void)g_registered;
    setScene(container);
}

CMC_VirtualGraphicsObject::~CMC_VirtualGraphicsObject() {
    if (m_monitored)
        if (CMC_Scene* s = scene()) s->removeMonitorCollisions(m_engine, this);
    delete m_engine;
    m_engine = nullptr;
}

CMC_Scene* CMC_VirtualGraphicsObject::scene() { return dynamic_cast<CMC_Scene*>(getScene()); }

void CMC_VirtualGraphicsObject::monitorCollisions(bool alpha) {
    CMC_Scene* s = scene();
    if (!s || !m_engine) return;
    s->monitorCollisions(m_engine, alpha, this);
    m_monitored = true;
    m_engine->setMonitorCollisions(true);
}

CXObject* CMC_VirtualGraphicsObject::clone() {
    if (!m_engine) return nullptr;
    auto* copy = static_cast<CVirtualGraphicsObject*>(m_engine->clone());
    if (CRefreshScreen* screen = screenOf(m_window)) {
        const int priority = screen->GetPriority(m_engine);
        if (priority >= 0) screen->put(copy, priority);
    }
    return new CMC_VirtualGraphicsObject(getScene(), copy);
}

CXString** CMC_VirtualGraphicsObject::getBehavioursList() { return makeBehavioursList({"ONINIT", "ONDONE", "ONSIGNAL"}); }
