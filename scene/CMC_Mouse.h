// The MOUSE script type (100): the scripts' handle on the mouse. It shows and hides
// the pointer, chooses the cursor, switches the window's mouse input, reads the
// pointer and the latest left click, moves the pointer, feeds presses and releases to
// the window's handlers, confines the pointer, and raises "ONMOVE", "ONCLICK",
// "ONRELEASE" and "ONDBLCLICK" for points inside its active rectangle. As a mouse
// listener of priority 100002 it never takes an event, so the listeners below it
// still hear every one.
#pragma once
#include <cstdint>

#include "foundation/CXPoint.h"
#include "foundation/CXRect.h"
#include "foundation/CXString.h"
#include "script/CMC_Object.h"
#include "shell/CMouseListener.h"

class CMElement;
class CMC_ObjectsContainer;
class CWindow;

class CMC_Mouse : public CMC_Object, public CMouseListener {
public:
    static constexpr int kType = 100;
    static constexpr int kPriority = 100002;
    // Event indices in the event list.
    enum : int { kOnMove = 3, kOnClick = 4, kOnRelease = 5, kOnDblClick = 6 };

    // Named after the element, with its behaviours; registered with the window.
    CMC_Mouse(CMC_ObjectsContainer* container, CMElement* element);
    // Named "MOUSE", without behaviours (the scene binary's loader attaches them).
    explicit CMC_Mouse(CMC_ObjectsContainer* container);
    ~CMC_Mouse() override;
    CMC_Mouse(const CMC_Mouse&) = delete;
    CMC_Mouse& operator=(const CMC_Mouse&) = delete;

    CXString** getBehavioursList() override;

    void show();
    void hide();
    void enable();
    void disable();
    void enableSignal() { m_signalsEnabled = true; }
    void disableSignal() { m_signalsEnabled = false; }
    bool isEnabled() const { return m_enabled; }
    bool areSignalsEnabled() const { return m_signalsEnabled; }
    bool isCursorVisible() const { return m_cursorVisible; }
    // 1 arrow, 2 wait, 3 active; "ARROW", "WAIT", "ACTIVE" (with case).
    void set(int shape);
    void set(CXString name);
    // Stores the point and places the pointer there (client coordinates).
    void setPosition(int x, int y);
    void move(CXPoint delta);
    int getPosX() const { return m_position.x; }
    int getPosY() const { return m_position.y; }
    int getLastClickPosX() const { return m_lastClick.x; }
    int getLastClickPosY() const { return m_lastClick.y; }
    // -1 before the first press or release.
    int getLastButton() const { return m_lastButton; }
    CXRect getActiveRect() const { return m_activeRect; }

    // "LEFT", "MIDDLE", "RIGHT" for 0, 1, 2; empty for any other index.
    static CXString getButton(int button);

    // The pointer's confinement, in screen coordinates, shared by all MOUSE objects:
    // the rectangle moved by the refresh screen's position; restore applies it again
    // (a zero width or height frees the pointer), reset frees the pointer and forgets
    // the rectangle when asked.
    virtual void setClipRect(int left, int top, int right, int bottom);
    static void restore();
    static void reset(bool clear);
    static CXRect clipRect;

    virtual void setActiveRect(CXRect rect) { m_activeRect = rect; }
    // With `relative`, the point is added to the stored position first.
    virtual bool onMouseMove(CXPoint point, bool relative);

    // CMouseListener: each answers false.
    bool onMouseMove(CXPoint point) override;
    bool onClick(int button, CXPoint point) override;
    using CMouseListener::onClick;
    bool onRelease(int button, CXPoint point) override;
    using CMouseListener::onRelease;
    bool onDblClick(CXPoint point) override;

protected:
    // Disposed of (its scene left): it hears the mouse no more while it waits for deletion.
    void onDispose() override;

private:
    void setUp();
    bool passes(CXPoint point) const;

    CWindow* m_window = nullptr;
    bool m_enabled = true;
    bool m_signalsEnabled = true;
    CXPoint m_position;
    CXPoint m_lastClick;
    bool m_cursorVisible = true;
    CXRect m_activeRect;
    int32_t m_lastButton = -1;
};
