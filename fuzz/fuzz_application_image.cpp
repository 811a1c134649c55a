// A game's binary image ("application.bin") from untrusted bytes: read by the script
// side's factory as the host does, initialised (the start episode and scene entered,
// their own images looked for), stepped once and deleted. Runs in a scratch game
// folder with a registry in memory and goes back to its start folder after each input.
#include <cstddef>
#include <cstdint>
#include <cstdlib>

#include "fuzz/FuzzGame.h"
#include "script/CMC_Behaviour.h"
#include "script/CMC_StepBudget.h"
#include "shell/CScriptApplicationIfc.h"
#include "shell/CWindow.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    static fuzz::ScratchGame game("application-image");
    static CWindow* window = nullptr;
    if (!window) {
        window = new CWindow();
        game.rootAtGame();
    }
    game.writeData("application.bin", data, size);
    game.enterData();
    CMC_StepBudget::set(2000);
    CScriptApplicationFactory* factory = CScriptApplicationFactory::get();
    if (!factory) std::abort();
    if (CScriptApplicationIfc* application = factory->createApplication(window)) {
        application->initialize();
        application->domodal();
        delete application;
    }
    CMC_StepBudget::set(CMC_StepBudget::kUnlimited);
    game.leave();
    return 0;
}
