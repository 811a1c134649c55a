// The runner of the script PATH (type id 2017): ADD, GETNODE, GETSIZE and the DENSITY
// property. ADD takes a name, or the object itself when the statement passes one.
// GETNODE outside 0 .. size-1, and a method missing an argument it needs, do nothing.
#pragma once

#include "script/CMC_Runner.h"

class CMC_Path_Runner : public CMC_Runner {
public:
    enum : int { kAdd = 1, kGetNode = 2, kGetSize = 3, kSetProperty = 4, kGetProperty = 5 };

    CMC_Path_Runner() = default;

    void prepareMthHashSet() override;
    using CMC_Runner::run;
    CMC_Variable* run(int id, CMC_Object* target, CMC_ObjectsContainer* container, CXVector* arguments) override;

private:
    // The name argument i stands for: a passed object's name, else the argument's text.
    CXString nameArgument(CXVector* arguments, int i);
};
