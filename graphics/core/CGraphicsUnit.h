// What graphics asks of the display unit of the entered scene: its readiness and
// timer callback (CTimerUnit), the hooks the refresh screen calls around a frame, and
// the edit boxes that texts place.
// The shell's unit implements it.
#pragma once
#include "foundation/CTimerUnit.h"
#include "foundation/CXRect.h"
#include "foundation/CXString.h"

class CEditBox6;
class CSimpleFont6;

class CGraphicsUnit : public CTimerUnit {
public:
    // Called before the first frame of the unit is drawn; false keeps it from drawing.
    virtual bool onInitialUpdate() = 0;
    // Called after each later frame is drawn.
    virtual void onCanvasRefreshed() = 0;
    // Makes an edit box with the font over the rectangle (screen coordinates), keeps it
    // and returns it; null when the unit makes none. The unit owns its boxes.
    virtual CEditBox6* addEditBox(CSimpleFont6* font, CXRect rect, int priority, CXString text) = 0;
    // Takes the box out of the unit's list.
    virtual void removeEditBox(CEditBox6* box) = 0;

protected:
    ~CGraphicsUnit() = default;
};
