// A colour value: one pixel value together with the colour model it is written in.
// True-colour values convert to the 15- and 16-bit pixels graphics objects store.
#pragma once
#include <cstdint>

#include "foundation/CXObject.h"

// 0 none, 4 true colour from three bytes, 5 true colour from four bytes or an int,
// 6 a 5-5-5 pixel, 7 a 5-6-5 pixel.
enum _colormodel : int32_t {
    CM_NONE = 0,
    CM_RGB = 4,
    CM_RGBA = 5,
    CM_RGB15 = 6,
    CM_RGB16 = 7,
};

// True colour: the bytes alpha, red, green, blue in memory order, read as a
// little-endian int32. 15- and 16-bit models: the pixel sign-extended.
typedef int32_t _pixel;

class CColor : public CXObject {
public:
    CColor();
    CColor(short pixel, _colormodel model);
    CColor(uint8_t r, uint8_t g, uint8_t b);
    CColor(uint8_t r, uint8_t g, uint8_t b, uint8_t a);
    explicit CColor(int value);
    CColor(const CColor& other) = default;
    CColor& operator=(const CColor& other) = default;

    void Set(short pixel, _colormodel model);
    void Set(uint8_t r, uint8_t g, uint8_t b);
    void Set(uint8_t r, uint8_t g, uint8_t b, uint8_t a);
    void set(int value);

    _pixel getPixel() const { return m_pixel; }
    _colormodel getModel() const { return m_model; }

    // The value in the target model. Only true colour converts, and only to the
    // 15- and 16-bit models; anything else returns the value unchanged.
    int Convert(_colormodel target) const;
    // Convert to the model of a depth code (15, 16, 24 or 32).
    int GetInBPP(int bpp) const;
    static _colormodel modelOfBpp(int bpp);

private:
    _pixel m_pixel = 0;
    _colormodel m_model = CM_NONE;
};

// The right-hand colour is converted to the left-hand colour's model, so equality
// is not symmetric.
bool operator==(const CColor& a, const CColor& b);
bool operator!=(const CColor& a, const CColor& b);
