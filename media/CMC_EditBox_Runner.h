// The runner of the EDITBOX type: text, focus, enabling, placement, drawing order,
// cursor position, colour and the read-only and single-line switches of the field. A
// method given fewer arguments than it reads, or called on an EDITBOX without a
// field, does nothing ("GETTEXT" then gives an empty text).
#pragma once
#include "script/CMC_Runner.h"

class CEditBox6;

class CMC_EditBox_Runner : public CMC_Runner {
public:
    enum : int {
        kSetText = 1,
        kGetText = 2,
        kActive = 3,
        kDeactive = 4,
        kEnable = 5,
        kDisable = 6,
        kAddText = 7,
        kMove = 8,
        kSetPosition = 9,
        kSetPriority = 10,
        kSetCursorPos = 11,
        kSetRect = 12,
        kSetColor = 13,
        kSetReadOnly = 14,
        kEnableNL = 15,
    };

    void prepareMthHashSet() override;
    using CMC_Runner::run;
    CMC_Variable* run(int id, CMC_Object* target, CMC_ObjectsContainer* container, CXVector* arguments) override;

private:
    CMC_Variable* runOn(int id, CEditBox6* box, CMC_ObjectsContainer* container, CXVector* arguments);
};
