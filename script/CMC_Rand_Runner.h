// The runner of the object named "RANDOM" (type id 102, a plain object that holds no
// state): GET draws one number, GETPLENTY fills an ARRAY with many.
#pragma once

#include "script/CMC_Runner.h"

class CMC_Rand_Runner : public CMC_Runner {
public:
    enum : int { kGet = 1, kGetPlenty = 2 };

    CMC_Rand_Runner() = default;

    void prepareMthHashSet() override;
    using CMC_Runner::run;
    CMC_Variable* run(int id, CMC_Object* target, CMC_ObjectsContainer* container, CXVector* arguments) override;

private:
    CMC_Variable* get(CXVector* arguments);
    void getPlenty(CMC_ObjectsContainer* container, CXVector* arguments);
};
