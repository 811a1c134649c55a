// What graphics asks of the display unit of the entered scene: its readiness and
// timer callback (CTimerUnit), the hooks the refresh screen calls around a frame, and
// the edit boxes that texts place, the focus among them, the drag of a graphic by a
// control and the return code that controls hand in.
// The shell's unit implements it.
#pragma once
#include <memory>

#include "foundation/CTimerUnit.h"
#include "foundation/CXPoint.h"
#include "foundation/CXRect.h"
#include "foundation/CXString.h"

class CControl;
class CEditBox6;
class CGraphicsObject;
class CSimpleFont6;

class CGraphicsUnit : public CTimerUnit {
public:
    // Called before the first frame of the unit is drawn; false keeps it from drawing.
    virtual bool onInitialUpdate() = 0;
    // Called after each later frame is drawn.
    virtual void onCanvasRefreshed() = 0;
    // Makes an edit box with the font (shared with the box) over the rectangle (screen
    // coordinates), keeps it and returns it; null when the unit makes none. The unit
    // owns its boxes until removeEditBox hands one back to its caller.
    virtual CEditBox6* addEditBox(std::shared_ptr<CSimpleFont6> font, CXRect rect, int priority, CXString text) = 0;
    // Takes the box out of the unit's list without deleting it.
    virtual void removeEditBox(CEditBox6* box) = 0;
    // The box gets the focus (the current one loses it); null leaves none focused.
    virtual void activateEditBox(CEditBox6* box) = 0;
    // Starts dragging the graphic for the control from the point; true when started.
    virtual bool onStartDragging(CGraphicsObject* object, CXPoint point, CControl* control) = 0;
    virtual bool isDragging() = 0;
    // A control's return code; the unit's frames end once it is not 0.
    virtual void setRetCode(int code) = 0;

protected:
    ~CGraphicsUnit() = default;
};
