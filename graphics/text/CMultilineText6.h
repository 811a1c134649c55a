// A formatted text that wraps itself into lines inside the width of its justification
// rectangle. Each line is a CText6 of its own, drawn under the previous one 4 pixels
// closer than its height; styles continue into continuation lines, "|" starts a new
// line, and edit-box codes become the unit's edit boxes over underscore placeholders.
// Words are numbered across all lines.
#pragma once
#include <memory>
#include <vector>

#include "graphics/input/CEditBox6.h"
#include "graphics/text/CText6.h"

class CMultilineText6 : public CText6 {
public:
    CMultilineText6(CWindow* window, bool hypertext, CGraphicsUnit* unit);
    CMultilineText6(const CMultilineText6&) = delete;
    CMultilineText6& operator=(const CMultilineText6&) = delete;
    ~CMultilineText6() override;

    void Move(int dx, int dy) override;
    using CGraphicsObject::Move;
    void Redraw() override;
    // The file's lines, each keeping its own line end and followed by one more line
    // feed, become the text; a file that does not open gives an empty text. Always 0.
    int Load(CXString name) override;
    using CGraphicsObject::Load;
    int getHeight() override;
    void setFont(std::shared_ptr<CSimpleFont6> font) override;
    void setText(CXString text) override;
    void setJustify(CXRect rect, _justify h, _justify v) override;
    int getWordAtXY(CXPoint p) override;
    CXString getWordAt(int n) override;
    CXPoint getWordPosition(int i) override;
    int getWordWidth(int i) override;
    int search(CXString word, int from) override;
    void setWordColor(int i, int color) override;
    int getLength() override;
    using CText6::getLength;
    // Destroys the lines and deletes the edit boxes (taken out of the unit first).
    virtual void flush();

    int getNumWords() const;
    // The entries in display order: a line, or null for a line break.
    int getLineCount() const { return static_cast<int>(m_lines.size()); }
    CText6* getLine(int i) const;

protected:
    void addEditBox(CXRect r, const CTextFormatCode& code);

private:
    // A line text, or no value for a break entry.
    struct LineText {
        bool isBreak = false;
        CXString text;
    };
    void splitText();
    void splitMultiText();
    void makeLines(const std::vector<LineText>& texts);
    void relayout();
    // The owning line entry of a global word index and the local index; -1 when none.
    int owner(int i, int* local) const;

    std::vector<std::unique_ptr<CText6>> m_lines;
    // Forgets a box its unit deleted (a unit flushes its boxes when a scene is left).
    struct BoxWatch : CEditBoxNotifier {
        explicit BoxWatch(CMultilineText6* owner) : owner(owner) {}
        void onEditBoxDestroyed(CEditBox6* box) override { std::erase(owner->m_editBoxes, box); }
        CMultilineText6* owner;
    };
    BoxWatch m_boxWatch{this};
};
