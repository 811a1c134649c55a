#include "graphics/core/CColor.h"

namespace {

_pixel packTrue(uint8_t r, uint8_t g, uint8_t b, uint8_t a) {
    return static_cast<_pixel>(static_cast<uint32_t>(a) | static_cast<uint32_t>(r) << 8 |
                               static_cast<uint32_t>(g) << 16 | static_cast<uint32_t>(b) << 24);
}

}  // namespace

CColor::CColor() = default;

CColor::CColor(short pixel, _colormodel model) { Set(pixel, model); }

CColor::CColor(uint8_t r, uint8_t g, uint8_t b) { Set(r, g, b); }

CColor::CColor(uint8_t r, uint8_t g, uint8_t b, uint8_t a) { Set(r, g, b, a); }

CColor::CColor(int value) { set(value); }

void CColor::Set(short pixel, _colormodel model) {
    m_pixel = pixel;
    m_model = model;
}

void CColor::Set(uint8_t r, uint8_t g, uint8_t b) {
    m_pixel = packTrue(r, g, b, 0);
    m_model = CM_RGB;
}

void CColor::Set(uint8_t r, uint8_t g, uint8_t b, uint8_t a) {
    m_pixel = packTrue(r, g, b, a);
    m_model = CM_RGBA;
}

void CColor::set(int value) {
    m_pixel = value;
    m_model = CM_RGBA;
}

int CColor::Convert(_colormodel target) const {
    if (target == m_model || (m_model != CM_RGB && m_model != CM_RGBA)) return m_pixel;
    const uint32_t v = static_cast<uint32_t>(m_pixel);
    const uint32_t r = (v >> 8) & 0xFF;
    const uint32_t g = (v >> 16) & 0xFF;
    const uint32_t b = (v >> 24) & 0xFF;
    if (target == CM_RGB15) return static_cast<int>((r >> 3) << 10 | (g >> 3) << 5 | b >> 3);
    if (target == CM_RGB16)
        return static_cast<int16_t>(static_cast<uint16_t>((r >> 3) << 11 | (g >> 2) << 5 | b >> 3));
    return m_pixel;
}

_colormodel CColor::modelOfBpp(int bpp) {
    switch (bpp) {
    case 15: return CM_RGB15;
    case 16: return CM_RGB16;
    case 24: return CM_RGB;
    case 32: return CM_RGBA;
    default: return CM_NONE;
    }
}

int CColor::GetInBPP(int bpp) const { return Convert(modelOfBpp(bpp)); }

bool operator==(const CColor& a, const CColor& b) {
    if (a.getModel() == b.getModel()) return a.getPixel() == b.getPixel();
    return b.Convert(a.getModel()) == a.getPixel();
}

bool operator!=(const CColor& a, const CColor& b) { return !(a == b); }
