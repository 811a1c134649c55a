#include "media/CStaticFilters.h"

#include <algorithm>
#include <cstring>

#include "graphics/core/CGraphicsObject.h"

namespace {

uint16_t readPixel(const char* pixels, int64_t i) {
    uint16_t v;
    std::memcpy(&v, pixels + i * 2, 2);
    return v;
}

void writePixel(char* pixels, int64_t i, uint16_t v) { std::memcpy(pixels + i * 2, &v, 2); }

int64_t pixelCount(CGraphicsObject* g) { return static_cast<int64_t>(g->Width()) * g->Height(); }

// A new buffer holding a copy of the graphic's pixels.
char* copyPixels(CGraphicsObject* g) {
    const int64_t bytes = pixelCount(g) * 2;
    char* copy = new char[static_cast<size_t>(bytes)];
    std::memcpy(copy, g->GetDataPtr(), static_cast<size_t>(bytes));
    return copy;
}

}  // namespace

CPixelLayout CPixelLayout::ofDepth(int bpp) {
    if (bpp == 15) return CPixelLayout{10, 5, 0x1F, 0x1F, 0x1F};
    return CPixelLayout{11, 5, 0x1F, 0x3F, 0x1F};
}

// ---- COLORCHANNEL ----

void CColorChannelParams::setProperty(const CXString& name, const CXString& value) {
    if (name == "CHANNELS")
        m_channels = value;
    else
        CStaticFilterParams::setProperty(name, value);
}

CColorChannelFilter::CColorChannelFilter(CWindow* window) : CStaticGraphicsFilter(window, new CColorChannelParams()) {}

void CColorChannelFilter::applyToGraphics(CGraphicsObject* graphic, bool freeReplaced) {
    CStaticGraphicsFilter::applyToGraphics(graphic, freeReplaced);
    if (!isWorkable(graphic)) return;
    const CPixelLayout l = CPixelLayout::ofDepth(graphic->GetBpp());
    const CXString& channels = static_cast<CColorChannelParams*>(getParams())->getChannels();
    uint16_t mask = 0;
    if (channels.Find('R') >= 0) mask |= l.pack(l.redMax, 0, 0);
    if (channels.Find('G') >= 0) mask |= l.pack(0, l.greenMax, 0);
    if (channels.Find('B') >= 0) mask |= l.pack(0, 0, l.blueMax);
    char* out = copyPixels(graphic);
    const int64_t n = pixelCount(graphic);
    for (int64_t i = 0; i < n; ++i) writePixel(out, i, static_cast<uint16_t>(readPixel(out, i) & mask));
    installPixels(graphic, out, freeReplaced);
}

// ---- GRAYSCALE ----

CGrayScaleFilter::CGrayScaleFilter(CWindow* window)
    : CStaticGraphicsFilter(window, new CStaticFilterParams(CStaticFilterParams::kGrayScale)) {}

void CGrayScaleFilter::applyToGraphics(CGraphicsObject* graphic, bool freeReplaced) {
    CStaticGraphicsFilter::applyToGraphics(graphic, freeReplaced);
    if (!isWorkable(graphic)) return;
    installPixels(graphic, copyPixels(graphic), freeReplaced);
    graphic->ToGrayScale();
}

// ---- BLUR ----

void CBlurParams::setProperty(const CXString& name, const CXString& value) {
    if (name == "SIZE")
        m_size = value.toNumber();
    else
        CStaticFilterParams::setProperty(name, value);
}

CBlurFilter::CBlurFilter(CWindow* window) : CStaticGraphicsFilter(window, new CBlurParams()) {}

void CBlurFilter::applyToGraphics(CGraphicsObject* graphic, bool freeReplaced) {
    CStaticGraphicsFilter::applyToGraphics(graphic, freeReplaced);
    if (!isWorkable(graphic)) return;
    const int size = static_cast<CBlurParams*>(getParams())->getSize();
    if (size < 2) return;
    const int w = graphic->Width();
    const int h = graphic->Height();
    const int k = size / 2;
    if (2 * static_cast<int64_t>(k) >= w || 2 * static_cast<int64_t>(k) >= h) return;
    const int64_t q = static_cast<int64_t>(size) * size - 1;
    const CPixelLayout l = CPixelLayout::ofDepth(graphic->GetBpp());
    const char* in = graphic->GetDataPtr();
    char* out = copyPixels(graphic);
    for (int y = k; y < h - k; ++y) {
        for (int x = k; x < w - k; ++x) {
            uint16_t sr = 0, sg = 0, sb = 0;  // 16-bit sums wrap as the effect's do
            for (int dy = -k; dy <= k; ++dy) {
                for (int dx = -k; dx <= k; ++dx) {
                    if (dx == 0 && dy == 0) continue;
                    const uint16_t v = readPixel(in, static_cast<int64_t>(y + dy) * w + (x + dx));
                    sr = static_cast<uint16_t>(sr + l.red(v));
                    sg = static_cast<uint16_t>(sg + l.green(v));
                    sb = static_cast<uint16_t>(sb + l.blue(v));
                }
            }
            const int64_t i = static_cast<int64_t>(y) * w + x;
            const uint16_t c = readPixel(in, i);
            writePixel(out, i,
                       l.pack(static_cast<unsigned>((l.red(c) + sr / q) / 2), static_cast<unsigned>((l.green(c) + sg / q) / 2),
                              static_cast<unsigned>((l.blue(c) + sb / q) / 2)));
        }
    }
    installPixels(graphic, out, freeReplaced);
}

// ---- NEGATIVE ----

CNegativeFilter::CNegativeFilter(CWindow* window)
    : CStaticGraphicsFilter(window, new CStaticFilterParams(CStaticFilterParams::kNegative)) {}

void CNegativeFilter::applyToGraphics(CGraphicsObject* graphic, bool freeReplaced) {
    CStaticGraphicsFilter::applyToGraphics(graphic, freeReplaced);
    if (!isWorkable(graphic)) return;
    const int w = graphic->Width();
    const int h = graphic->Height();
    CXRect r = graphic->GetClippingRect();
    if (r.Width() <= 0 || r.Height() <= 0) r = CXRect(0, 0, w, h);
    const int left = std::max(r.left, 0), top = std::max(r.top, 0);
    const int right = std::min(r.right, w), bottom = std::min(r.bottom, h);
    const CPixelLayout l = CPixelLayout::ofDepth(graphic->GetBpp());
    char* pixels = graphic->GetDataPtr();
    const char* alpha = graphic->AlphaChannel();
    for (int y = top; y < bottom; ++y) {
        for (int x = left; x < right; ++x) {
            const int64_t i = static_cast<int64_t>(y) * w + x;
            if (alpha && alpha[i] == 0) continue;
            const uint16_t v = readPixel(pixels, i);
            writePixel(pixels, i,
                       l.pack(static_cast<unsigned>(l.redMax - l.red(v)), static_cast<unsigned>(l.greenMax - l.green(v)),
                              static_cast<unsigned>(l.blueMax - l.blue(v))));
        }
    }
}
