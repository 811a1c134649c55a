#include "media/CMC_StaticFilter_Runner.h"

#include "graphics/core/CGraphicsObject.h"
#include "media/CMC_StaticFilter.h"
#include "media/filters/CStaticGraphicsFilter.h"
#include "script/CMC_ObjectsContainer.h"
#include "script/CMC_RunnerFactory.h"

namespace {

const bool g_registered = CMC_RunnerFactory::registerRunner(
    CMC_RunnerFactory::kStaticFilter, []() -> CMC_Runner* { return new CMC_StaticFilter_Runner(); });

}  // namespace

void CMC_StaticFilter_Runner::prepareMthHashSet() {
    (void)g_registered;
    CMC_Runner::prepareMthHashSet();
    putMethod("SETPROPERTY", kSetProperty);
    putMethod("LINK", kLink);
    putMethod("UNLINK", kUnlink);
}

CMC_Variable* CMC_StaticFilter_Runner::run(int id, CMC_Object* target, CMC_ObjectsContainer* container,
                                           CXVector* arguments) {
    auto* object = dynamic_cast<CMC_StaticFilter*>(target);
    CStaticGraphicsFilter* filter = object ? object->getFilter() : nullptr;
    if (!filter || !container) return nullptr;
    switch (id) {
    case kSetProperty: filter->setProperty(getParameterText(arguments, 0), getParameterText(arguments, 1)); break;
    case kLink: {
        const CXString name = getParameterText(arguments, 0);
        if (CGraphicsObject* graphic = container->getGraphicsObject(name)) {
            graphic->Invalidate();
            filter->link(graphic, container->getObject(name));
            graphic->Invalidate();
        }
        break;
    }
    case kUnlink:
        if (CGraphicsObject* graphic = container->getGraphicsObject(getParameterText(arguments, 0))) filter->unlink(graphic);
        break;
    default: break;
    }
    return nullptr;
}
