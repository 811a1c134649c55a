#include "graphics/image/JPEG.h"

#include <dirent.h>
#include <gtest/gtest.h>
#include <jpeglib.h>

#include <cstdlib>
#include <cstring>
#include <memory>

#include "ImageTestSupport.h"
#include "support/TempDir.h"
#include "graphics/image/CImage.h"

using namespace imgtest;

namespace {

std::vector<uint16_t> decode(const Bytes& bytes, int bpp, int* width = nullptr, int* height = nullptr) {
    JPEG jpeg(bytes.data(), bytes.size());
    if (width) *width = jpeg.getWidth();
    if (height) *height = jpeg.getHeight();
    std::unique_ptr<char[]> pixels(jpeg.decompress(bpp));
    if (!pixels) return {};
    std::vector<uint16_t> out(static_cast<size_t>(jpeg.getWidth()) * jpeg.getHeight());
    std::memcpy(out.data(), pixels.get(), out.size() * 2);
    return out;
}

// 5-6-5 channels within one step of the expected 8-bit colour.
void expectNear565(uint16_t v, int r, int g, int b) {
    EXPECT_NEAR(v >> 11, r >> 3, 1) << std::hex << v;
    EXPECT_NEAR((v >> 5) & 0x3F, g >> 2, 1) << std::hex << v;
    EXPECT_NEAR(v & 0x1F, b >> 3, 1) << std::hex << v;
}

int entriesIn(const std::string& folder) {
    int n = 0;
    if (DIR* d = opendir(folder.c_str())) {
        while (dirent* e = readdir(d))
            if (e->d_name[0] != '.') ++n;
        closedir(d);
    }
    return n;
}

}  // namespace

TEST(JPEG, WhiteAtBothDepths) {
    const Bytes white = solidJpeg(8, 8, 255, 255, 255);
    EXPECT_EQ(decode(white, 16), std::vector<uint16_t>(64, 0xFFFF));
    EXPECT_EQ(decode(white, 15), std::vector<uint16_t>(64, 0x7FFF));
}

TEST(JPEG, RowOfWidthThree) {
    const std::vector<uint8_t> rgb = {255, 0, 0, 0, 255, 0, 0, 0, 255};
    int width = 0;
    int height = 0;
    const std::vector<uint16_t> px = decode(encodeJpeg(3, 1, 3, JCS_RGB, rgb), 16, &width, &height);
    EXPECT_EQ(width, 3);
    EXPECT_EQ(height, 1);
    ASSERT_EQ(px.size(), 3u);
    expectNear565(px[0], 255, 0, 0);
    expectNear565(px[1], 0, 255, 0);
    expectNear565(px[2], 0, 0, 255);
}

TEST(JPEG, GreyscaleBecomesRgb) {
    const std::vector<uint16_t> px = decode(encodeJpeg(2, 2, 1, JCS_GRAYSCALE, std::vector<uint8_t>(4, 128)), 16);
    ASSERT_EQ(px.size(), 4u);
    for (uint16_t v : px) expectNear565(v, 128, 128, 128);
}

TEST(JPEG, BadStreamsFailAndTheProcessGoesOn) {
    const Bytes good = solidJpeg(4, 4, 10, 20, 30);
    const std::pair<const char*, Bytes> cases[] = {
        {"CMYK", encodeJpeg(2, 2, 4, JCS_CMYK, std::vector<uint8_t>(16, 100))},
        {"cut in its header", good.substr(0, 30)},
        {"garbage", Bytes(64, '\x5A')},
        {"start marker then garbage", Bytes("\xFF\xD8", 2) + Bytes(64, '\x01')},
        {"empty", Bytes()},
    };
    for (const auto& [name, bytes] : cases) {
        SCOPED_TRACE(name);
        JPEG jpeg(bytes.data(), bytes.size());
        EXPECT_FALSE(jpeg.isOk());
        EXPECT_EQ(jpeg.decompress(16), nullptr);
    }
    // The decoder still works after the failures.
    EXPECT_EQ(decode(good, 16).size(), 16u);
}

TEST(JPEG, ImageReadsJpegFilesWithoutWritingATemporaryFile) {
    test::TempDir dir;
    dir.mkdir("work");
    test::ScopedCurrentDirectory cwd(dir.native("work"));
    dir.write("pic.jpg", solidJpeg(5, 3, 255, 255, 255));
    dir.write("bad.jpg", Bytes("\xFF\xD8\xFF", 3));
    CImage image(nullptr, CXString(dir.engine("pic.jpg").c_str()));
    ASSERT_EQ(image.LastError(), 0);
    EXPECT_EQ(image.Width(), 5);
    EXPECT_EQ(image.Height(), 3);
    EXPECT_EQ(image.GetBpp(), 16);
    EXPECT_EQ(image.GetCompression(), COMPRESSION_NONE);
    EXPECT_EQ(image.AlphaChannel(), nullptr);
    EXPECT_EQ(reinterpret_cast<uint16_t*>(image.GetDataPtr())[14], 0xFFFF);

    for (const char* name : {"bad.jpg", "missing.jpg"}) {
        SCOPED_TRACE(name);
        CImage failed(nullptr, CXString(dir.engine(name).c_str()));
        EXPECT_EQ(failed.LastError(), std::string(name) == "missing.jpg" ? 2000 : CImage::kErrBadFile);
        EXPECT_EQ(failed.Width(), 0);
        EXPECT_EQ(failed.GetDataPtr(), nullptr);
    }
    // Decoding from memory leaves nothing in the current folder.
    decode(solidJpeg(2, 2, 1, 2, 3), 16);
    EXPECT_EQ(entriesIn(dir.native("work")), 0);
}
