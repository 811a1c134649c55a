// A bitmap font: a 16-bit strip of equal cells, one glyph per cell, whose shapes live
// in the alpha channel and whose pixels are one flat colour. Besides the strip it keeps
// a letter table, the transparent columns left and right of every glyph and a kerning
// entry for every pair of glyphs. Font files are built from an animation (one frame a
// letter, named by the first event's frame names) and are read as untrusted input.
//
// Font file, little-endian, N letters, a W x H strip:
//   "FNT\0", W, H, depth (16), N (int32 each); the N letters; N x N kerning bytes
//   (entry p * N + c belongs to glyph c after glyph p); N left offsets; N right
//   offsets; W x H 16-bit pixels; W x H alpha bytes.
#pragma once
#include <cstdint>
#include <memory>
#include <vector>

#include "foundation/CXString.h"
#include "graphics/core/CGraphicsObject.h"

class CAnimo;
class CFile;
class CMElement;

class CSimpleFont6 : public CGraphicsObject {
public:
    // A font file whose header or length is wrong.
    static constexpr int kErrBadFont = 2100;
    static constexpr int kHeaderSize = 20;

    explicit CSimpleFont6(CWindow* window);
    CSimpleFont6(CWindow* window, CXString name);
    // FILENAME (loaded when not empty), FAMILY, STYLE and SIZE.
    CSimpleFont6(CWindow* window, CMElement* element);
    // Copies share the letter tables and hold their own copy of the strip.
    CSimpleFont6(const CSimpleFont6& other);
    CSimpleFont6& operator=(const CSimpleFont6& other);
    ~CSimpleFont6() override;

    int Load(CXString name) override;
    int Load(CFile* file) override;

    virtual void flush();
    // Draws a letter with its left inked column at x - kerning; returns the advance.
    virtual int drawLetter(int x, int y, char previous, char letter);
    // The advance used to measure text (without the 2 pixels of letter spacing).
    virtual int getLetterWidth(char previous, char letter);
    virtual int getRealLetterWidth(char letter);
    // A rectangle in the glyph's own coordinates for the next drawLetter of the letter.
    virtual void SetClippingRect(char letter, CXRect r);
    using CGraphicsObject::SetClippingRect;
    // Paints every pixel of the strip with the colour's low 16 bits.
    virtual void setColor(int color);
    virtual bool isMultifont() { return false; }

    // Builds the font from the animation file and writes it to the font file. False when
    // the animation is unusable (does not load, no frames, frames of several sizes) or
    // the file could not be written; the font in memory is built whenever the animation is.
    bool create(CXString animationName, CXString fontName);
    // The same from an animation already loaded.
    bool create(CAnimo* animation, CXString fontName);
    // Writes the font as a font file; false when the file could not be written.
    bool save(CXString fontName);

    int findLetter(char letter) const;
    int getKerning(int previous, int letter) const;
    int getLetterCount() const { return m_count; }
    int getCellWidth() const { return m_count > 0 ? m_width / m_count : 0; }
    // The mapped character of a letter (@ is <, $ is >).
    static char mapLetter(char c);

    void setFamily(CXString family) { m_family = family; }
    void setStyle(CXString style) { m_style = style; }
    using CGraphicsObject::setSize;
    void setSize(int size) { m_size = size; }
    CXString getFamily() const { return m_family; }
    CXString getStyle() const { return m_style; }
    int getSize() const { return m_size; }
    void setDefColor(int color) { m_defColor = color; }
    int getDefColor() const { return m_defColor; }
    int getColor() const { return m_color; }

    // Columns of g, from its left or right edge, whose alpha is 0 in every row.
    static int getLeftOffset(CGraphicsObject* g);
    static int getRightOffset(CGraphicsObject* g);

    struct Tables {
        std::vector<char> letters;
        std::vector<int8_t> kerning;
        std::vector<int8_t> left;
        std::vector<int8_t> right;
    };
    const Tables* tables() const { return m_tables.get(); }

protected:
    // First inked column of glyph i in the strip, and its real width.
    int glyphStart(int i) const;
    int glyphWidth(int i) const;
    void copyFontFields(const CSimpleFont6& other);

    std::shared_ptr<const Tables> m_tables;
    int32_t m_count = 0;
    CXString m_family;
    CXString m_style;
    int32_t m_size = 0;
    int32_t m_defColor = 0xFFFF;
    int32_t m_color = 0;
};
