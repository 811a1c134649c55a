// The PNG layer: pictures written and read back in both channel counts, the
// conversions between them, and the files and pictures it refuses.
#include "platform/Png.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "platform/FileSystem.h"
#include "support/TempDir.h"

namespace {

platform::PngPicture picture(int32_t w, int32_t h, int32_t channels, std::vector<uint8_t> pixels) {
    platform::PngPicture p;
    p.width = w;
    p.height = h;
    p.channels = channels;
    p.pixels = std::move(pixels);
    return p;
}

TEST(Png, PicturesReadBackInEitherChannelCount) {
    test::TempDir dir;
    const std::string rgb = dir.path() + "/rgb.png";
    const std::string rgba = dir.path() + "/rgba.png";
    ASSERT_TRUE(platform::writePng(rgb, picture(2, 1, 3, {10, 20, 30, 250, 240, 230})));
    ASSERT_TRUE(platform::writePng(rgba, picture(2, 1, 4, {10, 20, 30, 255, 200, 100, 50, 0})));
    struct Case {
        const std::string* path;
        int32_t channels;
        std::vector<uint8_t> pixels;
    } cases[] = {
        {&rgb, 3, {10, 20, 30, 250, 240, 230}},
        {&rgb, 4, {10, 20, 30, 255, 250, 240, 230, 255}},  // opaque: alpha 255
        {&rgba, 4, {10, 20, 30, 255, 200, 100, 50, 0}},
        {&rgba, 3, {10, 20, 30, 0, 0, 0}},  // composed over black
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(*c.path + " as " + std::to_string(c.channels));
        platform::PngPicture back;
        std::string error;
        ASSERT_TRUE(platform::readPng(*c.path, c.channels, &back, &error)) << error;
        EXPECT_EQ(back.width, 2);
        EXPECT_EQ(back.height, 1);
        EXPECT_EQ(back.channels, c.channels);
        EXPECT_EQ(back.pixels, c.pixels);
    }
}

TEST(Png, RefusesWhatItCannotReadOrWrite) {
    test::TempDir dir;
    const std::string path = dir.path() + "/p.png";
    std::string error;
    EXPECT_FALSE(platform::writePng(path, picture(2, 2, 3, {1, 2, 3}), &error));
    EXPECT_NE(error.find("no picture"), std::string::npos);
    EXPECT_FALSE(platform::writePng(path, picture(1, 1, 2, {1, 2})));
    EXPECT_FALSE(platform::writePng(dir.path() + "/missing/p.png", picture(1, 1, 3, {1, 2, 3}), &error));

    ASSERT_TRUE(platform::writePng(path, picture(3, 2, 3, std::vector<uint8_t>(18, 7))));
    platform::PngPicture back;
    // Sides above the caller's bound are refused; a truncated or missing file fails with a message.
    EXPECT_FALSE(platform::readPng(path, 3, &back, &error, 2));
    EXPECT_NE(error.find("size out of range"), std::string::npos);
    EXPECT_TRUE(platform::readPng(path, 3, &back, &error, 3));
    EXPECT_FALSE(platform::readPng(path, 2, &back, &error));
    dir.write("cut.png", dir.read("p.png").substr(0, 40));
    error.clear();
    EXPECT_FALSE(platform::readPng(dir.path() + "/cut.png", 4, &back, &error));
    EXPECT_FALSE(error.empty());
    EXPECT_FALSE(platform::readPng(dir.path() + "/none.png", 4, &back, &error));
}

TEST(Png, AFullDiskKeepsTheOldFileAndLeavesNoTemporary) {
    test::TempDir dir;
    dir.write("last.png", "the old picture");
    const std::string path = dir.path() + "/last.png";
    std::string error;
    platform::setFreeSpaceLimit(40);  // the header fits, the pixels and the end do not
    const bool written = platform::writePng(path, picture(8, 8, 3, std::vector<uint8_t>(192, 9)), &error);
    platform::clearFreeSpaceLimit();
    EXPECT_FALSE(written);
    EXPECT_EQ(error, path + ": No space left on device");
    EXPECT_EQ(dir.read("last.png"), "the old picture");
    EXPECT_FALSE(dir.hasTemporaryOf("last.png"));
}

}  // namespace
