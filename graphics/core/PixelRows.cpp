#include "graphics/core/PixelRows.h"

#include <cstring>

#include "foundation/ByteOrder.h"
#include "graphics/core/CGraphicsObject.h"

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

namespace pixelrows {

namespace {

const int16_t* mulRowZero() { return CGraphicsObject::__get_mul_array() + 256 * kMulCols; }

template <const Masks& M>
void alphaScalar(const uint16_t* s, const uint8_t* a, uint16_t* d, int n) {
    const int16_t* T = mulRowZero();
    for (int x = 0; x < n; ++x) {
        const unsigned A = a[x];
        if (A == 0) continue;
        if (A == 255)
            d[x] = s[x];
        else
            d[x] = alphaPixel(T, M, s[x], d[x], static_cast<int>(A));
    }
}

template <const Masks& M>
void blendScalar(const uint16_t* s, uint16_t* d, int n, int opacity) {
    const int16_t* T = mulRowZero();
    auto* sb = reinterpret_cast<const char*>(s);
    auto* db = reinterpret_cast<char*>(d);
    for (int x = 0; x < n; ++x)
        byteorder::writeLE16(db + 2 * x, blendPixel(T, M, byteorder::readLE16(sb + 2 * x), byteorder::readLE16(db + 2 * x), opacity));
}

template <const Masks& M>
void alphaBlendScalar(const uint16_t* s, const uint8_t* a, uint16_t* d, int n, int opacity) {
    const int16_t* T = mulRowZero();
    auto* sb = reinterpret_cast<const char*>(s);
    auto* db = reinterpret_cast<char*>(d);
    for (int x = 0; x < n; ++x) {
        const int w = (a[x] * opacity) >> 8;
        if (w == 0) continue;
        byteorder::writeLE16(db + 2 * x, blendPixel(T, M, byteorder::readLE16(sb + 2 * x), byteorder::readLE16(db + 2 * x), w));
    }
}

#if defined(__SSE2__)

// Eight pixels of one depth at a time, in 16-bit lanes. The table's channel rule
// (s - d) x a + (d << 8), cut to 16 bits and shifted down by 8, never wraps for channels of
// at most 6 bits and weights below 256, so it is d + floor((s - d) x a / 256): a low
// product shifted arithmetically for red and blue at bit 0, a high product of (s - d) << 5
// and a << 3 for green where it stands. The rules' masks after the blend keep values that
// already fit, so they fall away.
template <bool k16>
struct Wide {
    static constexpr int kRShift = k16 ? 11 : 10;
    static constexpr int16_t kGMask = k16 ? 0x07E0 : 0x03E0;

    static __m128i low(__m128i s, __m128i d, __m128i a) {
        return _mm_add_epi16(d, _mm_srai_epi16(_mm_mullo_epi16(_mm_sub_epi16(s, d), a), 8));
    }

    // S over D at the weights a (0..255); plusOne gives the alpha rule's + 1 and clamp.
    template <bool plusOne>
    static __m128i blend(__m128i S, __m128i D, __m128i a) {
        const __m128i m5 = _mm_set1_epi16(0x1F);
        const __m128i mg = _mm_set1_epi16(kGMask);
        __m128i b = low(_mm_and_si128(S, m5), _mm_and_si128(D, m5), a);
        __m128i sr = _mm_srli_epi16(S, kRShift), dr = _mm_srli_epi16(D, kRShift);
        if constexpr (!k16) {
            sr = _mm_and_si128(sr, m5);
            dr = _mm_and_si128(dr, m5);
        }
        __m128i r = low(sr, dr, a);
        const __m128i dg = _mm_and_si128(D, mg);
        const __m128i q = _mm_mulhi_epi16(_mm_sub_epi16(_mm_and_si128(S, mg), dg), _mm_slli_epi16(a, 3));
        __m128i g = _mm_add_epi16(dg, _mm_slli_epi16(q, 5));
        if constexpr (plusOne) {
            const __m128i one = _mm_set1_epi16(1);
            r = _mm_min_epi16(_mm_add_epi16(r, one), m5);
            g = _mm_min_epi16(_mm_add_epi16(g, _mm_set1_epi16(0x20)), mg);
            b = _mm_min_epi16(_mm_add_epi16(b, one), m5);
        }
        return _mm_or_si128(_mm_or_si128(_mm_slli_epi16(r, kRShift), g), b);
    }

    static __m128i select(__m128i mask, __m128i yes, __m128i no) {
        return _mm_or_si128(_mm_and_si128(mask, yes), _mm_andnot_si128(mask, no));
    }

    static __m128i load(const uint16_t* p) { return _mm_loadu_si128(reinterpret_cast<const __m128i*>(p)); }
    static void store(uint16_t* p, __m128i v) { _mm_storeu_si128(reinterpret_cast<__m128i*>(p), v); }

    // Eight alpha-rule pixels with their alphas widened to 16-bit lanes.
    // Eight alpha-rule pixels; ends says whether some alpha is 0 or 255, which take the
    // destination or the source as they are.
    static void alpha8(const uint16_t* s, __m128i a, uint16_t* d, bool ends = true) {
        const __m128i S = load(s), D = load(d);
        __m128i v = blend<true>(S, D, a);
        if (ends) {
            v = select(_mm_cmpeq_epi16(a, _mm_set1_epi16(255)), S, v);
            v = select(_mm_cmpeq_epi16(a, _mm_setzero_si128()), D, v);
        }
        store(d, v);
    }

    static void alphaRow(const uint16_t* s, const uint8_t* a, uint16_t* d, int n) {
        const __m128i zero = _mm_setzero_si128();
        const __m128i full = _mm_set1_epi8(static_cast<char>(0xFF));
        int x = 0;
        for (; x + 16 <= n; x += 16) {
            const __m128i A = _mm_loadu_si128(reinterpret_cast<const __m128i*>(a + x));
            const unsigned none = static_cast<unsigned>(_mm_movemask_epi8(_mm_cmpeq_epi8(A, zero)));
            if (none == 0xFFFF) continue;
            const unsigned all = static_cast<unsigned>(_mm_movemask_epi8(_mm_cmpeq_epi8(A, full)));
            if (all == 0xFFFF) {
                store(d + x, load(s + x));
                store(d + x + 8, load(s + x + 8));
                continue;
            }
            const unsigned noneLo = none & 0xFF, allLo = all & 0xFF, noneHi = none >> 8, allHi = all >> 8;
            if (noneLo != 0xFF) {
                if (allLo == 0xFF)
                    store(d + x, load(s + x));
                else
                    alpha8(s + x, _mm_unpacklo_epi8(A, zero), d + x, (noneLo | allLo) != 0);
            }
            if (noneHi != 0xFF) {
                if (allHi == 0xFF)
                    store(d + x + 8, load(s + x + 8));
                else
                    alpha8(s + x + 8, _mm_unpackhi_epi8(A, zero), d + x + 8, (noneHi | allHi) != 0);
            }
        }
        if (x + 8 <= n) {
            alpha8(s + x, _mm_unpacklo_epi8(_mm_loadl_epi64(reinterpret_cast<const __m128i*>(a + x)), zero), d + x);
            x += 8;
        }
        if (x < n) alphaScalar<k16 ? kMask16 : kMask15>(s + x, a + x, d + x, n - x);
    }

    static void blendRow(const uint16_t* s, uint16_t* d, int n, int opacity) {
        const __m128i o = _mm_set1_epi16(static_cast<int16_t>(opacity));
        int x = 0;
        for (; x + 8 <= n; x += 8) store(d + x, blend<false>(load(s + x), load(d + x), o));
        if (x < n) blendScalar<k16 ? kMask16 : kMask15>(s + x, d + x, n - x, opacity);
    }

    // Eight weighted pixels; weight 0 keeps the destination as it is. The blend at weight
    // 0 gives back every channel, which at 5-6-5 is every bit; at 5-5-5 bit 15 is kept
    // apart.
    static void alphaBlend8(const uint16_t* s, __m128i a, __m128i o, uint16_t* d) {
        const __m128i w = _mm_srli_epi16(_mm_mullo_epi16(a, o), 8);
        const __m128i D = load(d);
        const __m128i v = blend<false>(load(s), D, w);
        if constexpr (k16)
            store(d, v);
        else
            store(d, select(_mm_cmpeq_epi16(w, _mm_setzero_si128()), D, v));
    }

    static void alphaBlendRow(const uint16_t* s, const uint8_t* a, uint16_t* d, int n, int opacity) {
        const __m128i zero = _mm_setzero_si128();
        const __m128i o = _mm_set1_epi16(static_cast<int16_t>(opacity));
        int x = 0;
        for (; x + 16 <= n; x += 16) {
            const __m128i A = _mm_loadu_si128(reinterpret_cast<const __m128i*>(a + x));
            const unsigned none = static_cast<unsigned>(_mm_movemask_epi8(_mm_cmpeq_epi8(A, zero)));
            if ((none & 0xFF) != 0xFF) alphaBlend8(s + x, _mm_unpacklo_epi8(A, zero), o, d + x);
            if ((none >> 8) != 0xFF) alphaBlend8(s + x + 8, _mm_unpackhi_epi8(A, zero), o, d + x + 8);
        }
        if (x + 8 <= n) {
            alphaBlend8(s + x, _mm_unpacklo_epi8(_mm_loadl_epi64(reinterpret_cast<const __m128i*>(a + x)), zero), o, d + x);
            x += 8;
        }
        if (x < n) alphaBlendScalar<k16 ? kMask16 : kMask15>(s + x, a + x, d + x, n - x, opacity);
    }
};

void maskWide(const uint16_t* s, const uint8_t* a, uint16_t* d, int n) {
    const __m128i zero = _mm_setzero_si128();
    int x = 0;
    for (; x + 8 <= n; x += 8) {
        const __m128i A = _mm_unpacklo_epi8(_mm_loadl_epi64(reinterpret_cast<const __m128i*>(a + x)), zero);
        const __m128i keep = _mm_cmpeq_epi16(A, zero);
        const __m128i D = Wide<true>::load(d + x);
        Wide<true>::store(d + x, Wide<true>::select(keep, D, Wide<true>::load(s + x)));
    }
    if (x < n) maskRowScalar(s + x, a + x, d + x, n - x);
}

#endif

}  // namespace

void alphaRowScalar(bool is16, const uint16_t* s, const uint8_t* a, uint16_t* d, int n) {
    if (is16)
        alphaScalar<kMask16>(s, a, d, n);
    else
        alphaScalar<kMask15>(s, a, d, n);
}

void blendRowScalar(bool is16, const uint16_t* s, uint16_t* d, int n, int opacity) {
    if (is16)
        blendScalar<kMask16>(s, d, n, opacity);
    else
        blendScalar<kMask15>(s, d, n, opacity);
}

void alphaBlendRowScalar(bool is16, const uint16_t* s, const uint8_t* a, uint16_t* d, int n, int opacity) {
    if (is16)
        alphaBlendScalar<kMask16>(s, a, d, n, opacity);
    else
        alphaBlendScalar<kMask15>(s, a, d, n, opacity);
}

void maskRowScalar(const uint16_t* s, const uint8_t* a, uint16_t* d, int n) {
    for (int x = 0; x < n; ++x)
        if (a[x]) std::memcpy(d + x, s + x, 2);
}

#if defined(__SSE2__)

void alphaRow(bool is16, const uint16_t* s, const uint8_t* a, uint16_t* d, int n) {
    if (is16)
        Wide<true>::alphaRow(s, a, d, n);
    else
        Wide<false>::alphaRow(s, a, d, n);
}

void blendRow(bool is16, const uint16_t* s, uint16_t* d, int n, int opacity) {
    if (is16)
        Wide<true>::blendRow(s, d, n, opacity);
    else
        Wide<false>::blendRow(s, d, n, opacity);
}

void alphaBlendRow(bool is16, const uint16_t* s, const uint8_t* a, uint16_t* d, int n, int opacity) {
    if (is16)
        Wide<true>::alphaBlendRow(s, a, d, n, opacity);
    else
        Wide<false>::alphaBlendRow(s, a, d, n, opacity);
}

void maskRow(const uint16_t* s, const uint8_t* a, uint16_t* d, int n) { maskWide(s, a, d, n); }

#else

void alphaRow(bool is16, const uint16_t* s, const uint8_t* a, uint16_t* d, int n) { alphaRowScalar(is16, s, a, d, n); }
void blendRow(bool is16, const uint16_t* s, uint16_t* d, int n, int opacity) { blendRowScalar(is16, s, d, n, opacity); }
void alphaBlendRow(bool is16, const uint16_t* s, const uint8_t* a, uint16_t* d, int n, int opacity) {
    alphaBlendRowScalar(is16, s, a, d, n, opacity);
}
void maskRow(const uint16_t* s, const uint8_t* a, uint16_t* d, int n) { maskRowScalar(s, a, d, n); }

#endif

}  // namespace pixelrows
