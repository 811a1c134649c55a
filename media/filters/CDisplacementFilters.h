// The static effects that move pixels through the graphic's displacement
// operation: RANDOMJITTER and WAVES.
#pragma once

#include <cstdint>

#include "media/filters/CStaticGraphicsFilter.h"

class CRandomJitterParams : public CStaticFilterParams {
public:
    CRandomJitterParams() : CStaticFilterParams(kRandomJitter) {}
    // "MAXJITTER" as an integer; other names go to the base.
    void setProperty(const CXString& name, const CXString& value) override;
    int32_t getMaxJitter() const { return m_maxJitter; }

private:
    int32_t m_maxJitter = 3;
};

// Each pixel takes the one at (MAXJITTER div 2 - rand mod MAXJITTER) in both
// directions, the alpha plane staying; MAXJITTER 0 or below moves nothing.
class CRandomJitterFilter : public CStaticGraphicsFilter {
public:
    explicit CRandomJitterFilter(CWindow* window);
    void applyToGraphics(CGraphicsObject* graphic, bool freeReplaced) override;
    bool replacesPixels() const override { return true; }
};

class CWavesParams : public CStaticFilterParams {
public:
    CWavesParams() : CStaticFilterParams(kWaves) {}
    // "AMPLITUDE" and "OFFSET" as integers, "DENSITY" as a double; other names go to the base.
    void setProperty(const CXString& name, const CXString& value) override;
    int32_t getAmplitude() const { return m_amplitude; }
    double getDensity() const { return m_density; }
    int32_t getOffset() const { return m_offset; }

private:
    int32_t m_amplitude = 4;
    double m_density = 1.0;
    int32_t m_offset = 0;
};

// Each pixel of column x takes the one at (OFFSET, sin(x * DENSITY) * AMPLITUDE),
// its alpha moving with it.
class CWavesFilter : public CStaticGraphicsFilter {
public:
    explicit CWavesFilter(CWindow* window);
    void applyToGraphics(CGraphicsObject* graphic, bool freeReplaced) override;
    bool replacesPixels() const override { return true; }
    bool replacesAlpha() const override { return true; }
};
