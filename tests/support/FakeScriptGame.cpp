#include "support/FakeScriptGame.h"

namespace test {

namespace {

class FakeApplication : public CScriptApplicationIfc {
public:
    FakeApplication(FakeScriptGame& game, CWindow* window) : m_game(game), m_window(window) {}
    ~FakeApplication() override { m_game.log.push_back("delete application"); }
    void initialize() override { m_game.log.push_back("initialize"); }
    bool domodal() override {
        m_game.log.push_back("step");
        return m_game.onStep && m_game.onStep(m_window);
    }
    CXString getNextGame() override { return CXString(m_game.nextGame.c_str()); }
    void storeBinary() override { m_game.log.push_back("store"); }

private:
    FakeScriptGame& m_game;
    CWindow* m_window;
};

class FakeParser : public CStructureParserIfc {
public:
    FakeParser(FakeScriptGame& game, CWindow* window) : m_game(game), m_window(window) {}
    ~FakeParser() override { m_game.log.push_back("delete parser"); }
    CScriptApplicationIfc* getMCApplication() override {
        return m_game.parserYields ? new FakeApplication(m_game, m_window) : nullptr;
    }

private:
    FakeScriptGame& m_game;
    CWindow* m_window;
};

}  // namespace

CScriptApplicationIfc* FakeScriptGame::createApplication(CWindow* window) {
    log.push_back("binary");
    return new FakeApplication(*this, window);
}

CStructureParserIfc* FakeScriptGame::createStructureParser(CWindow* window, CXString fileName) {
    log.push_back(std::string("parse ") + fileName.c_str());
    return new FakeParser(*this, window);
}

}  // namespace test
