#include "shell/CApplication.h"

#include "foundation/CConfig.h"
#include "foundation/CFile.h"
#include "foundation/CFolder.h"
#include "foundation/CPath.h"
#include "foundation/CResourcesManager.h"
#include "graphics/play/CAnimationManager.h"
#include "shell/CSound4.h"
#include "shell/CSoundCodec.h"
#include "shell/CSoundManager.h"
#include "shell/CCommandLine6.h"
#include "shell/CScriptApplicationIfc.h"
#include "shell/CWindow.h"

namespace {

CScriptApplicationFactory* g_factory = nullptr;

// A name with a drive letter or a leading separator stands on its own.
bool isAbsolute(const CXString& name) {
    const char* s = name.c_str();
    return s[0] == '\\' || s[0] == '/' || (s[0] && s[1] == ':');
}

}  // namespace

CScriptApplicationFactory* CScriptApplicationFactory::get() { return g_factory; }

void CScriptApplicationFactory::set(CScriptApplicationFactory* factory) { g_factory = factory; }

CApplication::CApplication(CWindow* window, CXString bigFileName, CXString configName, CCommandLine6* commandLine)
    : m_window(window),
      m_commandLine(commandLine),
      m_bigFileName(bigFileName),
      m_configName(configName),
      m_animationManager(new CAnimationManager),
      m_soundManager(new CSoundManager) {
    CSoundCodec::init_codecs();
    CSound4::installFrameSoundFactory(true);
    if (m_bigFileName.IsString()) CFile::openBigFile(m_bigFileName);
    if (m_window) m_window->SetApplicationInterface(this);
    if (m_configName.IsString()) {
        CXString path = m_configName;
        if (!isAbsolute(path)) {
            path = CWindow::rootPath;
            path += m_configName;
        }
        m_config = new CConfig(path);
        if (m_window) m_window->setConfig(m_config);
    }
}

CApplication::~CApplication() {
    deleteScriptApplication();
    if (m_window && m_window->getConfig() == m_config) m_window->setConfig(nullptr);
    delete m_config;
    m_config = nullptr;
    delete m_resources;
    m_resources = nullptr;
    // Sounds deleted above have left it; it deletes the ones it owns.
    CSoundManager* sounds = m_soundManager;
    m_soundManager = nullptr;
    delete sounds;
    CSoundCodec::done_codecs();
    CSound4::installFrameSoundFactory(false);
    // Last: animations deleted above leave it as they go.
    delete m_animationManager;
    m_animationManager = nullptr;
    if (m_bigFileName.IsString()) {
        // Music may stream from the big file on the refill thread.
        if (m_window) m_window->StopMusic();
        CFile::closeBigFile();
    }
    if (m_window && m_window->GetApplicationInterface() == this) m_window->SetApplicationInterface(nullptr);
}

void CApplication::deleteScriptApplication() {
    delete m_scriptApplication;
    m_scriptApplication = nullptr;
    delete m_structureParser;
    m_structureParser = nullptr;
}

void CApplication::setGamePaths() {
    CPath path(m_window);
    CWindow::setCDPath(path.GetFullPath(CXString()));
    if (m_window) m_window->SetSoundFXPath(path.GetFullPath(CXString("Wavs")));
}

void CApplication::parseStructure() {
    CScriptApplicationFactory* factory = CScriptApplicationFactory::get();
    if (!factory) return;
    m_structureParser = factory->createStructureParser(m_window, CXString(kStructureFile));
    if (m_structureParser) m_scriptApplication = m_structureParser->getMCApplication();
}

void CApplication::preinitializeApplication(bool) {
    const CXString gamePath = m_commandLine ? m_commandLine->getPath() : CXString();
    delete m_resources;
    m_resources = new CResourcesManager(m_window);
    if (gamePath.IsString()) CFile::chDir(gamePath);
    setGamePaths();
    CFile::chDir(CFolder::DATA_FOLDER);

    const bool forceText = m_commandLine && m_commandLine->isForceCNV();
    CScriptApplicationFactory* factory = CScriptApplicationFactory::get();
    if (!forceText && factory && CFile::fileExists(CXString(kBinaryFile)))
        m_scriptApplication = factory->createApplication(m_window);
    else
        parseStructure();

    if (!m_scriptApplication) {
        setErrorCode(CWindow::kErrorNoGame);
        return;
    }
    if (m_commandLine && m_commandLine->is2Bin())
        m_scriptApplication->storeBinary();
    else
        m_scriptApplication->initialize();
}

bool CApplication::domodal() {
    if (!m_scriptApplication || !m_scriptApplication->domodal()) return false;
    const CXString nextGame = m_scriptApplication->getNextGame();
    CFile::chDir(CWindow::exePath);
    if (!CFile::dirExists(nextGame)) return false;
    CFile::chDir(nextGame);
    deleteScriptApplication();
    setGamePaths();
    CFile::chDir(CFolder::DATA_FOLDER);
    parseStructure();
    if (m_scriptApplication)
        m_scriptApplication->initialize();
    else
        setErrorCode(CWindow::kErrorNoGame);
    return false;
}

bool CApplication::OnExit() { return true; }

void CApplication::OnWindowCommand(int) {}

int CApplication::OnKeyDown(int, int) { return 0; }

CXString CApplication::getWAVPath(CXString name) {
    return m_window ? m_window->GetSoundFXFullPath(name) : name;
}
