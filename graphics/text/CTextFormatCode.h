// One parsed element of a formatted text: a style switch, a text run, a tab, a line
// break, an edit box or a colour.
#pragma once
#include "foundation/CXObject.h"
#include "foundation/CXString.h"

class CSimpleFont6;

class CTextFormatCode : public CXObject {
public:
    // Edit-box widths are held to 0..kMaxEditBoxWidth.
    static constexpr int kMaxEditBoxWidth = 4096;
    enum Mode : int { kStyle = 1, kText = 2, kTab = 3, kBreak = 4, kEditBox = 5, kColor = 6 };

    // A text run.
    explicit CTextFormatCode(CXString text);
    // A style code: from here on draw in the font (not owned); the text is "<" name ">".
    CTextFormatCode(CSimpleFont6* font, CXString text);
    // Any mode from its arguments: an edit box's "E,width,name,text" (the first field is
    // skipped) or a colour's number or "red,green,blue" packed for the depth (15: 5-5-5,
    // otherwise 5-6-5 sign-extended from 16 bits). Missing components read 0.
    CTextFormatCode(int bpp, int mode, CXString args);
    CTextFormatCode(const CTextFormatCode&) = default;
    CTextFormatCode& operator=(const CTextFormatCode&) = default;
    ~CTextFormatCode() override;

    int getMode() const { return m_mode; }
    int getColor() const { return m_color; }
    CXString getText() const { return m_text; }
    CXString getName() const { return m_name; }
    CSimpleFont6* getFont() const { return m_font; }
    int getWidth() const { return m_width; }

    // The colour of red, green and blue (0-255) as a pixel of the depth, widened as a
    // signed 16-bit value at depth 16.
    static int packColor(int bpp, int red, int green, int blue);

private:
    int m_mode = kText;
    int m_color = 0;
    CXString m_text;
    CSimpleFont6* m_font = nullptr;
    int m_width = 0;
    CXString m_name;
};
