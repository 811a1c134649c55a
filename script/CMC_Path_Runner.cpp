#include "script/CMC_Path_Runner.h"

#include "foundation/CXVector.h"
#include "script/CMC_Behaviour.h"
#include "script/CMC_Double.h"
#include "script/CMC_Integer.h"
#include "script/CMC_Path.h"
#include "script/CMC_RunnerFactory.h"
#include "script/CMC_String.h"
#include "script/CMC_VariableFactory.h"

namespace {

const bool registered = CMC_RunnerFactory::registerRunner(
    CMC_RunnerFactory::kPath, []() -> CMC_Runner* { return new CMC_Path_Runner(); });

// The one property key; compared exactly, case included.
const char* const kDensity = "DENSITY";

}  // namespace

void CMC_Path_Runner::prepareMthHashSet() {
    CMC_Runner::prepareMthHashSet();
    putMethod("ADD", kAdd);
    putMethod("GETSIZE", kGetSize);
    putMethod("GETNODE", kGetNode);
    putMethod("SETPROPERTY", kSetProperty);
    putMethod("GETPROPERTY", kGetProperty);
}

CXString CMC_Path_Runner::nameArgument(CXVector* arguments, int i) {
    CXObject* item = (arguments && i >= 0 && i < arguments->getCount()) ? arguments->at(i) : nullptr;
    if (item && !CMC_Behaviour::controlCode(item) && !dynamic_cast<CMC_Variable*>(item)) {
        if (auto* object = dynamic_cast<CMC_Object*>(item)) return object->getName();
    }
    return getParameterText(arguments, i);
}

CMC_Variable* CMC_Path_Runner::run(int id, CMC_Object* target, CMC_ObjectsContainer* container,
                                   CXVector* arguments) {
    auto* path = dynamic_cast<CMC_Path*>(target);
    if (!path) return CMC_Runner::run(id, target, container, arguments);
    const int count = argumentCount(arguments);
    switch (id) {
    case kAdd:
        if (count >= 1) path->add(container, nameArgument(arguments, 0));
        return nullptr;
    case kGetNode: {
        if (count < 1) return nullptr;
        const int index = parameterInt(arguments, 0);
        if (index < 0 || index >= path->getSize()) return nullptr;
        return CMC_VariableFactory::newString(path->getNodeName(index));
    }
    case kGetSize:
        return CMC_VariableFactory::newInteger(path->getSize());
    case kSetProperty:
        if (count >= 2 && getParameterText(arguments, 0) == kDensity) path->setDensity(parameterDouble(arguments, 1));
        return nullptr;
    case kGetProperty: {
        if (count < 1 || !(getParameterText(arguments, 0) == kDensity)) return nullptr;
        return CMC_VariableFactory::newDouble(path->getDensity());
    }
    default:
        return CMC_Runner::run(id, target, container, arguments);
    }
}
