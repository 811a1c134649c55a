#include "media/filters/CGraphicsFilter.h"

#include <vector>

#include "foundation/CXArray.h"
#include "media/filters/CFilterParams.h"
#include "media/filters/CFilterTarget.h"

CGraphicsFilter::CGraphicsFilter(CWindow* window, CFilterParams* params)
    : m_targets(new CXArray(101, 0.75f)), m_params(params), m_window(window) {}

CGraphicsFilter::~CGraphicsFilter() {
    while (m_targets->getCount() > 0) {
        auto* t = static_cast<CFilterTarget*>(m_targets->at(m_targets->getCount() - 1));
        m_targets->removeAt(m_targets->getCount() - 1);
        delete t;
    }
    delete m_targets;
    delete m_params;
}

void CGraphicsFilter::unlinkAll() {
    std::vector<CFilterTarget*> copy;
    for (int i = 0; i < m_targets->getCount(); ++i) copy.push_back(static_cast<CFilterTarget*>(m_targets->at(i)));
    // A record unlinked by an earlier one's unlink is not touched again.
    for (CFilterTarget* t : copy)
        if (hasTarget(t)) unlinkTarget(t);
}

void CGraphicsFilter::link(CGraphicsObject* graphic, CMC_Object* owner) {
    if (!graphic) return;
    const bool wasLinked = findTarget(graphic) != nullptr;
    if (m_params && m_params->isOneAtTime()) unlinkAll();
    if (!wasLinked) addTarget(createTarget(graphic, owner));
}

void CGraphicsFilter::unlink(CGraphicsObject* graphic) { unlinkTarget(findTarget(graphic)); }

void CGraphicsFilter::unlinkTarget(CFilterTarget* target) {
    if (!target || !hasTarget(target)) return;
    m_targets->remove(target);
    delete target;
}

CFilterTarget* CGraphicsFilter::getOrCreateTarget(CGraphicsObject* graphic, CMC_Object* owner) {
    CFilterTarget* t = findTarget(graphic);
    return t ? t : createTarget(graphic, owner);
}

CFilterTarget* CGraphicsFilter::findTarget(CGraphicsObject* graphic) {
    if (!graphic) return nullptr;
    for (int i = 0; i < m_targets->getCount(); ++i) {
        auto* t = static_cast<CFilterTarget*>(m_targets->at(i));
        if (t->getGraphic() == graphic) return t;
    }
    return nullptr;
}

void CGraphicsFilter::setProperty(const CXString& name, const CXString& value) {
    if (m_params) m_params->setProperty(name, value);
}

void CGraphicsFilter::dropTarget(CFilterTarget* target) {
    if (!target || !hasTarget(target)) return;
    m_targets->remove(target);
    delete target;
}

int CGraphicsFilter::getTargetCount() const { return m_targets->getCount(); }

CFilterTarget* CGraphicsFilter::getTarget(int i) const {
    return i >= 0 && i < m_targets->getCount() ? static_cast<CFilterTarget*>(m_targets->at(i)) : nullptr;
}

bool CGraphicsFilter::hasTarget(CFilterTarget* target) const {
    return target && m_targets->contains(target);
}

void CGraphicsFilter::appendTarget(CFilterTarget* target) {
    if (target) m_targets->add(target);
}
