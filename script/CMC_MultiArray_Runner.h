// The runner of the script MULTIARRAY (type id 3006). SET takes every argument but
// the last as a coordinate and the last, unconverted, as the value; GET and SAFEGET
// take every argument as a coordinate and hand out a pooled copy of the cell's
// value, or, for an empty or unaddressable cell, the STRING "NULL" (GET) or the
// INTEGER 0 (SAFEGET). GETSIZE without an argument gives nothing; COUNT without one 0.
#pragma once

#include <vector>

#include "script/CMC_Runner.h"

class CMC_MultiArray;

class CMC_MultiArray_Runner : public CMC_Runner {
public:
    enum : int { kSet = 1, kGet = 2, kGetSize = 3, kCount = 4, kLoad = 5, kSave = 6, kSafeGet = 7 };

    CMC_MultiArray_Runner() = default;

    void prepareMthHashSet() override;
    using CMC_Runner::run;
    CMC_Variable* run(int id, CMC_Object* target, CMC_ObjectsContainer* container, CXVector* arguments) override;

private:
    // Arguments 0 .. count-1 as INTEGER coordinates.
    std::vector<int> coordinates(CXVector* arguments, int count);
    CMC_Variable* get(CMC_MultiArray* array, CXVector* arguments, bool safe);
};
