#include "media/filters/CFilterTarget.h"

#include "media/filters/CFilterTickState.h"
#include "media/filters/CGraphicsFilter.h"
#include "script/CMC_Object.h"

CFilterTarget::CFilterTarget(CGraphicsFilter* filter, CGraphicsObject* graphic, CMC_Object* owner,
                             CFilterTickState* state)
    : m_filter(filter), m_graphic(graphic), m_state(state ? state : new CFilterTickState()) {
    if (owner) m_ownerName = owner->getName();
    if (m_graphic) m_graphic->addInvalidateObserver(this);
}

CFilterTarget::~CFilterTarget() {
    if (m_graphic) m_graphic->removeInvalidateObserver(this);
    delete m_state;
}

void CFilterTarget::setRunning(CFilterParams*, bool on) { m_running = on; }

void CFilterTarget::onInvalidate(CGraphicsObject*, CXRect*) {}

void CFilterTarget::onDestroy(CGraphicsObject* object) {
    if (object != m_graphic) return;
    object->removeInvalidateObserver(this);
    m_graphic = nullptr;
    // Deletes this record.
    if (m_filter) m_filter->dropTarget(this);
}
