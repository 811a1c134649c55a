#include "tools/BigFilePacker.h"

#include <gtest/gtest.h>

#include <string>

#include "foundation/CBigFile.h"
#include "support/TempDir.h"

namespace {

struct BigFilePacker : ::testing::Test {
    BigFilePacker() {
        dir.write("game/Dane/application.def", "OBJECT=APP\r\n");
        dir.write("game/Dane/S1/bg.img", std::string("\0\x01\x02\xFFpixels", 10));
        dir.write("game/readme.txt", "hello");
        dir.mkdir("game/empty");
    }
    bool pack(const std::string& folder, const std::string& output, std::string* error) {
        testing::internal::CaptureStdout();
        const bool ok = tools::packFolder(dir.native(folder), dir.native(output), "", error);
        testing::internal::GetCapturedStdout();
        return ok;
    }
    test::TempDir dir;
};

TEST_F(BigFilePacker, EveryFileReadsBackThroughTheEnginesReader) {
    std::string error;
    ASSERT_TRUE(pack("game", "game.big", &error)) << error;
    EXPECT_FALSE(dir.hasTemporaryOf("game.big"));
    const std::string packed = dir.read("game.big");
    CBigFile big(CXString(dir.engine("game.big").c_str()));
    ASSERT_EQ(big.LastError(), 0);
    const struct {
        const char* path;
        const char* file;
    } files[] = {
        {"\\Dane\\application.def", "game/Dane/application.def"},
        {"\\DANE\\s1\\BG.IMG", "game/Dane/S1/bg.img"},
        {"\\readme.txt", "game/readme.txt"},
    };
    for (const auto& f : files) {
        SCOPED_TRACE(f.path);
        const std::string bytes = dir.read(f.file);
        ASSERT_EQ(big.GetSize(CXString(f.path)), static_cast<int>(bytes.size()));
        const int offset = big.Seek(CXString(f.path));
        ASSERT_GT(offset, 0);
        EXPECT_EQ(packed.substr(static_cast<size_t>(offset), bytes.size()), bytes);
    }
    EXPECT_FALSE(big.FileExists(CXString("\\missing.txt")));
}

TEST_F(BigFilePacker, BadFoldersAndTargetsLeaveNoFile) {
    dir.write("plain.txt", "x");
    const struct {
        const char* folder;
        const char* output;
        const char* message;
    } cases[] = {
        {"missing", "out.big", "missing: not a folder"},
        {"plain.txt", "out.big", "plain.txt: not a folder"},
        {"game", "no/such/out.big", "out.big: its folder does not exist"},
        {"game", "game/Dane/out.big", "out.big: lies inside the folder it would pack"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.folder + std::string(" ") + c.output);
        std::string error;
        EXPECT_FALSE(pack(c.folder, c.output, &error));
        EXPECT_NE(error.find(c.message), std::string::npos) << error;
        EXPECT_FALSE(dir.exists(c.output));
        EXPECT_FALSE(dir.hasTemporaryOf(c.output));
    }
}

// A hand-made big file: one folder below the root holding one file, each name as
// given, the file's data "evil".
std::string bigFileWith(const std::string& folderName, const std::string& fileName) {
    std::string out;
    auto int32 = [&](uint32_t v) {
        for (int i = 0; i < 4; ++i) out += static_cast<char>(v >> (8 * i) & 0xFF);
    };
    auto text = [&](const std::string& t) {
        int32(static_cast<uint32_t>(t.size()));
        out += t;
    };
    text("x");
    text("\\");
    int32(4);
    out += std::string(16, '\0');
    int32(1);
    int32(1);
    text("root");
    int32(0);
    int32(1);
    text(folderName);
    int32(1);
    int32(0);
    text(fileName);
    const size_t offsetAt = out.size();
    int32(0);
    out += std::string(8, '\0');
    int32(4);
    const uint32_t offset = static_cast<uint32_t>(out.size());
    for (int i = 0; i < 4; ++i) out[offsetAt + i] = static_cast<char>(offset >> (8 * i) & 0xFF);
    return out + "evil";
}

// Extraction writes what the table names below the folder, and a name that would
// leave it refuses the whole file before anything is written.
TEST_F(BigFilePacker, ExtractionStaysInsideItsFolder) {
    const struct {
        const char* folder;
        const char* file;
        const char* written;
    } cases[] = {
        {"sub", "a.txt", "out/sub/a.txt"},
        {"..", "evil.txt", nullptr},
        {"sub", "..\\..\\evil.txt", nullptr},
        {"", "evil.txt", nullptr},
        {"sub", "/evil.txt", nullptr},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(std::string(c.folder) + " " + c.file);
        dir.write("in/hostile.big", bigFileWith(c.folder, c.file));
        std::string error;
        const bool done = tools::extractBigFile(dir.native("in/hostile.big"), dir.native("in/out"), &error);
        EXPECT_EQ(done, c.written != nullptr) << error;
        if (c.written) EXPECT_EQ(dir.read(std::string("in/") + c.written), "evil");
        else EXPECT_NE(error.find("would leave the folder; nothing extracted"), std::string::npos) << error;
        EXPECT_FALSE(dir.exists("evil.txt"));
        EXPECT_FALSE(dir.exists("in/evil.txt"));
        dir.remove("in");
    }
}

}  // namespace
