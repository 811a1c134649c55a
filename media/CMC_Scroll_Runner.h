// The runner of the SCROLL type. Methods given fewer arguments than they read do
// nothing; every method gives no value.
#pragma once
#include "script/CMC_Runner.h"

class CMC_Scroll_Runner : public CMC_Runner {
public:
    enum : int {
        kAdd = 1,
        kRemove = 2,
        kScrollUp = 3,
        kScrollDown = 4,
        kScrollLeft = 5,
        kScrollRight = 6,
        kSetViewport = 7,
        kMoveViewport = 8,
        kMove = 9,
        kInvalidate = 10,
    };

    void prepareMthHashSet() override;
    using CMC_Runner::run;
    CMC_Variable* run(int id, CMC_Object* target, CMC_ObjectsContainer* container, CXVector* arguments) override;
};
