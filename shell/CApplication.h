// The host-side application shell: it owns the packed big file, the INI settings,
// the general resources manager and the game's script application; it loads the
// game before the first frame and, each frame, runs the script application's step
// and switches to another game when a script names one.
#pragma once

#include "foundation/CXObject.h"
#include "foundation/CXString.h"

class CAnimationManager;
class CSoundManager;
class CCommandLine6;
class CConfig;
class CResourcesManager;
class CScriptApplicationIfc;
class CStructureParserIfc;
class CWindow;

class CApplication : public CXObject {
public:
    // The file every game's structure is read from, and its binary image.
    static constexpr const char* kStructureFile = "application.def";
    static constexpr const char* kBinaryFile = "application.bin";

    // Opens the big file when named, registers with the window and opens the INI
    // settings when named: a relative name lies in the window's root folder. The
    // window reads the settings through its getConfig.
    CApplication(CWindow* window, CXString bigFileName, CXString configName, CCommandLine6* commandLine);
    ~CApplication() override;
    CApplication(const CApplication&) = delete;
    CApplication& operator=(const CApplication&) = delete;

    // Loads and starts the game from the command line's path; error code 3000 when
    // no script application results. The argument has no effect.
    virtual void preinitializeApplication(bool flag);
    // The per-frame step; always false.
    virtual bool domodal();
    virtual bool OnExit();
    virtual void OnWindowCommand(int command);
    virtual int OnKeyDown(int key, int flags);
    virtual CXString getWAVPath(CXString name);

    CResourcesManager* getGeneralResourcesManager() const { return m_resources; }
    CConfig* getConfig() const { return m_config; }
    CScriptApplicationIfc* getScriptApplication() const { return m_scriptApplication; }
    // The playables that step by themselves; the window's tick steps it.
    CAnimationManager* getAnimationManager() const { return m_animationManager; }
    CSoundManager* getSoundManager() const { return m_soundManager; }

private:
    // The disc path and the window's sound-effects path from the current folder.
    void setGamePaths();
    // Builds the script application from the structure file of the current folder.
    void parseStructure();
    void deleteScriptApplication();

    CWindow* m_window;
    CCommandLine6* m_commandLine;
    CConfig* m_config = nullptr;
    CResourcesManager* m_resources = nullptr;
    CXString m_bigFileName;
    CXString m_configName;
    CScriptApplicationIfc* m_scriptApplication = nullptr;
    CStructureParserIfc* m_structureParser = nullptr;
    CAnimationManager* m_animationManager = nullptr;
    CSoundManager* m_soundManager = nullptr;
};
