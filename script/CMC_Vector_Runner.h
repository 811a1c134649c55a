// The runner of the script VECTOR (type id 2016). Arguments that stand for VECTORs
// (ADD, SUB, SMUL, REFLECT, SET with one argument) are taken as the objects that the
// statement passes; a STRING argument whose text names a VECTOR of the calling
// container counts as that VECTOR. Any other argument there is skipped: ADD and SUB
// pass over it, SMUL gives 0.0, REFLECT does nothing.
//
// Limits: GET and SET with an index outside 0 .. count-1 do nothing (GET gives no
// result); ASSIGN sets only as many components as the VECTOR has; SET with one
// plain value (not a VECTOR) sets every component to its DOUBLE value, and with an
// object of another kind does nothing; a method missing an argument it needs does nothing, and GETSIZE without an
// argument gives a new INTEGER.
#pragma once

#include "script/CMC_Runner.h"

class CMC_Vector;

class CMC_Vector_Runner : public CMC_Runner {
public:
    enum : int {
        kAdd = 1,
        kGet = 2,
        kGetSize = 3,
        kVMul = 4,
        kSMul = 5,
        kMul = 6,
        kLen = 7,
        kNormalize = 8,
        kReflect = 9,
        kExpand = 10,
        kSet = 11,
        kAssign = 12,
        kSub = 13,
        kNeg = 14,
    };

    CMC_Vector_Runner() = default;

    void prepareMthHashSet() override;
    using CMC_Runner::run;
    CMC_Variable* run(int id, CMC_Object* target, CMC_ObjectsContainer* container, CXVector* arguments) override;

    // The VECTOR that argument i stands for (see above); null when none.
    CMC_Vector* vectorArgument(CXVector* arguments, int i, CMC_ObjectsContainer* container);

private:
    CMC_Variable* getSize(CMC_Vector* vector, CXVector* arguments);
    void set(CMC_Vector* vector, CMC_ObjectsContainer* container, CXVector* arguments);
};
