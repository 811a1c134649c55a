// The runner of the VIRTUALGRAPHICSOBJECT type. Methods given fewer arguments than
// they read do nothing and give their empty result (FALSE or 0).
#pragma once
#include "script/CMC_Runner.h"

class CMC_VirtualGraphicsObject_Runner : public CMC_Runner {
public:
    enum : int {
        kShow = 1,
        kHide = 2,
        kSetPosition = 3,
        kMove = 4,
        kSetSource = 5,
        kSetMask = 6,
        kClearClipping = 7,
        kSetClipping = 8,
        kGetPositionX = 9,
        kGetPositionY = 10,
        kGetWidth = 11,
        kGetHeight = 12,
        kIsNear = 13,
        kIsInside = 14,
        kMonitorCollision = 15,
        kRemoveMonitorCollision = 16,
        kSetPriority = 17,
        kInvalidate = 18,
        kIsVisible = 19,
        kSetAsButton = 20,
    };

    void prepareMthHashSet() override;
    using CMC_Runner::run;
    CMC_Variable* run(int id, CMC_Object* target, CMC_ObjectsContainer* container, CXVector* arguments) override;
};
