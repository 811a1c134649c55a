// The runner of the script ARRAY type (type id 3001): 54 methods with ids 1 to 60
// (26 to 31 have no name). Most are one call of a CMC_Array operation; the runner
// adds the index checks of GET, INSERTAT, REMOVEAT and CHANGEAT, the aggregates,
// CLAMPAT, the argument defaults, and FINDALL, COPYTO, COMPARE, FILL, RANDOMFILL
// and DIR. Other ids go to the base runner.
#pragma once

#include "script/CMC_Runner.h"

class CMC_Array;

class CMC_Array_Runner : public CMC_Runner {
public:
    enum : int {
        kAdd = 1,
        kGetSize = 2,
        kInsertAt = 3,
        kRemoveAt = 4,
        kChangeAt = 5,
        kRemoveAll = 6,
        kGet = 7,
        kRemove = 8,
        kFind = 9,
        kContains = 10,
        kSaveINI = 11,
        kLoadINI = 12,
        kPrev = 13,
        kNext = 14,
        kAddClones = 15,
        kResetMarker = 16,
        kGetMarkerPos = 17,
        kSetMarkerPos = 18,
        kSum = 19,
        kSumA = 20,
        kSub = 21,
        kSubA = 22,
        kMul = 23,
        kMulA = 24,
        kDiv = 25,
        kDivA = 32,
        kMin = 33,
        kMax = 34,
        kGetSumValue = 35,
        kSort = 36,
        kLoad = 37,
        kSave = 38,
        kReverseFind = 39,
        kMulAt = 40,
        kDivAt = 41,
        kAddAt = 42,
        kSubAt = 43,
        kModAt = 44,
        kClampAt = 45,
        kDir = 46,
        kCompare = 47,
        kSendOnChange = 48,
        kShiftLeft = 49,
        kShiftRight = 50,
        kRotateLeft = 51,
        kRotateRight = 52,
        kSwap = 53,
        kFindAll = 54,
        kSortMany = 55,
        kMaxD = 56,
        kMinD = 57,
        kCopyTo = 58,
        kFill = 59,
        kRandomFill = 60,
    };
    // Start values of the aggregates.
    static constexpr int kMinStart = 1000000;
    static constexpr double kMinDStart = 1000000.0;

    CMC_Array_Runner() = default;

    void prepareMthHashSet() override;
    using CXObject::compare;
    using CMC_Runner::run;
    CMC_Variable* run(int id, CMC_Object* target, CMC_ObjectsContainer* container, CXVector* arguments) override;

private:
    // The ARRAY that argument 0 names in the scope; null when none (or not an ARRAY).
    CMC_Array* namedArray(CMC_ObjectsContainer* container, CXVector* arguments);

    CMC_Variable* add(CMC_Array* array, CXVector* arguments);
    CMC_Variable* getSize(CMC_Array* array);
    CMC_Variable* insertAt(CMC_Array* array, CXVector* arguments);
    CMC_Variable* removeAt(CMC_Array* array, CXVector* arguments);
    CMC_Variable* changeAt(CMC_Array* array, CXVector* arguments);
    CMC_Variable* removeAll(CMC_Array* array);
    CMC_Variable* get(CMC_Array* array, CXVector* arguments);
    CMC_Variable* remove(CMC_Array* array, CXVector* arguments);
    CMC_Variable* find(CMC_Array* array, CXVector* arguments);
    CMC_Variable* findAll(CMC_Array* array, CMC_ObjectsContainer* container, CXVector* arguments);
    CMC_Variable* reversefind(CMC_Array* array, CXVector* arguments);
    CMC_Variable* contains(CMC_Array* array, CXVector* arguments);
    CMC_Variable* loadINI(CMC_Array* array);
    CMC_Variable* prev(CMC_Array* array, CXVector* arguments);
    CMC_Variable* next(CMC_Array* array, CXVector* arguments);
    CMC_Variable* addClones(CMC_Array* array, CMC_ObjectsContainer* container, CXVector* arguments);
    CMC_Variable* resetMarker(CMC_Array* array);
    CMC_Variable* getMarkerPos(CMC_Array* array);
    CMC_Variable* setMarkerPos(CMC_Array* array, CXVector* arguments);
    // SUM, SUB, MUL, DIV by operation code.
    CMC_Variable* arithmetic(CMC_Array* array, CXVector* arguments, int op);
    // SUMA, SUBA, MULA, DIVA by operation code.
    CMC_Variable* rangeArithmetic(CMC_Array* array, CXVector* arguments, int op);
    // ADDAT, SUBAT, MULAT, DIVAT, MODAT by operation code.
    CMC_Variable* arithmeticAt(CMC_Array* array, CXVector* arguments, int op);
    CMC_Variable* _min(CMC_Array* array);
    CMC_Variable* mind(CMC_Array* array);
    CMC_Variable* _max(CMC_Array* array);
    CMC_Variable* maxd(CMC_Array* array);
    CMC_Variable* getSumValue(CMC_Array* array);
    CMC_Variable* sort(CMC_Array* array, CXVector* arguments);
    CMC_Variable* load(CMC_Array* array, CXVector* arguments);
    CMC_Variable* save(CMC_Array* array, CXVector* arguments);
    CMC_Variable* clampAt(CMC_Array* array, CXVector* arguments);
    CMC_Variable* dir(CMC_Array* array, CMC_ObjectsContainer* container, CXVector* arguments);
    CMC_Variable* compare(CMC_Array* array, CMC_ObjectsContainer* container, CXVector* arguments);
    CMC_Variable* sendOnChange(CMC_Array* array, CXVector* arguments);
    CMC_Variable* swap(CMC_Array* array, CXVector* arguments);
    CMC_Variable* copyTo(CMC_Array* array, CMC_ObjectsContainer* container, CXVector* arguments);
    CMC_Variable* fill(CMC_Array* array, CXVector* arguments);
    CMC_Variable* randomFill(CMC_Array* array, CXVector* arguments);
};
