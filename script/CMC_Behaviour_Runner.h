// The runner of BEHAVIOUR objects: calling a behaviour as a procedure with arguments
// (RUN, RUNC), in a counted loop (RUNLOOPED), stopping its timed run (BREAK) and
// switching it on and off (ENABLE, DISABLE).
#pragma once

#include "script/CMC_Runner.h"

class CXArray;
class CMC_Behaviour;

class CMC_Behaviour_Runner : public CMC_Runner {
public:
    enum : int { kRun = 1, kRunC = 2, kRunLooped = 3, kBreak = 4, kEnable = 5, kDisable = 6 };

    void prepareMthHashSet() override;
    using CMC_Runner::run;
    CMC_Variable* run(int id, CMC_Object* target, CMC_ObjectsContainer* container, CXVector* arguments) override;

    // The called behaviour's arguments: each value's text, in double quotes when it
    // names a script object of the container that is not a plain value. Null for null.
    CXArray* getParams(CMC_ObjectsContainer* container, CXVector* arguments);

private:
    CMC_Variable* run(CMC_Behaviour* target, CMC_ObjectsContainer* container, CXVector* arguments, bool check);
    CMC_Variable* runLooped(CMC_Behaviour* target, CMC_ObjectsContainer* container, CXVector* arguments);
    // The container's "__RETURN__" (parent scopes included), or null.
    static CMC_Variable* returnVariable(CMC_ObjectsContainer* container);
};
