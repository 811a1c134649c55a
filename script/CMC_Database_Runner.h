// The runner of DATABASE objects: rows added, inserted, removed, loaded and saved,
// the cursor moved and rows searched.
#pragma once

#include "script/CMC_Runner.h"

class CMC_Database;

class CMC_Database_Runner : public CMC_Runner {
public:
    enum : int {
        kAdd = 1,
        kRemove = 2,
        kLoad = 3,
        kSave = 4,
        kRemoveAll = 5,
        kFind = 6,
        kSelect = 7,
        kNext = 8,
        kPrev = 9,
        kGetRowsNo = 10,
        kRemoveAt = 11,
        kInsertAt = 12,
        kGetCursorPos = 13,
    };

    CMC_Database_Runner() = default;

    void prepareMthHashSet() override;
    using CMC_Runner::run;
    CMC_Variable* run(int id, CMC_Object* target, CMC_ObjectsContainer* container, CXVector* arguments) override;

private:
    // ADD / INSERTAT: a STRUCT argument, or a text naming a STRUCT, is copied;
    // any other text is the row itself (a copy of the model filled from it).
    void addRow(CMC_Database* database, CMC_ObjectsContainer* container, CXVector* arguments, int position,
                int argument);
};
