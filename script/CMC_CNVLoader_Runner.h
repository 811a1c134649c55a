// The runner of the script-file loader: "LOAD" (the owner becomes the calling
// container, then the file is loaded into it) and "RELEASE", each with a file name.
// Neither gives a result.
#pragma once
#include "script/CMC_Runner.h"

class CMC_CNVLoader_Runner : public CMC_Runner {
public:
    enum : int { kLoad = 1, kRelease = 2 };

    void prepareMthHashSet() override;
    using CMC_Runner::run;
    CMC_Variable* run(int id, CMC_Object* target, CMC_ObjectsContainer* container, CXVector* arguments) override;
};
