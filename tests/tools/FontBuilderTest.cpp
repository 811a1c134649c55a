#include "tools/FontBuilder.h"

#include <gtest/gtest.h>
#include <sys/wait.h>

#include <cstdlib>
#include <string>

#include "graphics/text/CSimpleFont6.h"
#include "graphics/text/CText6.h"
#include "support/TempDir.h"
#include "tools/AnimationBuilder.h"
#include "platform/Png.h"

namespace {

// A 10 x 10 letter: an opaque white block over the columns [x0, x1), rows 2 to 7.
platform::PngPicture letter(int x0, int x1, int size = 10) {
    platform::PngPicture image;
    image.width = size;
    image.height = size;
    for (int y = 0; y < size; ++y)
        for (int x = 0; x < size; ++x) {
            const bool ink = x >= x0 && x < x1 && y >= 2 && y < 8;
            for (int c = 0; c < 4; ++c) image.pixels.push_back(ink ? 255 : 0);
        }
    return image;
}

struct FontBuilderTest : ::testing::Test {
    FontBuilderTest() {
        std::string error;
        EXPECT_TRUE(platform::writePng(dir.native("i.png"), letter(3, 5), &error)) << error;
        EXPECT_TRUE(platform::writePng(dir.native("m.png"), letter(1, 8), &error)) << error;
        EXPECT_TRUE(platform::writePng(dir.native("big.png"), letter(1, 8, 12), &error)) << error;
    }
    // An animation of the frames, named by the first event's positions as given.
    std::string animation(const std::string& name, const std::string& frames, const std::string& positions) {
        dir.write(name + ".txt", frames + "event letters\n  frames 0 1\n" + positions + "end\n");
        std::string error;
        EXPECT_TRUE(tools::buildAnimation(dir.native(name + ".txt"), dir.native(name + ".ann"), {}, &error)) << error;
        return dir.native(name + ".ann");
    }
    int runTool(const std::string& arguments) {
        const std::string command = "cd '" + dir.path() + "' && '" + std::string(VONDREL_TOOLS_DIR) +
                                    "/vondrel-font' " + arguments + " >stdout.txt 2>stderr.txt";
        const int raw = std::system(command.c_str());
        return WIFEXITED(raw) ? WEXITSTATUS(raw) : -1;
    }
    test::TempDir dir;
};

}  // namespace

TEST_F(FontBuilderTest, LettersMeasureAsDrawn) {
    animation("good", "frame i.png\nframe m.png\n", "  position 0 name=i\n  position 1 name=m\n");
    ASSERT_EQ(runTool("good.ann good.fnt"), 0) << dir.read("stderr.txt");
    CSimpleFont6 font(nullptr, CXString(dir.native("good.fnt").c_str()));
    ASSERT_EQ(font.LastError(), 0);
    EXPECT_EQ(font.getLetterCount(), 2);
    EXPECT_EQ(font.getRealLetterWidth('i'), 2);
    EXPECT_EQ(font.getRealLetterWidth('m'), 7);
    EXPECT_EQ(font.Height(), 10);
    // Two blocks sharing rows: they may touch but not overlap (kerning 1 - 0).
    EXPECT_EQ(font.getKerning('m', 'i'), 1);
    EXPECT_EQ(CText6::getLength(&font, CXString("mi")), (7 + 2) + (2 - 1 + 2));

    CGraphicsObject dst(nullptr, CXSize(30, 10), 16);
    font.SetDestiny(&dst);
    font.setColor(0xFFFF);
    const int advance = font.drawLetter(0, 0, 0, 'm');
    font.drawLetter(advance, 0, 'm', 'i');
    auto ink = [&](int x, int y) { return reinterpret_cast<uint16_t*>(dst.GetDataPtr())[y * 30 + x] != 0; };
    int last = -1;
    for (int x = 0; x < 30; ++x)
        if (ink(x, 4)) last = x;
    EXPECT_TRUE(ink(0, 4));
    EXPECT_FALSE(ink(0, 1));
    EXPECT_EQ(last, 9 + 2 - 1 - 1);  // "i" from column 8 (9 less the kerning), 2 wide

    std::string error;
    EXPECT_TRUE(tools::buildFont(dir.native("good.ann"), dir.native("again.fnt"), &error)) << error;
    EXPECT_EQ(dir.read("again.fnt"), dir.read("good.fnt"));
}

TEST_F(FontBuilderTest, BadAnimationsWriteNothing) {
    animation("mixed", "frame i.png\nframe big.png\n", "  position 0 name=i\n  position 1 name=m\n");
    animation("unnamed", "frame i.png\nframe m.png\n", "  position 0 name=i\n");
    dir.write("junk.ann", "not an animation");
    const struct {
        const char* input;
        const char* message;
    } cases[] = {
        {"missing.ann", "missing.ann: does not exist"},
        {"junk.ann", "junk.ann: not an animation file, or a damaged one"},
        {"mixed.ann", "several sizes"},
        {"unnamed.ann", "frame 1 has no letter name"},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(runTool(std::string(c.input) + " out.fnt"), 1) << c.input;
        const std::string err = dir.read("stderr.txt");
        EXPECT_EQ(err.rfind("vondrel-font: ", 0), 0u) << err;
        EXPECT_NE(err.find(c.message), std::string::npos) << err;
        EXPECT_FALSE(dir.exists("out.fnt"));
        EXPECT_FALSE(dir.exists("out.fnt.tmp"));
    }
}
