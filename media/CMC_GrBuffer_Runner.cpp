#include "media/CMC_GrBuffer_Runner.h"

#include "media/CMC_GrBuffer.h"
#include "script/CMC_Integer.h"
#include "script/CMC_RunnerFactory.h"
#include "script/CMC_VariableFactory.h"

namespace {

const bool g_registered = CMC_RunnerFactory::registerRunner(
    CMC_RunnerFactory::kGrBuffer, []() -> CMC_Runner* { return new CMC_GrBuffer_Runner(); });

}  // namespace

void CMC_GrBuffer_Runner::prepareMthHashSet() {
    (void)g_registered;
    CMC_Runner::prepareMthHashSet();
    putMethod("CREATE", kCreate);
    putMethod("DRAW", kDraw);
    putMethod("UNDO", kUndo);
    putMethod("FLUSH", kFlush);
    putMethod("FLUSHALL", kFlushAll);
    putMethod("FINDAT", kFindAt);
}

CMC_Variable* CMC_GrBuffer_Runner::run(int id, CMC_Object* target, CMC_ObjectsContainer*, CXVector* arguments) {
    auto* object = dynamic_cast<CMC_GrBuffer*>(target);
    if (!object) return nullptr;
    const CXPoint point(parameterInt(arguments, 0), parameterInt(arguments, 1));
    switch (id) {
    case kCreate: {
        CXRect rect;
        if (argumentCount(arguments) > 2)
            rect = CXRect(parameterInt(arguments, 2), parameterInt(arguments, 3), parameterInt(arguments, 4),
                          parameterInt(arguments, 5));
        return CMC_VariableFactory::newInteger(object->create(point, rect));
    }
    case kDraw: object->draw(parameterInt(arguments, 0), parameterBool(arguments, 1)); return nullptr;
    case kUndo: object->undo(parameterInt(arguments, 0), parameterBool(arguments, 1)); return nullptr;
    case kFlush:
        object->flush(parameterInt(arguments, 0), parameterBool(arguments, 1), parameterBool(arguments, 2));
        return nullptr;
    case kFlushAll: object->flush(-1, parameterBool(arguments, 0), parameterBool(arguments, 1)); return nullptr;
    case kFindAt: return CMC_VariableFactory::newInteger(object->findAt(point));
    default: return nullptr;
    }
}
