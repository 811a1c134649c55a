#include "media/filters/CFadeFilter.h"

#include <cstdint>

void CFadeFilterParams::setProperty(const CXString& name, const CXString& value) {
    if (name == "SPEED")
        m_speed = value.toDouble();
    else if (name == "START")
        m_start = value.toDouble();
    else if (name == "END")
        m_end = value.toDouble();
    else
        CFilterParams::setProperty(name, value);
}

CFadeFilterTarget::CFadeFilterTarget(CGraphicsFilter* filter, CGraphicsObject* graphic, CMC_Object* owner)
    : CFilterTarget(filter, graphic, owner, new CFadeTickState()) {}

void CFadeFilterTarget::setRunning(CFilterParams* params, bool on) {
    if (on && params) {
        const double start = static_cast<CFadeFilterParams*>(params)->getStart();
        fadeState()->value = start;
        if (getGraphic()) getGraphic()->SetOpacity(static_cast<uint8_t>(filterTruncate(start) & 0xFF));
    }
    CFilterTarget::setRunning(params, on);
}

CFilterTarget* CFadeFilter::createTarget(CGraphicsObject* graphic, CMC_Object* owner) {
    return new CFadeFilterTarget(this, graphic, owner);
}

void CFadeFilter::show(CFilterTarget* target, double before, double value) {
    if (value == before || !target->getGraphic()) return;
    target->getGraphic()->SetOpacity(static_cast<uint8_t>(filterTruncate(value) & 0xFF));
    target->getGraphic()->Invalidate();
}

namespace {

double integerPart(double v) { return static_cast<double>(filterTruncate(v)); }

CFadeFilterParams* fadeParams(CFilterParams* params) { return static_cast<CFadeFilterParams*>(params); }

}  // namespace

CFadeInFilter::CFadeInFilter(CWindow* window)
    : CFadeFilter(window, new CFadeFilterParams(CFilterParams::kFade, 0.0, 255.0)) {}

bool CFadeInFilter::step(CFilterTarget* target, CFilterParams* params) {
    CFadeFilterParams* p = fadeParams(params);
    CFadeTickState* s = static_cast<CFadeFilterTarget*>(target)->fadeState();
    const double before = integerPart(s->value);
    double v = s->value + p->getSpeed();
    const bool done = v >= p->getEnd() - kTolerance;
    if (done) v = p->getEnd();
    show(target, before, v);
    s->value = v;
    return done;
}

CFadeOutFilter::CFadeOutFilter(CWindow* window)
    : CFadeFilter(window, new CFadeFilterParams(CFilterParams::kFadeOut, 255.0, 0.0)) {}

bool CFadeOutFilter::step(CFilterTarget* target, CFilterParams* params) {
    CFadeFilterParams* p = fadeParams(params);
    CFadeTickState* s = static_cast<CFadeFilterTarget*>(target)->fadeState();
    const double before = integerPart(s->value);
    double v = s->value - p->getSpeed();
    const bool done = v <= p->getEnd() + kTolerance;
    if (done) v = p->getEnd();
    show(target, before, v);
    s->value = v;
    return done;
}

CFadeInOutFilter::CFadeInOutFilter(CWindow* window)
    : CFadeFilter(window, new CFadeFilterParams(CFilterParams::kFade, 0.0, 255.0)) {}

bool CFadeInOutFilter::step(CFilterTarget* target, CFilterParams* params) {
    CFadeFilterParams* p = fadeParams(params);
    CFadeTickState* s = static_cast<CFadeFilterTarget*>(target)->fadeState();
    const double before = integerPart(s->value);
    double v = s->value;
    if (s->upward) {
        v += p->getSpeed();
        if (v >= p->getEnd() - kTolerance) {
            v = p->getEnd();
            s->upward = false;
        }
    } else {
        v -= p->getSpeed();
        if (v <= p->getStart() + kTolerance) {
            v = p->getStart();
            s->upward = true;
        }
    }
    show(target, before, v);
    s->value = v;
    return false;
}
