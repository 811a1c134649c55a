// The pixel routines of CGraphicsObject: copies and blends between rectangular
// buffers, the shared table of signed products, and the buffer converters.
#include <cstring>

#include "foundation/ByteOrder.h"
#include "graphics/core/CGraphicsObject.h"
#include "graphics/core/PixelRows.h"
#include "graphics/screen/CSurface.h"

int16_t* CGraphicsObject::s_mulArray = nullptr;

namespace {

constexpr int kMulRows = 512;

// The walk over both buffers that every copy and blend worker shares.
struct Walk {
    char* src = nullptr;
    char* alpha = nullptr;
    char* dst = nullptr;
    int w = 0;
    int h = 0;
    ptrdiff_t srcSkip = 0;  // pixels
    ptrdiff_t dstSkip = 0;  // pixels
};

// Source rectangle first, then the destination rectangle as a part of it in its own
// coordinates. The destination start follows the source's place and rectangle.
bool setupWalk(const _canvas* src, const _canvas* dst, int bd, Walk& k) {
    int w = src->width;
    int h = src->height;
    ptrdiff_t srcOffset = 0;
    ptrdiff_t skip = 0;
    if (!src->rect.IsEmpty()) {
        w = src->rect.right - src->rect.left;
        h = src->rect.bottom - src->rect.top;
        srcOffset = static_cast<ptrdiff_t>(src->rect.top) * src->width + src->rect.left;
        skip = src->width - w;
    }
    if (!dst->rect.IsEmpty()) {
        // Rows of the part step by the source's full width, so the row skip is taken
        // against the source width once.
        srcOffset += static_cast<ptrdiff_t>(dst->rect.top) * src->width + dst->rect.left;
        w = dst->rect.right - dst->rect.left;
        h = dst->rect.bottom - dst->rect.top;
        skip = src->width - w;
    }
    if (w <= 0 || h <= 0) return false;
    const int bs = CGraphicsObject::__get_pixel_size(src->bpp);
    k.w = w;
    k.h = h;
    k.src = src->data + srcOffset * bs;
    k.alpha = src->alpha ? src->alpha + srcOffset : nullptr;
    k.srcSkip = skip;
    const ptrdiff_t dstOffset =
        (static_cast<ptrdiff_t>(src->rect.top) + src->y) * dst->width + src->rect.left + src->x;
    k.dst = dst->data + dstOffset * bd;
    k.dstSkip = dst->width - w;
    return true;
}

using pixelrows::alphaPixel;
using pixelrows::blendCh;
using pixelrows::kMask15;
using pixelrows::kMask16;
using pixelrows::kMulCols;
using pixelrows::Masks;

// The 32-bit blend: the destination read back as 5-bit channels, the source's green
// losing its lowest bit, the result looked up as a depth-16 pixel.
inline uint32_t blendPixel32(const int16_t* T, const int32_t* C, uint16_t S, uint32_t D, int a) {
    const int db = (D & 0xFF) >> 3;
    const int dg = ((D >> 8) & 0xFF) >> 3;
    const int dr = ((D >> 16) & 0xFF) >> 3;
    const unsigned r = blendCh(T, S >> 11, dr, a) & 0x1F;
    const unsigned g = blendCh(T, (S >> 6) & 0x1F, dg, a) & 0x1F;
    const unsigned b = blendCh(T, S & 0x1F, db, a) & 0x1F;
    return static_cast<uint32_t>(C[r << 11 | g << 6 | b]);
}

const int16_t* mulRowZero() { return CGraphicsObject::__get_mul_array() + 256 * kMulCols; }

// Runs f(srcPixel, alphaPtr, dstPixel) over the walk.
template <int BS, int BD, class F>
bool walk(_canvas* src, _canvas* dst, F f) {
    Walk k;
    if (!setupWalk(src, dst, BD, k)) return false;
    char* s = k.src;
    char* a = k.alpha;
    char* d = k.dst;
    for (int y = 0; y < k.h; ++y) {
        for (int x = 0; x < k.w; ++x) {
            f(s, a, d);
            s += BS;
            d += BD;
            if (a) ++a;
        }
        s += k.srcSkip * BS;
        d += k.dstSkip * BD;
        if (a) a += k.srcSkip;
    }
    return true;
}

// Runs row(s, a, d, n, wide) over the walk of two same-depth buffers. A row whose source
// and destination overlap at different starts goes through the scalar worker, which
// reads each pixel after the ones before it were written.
template <class F>
bool rows(_canvas* src, _canvas* dst, F row) {
    Walk k;
    if (!setupWalk(src, dst, 2, k)) return false;
    auto* s = reinterpret_cast<const uint16_t*>(k.src);
    auto* d = reinterpret_cast<uint16_t*>(k.dst);
    const auto* a = reinterpret_cast<const uint8_t*>(k.alpha);
    const uintptr_t bytes = static_cast<uintptr_t>(k.w) * 2;
    for (int y = 0; y < k.h; ++y) {
        const auto sp = reinterpret_cast<uintptr_t>(s), dp = reinterpret_cast<uintptr_t>(d);
        const bool apart = sp == dp || sp + bytes <= dp || dp + bytes <= sp;
        row(s, a, d, k.w, apart);
        s += k.w + k.srcSkip;
        d += k.w + k.dstSkip;
        if (a) a += k.w + k.srcSkip;
    }
    return true;
}

bool is2Byte(int bpp) { return bpp == 15 || bpp == 16; }

}  // namespace

int CGraphicsObject::__get_pixel_size(int bpp) {
    switch (bpp) {
    case 15:
    case 16: return 2;
    case 24: return 3;
    case 32: return 4;
    default: return 1;
    }
}

int CGraphicsObject::__get_data_size(int width, int height, int bpp) {
    return saturate32(static_cast<int64_t>(width) * height * __get_pixel_size(bpp));
}

int CGraphicsObject::__get_data_size(CXSize size, int bpp) { return __get_data_size(size.cx, size.cy, bpp); }

void CGraphicsObject::__initialize_mul_array() {
    if (s_mulArray) return;
    s_mulArray = new int16_t[kMulRows * kMulCols];
    for (int d = -256; d < 256; ++d)
        for (int j = 0; j < kMulCols; ++j)
            s_mulArray[(d + 256) * kMulCols + j] = static_cast<int16_t>(static_cast<uint16_t>(d * j));
}

int16_t* CGraphicsObject::__get_mul_array() {
    if (!s_mulArray) __initialize_mul_array();
    return s_mulArray;
}

void CGraphicsObject::__done_mul_array() {
    delete[] s_mulArray;
    s_mulArray = nullptr;
}

// ---- dispatchers ----

bool CGraphicsObject::__copy(_canvas* src, _canvas* dst) {
    if (src->bpp == dst->bpp) return is2Byte(src->bpp) ? __copy_bpp15_16(src, dst) : false;
    if (!is2Byte(src->bpp)) return false;
    if (dst->bpp == 24) return __copy_bpp24(src, dst);
    if (dst->bpp == 32) return __copy_bpp32(src, dst);
    return false;
}

bool CGraphicsObject::__copy_alpha(_canvas* src, _canvas* dst) {
    if (src->bpp == dst->bpp) {
        if (src->bpp == 15) return __copy_alpha15(src, dst);
        if (src->bpp == 16) return __copy_alpha16(src, dst);
        return true;
    }
    if (is2Byte(src->bpp) && dst->bpp == 24) return __copy_alpha24(src, dst);
    if (is2Byte(src->bpp) && dst->bpp == 32) return __copy_alpha32(src, dst);
    return true;
}

bool CGraphicsObject::__copy_blend(_canvas* src, _canvas* dst, unsigned char opacity) {
    if (src->bpp == dst->bpp) {
        if (src->bpp == 15)
            return src->alpha ? __copy_alpha_blend15(src, dst, opacity) : __copy_blend15(src, dst, opacity);
        if (src->bpp == 16)
            return src->alpha ? __copy_alpha_blend16(src, dst, opacity) : __copy_blend16(src, dst, opacity);
        return true;
    }
    if (is2Byte(src->bpp) && dst->bpp == 24)
        return src->alpha ? __copy_alpha_blend24(src, dst, opacity) : __copy_blend24(src, dst, opacity);
    if (is2Byte(src->bpp) && dst->bpp == 32)
        return src->alpha ? __copy_alpha_blend32(src, dst, opacity) : __copy_blend32(src, dst, opacity);
    return true;
}

// ---- workers ----

bool CGraphicsObject::__copy_bpp15_16(_canvas* src, _canvas* dst) {
    Walk k;
    if (!setupWalk(src, dst, 2, k)) return false;
    const size_t rowBytes = static_cast<size_t>(k.w) * 2;
    for (int y = 0; y < k.h; ++y) {
        std::memmove(k.dst, k.src, rowBytes);
        k.src += (k.w + k.srcSkip) * 2;
        k.dst += (k.w + k.dstSkip) * 2;
    }
    return true;
}

bool CGraphicsObject::__copy_bpp24(_canvas*, _canvas*) { return true; }
bool CGraphicsObject::__copy_alpha24(_canvas*, _canvas*) { return false; }
bool CGraphicsObject::__copy_blend24(_canvas*, _canvas*, unsigned char) { return false; }
bool CGraphicsObject::__copy_alpha_blend24(_canvas*, _canvas*, unsigned char) { return false; }

bool CGraphicsObject::__copy_bpp32(_canvas* src, _canvas* dst) {
    const int32_t* C = CSurface::getBppConversionTable();
    if (!C) return false;
    return walk<2, 4>(src, dst, [C](char* s, char*, char* d) { byteorder::writeLE32(d, static_cast<uint32_t>(C[byteorder::readLE16(s)])); });
}

static bool copyAlphaSame(_canvas* src, _canvas* dst, bool is16) {
    if (!src->alpha) return false;
    return rows(src, dst, [is16](const uint16_t* s, const uint8_t* a, uint16_t* d, int n, bool wide) {
        if (wide)
            pixelrows::alphaRow(is16, s, a, d, n);
        else
            pixelrows::alphaRowScalar(is16, s, a, d, n);
    });
}

bool CGraphicsObject::__copy_alpha15(_canvas* src, _canvas* dst) { return copyAlphaSame(src, dst, false); }
bool CGraphicsObject::__copy_alpha16(_canvas* src, _canvas* dst) { return copyAlphaSame(src, dst, true); }

bool CGraphicsObject::__copy_alpha32(_canvas* src, _canvas* dst) {
    const int32_t* C = CSurface::getBppConversionTable();
    if (!C || !src->alpha) return false;
    const int16_t* T = mulRowZero();
    return walk<2, 4>(src, dst, [C, T](char* s, char* a, char* d) {
        const uint8_t A = static_cast<uint8_t>(*a);
        if (A == 0) return;
        if (A == 255)
            byteorder::writeLE32(d, static_cast<uint32_t>(C[byteorder::readLE16(s)]));
        else
            byteorder::writeLE32(d, blendPixel32(T, C, byteorder::readLE16(s), byteorder::readLE32(d), A));
    });
}

bool CGraphicsObject::__copy_alpha_as_mask(_canvas* src, _canvas* dst) {
    if (!src->alpha || !is2Byte(src->bpp)) return false;
    return rows(src, dst, [](const uint16_t* s, const uint8_t* a, uint16_t* d, int n, bool wide) {
        if (wide)
            pixelrows::maskRow(s, a, d, n);
        else
            pixelrows::maskRowScalar(s, a, d, n);
    });
}

static bool copyBlendSame(_canvas* src, _canvas* dst, unsigned char opacity, bool is16) {
    if (opacity == 0) {
        Walk k;
        return setupWalk(src, dst, 2, k);
    }
    return rows(src, dst, [is16, opacity](const uint16_t* s, const uint8_t*, uint16_t* d, int n, bool wide) {
        if (wide)
            pixelrows::blendRow(is16, s, d, n, opacity);
        else
            pixelrows::blendRowScalar(is16, s, d, n, opacity);
    });
}

static bool copyAlphaBlendSame(_canvas* src, _canvas* dst, unsigned char opacity, bool is16) {
    if (!src->alpha) return copyBlendSame(src, dst, opacity, is16);
    return rows(src, dst, [is16, opacity](const uint16_t* s, const uint8_t* a, uint16_t* d, int n, bool wide) {
        if (wide)
            pixelrows::alphaBlendRow(is16, s, a, d, n, opacity);
        else
            pixelrows::alphaBlendRowScalar(is16, s, a, d, n, opacity);
    });
}

bool CGraphicsObject::__copy_blend15(_canvas* src, _canvas* dst, unsigned char o) { return copyBlendSame(src, dst, o, false); }
bool CGraphicsObject::__copy_blend16(_canvas* src, _canvas* dst, unsigned char o) { return copyBlendSame(src, dst, o, true); }
bool CGraphicsObject::__copy_alpha_blend15(_canvas* src, _canvas* dst, unsigned char o) {
    return copyAlphaBlendSame(src, dst, o, false);
}
bool CGraphicsObject::__copy_alpha_blend16(_canvas* src, _canvas* dst, unsigned char o) {
    return copyAlphaBlendSame(src, dst, o, true);
}

bool CGraphicsObject::__copy_blend32(_canvas* src, _canvas* dst, unsigned char opacity) {
    const int32_t* C = CSurface::getBppConversionTable();
    if (!C) return false;
    const int16_t* T = mulRowZero();
    return walk<2, 4>(src, dst, [C, T, opacity](char* s, char*, char* d) {
        if (opacity == 0) return;
        byteorder::writeLE32(d, blendPixel32(T, C, byteorder::readLE16(s), byteorder::readLE32(d), opacity));
    });
}

bool CGraphicsObject::__copy_alpha_blend32(_canvas* src, _canvas* dst, unsigned char opacity) {
    if (!src->alpha) return __copy_blend32(src, dst, opacity);
    const int32_t* C = CSurface::getBppConversionTable();
    if (!C) return false;
    const int16_t* T = mulRowZero();
    return walk<2, 4>(src, dst, [C, T, opacity](char* s, char* a, char* d) {
        const int w = (static_cast<uint8_t>(*a) * opacity) >> 8;
        if (w == 0) return;
        byteorder::writeLE32(d, blendPixel32(T, C, byteorder::readLE16(s), byteorder::readLE32(d), w));
    });
}

bool CGraphicsObject::copyToCanvas(_canvas* src, _canvas* dst) {
    if (!is2Byte(src->bpp) || src->bpp != dst->bpp || !dst->alpha) return true;
    Walk k;
    if (!setupWalk(src, dst, 2, k)) return false;
    const Masks& m = src->bpp == 15 ? kMask15 : kMask16;
    const int16_t* T = mulRowZero();
    auto* da = reinterpret_cast<uint8_t*>(dst->alpha) + (k.dst - dst->data) / 2;
    auto* s = reinterpret_cast<const uint16_t*>(k.src);
    auto* d = reinterpret_cast<uint16_t*>(k.dst);
    const auto* a = reinterpret_cast<const uint8_t*>(k.alpha);
    for (int y = 0; y < k.h; ++y) {
        for (int x = 0; x < k.w; ++x) {
            if (!a) {
                d[x] = s[x];
                da[x] = 255;
                continue;
            }
            const unsigned A = a[x];
            if (A == 0) continue;
            if (A == 255) {
                d[x] = s[x];
                da[x] = 255;
            } else if (da[x] == 0) {
                d[x] = s[x];
                da[x] = static_cast<uint8_t>(A);
            } else {
                d[x] = alphaPixel(T, m, s[x], d[x], static_cast<int>(A));
                const unsigned sum = da[x] + A;
                da[x] = static_cast<uint8_t>(sum > 255 ? 255 : sum);
            }
        }
        s += k.w + k.srcSkip;
        d += k.w + k.dstSkip;
        da += k.w + k.dstSkip;
        if (a) a += k.w + k.srcSkip;
    }
    return true;
}

// ---- single pixels ----

namespace {
void putPixelMasked(const Masks& m, char* pixels, int pitch, int x, int y, short colour, int alpha, bool replace) {
    char* p = pixels + (static_cast<ptrdiff_t>(pitch) * y + x) * 2;
    const uint16_t base = replace ? 0 : byteorder::readLE16(p);
    const uint16_t c = static_cast<uint16_t>(colour);
    auto ch = [&](uint16_t mask, int shift, unsigned max) {
        const unsigned b = (base & mask) >> shift;
        const unsigned v = (c & mask) >> shift;
        return (((b * (255 - alpha)) >> 8) + ((v * alpha) >> 8)) & max;
    };
    byteorder::writeLE16(p, static_cast<uint16_t>(ch(m.r, m.rShift, m.rMax) << m.rShift | ch(m.g, m.gShift, m.gMax) << m.gShift |
                                  ch(m.b, 0, m.bMax)));
}
}  // namespace

void CGraphicsObject::putPixel15(char* pixels, int pitch, int x, int y, short colour, int alpha, bool replace) {
    putPixelMasked(kMask15, pixels, pitch, x, y, colour, alpha, replace);
}

void CGraphicsObject::putPixel16(char* pixels, int pitch, int x, int y, short colour, int alpha, bool replace) {
    putPixelMasked(kMask16, pixels, pitch, x, y, colour, alpha, replace);
}

// ---- converters ----

namespace {
template <class F>
char* convertPairs(char* src, CXSize size, char* dst, F f) {
    const int64_t n = static_cast<int64_t>(size.cx) * size.cy;
    if (!src || !dst || n <= 0) return dst;
    const int64_t pairs = n / 2;
    for (int64_t i = 0; i < pairs; ++i) byteorder::writeLE32(dst + i * 4, f(byteorder::readLE32(src + i * 4)));
    if (n & 1) {
        // The odd last pixel goes through the same rule as the low half of a word.
        byteorder::writeLE16(dst + pairs * 4, static_cast<uint16_t>(f(byteorder::readLE16(src + pairs * 4))));
    }
    return dst;
}
}  // namespace

char* CGraphicsObject::_convert15to16(char** src, CXSize size, char* dst) {
    return convertPairs(src ? *src : nullptr, size, dst,
                        [](uint32_t w) { return (w & 0x001F001Fu) | ((w & 0x7FC07FC0u) << 1); });
}

char* CGraphicsObject::_convert16to15(char** src, CXSize size, char* dst) {
    return convertPairs(src ? *src : nullptr, size, dst,
                        [](uint32_t w) { return (w & 0x001F001Fu) | ((w & 0xFFC0FFC0u) >> 1); });
}

char* CGraphicsObject::_convert32to15(char** src, CXSize size, char* dst) { return _convert16to15(src, size, dst); }

char* CGraphicsObject::_convert32to16(char** src, CXSize size, char* /*dst*/) {
    const int64_t n = static_cast<int64_t>(size.cx) * size.cy;
    if (!src || !*src || n <= 0) return nullptr;
    const auto* s = reinterpret_cast<const uint8_t*>(*src);
    char* out = new char[n * 2];
    for (int64_t i = 0; i < n; ++i) {
        const uint8_t r = s[i * 3], g = s[i * 3 + 1], b = s[i * 3 + 2];
        byteorder::writeLE16(out + i * 2, static_cast<uint16_t>((r & 0xF8) << 8 | (g & 0xFC) << 3 | b >> 3));
    }
    return out;
}

int CGraphicsObject::__get_convert_code(int from, int to) {
    if (from == 15 && to == 16) return 1;
    if (from == 16 && to == 15) return 2;
    if (from == 32 && to == 15) return 3;
    if (from == 32 && to == 16) return 4;
    if (from == to && is2Byte(from)) return 5;
    return 0;
}

bool CGraphicsObject::__convert_bpp(char** src, char** /*dst*/, CXSize size, int from, int to, _palette**, bool) {
    if (!src || !*src) return false;
    switch (__get_convert_code(from, to)) {
    case 1: _convert15to16(src, size, *src); return true;
    case 2:
    case 3: _convert16to15(src, size, *src); return true;
    case 4: {
        char* out = _convert32to16(src, size, nullptr);
        if (!out) return false;
        delete[] *src;
        *src = out;
        return true;
    }
    case 5: return true;
    default: return from == to;
    }
}
