// The runner of the script FIFO and LIFO (type ids 2018 and 2019): PUSH, POP, GETSIZE
// and ISEMPTY. POP hands out a pooled copy of the value taken; on an empty queue it
// raises "ONEMPTY" first and gives the STRING "NULL".
#pragma once

#include "script/CMC_Runner.h"

class CMC_Quene;

class CMC_Quene_Runner : public CMC_Runner {
public:
    enum : int { kPush = 1, kPop = 2, kGetSize = 3, kIsEmpty = 4 };

    CMC_Quene_Runner() = default;

    void prepareMthHashSet() override;
    using CMC_Runner::run;
    CMC_Variable* run(int id, CMC_Object* target, CMC_ObjectsContainer* container, CXVector* arguments) override;

private:
    CMC_Variable* pop(CMC_Quene* queue);
};
