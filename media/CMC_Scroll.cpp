#include "media/CMC_Scroll.h"

#include <algorithm>

#include "foundation/CXArchive.h"
#include "scene/CMC_Scene.h"
#include "scene/CMC_SceneBinary.h"
#include "script/CMC_ObjectsContainer.h"
#include "script/CMC_TypeTable.h"
#include "script/CMElement.h"
#include "shell/CWindow.h"

namespace {

const bool g_registered =
    CMC_TypeTable::registerType("SCROLL",
                                [](CMC_ObjectsContainer* c, CMElement* e) -> CMC_Object* { return new CMC_Scroll(c, e); }) &&
    CMC_SceneBinary::registerPrototype(CMC_Scroll::kType,
                                       [](CMC_Scene* scene) -> CMC_Object* { return new CMC_Scroll(scene); });

}  // namespace

CMC_Scroll::CMC_Scroll(CMC_ObjectsContainer* container, CMElement* element) : CMC_Object(container, element, kType) {
    (void)g_registered;
    if (element) m_viewport = element->getPropertyRectValue(CXString("VIEWPORT"));
    initializeBehaviours(container, element);
}

CMC_Scroll::CMC_Scroll(CMC_ObjectsContainer* container) : CMC_Object(CXString("temp"), kType) {
    (void)g_registered;
    setScene(container);
}

CMC_Scroll::~CMC_Scroll() {
    std::vector<CGraphicsObject*> listed = m_objects;
    std::sort(listed.begin(), listed.end());
    listed.erase(std::unique(listed.begin(), listed.end()), listed.end());
    for (CGraphicsObject* g : listed) g->removeInvalidateObserver(&m_watch);
}

CXString** CMC_Scroll::getBehavioursList() {
    return makeBehavioursList({"ONINIT", "ONDONE", "ONSIGNAL", "ONTOP", "ONBOTTOM", "ONLEFT", "ONRIGHT"});
}

void CMC_Scroll::serialize(CXArchive* archive) {
    CMC_Object::serialize(archive);
    if (archive->isStoring())
        *archive << m_viewport;
    else
        *archive >> &m_viewport;
}

void CMC_Scroll::Watch::onDestroy(CGraphicsObject* object) {
    auto& list = m_owner->m_objects;
    list.erase(std::remove(list.begin(), list.end(), object), list.end());
}

void CMC_Scroll::clipToViewport(CGraphicsObject* g) {
    const CXRect common = g->GetBoundingBox().Common(m_viewport);
    if (common.Width() <= 0 || common.Height() <= 0) {
        if (g->isVisible()) g->Visible(false);
        return;
    }
    g->SetClippingRect(common - g->GetPosition());
    if (!g->isVisible()) g->Visible(true);
}

void CMC_Scroll::add(CGraphicsObject* g) {
    if (!g) return;
    clipToViewport(g);
    g->addInvalidateObserver(&m_watch);
    m_objects.push_back(g);
}

void CMC_Scroll::remove(CXString name) {
    CMC_ObjectsContainer* container = getScene();
    CGraphicsObject* g = container ? container->getGraphicsObject(name) : nullptr;
    if (!g) return;
    auto found = std::find(m_objects.begin(), m_objects.end(), g);
    if (found == m_objects.end()) return;
    m_objects.erase(found);
    if (std::find(m_objects.begin(), m_objects.end(), g) == m_objects.end()) g->removeInvalidateObserver(&m_watch);
    g->SetClippingRect(0, 0, 0, 0);
}

void CMC_Scroll::invalidateScreen() {
    CMC_ObjectsContainer* container = getScene();
    if (CWindow* window = container ? container->getWindow() : nullptr) window->Invalidate();
}

void CMC_Scroll::step(int dx, int dy) {
    // Over a copy: showing or hiding a graphic may run nothing, but a destroyed one
    // leaves the list at once.
    const std::vector<CGraphicsObject*> listed = m_objects;
    for (CGraphicsObject* g : listed) {
        if (std::find(m_objects.begin(), m_objects.end(), g) == m_objects.end()) continue;
        g->SetClippingRect(0, 0, 0, 0);
        g->Move(dx, dy);
        clipToViewport(g);
        invalidateScreen();
    }
}

void CMC_Scroll::setViewport(CXRect viewport) {
    m_viewport = viewport;
    invalidate();
}

void CMC_Scroll::moveViewport(int dx, int dy) {
    m_viewport += CXPoint(dx, dy);
    invalidate();
}

void CMC_Scroll::move(int dx, int dy) {
    if (dx == 0 && dy == 0) return;
    m_viewport += CXPoint(dx, dy);
    const std::vector<CGraphicsObject*> listed = m_objects;
    for (CGraphicsObject* g : listed) g->Move(dx, dy);
}

void CMC_Scroll::invalidate() {
    const std::vector<CGraphicsObject*> listed = m_objects;
    for (CGraphicsObject* g : listed) {
        g->SetClippingRect(0, 0, 0, 0);
        clipToViewport(g);
    }
}
