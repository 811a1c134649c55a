#include "shell/CWindow.h"

#include <vector>

#include "foundation/CEngineEnv.h"
#include "foundation/CFile.h"
#include "foundation/CPerformanceTimer.h"
#include "foundation/CXArray.h"
#include "foundation/CXTimer.h"
#include "foundation/CXVector.h"
#include "foundation/Crt.h"
#include "graphics/core/CGraphicsObject.h"
#include "graphics/core/ImageLibrary.h"
#include "graphics/input/CCollisionInspector.h"
#include "graphics/play/CAnimationManager.h"
#include "graphics/screen/CDirectDrawSurface.h"
#include "graphics/screen/CRefreshRegion.h"
#include "graphics/screen/CRefreshScreen.h"
#include "graphics/screen/CSecondaryDisplay.h"
#include "graphics/screen/CSurface.h"
#include "platform/Clock.h"
#include "platform/FileSystem.h"
#include "platform/MessageBox.h"
#include "platform/QuitMessage.h"
#include "platform/Thread.h"
#include "script/CMC_Object.h"
#include "shell/CApplication.h"
#include "shell/CBackgroundMusic.h"
#include "shell/CCommandLine6.h"
#include "shell/CInputPoller.h"
#include "shell/CPublicTrash.h"
#include "shell/CScriptApplicationIfc.h"
#include "shell/CSound4.h"
#include "shell/CSoundManager.h"
#include "shell/CUnit6.h"

CXString& CWindow::exePath = CEngineEnv::executableFolder();
CXString& CWindow::rootPath = CEngineEnv::rootPath;
bool CWindow::s_paused = false;
CWindow* CWindow::s_current = nullptr;

namespace {

constexpr int kListCapacity = 101;
constexpr float kLoadFactor = 0.75f;

// Foundation, script and graphics code reach a window's services through its handle.
const bool g_foundationServices =
    registerWindowServicesResolver([](CWindow* window) -> CWindowServices* { return window; });
const bool g_scriptServices = CScriptWindowServices::registerResolver(
    [](CWindow* window) -> CScriptWindowServices* { return window; });
const bool g_graphicsServices = CGraphicsWindowServices::registerResolver(
    [](CWindow* window) -> CGraphicsWindowServices* { return window; });

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
    imagelib::start();
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
    imagelib::start();
}

void CWindow::createCommon() {
    m_timers = new CXTimer(this);
    m_pollers = new CXArray(kListCapacity, kLoadFactor);
    m_scriptListeners = new CXVector(kListCapacity, kLoadFactor);
    m_publicTrash = new CPublicTrash(m_timers);
    CSound4::CreateDirectSoundInterface(this);
    m_music = new CBackgroundMusic(this);
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
    CGraphicsObject::ReleaseGraphics();
    // Cleared first: members deleted now find no collector to leave.
    CPublicTrash* trash = m_publicTrash;
    m_publicTrash = nullptr;
    delete trash;
    releaseDisplay();
    delete m_music;
    m_music = nullptr;
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

namespace {

std::vector<void*> snapshot(CXArray* list) {
    std::vector<void*> entries;
    for (int i = 0; list && i < list->getCount(); ++i)
        if (void* entry = list->at(i)) entries.push_back(entry);
    return entries;
}

}  // namespace

void CWindow::deliverSignals() {
    std::unique_lock<std::recursive_mutex> lock(m_lock, std::defer_lock);
    if (m_pollerThread) lock.lock();
    // Handlers run here may add or remove entries (a JOYSTICK deleted by its own event):
    // each list is walked from a copy, asking whether an entry is still there before its turn.
    for (void* entry : snapshot(m_pollers))
        if (m_pollers && m_pollers->contains(entry)) static_cast<CInputPoller*>(entry)->flushSignals(true);
    for (void* entry : snapshot(m_scriptListeners))
        if (m_scriptListeners && m_scriptListeners->CXArray::contains(entry)) static_cast<CMC_Object*>(entry)->flush();
}

bool CWindow::domodal() {
    Tick();
    const bool applicationDone = m_application && m_application->domodal();
    return applicationDone || m_quit;
}

int CWindow::Tick() {
    Redraw(false);
    if (m_secondaryDisplay) m_secondaryDisplay->redraw();
    if (!m_pollerThread) tickPollers();
    if (m_timers) m_timers->domodal();
    // Playables step after the redraw and the timers; what they change is drawn next frame.
    if (m_application)
        if (CAnimationManager* manager = m_application->getAnimationManager()) manager->domodal();
    // Sounds that stopped since the last frame report their finish.
    if (m_application)
        if (CSoundManager* sounds = m_application->getSoundManager()) sounds->domodal();
    raiseMusicLoops();
    if (m_collisionInspector) m_collisionInspector->tick();
    deliverSignals();
    return 0;
}

int CWindow::Redraw(bool force) {
    if (!force && !m_active) return 0;
    if (!m_refreshScreen || !m_backBuffer || !m_surface) return 0;
    bool reset = false;
    if (m_refreshScreen->Redraw(m_backBuffer, m_surface, &reset)) presentFrame();
    if (reset) Invalidate();
    return 0;
}

void CWindow::raiseMusicLoops() {
    int loops = m_musicLoops.exchange(0, std::memory_order_relaxed);
    // The script application finds the scene being played at each raise.
    CScriptApplicationIfc* game = m_application ? m_application->getScriptApplication() : nullptr;
    for (; game && loops > 0; --loops) {
        game->onMusicLooped();
        game = m_application ? m_application->getScriptApplication() : nullptr;
    }
}

void CWindow::StartMusic(CXString name, bool loop) {
    if (!m_music || !m_soundOn || !m_musicOn || !name.IsString()) return;
    const CXString fullName = rootPath + name;
    if (m_music->isPlaying() && m_music->getFileName() == fullName) return;
    m_music->stop();
    clearMusicLoops();
    m_music->start(fullName, loop);
}

void CWindow::StopMusic() {
    if (m_music) m_music->stop();
    clearMusicLoops();
}

bool CWindow::isMusicPlaying() const { return m_music && m_music->isPlaying(); }

int CWindow::getMusicVolume() const { return m_music ? m_music->getVolume() : 0; }

void CWindow::setMusicVolume(int volume) {
    if (m_music) m_music->setVolume(volume);
}

void CWindow::setMusicPan(int pan) {
    if (m_music) m_music->setPan(pan);
}

void CWindow::setMusicFreq(int frequency) {
    if (m_music) m_music->setFreq(frequency);
}

CXString CWindow::getMusicFileName() const { return m_music ? m_music->getFileName() : CXString(); }

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
        if (m_refreshScreen) m_refreshScreen->onFocusOff();
        m_windowDragged = false;
    } else {
        m_windowDragged = false;
        if (m_refreshScreen) m_refreshScreen->onFocusOn();
        if (m_pollerThread) m_pollerThread->resume();
    }
    return 0;
}

int CWindow::OnMove(int x, int y) {
    if (!m_windowMode || !m_refreshScreen) return 0;
    m_refreshScreen->SetPosition(x, y);
    m_refreshScreen->Invalidate(static_cast<CXRect*>(nullptr));
    return 0;
}

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

// ---- display ----

void CWindow::createBackBufferAndScreen() {
    m_backBuffer = new CDirectDrawSurface(this, m_surface->GetBackBufferInterface(), m_surface->GetScreenSize(),
                                          m_surface->GetBPP());
    m_refreshScreen = new CRefreshScreen(this, false);
}

int CWindow::CreateSurface(platform::WindowHandle secondary) {
    releaseDisplay();
    m_ownsDisplay = true;
    m_surface = new CSurface(m_hwnd, m_screenSize);
    setErrorCode(m_surface->LastError());
    if (LastError() != 0) return LastError();
    createBackBufferAndScreen();
    // The software screen is the client area itself, so the canvas sits at its origin.
    m_refreshScreen->SetPosition(0, 0);
    if (secondary) {
        m_secondaryDisplay = new CSecondaryDisplay(secondary, this, m_commandLine ? m_commandLine->getDelay() : 0);
        m_surface->setSecondaryDisplay(m_secondaryDisplay);
    }
    return LastError();
}

int CWindow::SetDisplayMode(CXSize size, int bpp) { return SetDisplayMode(size.cx, size.cy, bpp); }

int CWindow::SetDisplayMode(int width, int height, int bpp) {
    CXSize size(width ? width : m_screenSize.cx, height ? height : m_screenSize.cy);
    releaseDisplay();
    m_ownsDisplay = true;
    const bool flipping = m_commandLine && m_commandLine->isPageFlippingEnabled();
    m_surface = new CSurface(size, bpp, m_hwnd, flipping);
    setErrorCode(m_surface->LastError());
    if (LastError() != 0) {
        delete m_surface;
        m_surface = nullptr;
        return LastError();
    }
    createBackBufferAndScreen();
    return LastError();
}

void CWindow::releaseDisplay() {
    if (m_ownsDisplay) {
        // The canvas first: its objects let go of the back buffer they last drew into.
        delete m_refreshScreen;
        if (m_surface) m_surface->setSecondaryDisplay(nullptr);
        delete m_secondaryDisplay;
        delete m_backBuffer;
        delete m_surface;
    }
    m_secondaryDisplay = nullptr;
    m_refreshScreen = nullptr;
    m_backBuffer = nullptr;
    m_surface = nullptr;
    m_ownsDisplay = false;
}

void CWindow::presentFrame() {
    if (m_surface->IsFlippingEnabled()) {
        // Each pass repaints the whole region, which a swap of the buffers needs.
        m_surface->Flip();
        return;
    }
    CRefreshRegion* list = m_refreshScreen->getRefreshList();
    const CXRect whole(0, 0, m_backBuffer->Width(), m_backBuffer->Height());
    // The primary is the client area: the rectangles keep their coordinates.
    for (int i = 0; i < list->getCount(); ++i) {
        const CXRect* r = list->rectAt(i);
        CXRect part = r ? r->Common(whole) : whole;
        if (!part.IsProper()) continue;
        m_surface->Blt(m_backBuffer, part.left, part.top, &part);
    }
    list->removeAll();
}

int CWindow::GetBpp() const { return m_surface ? m_surface->GetBPP() : 0; }

char* CWindow::GetScreenPtr() const { return m_surface ? m_surface->GetScreenPtr() : nullptr; }

CXSize CWindow::GetScreenSize() const { return m_backBuffer ? m_backBuffer->Size() : m_screenSize; }

void CWindow::Invalidate() {
    if (m_refreshScreen) m_refreshScreen->Invalidate(static_cast<CXRect*>(nullptr));
}

void CWindow::Invalidate(CXRect* rect) {
    if (m_refreshScreen) m_refreshScreen->Invalidate(rect);
}

void CWindow::Invalidate(CGraphicsObject* g) {
    if (m_refreshScreen) m_refreshScreen->Invalidate(g);
}

void CWindow::SetBackground(CGraphicsObject* g) {
    if (m_refreshScreen) m_refreshScreen->SetBackground(g);
}

void CWindow::SetBackground(CColor* c) {
    if (m_refreshScreen) m_refreshScreen->SetBackground(c);
}

void CWindow::SetBackground(CXString name) {
    if (m_refreshScreen) m_refreshScreen->SetBackground(name);
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

CGraphicsUnit* CWindow::getGraphicsUnit() const { return m_currentUnit; }

CAnimationManager* CWindow::getAnimationManager() const {
    return m_application ? m_application->getAnimationManager() : nullptr;
}

CXString CWindow::GetSoundFXFullPath(CXString name) const {
    if (m_soundFXPath.getLength() == 0) return name;
    CXString full = m_soundFXPath;
    full += '\\';
    full += name;
    return full;
}

void CWindow::toLog(CXString text, bool flag) { CEngineEnv::toLog(text, flag); }

void CWindow::QuitOnError(CXObject*, CXString, CXString) {}

CXString CWindow::getCDPath() { return CEngineEnv::cdPath; }

void CWindow::setCDPath(CXString path) { CEngineEnv::cdPath = path; }

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
