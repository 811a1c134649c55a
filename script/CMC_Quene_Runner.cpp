#include "script/CMC_Quene_Runner.h"

#include <memory>

#include "script/CMC_Bool.h"
#include "script/CMC_Integer.h"
#include "script/CMC_Quene.h"
#include "script/CMC_RunnerFactory.h"
#include "script/CMC_String.h"
#include "script/CMC_VariableFactory.h"

namespace {

const bool registered = CMC_RunnerFactory::registerRunner(
    CMC_RunnerFactory::kQuene, []() -> CMC_Runner* { return new CMC_Quene_Runner(); });

}  // namespace

void CMC_Quene_Runner::prepareMthHashSet() {
    CMC_Runner::prepareMthHashSet();
    putMethod("PUSH", kPush);
    putMethod("POP", kPop);
    putMethod("GETSIZE", kGetSize);
    putMethod("ISEMPTY", kIsEmpty);
}

CMC_Variable* CMC_Quene_Runner::run(int id, CMC_Object* target, CMC_ObjectsContainer* container,
                                    CXVector* arguments) {
    auto* queue = dynamic_cast<CMC_Quene*>(target);
    if (!queue) return CMC_Runner::run(id, target, container, arguments);
    switch (id) {
    case kPush:
        for (int i = 0; i < argumentCount(arguments); ++i) queue->push(getParameter(arguments, i));
        return nullptr;
    case kPop:
        return pop(queue);
    case kGetSize:
        return CMC_VariableFactory::newInteger(queue->getSize());
    case kIsEmpty:
        return CMC_VariableFactory::newBool(queue->isEmpty());
    default:
        return CMC_Runner::run(id, target, container, arguments);
    }
}

CMC_Variable* CMC_Quene_Runner::pop(CMC_Quene* queue) {
    if (!queue->isEmpty()) {
        std::unique_ptr<CMC_Variable> entry(queue->take());
        return entry ? CMC_VariableFactory::copyVariable(entry.get()) : nullptr;
    }
    queue->onSignal(CXString("ONEMPTY"));
    return CMC_VariableFactory::newString(CXString("NULL"));
}
