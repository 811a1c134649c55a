// A scene's binary image from untrusted bytes: a binary scene named S reads them as
// "S.bin" when it is entered (its objects initialised, "__INIT__" run under a step
// budget), is left and deleted. Runs in a scratch game folder and goes back to its
// start folder after each input.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>

#include "fuzz/FuzzScratch.h"
#include "fuzz/ScriptFuzzSupport.h"
#include "platform/FileSystem.h"
#include "platform/RegistryStore.h"
#include "scene/CMC_Scene.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    static platform::MemoryRegistryStore registry;
    static std::string game;
    static std::string start;
    CWindow* window = fuzz::world();
    if (game.empty()) {
        start = platform::getCurrentDirectory();
        platform::setRegistryStore(&registry);
        game = fuzz::scratchFolder("scene-image");
        std::filesystem::create_directories(game + "/Dane");
        CWindow::setCDPath(CXString(platform::toEnginePath(game).c_str()));
        CWindow::rootPath = CXString((platform::toEnginePath(game) + "\\").c_str());
    }
    {
        std::ofstream out(game + "/Dane/S.bin", std::ios::binary | std::ios::trunc);
        out.write(reinterpret_cast<const char*>(data), static_cast<std::streamsize>(size));
    }
    CMC_StepBudget::set(fuzz::kStepBudget);
    auto* scene = new CMC_Scene(window, CMC_Scene::kType);
    scene->setName(CXString("S"));
    scene->initialize(nullptr);
    scene->unload(static_cast<CMC_Scene*>(nullptr));
    delete scene;
    fuzz::applicationStep();
    CMC_Scene::doneDefUnit();
    CMC_StepBudget::set(CMC_StepBudget::kUnlimited);
    platform::setCurrentDirectory(start.c_str());
    return 0;
}
