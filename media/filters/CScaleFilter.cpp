#include "media/filters/CScaleFilter.h"

#include <IL/il.h>
#include <IL/ilu.h>

#include <algorithm>
#include <cmath>
#include <cstring>
#include <vector>

#include "graphics/core/CGraphicsObject.h"
#include "graphics/core/ImageLibrary.h"
#include "media/filters/CStaticFilters.h"

namespace {

// A field of `bits` bits widened to 8 and narrowed back (truncated).
unsigned widen(unsigned c, int bits) { return bits == 6 ? (c << 2 | c >> 4) : (c << 3 | c >> 2); }
unsigned narrow(unsigned c, int bits) { return c >> (8 - bits); }

}  // namespace

void CScaleParams::setProperty(const CXString& name, const CXString& value) {
    if (name == "FACTORX")
        m_factorX = value.toDouble();
    else if (name == "FACTORY")
        m_factorY = value.toDouble();
    else if (name == "BYCENTER")
        m_byCenter = value.toBool();
    else if (name == "SMOOTH")
        m_smooth = value.toNumber();
    else
        CStaticFilterParams::setProperty(name, value);
}

CScaleFilter::CScaleFilter(CWindow* window) : CStaticGraphicsFilter(window, new CScaleParams()) {}

int CScaleFilter::resamplingFilter(int smooth) {
    static constexpr int kFilters[] = {ILU_LINEAR,         ILU_BILINEAR,     ILU_SCALE_BOX,      ILU_SCALE_TRIANGLE,
                                       ILU_SCALE_BELL,     ILU_SCALE_BSPLINE, ILU_SCALE_LANCZOS3, ILU_SCALE_MITCHELL};
    if (smooth < 1) smooth = 1;
    if (smooth > 8) smooth = 8;
    return kFilters[smooth - 1];
}

bool CScaleFilter::resample(const char* pixels, const char* alpha, int w, int h, int bpp, int nw, int nh, int smooth,
                            char** outPixels, char** outAlpha) {
    *outPixels = nullptr;
    *outAlpha = nullptr;
    if (!pixels || w < 1 || h < 1 || nw < 1 || nh < 1 || nw > kMaxSide || nh > kMaxSide) return false;
    imagelib::start();
    const CPixelLayout l = CPixelLayout::ofDepth(bpp);
    const int greenBits = l.greenMax == 0x3F ? 6 : 5;
    const int channels = alpha ? 4 : 3;
    const size_t n = static_cast<size_t>(w) * h;
    std::vector<ILubyte> in(n * channels);
    for (size_t i = 0; i < n; ++i) {
        uint16_t v;
        std::memcpy(&v, pixels + i * 2, 2);
        ILubyte* p = &in[i * channels];
        p[0] = static_cast<ILubyte>(widen(l.red(v), 5));
        p[1] = static_cast<ILubyte>(widen(l.green(v), greenBits));
        p[2] = static_cast<ILubyte>(widen(l.blue(v), 5));
        if (alpha) p[3] = static_cast<ILubyte>(alpha[i]);
    }

    ILuint image = 0;
    ilGenImages(1, &image);
    ilBindImage(image);
    bool ok = ilTexImage(static_cast<ILuint>(w), static_cast<ILuint>(h), 1, static_cast<ILubyte>(channels),
                         alpha ? IL_RGBA : IL_RGB, IL_UNSIGNED_BYTE, in.data()) == IL_TRUE;
    if (ok) {
        iluImageParameter(ILU_FILTER, static_cast<ILenum>(resamplingFilter(smooth)));
        ok = iluScale(static_cast<ILuint>(nw), static_cast<ILuint>(nh), 1) == IL_TRUE;
    }
    // Read back only what the library says it holds.
    const ILubyte* data = ok ? ilGetData() : nullptr;
    ok = data && ilGetInteger(IL_IMAGE_WIDTH) == nw && ilGetInteger(IL_IMAGE_HEIGHT) == nh &&
         ilGetInteger(IL_IMAGE_BYTES_PER_PIXEL) == channels && ilGetInteger(IL_IMAGE_TYPE) == IL_UNSIGNED_BYTE;
    if (ok) {
        const size_t m = static_cast<size_t>(nw) * nh;
        *outPixels = new char[m * 2];
        if (alpha) *outAlpha = new char[m];
        for (size_t i = 0; i < m; ++i) {
            const ILubyte* p = data + i * channels;
            const uint16_t v = l.pack(narrow(p[0], 5), narrow(p[1], greenBits), narrow(p[2], 5));
            std::memcpy(*outPixels + i * 2, &v, 2);
            if (alpha) (*outAlpha)[i] = static_cast<char>(p[3]);
        }
    }
    ilDeleteImages(1, &image);
    while (ilGetError() != IL_NO_ERROR) {
    }
    return ok;
}

void CScaleFilter::applyToGraphics(CGraphicsObject* graphic, bool freeReplaced) {
    CStaticGraphicsFilter::applyToGraphics(graphic, freeReplaced);
    if (!isWorkable(graphic)) return;
    const auto* params = static_cast<CScaleParams*>(getParams());
    const int w = graphic->Width();
    const int h = graphic->Height();
    const double fx = params->getFactorX();
    const double fy = params->getFactorY();
    const double nw = std::trunc(w * fx);
    const double nh = std::trunc(h * fy);
    // NaN fails these too.
    if (!(nw >= 1 && nh >= 1 && nw <= kMaxSide && nh <= kMaxSide)) return;
    const int W = static_cast<int>(nw);
    const int H = static_cast<int>(nh);
    char* in = graphic->GetDataPtr();
    char* inAlpha = graphic->AlphaChannel();
    char* out = nullptr;
    char* outAlpha = nullptr;
    if (params->getSmooth() >= 1) {
        if (!resample(in, inAlpha, w, h, graphic->GetBpp(), W, H, params->getSmooth(), &out, &outAlpha)) return;
    } else {
        out = new char[static_cast<size_t>(W) * H * 2];
        outAlpha = inAlpha ? new char[static_cast<size_t>(W) * H] : nullptr;
        for (int j = 0; j < H; ++j) {
            // Factors of at least 1 / kMaxSide keep the samples near the picture; the
            // clamp keeps the rounding of large ones inside it.
            const int v = std::min(static_cast<int>(std::trunc(j / fy)), h - 1);
            for (int i = 0; i < W; ++i) {
                const int u = std::min(static_cast<int>(std::trunc(i / fx)), w - 1);
                const int64_t from = static_cast<int64_t>(v) * w + u;
                const int64_t to = static_cast<int64_t>(j) * W + i;
                std::memcpy(out + to * 2, in + from * 2, 2);
                if (outAlpha) outAlpha[to] = inAlpha[from];
            }
        }
    }
    installPixels(graphic, out, freeReplaced);
    if (outAlpha) {
        graphic->AlphaChannel(outAlpha);
        if (freeReplaced) delete[] inAlpha;
    }
    graphic->setSize(CXSize(W, H));
    if (params->isByCenter()) graphic->Move((w - W) / 2, (h - H) / 2);
}
