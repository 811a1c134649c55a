// What graphics asks of the display unit of the entered scene: its readiness and
// timer callback (CTimerUnit), and the hooks the refresh screen calls around a frame.
// The shell's unit implements it.
#pragma once
#include "foundation/CTimerUnit.h"

class CGraphicsUnit : public CTimerUnit {
public:
    // Called before the first frame of the unit is drawn; false keeps it from drawing.
    virtual bool onInitialUpdate() = 0;
    // Called after each later frame is drawn.
    virtual void onCanvasRefreshed() = 0;

protected:
    ~CGraphicsUnit() = default;
};
