// The runner of the JOYSTICK type. GETBUTTONSTATE outside the buttons or without a
// device and GETPOSITION of another axis give 0; methods given fewer arguments than
// they need do nothing.
#pragma once
#include "script/CMC_Runner.h"

class CMC_Joystick_Runner : public CMC_Runner {
public:
    enum : int {
        kGetButtonState = 1,
        kGetPosition = 2,
        kIsLeft = 3,
        kIsRight = 4,
    };
    // GETPOSITION's factor from the device's range to the screen's.
    static constexpr double kPositionFactor = 800.0 / 65535.0;

    void prepareMthHashSet() override;
    using CMC_Runner::run;
    CMC_Variable* run(int id, CMC_Object* target, CMC_ObjectsContainer* container, CXVector* arguments) override;
};
