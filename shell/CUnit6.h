// The engine-side half of a running scene: what the scene puts on screen and plays
// while it runs. It names itself after the scene entered, keeps the background file
// name, the scene's resources (a manager nested in the application's general one)
// and the music it plays, carries the activity and first-update flags, and makes
// timer calls on the window's timer list on its own behalf.
#pragma once
#include <cstdint>
#include <vector>

#include "graphics/core/CGraphicsUnit.h"
#include "foundation/CXObject.h"
#include "foundation/CXString.h"

class CApplication;
class CMElements;
class CPlayable;
class CResourcesManager;
class CWindow;

// What a unit asks of the scene it runs.
class CUnitScene {
public:
    // Whether entering the scene asked for its music (false when the scene before
    // played the same one).
    virtual bool shouldMusicBeStarted() = 0;
    // The music the scene plays (its own, else its parents').
    virtual CXString getMusicFilename() = 0;

protected:
    ~CUnitScene() = default;
};

class CUnit6 : public CXObject, public CGraphicsUnit {
public:
    // Creates the unit's resources manager and nests it in the application's general
    // one when the window has an application.
    CUnit6(CWindow* window, CXString name);
    ~CUnit6() override;
    CUnit6(const CUnit6&) = delete;
    CUnit6& operator=(const CUnit6&) = delete;

    // A scene is entered with this unit; `parent` hands on its music name. Returns true.
    virtual bool initialize(CUnitScene* scene, CUnit6* parent);
    // The first redraw after entering: the scene's music starts (unforced).
    bool onInitialUpdate() override;
    // Every later redraw of the screen; does nothing here.
    void onCanvasRefreshed() override {}
    // Edit boxes come with the controls; until then the unit makes none.
    CEditBox6* addEditBox(CSimpleFont6*, CXRect, int, CXString) override { return nullptr; }
    void removeEditBox(CEditBox6*) override {}
    bool wasInitiallyUpdated() override;
    // True once a return code is set.
    virtual bool domodal();
    // The scene is left: the unit lets go of the scene and flushes its resources. The
    // music keeps playing; the scene decides whether it stops.
    virtual bool done(CUnitScene* scene, CUnit6* parent);
    virtual CWindow* getWindow() { return m_window; }
    bool isActive() override;
    // Starts `name` (the scene's music when null), looping, unless the scene asked
    // for no start and `force` is off. An empty name starts nothing, and a name that
    // plays already (the same name, letter case included) goes on.
    virtual void startMusic(const char* name, bool force);
    virtual void stopMusic();
    virtual CXString getMusicFileName() { return m_musicFileName; }
    virtual CXString getBackgroundFileName() { return m_backgroundFileName; }
    // Hands the background to the screen when the screen takes one.
    virtual void setBackground();
    // Called by a due unit timer; does nothing here.
    void onTimer(intptr_t id) override;
    virtual CResourcesManager* getResourcesManager() { return m_resources; }
    // Sees the definition elements of the scene before its objects are built;
    // returns them unchanged.
    virtual CMElements* resolveObjects(CUnitScene* scene, CMElements* elements);
    // Deletes the unit's edit boxes; the unit holds none yet.
    virtual void flushEditBoxes();
    // The unit's random player: a playable registered with a probability, a period
    // and the event to play. The unit keeps the registrations in order; nothing
    // plays them yet.
    virtual void addRandomPlayable(CPlayable* playable, double probability, int period, CXString event);
    // Drops every registration of the playable.
    virtual void removeRandomPlayable(CPlayable* playable);

    struct RandomPlayable {
        CPlayable* playable;
        double probability;
        int32_t period;
        CXString event;
    };
    const std::vector<RandomPlayable>& getRandomPlayables() const { return m_randomPlayables; }

    void setActivity(bool active) { m_active = active; }
    void setUnitName(CXString name) { m_unitName = name; }
    CXString getUnitName() { return m_unitName; }
    void setBackgroundFileName(CXString name) { m_backgroundFileName = name; }
    void setRetCode(int code) { m_retCode = code; }
    int getRetCode() const { return m_retCode; }
    CUnitScene* getScene() const { return m_scene; }

    // Adds a timer of the window's list that calls this unit (asking isActive and
    // wasInitiallyUpdated first when askUnit is set) / removes it.
    void setTimer(intptr_t id, unsigned int interval, bool askUnit);
    void killTimer(intptr_t id);

protected:
    CXString m_unitName;
    bool m_initiallyUpdated = false;
    CWindow* m_window = nullptr;
    bool m_active = false;
    CApplication* m_application = nullptr;
    CXString m_backgroundFileName;
    CUnitScene* m_scene = nullptr;
    int m_retCode = 0;
    CResourcesManager* m_resources = nullptr;
    CXString m_musicFileName;
    std::vector<RandomPlayable> m_randomPlayables;
};
