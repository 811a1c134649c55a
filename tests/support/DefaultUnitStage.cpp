#include "support/DefaultUnitStage.h"

#include "foundation/CXString.h"
#include "platform/Input.h"
#include "scene/CMC_Scene.h"
#include "shell/CApplication.h"
#include "shell/CUnit6.h"
#include "support/ScriptTestSupport.h"

namespace test {

DefaultUnitStage::DefaultUnitStage(ScriptWorld& world) : m_world(world) {
    application = std::make_unique<CApplication>(world.window(), CXString(), CXString(), nullptr);
    unitMaker = std::make_unique<CMC_Scene>(world.window(), CMC_Scene::kType);
    CMC_Scene::getDefUnit()->initialize(nullptr, nullptr);
    CMC_Scene::getDefUnit()->onInitialUpdate();
}

DefaultUnitStage::~DefaultUnitStage() {
    unloadKept();
    CMC_Scene::getDefUnit()->done(nullptr, nullptr);
    m_world.applicationStep();
    unitMaker.reset();
    CMC_Scene::doneDefUnit();
    application.reset();
}

CMC_ObjectsContainer* DefaultUnitStage::keep(CMC_ObjectsContainer* scene) {
    if (scene) m_scenes.push_back(scene);
    return scene;
}

void DefaultUnitStage::unloadKept() {
    for (CMC_ObjectsContainer* scene : m_scenes) scene->unload();
    m_scenes.clear();
}

void DefaultUnitStage::pointer(int x, int y) {
    m_world.input().setPointerPosition(x, y);
    m_world.input().mouse().pushMotion(platform::kMouseX, 1);
    m_world.frames(2, 16);
}

void DefaultUnitStage::left(bool down) {
    m_world.input().mouse().push(platform::kMouseLeft, down ? platform::kPressed : 0);
    m_world.frames(2, 16);
}

}  // namespace test
