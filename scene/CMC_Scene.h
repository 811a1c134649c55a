// The script scene (type SCENE): a named container of script objects that a game's
// structure file declares and the scene's own definition file (or binary image)
// fills each time the scene is entered. It is also the base of the episode and the
// application, which own sub-scenes: a parent keeps its entered sub-scene, the one
// a script asked for (entered at the parent's next step) and the history of entered
// sub-scenes. An entered scene runs on the shared default display unit, keeps its
// music name (falling back to its parents'), and adds its time and visits to the INI
// settings when it is left.
#pragma once
#include <cstdint>
#include <memory>
#include <vector>

#include "foundation/CXString.h"
#include "script/CMC_ObjectsContainer.h"
#include "shell/CUnit6.h"

class CCollisionInspector;
class CCollisionObserver;
class CGraphicsObject;
class CXArchive;
class CMElement;
class CMC_Application;
class CMC_DLLExModuleInterface;
class CMC_Array;
class CMC_ObjectGroup;
class CVersionizer;

class CMC_Scene : public CMC_ObjectsContainer, public CUnitScene {
public:
    static constexpr int kType = kScene;
    // Positions in the scene's event list.
    static constexpr int kRestartEventIndex = 4;

    // From a structure-file element: reads the scene's keys; the scene lists itself.
    CMC_Scene(CWindow* window, CMC_Scene* parent, CMElement* element, int type);
    // For a scene whose name, path and objects come from binary images.
    CMC_Scene(CWindow* window, int type);
    // Leaves the scene when it is still entered, releases its modules and lists;
    // deletes no sub-scene.
    ~CMC_Scene() override;
    CMC_Scene(const CMC_Scene&) = delete;
    CMC_Scene& operator=(const CMC_Scene&) = delete;

    // ---- script object ----
    CXString** getBehavioursList() override;
    using CMC_Object::onSignal;
    // The handlers of the key; without one, the object named "__" + key + "__" (here
    // or in a parent scope) runs as a behaviour. True when something ran.
    bool onSignal(CXString key) override;
    // The scene's part of the application's binary image (common part and path);
    // when storing, also the scene's own binary image in its folder.
    void serialize(CXArchive* archive) override;
    // Extension modules answer elements of TYPE words the engine does not know.
    CMC_Object* resolveEx(CMElement* element) override;

    // ---- extension modules ----
    void resolveDLLs(CXString names);
    void doneDLLs();
    // The first module's object for a binary record of an unknown type code, or null.
    CMC_Object* serializeEx(CXArchive* archive, int type);

    // ---- loading ----
    // Loads the definition file (name + ".cnv") or, for a binary scene, the binary
    // image (name + ".bin") of the current folder; true when an image was read.
    bool loadCnv();
    // The scene's binary image: DLLS, background, music, the record count and the
    // records (type code and serialized object) in creation order, without the
    // application, episodes, scenes, RANDOM, SYSTEM and the script-file loader.
    void writeImage(CXArchive* archive);
    // Reads an image written by writeImage into the scene, binds the behaviours'
    // conditions and builds the handlers; the objects are initialised by the scene's
    // entry (onInit). A type code that nothing builds ends the reading; what was read stays.
    void readImage(CXArchive* archive);
    // Lets go of what loadCnv loaded into a scene that is not entered (its objects and
    // its own handlers), where no script of it runs: the application image's writer.
    void releaseLoaded();

    // ---- entering, stepping, leaving ----
    // Enters the scene; `left` is the scene left for it (null when none).
    virtual bool initialize(CMC_Scene* left);
    // A pending change first, then the current sub-scene's step, then the events of
    // this container's finished downloads; the sub-scene's result.
    virtual bool domodal();
    // Asks every object of the download list to raise its finished downloads' events.
    void flushDownloads();
    using CMC_ObjectsContainer::unload;
    // Leaves the scene before `next` (null when none follows). Episodes and the
    // application leave their current sub-scene instead.
    virtual void unload(CMC_Scene* next);
    // The first sub-scene becomes pending; "ONRESTART" when handled.
    virtual void restart();
    // Changes at once: leaves `left` through this scene's unload, enters `target`
    // and appends it to the history.
    virtual void _goto(CMC_Scene* target, CMC_Scene* left);
    // Asks for a change at the next step: the sub-scene of that exact name, or none
    // (which cancels an earlier request).
    virtual void _goto(CXString name);
    // Adds the time since entering and one visit to the scene's INI section ("Time",
    // then "Played"); nothing to add when the scene was not entered.
    void saveStats();
    // init of every object in creation order; applications, episodes and scenes are
    // skipped, except the container itself when it is an application or an episode.
    virtual void onInit();

    // ---- music ----
    void startMusic(const char* name, bool force);
    void stopMusic();
    CXString getMusicFilename() override;
    bool shouldMusicBeStarted() override { return m_musicShouldStart; }

    // ---- tree ----
    // The application above (a scene's episode's application).
    virtual CMC_Application* getMCApplication();
    // The sub-scene of that exact name, or null.
    CMC_Scene* find(CXString name);
    using CMC_Object::getScene;
    // This scene or one below it of that exact name, depth first; null when none.
    CMC_Scene* getScene(CXString name);
    CMC_Scene* getCurrentScene() const { return m_current; }
    CMC_Scene* getPendingScene() const { return m_pending; }
    const std::vector<CMC_Scene*>& getSubScenes() const { return m_subScenes; }
    const std::vector<CMC_Scene*>& getHistory() const { return m_history; }
    int getSubId(CMC_Scene* scene) const;
    CMC_Scene* getParentScene() const;
    // Appends a sub-scene (not owned by the list) and makes this scene its parent.
    void addSubScene(CMC_Scene* scene);

    // ---- collision monitoring ----
    // Flags the object as monitored and keeps it; an object monitored already is left.
    // Registers the object and its observer with the window's collision inspector, once.
    // A kept object that is destroyed leaves the list at once.
    void monitorCollisions(CGraphicsObject* object, bool alpha, CCollisionObserver* observer);
    // Takes both out of the inspector and the object out of the list; the object's own
    // flag stays as it is.
    void removeMonitorCollisions(CGraphicsObject* object, CCollisionObserver* observer);
    const std::vector<CGraphicsObject*>& getMonitoredObjects() const { return m_monitored; }

    // ---- queries over the scene's objects (in the order of its table) ----
    // Appends to the array the name of every SEQUENCE whose playable plays; the array
    // is not emptied first.
    void getPlayingSeq(CMC_Array* array);
    // Resumes every paused SEQUENCE whose name the array holds.
    void resumeExcept(CMC_Array* array);
    // Empties the group, then adds every ANIMO whose animation plays.
    void getPlayingAnimo(CMC_ObjectGroup* group);
    // Empties the group, then adds every enabled TIMER.
    void getRunningTimers(CMC_ObjectGroup* group);
    // Empties the group, then adds every object of the type word (exact; a word of
    // no type adds nothing) registered here, in the order they were added.
    void getObjects(CXString typeWord, CMC_ObjectGroup* group);

    // ---- run-time creation ----
    // Makes the object of a kind for createObject (engine part and script object, scoped
    // in the given container and named), or null. Kinds register from their own files.
    using RuntimeCreator = CMC_Object* (*)(CMC_ObjectsContainer* scope, CXString name);
    static bool registerRuntimeKind(const char* kind, RuntimeCreator creator);
    // Creates an object of a registered kind (compared exactly, e.g. "VGO"), builds its
    // handlers in the current object scope and adds it here; other kinds do nothing.
    virtual void createObject(CXString kind, CXString name);

    // ---- fields ----
    bool isBinary() const { return m_binary; }
    bool isDeamon() const { return m_daemon; }
    bool isEntered() const { return m_entered; }
    CXString getDesc() const { return m_description; }
    // A scene sets no version of its own: always null.
    CVersionizer* getVersion() const { return m_version; }
    CXString getPath() const { return m_path; }
    void setPath(CXString path) { m_path = path; }
    CXString getBackground() const { return m_background; }
    CXString getModules() const { return m_modulesText; }
    CXString getMusic() const { return m_music; }
    CUnit6* getUnit() const { return m_unit; }
    void setUnit(CUnit6* unit) { m_unit = unit; }
    void setDraggedName(CXString name) { m_draggedName = name; }
    CXString getDraggedName() const { return m_draggedName; }

    // The shared default unit, made by the first scene constructed; null before.
    static CUnit6* getDefUnit() { return s_defUnit; }
    static void doneDefUnit();

protected:
    // Registers the scene, its parent's parent and its parent in its own tables, as
    // after construction; leaving empties them.
    void registerScopes();
    // The whole seconds of the engine's clock.
    static int32_t clockSeconds();
    // Runs the behaviour "__INIT__" found from `scope` (with its condition checked);
    // `ownOnly` looks only in this container.
    void runInit(bool ownOnly);

    std::vector<CMC_Scene*> m_subScenes;
    CMC_Scene* m_current = nullptr;
    CMC_Scene* m_pending = nullptr;
    std::vector<CMC_Scene*> m_history;

private:
    void createDefUnit(CWindow* window);
    // Takes the pictures of this scene's own objects off the screen, their places
    // invalidated, so that none is drawn once the scene is left.
    void takeGraphicsOffScreen();

    CXString m_modulesText;
    CXString m_description;
    CVersionizer* m_version = nullptr;
    CXString m_creationTime;
    CXString m_lastModifyTime;
    CXString m_author;
    CXString m_coauthors;
    CXString m_path;
    CXString m_background;
    CXString m_music;
    CUnit6* m_unit = nullptr;
    std::vector<CGraphicsObject*> m_monitored;
    // Watches the monitored objects' destruction.
    class MonitoredWatch;
    std::unique_ptr<MonitoredWatch> m_monitoredWatch;
    CCollisionInspector* collisionInspector() const;
    std::vector<CMC_DLLExModuleInterface*>* m_modules = nullptr;
    CXString m_draggedName;
    CXString m_previousUnitName;
    bool m_musicShouldStart = true;
    bool m_binary = false;
    bool m_daemon = false;
    // Entered and not left yet. Kept apart from the start time, which is 0 for an
    // entry in the clock's first second.
    bool m_entered = false;
    int32_t m_startTime = 0;

    static inline CUnit6* s_defUnit = nullptr;
};
