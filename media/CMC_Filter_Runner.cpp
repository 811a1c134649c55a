#include "media/CMC_Filter_Runner.h"

#include "media/filters/CAnimatedFilter.h"
#include "media/CMC_Filter.h"
#include "script/CMC_Bool.h"
#include "script/CMC_ObjectsContainer.h"
#include "script/CMC_RunnerFactory.h"
#include "script/CMC_VariableFactory.h"

namespace {

const bool g_registered = CMC_RunnerFactory::registerRunner(
    CMC_RunnerFactory::kFilter, []() -> CMC_Runner* { return new CMC_Filter_Runner(); });

CMC_Variable* boolResult(bool value) {
    CMC_Bool* result = CMC_VariableFactory::allocBool();
    if (result) result->setValue(value);
    return result;
}

}  // namespace

void CMC_Filter_Runner::prepareMthHashSet() {
    (void)g_registered;
    CMC_Runner::prepareMthHashSet();
    putMethod("SETPROPERTY", kSetProperty);
    putMethod("LINK", kLink);
    putMethod("UNLINK", kUnlink);
    putMethod("START", kStart);
    putMethod("STOP", kStop);
    putMethod("ISRUNNING", kIsRunning);
}

CMC_Variable* CMC_Filter_Runner::run(int id, CMC_Object* target, CMC_ObjectsContainer* container,
                                     CXVector* arguments) {
    auto* object = dynamic_cast<CMC_Filter*>(target);
    if (id < kSetProperty || id > kIsRunning) return nullptr;
    CAnimatedFilter* filter = object ? object->getFilter() : nullptr;
    if (!filter || !container) return id == kIsRunning ? boolResult(false) : nullptr;
    if (id == kSetProperty) {
        filter->setProperty(getParameterText(arguments, 0), getParameterText(arguments, 1));
        return nullptr;
    }
    const CXString name = getParameterText(arguments, 0);
    CGraphicsObject* graphic = container->getGraphicsObject(name);
    switch (id) {
    case kLink:
        if (graphic) filter->link(graphic, container->getObject(name));
        return nullptr;
    case kUnlink:
        if (graphic) filter->unlink(graphic);
        return nullptr;
    case kStart:
        if (graphic) filter->start(graphic);
        return nullptr;
    case kStop:
        if (graphic) filter->stop(graphic);
        return nullptr;
    case kIsRunning: return boolResult(graphic && filter->isRunning(graphic));
    default: return nullptr;
    }
}
