// One line of text in a bitmap font. With a font collection the text may carry inline
// codes ("<B>", "<COLOR255,0,0>", "|", "<E,width,name,text>"...) that switch style and
// colour; the text then draws run by run. The object places itself in a justification
// rectangle, keeps where each word was drawn for hit tests, word colours and searches,
// and honours its clipping rectangle letter by letter.
#pragma once
#include <cstdint>
#include <memory>
#include <vector>

#include "foundation/CXString.h"
#include "graphics/core/CGraphicsObject.h"
#include "graphics/text/CTextFormatCode.h"

class CEditBox6;
class CGraphicsUnit;
class CSimpleFont6;

enum _justify : int32_t { JUSTIFY_LEFT = 0, JUSTIFY_RIGHT = 1, JUSTIFY_CENTER = 2, JUSTIFY_TOP = 3, JUSTIFY_BOTTOM = 4 };

// Where a word was drawn (destination coordinates) and its own colour (kNoColor: none).
struct ht_Word {
    static constexpr int32_t kNoColor = 0x10000;
    int32_t left = 0;
    int32_t right = -1;
    int32_t color = kNoColor;
};

// The words of one drawn line; firstWord numbers them within a multi-line text.
struct ht_Line {
    int32_t firstWord = 0;
    int32_t top = 0;
    int32_t bottom = -1;
    std::vector<ht_Word> words;
    int wordCount() const { return static_cast<int>(words.size()); }
};

class CText6 : public CGraphicsObject {
public:
    CText6(CWindow* window, bool hypertext, CGraphicsUnit* unit);
    // Texts are copied deeply: codes, word records and edit-box list of their own.
    CText6(const CText6& other);
    CText6& operator=(const CText6&) = delete;
    ~CText6() override;

    void Move(int dx, int dy) override;
    using CGraphicsObject::Move;
    void Redraw() override;

    virtual void flush_ht_info();
    // The font is shared with its maker; null leaves the text without a font.
    virtual void setFont(std::shared_ptr<CSimpleFont6> font);
    virtual void setText(CXString text);
    virtual void setJustify(CXRect rect, _justify h, _justify v);
    virtual CXString getText() { return m_text; }
    // The text wrapped in a colour code of c (earlier colour codes stripped when it begins
    // with one); unchanged for c 0.
    virtual CXString getColoruredText(CXString s, int c);
    virtual void setColor(int color);
    virtual int getColor() { return m_color; }
    virtual int getWordAtXY(CXPoint p);
    virtual CXString getWordAt(int n);
    virtual CXPoint getWordPosition(int i);
    virtual int getWordWidth(int i);
    virtual int search(CXString word, int from);
    virtual void setWordColor(int i, int color);

    virtual int getLength();
    static int getLength(CSimpleFont6* font, CXString s);
    _justify getHJustify() const { return m_hJustify; }
    _justify getVJustify() const { return m_vJustify; }
    CXRect getjustifyRect() const { return m_justifyRect; }
    CSimpleFont6* getFont() const { return m_font.get(); }
    const std::shared_ptr<CSimpleFont6>& getSharedFont() const { return m_font; }
    const std::vector<CEditBox6*>& getEditBoxes() const { return m_editBoxes; }
    const std::vector<CTextFormatCode>& getCodes() const { return m_codes; }
    ht_Line* get_ht_lines_info(int i) const;
    int count_words() const;
    int getWordIndex(int i) const { return i; }
    bool isHtEnabled() const { return m_htEnabled; }

    static bool checkCode(CXString name);
    static CXString convTab(CXString s);

protected:
    void parseText();
    CSimpleFont6* addCode(int mode, CXString s, CSimpleFont6* current);
    void flushCodes() { m_codes.clear(); }
    bool isMultifont() const;
    // The bit depth colour codes are packed for: the window's screen, else 16.
    int screenBpp() const;
    // The word record i of the single line, or null.
    ht_Word* word(int i) const;
    // Sets width and height as the object's size.
    void setExtent(int width, int height);

    std::shared_ptr<CSimpleFont6> m_font;
    CXString m_text;
    CXRect m_justifyRect;
    _justify m_vJustify = JUSTIFY_TOP;
    _justify m_hJustify = JUSTIFY_LEFT;
    std::vector<CTextFormatCode> m_codes;
    CGraphicsUnit* m_unit = nullptr;
    std::vector<CEditBox6*> m_editBoxes;
    int32_t m_color = 0xFFFF;
    bool m_htEnabled = true;
    bool m_htDirty = true;
    // The word records per line: the own line of a single text, the lines' records of a
    // multi-line text (null for a break). Empty when there are none.
    std::vector<ht_Line*> m_htLines;
    std::unique_ptr<ht_Line> m_ownLine;
};
