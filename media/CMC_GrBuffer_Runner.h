// The runner of GRBUFFER: CREATE, DRAW, UNDO, FLUSH, FLUSHALL and FINDAT. Every
// other id, the common ones included, does nothing.
#pragma once
#include "script/CMC_Runner.h"

class CMC_GrBuffer_Runner : public CMC_Runner {
public:
    enum : int { kCreate = 1, kDraw = 2, kUndo = 3, kFlush = 4, kFlushAll = 5, kFindAt = 6 };

    void prepareMthHashSet() override;
    using CMC_Runner::run;
    CMC_Variable* run(int id, CMC_Object* target, CMC_ObjectsContainer* container, CXVector* arguments) override;
};
