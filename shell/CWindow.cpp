#include "shell/CWindow.h"

#include "foundation/CFile.h"
#include "foundation/CPerformanceTimer.h"
#include "foundation/CXArray.h"
#include "foundation/CXTimer.h"
#include "foundation/CXVector.h"
#include "foundation/Crt.h"
#include "graphics/input/CCollisionInspector.h"
#include "graphics/play/CAnimationManager.h"
#include "shell/CSound4.h"
#include "shell/CSoundManager.h"
#include "platform/Clock.h"
#include "platform/FileSystem.h"
#include "platform/MessageBox.h"
#include "platform/QuitMessage.h"
#include "platform/Thread.h"
#include "script/CMC_Object.h"
#include "shell/CApplication.h"
#include "shell/CCommandLine6.h"
#include "shell/CInputPoller.h"
#include "shell/CPublicTrash.h"

CXString CWindow::exePath(platform::getExecutableFolder().c_str());
CXString CWindow::rootPath;
CXString CWindow::s_cdPath;
bool CWindow::s_paused = false;
CWindow* CWindow::s_current = nullptr;

namespace {

constexpr int kListCapacity = 101;
constexpr float kLoadFactor = 0.75f;

// What `set` stored for the window commands.
CWindow* g_commandWindow = nullptr;
platform::InstanceHandle g_commandInstance = nullptr;

}  // namespace

CWindow::CWindow() {
    CPerformanceTimer::init();
    rootPath = CFile::getCurrentDirectory();
    crt::srand(platform::clock().tickCount());
    s_current = this;
    createCommon();
    createInput(true);
}

CWindow::CWindow(platform::WindowHandle window, CCommandLine6* commandLine, CLanguageOSVer* language,
                 CXSize screenSize, platform::CursorHandle cursor, CXString exeFolder, bool noInputThread)
    : m_hwnd(window),
      m_language(language),
      m_screenSize(screenSize),
      m_commandLine(commandLine),
      m_mainCursor(cursor),
      m_windowMode(commandLine && commandLine->isWindowMode()) {
    CPerformanceTimer::init();
    exePath = exeFolder;
    rootPath = CFile::getCurrentDirectory();
    crt::srand(platform::clock().tickCount());
    s_current = this;
    createCommon();
    createInput(!noInputThread);
    if (m_commandLine) {
        m_musicOn = m_commandLine->isMusicEnabled();
        m_soundOn = m_commandLine->isSoundEnabled();
        m_videoMemory = m_commandLine->isVMem();
    }
    if (!noInputThread) startPollerThread();
}

void CWindow::createCommon() {
    m_timers = new CXTimer(this);
    m_pollers = new CXArray(kListCapacity, kLoadFactor);
    m_scriptListeners = new CXVector(kListCapacity, kLoadFactor);
    m_publicTrash = new CPublicTrash(m_timers);
    CSound4::CreateDirectSoundInterface(this);
}

CWindow::~CWindow() {
    stopPollerThread();
    release();
    delete m_pollers;
    m_pollers = nullptr;
    if (s_current == this) s_current = nullptr;
    if (g_commandWindow == this) g_commandWindow = nullptr;
}

void CWindow::release() {
    // Cleared first: members deleted now find no collector to leave.
    CPublicTrash* trash = m_publicTrash;
    m_publicTrash = nullptr;
    delete trash;
    delete m_timers;
    m_timers = nullptr;
    if (s_current == this || !s_current) CSound4::DestroySoundBuffer();
    releaseInput();
    delete m_scriptListeners;
    m_scriptListeners = nullptr;
}

void CWindow::startPollerThread() {
    auto thread = std::make_unique<platform::Thread>();
    if (thread->start([this](platform::Thread& self) { pollerLoop(self); })) m_pollerThread = std::move(thread);
}

void CWindow::stopPollerThread() {
    if (!m_pollerThread) return;
    m_pollerThread->stop();
    m_pollerThread->join();
    m_pollerThread.reset();
}

void CWindow::pollerLoop(platform::Thread& thread) {
    while (thread.sleep(kPollInterval)) {
        if (!thread.enter()) break;
        // A lock the host thread holds (it delivers signals, or changes the poller
        // list) skips this wake; the devices keep what came meanwhile.
        if (m_active && m_lock.try_lock()) {
            tickPollers();
            m_lock.unlock();
        }
        thread.leave();
    }
}

void CWindow::tickPollers() {
    for (int i = 0; m_pollers && i < m_pollers->getCount(); ++i)
        if (auto* poller = static_cast<CInputPoller*>(m_pollers->at(i))) poller->tick();
}

void CWindow::deliverSignals() {
    std::unique_lock<std::recursive_mutex> lock(m_lock, std::defer_lock);
    if (m_pollerThread) lock.lock();
    for (int i = 0; m_pollers && i < m_pollers->getCount(); ++i)
        if (auto* poller = static_cast<CInputPoller*>(m_pollers->at(i))) poller->flushSignals(true);
    for (int i = 0; m_scriptListeners && i < m_scriptListeners->getCount(); ++i)
        if (auto* listener = static_cast<CMC_Object*>(m_scriptListeners->CXArray::at(i))) listener->flush();
}

bool CWindow::domodal() {
    Tick();
    const bool applicationDone = m_application && m_application->domodal();
    return applicationDone || m_quit;
}

int CWindow::Tick() {
    Redraw(false);
    if (!m_pollerThread) tickPollers();
    if (m_timers) m_timers->domodal();
    // Playables step after the redraw and the timers; what they change is drawn next frame.
    if (m_application)
        if (CAnimationManager* manager = m_application->getAnimationManager()) manager->domodal();
    // Sounds that stopped since the last frame report their finish.
    if (m_application)
        if (CSoundManager* sounds = m_application->getSoundManager()) sounds->domodal();
    if (m_collisionInspector) m_collisionInspector->tick();
    deliverSignals();
    return 0;
}

int CWindow::Redraw(bool) { return 0; }

void CWindow::StartMusic(CXString name, bool) {
    if (!m_soundOn || !m_musicOn) return;
    const CXString fullName = rootPath + name;
    if (m_musicPlaying && m_musicFileName.equalsIgnoreCase(fullName)) return;
    m_musicFileName = fullName;
    m_musicPlaying = true;
}

void CWindow::StopMusic() { m_musicPlaying = false; }

int CWindow::OnCreate() {
    SetTimer(0, 1, nullptr, false);
    return 0;
}

int CWindow::OnInitialUpdate() { return 0; }

int CWindow::OnTimer(intptr_t) { return 0; }

int CWindow::OnActivateApp(bool active) {
    if (m_active == active) return 0;
    m_active = active;
    onInputActivation(active);
    if (!active) {
        if (m_pollerThread) m_pollerThread->pause();
        m_windowDragged = false;
    } else {
        m_windowDragged = false;
        if (m_pollerThread) m_pollerThread->resume();
    }
    return 0;
}

int CWindow::OnMove(int, int) { return 0; }

int CWindow::OnDestroy() {
    stopPollerThread();
    platform::postQuitMessage(0);
    return 0;
}

bool CWindow::OnExit() { return m_application ? m_application->OnExit() : true; }

const char* CWindow::errorText(int code) {
    switch (code) {
    case 0:
        return nullptr;
    case kErrorGraphics:
        return "Nieprawid\xB3owe dzia\xB3" "anie karty graficznej.";
    case kErrorSound:
        return "Nieprawid\xB3owe dzia\xB3" "anie karty d\x9Fwi\xEAkowej.";
    case kErrorNoGame:
        return "Nie mo\xBFna wczyta\xE6 gry.";
    default:
        return "Nieznany b\xB3" "ad krytyczny.";
    }
}

void CWindow::ShowError(CXString caption) {
    if (const char* text = errorText(LastError())) platform::messageBox().show(text, caption.c_str());
}

void CWindow::SetTimer(intptr_t id, unsigned int interval, CUnit6* unit, bool askUnit) {
    if (!m_timers) return;
    if (unit)
        m_timers->add(id, interval, unit, askUnit);
    else
        m_timers->add(id, interval, this);
}

void CWindow::KillTimer(intptr_t id) {
    if (m_timers) m_timers->remove(id);
}

// The poller thread walks the list under the lock, so changes take it too.
void CWindow::addIPoller(CInputPoller* poller) {
    std::lock_guard<std::recursive_mutex> lock(m_lock);
    if (m_pollers && poller && !m_pollers->contains(poller)) m_pollers->add(poller);
}

void CWindow::removeIPoller(CInputPoller* poller) {
    std::lock_guard<std::recursive_mutex> lock(m_lock);
    if (m_pollers) m_pollers->remove(poller);
}

void CWindow::removeAllIPollers() {
    std::lock_guard<std::recursive_mutex> lock(m_lock);
    if (m_pollers) m_pollers->removeAll();
}

void CWindow::registerMCListener(CMC_Object* listener) {
    if (m_scriptListeners && listener) m_scriptListeners->add(static_cast<void*>(listener));
}

void CWindow::removeMCListener(CMC_Object* listener) {
    if (m_scriptListeners) m_scriptListeners->remove(static_cast<void*>(listener));
}

CXString CWindow::GetSoundFXFullPath(CXString name) const {
    if (m_soundFXPath.getLength() == 0) return name;
    CXString full = m_soundFXPath;
    full += '\\';
    full += name;
    return full;
}

void CWindow::toLog(CXString, bool) {}

void CWindow::QuitOnError(CXObject*, CXString, CXString) {}

CXString CWindow::getCDPath() { return s_cdPath; }

void CWindow::setCDPath(CXString path) { s_cdPath = path; }

void set(CWindow* window, platform::InstanceHandle instance) {
    g_commandWindow = window;
    g_commandInstance = instance;
}

void OnWindowCommand(CWindow*, platform::InstanceHandle, int command) {
    constexpr int kQuit = 40001;
    constexpr int kRedraw = 40004;
    if (command == kQuit) {
        platform::postQuitMessage(0);
    } else if (command == kRedraw && g_commandWindow) {
        g_commandWindow->Redraw(false);
    }
}
