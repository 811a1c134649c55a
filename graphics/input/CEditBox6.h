// A text entry field of a scene unit: a rectangle showing a multi-line text in a
// bitmap font, a cursor graphic that blinks while the box has the focus, and an
// invisible button over the rectangle through which a click gives the box the focus
// (by way of the unit, which keeps the focused box). Keys and characters come to it as
// a key listener of the window; a click elsewhere takes the focus away. Its
// CEditBoxNotifiers hear of focus changes, text changes, Enter and Escape.
//
// The text uses "|" as its line break; "<" and ">" typed become "@" and "$", which the
// font draws as the angle brackets, so typed text never opens a format code.
#pragma once
#include <cstdint>
#include <memory>
#include <vector>

#include "foundation/CTimerNotificator.h"
#include "foundation/CXObject.h"
#include "foundation/CXRect.h"
#include "foundation/CXString.h"
#include "graphics/input/CControl.h"
#include "graphics/input/CMouseListener.h"

class CButton;
class CEditBox6;
class CGraphicsObject;
class CGraphicsUnit;
class CMultilineText6;
class CRefreshScreen;
class CSimpleFont6;
class CWindow;

class CEditBoxNotifier {
public:
    virtual ~CEditBoxNotifier() = default;
    virtual void onFocusOn(CEditBox6*) {}
    virtual void onFocusOff(CEditBox6*) {}
    virtual void onChanged(CEditBox6*) {}
    virtual void onEnter(CEditBox6*) {}
    virtual void onEsc(CEditBox6*) {}
    // The box is being destroyed (told from its destructor, last); holders forget it.
    virtual void onEditBoxDestroyed(CEditBox6*) {}
};

class CEditBox6 : public CXObject,
                  public CKeyListener,
                  public CControlNotifier,
                  public CMouseListener,
                  public CTimerNotificator {
public:
    // Scan codes of the keys the box handles.
    enum : int {
        kKeyEscape = 1,
        kKeyBackspace = 14,
        kKeyEnter = 28,
        kKeyHome = 199,
        kKeyLeft = 203,
        kKeyRight = 205,
        kKeyEnd = 207,
        kKeyDelete = 211,
    };
    static constexpr unsigned kBlinkInterval = 400;
    static constexpr int kMousePriority = 100001;
    // Codes of notify().
    enum : int { kFocusOn = 1, kFocusOff = 2, kChanged = 3, kEnter = 4, kEsc = 5 };

    // The font is shared with the box (an empty font when null). The text object goes
    // on the window's screen with the priority; the box listens to keys and to the
    // mouse (at kMousePriority).
    CEditBox6(CWindow* window, CGraphicsUnit* unit, std::shared_ptr<CSimpleFont6> font, CXRect rect, int priority,
              CXString text);
    // Its area is drawn again without it; the notifiers hear onEditBoxDestroyed.
    ~CEditBox6() override;
    CEditBox6(const CEditBox6&) = delete;
    CEditBox6& operator=(const CEditBox6&) = delete;

    virtual void setPosition(CXPoint p);
    virtual void move(CXPoint d);
    void setRect(CXRect r);

    // On: the cursor goes to the end, blinks and the notifiers hear of the focus. Off:
    // the blinking ends, the cursor hides and, when the box had the focus, they hear
    // that it went.
    void activate(bool on);
    bool isActive() const { return m_active; }
    void enable(bool enabled);
    bool isEnabled() const { return m_enabled; }
    // The cursor stays where it was, clamped to the new text.
    void setText(CXString text);
    CXString getText() const { return m_text; }
    void setCursor(CGraphicsObject* cursor);
    CGraphicsObject* getCursor() const { return m_cursor; }
    // Clamped to 0 ... the text's length; the cursor is placed again.
    void setCursorPos(int position);
    int getCursorPos() const { return m_cursorPos; }
    void setVisibility(bool visible);
    void setColor(int color);
    void setPriority(int priority);
    CXRect getBoundingRect() const { return m_rect; }
    void setLocked(bool locked) { m_locked = locked; }
    bool isLocked() const { return m_locked; }
    void setSingleLine(bool single) { m_singleLine = single; }
    bool isSingleLine() const { return m_singleLine; }
    void updateCursor();

    void addNotifier(CEditBoxNotifier* notifier);
    void removeNotifier(CEditBoxNotifier* notifier);
    void notify(int code);

    CMultilineText6* getTextObject() const { return m_textObject; }
    CButton* getButton() const { return m_button; }
    CSimpleFont6* getFont() const { return m_font.get(); }
    intptr_t getTimerId() const { return m_timerId; }

    void onKeyDown(int key) override;
    void onChar(unsigned char c) override;
    void onControlAction(CControl* control, CXPoint p) override;
    using CMouseListener::onClick;
    bool onClick(CXPoint p) override;
    void onTimer(intptr_t id) override;

    // What a typed character inserts.
    static CXString verify(unsigned char c);

private:
    CRefreshScreen* screen() const;
    void startBlinking();
    void stopBlinking();
    void showCursor(bool visible);
    // The text object shows the text again.
    void textChanged();
    void placeText();

    CWindow* m_window;
    CGraphicsUnit* m_unit;
    bool m_active = false;
    int32_t m_cursorPos = 0;
    CGraphicsObject* m_cursor = nullptr;
    CXRect m_rect;
    CXString m_text;
    CButton* m_button = nullptr;
    std::shared_ptr<CSimpleFont6> m_font;
    CMultilineText6* m_textObject = nullptr;
    std::vector<CEditBoxNotifier*> m_notifiers;
    bool m_locked = false;
    bool m_singleLine = false;
    bool m_enabled = true;
    bool m_blinking = false;
    intptr_t m_timerId;
};
