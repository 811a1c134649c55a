// The runner of STATICFILTER: SETPROPERTY, LINK and UNLINK, the last two naming
// the object whose graphic the effect works on. Every other id, the common ones
// included, does nothing.
#pragma once
#include "script/CMC_Runner.h"

class CMC_StaticFilter_Runner : public CMC_Runner {
public:
    enum : int { kSetProperty = 1, kLink = 2, kUnlink = 3 };

    void prepareMthHashSet() override;
    using CMC_Runner::run;
    CMC_Variable* run(int id, CMC_Object* target, CMC_ObjectsContainer* container, CXVector* arguments) override;
};
