// The runner of the MOUSE type. Methods given fewer arguments than they need do nothing.
#pragma once
#include "script/CMC_Runner.h"

class CMC_Mouse_Runner : public CMC_Runner {
public:
    enum : int {
        kShow = 1,
        kHide = 2,
        kEnable = 3,
        kDisable = 4,
        kGetPosX = 5,
        kGetPosY = 6,
        kGetLastClickPosX = 7,
        kGetLastClickPosY = 8,
        kSet = 9,
        kSetPosition = 10,
        kMove = 11,
        kClick = 12,
        kEnableSignal = 13,
        kDisableSignal = 14,
        kMouseRelease = 15,
        kSetClipRect = 16,
        kLockActiveCursor = 17,
        kIsLButtonDown = 18,
        kIsRButtonDown = 19,
        kSetActiveRect = 20,
    };

    void prepareMthHashSet() override;
    using CMC_Runner::run;
    CMC_Variable* run(int id, CMC_Object* target, CMC_ObjectsContainer* container, CXVector* arguments) override;

private:
    // CLICK and MOUSERELEASE: the window's press or release handler of the button.
    void press(CMC_Object* target, CXVector* arguments, bool down);
};
