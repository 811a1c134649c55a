// The script application (type APPLICATION): the root of a game's script tree. Its
// sub-scenes are the game's episodes and the scenes listed directly under it. It
// enters the start sub-scene when the game starts, steps the tree each frame, ends
// the game on EXIT, returns to the start on RESTART and names another game on RELOAD.
// It owns its sub-scenes.
#pragma once
#include <memory>

#include "foundation/CXString.h"
#include "scene/CMC_Scene.h"
#include "script/CMC_Runner.h"
#include "shell/CScriptApplicationIfc.h"

class CCommandLine6;
class CXVersion;
class CMC_StructureParser;

class CMC_Application : public CMC_Scene, public CScriptApplicationIfc {
public:
    static constexpr int kType = kApplication;

    // Records the game's "VERSION" as "Version" under the engine key and the path
    // option, takes the episodes of "EPISODES" and the scenes of "SCENES" that no
    // earlier list took, chooses the start (STARTWITH names any scene or episode the
    // structure built, else the first sub-scene) and loads the application's own objects.
    CMC_Application(CWindow* window, CMC_StructureParser* parser, CMElement* element, CCommandLine6* commandLine);
    // Leaves the current sub-scene, releases the application's objects, deletes the
    // sub-scenes and the shared default unit.
    ~CMC_Application() override;

    // ---- the application object's side ----
    void initialize() override { initialize(nullptr); }
    bool domodal() override;
    CXString getNextGame() override { return m_nextGame; }
    // Writing "application.bin" comes with the application's binary image.
    void storeBinary() override {}
    // On the current episode's current scene, or on a scene entered directly.
    void onMusicLooped() override;

    using CMC_Scene::initialize;
    // Adds RANDOM, SYSTEM and the script-file loader, runs the objects' init and
    // "__INIT__", and enters the start sub-scene at once; false when there is none.
    bool initialize(CMC_Scene* left) override;
    using CMC_Scene::unload;
    // Leaves the current sub-scene ("ONDONE" first).
    void unload(CMC_Scene* next) override;
    void restart() override;
    CXString** getBehavioursList() override;
    CMC_Application* getMCApplication() override { return this; }

    // Asks the window to quit and raises "ONEXIT".
    void exit();
    void setNextGame(CXString name) { m_nextGame = name; }
    CMC_Scene* getStartScene() const { return m_startScene; }
    bool check4Upgrade(bool) { return false; }

private:
    CMC_Scene* m_startScene = nullptr;
    CCommandLine6* m_commandLine = nullptr;
    std::unique_ptr<CXVersion> m_requiredVersion;
    CXString m_nextGame;
};

class CMC_Application_Runner : public CMC_Runner {
public:
    enum : int { kExit = 1, kRestart = 2, kGoto = 3, kReload = 17 };

    void prepareMthHashSet() override;
    using CMC_Runner::run;
    CMC_Variable* run(int id, CMC_Object* target, CMC_ObjectsContainer* container, CXVector* arguments) override;
};
