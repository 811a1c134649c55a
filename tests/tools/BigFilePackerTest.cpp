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

}  // namespace
