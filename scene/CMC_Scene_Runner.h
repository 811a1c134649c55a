// The runner of SCENE objects. It carries out REMOVE and the common methods; names
// are looked up in the scene itself, whatever container the call came from.
#pragma once

#include "script/CMC_Runner.h"

class CMC_Scene_Runner : public CMC_Runner {
public:
    enum : int { kRemove = 8 };

    void prepareMthHashSet() override;
    using CMC_Runner::run;
    CMC_Variable* run(int id, CMC_Object* target, CMC_ObjectsContainer* container, CXVector* arguments) override;
};
