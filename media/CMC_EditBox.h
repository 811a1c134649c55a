// The EDITBOX script type (2009): a text entry field that scripts fill, read, move,
// colour and switch on and off, whose focus, text changes, Enter and Escape raise
// script events. The field (CEditBox6) is made in the default scene unit's list of
// boxes; this object listens to it and deletes it, unless the unit went first and took
// it along. A FONT that names no FONT object gives the field an empty font: typing
// works and draws nothing.
#pragma once
#include <memory>

#include "foundation/CXRect.h"
#include "foundation/CXString.h"
#include "graphics/input/CEditBox6.h"
#include "script/CMC_Object.h"

class CMElement;

class CMC_EditBox : public CMC_Object, public CEditBoxNotifier {
public:
    static constexpr int kType = 2009;
    enum : int { kOnFocusOn = 3, kOnFocusOff = 4, kOnChanged = 5, kOnEnter = 6, kOnEsc = 7 };

    // The prototype "temp": no field until a scene binary fills it.
    explicit CMC_EditBox(CMC_ObjectsContainer* container);
    CMC_EditBox(CMC_ObjectsContainer* container, CMElement* element);
    ~CMC_EditBox() override;
    CMC_EditBox(const CMC_EditBox&) = delete;
    CMC_EditBox& operator=(const CMC_EditBox&) = delete;

    CXString** getBehavioursList() override;
    // The font name, the field's rectangle and text, the cursor name. A field read back
    // gets the stored text and priority 0.
    void serialize(CXArchive* archive) override;

    CEditBox6* getEditBox() const { return m_editBox; }
    CXString getFontName() const { return m_fontName; }
    CXString getCursorName() const { return m_cursorName; }

    void onFocusOn(CEditBox6*) override;
    void onFocusOff(CEditBox6*) override;
    void onChanged(CEditBox6*) override;
    void onEnter(CEditBox6*) override;
    void onEsc(CEditBox6*) override;
    // The unit deleted the field (its scene was left): its rectangle and text are kept.
    void onEditBoxDestroyed(CEditBox6* box) override;

private:
    // Makes the field in the default unit (an earlier one goes first).
    void createField(CXRect rect, int priority, CXString text);
    void releaseField();
    std::shared_ptr<CSimpleFont6> findFont();
    void raise(int index, const char* event);

    CEditBox6* m_editBox = nullptr;
    CXString m_fontName;
    CXString m_cursorName;
    // What a field would hold while there is none (no default unit).
    CXRect m_rect;
    CXString m_text;
};
