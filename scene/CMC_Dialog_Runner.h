// The runner of the DIALOG type: SHOW, HIDE, SETBACKGROUND (an IMAGE's or ANIMO's
// picture) and ADD (an IMAGE, ANIMO or TEXT as a graphic, a BUTTON as a button).
// Objects are named by the first argument and looked up from the calling scope; a
// name that finds nothing, an object of another type, a missing argument and an
// object without an engine dialog do nothing. Every method gives nothing.
#pragma once
#include "script/CMC_Runner.h"

class CGraphicsObject;
class CMC_Object;

class CMC_Dialog_Runner : public CMC_Runner {
public:
    enum : int { kShow = 1, kHide = 2, kSetBackground = 3, kAdd = 4 };
    // The types whose objects a dialog takes.
    enum : int { kAnimoType = 2000, kButtonType = 2001, kTextType = 2006, kImageType = 2008 };

    void prepareMthHashSet() override;
    using CMC_Runner::run;
    CMC_Variable* run(int id, CMC_Object* target, CMC_ObjectsContainer* container, CXVector* arguments) override;

    // The engine graphic behind an IMAGE, ANIMO or TEXT object (their graphics
    // accessors); null for other types.
    static CGraphicsObject* graphicOf(CMC_Object* object);
};
