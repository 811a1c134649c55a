// The runner of the CANVAS type. Methods given fewer arguments than they read do
// nothing and give their empty result (0); a canvas without a surface, or without the
// background or alpha plane a method needs, does the same.
#pragma once
#include "script/CMC_Runner.h"

class CMC_Canvas_Runner : public CMC_Runner {
public:
    enum : int {
        kAdd = 1,
        kRemove = 2,
        kShow = 3,
        kHide = 4,
        kSetPriority = 5,
        kSetPosition = 6,
        kMove = 7,
        kClear = 8,
        kCapture = 9,
        kSetOpacity = 10,
        kSetAsButton = 11,
        kErase = 12,
        kDraw = 13,
        kSave = 14,
        kGetPositionX = 15,
        kGetPositionY = 16,
        kGetWidth = 17,
        kGetHeight = 18,
        kGetNumVisiblePixels = 19,
        kRecreate = 20,
    };

    void prepareMthHashSet() override;
    using CMC_Runner::run;
    CMC_Variable* run(int id, CMC_Object* target, CMC_ObjectsContainer* container, CXVector* arguments) override;
};
