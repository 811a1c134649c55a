#include "media/filters/CDisplacementFilters.h"

#include <cmath>
#include <vector>

#include "foundation/Crt.h"
#include "graphics/core/CGraphicsObject.h"
#include "media/filters/CFilterParams.h"

// ---- RANDOMJITTER ----

void CRandomJitterParams::setProperty(const CXString& name, const CXString& value) {
    if (name == "MAXJITTER")
        m_maxJitter = value.toNumber();
    else
        CStaticFilterParams::setProperty(name, value);
}

CRandomJitterFilter::CRandomJitterFilter(CWindow* window) : CStaticGraphicsFilter(window, new CRandomJitterParams()) {}

void CRandomJitterFilter::applyToGraphics(CGraphicsObject* graphic, bool freeReplaced) {
    CStaticGraphicsFilter::applyToGraphics(graphic, freeReplaced);
    if (!isWorkable(graphic)) return;
    const int32_t maxJitter = static_cast<CRandomJitterParams*>(getParams())->getMaxJitter();
    if (maxJitter <= 0) return;
    std::vector<CXPoint> table(static_cast<size_t>(graphic->Width()) * graphic->Height());
    for (CXPoint& d : table) {
        d.x = maxJitter / 2 - crt::rand() % maxJitter;
        d.y = maxJitter / 2 - crt::rand() % maxJitter;
    }
    graphic->displacementFilter(table.data(), false, freeReplaced);
}

// ---- WAVES ----

void CWavesParams::setProperty(const CXString& name, const CXString& value) {
    if (name == "AMPLITUDE")
        m_amplitude = value.toNumber();
    else if (name == "DENSITY")
        m_density = value.toDouble();
    else if (name == "OFFSET")
        m_offset = value.toNumber();
    else
        CStaticFilterParams::setProperty(name, value);
}

CWavesFilter::CWavesFilter(CWindow* window) : CStaticGraphicsFilter(window, new CWavesParams()) {}

void CWavesFilter::applyToGraphics(CGraphicsObject* graphic, bool freeReplaced) {
    CStaticGraphicsFilter::applyToGraphics(graphic, freeReplaced);
    if (!isWorkable(graphic)) return;
    const auto* params = static_cast<CWavesParams*>(getParams());
    const int w = graphic->Width();
    const int h = graphic->Height();
    // One column's displacement serves every row.
    std::vector<int32_t> column(static_cast<size_t>(w));
    for (int x = 0; x < w; ++x) column[x] = filterTruncate(std::sin(x * params->getDensity()) * params->getAmplitude());
    std::vector<CXPoint> table(static_cast<size_t>(w) * h);
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x) table[static_cast<size_t>(y) * w + x] = CXPoint(params->getOffset(), column[x]);
    graphic->displacementFilter(table.data(), true, freeReplaced);
}
