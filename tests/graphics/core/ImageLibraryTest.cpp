#include "graphics/core/ImageLibrary.h"

#include <gtest/gtest.h>

#include <IL/il.h>
#include <IL/ilu.h>

#include <memory>
#include <vector>

#include "shell/CWindow.h"

// Every window asks for the library; it starts once and outlives the windows.
TEST(ImageLibrary, StartsOncePerProcessAndOutlivesItsWindows) {
    for (int i = 0; i < 2; ++i) {
        auto window = std::make_unique<CWindow>(nullptr, nullptr, nullptr, CXSize(64, 48), nullptr, CWindow::exePath,
                                                true);
        EXPECT_EQ(imagelib::starts(), 1);
    }
    imagelib::start();
    EXPECT_EQ(imagelib::starts(), 1);

    ILuint image = 0;
    ilGenImages(1, &image);
    ilBindImage(image);
    std::vector<unsigned char> pixels(4 * 4 * 3, 200);
    ASSERT_EQ(ilTexImage(4, 4, 1, 3, IL_RGB, IL_UNSIGNED_BYTE, pixels.data()), IL_TRUE);
    ASSERT_EQ(iluScale(8, 2, 1), IL_TRUE);
    EXPECT_EQ(ilGetInteger(IL_IMAGE_WIDTH), 8);
    EXPECT_EQ(ilGetInteger(IL_IMAGE_HEIGHT), 2);
    EXPECT_EQ(ilGetData()[0], 200);
    ilDeleteImages(1, &image);
}
