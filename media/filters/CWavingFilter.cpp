#include "media/filters/CWavingFilter.h"

#include <cmath>
#include <vector>

#include "foundation/CXPoint.h"
#include "graphics/core/CGraphicsObject.h"

void CWavingFilterParams::setProperty(const CXString& name, const CXString& value) {
    if (name == "AMPLITUDE")
        m_amplitude = value.toNumber();
    else if (name == "DENSITY")
        m_density = value.toDouble();
    else
        CFilterParams::setProperty(name, value);
}

CFilterTarget* CWavingFilter::createTarget(CGraphicsObject* graphic, CMC_Object* owner) {
    return new CWavingFilterTarget(this, graphic, owner);
}

namespace {

// Gives the graphic its undistorted buffers back, freeing the distorted ones.
void putBack(CGraphicsObject* g, CWavingTickState* s) {
    if (s->savedPixels && s->savedPixels != g->GetDataPtr()) {
        delete[] g->GetDataPtr();
        g->SetDataPtr(s->savedPixels);
    }
    if (s->savedAlpha && s->savedAlpha != g->AlphaChannel()) {
        delete[] g->AlphaChannel();
        g->AlphaChannel(s->savedAlpha);
    }
    s->savedPixels = s->savedAlpha = nullptr;
    s->saved = false;
}

}  // namespace

bool CWavingFilter::step(CFilterTarget* target, CFilterParams* params) {
    auto* t = static_cast<CWavingFilterTarget*>(target);
    CWavingTickState* s = t->wavingState();
    CGraphicsObject* g = t->getGraphic();
    const int32_t ph = s->phase;
    s->phase = ph >= 100 ? 0 : ph + 1;
    if (ph % 10 != 0 || !g) return false;

    g->unpack();
    const int w = g->Width();
    const int h = g->Height();
    if (!g->ownsBuffers() || !g->GetDataPtr() || g->GetCompression() != COMPRESSION_NONE || w <= 0 || h <= 0)
        return false;
    if (s->saved && (s->savedSize.cx != w || s->savedSize.cy != h)) s->dropSaved();

    auto* p = static_cast<CWavingFilterParams*>(params);
    std::vector<CXPoint> table(static_cast<size_t>(w) * static_cast<size_t>(h), CXPoint(0, 0));
    if (s->saved) putBack(g, s);
    for (int x = 0; x < w; ++x) {
        const int dy = filterTruncate(std::sin(x * p->getDensity() + ph / 10) * p->getAmplitude());
        for (int y = 0; y < h; ++y) table[static_cast<size_t>(y) * static_cast<size_t>(w) + static_cast<size_t>(x)].y = dy;
    }
    s->savedPixels = g->GetDataPtr();
    s->savedAlpha = g->AlphaChannel();
    s->savedSize = CXSize(w, h);
    s->saved = true;
    g->displacementFilter(table.data(), true, false);
    g->Invalidate();
    return false;
}
