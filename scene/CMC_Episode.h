// The script episode (type EPISODE): a scene whose sub-scenes are the scenes of one
// part of a game, in a fixed order. Scripts move between them with NEXT, PREV, BACK
// and GOTO; each only names the scene to enter at the episode's next step.
#pragma once

#include "foundation/CXString.h"
#include "scene/CMC_Scene.h"
#include "script/CMC_Runner.h"

class CMC_StructureParser;

class CMC_Episode : public CMC_Scene {
public:
    static constexpr int kType = kEpisode;

    // Takes the scenes of "SCENES" that no earlier list took, in order; STARTWITH
    // names the scene entered first, any the structure built before the episode (the
    // first of its scenes when it names none).
    CMC_Episode(CWindow* window, CMC_StructureParser* parser, CMElement* element);
    // For an episode read from a binary image.
    explicit CMC_Episode(CWindow* window);
    // Leaves the current scene, releases the episode's objects and deletes its scenes.
    ~CMC_Episode() override;

    using CMC_Scene::initialize;
    // Loads the episode's objects, runs their init and its own "__INIT__", and enters
    // the start scene at once; false when there is none.
    bool initialize(CMC_Scene* left) override;
    using CMC_Scene::unload;
    // Leaves the current scene ("ONDONE" first when handled) and remembers its name.
    void unload(CMC_Scene* next) override;
    CMC_Application* getMCApplication() override;
    // The episode's record of the application image: its scene record, the scene
    // count, the start index and each scene's record. Storing loads each scene's
    // objects from its definition file for its own image and lets them go again.
    void serialize(CXArchive* archive) override;
    // False once a read came up short or announced more scenes than bytes remain.
    bool isReadWhole() const { return m_readWhole; }

    void next();
    void prev();
    // The last but one entry of the history becomes pending; the last entry goes.
    void back();
    CXString getLatestScene() const { return m_latestScene; }
    CMC_Scene* getStartScene() const { return m_startScene; }
    void setStartScene(CMC_Scene* scene) { m_startScene = scene; }

private:
    CMC_Scene* m_startScene = nullptr;
    CXString m_latestScene;
    bool m_readWhole = true;
};

class CMC_Episode_Runner : public CMC_Runner {
public:
    enum : int { kNext = 1, kPrev = 2, kBack = 3, kRestart = 4, kGoto = 5, kGetLatestScene = 6, kGetCurrentScene = 7 };

    void prepareMthHashSet() override;
    using CMC_Runner::run;
    CMC_Variable* run(int id, CMC_Object* target, CMC_ObjectsContainer* container, CXVector* arguments) override;
};
