#include "media/filters/CPathFilter.h"

#include <cmath>
#include <cstdint>
#include <cstdlib>

#include "script/CMC_ObjectsContainer.h"
#include "script/CMC_Path.h"
#include "script/CMC_Vector.h"

void CPathFilterParams::setProperty(const CXString& name, const CXString& value) {
    if (name == "SPEED")
        m_speed = value.toNumber();
    else if (name == "PATHDEF")
        m_pathDef = value;
    else if (name == "LOOPED")
        m_looped = value.toBool();
    else
        CFilterParams::setProperty(name, value);
}

CPathFilterTarget::CPathFilterTarget(CGraphicsFilter* filter, CGraphicsObject* graphic, CMC_Object* owner)
    : CFilterTarget(filter, graphic, owner, new CPathTickState()) {}

void CPathFilterTarget::setRunning(CFilterParams* params, bool on) {
    if (on && getGraphic()) {
        const CXPoint p = getGraphic()->getPosition();
        pathState()->startX = p.x;
        pathState()->startY = p.y;
    }
    CFilterTarget::setRunning(params, on);
}

CPathFilter::CPathFilter(CWindow* window, CMC_ObjectsContainer* container)
    : CAnimatedFilter(window, new CPathFilterParams()), m_container(container) {}

CFilterTarget* CPathFilter::createTarget(CGraphicsObject* graphic, CMC_Object* owner) {
    return new CPathFilterTarget(this, graphic, owner);
}

bool CPathFilter::step(CFilterTarget* target, CFilterParams* params) {
    auto* p = static_cast<CPathFilterParams*>(params);
    CPathTickState* s = static_cast<CPathFilterTarget*>(target)->pathState();
    CGraphicsObject* g = target->getGraphic();
    if (!g) return false;
    const int speed = p->getSpeed() > 0 ? p->getSpeed() : 1;
    if (s->getTicks() % speed != 0) return false;

    if (!m_container) return false;
    auto* path = dynamic_cast<CMC_Path*>(m_container->getObject(p->getPathDef()));
    if (!path || s->node < 0 || s->node >= path->getSize()) return false;

    double vx = 0.0, vy = 0.0, squares = 0.0;
    if (CMC_Vector* v = path->getVector(s->node)) {
        for (int i = 0; i < v->getSize(); ++i) squares += v->getComponent(i) * v->getComponent(i);
        if (v->getSize() > 0) vx = v->getComponent(0);
        if (v->getSize() > 1) vy = v->getComponent(1);
    }
    const double steps = std::sqrt(squares) / path->getDensity();
    if (steps > 0.0 && std::isfinite(steps)) {
        s->offsetX += vx / steps;
        s->offsetY += vy / steps;
    } else {
        s->offsetX = vx;
        s->offsetY = vy;
    }

    const int ax = filterTruncate(s->offsetX);
    const int ay = filterTruncate(s->offsetY);
    const CXPoint at = g->getPosition();
    if (ax != static_cast<int>(static_cast<int64_t>(at.x) - s->startX) ||
        ay != static_cast<int>(static_cast<int64_t>(at.y) - s->startY)) {
        g->Invalidate();
        g->setPosition(CXPoint(static_cast<int>(static_cast<int64_t>(s->startX) + ax),
                               static_cast<int>(static_cast<int64_t>(s->startY) + ay)));
        g->Invalidate();
    }

    // Checked whether or not the graphic moved, so that a node shorter than one
    // pixel in both directions ends instead of holding the graphic for good.
    const bool nodeDone = std::abs(static_cast<double>(ax)) >= std::abs(static_cast<double>(filterTruncate(vx))) &&
                          std::abs(static_cast<double>(ay)) >= std::abs(static_cast<double>(filterTruncate(vy)));
    if (!nodeDone) return false;
    const CXPoint now = g->getPosition();
    const bool last = s->node >= path->getSize() - 1;
    if (last && !p->isLooped()) return true;
    s->startX = now.x;
    s->startY = now.y;
    s->node = last ? 0 : s->node + 1;
    s->offsetX = 0.0;
    s->offsetY = 0.0;
    return false;
}
