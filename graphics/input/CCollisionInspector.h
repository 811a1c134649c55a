// Watches chosen graphics objects and reports when two start or stop touching.
// Graphics objects that move report here; the inspector's own work comes with input.
#pragma once

#include "foundation/CXObject.h"
#include "foundation/CXRect.h"

class CGraphicsObject;

class CCollisionInspector : public CXObject {
public:
    virtual void notify(int code, CGraphicsObject* a, CGraphicsObject* b) = 0;
    virtual bool checkAlphaCollision(CGraphicsObject* a, CXRect ra, CGraphicsObject* b, CXRect rb) = 0;
    // A monitored object has moved; it is tested at the next tick.
    virtual void onPositionChanged(CGraphicsObject* object) = 0;
};
