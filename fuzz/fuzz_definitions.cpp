// A game's definition file from untrusted bytes: read into elements, built into
// script objects through the type table, entered as a scene is (every object's
// init, then "__INIT__") under a step budget, and unloaded.
#include <cstddef>
#include <cstdint>

#include "ScriptFuzzSupport.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    fuzz::world();
    CMC_StepBudget::set(fuzz::kStepBudget);
    if (CMC_ObjectsContainer* scene = fuzz::buildScene(reinterpret_cast<const char*>(data), size)) {
        fuzz::enterScene(scene);
        fuzz::applicationStep();
        fuzz::dropScene(scene);
    }
    CMC_StepBudget::set(CMC_StepBudget::kUnlimited);
    return 0;
}
