// A game's definition file from untrusted bytes: read into elements, built into
// script objects through the type table, then unloaded. Objects are not initialised,
// so no script code runs (a script may legitimately loop forever).
#include <cstddef>
#include <cstdint>
#include <vector>

#include "foundation/CTextFileReader.h"
#include "script/CMC_Behaviour.h"
#include "script/CMC_ObjectsContainer.h"
#include "script/CMC_RunnerFactory.h"
#include "script/CMC_TypeTable.h"
#include "script/CMC_VariableFactory.h"
#include "script/CMElements.h"
#include "script/CMElementsLoader.h"
#include "shell/CWindow.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    static CWindow* window = [] {
        CMC_VariableFactory::initialize();
        CMC_RunnerFactory::initialize();
        CMC_Behaviour::initTrash();
        return new CWindow();
    }();
    std::vector<char> text(data, data + size);
    CTextFileReader reader(window, text.data(), static_cast<int>(text.size()));
    CMElements* elements = CMElementsLoader::load(window, &reader);
    if (!elements) return 0;
    auto* scene = new CMC_ObjectsContainer(window, nullptr, CXString("SCENE"), 0);
    delete CMC_TypeTable::resolveObjects(scene, elements);
    delete elements;
    scene->unload();
    delete scene;
    CMC_Behaviour::flushTrash();
    CMC_VariableFactory::clearPool();
    return 0;
}
