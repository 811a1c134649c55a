#include "media/filters/CStaticFilters.h"

#include <algorithm>
#include <cstring>
#include <vector>

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
    // The square's sums slide: column sums move down a row, the row sum along the
    // columns. Sums wrap at 16 bits as the effect's do, and wrapping sums of the same
    // terms agree whatever the order, so the result is that of summing each square.
    const int64_t n = pixelCount(graphic);
    std::vector<uint16_t> storage(static_cast<size_t>(n) * 3 + static_cast<size_t>(w) * 3, 0);
    uint16_t* planes[3] = {storage.data(), storage.data() + n, storage.data() + 2 * n};
    uint16_t* columns[3];
    for (int c = 0; c < 3; ++c) columns[c] = storage.data() + 3 * n + static_cast<int64_t>(c) * w;
    for (int64_t i = 0; i < n; ++i) {
        const uint16_t v = readPixel(in, i);
        planes[0][i] = l.red(v);
        planes[1][i] = l.green(v);
        planes[2][i] = l.blue(v);
    }
    // Every 16-bit sum divided by q, looked up rather than divided per pixel.
    std::vector<uint16_t> mean(65536);
    for (uint32_t v = 0; v < mean.size(); ++v) mean[v] = static_cast<uint16_t>(v / static_cast<uint64_t>(q));
    for (int c = 0; c < 3; ++c) {
        uint16_t* col = columns[c];
        for (int y = 0; y <= 2 * k; ++y) {
            const uint16_t* row = planes[c] + static_cast<int64_t>(y) * w;
            for (int x = 0; x < w; ++x) col[x] = static_cast<uint16_t>(col[x] + row[x]);
        }
    }
    for (int y = k; y < h - k; ++y) {
        if (y > k) {
            for (int c = 0; c < 3; ++c) {
                uint16_t* col = columns[c];
                const uint16_t* added = planes[c] + static_cast<int64_t>(y + k) * w;
                const uint16_t* dropped = planes[c] + static_cast<int64_t>(y - k - 1) * w;
                for (int x = 0; x < w; ++x) col[x] = static_cast<uint16_t>(col[x] + added[x] - dropped[x]);
            }
        }
        const int64_t rowStart = static_cast<int64_t>(y) * w;
        const uint16_t* r = planes[0] + rowStart;
        const uint16_t* g = planes[1] + rowStart;
        const uint16_t* b = planes[2] + rowStart;
        const uint16_t* cr = columns[0];
        const uint16_t* cg = columns[1];
        const uint16_t* cb = columns[2];
        uint16_t sr = 0, sg = 0, sb = 0;
        for (int x = 0; x <= 2 * k; ++x) {
            sr = static_cast<uint16_t>(sr + cr[x]);
            sg = static_cast<uint16_t>(sg + cg[x]);
            sb = static_cast<uint16_t>(sb + cb[x]);
        }
        for (int x = k; x < w - k; ++x) {
            if (x > k) {
                sr = static_cast<uint16_t>(sr + cr[x + k] - cr[x - k - 1]);
                sg = static_cast<uint16_t>(sg + cg[x + k] - cg[x - k - 1]);
                sb = static_cast<uint16_t>(sb + cb[x + k] - cb[x - k - 1]);
            }
            // The centre excepted.
            const uint16_t ar = static_cast<uint16_t>(sr - r[x]);
            const uint16_t ag = static_cast<uint16_t>(sg - g[x]);
            const uint16_t ab = static_cast<uint16_t>(sb - b[x]);
            writePixel(out, rowStart + x,
                       l.pack(static_cast<unsigned>((r[x] + mean[ar]) / 2), static_cast<unsigned>((g[x] + mean[ag]) / 2),
                              static_cast<unsigned>((b[x] + mean[ab]) / 2)));
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
