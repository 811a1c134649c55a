// A draggable group of graphics objects and buttons over a background picture. The
// background lies on the canvas at priority 100000 and the members above it (their own
// priority plus 100001). An invisible button over the background's top 30 rows (the
// drag strip, owned) is dragged through the default scene unit, which moves the
// background; the dialog moves its members with it and lays the strip again over the
// background when the drag ends.
//
// The dialog owns none of the graphics and buttons it groups. It watches them: a
// member, button or background destroyed before the dialog leaves it at once. A second
// background replaces the first and its strip. Hiding the dialog also turns its strip
// off, so a hidden dialog neither takes clicks nor can be dragged; showing turns it on.
#pragma once
#include <vector>

#include "foundation/CXObject.h"
#include "foundation/CXPoint.h"
#include "foundation/CXRect.h"
#include "graphics/core/CGraphicsObject.h"
#include "graphics/input/CControl.h"

class CButton;
class CMC_ObjectsContainer;
class CRefreshScreen;

class CXDialog : public CXObject, public CControlNotifier, private CInvalidateObserver {
public:
    static constexpr int kBackgroundPriority = 100000;
    // Added to a member's priority: members lie above the background.
    static constexpr int kMemberPriorityOffset = 100001;
    static constexpr int kStripHeight = 30;
    static constexpr int kStripId = 214290;

    // The canvas used is that of the container's window.
    explicit CXDialog(CMC_ObjectsContainer* container);
    // Stops watching its members and deletes the drag strip; the graphics stay as they are.
    ~CXDialog() override;
    CXDialog(const CXDialog&) = delete;
    CXDialog& operator=(const CXDialog&) = delete;

    // g becomes the background: on the canvas at kBackgroundPriority, with a new drag
    // strip over its top edge (the previous strip is deleted). Null leaves no background.
    virtual void setBackground(CGraphicsObject* g);
    // The button's graphics rise above the background; a button already held is left.
    virtual void add(CButton* button);
    // The graphic rises above the background; one already held is left.
    virtual void add(CGraphicsObject* g);
    // Members visible, buttons enabled, the strip on; the background is not touched.
    virtual void show();
    // Members and background hidden, buttons disabled, the strip off.
    virtual void hide();
    // Every member and button moves by (dx, dy); the background only when it is a member.
    virtual void move(int dx, int dy);

    // The drag strip's notices (the members' buttons' notices are ignored).
    void onStartDragging(CControl* control, CXPoint p) override;
    void onDragging(CControl* control, CXPoint p) override;
    void onEndDragging(CControl* control, CXPoint p) override;
    // A member button destroyed leaves the dialog.
    void onControlDestroyed(CControl* control) override;

    CGraphicsObject* getBackground() const { return m_background; }
    CButton* getDragButton() const { return m_dragButton; }
    CXPoint getLastDragPoint() const { return m_lastDragPoint; }
    const std::vector<CGraphicsObject*>& getGraphics() const { return m_graphics; }
    const std::vector<CButton*>& getButtons() const { return m_buttons; }

private:
    void onInvalidate(CGraphicsObject*, CXRect*) override {}
    void onDestroy(CGraphicsObject* object) override;

    CRefreshScreen* canvas() const;
    // Takes g off the canvas and puts it back at its priority plus the offset.
    void raise(CGraphicsObject* g);
    // The strip over the top of a box.
    static CXRect stripOver(CXRect box);
    // Ends a drag of the strip in progress and deletes the strip.
    void releaseDragButton();
    bool isMember(CGraphicsObject* g) const;
    // Watches g unless it is watched already (a member may also be the background).
    void watch(CGraphicsObject* g);
    void unwatch(CGraphicsObject* g);
    // Every member moves by d, except `skipped` (the graphic the unit moves itself).
    void moveMembers(CXPoint d, CGraphicsObject* skipped);

    CMC_ObjectsContainer* m_container = nullptr;
    CButton* m_dragButton = nullptr;
    CGraphicsObject* m_background = nullptr;
    CXPoint m_lastDragPoint;
    std::vector<CGraphicsObject*> m_graphics;
    std::vector<CButton*> m_buttons;
    // A drag of the strip in progress and the graphic the unit moves for it (compared,
    // never used: it may be gone).
    bool m_dragging = false;
    CGraphicsObject* m_draggedGraphic = nullptr;
};
