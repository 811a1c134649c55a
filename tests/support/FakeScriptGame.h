// A script-application factory for shell and host tests: it builds stand-in
// script applications that record what the application object asks of them, and
// runs a hook at every step.
#pragma once
#include <functional>
#include <string>
#include <vector>

#include "shell/CScriptApplicationIfc.h"

namespace test {

class FakeScriptGame : public CScriptApplicationFactory {
public:
    // Installs itself for its lifetime.
    FakeScriptGame() : m_previous(CScriptApplicationFactory::get()) { CScriptApplicationFactory::set(this); }
    ~FakeScriptGame() override { CScriptApplicationFactory::set(m_previous); }
    FakeScriptGame(const FakeScriptGame&) = delete;
    FakeScriptGame& operator=(const FakeScriptGame&) = delete;

    CScriptApplicationIfc* createApplication(CWindow* window) override;
    CStructureParserIfc* createStructureParser(CWindow* window, CXString fileName) override;

    // What happened, in order: "binary", "parse application.def", "initialize",
    // "store", "step", "delete application", "delete parser".
    std::vector<std::string> log;
    // Whether a parser yields a script application.
    bool parserYields = true;
    // Run at every step with the window; true names `nextGame`.
    std::function<bool(CWindow*)> onStep;
    std::string nextGame;

private:
    CScriptApplicationFactory* m_previous;
};

}  // namespace test
