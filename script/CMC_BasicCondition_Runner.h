// The runner of CONDITION and COMPLEXCONDITION: CHECK answers whether the condition
// holds, BREAK and ONE_BREAK turn a holding condition into the control codes that end
// the calling behaviour. Each takes an optional flag (default TRUE) that says whether
// the condition raises its events.
#pragma once

#include "script/CMC_Runner.h"

class CMC_BasicCondition_Runner : public CMC_Runner {
public:
    enum : int { kCheck = 1, kBreak = 2, kOneBreak = 3 };

    void prepareMthHashSet() override;
    using CMC_Runner::run;
    CMC_Variable* run(int id, CMC_Object* target, CMC_ObjectsContainer* container, CXVector* arguments) override;

private:
    CMC_Variable* check(CMC_Object* target, CXVector* arguments);
    CMC_Variable* breakMth(CMC_Object* target, CXVector* arguments, bool oneBreak);
    // The raise flag: TRUE, or the first argument as BOOL when there is one.
    bool raiseFlag(CXVector* arguments);
};
