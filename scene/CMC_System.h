// The script object "SYSTEM" (type 11000), one per application. Its runner knows the
// common method names and carries out none of them: every call gives nothing.
#pragma once

#include "script/CMC_Object.h"
#include "script/CMC_Runner.h"

class CMC_System : public CMC_Object {
public:
    static constexpr int kType = 11000;

    explicit CMC_System(CMC_ObjectsContainer* owner);
    CMC_Runner* getRunner() override;
};

class CMC_System_Runner : public CMC_Runner {
public:
    using CMC_Runner::run;
    CMC_Variable* run(int id, CMC_Object* target, CMC_ObjectsContainer* container, CXVector* arguments) override;
};
