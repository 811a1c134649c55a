// What the application object uses of a game's script side: the script
// application and the structure-file parser that builds it. The scene subsystem
// provides them through a factory it installs; without a factory no game loads.
#pragma once

#include "foundation/CXString.h"

class CWindow;

class CScriptApplicationIfc {
public:
    virtual ~CScriptApplicationIfc() = default;
    // Creates the system objects, runs start-up and enters the first episode and scene.
    virtual void initialize() = 0;
    // One step of the game; true when a script named another game.
    virtual bool domodal() = 0;
    // The folder name of the game a script named.
    virtual CXString getNextGame() = 0;
    // Writes the game's binary image ("application.bin") into the current folder.
    virtual void storeBinary() = 0;
    // Raises "ONMUSICLOOPED" on the scene being played; nothing without one.
    virtual void onMusicLooped() {}
};

class CStructureParserIfc {
public:
    virtual ~CStructureParserIfc() = default;
    // The script application built from the structure file, or null when parsing
    // failed. The caller owns it and deletes it before the parser.
    virtual CScriptApplicationIfc* getMCApplication() = 0;
};

class CScriptApplicationFactory {
public:
    virtual ~CScriptApplicationFactory() = default;
    // The script application of "application.bin" in the current folder, or null.
    virtual CScriptApplicationIfc* createApplication(CWindow* window) = 0;
    // A parser that has read the named structure file of the current folder.
    virtual CStructureParserIfc* createStructureParser(CWindow* window, CXString fileName) = 0;

    // The factory in force (not owned); null until one is installed.
    static CScriptApplicationFactory* get();
    static void set(CScriptApplicationFactory* factory);
};
