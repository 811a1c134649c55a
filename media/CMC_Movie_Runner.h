// The runner of the MOVIE type: load, position, play, stop, loop, seek, the playing
// test, pause and resume. Other ids reach the common run.
#pragma once
#include "script/CMC_Runner.h"

class CMoviePlayable;

class CMC_Movie_Runner : public CMC_Runner {
public:
    enum : int {
        kLoad = 1,
        kSetPosition = 2,
        kPlay = 3,
        kStop = 4,
        kSetLoop = 5,
        kSeek = 6,
        kIsPlaying = 7,
        kPause = 8,
        kResume = 9,
    };

    void prepareMthHashSet() override;
    using CMC_Runner::run;
    CMC_Variable* run(int id, CMC_Object* target, CMC_ObjectsContainer* container, CXVector* arguments) override;

private:
    // The movie closes what it shows and opens the named file; whether it opened.
    CMC_Variable* load(CMoviePlayable* movie, CXVector* arguments);
};
