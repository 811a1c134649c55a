// A game's structure file ("application.def") from untrusted bytes: the scenes,
// episodes and application built by the structure parser, their lists taken, the
// application's own definition file looked for, then everything deleted as the
// engine's shutdown does. Runs in a scratch game folder with a registry in memory,
// and goes back to the folder it started in after each input.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>

#include "fuzz/FuzzScratch.h"
#include "platform/FileSystem.h"
#include "platform/RegistryStore.h"
#include "scene/CMC_Application.h"
#include "scene/CMC_StructureParser.h"
#include "script/CMC_Behaviour.h"
#include "script/CMC_StepBudget.h"
#include "shell/CWindow.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    static platform::MemoryRegistryStore registry;
    static CWindow* window = nullptr;
    static std::string game;
    static std::string start;
    if (!window) {
        start = platform::getCurrentDirectory();
        platform::setRegistryStore(&registry);
        game = fuzz::scratchFolder("structure");
        std::filesystem::create_directories(game + "/Dane");
        CWindow::setCDPath(CXString(platform::toEnginePath(game).c_str()));
        window = new CWindow();
    }
    {
        std::ofstream out(game + "/Dane/application.def", std::ios::binary | std::ios::trunc);
        out.write(reinterpret_cast<const char*>(data), static_cast<std::streamsize>(size));
    }
    // The application moves into the folder its PATH names; every input starts in the game's.
    if (platform::setCurrentDirectory(platform::toEnginePath(game + "/Dane").c_str()) != 0) std::abort();
    CMC_StepBudget::set(2000);
    auto* parser = new CMC_StructureParser(window, CXString("application.def"));
    delete parser->getMCApplication();
    delete parser;
    CMC_Behaviour::flushTrash();
    CMC_StepBudget::set(CMC_StepBudget::kUnlimited);
    platform::setCurrentDirectory(start.c_str());
    return 0;
}
