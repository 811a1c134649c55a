#include <gtest/gtest.h>

#include <cstdint>
#include <cstring>
#include <string>

#include "foundation/CBigFile.h"
#include "foundation/CFile.h"
#include "platform/FileSystem.h"
#include "support/TempDir.h"

namespace {

std::string le32(uint32_t v) {
    std::string s(4, '\0');
    for (int i = 0; i < 4; ++i) s[i] = static_cast<char>(v >> (8 * i));
    return s;
}
std::string str(const std::string& s) { return le32(static_cast<uint32_t>(s.size())) + s; }
const std::string zero8(8, '\0');

CXString X(const std::string& s) { return CXString(s.c_str()); }

// Source tree:
//   b.dat "xyz", Empty\, Root1.txt "hello", Sub\Inner.txt "inner data"
// The listing order is by case-folded name; sub-folders go before files.
class CBigFileTest : public ::testing::Test {
protected:
    void SetUp() override {
        dir.write("src/b.dat", "xyz");
        dir.write("src/Root1.txt", "hello");
        dir.write("src/Sub/Inner.txt", "inner data");
        dir.mkdir("src/Empty");
        source = dir.engine("src");
        target = dir.engine("game.big");
    }

    // The bytes the packed file must hold, built from the layout by hand.
    std::string expected() const {
        std::string toc = str("game") + str("\\") + le32(18) + zero8 + zero8 + le32(3) + le32(2);
        const size_t tocSize = toc.size() + 12 + source.size() + 12 + 5 + 12 + 3 + 20 + 9 + 20 + 5 + 20 + 9;
        const uint32_t inner = static_cast<uint32_t>(tocSize);
        toc += str(source) + le32(2) + le32(2);
        toc += str("Empty") + le32(0) + le32(0);
        toc += str("Sub") + le32(1) + le32(0);
        toc += str("Inner.txt") + le32(inner) + zero8 + le32(10);
        toc += str("b.dat") + le32(inner + 10) + zero8 + le32(3);
        toc += str("Root1.txt") + le32(inner + 13) + zero8 + le32(5);
        EXPECT_EQ(toc.size(), tocSize);
        return toc + "inner data" + "xyz" + "hello";
    }

    bool pack(bool verbose = false) {
        CBigFile maker(verbose);
        const bool ok = maker.Create(X(source), "game", X(target));
        tocSize = maker.getTOCSize();
        return ok;
    }

    test::TempDir dir;
    std::string source;
    std::string target;
    int tocSize = 0;
};

TEST_F(CBigFileTest, CreateWritesTheLayout) {
    testing::internal::CaptureStdout();
    ASSERT_TRUE(pack(true));
    const std::string out = testing::internal::GetCapturedStdout();
    const std::string bytes = dir.read("game.big");
    EXPECT_EQ(bytes, expected());
    EXPECT_EQ(static_cast<size_t>(tocSize), bytes.size() - 18);

    const std::string blank(48, ' ');
    EXPECT_EQ(out, "Big file name: game.\nNumber of folders: 2.\nNumber of files: 3.\nTotal size: 18 bytes.\n"
                   "TOC size: " + std::to_string(tocSize) + " bytes.\nTOC saved.\n"
                   "\r" + blank + "\rFile 1 of 3 saved.\r" + blank + "\rFile 2 of 3 saved.\r" + blank +
                   "\rFile 3 of 3 saved.");

    // Quiet packing prints only the progress.
    testing::internal::CaptureStdout();
    ASSERT_TRUE(pack(false));
    EXPECT_EQ(testing::internal::GetCapturedStdout().rfind("TOC saved.\n", 0), 0u);
}

TEST_F(CBigFileTest, EmptyFolderPacksToHeaderAndRoot) {
    dir.mkdir("none");
    CBigFile maker;
    testing::internal::CaptureStdout();
    ASSERT_TRUE(maker.Create(X(dir.engine("none")), "n", X(dir.engine("n.big"))));
    testing::internal::GetCapturedStdout();
    const int expectedSize = 37 + 1 + 12 + static_cast<int>(dir.engine("none").size());
    EXPECT_EQ(maker.getTOCSize(), expectedSize);
    EXPECT_EQ(dir.read("n.big").size(), static_cast<size_t>(expectedSize));
}

TEST_F(CBigFileTest, CreateFailsForAnUnwritableTarget) {
    CBigFile maker;
    testing::internal::CaptureStdout();
    EXPECT_FALSE(maker.Create(X(source), "game", X(dir.engine("no/such/folder/x.big"))));
    testing::internal::GetCapturedStdout();
}

TEST_F(CBigFileTest, LookupsWalkTheTree) {
    testing::internal::CaptureStdout();
    ASSERT_TRUE(pack());
    testing::internal::GetCapturedStdout();
    CBigFile big(X(target));
    ASSERT_EQ(big.LastError(), 0);
    ASSERT_NE(big.GetFile(), nullptr);
    const int inner = tocSize;

    const struct {
        const char* path;
        int size;
    } cases[] = {
        {"Sub\\Inner.txt", 10},
        {"\\SUB\\INNER.TXT", 10},
        {"sub\\inner.txt", 10},
        {"root1.TXT", 5},
        {"\\b.dat", 3},
        {"Inner.txt", 0},           // not in the current folder
        {"Missing\\Root1.txt", 0},  // a missing folder is not skipped
        {"Sub\\Root1.txt", 0},
        {"Sub\\Inner.txt\\x", 0},
        {"Sub\\\\Inner.txt", 0},
        {"Empty", 0},  // a folder is no file
        {"Sub\\", 0},
        {"", 0},
        {"\\", 0},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.path);
        EXPECT_EQ(big.GetSize(c.path), c.size);
        EXPECT_EQ(big.FileExists(c.path), c.size > 0);
    }

    EXPECT_EQ(big.Seek(CXString("SUB\\inner.txt")), inner);
    char data[11] = {};
    ASSERT_EQ(big.GetFile()->Read(data, 10), 10);
    EXPECT_STREQ(data, "inner data");
    const int at = big.Tell();
    EXPECT_EQ(big.Seek(CXString("nothing.txt")), -1);
    EXPECT_EQ(big.Tell(), at);
    EXPECT_EQ(big.Seek(CXString("Root1.txt")), inner + 13);
    ASSERT_EQ(big.GetFile()->Read(data, 5), 5);
    EXPECT_EQ(std::string(data, 5), "hello");
}

TEST_F(CBigFileTest, LocateAndPositionedReadsLeaveTheStreamAlone) {
    testing::internal::CaptureStdout();
    ASSERT_TRUE(pack());
    testing::internal::GetCapturedStdout();
    CBigFile big(X(target));
    ASSERT_EQ(big.LastError(), 0);
    const int inner = tocSize;
    ASSERT_EQ(big.Seek(CXString("b.dat")), inner + 10);
    char data[11] = {};
    ASSERT_EQ(big.GetFile()->Read(data, 1), 1);
    const int at = big.Tell();

    int size = -1;
    EXPECT_EQ(big.Locate(CXString("\\SUB\\inner.txt"), &size), inner);
    EXPECT_EQ(size, 10);
    EXPECT_EQ(big.Locate(CXString("Sub\\Missing.txt"), &size), -1);
    EXPECT_EQ(big.Locate(CXString("Root1.txt"), nullptr), inner + 13);
    EXPECT_EQ(big.ReadAt(inner + 6, data, 4), 4);
    EXPECT_EQ(std::string(data, 4), "data");
    // Reads end at the end of the file.
    EXPECT_EQ(big.ReadAt(inner + 16, data, 10), 2);
    EXPECT_EQ(std::string(data, 2), "lo");
    EXPECT_EQ(big.ReadAt(inner + 100, data, 10), 0);
    EXPECT_EQ(big.ReadAt(-1, data, 10), -1);
    EXPECT_EQ(big.Tell(), at);
    ASSERT_EQ(big.GetFile()->Read(data, 2), 2);
    EXPECT_EQ(std::string(data, 2), "yz");

    CBigFile closed;
    EXPECT_EQ(closed.ReadAt(0, data, 1), -1);
    EXPECT_EQ(closed.Locate(CXString("b.dat"), nullptr), -1);
}

TEST_F(CBigFileTest, FindAndCurrentFolder) {
    testing::internal::CaptureStdout();
    ASSERT_TRUE(pack());
    testing::internal::GetCapturedStdout();
    CBigFile big(X(target));
    _finddata_t data;
    EXPECT_EQ(big.FindFirst("*.txt", &data), 1);  // files first: b.dat 0, Root1.txt 1
    EXPECT_STREQ(data.name, "Root1.txt");
    EXPECT_EQ(big.FindNext(1, &data), -1);
    EXPECT_EQ(big.FindFirst("*", &data), 0);
    EXPECT_STREQ(data.name, "b.dat");
    EXPECT_EQ(big.FindFirst("s?b", &data), 3);  // folders after the files: Empty 2, Sub 3
    EXPECT_STREQ(data.name, "Sub");
    EXPECT_NE(data.attrib & platform::kAttribSubdir, 0u);
    EXPECT_EQ(big.FindFirst("SUB", &data), -1);  // names are lower-cased, the pattern is not
    EXPECT_EQ(big.FindFirst("*.none", &data), -1);

    EXPECT_EQ(big.GetCurrentDirectoryA(), "");
    EXPECT_EQ(big.chdir("sub"), 0);
    EXPECT_EQ(big.GetCurrentDirectoryA(), "Sub");
    EXPECT_EQ(big.GetSize("Inner.txt"), 10);
    EXPECT_EQ(big.GetSize("\\Root1.txt"), 5);
    EXPECT_EQ(big.chdir("."), 0);
    EXPECT_EQ(big.chdir("nope"), -1);
    EXPECT_EQ(big.chdir(".."), 0);
    EXPECT_EQ(big.chdir(".."), -1);
    EXPECT_EQ(big.GetCurrentDirectoryA(), "");

    EXPECT_EQ(big.ChDir("Sub"), 0);  // kept for callers: changes nothing
    EXPECT_EQ(big.GetCurrentDirectoryA(), "");
}

TEST_F(CBigFileTest, FoldersExistOnlyInTheTableOfContents) {
    testing::internal::CaptureStdout();
    ASSERT_TRUE(pack());
    testing::internal::GetCapturedStdout();
    CBigFile big(X(target));
    const struct {
        const char* path;
        bool atRoot;
        bool inSub;
    } cases[] = {
        {"Sub", true, false},        {"SUB\\", true, false},  {"\\sub", true, true},
        {"Empty", true, false},      {"..\\empty", false, true}, {".", true, true},
        {"..", false, true},         {"\\", true, true},      {"Sub\\..\\Empty", true, false},
        {"Root1.txt", false, false}, {"anything", false, false}, {"", false, false},
        {"src", false, false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.path);
        EXPECT_EQ(big.DirExists(c.path), c.atRoot);
        ASSERT_EQ(big.chdir("Sub"), 0);
        EXPECT_EQ(big.DirExists(c.path), c.inSub);
        ASSERT_EQ(big.chdir(".."), 0);
    }
    EXPECT_FALSE(CBigFile().DirExists("\\"));
}

// Operations that would change or unpack a big file do neither and say so.
TEST_F(CBigFileTest, UpdatesAndExtractionReportFailure) {
    testing::internal::CaptureStdout();
    ASSERT_TRUE(pack());
    testing::internal::GetCapturedStdout();
    const std::string before = dir.read("game.big");
    CBigFile big(X(target));
    const CXString out = X(dir.engine("out.txt"));
    EXPECT_FALSE(big.ExtractFile("Root1.txt", out));
    EXPECT_FALSE(big.Update(X(source)));
    EXPECT_FALSE(big.UpdateFile("Root1.txt"));
    EXPECT_FALSE(big.UpdateFile("Root1.txt", X(dir.engine("src\\b.dat"))));
    EXPECT_FALSE(dir.exists("out.txt"));
    EXPECT_EQ(dir.read("game.big"), before);
}

TEST_F(CBigFileTest, CreateOntoAFullDiskFails) {
    if (!platform::exists("/dev/full")) GTEST_SKIP() << "no full device";
    dir.mkdir("tiny");
    for (const char* folder : {"tiny", "src"}) {
        SCOPED_TRACE(folder);
        CBigFile maker;
        testing::internal::CaptureStdout();
        EXPECT_FALSE(maker.Create(X(dir.engine(folder)), "game", "/dev/full"));
        testing::internal::GetCapturedStdout();
    }
}

TEST_F(CBigFileTest, AFullDiskKeepsTheOldFileAndLeavesNoTemporary) {
    dir.write("game.big", "the old big file");
    for (int64_t room : {0, 40, 150}) {
        SCOPED_TRACE(room);
        platform::setFreeSpaceLimit(room);
        CBigFile maker;
        std::string why;
        testing::internal::CaptureStdout();
        const bool made = maker.Create(X(source), "game", X(target), &why);
        testing::internal::GetCapturedStdout();
        platform::clearFreeSpaceLimit();
        EXPECT_FALSE(made);
        EXPECT_NE(why.find(target), std::string::npos) << why;
        EXPECT_NE(why.find("No space left on device"), std::string::npos) << why;
        EXPECT_EQ(dir.read("game.big"), "the old big file");
        EXPECT_FALSE(dir.hasTemporaryOf("game.big"));
    }
    CBigFile maker;
    testing::internal::CaptureStdout();
    EXPECT_TRUE(maker.Create(X(source), "game", X(target)));
    testing::internal::GetCapturedStdout();
    EXPECT_EQ(dir.read("game.big"), expected());
}

TEST_F(CBigFileTest, FileFunctionsGoToTheOpenBigFile) {
    testing::internal::CaptureStdout();
    ASSERT_TRUE(pack());
    testing::internal::GetCapturedStdout();
    test::ScopedCurrentDirectory cwd(dir.native("src"));
    EXPECT_TRUE(CFile::fileExists("Root1.txt"));

    CFile::openBigFile(X(target));
    ASSERT_NE(CFile::getBigFileIfc(), nullptr);
    ASSERT_NE(CFile::getBigFileHandle(), nullptr);
    EXPECT_TRUE(CFile::fileExists("SUB\\INNER.TXT"));
    EXPECT_FALSE(CFile::fileExists(X(dir.engine("src\\Root1.txt"))));  // disk paths are not in it
    EXPECT_EQ(CFile::getCurrentDirectory(), "\\");
    EXPECT_EQ(CFile::chDir("Sub"), 0);
    EXPECT_TRUE(CFile::dirExists("sub"));
    EXPECT_FALSE(CFile::dirExists("whatever"));
    EXPECT_FALSE(CFile::dirExists(X(dir.engine("src"))));  // disk folders are not in it
    _finddata_t data;
    EXPECT_EQ(CFile::findFirst("root*", &data), 1);
    EXPECT_STREQ(data.name, "Root1.txt");
    EXPECT_EQ(CFile::findNext(1, &data), -1);
    CFile* handle = CFile::getBigFileHandle();
    EXPECT_EQ(CFile::getBigFileIfc()->Seek(CXString("b.dat")), tocSize + 10);
    EXPECT_EQ(CFile::fTell(handle), tocSize + 10);
    EXPECT_EQ(CFile::fSeek(handle, 2, 1), 0);
    EXPECT_EQ(CFile::fTell(handle), tocSize + 12);

    CFile::closeBigFile();
    EXPECT_EQ(CFile::getBigFileIfc(), nullptr);
    EXPECT_TRUE(CFile::fileExists("Root1.txt"));

    // A file that the big file rejects leaves none open.
    CFile::openBigFile(X(dir.engine("src\\b.dat")));
    EXPECT_EQ(CFile::getBigFileIfc(), nullptr);
}

TEST_F(CBigFileTest, BadFilesFailTheOpen) {
    testing::internal::CaptureStdout();
    ASSERT_TRUE(pack());
    testing::internal::GetCapturedStdout();
    const std::string good = dir.read("game.big");
    const size_t headerEnd = 8 + 5 + 4 + 16 + 8;  // the root record starts here
    const size_t rootCounts = headerEnd + 4 + source.size();
    auto patched = [&](size_t at, const std::string& bytes) {
        std::string b = good;
        b.replace(at, bytes.size(), bytes);
        return b;
    };
    // A chain of nested folders deeper than any game needs.
    std::string deep = str("d") + str("\\") + le32(0) + zero8 + zero8 + le32(0) + le32(400);
    for (int i = 0; i < 400; ++i) deep += str("f") + le32(0) + le32(1);
    deep += str("f") + le32(0) + le32(0);

    const struct {
        const char* name;
        std::string bytes;
    } cases[] = {
        {"empty file", ""},
        {"cut in the header", good.substr(0, 20)},
        {"cut in the TOC", good.substr(0, static_cast<size_t>(tocSize) - 3)},
        {"cut in the data", good.substr(0, good.size() - 1)},
        {"negative name length", patched(0, le32(0xFFFFFFFF))},
        {"name past the end", patched(0, le32(0x7FFFFFFF))},
        {"huge file count", patched(rootCounts, le32(0x10000000))},
        {"negative folder count", patched(rootCounts + 4, le32(0xFFFFFFFF))},
        {"deep nesting", deep},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        dir.write("bad.big", c.bytes);
        CBigFile big(X(dir.engine("bad.big")));
        EXPECT_EQ(big.LastError(), CBigFile::kErrorOpen);
        EXPECT_EQ(big.GetFile(), nullptr);
        EXPECT_EQ(big.GetSize("Root1.txt"), 0);
        EXPECT_EQ(big.Seek(CXString("Root1.txt")), -1);
    }

    CBigFile missing(X(dir.engine("missing.big")));
    EXPECT_EQ(missing.LastError(), CBigFile::kErrorOpen);
    EXPECT_FALSE(missing.FileExists("Root1.txt"));
    _finddata_t data;
    EXPECT_EQ(missing.FindFirst("*", &data), -1);
}

}  // namespace
