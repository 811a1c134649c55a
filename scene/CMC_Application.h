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
    // Reads "application.bin" of the current folder (its episodes and their scenes),
    // then loads the application's own objects from its image. The value pools and
    // runners are its own: it releases them when it goes. isReadWhole tells whether
    // the file opened and read to the end of every record it announced.
    explicit CMC_Application(CWindow* window);
    // Leaves the current sub-scene, releases the application's objects, deletes the
    // sub-scenes and the shared default unit.
    ~CMC_Application() override;

    // ---- the application object's side ----
    void initialize() override { initialize(nullptr); }
    bool domodal() override;
    CXString getNextGame() override { return m_nextGame; }
    // Writes "application.bin" into the data folder, and with it every scene's own
    // image; the current folder is kept. An application with scenes directly under it
    // writes nothing (they would read back as episodes) and logs.
    void storeBinary() override;
    // The application image: its scene record, the sub-scene count, the start index
    // and each episode's record; reads or writes by the archive's direction.
    void serialize(CXArchive* archive) override;
    bool isReadWhole() const { return m_readWhole; }
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
    [[maybe_unused]] CCommandLine6* m_commandLine = nullptr;  // kept as the host hands it; not read yet
    std::unique_ptr<CXVersion> m_requiredVersion;
    CXString m_nextGame;
    bool m_ownsRuntime = false;
    bool m_readWhole = true;
};

class CMC_Application_Runner : public CMC_Runner {
public:
    enum : int {
        kExit = 1,
        kRestart = 2,
        kGoto = 3,
        kSetLanguage = 4,
        kGetLanguage = 5,
        kPrint = 6,
        kEnableMusic = 7,
        kDisableMusic = 8,
        kRun = 9,
        kStoreBinary = 10,
        kRunEnv = 11,
        kExistsEnv = 12,
        kStartDraggingWindow = 15,
        kStopDraggingWindow = 16,
        kReload = 17,
        kGetPlayer = 18
    };

    void prepareMthHashSet() override;
    using CMC_Runner::run;
    CMC_Variable* run(int id, CMC_Object* target, CMC_ObjectsContainer* container, CXVector* arguments) override;

    // RUN of the application and of a scene: argument 1 names an object in `scope`,
    // argument 2 a method of its runner, the rest are passed on. A behaviour with RUN
    // or RUNC (any case here; exactly, for a scene) runs for `owner` with the rest as
    // texts, RUNC testing its condition, and gives nothing. Short of two arguments, an
    // unknown name or an object without a runner: nothing.
    static CMC_Variable* runMethod(CMC_Runner* self, CMC_Object* owner, CMC_ObjectsContainer* scope,
                                   CXVector* arguments, bool exactBehaviourNames);

private:
    // PRINT: no argument (or two, three, five...) the whole screen; one, the named
    // graphics object's box (nothing when it names none); four, the rectangle.
    void print(CMC_Application* application, CMC_ObjectsContainer* container, CXVector* arguments);
};
