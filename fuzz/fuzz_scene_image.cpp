// A scene's binary image from untrusted bytes: a binary scene named S reads them as
// "S.bin" when it is entered (its objects initialised, "__INIT__" run under a step
// budget), is left and deleted. Runs in a scratch game folder and goes back to its
// start folder after each input.
#include <cstddef>
#include <cstdint>

#include "fuzz/FuzzGame.h"
#include "fuzz/ScriptFuzzSupport.h"
#include "scene/CMC_Scene.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    CWindow* window = fuzz::world();
    static fuzz::ScratchGame game("scene-image");
    static const bool rooted = (game.rootAtGame(), true);
    (void)rooted;
    game.writeData("S.bin", data, size);
    CMC_StepBudget::set(fuzz::kStepBudget);
    auto* scene = new CMC_Scene(window, CMC_Scene::kType);
    scene->setName(CXString("S"));
    scene->initialize(nullptr);
    scene->unload(static_cast<CMC_Scene*>(nullptr));
    delete scene;
    fuzz::applicationStep();
    CMC_Scene::doneDefUnit();
    CMC_StepBudget::set(CMC_StepBudget::kUnlimited);
    game.leave();
    return 0;
}
