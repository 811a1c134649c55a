// The runner of the KEYBOARD type. Methods given fewer arguments than they need do
// nothing; there is no method 5.
#pragma once
#include "script/CMC_Runner.h"

class CMC_Keyboard_Runner : public CMC_Runner {
public:
    enum : int {
        kEnable = 1,
        kDisable = 2,
        kSetAutoRepeat = 3,
        kIsKeyDown = 4,
        kGetLatestKey = 6,
        kIsEnabled = 7,
        kGetLatestKeys = 8,
    };

    void prepareMthHashSet() override;
    using CMC_Runner::run;
    CMC_Variable* run(int id, CMC_Object* target, CMC_ObjectsContainer* container, CXVector* arguments) override;
};
