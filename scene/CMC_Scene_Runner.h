// The runner of SCENE objects: music, running methods and behaviours of objects named
// at run time (once per clone too), creating and removing objects, pausing and
// resuming the whole game, the hot spots' priority window and queries that fill
// arrays and groups. Names are looked up in the scene itself, whatever container the
// call came from. Its one state is the game's pause, one for every scene.
#pragma once

#include "script/CMC_Runner.h"

class CMC_Scene;

class CMC_Scene_Runner : public CMC_Runner {
public:
    enum : int {
        kStartMusic = 1,
        kStopMusic = 2,
        kGetDraggedName = 3,
        kGetPlayingSeq = 4,
        kRun = 5,
        kRunClones = 6,
        kCreateObject = 7,
        kRemove = 8,
        kRemoveClones = 9,
        kSetMusicVolume = 16,
        kGetMusicVolume = 17,
        kSetMusicPan = 18,
        kSetMusicFreq = 19,
        kPause = 20,
        kResume = 21,
        kSetMinHsPriority = 22,
        kSetMaxHsPriority = 23,
        kGetElementsNo = 24,
        kToTime = 25,
        kIsPaused = 26,
        kGetPlayingAnimo = 27,
        kResumeOnly = 28,
        kGetMinHsPriority = 29,
        kGetMaxHsPriority = 30,
        kGetRunningTimer = 31,
        kGetObjects = 32,
        kResumeSeqOnly = 33
    };

    void prepareMthHashSet() override;
    using CMC_Runner::run;
    CMC_Variable* run(int id, CMC_Object* target, CMC_ObjectsContainer* container, CXVector* arguments) override;

    bool isPaused() const { return m_paused; }

    // The music mappings: script units to hundredths of a decibel and back, in 64
    // bits and held to the 32-bit range.
    static int musicVolume(int value);
    static int scriptVolume(int volume);
    static int musicPan(int value);
    // Minutes and seconds as four digit fields ("0205" for 125; "0-10-5" for -65).
    static CXString toTime(int seconds);

private:
    void runClones(CMC_Scene* scene, CXVector* arguments);
    void removeClones(CMC_Scene* scene, CXVector* arguments);
    void pause(CMC_Scene* scene, CXVector* arguments);
    // RESUME, or RESUMEONLY with the group's name when `only`.
    void resume(CMC_Scene* scene, CXVector* arguments, bool only);

    bool m_paused = false;
};
