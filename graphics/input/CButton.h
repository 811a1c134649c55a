// The engine's push button: up to three graphics (standard, on-move, on-click) shown by
// where the pointer is and whether the button is pressed, sounds for the pointer coming
// over it and for the click, an optional drag of a graphic handed to the unit, an
// optional key sequence that works as a click, and a return code handed to the unit
// when it is used. Mouse input comes through a hot spot of its own (CButtonHotSpot) in
// the window's hot-spot list; its events go to the control's listeners.
#pragma once
#include <cstdint>
#include <memory>
#include <vector>

#include "foundation/CXRect.h"
#include "foundation/CXString.h"
#include "graphics/core/CGraphicsObject.h"
#include "graphics/input/CControl.h"
#include "graphics/input/CHotSpot.h"

class CButton;
class CGraphicsObject;
class CGraphicsUnit;
class CMC_Button;
class CPlayable;
class CRefreshScreen;

enum _soundtype : int32_t { SOUND_ONMOVE = 0, SOUND_ONCLICK = 1 };
enum _accent : int32_t { ACCENT_STANDARD = 0, ACCENT_ONMOVE = 1, ACCENT_ONCLICK = 2 };

// The button's hot spot: pointer entering and leaving, presses and releases.
class CButtonHotSpot : public CHotSpot {
public:
    CButtonHotSpot(CButton* owner, CWindow* window, CXRect rect, int priority, CMC_Button* button);
    ~CButtonHotSpot() override;
    CButtonHotSpot(const CButtonHotSpot&) = delete;
    CButtonHotSpot& operator=(const CButtonHotSpot&) = delete;

    int OnMouseMove(CXPoint p, int flags, void* context) override;
    int OnLButtonDown(CXPoint p, int flags, void* context) override;
    int OnLButtonUp(CXPoint p, int flags, void* context) override;
    int OnRButtonDown(CXPoint p, int flags, void* context) override;
    // The middle button's release presses the button; answers 0.
    int OnMButtonUp(CXPoint p, int flags, void* context) override;
    int OnFocusOn(CXPoint p, int flags, void* context) override;
    int OnFocusOff(CXPoint p, int flags, void* context) override;

    // Copies shape, priority, unit and enabled flag of another hot spot.
    void copySettings(CButtonHotSpot& other);
    bool isPointerOver() const { return m_pointerOver; }
    void setContext(void* context) { m_context = context; }

private:
    // No unit, or an active unit that drags nothing.
    bool unitUsable();

    CButton* m_owner;
    bool m_pointerOver = false;
};

class CButton : public CControl {
public:
    static constexpr int kDefaultPriority = 71;
    // The key name that every key triggers.
    static constexpr const char* kAnyKey = "<ANY>";

    CButton(CWindow* window, CXRect rect, int id, CMC_Button* button);
    CButton(CWindow* window, int id, CMC_Button* button);
    // Hides its graphics and takes them off the screen; deletes them and the sounds as
    // the delete flags say, and the hot spot.
    ~CButton() override;
    CButton(const CButton&) = delete;
    CButton& operator=(const CButton&) = delete;

    // A button of the same window, id and script button with the same rectangle,
    // graphics, sounds and settings; its hot spot is its own (shape, priority, unit and
    // enabled flag copied) and it has no listeners. It deletes nothing it shares.
    CButton* clone() override;
    static void _release(CButton* button) { delete button; }

    // ---- graphics and sounds ----
    // g becomes the standard graphic (the old one off the screen when removeOld) and
    // goes on the screen; with an empty active rectangle g is also the hot spot's shape
    // (whole bounding box when `wholeBox`) and the accent and drag graphic.
    bool Set(CGraphicsObject* g, void* userData, bool removeOld, bool wholeBox);
    // The graphic (when not null) is stored, put on the screen and hidden; the sound
    // is stored in every case.
    bool SetOnMove(CGraphicsObject* g, CPlayable* sound);
    bool SetOnClick(CGraphicsObject* g, CPlayable* sound);
    void SetSound(_soundtype type, CPlayable* sound);
    bool SetActiveRect(CXRect r);
    CXRect GetActiveRect() const { return m_activeRect; }
    // The standard, on-move or on-click graphic becomes the hot spot's shape.
    void Accent(_accent which, bool wholeBox);
    // g becomes the accent and the drag graphic and the hot spot's shape.
    void Accent(CGraphicsObject* g, bool wholeBox);
    void SetDragging(CGraphicsObject* g);
    CGraphicsObject* GetStandard() const { return m_standard; }
    CGraphicsObject* GetOnMove() const { return m_onMove; }
    CGraphicsObject* GetOnClick() const { return m_onClick; }
    CGraphicsObject* GetAccent() const { return m_accent; }
    CGraphicsObject* GetDragging() const { return m_dragging; }
    // The sounds; null once a sound the button does not own is gone.
    CPlayable* GetSOOnMove() const { return m_onMoveSound.get(); }
    CPlayable* GetSOOnClick() const { return m_onClickSound.get(); }

    // ---- state ----
    // The pressed look on or off; true plays the click sound. Returns f.
    bool Force(bool f);
    bool IsForced() const { return m_forced; }
    void Enable(bool enabled) override;
    void DisableButVisible();
    virtual void Freeze(bool frozen);
    bool IsFrozen() const { return m_frozen; }
    void Move(int dx, int dy);
    void Move(CXPoint d) { Move(d.x, d.y); }
    void SetID(int id) override;
    virtual int GetID();
    virtual int getPriority();
    virtual void setPriority(int priority);
    void setUnit(CGraphicsUnit* unit);
    CGraphicsUnit* getUnit() const;
    void setMCButton(CMC_Button* button);
    void EnableCursor(bool enabled);
    CButtonHotSpot* getHotSpot() const { return m_hotSpot; }
    // Whether the pointer is brought in line with the mouse device's position.
    void SYN();
    bool isPointerOutside() const { return m_pointerOutside; }

    void SetDeleteFlags(bool graphics, bool sounds) {
        m_deleteGraphics = graphics;
        m_deleteSounds = sounds;
    }
    void HideStandardWhileOnMove(bool hide) { m_hideStandardWhileOnMove = hide; }
    bool GetHideStandardWhileOnMove() const { return m_hideStandardWhileOnMove; }
    void LockSound(bool locked) { m_soundLocked = locked; }
    bool IsSoundLocked() const { return m_soundLocked; }
    void SetPlaySoundOnlyWhenSilence(bool on) { m_playSoundOnlyWhenSilence = on; }
    void EnableDragging(bool enabled) { m_draggingEnabled = enabled; }
    bool IsDraggingEnabled() const { return m_draggingEnabled; }
    CXPoint getClick() const { return m_clickPoint; }

    // ---- keys and return code ----
    // The key sequence (upper-cased) that triggers the button, or "<ANY>"; a button
    // with one listens to the window's keys.
    void SetKeyName(CXString name);
    CXString GetKeyName() const { return m_keyName; }
    void SetRetCode(int code) {
        m_retCode = code;
        m_hasRetCode = true;
    }
    void onKeyDown(int key) override;

    // ---- events ----
    virtual int OnMove(CXPoint p, int flags, void* context);
    // The left button goes down: a drag starts when enabled and the listeners hear the
    // click (the click sound is Force's, once per press). 1 when a drag started.
    virtual int OnClick(CXPoint p, int flags, void* context);
    void onAction(CXPoint p) override;

    // What the hot spot asks and changes.
    void showOnMove();
    void hideOnMove();
    void playOnMoveSound(bool over);
    void stopOnMoveSound();
    bool soundAllowed();
    void setPointerOutside(bool outside) { m_pointerOutside = outside; }
    void setClickPoint(CXPoint p) { m_clickPoint = p; }
    bool isFrozenNow() const { return m_frozen; }

private:
    class GraphicsWatch : public CInvalidateObserver {
    public:
        explicit GraphicsWatch(CButton* owner) : m_owner(owner) {}
        void onInvalidate(CGraphicsObject*, CXRect*) override {}
        void onDestroy(CGraphicsObject* object) override { m_owner->forget(object); }

    private:
        CButton* m_owner;
    };

    // A sound the button plays, read as null once it is deleted (its SOUND object may
    // go while the button lives).
    class HeldSound {
    public:
        void set(CPlayable* playable);
        CPlayable* get() const { return m_alive && *m_alive ? m_playable : nullptr; }

    private:
        CPlayable* m_playable = nullptr;
        std::shared_ptr<const bool> m_alive;
    };

    // Watches exactly the graphics the fields hold.
    void rewatch();
    void forget(CGraphicsObject* g);
    CRefreshScreen* screen() const;
    void enter(CGraphicsObject* g);
    static void show(CGraphicsObject* g, bool visible);
    void useUnitRetCode();

    CXRect m_activeRect;
    CXString m_keyName;
    CXString m_typedKeys;
    bool m_hasRetCode = false;
    int32_t m_retCode = 0;
    bool m_forced = false;
    bool m_frozen = false;
    bool m_soundLocked = false;
    bool m_deleteGraphics = true;
    bool m_deleteSounds = false;
    bool m_hideStandardWhileOnMove = true;
    bool m_listensToKeys = false;
    CRefreshScreen* m_screen = nullptr;
    CGraphicsObject* m_standard = nullptr;
    CGraphicsObject* m_onMove = nullptr;
    CGraphicsObject* m_onClick = nullptr;
    CGraphicsObject* m_accent = nullptr;
    CGraphicsObject* m_dragging = nullptr;
    CXPoint m_clickPoint;
    HeldSound m_onMoveSound;
    HeldSound m_onClickSound;
    void* m_userData = nullptr;
    bool m_playSoundOnlyWhenSilence = false;
    bool m_draggingEnabled = false;
    bool m_pointerOutside = true;
    CButtonHotSpot* m_hotSpot = nullptr;
    GraphicsWatch m_watch{this};
    std::vector<CGraphicsObject*> m_watched;
};
