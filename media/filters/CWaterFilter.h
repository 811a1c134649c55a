// WATER: ripples a graphic's pixels from a copy taken when it was linked; each
// pixel is drawn from (x + d, y + d), d = FACTOR * sin(r + phase), r its distance
// from the centre, the phase one radian per frame and back to 0 after 50. Pixels
// with alpha 0 stay. A packed graphic is unpacked first; a graphic whose size
// changed gets a new copy and tables.
#pragma once

#include <cstdint>
#include <vector>

#include "media/filters/CAnimatedFilter.h"
#include "media/filters/CFilterParams.h"
#include "media/filters/CFilterTarget.h"
#include "media/filters/CFilterTickState.h"

class CWaterFilterParams : public CFilterParams {
public:
    CWaterFilterParams() : CFilterParams(kWater) {}
    // "FACTOR" as a double; other names go to the base.
    void setProperty(const CXString& name, const CXString& value) override;
    double getFactor() const { return m_factor; }

private:
    double m_factor = 1.1;
};

class CWaterTickState : public CFilterTickState {
public:
    int width = 0;
    int height = 0;
    std::vector<float> sines;
    std::vector<float> cosines;
    std::vector<uint16_t> copy;
};

class CWaterFilterTarget : public CFilterTarget {
public:
    // Takes the copy and builds the tables at once.
    CWaterFilterTarget(CGraphicsFilter* filter, CGraphicsObject* graphic, CMC_Object* owner);
    CWaterTickState* waterState() const { return static_cast<CWaterTickState*>(getState()); }
    // Unpacks the graphic; renews copy and tables when its size is not theirs.
    // False when the graphic has no 16-bit pixels to work on.
    bool prepare();
};

class CWaterFilter : public CAnimatedFilter {
public:
    static constexpr int kPhases = 51;

    explicit CWaterFilter(CWindow* window);
    CFilterTarget* createTarget(CGraphicsObject* graphic, CMC_Object* owner) override;
    bool step(CFilterTarget* target, CFilterParams* params) override;

private:
    float m_phaseSines[kPhases];
    float m_phaseCosines[kPhases];
};
