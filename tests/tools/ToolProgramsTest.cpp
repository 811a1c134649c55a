// The tool programs' command lines: help, wrong use, failing work, and the work done.
#include <gtest/gtest.h>

#include <sys/wait.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <functional>
#include <sstream>
#include <string>
#include <vector>

#include "support/TempDir.h"
#include "platform/Png.h"
#include "tools/BigFilePacker.h"
#include "tools/DefinitionCoder.h"
#include "tools/FontBuilder.h"
#include "tools/ImageConverter.h"
#include "tools/Output.h"
#include "tools/PackagePacker.h"

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
        {"vondrel-img", "missing.png out.img", 1, "vondrel-img: missing.png: does not exist"},
        {"vondrel-img", "fake.png out.img", 1, "vondrel-img: fake.png"},
        {"vondrel-anim", "--code 2 m.txt out.ani", 2, "bad value \"2\" for --code"},
        {"vondrel-anim", "m.txt out.ani", 1, "vondrel-anim: m.txt: line 3: frame number not among the frames: 1"},
        {"vondrel-pack", "nofolder out.big", 1, "vondrel-pack: nofolder: not a folder"},
        {"vondrel-code", "--cycle 0 a.cnv", 2, "bad value \"0\" for --cycle"},
        {"vondrel-code", "missing.cnv out.cnv", 1, "vondrel-code: missing.cnv: does not exist"},
        {"vondrel-pack", "--list --extract x out.big", 2, "--list and --extract exclude each other"},
        {"vondrel-package", "--list a.pik b.pik", 2, "--list and --extract take one archive"},
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
    for (const char* name : {"out.img", "out.ani", "out.big", "out.cnv", "a.pik", "x"}) {
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
    const Result packed = run("vondrel-pack", "--name demo game out.big");
    EXPECT_EQ(packed.status, 0);
    // The progress, rewritten on one line, ends with a line end.
    EXPECT_NE(packed.out.find("\rFile 2 of 2 saved.\n"), std::string::npos) << packed.out;
    EXPECT_EQ(packed.out.back(), '\n');
    for (const char* name : {"out.img", "out.ani", "game/a.cnv.coded", "out.big"})
        EXPECT_TRUE(dir.exists(name)) << name;
    // The header's name leads the big file.
    EXPECT_EQ(dir.read("out.big").substr(0, 8), std::string("\x04\0\0\0demo", 8));
}

// A failure names the file at fault and the reason; the programs print these
// messages after their names, as the table above shows.
TEST(ToolMessages, FailuresNameTheFileAndTheReason) {
    test::TempDir dir;
    std::string error;
    platform::PngPicture pixel;
    pixel.width = pixel.height = 1;
    pixel.pixels = {1, 2, 3, 255};
    ASSERT_TRUE(platform::writePng(dir.native("one.png"), pixel, &error)) << error;
    dir.write("cut.png", dir.read("one.png").substr(0, 40));
    dir.write("fake.png", "GIF89a not a png");
    dir.write("short.png", "GIF89a");
    dir.mkdir("folder/empty");
    // A control byte that codes into a line end, wherever the coding cycle stands.
    dir.write("binary.cnv", "OBJECT=A\r\nTYPE=\x0B\x0B\x0B\x0B\x0B\x0B\r\n");
    const std::string out = dir.native("out");
    std::vector<tools::ListedFile> listed;
    const struct {
        std::function<bool(std::string*)> call;
        std::string message;
    } cases[] = {
        {[&](std::string* e) { return tools::convertPngToImage(dir.native("folder"), out, {}, e); },
         dir.native("folder") + ": is a folder"},
        {[&](std::string* e) { return tools::convertPngToImage(dir.native("cut.png"), out, {}, e); },
         dir.native("cut.png") + ": the PNG data ends early or is damaged (the picture cannot be read whole)"},
        {[&](std::string* e) { return tools::convertPngToImage(dir.native("short.png"), out, {}, e); },
         dir.native("short.png") + ": not a PNG file"},
        {[&](std::string* e) { return tools::buildFont(dir.native("missing.ani"), out, e); },
         dir.native("missing.ani") + ": does not exist"},
        {[&](std::string* e) { return tools::buildFont(dir.native("fake.png"), out, e); },
         dir.native("fake.png") + ": not an animation file, or a damaged one (it does not load)"},
        {[&](std::string* e) { return tools::codeDefinition(dir.native("binary.cnv"), out, 6, e); },
         dir.native("binary.cnv") +
             ": cannot be coded: line 2 does not survive the coding (control bytes, or letters that code into the line marker)"},
        {[&](std::string* e) { return tools::packPackage(dir.native("folder"), out, e); },
         dir.native("folder") + ": no files to pack"},
        {[&](std::string* e) { return tools::listBigFile(dir.native("fake.png"), &listed, e); },
         dir.native("fake.png") + ": not a big file, or a damaged one (its table does not read)"},
        {[&](std::string* e) { return tools::extractPackage(dir.native("fake.png"), out, e); },
         dir.native("fake.png") + ": not a package archive, or a damaged one (its table does not read)"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.message);
        error.clear();
        EXPECT_FALSE(c.call(&error));
        EXPECT_EQ(error, c.message);
        EXPECT_FALSE(dir.exists("out"));
        EXPECT_FALSE(dir.hasTemporaryOf("out"));
    }
}

// Every file below the folder as the tools list it: "size  path", sorted.
std::vector<std::string> filesBelow(const std::string& root, const std::string& prefix) {
    std::vector<std::string> lines;
    for (const auto& item : std::filesystem::recursive_directory_iterator(root))
        if (item.is_regular_file()) {
            char size[16];
            std::snprintf(size, sizeof size, "%10llu", static_cast<unsigned long long>(item.file_size()));
            lines.push_back(size + std::string("  ") + prefix + std::filesystem::relative(item.path(), root).string());
        }
    std::sort(lines.begin(), lines.end());
    return lines;
}

std::vector<std::string> sortedLines(const std::string& text) {
    std::vector<std::string> lines;
    std::istringstream in(text);
    for (std::string line; std::getline(in, line);) lines.push_back(line);
    std::sort(lines.begin(), lines.end());
    return lines;
}

std::string fileBytes(const std::filesystem::path& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

#ifdef VONDREL_DEMO_GAME
// The demo packed into a big file and into a package comes back out whole: the
// listing names every file with its size, and the extracted files are the same
// bytes (sounds travel in a package as Ogg Vorbis, so they come back as WAV files
// of the same format and length, their samples decoded).
TEST_F(ToolPrograms, TheDemoListsAndExtractsFromBigFileAndPackage) {
    const std::string demo = VONDREL_DEMO_GAME;
    std::string error;
    testing::internal::CaptureStdout();
    const bool packed = tools::packFolder(demo, dir.native("demo.big"), "demo", &error);
    testing::internal::GetCapturedStdout();
    ASSERT_TRUE(packed) << error;
    ASSERT_TRUE(tools::packPackage(demo, dir.native("demo.pik"), &error)) << error;
    const std::string folderName = std::filesystem::path(demo).filename().string();
    // The listing runs the program; the extraction is the same call in-process.
    const struct {
        const char* tool;
        const char* archive;
        std::string prefix;
        bool sounds;
        bool (*extract)(const std::string&, const std::string&, std::string*);
    } cases[] = {
        {"vondrel-pack", "demo.big", "", false, tools::extractBigFile},
        {"vondrel-package", "demo.pik", folderName + "/", true, tools::extractPackage},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.tool);
        const Result listed = run(c.tool, std::string("--list ") + c.archive);
        ASSERT_EQ(listed.status, 0) << listed.err;
        const std::vector<std::string> expected = filesBelow(demo, c.prefix);
        ASSERT_GT(expected.size(), 10u);
        // A package lists a sound with the length of its Ogg data.
        auto comparable = [&](std::vector<std::string> lines) {
            for (std::string& line : lines)
                if (c.sounds && line.size() > 4 && line.compare(line.size() - 4, 4, ".wav") == 0) line = line.substr(12);
            std::sort(lines.begin(), lines.end());
            return lines;
        };
        EXPECT_EQ(comparable(sortedLines(listed.out)), comparable(expected));

        ASSERT_TRUE(c.extract(dir.native(c.archive), dir.native("out"), &error)) << error;
        EXPECT_EQ(filesBelow(dir.native("out"), ""), filesBelow(demo, c.prefix));
        int sounds = 0;
        for (const auto& item : std::filesystem::recursive_directory_iterator(demo)) {
            if (!item.is_regular_file()) continue;
            const std::filesystem::path relative = std::filesystem::relative(item.path(), demo);
            SCOPED_TRACE(relative.string());
            const std::string original = fileBytes(item.path());
            const std::string back = fileBytes(dir.native("out/" + c.prefix + relative.string()));
            if (c.sounds && item.path().extension() == ".wav") {
                ++sounds;
                ASSERT_EQ(back.size(), original.size());
                EXPECT_EQ(back.substr(0, 44), original.substr(0, 44));
            } else {
                EXPECT_TRUE(back == original);
            }
        }
        EXPECT_EQ(sounds > 0, c.sounds);
        dir.remove("out");
    }
}
#endif

// A full disk is named as such, and nothing of the output is left. The disk is a
// small memory file system mounted in a private namespace of the run.
TEST_F(ToolPrograms, PackOnAFullDiskSaysSo) {
    dir.write("game/a.bin", std::string(300000, 'x'));
    dir.mkdir("full");
    const std::string command = "cd '" + dir.path() + "' && TOOL='" + VONDREL_TOOLS_DIR +
                                "/vondrel-pack' unshare -rm sh -c 'mount -t tmpfs -o size=64k none full || exit 99; "
                                "\"$TOOL\" game full/out.big; echo $?; ls -A full' >stdout.txt 2>stderr.txt";
    std::system(command.c_str());
    const std::string out = dir.read("stdout.txt");
    const std::string err = dir.read("stderr.txt");
    if (out.empty()) GTEST_SKIP() << "no private mount here: " << err;
    // Status 1, and the listing of the disk after it is empty.
    ASSERT_GE(out.size(), 3u);
    EXPECT_EQ(out.substr(out.size() - 3), "\n1\n") << out;
    EXPECT_NE(err.find("vondrel-pack: full/out.big: cannot be written (the disk is full)"), std::string::npos) << err;
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
