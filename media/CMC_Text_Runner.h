// The runner of the TEXT type: text, font, colours, placement, clipping, drawing order
// and the word queries of the text graphic. A method given fewer arguments than its
// form reads does nothing.
#pragma once
#include "script/CMC_Runner.h"

class CMC_Text;
class CMultilineText6;

class CMC_Text_Runner : public CMC_Runner {
public:
    enum : int {
        kSetText = 1,
        kSetJustify = 2,
        kShow = 3,
        kHide = 4,
        kSetPosition = 5,
        kMove = 6,
        kLoad = 7,
        kClearClipping = 8,
        kSetClipping = 9,
        kGetPositionX = 10,
        kGetPositionY = 11,
        kGetWidth = 12,
        kGetHeight = 13,
        kIsNear = 14,
        kSetPriority = 15,
        kSetColor = 16,
        kDrawOnto = 17,
        kSetRect = 18,
        kSetTextDouble = 19,
        kSetOpacity = 20,
        kSetFont = 21,
        kGetWordAt = 22,
        kGetWordAtXY = 23,
        kGetWordPosX = 24,
        kGetWordPosY = 25,
        kSearch = 26,
        kSetWordColor = 27,
        kInvalidate = 28,
        kGetWordWidth = 29,
        kGetNumWords = 30,
    };

    void prepareMthHashSet() override;
    using CMC_Runner::run;
    CMC_Variable* run(int id, CMC_Object* target, CMC_ObjectsContainer* container, CXVector* arguments) override;

    // The value's text cut after the point and `decimals` characters (no rounding);
    // whole for a negative count or a text without a point.
    static CXString cutDecimals(CXString value, int decimals);

private:
    CMC_Variable* runOn(int id, CMC_Text* object, CMultilineText6* text, CMC_ObjectsContainer* container,
                        CXVector* arguments);
};
