// ROTATE: turns a graphic about its centre point into a new buffer large enough
// for the turned picture, then moves it so that the centre stays in place.
#pragma once

#include <cstdint>

#include "media/filters/CStaticGraphicsFilter.h"

class CRotateParams : public CStaticFilterParams {
public:
    CRotateParams() : CStaticFilterParams(kRotate) {}
    // "ANGLE" as a double (degrees), "SMOOTH" as an integer; other names go to the base.
    void setProperty(const CXString& name, const CXString& value) override;
    double getAngle() const { return m_angle; }
    int32_t getSmooth() const { return m_smooth; }

private:
    double m_angle = 0.0;
    int32_t m_smooth = 0;
};

// The angle in radians is ANGLE times kRadiansPerDegree (its sign and its value
// are the effect's own). Source pixels with alpha 0 leave the new pixel 0; a
// graphic without an alpha plane counts as opaque and gets none. SMOOTH 1
// averages each new pixel with its right, lower and lower-right neighbours.
class CRotateFilter : public CStaticGraphicsFilter {
public:
    static constexpr double kRadiansPerDegree = -0.017453233333333335;

    explicit CRotateFilter(CWindow* window);
    void applyToGraphics(CGraphicsObject* graphic, bool freeReplaced) override;
    bool replacesPixels() const override { return true; }
    bool replacesAlpha() const override { return true; }
    bool changesGeometry() const override { return true; }
};
