// A clickable region of the screen: a fixed rectangle, or the shape of a graphics
// object. Every hot spot of the process stands in one static list; the window offers
// each mouse event to the static dispatcher before its mouse listeners, and the
// dispatcher finds the hot spot under the pointer by priority (the drawing priority
// of the object it follows, else its own) within a static priority window. Among
// equal priorities the earliest registered wins.
//
// The dispatchers walk a copy of the list: handlers may create and delete hot spots.
// One removed or deleted during a walk is neither asked nor touched again; one added
// is asked from the next event on.
#pragma once
#include <cstdint>
#include <vector>

#include "foundation/CXObject.h"
#include "foundation/CXPoint.h"
#include "foundation/CXRect.h"

class CGraphicsObject;
class CMC_Button;
class CGraphicsUnit;
class CGraphicsWindowServices;
class CWindow;
class CXVector;

// The mouse events a hot spot is made for (a bit set).
enum _event : int32_t {
    EVENT_NONE = 0,
    EVENT_MOUSEMOVE = 1,
    EVENT_LBUTTONDOWN = 2,
    EVENT_LBUTTONUP = 4,
    EVENT_RBUTTONDOWN = 8,
    EVENT_RBUTTONUP = 16,
    EVENT_MBUTTONDOWN = 32,
    EVENT_MBUTTONUP = 64,
    EVENT_LBUTTONDBLCLK = 65,
};

class CHotSpot : public CXObject {
public:
    static constexpr int32_t kMaxPriority = 10000000;

    // Registers itself at the end of the list.
    explicit CHotSpot(CWindow* window);
    // Registers itself only without a parent (a parent dispatches its children).
    CHotSpot(CWindow* window, CHotSpot* parent, _event events, int parameter, CMC_Button* button);
    // Registers itself; it has no active rectangle until SetActiveRect gives one.
    CHotSpot(CWindow* window, _event events, int parameter);
    ~CHotSpot() override;
    CHotSpot(const CHotSpot&) = delete;
    CHotSpot& operator=(const CHotSpot&) = delete;

    // Mouse handlers (point, flags, context); the base answers 0.
    virtual int OnMouseMove(CXPoint, int, void*) { return 0; }
    virtual int OnLButtonDown(CXPoint, int, void*) { return 0; }
    virtual int OnLButtonUp(CXPoint, int, void*) { return 0; }
    virtual int OnRButtonDown(CXPoint, int, void*) { return 0; }
    virtual int OnRButtonUp(CXPoint, int, void*) { return 0; }
    virtual int OnLButtonDblClk(CXPoint, int, void*) { return 0; }
    virtual int OnMButtonDown(CXPoint, int, void*) { return 0; }
    virtual int OnMButtonUp(CXPoint, int, void*) { return 0; }
    virtual int OnKeyDown(int, int, void*) { return 0; }
    virtual int OnKeyUp(int, int, void*) { return 0; }
    virtual int OnChar(int, int, void*) { return 0; }
    virtual void setPriority(int priority) { m_priority = priority; }
    // The followed object's drawing priority on the window's screen (-1 when it is not
    // there), else the stored one.
    virtual int getPriority();
    virtual int OnDrag(CXPoint, int, void*) { return 0; }
    // The pointer enters / leaves.
    virtual int OnFocusOn(CXPoint, int, void*) { return 0; }
    virtual int OnFocusOff(CXPoint, int, void*) { return 0; }
    virtual int OnKeyTyped(int, void*) { return 0; }

    // The region becomes g's shape (the rectangle is emptied); returns 0.
    int Set(CGraphicsObject* g, bool alphaTest);
    // The region becomes r (the object is cleared); returns 0.
    int SetActiveRect(CXRect r, _event events, int parameter);
    int Set(int, int, int) { return 0; }
    void Enable(bool enabled);
    bool IsEnabled() const { return m_enabled; }
    void EnableCursor(bool enabled) { m_cursorEnabled = enabled; }
    void setUnit(CGraphicsUnit* unit) { m_unit = unit; }
    CGraphicsUnit* getUnit() const { return m_unit; }
    void setMCButton(CMC_Button* button) { m_button = button; }
    CMC_Button* getMCButton() const { return m_button; }
    bool isOver() const { return m_over; }
    CXRect* getActiveRect() const { return m_activeRect; }
    CGraphicsObject* getObject() const { return m_object; }
    int getParameter() const { return m_parameter; }
    _event getEvents() const { return m_events; }
    void* getContext() const { return m_context; }

    // Whether p hits the region (never while disabled).
    bool TestHit(CXPoint p);

    static void initialize(CWindow* window);
    // Frees the list (not the hot spots) and forgets the window.
    static void done();
    static bool add(CHotSpot* h);
    static bool remove(CHotSpot* h);
    static CXVector* getList() { return pHSList; }
    // The listed hot spots that serve the unit serve none from now on (the unit goes).
    static void forgetUnit(CGraphicsUnit* unit);
    static void setMinPriority(int p) { minPriority = p; }
    static void setMaxPriority(int p) { maxPriority = p; }
    static int getMinPriority() { return minPriority; }
    static int getMaxPriority() { return maxPriority; }

    // The hot spot under p with the highest priority in the window; null when none.
    static CHotSpot* findAt(CXVector* list, CXPoint p);
    // The window's entry: 1 move, 2 left down, 4 left up, 8 right down; 16, 32, 64
    // and 65 answer 0; any other code answers the flags.
    static int OnMouseEvent(int event, CXPoint p, int flags);
    static int OnMouseMove(CXVector* list, CXPoint p, int flags, void* context);
    static int OnLButtonDown(CXVector* list, CXPoint p, int flags, void* context);
    static int OnLButtonUp(CXVector* list, CXPoint p, int flags, void* context);
    static int OnRButtonDown(CXVector* list, CXPoint p, int flags, void* context);
    // The window's key entries; they answer 0.
    static int OnKeyDown(int key, int flags);
    static int OnKeyUp(int key, int flags);

protected:
    void* m_context = nullptr;
    int32_t m_reserved1 = -1;
    CXRect* m_activeRect = nullptr;
    CGraphicsObject* m_object = nullptr;
    int32_t m_reserved2 = 0;
    int32_t m_reserved3 = 0;
    int32_t m_parameter = 0;
    _event m_events = EVENT_NONE;
    bool m_enabled = true;
    bool m_cursorEnabled = true;
    bool m_over = false;
    CGraphicsUnit* m_unit = nullptr;
    int32_t m_priority = 0;
    CMC_Button* m_button = nullptr;
    bool m_alphaTest = false;

private:
    static CHotSpot* findIn(const std::vector<CHotSpot*>& items, CXPoint p);
    bool inWindow();
    bool unitActive();

    static CXVector* pHSList;
    static CWindow* m_pWindow;
    // The services of the hot spots' window; null before initialize.
    static CGraphicsWindowServices* services();
    static int32_t minPriority;
    static int32_t maxPriority;
};
