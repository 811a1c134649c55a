// The engine's central object through which the host drives the engine: it holds
// the static paths, the language, the command line and settings, the timer list and
// the deferred-delete collector, the input pollers and their thread, and runs the
// per-frame tick.
#pragma once
#include <atomic>
#include <cstdint>
#include <memory>
#include <mutex>
#include <vector>

#include "foundation/CWindowServices.h"
#include "foundation/CXObject.h"
#include "foundation/CXPoint.h"
#include "foundation/CXSize.h"
#include "foundation/CXString.h"
#include "graphics/core/CGraphicsWindowServices.h"
#include "platform/Handles.h"
#include "script/CScriptWindowServices.h"
#include "shell/CCommandLine6.h"
#include "shell/CPublicTrash.h"

namespace platform {
class Thread;
}

class CApplication;
class CBackgroundMusic;
class CCollisionInspector;
class CColor;
class CCommandLine6;
class CDXMouse;
class CKeyboard;
class CKeyListener;
class CMouseListener;
class CSortedVector;
class CConfig;
class CDirectDrawSurface;
class CGraphicsObject;
class CInputPoller;
class CLanguageOSVer;
class CMC_Object;
class CPublicTrash;
class CRefreshScreen;
class CSecondaryDisplay;
class CSurface;
class CUnit6;
class CXArray;
class CXTimer;
class CXVector;

class CWindow : public CXObject,
                public CWindowServices,
                public CScriptWindowServices,
                public CGraphicsWindowServices {
public:
    // Error codes that ShowError knows by text.
    static constexpr int kErrorGraphics = -998;
    static constexpr int kErrorSound = -997;
    static constexpr int kErrorNoGame = 3000;
    // Milliseconds between two wakes of the poller thread.
    static constexpr uint32_t kPollInterval = 16;

    // A window of no host window and no poller thread, for tests.
    CWindow();
    // The host's window, the command line, the language (both not owned), the
    // screen size, the main cursor, the executable's folder (with its trailing
    // "\") and whether to do without the poller thread (the tick then polls).
    CWindow(platform::WindowHandle window, CCommandLine6* commandLine, CLanguageOSVer* language, CXSize screenSize,
            platform::CursorHandle cursor, CXString exeFolder, bool noInputThread);
    // Stops and joins the poller thread, then releases everything.
    ~CWindow() override;
    CWindow(const CWindow&) = delete;
    CWindow& operator=(const CWindow&) = delete;

    // Draws the changed parts of the screen (always when forced, else only while
    // active); returns 0. Nothing to draw before the display exists.
    virtual int Redraw(bool force);
    // Adds the window's own 1 ms timer of id 0.
    virtual int OnCreate();
    virtual int OnInitialUpdate();
    // Called by a due window timer of the timer list; does nothing by default.
    int OnTimer(intptr_t id) override;
    // Activation: parks the poller thread while inactive and resumes it on return;
    // a repeated value changes nothing.
    virtual int OnActivateApp(bool active);
    // Stops and joins the poller thread and posts the quit request.
    virtual int OnDestroy();
    // Whether the window may close: the application's answer, true without one.
    virtual bool OnExit();
    virtual int OnMove(int x, int y);

    // The host's per-frame call: the tick, then the application's step; true when
    // that step or the quit flag ends the frames.
    bool domodal();
    // One frame of engine work; returns 0.
    int Tick();
    // Frees everything the window created (also done by the destructor).
    void release();
    // The start-up error box for a non-zero error code, under the caption.
    void ShowError(CXString caption);
    // The box text for an error code (Windows-1250); null for 0.
    static const char* errorText(int code);

    platform::WindowHandle GetHwnd() const { return m_hwnd; }
    CLanguageOSVer* getLangIfc() const override { return m_language; }
    // Tells the keyboard device to rebuild its character layout for the current
    // language; called when the language changes. Nothing to do without a keyboard.
    void initKeyboardLanguage() override;
    CApplication* GetApplicationInterface() const { return m_application; }
    void SetApplicationInterface(CApplication* application) { m_application = application; }
    // The process's command line (not owned); null until the host gives it.
    CCommandLine6* getCommandLineIfc() const override { return m_commandLine; }
    void setCommandLineIfc(CCommandLine6* commandLine) { m_commandLine = commandLine; }
    // The application's INI settings (not owned); null when no INI file was named.
    CConfig* getConfig() const override { return m_config; }
    void setConfig(CConfig* config) { m_config = config; }
    CXTimer* GetTimerInterface() const override { return m_timers; }
    // The deferred-delete collector (null while the window is being destroyed).
    CPublicTrash* getPublicTrashInterface() const override { return m_publicTrash; }
    platform::CursorHandle GetMainCursor() const { return m_mainCursor; }

    // Timers of the window's list: the unit is called (asked first with
    // askUnit), or the window's OnTimer for a null unit.
    void SetTimer(intptr_t id, unsigned int interval, CUnit6* unit, bool askUnit);
    void KillTimer(intptr_t id);

    // Input pollers (not owned), in the order added; a poller is added once.
    void addIPoller(CInputPoller* poller);
    void removeIPoller(CInputPoller* poller);
    void removeAllIPollers();
    CXArray* getPollers() const { return m_pollers; }
    // Script objects whose flush runs at the end of every tick (not owned).
    void registerMCListener(CMC_Object* listener);
    void removeMCListener(CMC_Object* listener);
    // The window's lock: held by the poller thread around the pollers' tick and by
    // the tick around the delivery of their signals.
    std::recursive_mutex* getCriticalSectionHandle() { return &m_lock; }
    // The poller thread, null when the window has none.
    platform::Thread* getPollerThread() const override { return m_pollerThread.get(); }

    bool isActive() const override { return m_active; }
    // Sets the active flag only.
    void Activate(bool active) { m_active = active; }
    // Ends the frames at the next domodal.
    void quit() { m_quit = true; }
    bool isQuit() const { return m_quit; }
    bool isWindowMode() const { return m_windowMode; }
    bool isWindowDragged() const { return m_windowDragged; }
    bool IsSoundOn() const { return m_soundOn; }
    bool IsMusicOn() const { return m_musicOn; }
    void SoundOn(bool on) { m_soundOn = on; }
    void MusicOn(bool on) { m_musicOn = on; }
    // The background music, streamed from the root path followed by the name. The
    // music that plays goes on when it has the same full name, letter case included;
    // any other name stops it and starts the new one. An empty name, or sound or music
    // switched off, starts nothing. Volume and pan in hundredths of a decibel,
    // frequency in Hz.
    virtual void StartMusic(CXString name, bool loop);
    virtual void StopMusic();
    bool isMusicPlaying() const;
    int getMusicVolume() const;
    void setMusicVolume(int volume);
    void setMusicPan(int pan);
    void setMusicFreq(int frequency);
    // The full name of the music started last; empty when none started.
    CXString getMusicFileName() const;
    CBackgroundMusic* getMusicInterface() const { return m_music; }
    // Counts a loop of streamed music; any thread may call it. The next tick raises
    // "ONMUSICLOOPED" once per loop on the scene being played then, after the sound
    // manager's step; loops counted while no scene plays are dropped.
    void musicLooped() { m_musicLoops.fetch_add(1, std::memory_order_relaxed); }
    // Drops the loops not raised yet: the music stopped or the scene changed, so they
    // belong to no scene being played (StopMusic and StartMusic call it once the
    // refills have stopped).
    void clearMusicLoops() { m_musicLoops.store(0, std::memory_order_relaxed); }
    int getPendingMusicLoops() const { return m_musicLoops.load(std::memory_order_relaxed); }
    // The display unit of the scene being played (not owned): the scene sets it when
    // it is entered and clears it when it is left; the screen's redraw asks it.
    void setCurrentUnit(CUnit6* unit) { m_currentUnit = unit; }
    CUnit6* getCurrentUnit() const { return m_currentUnit; }
    CGraphicsUnit* getGraphicsUnit() const override;
    CAnimationManager* getAnimationManager() const override;
    void SetSoundFXPath(CXString path) { m_soundFXPath = path; }
    CXString GetSoundFXPath() const { return m_soundFXPath; }
    // The sound-effects path, "\" and the name; the name alone without a path.
    CXString GetSoundFXFullPath(CXString name) const override;

    // ---- display ----
    // The display the graphics draw on: the screen surface, the back buffer every pass
    // draws into and the refresh screen. Null until the host creates the display; the
    // window owns what it creates. Tests may set the fields on a window of their own
    // (the window does not delete those).
    CSurface* GetSurface() const override { return m_surface; }
    // The "vmem" option: off-screen surfaces may be placed in video memory.
    bool isVMem() const override { return m_videoMemory; }
    CRefreshScreen* GetRefreshScreenInterface() const override { return m_refreshScreen; }
    CDirectDrawSurface* GetBackBuffer() const { return m_backBuffer; }
    // A windowed display in the host window's client area, of the constructor's size.
    // With a second window (not null) the screen is mirrored there after the "delay"
    // option's milliseconds. Returns the error code.
    int CreateSurface(platform::WindowHandle secondary);
    // The mirror on the second window; null unless CreateSurface made one.
    CSecondaryDisplay* getSecondaryDisplay() const { return m_secondaryDisplay; }
    // A full-screen display in the mode (a zero side takes the constructor's); the
    // display it replaces goes first. With the "pf" option the frames flip. Returns the
    // error code.
    int SetDisplayMode(CXSize size, int bpp);
    int SetDisplayMode(int width, int height, int bpp);
    // The screen's depth (15, 16, 24 for 32-bit pixels; 0 without a display) and pixels.
    int GetBpp() const override;
    char* GetScreenPtr() const;
    // The back buffer's size; the constructor's size before the display exists.
    CXSize GetScreenSize() const override;
    // Invalidate the whole refresh screen, a rectangle of it, or an object's area;
    // nothing without a refresh screen.
    void Invalidate() override;
    void Invalidate(CXRect* rect);
    void Invalidate(CGraphicsObject* g);
    // The refresh screen's background.
    void SetBackground(CGraphicsObject* g);
    void SetBackground(CColor* c);
    void SetBackground(CXString name);

    // The collision inspector exists once input is wired.
    CCollisionInspector* getCollisionInspectorInterface() const override { return m_collisionInspector; }

    // ---- Input: devices, listeners, dispatch, dragging, cursors ----------------
    CKeyboard* getKeyboardInterface() const { return m_keyboard; }
    // The mouse device; null when the window was built without one.
    CDXMouse* getDXMouseInterface() const { return m_dxMouse; }

    // Mouse listeners are asked from the highest priority down, among equal ones the
    // latest registered first. A listener is registered once (it keeps its priority).
    void registerMouseListener(CMouseListener* listener, int priority) override;
    void removeMouseListener(CMouseListener* listener) override;
    // Gives the listener the first turn at every mouse event (priority 1000000).
    void setMouseCaption(CMouseListener* listener);
    // Key listeners hear every key event in the order registered (twice when added twice).
    void registerKeyListener(CKeyListener* listener) override;
    void removeKeyListener(CKeyListener* listener) override;
    static constexpr int kCapturePriority = 1000000;

    // Mouse handlers: a point in client coordinates and a flag that must be 0. Each
    // offers the event to the hot spots and then to the mouse listeners; nothing
    // while the mouse is disabled.
    virtual int OnMouseMove(CXPoint point, int flags);
    virtual int OnLButtonDown(CXPoint point, int flags);
    virtual int OnLButtonUp(CXPoint point, int flags);
    virtual int OnLButtonDblClk(CXPoint point, int flags);
    virtual int OnMButtonDown(CXPoint point, int flags);
    virtual int OnMButtonUp(CXPoint point, int flags);
    virtual int OnRButtonDown(CXPoint point, int flags);
    virtual int OnRButtonUp(CXPoint point, int flags);
    // Key handlers: the scan code (or character) and the message flags. Key-downs are
    // dropped while no application exists.
    virtual int OnKeyDown(int key, int flags);
    virtual int OnKeyUp(int key, int flags);
    virtual int OnChar(int character, int flags);
    // The mouse switch; disabling shows the wait cursor, enabling the main one.
    void enableMouse(bool enabled);
    bool isMouseEnabled() const { return m_mouseEnabled; }

    // Window dragging: while dragged (active, window mode) a move places the window so
    // that the catch point stays under the pointer.
    void startDraggingWindow(CXPoint catchPoint);
    void stopDraggingWindow() { m_windowDragged = false; }
    CXPoint getCatchPoint() const { return m_catchPoint; }

    // Cursors: none changes while the cursor is locked.
    void SetCursor(platform::CursorHandle cursor);
    void SetActiveCursor(platform::CursorHandle cursor) { m_activeCursor = cursor; }
    void SetWaitCursor(platform::CursorHandle cursor) { m_waitCursor = cursor; }
    void BeginActiveCursor() override;
    void EndActiveCursor() override;
    void BeginWaitCursor();
    void EndWaitCursor();
    void SetMainCursor();
    void LockCursor() { m_cursorLocked = true; }
    void UnLockCursor() { m_cursorLocked = false; }
    // Shows the main cursor, then keeps BeginActiveCursor from acting while set.
    void lockActiveCursor(bool lock);
    bool isActiveCursorLocked() const { return m_activeCursorLocked; }
    void ShowCursor();
    void HideCursor();

    // The character of a scan code (letters, digits, space); 0 for the others.
    static char tranlateToChar(int scan);
    char keyToChar(int scan) const override { return tranlateToChar(scan); }
    // The mouse device's last position; false without the device.
    bool getMousePosition(CXPoint* position) const override;
    // The engine's negative key codes of the host's virtual keys; others unchanged.
    static int __get_virtualkey_code(int virtualKey, int flags);

    // The mouse clip that activation restores and deactivation releases; the script
    // mouse installs them.
    using ClipRestore = void (*)();
    using ClipReset = void (*)(bool clear);
    static void setMouseClipHandlers(ClipRestore restore, ClipReset reset);

    // The window's log; writes nothing anywhere.
    static void toLog(CXString text, bool flag);
    // Does nothing.
    static void QuitOnError(CXObject* object, CXString text, CXString caption);

    static CXString getCDPath();
    static void setCDPath(CXString path);
    // The process-wide pause flag that scripts set and read.
    static void pause() { s_paused = true; }
    static void resume() { s_paused = false; }
    static bool isPaused() { return s_paused; }
    // The most recently constructed window that still exists.
    static CWindow* getCurrentWindow() { return s_current; }

    // The executable's folder and the installation folder, both with a trailing "\".
    // Both are the strings foundation keeps (CEngineEnv::executableFolder(), CEngineEnv::rootPath).
    static CXString& exePath;
    static CXString& rootPath;

protected:
    platform::WindowHandle m_hwnd = nullptr;
    CLanguageOSVer* m_language = nullptr;
    CApplication* m_application = nullptr;
    CXSize m_screenSize;
    std::atomic<bool> m_quit{false};
    bool m_videoMemory = false;
    CCollisionInspector* m_collisionInspector = nullptr;
    CCommandLine6* m_commandLine = nullptr;
    platform::CursorHandle m_mainCursor = nullptr;
    CSurface* m_surface = nullptr;
    CRefreshScreen* m_refreshScreen = nullptr;
    bool m_soundOn = true;
    bool m_musicOn = true;
    bool m_windowMode = false;
    CXTimer* m_timers = nullptr;
    CXString m_soundFXPath;
    CXVector* m_scriptListeners = nullptr;
    CPublicTrash* m_publicTrash = nullptr;
    CXArray* m_pollers = nullptr;
    bool m_windowDragged = false;
    std::atomic<bool> m_active{false};
    CConfig* m_config = nullptr;
    CBackgroundMusic* m_music = nullptr;
    std::atomic<int> m_musicLoops{0};
    CUnit6* m_currentUnit = nullptr;

    // Input.
    CKeyboard* m_keyboard = nullptr;
    CDXMouse* m_dxMouse = nullptr;
    CXArray* m_keyListeners = nullptr;
    CSortedVector* m_mouseListeners = nullptr;
    bool m_mouseEnabled = true;
    CXPoint m_catchPoint;
    bool m_cursorLocked = false;
    platform::CursorHandle m_activeCursor = nullptr;
    platform::CursorHandle m_waitCursor = nullptr;
    bool m_activeCursorLocked = false;

    // Display: the back buffer, and whether the window made the display fields itself.
    CDirectDrawSurface* m_backBuffer = nullptr;
    bool m_ownsDisplay = false;
    CSecondaryDisplay* m_secondaryDisplay = nullptr;

private:
    // Steps shared by both constructors: timers, lists, collector.
    void createCommon();
    void startPollerThread();
    void stopPollerThread();
    void pollerLoop(platform::Thread& thread);
    void tickPollers();
    void deliverSignals();
    // The music loops counted since the last tick, raised on the scene being played.
    void raiseMusicLoops();
    // Display: the back buffer and refresh screen over a new surface; the dirty
    // rectangles (or a flip) to the screen; freeing what the window made.
    void createBackBufferAndScreen();
    void presentFrame();
    void releaseDisplay();

    // Input: the devices, lists and inspector; their release; activation's clip.
    void createInput(bool withMouse);
    void releaseInput();
    void onInputActivation(bool active);
    using MouseAsk = bool (*)(CMouseListener* listener, CXPoint point);
    int mouseEvent(int hotSpotCode, CXPoint point, int flags, MouseAsk first, MouseAsk second);
    bool askMouseListeners(CXPoint point, MouseAsk first, MouseAsk second);
    void dragWindow(CXPoint point);
    // Listeners removed while a walk runs are skipped for the rest of it.
    bool removedDuringWalk(const void* listener) const;
    int m_walkDepth = 0;
    std::vector<const void*> m_removedDuringWalk;

    std::recursive_mutex m_lock;
    std::unique_ptr<platform::Thread> m_pollerThread;

    static bool s_paused;
    static CWindow* s_current;
};

// The window-command functions: `set` stores the window and the program instance
// that OnWindowCommand serves; 40001 posts the quit request, 40004 redraws the
// stored window, every other command does nothing.
void set(CWindow* window, platform::InstanceHandle instance);
void OnWindowCommand(CWindow* window, platform::InstanceHandle instance, int command);
