#include "script/CMC_CNVLoader_Runner.h"

#include "script/CMC_CNVLoader.h"
#include "script/CMC_RunnerFactory.h"

namespace {

const bool g_registered = CMC_RunnerFactory::registerRunner(
    CMC_RunnerFactory::kCNVLoader, []() -> CMC_Runner* { return new CMC_CNVLoader_Runner(); });

}  // namespace

void CMC_CNVLoader_Runner::prepareMthHashSet() {
    (void)g_registered;
    CMC_Runner::prepareMthHashSet();
    putMethod("LOAD", kLoad);
    putMethod("RELEASE", kRelease);
}

CMC_Variable* CMC_CNVLoader_Runner::run(int id, CMC_Object* target, CMC_ObjectsContainer* container,
                                        CXVector* arguments) {
    auto* loader = dynamic_cast<CMC_CNVLoader*>(target);
    if (!loader || (id != kLoad && id != kRelease)) return CMC_Runner::run(id, target, container, arguments);
    if (argumentCount(arguments) < 1) return nullptr;
    const CXString fileName = getParameterText(arguments, 0);
    if (id == kLoad) {
        if (!container) return nullptr;
        loader->setScene(container);
        loader->load(fileName);
    } else {
        loader->release(fileName);
    }
    return nullptr;
}
