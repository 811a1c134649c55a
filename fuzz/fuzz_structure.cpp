// A game's structure file ("application.def") from untrusted bytes: the scenes,
// episodes and application built by the structure parser, their lists taken, the
// application's own definition file looked for, then everything deleted as the
// engine's shutdown does. Runs in a scratch game folder with a registry in memory,
// and goes back to the folder it started in after each input.
#include <cstddef>
#include <cstdint>

#include "fuzz/FuzzGame.h"
#include "scene/CMC_Application.h"
#include "scene/CMC_StructureParser.h"
#include "script/CMC_Behaviour.h"
#include "script/CMC_StepBudget.h"
#include "shell/CWindow.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    static fuzz::ScratchGame game("structure");
    static CWindow* window = new CWindow();
    game.writeData("application.def", data, size);
    game.enterData();
    CMC_StepBudget::set(2000);
    auto* parser = new CMC_StructureParser(window, CXString("application.def"));
    delete parser->getMCApplication();
    delete parser;
    CMC_Behaviour::flushTrash();
    CMC_StepBudget::set(CMC_StepBudget::kUnlimited);
    game.leave();
    return 0;
}
