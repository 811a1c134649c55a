#include "script/CMC_BasicCondition_Runner.h"

#include "script/CMC_BasicCondition.h"
#include "script/CMC_Behaviour.h"
#include "script/CMC_Bool.h"
#include "script/CMC_VariableFactory.h"

void CMC_BasicCondition_Runner::prepareMthHashSet() {
    CMC_Runner::prepareMthHashSet();
    putMethod("CHECK", kCheck);
    putMethod("BREAK", kBreak);
    putMethod("ONE_BREAK", kOneBreak);
}

CMC_Variable* CMC_BasicCondition_Runner::run(int id, CMC_Object* target, CMC_ObjectsContainer* container,
                                             CXVector* arguments) {
    if (!dynamic_cast<CMC_BasicCondition*>(target)) return CMC_Runner::run(id, target, container, arguments);
    switch (id) {
    case kCheck: return check(target, arguments);
    case kBreak: return breakMth(target, arguments, false);
    case kOneBreak: return breakMth(target, arguments, true);
    default: return CMC_Runner::run(id, target, container, arguments);
    }
}

bool CMC_BasicCondition_Runner::raiseFlag(CXVector* arguments) {
    return argumentCount(arguments) < 1 || parameterBool(arguments, 0);
}

CMC_Variable* CMC_BasicCondition_Runner::check(CMC_Object* target, CXVector* arguments) {
    const bool holds = static_cast<CMC_BasicCondition*>(target)->valid(raiseFlag(arguments));
    return CMC_VariableFactory::newBool(holds);
}

CMC_Variable* CMC_BasicCondition_Runner::breakMth(CMC_Object* target, CXVector* arguments, bool oneBreak) {
    if (!static_cast<CMC_BasicCondition*>(target)->valid(raiseFlag(arguments))) return nullptr;
    return CMC_Behaviour::asResult<CMC_Variable>(oneBreak ? CMC_Behaviour::kOneBreak : CMC_Behaviour::kBreak);
}
