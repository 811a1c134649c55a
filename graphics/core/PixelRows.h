// The per-pixel rules of the same-depth 15- and 16-bit copies and blends, and their row
// workers: a scalar form that follows the rules pixel by pixel through the shared table
// of products, and a wide form (SSE2 on x86-64) that gives the same bits eight pixels at
// a time, copying opaque runs and skipping transparent ones as whole words.
#pragma once

#include <cstdint>

namespace pixelrows {

struct Masks {
    uint16_t r, g, b;
    int gShift, rShift;
    unsigned rMax, gMax, bMax;
};
inline constexpr Masks kMask15 = {0x7C00, 0x03E0, 0x001F, 5, 10, 31, 31, 31};
inline constexpr Masks kMask16 = {0xF800, 0x07E0, 0x001F, 5, 11, 31, 63, 31};

inline constexpr int kMulCols = 256;

// One channel through the table of products; T points at the row d = 0 of the table.
inline unsigned blendCh(const int16_t* T, int s, int d, int a) {
    return static_cast<uint16_t>(T[(s - d) * kMulCols + a] + (d << 8)) >> 8;
}

// Alpha rule of the same-depth routines: the + 1 and the clamp included.
inline uint16_t alphaPixel(const int16_t* T, const Masks& m, uint16_t S, uint16_t D, int a) {
    unsigned r = blendCh(T, (S & m.r) >> m.rShift, (D & m.r) >> m.rShift, a) + 1;
    unsigned g = blendCh(T, (S & m.g) >> m.gShift, (D & m.g) >> m.gShift, a) + 1;
    unsigned b = blendCh(T, S & m.b, D & m.b, a) + 1;
    if (r > m.rMax) r = m.rMax;
    if (g > m.gMax) g = m.gMax;
    if (b > m.bMax) b = m.bMax;
    return static_cast<uint16_t>(r << m.rShift | g << m.gShift | b);
}

inline uint16_t blendPixel(const int16_t* T, const Masks& m, uint16_t S, uint16_t D, int a) {
    unsigned r = blendCh(T, (S & m.r) >> m.rShift, (D & m.r) >> m.rShift, a) & m.rMax;
    unsigned g = blendCh(T, (S & m.g) >> m.gShift, (D & m.g) >> m.gShift, a) & m.gMax;
    unsigned b = blendCh(T, S & m.b, D & m.b, a) & m.bMax;
    return static_cast<uint16_t>(r << m.rShift | g << m.gShift | b);
}

// True where the wide workers exist; elsewhere the plain names run the scalar ones.
#if defined(__SSE2__)
inline constexpr bool kWide = true;
#else
inline constexpr bool kWide = false;
#endif

// Rows of n pixels of depth bpp (15 or 16); s and d may start anywhere, a is the source's
// alpha plane. The rows must not overlap.
//  alpha:       0 keeps d, 255 takes s, between blends with the + 1 and the clamp.
//  blend:       every pixel blended at the opacity (1..255).
//  alphaBlend:  weight (a x opacity) >> 8; weight 0 keeps d.
//  mask:        any nonzero alpha takes s.
void alphaRow(bool is16, const uint16_t* s, const uint8_t* a, uint16_t* d, int n);
void blendRow(bool is16, const uint16_t* s, uint16_t* d, int n, int opacity);
void alphaBlendRow(bool is16, const uint16_t* s, const uint8_t* a, uint16_t* d, int n, int opacity);
void maskRow(const uint16_t* s, const uint8_t* a, uint16_t* d, int n);

void alphaRowScalar(bool is16, const uint16_t* s, const uint8_t* a, uint16_t* d, int n);
void blendRowScalar(bool is16, const uint16_t* s, uint16_t* d, int n, int opacity);
void alphaBlendRowScalar(bool is16, const uint16_t* s, const uint8_t* a, uint16_t* d, int n, int opacity);
void maskRowScalar(const uint16_t* s, const uint8_t* a, uint16_t* d, int n);

}  // namespace pixelrows
