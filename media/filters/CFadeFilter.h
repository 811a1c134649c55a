// The three fades of a graphic's opacity: FADEIN rises from START to END,
// FADEOUT falls to END, FADEINOUT swings between them until stopped. A value
// within 1e-9 of its bound counts as reaching it, so 2550 additions of 0.1 end
// at 255.
#pragma once

#include "media/filters/CAnimatedFilter.h"
#include "media/filters/CFilterParams.h"
#include "media/filters/CFilterTarget.h"
#include "media/filters/CFilterTickState.h"

class CFadeFilterParams : public CFilterParams {
public:
    CFadeFilterParams(int type, double start, double end) : CFilterParams(type), m_start(start), m_end(end) {}
    // "SPEED", "START", "END" as doubles; other names go to the base.
    void setProperty(const CXString& name, const CXString& value) override;

    double getSpeed() const { return m_speed; }
    double getStart() const { return m_start; }
    double getEnd() const { return m_end; }

private:
    double m_speed = 0.1;
    double m_start;
    double m_end;
};

class CFadeTickState : public CFilterTickState {
public:
    double value = 0.0;
    // Toward END (FADEINOUT only).
    bool upward = true;
};

class CFadeFilterTarget : public CFilterTarget {
public:
    CFadeFilterTarget(CGraphicsFilter* filter, CGraphicsObject* graphic, CMC_Object* owner);
    // On: the value and the graphic's opacity (low 8 bits) become START; no redraw.
    void setRunning(CFilterParams* params, bool on) override;
    CFadeTickState* fadeState() const { return static_cast<CFadeTickState*>(getState()); }
};

class CFadeFilter : public CAnimatedFilter {
public:
    using CAnimatedFilter::CAnimatedFilter;
    CFilterTarget* createTarget(CGraphicsObject* graphic, CMC_Object* owner) override;

    static constexpr double kTolerance = 1e-9;

protected:
    // Sets the opacity to the value's integer part when the value is not the
    // integer part it had before the step.
    static void show(CFilterTarget* target, double before, double value);
};

class CFadeInFilter : public CFadeFilter {
public:
    // START 0, END 255, SPEED 0.1.
    explicit CFadeInFilter(CWindow* window);
    bool step(CFilterTarget* target, CFilterParams* params) override;
};

class CFadeOutFilter : public CFadeFilter {
public:
    // START 255, END 0, SPEED 0.1.
    explicit CFadeOutFilter(CWindow* window);
    bool step(CFilterTarget* target, CFilterParams* params) override;
};

class CFadeInOutFilter : public CFadeFilter {
public:
    // START 0, END 255, SPEED 0.1; never finishes by itself.
    explicit CFadeInOutFilter(CWindow* window);
    bool step(CFilterTarget* target, CFilterParams* params) override;
};
