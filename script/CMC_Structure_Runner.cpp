#include "script/CMC_Structure_Runner.h"

#include "script/CMC_Integer.h"
#include "script/CMC_ObjectsContainer.h"
#include "script/CMC_RunnerFactory.h"
#include "script/CMC_Structure.h"
#include "script/CMC_VariableFactory.h"

namespace {

[[maybe_unused]] const bool kRegistered = CMC_RunnerFactory::registerRunner(
    CMC_RunnerFactory::kStructure, []() -> CMC_Runner* { return new CMC_Structure_Runner(); });

}  // namespace

void CMC_Structure_Runner::prepareMthHashSet() {
    CMC_Runner::prepareMthHashSet();
    putMethod("SET", kSet);
    putMethod("SETFIELD", kSetField);
    putMethod("GETFIELD", kGetField);
}

CMC_Variable* CMC_Structure_Runner::run(int id, CMC_Object* target, CMC_ObjectsContainer* container,
                                        CXVector* arguments) {
    auto* record = dynamic_cast<CMC_Structure*>(target);
    if (!record) return CMC_Runner::run(id, target, container, arguments);
    switch (id) {
    case kSet:
        set(record, container, arguments);
        return nullptr;
    case kSetField:
        setField(record, arguments);
        return nullptr;
    case kGetField:
        return getField(record, arguments);
    default:
        return CMC_Runner::run(id, target, container, arguments);
    }
}

void CMC_Structure_Runner::set(CMC_Structure* record, CMC_ObjectsContainer* container, CXVector* arguments) {
    const int count = argumentCount(arguments);
    if (count >= 2) {
        for (int i = 0; i < count; ++i) record->setField(i, getParameter(arguments, i));
        return;
    }
    // No argument sets nothing.
    if (count == 0) return;
    // One argument names the STRUCT to copy; a STRUCT handed over directly is taken as it is.
    CMC_Variable* given = getParameter(arguments, 0);
    if (given && given->getType() == CMC_Structure::kType) {
        record->set(given);
        return;
    }
    if (!container) return;
    if (auto* source = dynamic_cast<CMC_Variable*>(container->getObject(getParameterText(arguments, 0))))
        record->set(source);
}

void CMC_Structure_Runner::setField(CMC_Structure* record, CXVector* arguments) {
    if (argumentCount(arguments) < 2) return;
    const CXString name = getParameterText(arguments, 0);
    record->setField(name, getParameter(arguments, 1));
}

CMC_Variable* CMC_Structure_Runner::getField(CMC_Structure* record, CXVector* arguments) {
    if (argumentCount(arguments) < 1) return nullptr;
    CMC_Variable* which = getParameter(arguments, 0);
    CMC_Variable* field = nullptr;
    if (which && which->getType() == CMC_Variable::kInteger) {
        if (auto* index = dynamic_cast<CMC_Integer*>(which)) field = record->getField(index->getValue());
    } else {
        field = record->getField(getParameterText(arguments, 0));
    }
    return field ? CMC_VariableFactory::copyVariable(field) : nullptr;
}
