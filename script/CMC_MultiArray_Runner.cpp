#include "script/CMC_MultiArray_Runner.h"

#include "script/CMC_Integer.h"
#include "script/CMC_MultiArray.h"
#include "script/CMC_RunnerFactory.h"
#include "script/CMC_String.h"
#include "script/CMC_VariableFactory.h"

namespace {

const bool registered = CMC_RunnerFactory::registerRunner(
    CMC_RunnerFactory::kMultiArray, []() -> CMC_Runner* { return new CMC_MultiArray_Runner(); });

}  // namespace

void CMC_MultiArray_Runner::prepareMthHashSet() {
    CMC_Runner::prepareMthHashSet();
    putMethod("SET", kSet);
    putMethod("GET", kGet);
    putMethod("GETSIZE", kGetSize);
    putMethod("COUNT", kCount);
    putMethod("LOAD", kLoad);
    putMethod("SAVE", kSave);
    putMethod("SAFEGET", kSafeGet);
}

std::vector<int> CMC_MultiArray_Runner::coordinates(CXVector* arguments, int count) {
    std::vector<int> result;
    for (int i = 0; i < count; ++i) result.push_back(parameterInt(arguments, i));
    return result;
}

CMC_Variable* CMC_MultiArray_Runner::run(int id, CMC_Object* target, CMC_ObjectsContainer* container,
                                         CXVector* arguments) {
    auto* array = dynamic_cast<CMC_MultiArray*>(target);
    if (!array) return CMC_Runner::run(id, target, container, arguments);
    const int count = argumentCount(arguments);
    switch (id) {
    case kSet: {
        if (count < 1) return nullptr;
        const std::vector<int> at = coordinates(arguments, count - 1);
        array->set(at, getParameter(arguments, count - 1));
        return nullptr;
    }
    case kGet:
        return get(array, arguments, false);
    case kSafeGet:
        return get(array, arguments, true);
    case kGetSize:
        return count >= 1 ? CMC_VariableFactory::newInteger(array->getSize(parameterInt(arguments, 0))) : nullptr;
    case kCount:
        return CMC_VariableFactory::newInteger(count >= 1 ? array->count(getParameter(arguments, 0)) : 0);
    case kLoad:
        if (count >= 1) array->load(getParameterText(arguments, 0));
        return nullptr;
    case kSave:
        if (count >= 1) array->save(getParameterText(arguments, 0));
        return nullptr;
    default:
        return CMC_Runner::run(id, target, container, arguments);
    }
}

CMC_Variable* CMC_MultiArray_Runner::get(CMC_MultiArray* array, CXVector* arguments, bool safe) {
    if (CMC_Variable* value = array->get(coordinates(arguments, argumentCount(arguments)))) {
        if (CMC_Variable* copy = CMC_VariableFactory::copyVariable(value)) return copy;
    }
    if (safe) return CMC_VariableFactory::newInteger(0);
    return CMC_VariableFactory::newString(CXString("NULL"));
}
