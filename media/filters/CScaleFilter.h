// SCALE: resizes a graphic by FACTORX and FACTORY, by nearest sample (SMOOTH
// below 1) or through the image library's resampling filters (SMOOTH 1 to 8 and
// above), optionally keeping its centre in place.
#pragma once

#include <cstdint>

#include "media/filters/CStaticGraphicsFilter.h"

class CScaleParams : public CStaticFilterParams {
public:
    CScaleParams() : CStaticFilterParams(kScale) {}
    // "FACTORX", "FACTORY" as doubles, "BYCENTER" as a boolean, "SMOOTH" as an
    // integer; other names go to the base.
    void setProperty(const CXString& name, const CXString& value) override;
    double getFactorX() const { return m_factorX; }
    double getFactorY() const { return m_factorY; }
    bool isByCenter() const { return m_byCenter; }
    int32_t getSmooth() const { return m_smooth; }

private:
    double m_factorX = 1.0;
    double m_factorY = 1.0;
    bool m_byCenter = false;
    int32_t m_smooth = 0;
};

// A new size below 1 or above kMaxSide, or a failure of the resampling, leaves
// the graphic as it is. Resampling runs on the host thread only (the image
// library keeps one bound image per process).
class CScaleFilter : public CStaticGraphicsFilter {
public:
    static constexpr int kMaxSide = 8192;

    explicit CScaleFilter(CWindow* window);
    void applyToGraphics(CGraphicsObject* graphic, bool freeReplaced) override;
    bool replacesPixels() const override { return true; }
    bool replacesAlpha() const override { return true; }
    bool changesGeometry() const override { return true; }

    // The image library's filter for a SMOOTH value of 1 or more.
    static int resamplingFilter(int smooth);
    // Resamples w x h pixels of the given depth (with their alpha plane, when
    // given) to nw x nh into new buffers (the alpha one only with an input plane).
    // False, and nothing allocated, when the library fails.
    static bool resample(const char* pixels, const char* alpha, int w, int h, int bpp, int nw, int nh, int smooth,
                         char** outPixels, char** outAlpha);
};
