// The runner of SEQUENCE: PLAY (an element by name, with an optional parameter text
// or an ARRAY of child codes for its pattern's "x" places), STOP, PAUSE, RESUME, SHOW,
// HIDE, ISPLAYING, SETVOLUME, SETPAN, SETFREQ, GETEVENTNAME and GETPLAYING, all on the
// tree's root. Without a tree every method does nothing (FALSE, "").
#pragma once
#include "script/CMC_Runner.h"

class CMC_Sequence_Runner : public CMC_Runner {
public:
    enum : int {
        kPlay = 1,
        kStop = 2,
        kPause = 3,
        kResume = 4,
        kShow = 5,
        kHide = 6,
        kIsPlaying = 7,
        kSetVolume = 8,
        kSetPan = 9,
        kSetFreq = 10,
        kGetEventName = 11,
        kGetPlaying = 12,
    };

    void prepareMthHashSet() override;
    using CMC_Runner::run;
    CMC_Variable* run(int id, CMC_Object* target, CMC_ObjectsContainer* container, CXVector* arguments) override;

    // The parameter PLAY gives: the pattern with its first "x"/"X" places (as many as
    // the array has elements at most) replaced by the codes of the array's values.
    static CXString fillPattern(CXString pattern, const int* values, int count);
};
