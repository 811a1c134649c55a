// A game's binary image ("application.bin") from untrusted bytes: read by the script
// side's factory as the host does, initialised (the start episode and scene entered,
// their own images looked for), stepped once and deleted. Runs in a scratch game
// folder with a registry in memory and goes back to its start folder after each input.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>

#include "fuzz/FuzzScratch.h"
#include "platform/FileSystem.h"
#include "platform/RegistryStore.h"
#include "script/CMC_Behaviour.h"
#include "script/CMC_StepBudget.h"
#include "shell/CScriptApplicationIfc.h"
#include "shell/CWindow.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    static platform::MemoryRegistryStore registry;
    static CWindow* window = nullptr;
    static std::string game;
    static std::string start;
    if (!window) {
        start = platform::getCurrentDirectory();
        platform::setRegistryStore(&registry);
        game = fuzz::scratchFolder("application-image");
        std::filesystem::create_directories(game + "/Dane");
        CWindow::setCDPath(CXString(platform::toEnginePath(game).c_str()));
        window = new CWindow();
        CWindow::rootPath = CXString((platform::toEnginePath(game) + "\\").c_str());
    }
    {
        std::ofstream out(game + "/Dane/application.bin", std::ios::binary | std::ios::trunc);
        out.write(reinterpret_cast<const char*>(data), static_cast<std::streamsize>(size));
    }
    if (platform::setCurrentDirectory(platform::toEnginePath(game + "/Dane").c_str()) != 0) std::abort();
    CMC_StepBudget::set(2000);
    CScriptApplicationFactory* factory = CScriptApplicationFactory::get();
    if (!factory) std::abort();
    if (CScriptApplicationIfc* application = factory->createApplication(window)) {
        application->initialize();
        application->domodal();
        delete application;
    }
    CMC_StepBudget::set(CMC_StepBudget::kUnlimited);
    platform::setCurrentDirectory(start.c_str());
    return 0;
}
