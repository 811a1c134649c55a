// The runner of the SOUND type: play, stop, pause, resume, load, volume, pan,
// frequency and the playing test. Ids 5 and 6 are not assigned and reach the common
// run. On an object without a sound (made by CREATE and never filled) every method of
// its own does nothing and gives FALSE.
#pragma once
#include "script/CMC_Runner.h"

class CMC_Sound_Runner : public CMC_Runner {
public:
    enum : int {
        kPlay = 1,
        kStop = 2,
        kPause = 3,
        kResume = 4,
        kLoad = 7,
        kSetVolume = 8,
        kSetPan = 9,
        kSetFreq = 10,
        kIsPlaying = 11,
    };

    void prepareMthHashSet() override;
    using CMC_Runner::run;
    CMC_Variable* run(int id, CMC_Object* target, CMC_ObjectsContainer* container, CXVector* arguments) override;
};
