// The engine's central object through which the host drives the engine.
// Grows with the host shell; for now it holds the static paths, the log and the
// timer entry point that the foundation uses.
#pragma once
#include <cstdint>

#include "foundation/CXObject.h"
#include "foundation/CXString.h"

class CCollisionInspector;
class CCommandLine6;
class CConfig;
class CRefreshScreen;
class CSurface;
class CLanguageOSVer;
class CPublicTrash;
class CXTimer;
class CUnit6;

class CWindow : public CXObject {
public:
    CWindow();
    ~CWindow() override;
    // The window owns its timer list.
    CWindow(const CWindow&) = delete;
    CWindow& operator=(const CWindow&) = delete;

    // Called by a due window timer of the timer list; does nothing by default.
    virtual int OnTimer(intptr_t id);

    // Adds a timer to the window's list that calls the unit (asking it first when
    // askUnit is set) or, for a null unit, the window's OnTimer.
    void SetTimer(intptr_t id, unsigned int interval, CUnit6* unit, bool askUnit);
    // Removes the timer of that id.
    void KillTimer(intptr_t id);

    CLanguageOSVer* getLangIfc() const { return m_language; }
    // Tells the keyboard device to rebuild its character layout for the current
    // language; called when the language changes. Nothing to do without a keyboard.
    virtual void initKeyboardLanguage();
    CXTimer* GetTimerInterface() const { return m_timers; }
    // The deferred-delete collector (null while the window is being destroyed).
    CPublicTrash* getPublicTrashInterface() const { return m_publicTrash; }
    // The process's command line (not owned); null until the host sets it.
    CCommandLine6* getCommandLineIfc() const { return m_commandLine; }
    void setCommandLineIfc(CCommandLine6* commandLine) { m_commandLine = commandLine; }
    // The application's INI settings (not owned); null when no INI file was named.
    CConfig* getConfig() const { return m_config; }
    void setConfig(CConfig* config) { m_config = config; }

    // The display the graphics draw on. Null (and false) until the host creates the display;
    // the collision inspector exists once input is wired. Tests set the fields on a window of
    // their own.
    virtual CSurface* GetSurface() const { return m_surface; }
    virtual bool isVMem() const { return m_videoMemory; }
    virtual CRefreshScreen* GetRefreshScreenInterface() const { return m_refreshScreen; }
    virtual CCollisionInspector* getCollisionInspectorInterface() const { return m_collisionInspector; }

    // The window's log; writes nothing anywhere.
    static void toLog(CXString text, bool flag);

    static CXString getCDPath();
    static void setCDPath(CXString path);

    // The executable's folder and the installation folder, both with a trailing "\".
    static CXString exePath;
    static CXString rootPath;

protected:
    CLanguageOSVer* m_language = nullptr;
    CXTimer* m_timers = nullptr;
    CPublicTrash* m_publicTrash = nullptr;
    CCommandLine6* m_commandLine = nullptr;
    CConfig* m_config = nullptr;
    CSurface* m_surface = nullptr;
    bool m_videoMemory = false;
    CRefreshScreen* m_refreshScreen = nullptr;
    CCollisionInspector* m_collisionInspector = nullptr;

private:
    static CXString s_cdPath;
};
