#include "scene/CMC_Scene_Runner.h"

#include "scene/CMC_Scene.h"
#include "script/CMC_RunnerFactory.h"

namespace {

const bool registered = CMC_RunnerFactory::registerRunner(
    CMC_RunnerFactory::kScene, []() -> CMC_Runner* { return new CMC_Scene_Runner(); });

}  // namespace

void CMC_Scene_Runner::prepareMthHashSet() {
    CMC_Runner::prepareMthHashSet();
    putMethod("REMOVE", kRemove);
}

CMC_Variable* CMC_Scene_Runner::run(int id, CMC_Object* target, CMC_ObjectsContainer* container,
                                    CXVector* arguments) {
    auto* scene = dynamic_cast<CMC_Scene*>(target);
    if (!scene) return CMC_Runner::run(id, target, container, arguments);
    switch (id) {
    case kRemove:
        // Only an object the scene itself holds goes, through the one deletion path
        // (applications, episodes and scenes never).
        scene->deleteObject(scene->getObject(getParameterText(arguments, 0)));
        return nullptr;
    default: return CMC_Runner::run(id, scene, scene, arguments);
    }
}
