#include "graphics/core/CColor.h"

#include <gtest/gtest.h>

TEST(CColor, TrueColourConvertsToBothPixelDepths) {
    struct Case {
        uint8_t r, g, b;
        int in15, in16;
    } cases[] = {
        {255, 255, 255, 0x7FFF, -1},
        {8, 4, 8, 0x0401, 0x0821},
        {200, 100, 50, 0x6586, -13530},  // 0xCB26 sign-extended
        {7, 7, 7, 0x0000, 0x0020},
        {0, 0, 0, 0, 0},
    };
    for (const Case& c : cases) {
        const CColor colour(c.r, c.g, c.b);
        EXPECT_EQ(colour.GetInBPP(15), c.in15) << int(c.r) << "," << int(c.g) << "," << int(c.b);
        EXPECT_EQ(colour.GetInBPP(16), c.in16) << int(c.r) << "," << int(c.g) << "," << int(c.b);
        EXPECT_EQ(static_cast<uint16_t>(colour.GetInBPP(16)), static_cast<uint16_t>(c.in16));
        // Four bytes or an int convert the same way; 24 and 32 leave the value.
        EXPECT_EQ(CColor(c.r, c.g, c.b, 77).GetInBPP(16), c.in16);
        EXPECT_EQ(colour.GetInBPP(24), colour.getPixel());
    }
}

TEST(CColor, ValueLayoutAndPixelModels) {
    // Memory order alpha, red, green, blue.
    EXPECT_EQ(CColor(0x11, 0x22, 0x33, 0x44).getPixel(), 0x33221144);
    EXPECT_EQ(CColor(0x11, 0x22, 0x33).getModel(), CM_RGB);
    EXPECT_EQ(CColor(0x1234).getModel(), CM_RGBA);
    // Pixels are sign-extended and never converted between the 16-bit layouts.
    const CColor p15(short(0x7FFF), CM_RGB15);
    EXPECT_EQ(p15.GetInBPP(16), 0x7FFF);
    EXPECT_EQ(CColor(short(0x8000), CM_RGB16).getPixel(), -32768);
    EXPECT_EQ(CColor().getModel(), CM_NONE);
}

TEST(CColor, EqualityConvertsTheRightHandSide) {
    const CColor pixel(short(0x0821), CM_RGB16);
    const CColor trueColour(8, 4, 8);
    EXPECT_TRUE(pixel == trueColour);
    EXPECT_FALSE(trueColour == pixel);
    EXPECT_TRUE(trueColour != pixel);
    EXPECT_TRUE(CColor(1, 2, 3) == CColor(1, 2, 3));
    EXPECT_FALSE(CColor(1, 2, 3) == CColor(1, 2, 4));
}
