// The runner of the BUTTON type. Every method works on the object's engine button and
// none changes the object's own fields, so its binary image keeps the configuration it
// was created with. A method given fewer arguments than it reads, or called on a
// BUTTON without an engine button, does nothing.
#pragma once
#include "script/CMC_Runner.h"

class CButton;

class CMC_Button_Runner : public CMC_Runner {
public:
    enum : int {
        kSetRect = 1,
        kEnable = 2,
        kDisable = 3,
        kEnableDragging = 4,
        kDisableDragging = 5,
        kDisableButVisible = 6,
        kAccent = 7,
        kSetStd = 8,
        kSetOnMove = 9,
        kSetOnClick = 10,
        kSetPriority = 11,
        kGetPriority = 12,
        kGetStd = 13,
        kGetOnMove = 14,
        kGetOnClick = 15,
        kSyn = 16,
    };

    void prepareMthHashSet() override;
    using CMC_Runner::run;
    CMC_Variable* run(int id, CMC_Object* target, CMC_ObjectsContainer* container, CXVector* arguments) override;

private:
    CMC_Variable* runOn(int id, CButton* button, CMC_ObjectsContainer* container, CXVector* arguments);
};
