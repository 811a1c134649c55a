// The runner of the IMAGE type. Ids 1 to 72 are its own; every other id (the common
// methods among them) goes to the common runner.
//
// A method given fewer arguments than it reads does nothing and gives its empty result
// (FALSE or 0); an object without an engine image gives the same. Names of other
// objects are looked up in the calling container.
#pragma once
#include <cstdint>

#include "script/CMC_Runner.h"

class CImage;
class CMC_Image;
class CRefreshScreen;

class CMC_Image_Runner : public CMC_Runner {
public:
    enum : int {
        kShow = 1,
        kHide = 2,
        kSetPosition = 5,
        kMove = 6,
        kLoad = 7,
        kClearClipping = 8,
        kSetClipping = 9,
        kGetPositionX = 15,
        kGetPositionY = 16,
        kGetWidth = 17,
        kGetHeight = 18,
        kIsNear = 23,
        kIsInside = 24,
        kMonitorCollision = 26,
        kRemoveMonitorCollision = 27,
        kSetScaleFactor = 28,
        kSetPriority = 32,
        kGetAlpha = 33,
        kGetPixel = 34,
        kMergeAlpha = 36,
        kInvalidate = 37,
        kGetCenterX = 40,
        kGetCenterY = 41,
        kIsVisible = 48,
        kLink = 49,
        kSetAsButton = 50,
        kSetOpacity = 51,
        kSave = 52,
        kSetAnchor = 53,
        kFlipH = 54,
        kFlipV = 55,
        kResetFlips = 56,
        kDrawOnto = 57,
        kResetPosition = 58,
        kSetResetPosition = 59,
        kIsAt = 63,
        kGetOpacity = 64,
        kGetSlideComps = 65,
        kGetColorAt = 66,
        kGetColorRAt = 67,
        kGetColorGAt = 68,
        kGetColorBAt = 69,
        kMergeAlpha2 = 70,
        kReplaceColor = 71,
        kGetPriority = 72,
    };

    void prepareMthHashSet() override;
    using CMC_Runner::run;
    CMC_Variable* run(int id, CMC_Object* target, CMC_ObjectsContainer* container, CXVector* arguments) override;

    // The three 8-bit channels (0-255) of a pixel word and whether the word is 5-5-5.
    static int channelOf(uint16_t word, int channel, bool rgb555);

private:
    CMC_Variable* runImage(int id, CMC_Image* object, CImage* image, CMC_ObjectsContainer* container,
                           CXVector* arguments);
    CMC_Variable* isNear(CImage* image, CMC_ObjectsContainer* container, CXVector* arguments);
    void setClipping(CImage* image, CMC_ObjectsContainer* container, CXVector* arguments);
    void setAnchor(CImage* image, CXVector* arguments);
    void getSlideComps(CImage* image, CMC_ObjectsContainer* container, CXVector* arguments);
    void getColorAt(CImage* image, CMC_ObjectsContainer* container, CXVector* arguments);
    CMC_Variable* getColorChannelAt(CImage* image, int channel, CXVector* arguments);
    void replaceColor(CImage* image, CMC_ObjectsContainer* container, CXVector* arguments);
    void link(CImage* image, CMC_ObjectsContainer* container, CXVector* arguments);
};
