// The runner of the PATTERN type. Methods given fewer arguments than they read do
// nothing and give their empty result ("NULL" or FALSE).
#pragma once
#include "script/CMC_Runner.h"

class CMC_Array;
class CPattern;
class CPatternEntry;

class CMC_Pattern_Runner : public CMC_Runner {
public:
    enum : int {
        kAdd = 1,
        kSetGrid = 2,
        kMove = 3,
        kGetGraphicsAt = 4,
        kRemove = 5,
        kGetAliasAt = 6,
        kGetInfoAt = 7,
        kGetAliasInfo = 8,
        kGetCellCord = 9,
        kGetAliasAtCell = 10,
        kSetPosition = 11,
    };

    void prepareMthHashSet() override;
    using CMC_Runner::run;
    CMC_Variable* run(int id, CMC_Object* target, CMC_ObjectsContainer* container, CXVector* arguments) override;

private:
    // Appends an entry's seven values (alias, column, row, width, height, centre x, y).
    static void appendInfo(CMC_Array* array, CPattern* pattern, CPatternEntry* entry);
};
