// The runner of the FONT type: colour, family, style and size of the collection, and
// the height of its base font. SETSTYLE sets the collection's family and SETFAMILY its
// style, as scripts expect.
#pragma once
#include "script/CMC_Runner.h"

class CMC_Font_Runner : public CMC_Runner {
public:
    enum : int { kSetColor = 1, kSetStyle = 2, kSetFamily = 3, kSetSize = 4, kGetHeight = 5 };

    void prepareMthHashSet() override;
    using CMC_Runner::run;
    CMC_Variable* run(int id, CMC_Object* target, CMC_ObjectsContainer* container, CXVector* arguments) override;

    // The colour of red, green and blue (0-255) in the pixel layout of the container's
    // screen (15: 5-5-5, otherwise 5-6-5), as a signed 16-bit value.
    static int screenColor(CMC_ObjectsContainer* container, int red, int green, int blue);
};
