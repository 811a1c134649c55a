// The runner of the GROUP type. Its own methods manage the member list and the
// marker; any other method name is run, by name, on every member in turn through the
// runner of the member's type, and gives no result.
//
// "GETNAME", "CLONE" and "GETCLONEINDEX" by name are the common methods (the group's
// own name, cloning the group, its clone index); the group's ids 5, 12 and 13 are
// reached only by number.
#pragma once
#include "script/CMC_Runner.h"

class CMC_Groupped_Runner : public CMC_Runner {
public:
    enum : int {
        kAdd = 1,
        kRemove = 2,
        kRemoveAll = 3,
        kGetSize = 4,
        kGetMemberName = 5,
        kPrev = 6,
        kNext = 7,
        kAddClones = 8,
        kResetMarker = 9,
        kGetMarkerPos = 10,
        kSetMarkerPos = 11,
        kCloneGroup = 12,
        kGetGroupCloneIndex = 13,
        kGetNameAtMarker = 14,
        kContains = 15,
    };

    void prepareMthHashSet() override;
    CMC_Variable* run(int id, CMC_Object* target, CMC_ObjectsContainer* container, CXVector* arguments) override;
    // A name of the table by id; any other name on each member.
    CMC_Variable* run(CXString name, CMC_Object* target, CMC_ObjectsContainer* container,
                      CXVector* arguments) override;
};
