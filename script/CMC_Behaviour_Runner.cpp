#include "script/CMC_Behaviour_Runner.h"

#include <cstdint>

#include "foundation/CXArray.h"
#include "foundation/CXVector.h"
#include "script/CMC_Behaviour.h"
#include "script/CMC_Integer.h"
#include "script/CMC_ObjectsContainer.h"
#include "script/CMC_StepBudget.h"
#include "script/CMC_Variable.h"
#include "script/CMC_VariableFactory.h"

namespace {

constexpr float kLoadFactor = 0.75f;

// The text a value passes to a called behaviour: a variable's text, or for any other
// script object its name.
CXString argumentText(CMC_Runner* runner, CXVector* values, int i) {
    CXObject* raw = values->at(i);
    if (!raw) return CXString();
    if (dynamic_cast<CMC_Variable*>(raw)) return runner->getParameterText(values, i);
    if (auto* object = dynamic_cast<CMC_Object*>(raw)) return object->getName();
    return CXString();
}

CXString* quotedIfObject(CMC_ObjectsContainer* container, const CXString& text) {
    CMC_Object* named = container ? container->getObject(text) : nullptr;
    if (named && (named->getType() < 0 || named->getType() > 4)) return new CXString(CXString("\"") + text + "\"");
    return new CXString(text);
}

}  // namespace

void CMC_Behaviour_Runner::prepareMthHashSet() {
    CMC_Runner::prepareMthHashSet();
    putMethod("RUN", kRun);
    putMethod("RUNC", kRunC);
    putMethod("RUNLOOPED", kRunLooped);
    putMethod("BREAK", kBreak);
    putMethod("ENABLE", kEnable);
    putMethod("DISABLE", kDisable);
}

CMC_Variable* CMC_Behaviour_Runner::run(int id, CMC_Object* target, CMC_ObjectsContainer* container,
                                        CXVector* arguments) {
    auto* behaviour = dynamic_cast<CMC_Behaviour*>(target);
    if (!behaviour) return CMC_Runner::run(id, target, container, arguments);
    switch (id) {
    case kRun:
        return run(behaviour, container, arguments, false);
    case kRunC:
        return run(behaviour, container, arguments, true);
    case kRunLooped:
        return runLooped(behaviour, container, arguments);
    case kBreak:
        behaviour->_break();
        return nullptr;
    case kEnable:
        behaviour->enable(true);
        return nullptr;
    case kDisable:
        behaviour->enable(false);
        return nullptr;
    default:
        return CMC_Runner::run(id, target, container, arguments);
    }
}

CXArray* CMC_Behaviour_Runner::getParams(CMC_ObjectsContainer* container, CXVector* arguments) {
    if (!arguments) return nullptr;
    const int count = arguments->getCount();
    auto* params = new CXArray(count > 0 ? count : 1, kLoadFactor);
    for (int i = 0; i < count; ++i) params->add(quotedIfObject(container, argumentText(this, arguments, i)));
    return params;
}

CMC_Variable* CMC_Behaviour_Runner::returnVariable(CMC_ObjectsContainer* container) {
    if (!container) return nullptr;
    return dynamic_cast<CMC_Variable*>(container->getObject("__RETURN__"));
}

CMC_Variable* CMC_Behaviour_Runner::run(CMC_Behaviour* target, CMC_ObjectsContainer* container, CXVector* arguments,
                                        bool check) {
    CXArray* params = getParams(container, arguments);
    const bool broke = target->run(nullptr, params, check);
    CXString::releaseToVector(params);
    // A BREAK in the callee ends the caller too.
    if (broke) return CMC_Behaviour::asResult<CMC_Variable>(CMC_Behaviour::kBreak);
    return CMC_VariableFactory::copyVariable(returnVariable(container));
}

CMC_Variable* CMC_Behaviour_Runner::runLooped(CMC_Behaviour* target, CMC_ObjectsContainer* container,
                                              CXVector* arguments) {
    const int count = argumentCount(arguments);
    const int64_t start = getParameterInteger(arguments, 0)->getValue();
    const int64_t end = start + getParameterInteger(arguments, 1)->getValue();
    const int64_t step = count > 2 ? getParameterInteger(arguments, 2)->getValue() : 1;
    // A step that does not advance would only end through BREAK: nothing runs.
    if (step > 0 && start < end) {
        auto* params = new CXArray(count > 2 ? count - 1 : 1, kLoadFactor);
        auto* counter = new CXString();
        params->add(counter);
        for (int i = 2; i < count; ++i) params->add(quotedIfObject(container, argumentText(this, arguments, i)));
        for (int64_t i = start; i < end && CMC_StepBudget::take(); i += step) {
            *counter = CXString::toString(static_cast<int>(i));
            if (target->run(nullptr, params, true)) break;
        }
        CXString::releaseToVector(params);
    }
    return returnVariable(container);
}
