// The TEXT script type (2006): a block of text in a FONT object's bitmap fonts, wrapped
// and justified inside a rectangle on the scene's screen. It owns one multi-line text
// graphic for its whole life; the definition's justification words, rectangle,
// priority and font name stay as written (methods change only the graphic), and the
// scene binary keeps them with the on-screen state, the visibility and the current
// text (inline codes and colour included).
#pragma once
#include <cstdint>
#include <memory>

#include "foundation/CXString.h"
#include "graphics/text/CText6.h"
#include "script/CMC_Object.h"

class CMElement;
class CMultilineText6;
class CRefreshScreen;
class CSimpleFont6;
class CWindow;
class CXArchive;

class CMC_Text : public CMC_Object {
public:
    static constexpr int kType = 2006;

    // The prototype ("temp", no graphic): a scene binary fills it.
    explicit CMC_Text(CMC_ObjectsContainer* container);
    CMC_Text(CMC_ObjectsContainer* container, CMElement* element);
    ~CMC_Text() override;
    CMC_Text(const CMC_Text&) = delete;
    CMC_Text& operator=(const CMC_Text&) = delete;

    CXString** getBehavioursList() override;
    void serialize(CXArchive* archive) override;

    CMultilineText6* getText() const { return m_text.get(); }
    // "LEFT" 0, "RIGHT" 1, "TOP" 3, "BOTTOM" 4 (exact case); anything else CENTER.
    static _justify resolveJustify(CXString word);
    // The collection of the FONT object of that name (own scope, then the parents);
    // null when it names none.
    std::shared_ptr<CSimpleFont6> findFont(CMC_ObjectsContainer* container, CXString name);
    CRefreshScreen* screen() const;

    CXString getVJustifyWord() const { return m_vJustify; }
    CXString getHJustifyWord() const { return m_hJustify; }
    CXString getRectValue() const { return m_rect; }
    int getPriority() const { return m_priority; }
    CXString getFontName() const { return m_font; }

private:
    // Builds the graphic from the definition's values, as an element or a scene binary
    // gives them.
    void build(CMC_ObjectsContainer* container, CXString text, bool toCanvas, bool visible, bool hypertext);
    void releaseText();

    CWindow* m_window = nullptr;
    std::unique_ptr<CMultilineText6> m_text;
    CXString m_vJustify;
    CXString m_hJustify;
    CXString m_rect;
    int32_t m_priority = 0;
    CXString m_font;
};
