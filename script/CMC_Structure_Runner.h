// The runner of STRUCT objects: SET (fields in order from the arguments, or the whole
// record from another STRUCT named by the one argument), SETFIELD and GETFIELD.
#pragma once

#include "script/CMC_Runner.h"

class CMC_Structure;

class CMC_Structure_Runner : public CMC_Runner {
public:
    enum : int { kSet = 1, kSetField = 2, kGetField = 3 };

    CMC_Structure_Runner() = default;

    void prepareMthHashSet() override;
    using CMC_Runner::run;
    CMC_Variable* run(int id, CMC_Object* target, CMC_ObjectsContainer* container, CXVector* arguments) override;

private:
    void set(CMC_Structure* record, CMC_ObjectsContainer* container, CXVector* arguments);
    void setField(CMC_Structure* record, CXVector* arguments);
    CMC_Variable* getField(CMC_Structure* record, CXVector* arguments);
};
