// The methods of ANIMO objects, ids 1 to 71 (id 14, the paused state, has no name);
// other ids go to the common runner. A method given fewer arguments than it reads
// does nothing and gives its empty result (FALSE, 0, "" or none).
#pragma once
#include "script/CMC_Runner.h"

class CMC_Animo_Runner : public CMC_Runner {
public:
    enum : int {
        kShow = 1,
        kHide,
        kPause,
        kResume,
        kSetPosition,
        kMove,
        kLoad,
        kClearClipping,
        kSetClipping,
        kPlay,
        kSetFrame,
        kStop,
        kIsPlaying,
        kIsPaused,
        kGetPositionX,
        kGetPositionY,
        kGetWidth,
        kGetHeight,
        kGetFrame,
        kGetFrameName,
        kGetFrameNo,
        kGetEventName,
        kIsNear,
        kIsInside,
        kPlayRand,
        kMonitorCollision,
        kRemoveMonitorCollision,
        kSetForward,
        kSetBackward,
        kNextFrame,
        kPrevFrame,
        kSetPriority,
        kGetAlpha,
        kGetPixel,
        kSetFPS,
        kMergeAlpha,
        kInvalidate,
        kGetCurrFramePosX,
        kGetCurrFramePosY,
        kGetCenterX,
        kGetCenterY,
        kGetNOE,
        kGetNOF,
        kGetNOFInEvent,
        kGetMaxWidth,
        kGetMaxHeight,
        kIsVisible,
        kGetCFrameInEvent,
        kSetAsButton,
        kSetOnFF,
        kSetOpacity,
        kSetVolume,
        kSetPan,
        kSetFreq,
        kSetAnchor,
        kSetFrameName,
        kGetPriority,
        kFlipH,
        kFlipV,
        kResetFlips,
        kDrawOnto,
        kPlayReverse,
        kNPlay,
        kIsAt,
        kGetOpacity,
        kGetAnchor,
        kGetEventNumber,
        kGetFPS,
        kReplaceColor,
        kGetEndX,
        kGetEndY,
    };
    static_assert(kGetEndY == 71);

    void prepareMthHashSet() override;
    using CMC_Runner::run;
    CMC_Variable* run(int id, CMC_Object* target, CMC_ObjectsContainer* container, CXVector* arguments) override;

    // The values passed on to the frame sounds (64-bit arithmetic saturated to 32 bits).
    static int volumeValue(int volume);
    static int panValue(int pan);
    // A colour packed in the screen's layout: 5-5-5 at depth 15, else 5-6-5.
    static int packColor(int bpp, int r, int g, int b);
};
