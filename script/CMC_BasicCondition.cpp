#include "script/CMC_BasicCondition.h"

#include "script/CMC_ObjectsContainer.h"

CMC_BasicCondition::CMC_BasicCondition(CXString name, int type) : CMC_Object(name, type) {}

CMC_BasicCondition::CMC_BasicCondition(CMC_ObjectsContainer* container, CMElement* element, int type)
    : CMC_Object(container, element, type) {
    initializeBehaviours(container, element);
}

CMC_BasicCondition::~CMC_BasicCondition() = default;

CXString** CMC_BasicCondition::getBehavioursList() {
    return makeBehavioursList({"ONINIT", "ONDONE", "ONSIGNAL", "ONRUNTIMESUCCESS", "ONRUNTIMEFAILED"});
}

void CMC_BasicCondition::serialize(CXArchive* archive) { CMC_Object::serialize(archive); }

void CMC_BasicCondition::raiseResult(bool result) {
    onSignal(CXString(result ? "ONRUNTIMESUCCESS" : "ONRUNTIMEFAILED"));
}
