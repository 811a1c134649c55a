// The runner of the CANVAS_OBSERVER type. Methods given fewer arguments than they read
// do nothing ("GETGRAPHICSAT" then gives "NULL").
#pragma once
#include "script/CMC_Runner.h"

class CMC_CanvasObserver_Runner : public CMC_Runner {
public:
    enum : int {
        kRefresh = 1,
        kAdd = 2,
        kRemove = 3,
        kSetBackground = 4,
        kGetGraphicsAt = 5,
        kMoveBkg = 6,
        kSetBkgPos = 7,
        kSave = 8,
        kEnableNotify = 9,
        kRedraw = 10,
        kGetBpp = 11,
        kPaste = 12,
        kGetGraphicsAt2 = 13,
    };

    void prepareMthHashSet() override;
    using CMC_Runner::run;
    CMC_Variable* run(int id, CMC_Object* target, CMC_ObjectsContainer* container, CXVector* arguments) override;
};
