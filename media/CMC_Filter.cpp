#include "media/CMC_Filter.h"

#include "foundation/CXArchive.h"
#include "media/filters/CFadeFilter.h"
#include "media/filters/CFilterTarget.h"
#include "media/filters/CPathFilter.h"
#include "media/filters/CWaterFilter.h"
#include "media/filters/CWavingFilter.h"
#include "scene/CMC_Scene.h"
#include "scene/CMC_SceneBinary.h"
#include "script/CMC_ObjectsContainer.h"
#include "script/CMC_TypeTable.h"
#include "script/CMElement.h"

namespace {

const bool g_registered =
    CMC_TypeTable::registerType("FILTER",
                                [](CMC_ObjectsContainer* c, CMElement* e) -> CMC_Object* {
                                    return new CMC_Filter(c, e);
                                }) &&
    CMC_SceneBinary::registerPrototype(CMC_Filter::kType,
                                       [](CMC_Scene* scene) -> CMC_Object* { return new CMC_Filter(scene); });

}  // namespace

CMC_Filter::CMC_Filter(CMC_ObjectsContainer* container, CMElement* element) : CMC_Object(container, element, kType) {
    (void)g_registered;
    m_action = element ? element->getPropertyValue(CXString("ACTION")) : CXString();
    makeFilter(container);
    initializeBehaviours(container, element);
}

CMC_Filter::CMC_Filter(CMC_ObjectsContainer* container) : CMC_Object(CXString("temp"), kType) { setScene(container); }

CMC_Filter::~CMC_Filter() { delete m_filter; }

CXString CMC_Filter::toString() { return CXString("Filter"); }

bool CMC_Filter::doneFirst() { return true; }

CXString** CMC_Filter::getBehavioursList() {
    return makeBehavioursList({"ONINIT", "ONDONE", "ONSIGNAL", "ONSTARTED", "ONFINISHED", "ONTICK"});
}

void CMC_Filter::serialize(CXArchive* archive) {
    CMC_Object::serialize(archive);
    if (archive->isStoring()) {
        *archive << m_action;
    } else {
        *archive >> &m_action;
        makeFilter(getScene());
    }
}

void CMC_Filter::makeFilter(CMC_ObjectsContainer* container) {
    delete m_filter;
    m_filter = nullptr;
    CWindow* window = container ? container->getWindow() : nullptr;
    if (m_action == "FADEIN")
        m_filter = new CFadeInFilter(window);
    else if (m_action == "FADEOUT")
        m_filter = new CFadeOutFilter(window);
    else if (m_action == "FADEINOUT")
        m_filter = new CFadeInOutFilter(window);
    else if (m_action == "PATH")
        m_filter = new CPathFilter(window, container);
    else if (m_action == "WATER")
        m_filter = new CWaterFilter(window);
    else if (m_action == "WAVING")
        m_filter = new CWavingFilter(window);
    if (m_filter) m_filter->addObserver(this);
}

void CMC_Filter::raise(int index, const char* event, CFilterTarget* target) {
    if (!isEventHandled(index) || !target) return;
    onSignal(CXString(event), target->getOwnerName());
}

void CMC_Filter::onFilterStarted(CFilterTarget* target, CAnimatedFilter*) { raise(kOnStarted, "ONSTARTED", target); }
void CMC_Filter::onFilterTick(CFilterTarget* target, CAnimatedFilter*) { raise(kOnTick, "ONTICK", target); }
void CMC_Filter::onFilterFinished(CFilterTarget* target, CAnimatedFilter*) { raise(kOnFinished, "ONFINISHED", target); }
