// The runner of FILTER: SETPROPERTY, LINK, UNLINK, START, STOP and ISRUNNING, each
// naming the object whose graphic the effect works on. Every other id, the common
// ones included, does nothing: no method reaches the common run.
#pragma once
#include "script/CMC_Runner.h"

class CMC_Filter_Runner : public CMC_Runner {
public:
    enum : int { kSetProperty = 1, kLink = 2, kUnlink = 3, kStart = 4, kStop = 5, kIsRunning = 6 };

    void prepareMthHashSet() override;
    using CMC_Runner::run;
    CMC_Variable* run(int id, CMC_Object* target, CMC_ObjectsContainer* container, CXVector* arguments) override;
};
