#include "media/CMC_StaticFilter.h"

#include "foundation/CXArchive.h"
#include "media/filters/CDisplacementFilters.h"
#include "media/filters/CRotateFilter.h"
#include "media/filters/CScaleFilter.h"
#include "media/filters/CStaticFilters.h"
#include "scene/CMC_Scene.h"
#include "scene/CMC_SceneBinary.h"
#include "script/CMC_ObjectsContainer.h"
#include "script/CMC_TypeTable.h"
#include "script/CMElement.h"

namespace {

const bool g_registered =
    CMC_TypeTable::registerType("STATICFILTER",
                                [](CMC_ObjectsContainer* c, CMElement* e) -> CMC_Object* {
                                    return new CMC_StaticFilter(c, e);
                                }) &&
    CMC_SceneBinary::registerPrototype(CMC_StaticFilter::kType,
                                       [](CMC_Scene* scene) -> CMC_Object* { return new CMC_StaticFilter(scene); });

}  // namespace

CMC_StaticFilter::CMC_StaticFilter(CMC_ObjectsContainer* container, CMElement* element)
    : CMC_Object(container, element, kType) {
    (void)g_registered;
    m_action = element ? element->getPropertyValue(CXString("ACTION")) : CXString();
    m_filter = makeFilter(m_action, container ? container->getWindow() : nullptr);
    initializeBehaviours(container, element);
}

CMC_StaticFilter::CMC_StaticFilter(CMC_ObjectsContainer* container) : CMC_Object(CXString("temp"), kType) {
    setScene(container);
}

CMC_StaticFilter::~CMC_StaticFilter() { delete m_filter; }

CXString CMC_StaticFilter::toString() { return CXString("Filter"); }

bool CMC_StaticFilter::doneFirst() { return true; }

bool CMC_StaticFilter::done(bool flag) {
    if (m_filter) m_filter->unlinkAll();
    return CMC_Object::done(flag);
}

CXString** CMC_StaticFilter::getBehavioursList() { return makeBehavioursList({"ONINIT", "ONDONE", "ONSIGNAL"}); }

void CMC_StaticFilter::serialize(CXArchive* archive) {
    CMC_Object::serialize(archive);
    if (archive->isStoring()) {
        *archive << m_action;
    } else {
        *archive >> &m_action;
        delete m_filter;
        CMC_ObjectsContainer* scene = getScene();
        m_filter = makeFilter(m_action, scene ? scene->getWindow() : nullptr);
    }
}

CStaticGraphicsFilter* CMC_StaticFilter::makeFilter(const CXString& action, CWindow* window) {
    if (action == "COLORCHANNEL") return new CColorChannelFilter(window);
    if (action == "GRAYSCALE") return new CGrayScaleFilter(window);
    if (action == "BLUR") return new CBlurFilter(window);
    if (action == "ROTATE") return new CRotateFilter(window);
    if (action == "SCALE") return new CScaleFilter(window);
    if (action == "NEGATIVE") return new CNegativeFilter(window);
    if (action == "RANDOMJITTER") return new CRandomJitterFilter(window);
    if (action == "WAVES") return new CWavesFilter(window);
    return nullptr;
}
