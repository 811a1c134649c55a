#include "support/HeadlessGame.h"

#include "foundation/CFile.h"
#include "scene/CMC_Application.h"
#include "shell/CApplication.h"
#include "shell/CCommandLine6.h"
#include "shell/CWindow.h"

namespace test {

std::string definitionText(const std::vector<std::string>& lines) {
    std::string out;
    for (const std::string& line : lines) out += line + "\r\n";
    return out;
}

std::string millisecondWav(uint32_t ms) {
    auto put32 = [](std::string& s, uint32_t v) {
        for (int i = 0; i < 4; ++i) s += static_cast<char>((v >> (8 * i)) & 0xFF);
    };
    std::string s = "RIFF";
    put32(s, 36 + ms);
    s += "WAVEfmt ";
    put32(s, 16);
    s += std::string("\x01\x00\x01\x00", 4);
    put32(s, 1000);
    put32(s, 1000);
    s += std::string("\x01\x00\x08\x00", 4);
    s += "data";
    put32(s, ms);
    return s + std::string(ms, '\x20');
}

HeadlessGame::HeadlessGame()
    : start(dir.path()), m_savedExe(CWindow::exePath), m_savedCd(CWindow::getCDPath()),
      m_savedRoot(CWindow::rootPath) {
    CWindow::exePath = CXString(dir.engine().c_str());
}

HeadlessGame::~HeadlessGame() {
    stopGame();
    CWindow::exePath = m_savedExe;
    CWindow::rootPath = m_savedRoot;
    CWindow::setCDPath(m_savedCd);
}

void HeadlessGame::startGame(const std::string& game, CXSize displaySize) {
    // The window takes the folder it is made in as the root of music names.
    CFile::chDir(CXString(dir.engine().c_str()));
    window = std::make_unique<CWindow>();
    if (displaySize.cx > 0 && displaySize.cy > 0) {
        if (!m_scopedDisplay) m_scopedDisplay = std::make_unique<platform::ScopedDisplaySystem>(display);
        window->SetDisplayMode(displaySize.cx, displaySize.cy, 16);
        // An inactive window draws nothing.
        window->OnActivateApp(true);
    }
    commandLine = std::make_unique<CCommandLine6>(("-path " + dir.engine(game)).c_str());
    window->setCommandLineIfc(commandLine.get());
    application = std::make_unique<CApplication>(window.get(), CXString(), CXString(), commandLine.get());
    application->preinitializeApplication(false);
}

void HeadlessGame::stopGame() {
    application.reset();
    window.reset();
    commandLine.reset();
}

CMC_Application* HeadlessGame::app() {
    return application ? dynamic_cast<CMC_Application*>(application->getScriptApplication()) : nullptr;
}

CMC_Scene* HeadlessGame::playing() {
    CMC_Scene* episode = app() ? app()->getCurrentScene() : nullptr;
    return episode ? episode->getCurrentScene() : nullptr;
}

void HeadlessGame::frame(uint32_t ms) {
    clock.advance(ms);
    timer.runDue();
    window->domodal();
}

}  // namespace test
