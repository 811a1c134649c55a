// WAVING: every tenth frame (phase 0, 10 ... 100, then 0 again, so 11 of every 101
// frames) the graphic's undistorted picture is displaced column by column by
// AMPLITUDE * sin(x * DENSITY + phase / 10). The record keeps the undistorted
// buffers (the graphic's own, from the first recomputation) and frees them when it
// goes, so the graphic keeps its last distorted picture. A packed graphic is
// unpacked first; one whose size changed loses the saved buffers (they no longer
// fit) and starts again from its current picture. A graphic without an alpha plane
// counts as opaque and gets none; graphics that do not own their buffers are left
// alone.
#pragma once

#include <cstdint>

#include "foundation/CXSize.h"
#include "media/filters/CAnimatedFilter.h"
#include "media/filters/CFilterParams.h"
#include "media/filters/CFilterTarget.h"
#include "media/filters/CFilterTickState.h"

class CWavingFilterParams : public CFilterParams {
public:
    CWavingFilterParams() : CFilterParams(kWaving) {}
    // "AMPLITUDE" (integer), "DENSITY" (double); other names go to the base.
    void setProperty(const CXString& name, const CXString& value) override;
    int32_t getAmplitude() const { return m_amplitude; }
    double getDensity() const { return m_density; }

private:
    int32_t m_amplitude = 4;
    double m_density = 1.0;
};

class CWavingTickState : public CFilterTickState {
public:
    ~CWavingTickState() override { dropSaved(); }
    CWavingTickState() = default;
    CWavingTickState(const CWavingTickState&) = delete;
    CWavingTickState& operator=(const CWavingTickState&) = delete;

    void dropSaved() {
        delete[] savedPixels;
        delete[] savedAlpha;
        savedPixels = savedAlpha = nullptr;
        saved = false;
    }

    int32_t phase = 0;
    bool saved = false;
    CXSize savedSize;
    char* savedPixels = nullptr;
    char* savedAlpha = nullptr;
};

class CWavingFilterTarget : public CFilterTarget {
public:
    CWavingFilterTarget(CGraphicsFilter* filter, CGraphicsObject* graphic, CMC_Object* owner)
        : CFilterTarget(filter, graphic, owner, new CWavingTickState()) {}
    CWavingTickState* wavingState() const { return static_cast<CWavingTickState*>(getState()); }
};

class CWavingFilter : public CAnimatedFilter {
public:
    explicit CWavingFilter(CWindow* window) : CAnimatedFilter(window, new CWavingFilterParams()) {}
    CFilterTarget* createTarget(CGraphicsObject* graphic, CMC_Object* owner) override;
    bool step(CFilterTarget* target, CFilterParams* params) override;
};
