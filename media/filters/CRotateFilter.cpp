#include "media/filters/CRotateFilter.h"

#include <algorithm>
#include <cmath>
#include <cstring>

#include "graphics/core/CGraphicsObject.h"
#include "media/filters/CStaticFilters.h"

void CRotateParams::setProperty(const CXString& name, const CXString& value) {
    if (name == "ANGLE")
        m_angle = value.toDouble();
    else if (name == "SMOOTH")
        m_smooth = value.toNumber();
    else
        CStaticFilterParams::setProperty(name, value);
}

CRotateFilter::CRotateFilter(CWindow* window) : CStaticGraphicsFilter(window, new CRotateParams()) {}

void CRotateFilter::applyToGraphics(CGraphicsObject* graphic, bool freeReplaced) {
    CStaticGraphicsFilter::applyToGraphics(graphic, freeReplaced);
    if (!isWorkable(graphic)) return;
    const auto* params = static_cast<CRotateParams*>(getParams());
    const double angle = params->getAngle() * kRadiansPerDegree;
    const double s = std::sin(angle);
    const double c = std::cos(angle);
    const int w = graphic->Width();
    const int h = graphic->Height();
    const CXPoint centre = graphic->getCenterPoint();

    // The turned corners give the new size: the larger spread of the two diagonals.
    const double x0 = -centre.x, y0 = -centre.y, x1 = w - centre.x, y1 = h - centre.y;
    auto tx = [&](double x, double y) { return x * c - y * s; };
    auto ty = [&](double x, double y) { return x * s + y * c; };
    const double nw = std::max(std::fabs(std::trunc(tx(x1, y1) - tx(x0, y0))), std::fabs(std::trunc(tx(x0, y1) - tx(x1, y0))));
    const double nh = std::max(std::fabs(std::trunc(ty(x1, y1) - ty(x0, y0))), std::fabs(std::trunc(ty(x0, y1) - ty(x1, y0))));
    // A NaN or infinite angle fails these; a finite one gives at most w + h.
    if (!(nw >= 1 && nh >= 1 && nw <= static_cast<double>(w) + h && nh <= static_cast<double>(w) + h)) return;
    const int W = static_cast<int>(nw);
    const int H = static_cast<int>(nh);

    const int64_t n = static_cast<int64_t>(W) * H;
    const char* in = graphic->GetDataPtr();
    char* inAlpha = graphic->AlphaChannel();
    char* out = new char[static_cast<size_t>(n) * 2]();
    char* outAlpha = inAlpha ? new char[static_cast<size_t>(n)]() : nullptr;
    for (int j = 0; j < H; ++j) {
        const double Y = j - H / 2;
        for (int i = 0; i < W; ++i) {
            const double X = i - W / 2;
            const double u = std::trunc(X * c - Y * s + w / 2);
            const double v = std::trunc(X * s + Y * c + h / 2);
            if (!(u >= 0 && u < w && v >= 0 && v < h)) continue;
            const int64_t from = static_cast<int64_t>(v) * w + static_cast<int64_t>(u);
            if (inAlpha && inAlpha[from] == 0) continue;
            const int64_t to = static_cast<int64_t>(j) * W + i;
            std::memcpy(out + to * 2, in + from * 2, 2);
            if (outAlpha) outAlpha[to] = inAlpha[from];
        }
    }

    if (params->getSmooth() == 1) {
        // In reading order the three neighbours are still unchanged.
        const CPixelLayout l = CPixelLayout::ofDepth(graphic->GetBpp());
        auto at = [&](int64_t i) {
            uint16_t v;
            std::memcpy(&v, out + i * 2, 2);
            return v;
        };
        for (int j = 0; j + 1 < H; ++j) {
            for (int i = 0; i + 1 < W; ++i) {
                const int64_t k[4] = {static_cast<int64_t>(j) * W + i, static_cast<int64_t>(j) * W + i + 1,
                                      static_cast<int64_t>(j + 1) * W + i, static_cast<int64_t>(j + 1) * W + i + 1};
                unsigned r = 0, g = 0, b = 0, a = 0;
                for (int64_t q : k) {
                    const uint16_t p = at(q);
                    r += l.red(p);
                    g += l.green(p);
                    b += l.blue(p);
                    if (outAlpha) a += static_cast<uint8_t>(outAlpha[q]);
                }
                const uint16_t mean = l.pack(r / 4, g / 4, b / 4);
                std::memcpy(out + k[0] * 2, &mean, 2);
                if (outAlpha) outAlpha[k[0]] = static_cast<char>(a / 4);
            }
        }
    }

    installPixels(graphic, out, freeReplaced);
    if (outAlpha) {
        graphic->AlphaChannel(outAlpha);
        if (freeReplaced) delete[] inAlpha;
    }
    graphic->setSize(CXSize(W, H));
    graphic->Move(centre.x - W / 2, centre.y - H / 2);
}
