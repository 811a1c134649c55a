#include "media/CMC_CanvasObserver.h"

#include "scene/CMC_Scene.h"
#include "scene/CMC_SceneBinary.h"
#include "script/CMC_ObjectsContainer.h"
#include "script/CMC_TypeTable.h"
#include "shell/CWindow.h"

namespace {

const bool g_registered =
    CMC_TypeTable::registerType("CANVAS_OBSERVER",
                                [](CMC_ObjectsContainer* c, CMElement* e) -> CMC_Object* {
                                    return new CMC_CanvasObserver(c, e);
                                }) &&
    CMC_SceneBinary::registerPrototype(CMC_CanvasObserver::kType,
                                       [](CMC_Scene* scene) -> CMC_Object* { return new CMC_CanvasObserver(scene); });

CRefreshScreen* screenOf(CMC_ObjectsContainer* container) {
    CWindow* window = container ? container->getWindow() : nullptr;
    return window ? window->GetRefreshScreenInterface() : nullptr;
}

}  // namespace

CMC_CanvasObserver::CMC_CanvasObserver(CMC_ObjectsContainer* container)
    : CMC_Object(CXString("tempCANVAS"), kType), m_screen(screenOf(container)) {
    (void)g_registered;
    setScene(container);
    if (m_screen) m_screen->addNotifier(this);
}

CMC_CanvasObserver::CMC_CanvasObserver(CMC_ObjectsContainer* container, CMElement* element)
    : CMC_Object(container, element, kType), m_screen(screenOf(container)) {
    (void)g_registered;
    if (m_screen) m_screen->addNotifier(this);
    initializeBehaviours(container, element);
}

CMC_CanvasObserver::~CMC_CanvasObserver() {
    if (m_screen) m_screen->removeNotifier(this);
}

CXString** CMC_CanvasObserver::getBehavioursList() {
    return makeBehavioursList({"ONINIT", "ONDONE", "ONSIGNAL", "ONINITIALUPDATE", "ONUPDATE", "ONUPDATED",
                               "ONWINDOWFOCUSON", "ONWINDOWFOCUSOFF", "ONINITIALUPDATED"});
}

void CMC_CanvasObserver::enableNotify(bool enable) {
    if (m_screen) m_screen->enableNotifyFlag(enable);
}

CXString CMC_CanvasObserver::getGraphicsAt(CMC_ObjectsContainer* container, int x, int y, bool visibleOnly,
                                           int minPriority, int maxPriority, bool ignoreAlpha, bool searchParents) {
    if (!m_screen || !container) return CXString();
    CGraphicsObject* g = m_screen->getGraphicsAt(x, y, visibleOnly, minPriority, maxPriority, ignoreAlpha);
    if (!g) return CXString();
    return container->getGraphicsObjectName(g, searchParents);
}
