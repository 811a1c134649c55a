// The runner of the CLASS type (3004). "NEW" makes an instance of a class object in
// the calling container and runs its "CONSTRUCTOR"; "DELETE" runs an instance's
// "DESTRUCTOR" and deletes it; any other name runs the behaviour of that name as a
// method of the class object or instance, with the instance as its scope. A method's
// result is a pooled copy of "__RETURN__" as seen from the instance.
#pragma once
#include "foundation/CXString.h"
#include "script/CMC_Runner.h"

class CMC_Class_Runner : public CMC_Runner {
public:
    enum : int { kNew = 1, kDelete = 2 };

    void prepareMthHashSet() override;
    // Ids 1 and 2; the common ids act on the object itself.
    CMC_Variable* run(int id, CMC_Object* target, CMC_ObjectsContainer* container, CXVector* arguments) override;
    // A name of the table by id, any other name as a method (runClass).
    CMC_Variable* run(CXString name, CMC_Object* target, CMC_ObjectsContainer* container,
                      CXVector* arguments) override;
    // Runs the behaviour `method` found from `object` (its own objects, then its
    // look-up parents) with the arguments' texts as "$1"..., its condition not tested,
    // and its container set to `object` for the run and put back afterwards. A pooled
    // copy of "__RETURN__" found from `object`, or null (also when no behaviour of
    // that name is found or `object` is no container). `container` plays no part.
    virtual CMC_Variable* runClass(CMC_Object* object, CMC_ObjectsContainer* container, CXVector* arguments,
                                   CXString method);

private:
    CMC_Variable* _new(CMC_Object* target, CMC_ObjectsContainer* container, CXVector* arguments);
    CMC_Variable* _delete(CMC_Object* target, CMC_ObjectsContainer* container, CXVector* arguments);
};
