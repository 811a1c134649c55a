// The static effects that rework a graphic's 16-bit pixels colour by colour:
// COLORCHANNEL, GRAYSCALE, BLUR and NEGATIVE. The fields follow the graphic's
// depth: 15 is 5-5-5, any other 5-6-5.
#pragma once

#include <cstdint>

#include "media/filters/CStaticGraphicsFilter.h"

// The three colour fields of a 16-bit pixel layout.
struct CPixelLayout {
    int redShift, greenShift;
    uint16_t redMax, greenMax, blueMax;

    static CPixelLayout ofDepth(int bpp);
    uint16_t red(uint16_t v) const { return static_cast<uint16_t>((v >> redShift) & redMax); }
    uint16_t green(uint16_t v) const { return static_cast<uint16_t>((v >> greenShift) & greenMax); }
    uint16_t blue(uint16_t v) const { return static_cast<uint16_t>(v & blueMax); }
    uint16_t pack(unsigned r, unsigned g, unsigned b) const {
        return static_cast<uint16_t>((r & redMax) << redShift | (g & greenMax) << greenShift | (b & blueMax));
    }
};

class CColorChannelParams : public CStaticFilterParams {
public:
    CColorChannelParams() : CStaticFilterParams(kColorChannel) {}
    // "CHANNELS" is copied; other names go to the base.
    void setProperty(const CXString& name, const CXString& value) override;
    const CXString& getChannels() const { return m_channels; }

private:
    CXString m_channels = CXString("RGB");
};

// Keeps the fields named by "R", "G" and "B" in CHANNELS (as written) and clears the others.
class CColorChannelFilter : public CStaticGraphicsFilter {
public:
    explicit CColorChannelFilter(CWindow* window);
    void applyToGraphics(CGraphicsObject* graphic, bool freeReplaced) override;
    bool replacesPixels() const override { return true; }
    bool replacesAlpha() const override { return true; }
};

// Every pixel's three fields become their mean (the graphic's ToGrayScale).
class CGrayScaleFilter : public CStaticGraphicsFilter {
public:
    explicit CGrayScaleFilter(CWindow* window);
    void applyToGraphics(CGraphicsObject* graphic, bool freeReplaced) override;
    bool replacesPixels() const override { return true; }
};

class CBlurParams : public CStaticFilterParams {
public:
    CBlurParams() : CStaticFilterParams(kBlur) {}
    // "SIZE" as an integer; other names go to the base.
    void setProperty(const CXString& name, const CXString& value) override;
    int32_t getSize() const { return m_size; }

private:
    int32_t m_size = 3;
};

// Each inner pixel's fields become the mean of themselves and the mean of the
// SIZE x SIZE square around them (centre excepted, summed in 16 bits, divided by
// SIZE*SIZE-1). The border keeps its pixels; SIZE below 2, or a picture without
// inner pixels, keeps the picture.
class CBlurFilter : public CStaticGraphicsFilter {
public:
    explicit CBlurFilter(CWindow* window);
    void applyToGraphics(CGraphicsObject* graphic, bool freeReplaced) override;
    bool replacesPixels() const override { return true; }
};

// In place, inside the clipping rectangle (the whole graphic when it has no width
// or height): each field of every pixel with non-zero alpha (a graphic without an
// alpha plane counts as opaque) becomes its maximum minus itself.
class CNegativeFilter : public CStaticGraphicsFilter {
public:
    explicit CNegativeFilter(CWindow* window);
    void applyToGraphics(CGraphicsObject* graphic, bool freeReplaced) override;
    bool replacesPixels() const override { return true; }
};
