#include "tools/AnimationBuilder.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "graphics/play/CAnimo.h"
#include "graphics/play/CFrame.h"
#include "support/TempDir.h"
#include "platform/Png.h"

namespace {

platform::PngPicture picture(int w, int h, int seed) {
    platform::PngPicture image;
    image.width = w;
    image.height = h;
    for (int i = 0; i < w * h; ++i)
        for (int c = 0; c < 4; ++c) image.pixels.push_back(static_cast<uint8_t>(seed * 37 + i * 53 + c * 71));
    return image;
}

uint16_t expected(const uint8_t* rgba, int depth) {
    if (depth == 15) return static_cast<uint16_t>((rgba[0] >> 3) << 10 | (rgba[1] >> 3) << 5 | rgba[2] >> 3);
    return static_cast<uint16_t>((rgba[0] >> 3) << 11 | (rgba[1] >> 2) << 5 | rgba[2] >> 3);
}

struct AnimationBuilderTest : ::testing::Test {
    AnimationBuilderTest() {
        std::string error;
        dir.mkdir("frames");
        EXPECT_TRUE(platform::writePng(dir.native("a.png"), a, &error)) << error;
        EXPECT_TRUE(platform::writePng(dir.native("frames/b.png"), b, &error)) << error;
        dir.write("fake.png", "GIF89a not a png");
    }
    bool build(const std::string& manifest, int code, int depth, std::string* error) {
        dir.write("anim.txt", manifest);
        tools::AnimationOptions options;
        options.code = code;
        options.depth = depth;
        return tools::buildAnimation(dir.native("anim.txt"), dir.native("out.ani"), options, error);
    }
    test::TempDir dir;
    platform::PngPicture a = picture(3, 2, 1), b = picture(1, 4, 2);
};

const char* const kManifest =
    "# two frames\n"
    "fps 12\n"
    "flags 0x800000\n"
    "author Someone\n"
    "frame a.png 5 -3\n"
    "frame frames/b.png\n"
    "event walk\n"
    "  frames 0 1 0\n"
    "  loop 1 2 3\n"
    "  fps 10\n"
    "  flags 0x20000\n"
    "  position 1 name=mid step=4,-2 sound=step.wav opacity=99\n"
    "end\n";

TEST_F(AnimationBuilderTest, FileLoadsBackPixelForPixel) {
    for (int code : {0, 4}) {
        for (int depth : {15, 16}) {
            SCOPED_TRACE(code * 100 + depth);
            std::string error;
            ASSERT_TRUE(build(kManifest, code, depth, &error)) << error;
            EXPECT_FALSE(dir.hasTemporaryOf("out.ani"));
            CAnimo anim(nullptr);
            ASSERT_EQ(anim.Load(CXString(dir.engine("out.ani").c_str())), 0);
            ASSERT_EQ(anim.GetNOF(), 2);
            EXPECT_EQ(anim.GetFPS(), 12);
            EXPECT_EQ(anim.GetAnimoFlags(), 0x800000 | CAnimo::kNewFormat);
            EXPECT_STREQ(anim.Author().c_str(), "Someone");
            EXPECT_EQ(anim.GetFrame(0)->GetFramePosition(), CXPoint(5, -3));
            const platform::PngPicture* sources[] = {&a, &b};
            for (int f = 0; f < 2; ++f) {
                CFrame* frame = anim.GetFrame(f);
                EXPECT_EQ(frame->GetCompression(), code);
                frame->DeCompressRLE2();
                const platform::PngPicture& src = *sources[f];
                ASSERT_EQ(frame->Width(), src.width);
                ASSERT_EQ(frame->Height(), src.height);
                for (int i = 0; i < src.width * src.height; ++i) {
                    uint16_t v;
                    std::memcpy(&v, frame->GetDataPtr() + 2 * i, 2);
                    ASSERT_EQ(v, expected(&src.pixels[4 * i], depth)) << "pixel " << i;
                    ASSERT_EQ(static_cast<uint8_t>(frame->AlphaChannel()[i]), src.pixels[4 * i + 3]);
                }
            }
            ASSERT_EQ(anim.GetNOE(), 1);
            const _annEventInfo3* ev = anim.GetEventInfo(0);
            EXPECT_EQ(ev->frames, (std::vector<uint16_t>{0, 1, 0}));
            EXPECT_EQ(ev->loopStart, 1);
            EXPECT_EQ(ev->loopEnd, 2);
            EXPECT_EQ(ev->loopCount, 3);
            EXPECT_EQ(ev->fps, 10);
            EXPECT_EQ(ev->flags, 0x20000);
            EXPECT_EQ(ev->opacity, 255);
            const _anmFrameInfo3* rec = anim.GetFrameInfo(0, 1);
            EXPECT_STREQ(rec->name.c_str(), "mid");
            EXPECT_EQ(rec->dx, 4);
            EXPECT_EQ(rec->dy, -2);
            EXPECT_STREQ(rec->sound.c_str(), "step.wav");
            EXPECT_EQ(rec->opacity, 99);
            EXPECT_FALSE(anim.GetFrameInfo(0, 0)->hasName);
        }
    }
}

TEST_F(AnimationBuilderTest, BadInputFailsWithItsPlaceAndLeavesNoFile) {
    struct Case {
        std::string manifest;
        const char* message;
    } cases[] = {
        {"frame missing.png\n", "missing.png"},
        {"frame fake.png\n", "fake.png"},
        {"frame a.png\nevent e\n  frames 0 2\nend\n", "line 3"},
        {"frame a.png\nevent e\n  frames 0\n", "without \"end\""},
        {"frame a.png\nevent e\n  frames 0\n  position 4 name=x\nend\n", "position 4"},
        {"fps many\n", "line 1"},
        {"event e\nend\n", "no frames"},
        {"frame a.png\nevent e\n  position 0 colour=red\nend\n", "colour=red"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.manifest);
        std::string error;
        EXPECT_FALSE(build(c.manifest, 0, 16, &error));
        EXPECT_NE(error.find(c.message), std::string::npos) << error;
        EXPECT_FALSE(dir.exists("out.ani"));
        EXPECT_FALSE(dir.hasTemporaryOf("out.ani"));
    }
    std::string error;
    EXPECT_FALSE(build(kManifest, 2, 16, &error));
    EXPECT_FALSE(tools::buildAnimation(dir.native("none.txt"), dir.native("out.ani"), {}, &error));
    EXPECT_NE(error.find("none.txt"), std::string::npos);
}

}  // namespace
