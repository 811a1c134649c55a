#include "tools/ImageConverter.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "graphics/image/CImage.h"
#include "support/TempDir.h"
#include "platform/Png.h"

namespace {

platform::PngPicture picture(int w, int h, bool opaque) {
    platform::PngPicture image;
    image.width = w;
    image.height = h;
    for (int i = 0; i < w * h; ++i)
        for (int c = 0; c < 4; ++c)
            image.pixels.push_back(c == 3 && opaque ? 255 : static_cast<uint8_t>(i * 53 + c * 71 + 9));
    return image;
}

uint16_t expected(const uint8_t* rgba, int depth) {
    if (depth == 15) return static_cast<uint16_t>((rgba[0] >> 3) << 10 | (rgba[1] >> 3) << 5 | rgba[2] >> 3);
    return static_cast<uint16_t>((rgba[0] >> 3) << 11 | (rgba[1] >> 2) << 5 | rgba[2] >> 3);
}

}  // namespace

TEST(ImageConverter, PngLoadsBackPixelForPixel) {
    test::TempDir dir;
    std::string error;
    for (bool opaque : {false, true})
        for (int depth : {15, 16})
            for (int code : {0, 4}) {
                SCOPED_TRACE(std::to_string(depth) + (opaque ? " opaque" : " alpha") + " code " + std::to_string(code));
                const platform::PngPicture png = picture(5, 3, opaque);
                ASSERT_TRUE(platform::writePng(dir.native("in.png"), png, &error)) << error;
                tools::ImageOptions options;
                options.depth = depth;
                options.code = code;
                options.x = 7;
                options.y = -2;
                ASSERT_TRUE(tools::convertPngToImage(dir.native("in.png"), dir.native("out.img"), options, &error)) << error;
                EXPECT_FALSE(dir.hasTemporaryOf("out.img"));
                CImage image(nullptr, CXString(dir.native("out.img").c_str()));
                ASSERT_EQ(image.LastError(), 0);
                EXPECT_EQ(image.GetCompression(), code == 4 ? COMPRESSION_RLE : COMPRESSION_NONE);
                image.unpack();
                ASSERT_EQ(image.Width(), 5);
                ASSERT_EQ(image.Height(), 3);
                EXPECT_EQ(image.GetBpp(), depth);
                EXPECT_EQ(image.GetPosition(), CXPoint(7, -2));
                EXPECT_EQ(image.AlphaChannel() == nullptr, opaque);
                for (int i = 0; i < 15; ++i) {
                    uint16_t v;
                    std::memcpy(&v, image.GetDataPtr() + i * 2, 2);
                    EXPECT_EQ(v, expected(&png.pixels[static_cast<size_t>(i) * 4], depth)) << i;
                    if (!opaque) {
                        EXPECT_EQ(static_cast<uint8_t>(image.AlphaChannel()[i]), png.pixels[static_cast<size_t>(i) * 4 + 3]);
                    }
                }
            }
}

TEST(ImageConverter, ErrorsNameTheFileAndLeaveNothing) {
    test::TempDir dir;
    std::string error;
    ASSERT_TRUE(platform::writePng(dir.native("in.png"), picture(2, 2, false), &error)) << error;
    dir.write("bad.png", "not a png");
    tools::ImageOptions options;
    EXPECT_FALSE(tools::convertPngToImage(dir.native("missing.png"), dir.native("a.img"), options, &error));
    EXPECT_NE(error.find("missing.png"), std::string::npos) << error;
    EXPECT_FALSE(tools::convertPngToImage(dir.native("bad.png"), dir.native("a.img"), options, &error));
    EXPECT_NE(error.find("bad.png"), std::string::npos) << error;
    EXPECT_FALSE(tools::convertPngToImage(dir.native("in.png"), dir.native("no/such/folder/a.img"), options, &error));
    EXPECT_NE(error.find("a.img"), std::string::npos) << error;
    options.depth = 24;
    EXPECT_FALSE(tools::convertPngToImage(dir.native("in.png"), dir.native("a.img"), options, &error));
    EXPECT_FALSE(dir.exists("a.img"));
    EXPECT_FALSE(dir.hasTemporaryOf("a.img"));
}
