// The tool programs' command lines: help, wrong use, failing work, and the work done.
#include <gtest/gtest.h>

#include <sys/wait.h>

#include <cstdlib>
#include <string>

#include "support/TempDir.h"
#include "platform/Png.h"
#include "tools/Output.h"

namespace {

struct Result {
    int status = -1;
    std::string out;
    std::string err;
};

struct ToolPrograms : ::testing::Test {
    // Runs a tool with the arguments (a shell word list) in the test folder.
    Result run(const std::string& tool, const std::string& arguments) {
        const std::string command = "cd '" + dir.path() + "' && '" + std::string(VONDREL_TOOLS_DIR) + "/" + tool + "' " +
                                    arguments + " >stdout.txt 2>stderr.txt";
        const int raw = std::system(command.c_str());
        Result r;
        r.status = WIFEXITED(raw) ? WEXITSTATUS(raw) : -1;
        r.out = dir.read("stdout.txt");
        r.err = dir.read("stderr.txt");
        return r;
    }
    test::TempDir dir;
};

TEST_F(ToolPrograms, HelpWrongUseAndFailureHaveTheirStatuses) {
    for (const char* tool : {"vondrel-img", "vondrel-anim", "vondrel-pack", "vondrel-code"}) {
        SCOPED_TRACE(tool);
        const Result help = run(tool, "--help");
        EXPECT_EQ(help.status, 0);
        EXPECT_EQ(help.out.rfind(std::string("usage: ") + tool, 0), 0u) << help.out;
        const Result none = run(tool, "");
        EXPECT_EQ(none.status, 2);
        EXPECT_NE(none.err.find("missing arguments"), std::string::npos) << none.err;
        const Result unknown = run(tool, "--frobnicate 1 a b");
        EXPECT_EQ(unknown.status, 2);
        EXPECT_NE(unknown.err.find("unknown option \"--frobnicate\""), std::string::npos) << unknown.err;
    }
    const struct {
        const char* tool;
        const char* arguments;
        int status;
        const char* message;
    } cases[] = {
        {"vondrel-img", "--depth 24 in.png out.img", 2, "vondrel-img: bad value \"24\" for --depth"},
        {"vondrel-img", "--position 3 in.png out.img", 2, "bad value \"3\" for --position"},
        {"vondrel-img", "a b c", 2, "unexpected argument \"c\""},
        {"vondrel-img", "missing.png out.img", 1, "vondrel-img: missing.png"},
        {"vondrel-img", "fake.png out.img", 1, "vondrel-img: fake.png"},
        {"vondrel-anim", "--code 2 m.txt out.ani", 2, "bad value \"2\" for --code"},
        {"vondrel-anim", "m.txt out.ani", 1, "vondrel-anim: m.txt: line 3: frame number not among the frames: 1"},
        {"vondrel-pack", "nofolder out.big", 1, "vondrel-pack: nofolder: not a folder"},
        {"vondrel-code", "--cycle 0 a.cnv", 2, "bad value \"0\" for --cycle"},
        {"vondrel-code", "missing.cnv out.cnv", 1, "vondrel-code: missing.cnv: cannot be read"},
    };
    std::string error;
    platform::PngPicture pixel;
    pixel.width = pixel.height = 1;
    pixel.pixels = {1, 2, 3, 255};
    ASSERT_TRUE(platform::writePng(dir.native("one.png"), pixel, &error)) << error;
    dir.write("fake.png", "GIF89a not a png");
    dir.write("m.txt", "frame one.png\nevent e\n  frames 0 1\nend\n");
    for (const auto& c : cases) {
        SCOPED_TRACE(std::string(c.tool) + " " + c.arguments);
        const Result r = run(c.tool, c.arguments);
        EXPECT_EQ(r.status, c.status);
        EXPECT_NE(r.err.find(c.message), std::string::npos) << r.err;
    }
    for (const char* name : {"out.img", "out.ani", "out.big", "out.cnv"}) {
        EXPECT_FALSE(dir.exists(name)) << name;
        EXPECT_FALSE(dir.hasTemporaryOf(name)) << name;
    }
}

TEST_F(ToolPrograms, EachProgramWritesItsFile) {
    std::string error;
    platform::PngPicture pixel;
    pixel.width = pixel.height = 1;
    pixel.pixels = {1, 2, 3, 128};
    ASSERT_TRUE(platform::writePng(dir.native("one.png"), pixel, &error)) << error;
    dir.write("m.txt", "frame one.png\nevent e\n  frames 0 0\nend\n");
    dir.write("game/a.cnv", "OBJECT=A\r\n");
    EXPECT_EQ(run("vondrel-img", "--code 4 --position -2,5 one.png out.img").status, 0);
    EXPECT_EQ(run("vondrel-anim", "m.txt out.ani").status, 0);
    EXPECT_EQ(run("vondrel-code", "game/a.cnv").status, 0);
    EXPECT_EQ(run("vondrel-pack", "--name demo game out.big").status, 0);
    for (const char* name : {"out.img", "out.ani", "game/a.cnv.coded", "out.big"})
        EXPECT_TRUE(dir.exists(name)) << name;
    // The header's name leads the big file.
    EXPECT_EQ(dir.read("out.big").substr(0, 8), std::string("\x04\0\0\0demo", 8));
}

// Two runs writing one output never share a temporary file: each reserves its own
// name beside the output, and a finished or failed run removes only its own.
TEST(ToolOutput, TemporaryNamesAreUniquePerRun) {
    test::TempDir dir;
    const std::string output = dir.native("out.img");
    const std::string first = tools::temporaryFor(output);
    const std::string second = tools::temporaryFor(output);
    ASSERT_FALSE(first.empty());
    ASSERT_FALSE(second.empty());
    EXPECT_NE(first, second);
    EXPECT_EQ(first.rfind(output + ".", 0), 0u);
    std::string error;
    EXPECT_FALSE(tools::finishOutput(second, output, false, "cannot write", &error));
    EXPECT_TRUE(dir.exists(first.substr(dir.path().size() + 1)));
    EXPECT_FALSE(dir.exists(second.substr(dir.path().size() + 1)));
    EXPECT_TRUE(tools::finishOutput(first, output, true, "cannot write", &error));
    EXPECT_TRUE(dir.exists("out.img"));
    EXPECT_FALSE(dir.exists(first.substr(dir.path().size() + 1)));
    EXPECT_TRUE(tools::temporaryFor(dir.native("no/such/out.img")).empty());
}

}  // namespace
