// What a scene being played has around it, for tests that load scenes into a script
// world: an application on the world's window and the shared default unit entered.
// Scenes handed to `keep` are unloaded before the unit leaves; the unit goes before
// the application.
#pragma once
#include <memory>
#include <vector>

class CApplication;
class CMC_ObjectsContainer;
class CMC_Scene;

namespace test {

class ScriptWorld;

class DefaultUnitStage {
public:
    explicit DefaultUnitStage(ScriptWorld& world);
    ~DefaultUnitStage();
    DefaultUnitStage(const DefaultUnitStage&) = delete;
    DefaultUnitStage& operator=(const DefaultUnitStage&) = delete;

    // The scene, kept for the end; null stays null.
    CMC_ObjectsContainer* keep(CMC_ObjectsContainer* scene);
    // Unloads the kept scenes now and forgets them.
    void unloadKept();
    // The pointer moved there, or the left button pressed or let go, and two 16 ms
    // frames: the second draws what the first delivered.
    void pointer(int x, int y);
    void left(bool down);

    std::unique_ptr<CApplication> application;
    // The first scene made creates the shared default unit.
    std::unique_ptr<CMC_Scene> unitMaker;

private:
    ScriptWorld& m_world;
    std::vector<CMC_ObjectsContainer*> m_scenes;
};

}  // namespace test
