#include "media/filters/CWaterFilter.h"

#include <algorithm>
#include <cmath>
#include <cstring>

#include "graphics/core/CGraphicsObject.h"

void CWaterFilterParams::setProperty(const CXString& name, const CXString& value) {
    if (name == "FACTOR")
        m_factor = value.toDouble();
    else
        CFilterParams::setProperty(name, value);
}

CWaterFilterTarget::CWaterFilterTarget(CGraphicsFilter* filter, CGraphicsObject* graphic, CMC_Object* owner)
    : CFilterTarget(filter, graphic, owner, new CWaterTickState()) {
    prepare();
}

bool CWaterFilterTarget::prepare() {
    CGraphicsObject* g = getGraphic();
    if (!g) return false;
    g->unpack();
    if (!g->GetDataPtr() || g->GetCompression() != COMPRESSION_NONE || g->GetPixelSize() != 2) return false;
    const int w = g->Width();
    const int h = g->Height();
    if (w <= 0 || h <= 0) return false;
    CWaterTickState* s = waterState();
    if (s->width == w && s->height == h && !s->copy.empty()) return true;
    const size_t n = static_cast<size_t>(w) * static_cast<size_t>(h);
    s->width = w;
    s->height = h;
    s->copy.resize(n);
    std::memcpy(s->copy.data(), g->GetDataPtr(), n * 2);
    s->sines.resize(n);
    s->cosines.resize(n);
    for (int y = 0; y < h; ++y) {
        for (int x = 0; x < w; ++x) {
            const int64_t cx = w / 2 - x;
            const int64_t cy = h / 2 - y;
            const double r = std::sqrt(static_cast<double>(cx * cx + cy * cy));
            const size_t i = static_cast<size_t>(y) * static_cast<size_t>(w) + static_cast<size_t>(x);
            s->sines[i] = static_cast<float>(std::sin(r));
            s->cosines[i] = static_cast<float>(std::cos(r));
        }
    }
    return true;
}

CWaterFilter::CWaterFilter(CWindow* window) : CAnimatedFilter(window, new CWaterFilterParams()) {
    for (int k = 0; k < kPhases; ++k) {
        m_phaseSines[k] = static_cast<float>(std::sin(k));
        m_phaseCosines[k] = static_cast<float>(std::cos(k));
    }
}

CFilterTarget* CWaterFilter::createTarget(CGraphicsObject* graphic, CMC_Object* owner) {
    return new CWaterFilterTarget(this, graphic, owner);
}

bool CWaterFilter::step(CFilterTarget* target, CFilterParams* params) {
    auto* t = static_cast<CWaterFilterTarget*>(target);
    if (!t->prepare()) return false;
    CWaterTickState* s = t->waterState();
    CGraphicsObject* g = t->getGraphic();
    const double factor = static_cast<CWaterFilterParams*>(params)->getFactor();
    const int p = s->getTicks() % kPhases;
    const double sp = m_phaseSines[p < 0 ? p + kPhases : p];
    const double cp = m_phaseCosines[p < 0 ? p + kPhases : p];
    const int w = s->width;
    const int h = s->height;
    char* pixels = g->GetDataPtr();
    const char* alpha = g->AlphaChannel();
    for (int y = 0; y < h; ++y) {
        for (int x = 0; x < w; ++x) {
            const size_t i = static_cast<size_t>(y) * static_cast<size_t>(w) + static_cast<size_t>(x);
            if (alpha && alpha[i] == 0) continue;
            const int64_t d = filterTruncate((sp * s->cosines[i] + cp * s->sines[i]) * factor);
            const int64_t sx = std::clamp<int64_t>(x + d, 0, w - 1);
            const int64_t sy = std::clamp<int64_t>(y + d, 0, h - 1);
            std::memcpy(pixels + i * 2, &s->copy[static_cast<size_t>(sy * w + sx)], 2);
        }
    }
    g->Invalidate();
    return false;
}
