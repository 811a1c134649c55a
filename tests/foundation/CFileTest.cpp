#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "foundation/CFile.h"
#include "foundation/CLanguageOSVer.h"
#include "platform/DebugOutput.h"
#include "platform/FileSystem.h"
#include "support/TempDir.h"
#include "tests/foundation/FileTestSupport.h"

using CFileOpenTest = GameFolderTest;

TEST_F(CFileOpenTest, FourCandidatesLanguageFirstInstalledBeforeDisc) {
    CLanguageOSVer czech(CXString("0405"));
    TestWindow window(&czech);
    tmp.write("inst/DANE/cze/A.CNV", "inst-cze");
    tmp.write("inst/DANE/a.cnv", "inst");
    tmp.write("disc/Dane/CZE/a.cnv", "disc-cze");
    tmp.write("disc/Dane/a.cnv", "disc");

    // "$" names lie on the disc: the installed copy is tried first.
    EXPECT_EQ(readThrough(&window, "$Dane\\a.cnv"), "inst-cze");
    tmp.remove("inst/DANE/cze/A.CNV");
    EXPECT_EQ(readThrough(&window, "$Dane\\a.cnv"), "inst");
    tmp.remove("inst/DANE/a.cnv");
    EXPECT_EQ(readThrough(&window, "$DANE\\A.CNV"), "disc-cze");
    tmp.remove("disc/Dane/CZE/a.cnv");
    EXPECT_EQ(readThrough(&window, "$Dane\\a.cnv"), "disc");
    tmp.remove("disc/Dane/a.cnv");
    EXPECT_EQ(readThrough(&window, "$Dane\\a.cnv"), "<2000>");
}

TEST_F(CFileOpenTest, NameOnFixedDiskTriesItselfThenTheDiscCopy) {
    CLanguageOSVer czech(CXString("0405"));
    TestWindow window(&czech);
    tmp.write("inst/Dane/b.cnv", "inst");
    tmp.write("disc/Dane/CZE/b.cnv", "disc-cze");
    // Relative to the current directory, which is on the fixed disk.
    EXPECT_EQ(readThrough(&window, "inst\\Dane\\b.cnv"), "inst");
    tmp.remove("inst/Dane/b.cnv");
    EXPECT_EQ(readThrough(&window, "INST\\Dane\\b.cnv"), "disc-cze");

    // Without a standard folder name the disc form is the path itself.
    tmp.write("other/CZE/c.txt", "cze");
    EXPECT_EQ(readThrough(&window, "other\\c.txt"), "cze");
}

TEST_F(CFileOpenTest, WithoutLanguageLocalThenAbsolute) {
    TestWindow window;
    tmp.write("disc/Dane/CZE/a.cnv", "disc-cze");
    tmp.write("disc/Dane/a.cnv", "disc");
    EXPECT_EQ(readThrough(&window, "$Dane\\a.cnv"), "disc");
    EXPECT_EQ(readThrough(nullptr, "&Dane\\a.cnv"), "disc");
    tmp.write("inst/Dane/a.cnv", "inst");
    EXPECT_EQ(readThrough(&window, "$Dane\\a.cnv"), "inst");
    EXPECT_EQ(readThrough(nullptr, eng("disc\\Dane\\a.cnv").c_str()), "inst");
}

TEST_F(CFileOpenTest, ErrorCodeFollowsTheLatestOpen) {
    tmp.write("x.bin", "abc");
    CFile f;
    EXPECT_EQ(f.LastError(), 0);
    EXPECT_EQ(f.Open(nullptr, CXString("missing.bin"), CFile::kReadBinary), CFile::kErrorNotFound);
    EXPECT_EQ(f.LastError(), CFile::kErrorNotFound);
    EXPECT_EQ(f.GetHandle(), nullptr);
    EXPECT_EQ(f.Tell(), 0);
    EXPECT_EQ(f.Length(), -1);
    EXPECT_TRUE(f.eof());
    char buf[4];
    EXPECT_EQ(f.Read(buf, 4), 0);
    EXPECT_EQ(f.getLine(), "");
    EXPECT_EQ(f.Close(), CFile::kErrorNotFound);

    EXPECT_EQ(f.Open(nullptr, CXString("X.BIN"), CFile::kReadBinary), 0);
    EXPECT_EQ(f.LastError(), 0);
    EXPECT_EQ(f.getFilePath(), eng("X.BIN"));
    EXPECT_EQ(f.getMode(), CFile::kReadBinary);
    // Reopening closes the stream held and reports the new result.
    EXPECT_EQ(f.Open(nullptr, CXString("nope"), CFile::kReadBinary), CFile::kErrorNotFound);
    EXPECT_EQ(f.GetHandle(), nullptr);
    EXPECT_EQ(f.Open(nullptr, CXString("x.bin"), CFile::kReadBinary), 0);
    EXPECT_EQ(f.Read(buf, 3), 3);
    EXPECT_EQ(f.Close(), 0);
    EXPECT_EQ(f.Close(), 0);

    CFile ctor(nullptr, CXString("missing"), CFile::kReadBinary);
    EXPECT_EQ(ctor.LastError(), CFile::kErrorNotFound);
}

TEST_F(CFileOpenTest, ModeTexts) {
    const struct {
        int mode;
        const char* text;
    } cases[] = {{17, "rb"}, {22, "w+b"}, {9, "rt"}, {1, "r"}, {14, "w+t"}, {0, "w"}, {25, "rt"}, {5, "r+"}};
    for (const auto& c : cases) EXPECT_EQ(CFile::modeText(c.mode), c.text) << c.mode;
    // The named modes are the numbers games' files were always opened with.
    EXPECT_EQ(CFile::kReadBinary, 0x11);
    EXPECT_EQ(CFile::kCreateBinary, 0x16);
    EXPECT_EQ(CFile::modeText(CFile::kWriteBinary), "wb");
    EXPECT_EQ(CFile::modeText(CFile::kCreateText), "w+t");
}

TEST_F(CFileOpenTest, WritesReadsAndPositions) {
    tmp.mkdir("Saves");
    {
        CFile f(nullptr, CXString("saves\\New.bin"), CFile::kCreateBinary);
        ASSERT_EQ(f.LastError(), 0);
        EXPECT_EQ(f.Write("hello world", 11), 11);
        EXPECT_EQ(f.Write("x", 0), 0);
        EXPECT_EQ(f.Tell(), 11);
        EXPECT_EQ(f.Seek(6, 0), 0);
        EXPECT_EQ(f.Length(), 11);
        EXPECT_EQ(f.Tell(), 6);
        char buf[16] = {};
        EXPECT_EQ(f.Read(buf, 16), 5);
        EXPECT_STREQ(buf, "world");
        EXPECT_TRUE(f.eof());
        EXPECT_EQ(f.Seek(-5, 2), 0);
        EXPECT_EQ(f.Tell(), 6);
        EXPECT_EQ(f.Seek(0, 9), -1);
        f.putLine(CXString("!"));
    }
    EXPECT_EQ(tmp.read("Saves/New.bin"), "hello !orld");
}

TEST_F(CFileOpenTest, CloseReportsBytesThatDidNotReachTheFile) {
    CFile saved(nullptr, CXString("ok.bin"), CFile::kWriteBinary);
    EXPECT_EQ(saved.Write("data", 4), 4);
    EXPECT_EQ(saved.Close(), 0);
    EXPECT_EQ(tmp.read("ok.bin"), "data");

    if (!platform::exists("/dev/full")) GTEST_SKIP() << "no full device";
    CFile full(nullptr, CXString("/dev/full"), CFile::kWriteBinary);
    ASSERT_NE(full.GetHandle(), nullptr);
    EXPECT_EQ(full.Write("data", 4), 4);  // still in the stream's buffer
    EXPECT_EQ(full.Close(), CFile::kErrorWrite);
    EXPECT_EQ(full.GetHandle(), nullptr);
    EXPECT_EQ(full.Close(), CFile::kErrorWrite);
}

TEST_F(CFileOpenTest, TextModeReadsCrLfAsLfAndLinesKeepTheirEnd) {
    tmp.write("t.txt", "first\r\nsecond\r\nlast");
    for (int mode : {int(CFile::kRead), int(CFile::kReadText)}) {
        CFile f(nullptr, CXString("T.txt"), mode);
        ASSERT_EQ(f.LastError(), 0);
        EXPECT_EQ(f.getLine(), "first\n");
        char buf[64];
        f.GetLine(buf, sizeof buf);
        EXPECT_STREQ(buf, "second\n");
        EXPECT_EQ(f.getLine(), "last");
        EXPECT_EQ(f.getLine(), "");
        EXPECT_TRUE(f.eof());
    }
    CFile binary(nullptr, CXString("t.txt"), CFile::kReadBinary);
    EXPECT_EQ(binary.getLine(), "first\r\n");
    EXPECT_EQ(binary.Length(), 19);
    CFile text(nullptr, CXString("t.txt"), CFile::kReadText);
    char buf[64];
    EXPECT_EQ(text.Read(buf, sizeof buf), 17);
    EXPECT_EQ(text.Length(), 17);
}

TEST_F(CFileOpenTest, LongLinesComeInPieces) {
    const std::string longLine(CFile::kMaxLine + 5, 'x');
    tmp.write("long.txt", longLine + "\nnext\n");
    CFile f(nullptr, CXString("long.txt"), CFile::kReadText);
    EXPECT_EQ(std::string(f.getLine().c_str()), std::string(CFile::kMaxLine, 'x'));
    EXPECT_EQ(f.getLine(), "xxxxx\n");
    EXPECT_EQ(f.getLine(), "next\n");
    char small[4];
    f.GetLine(small, sizeof small);
    EXPECT_STREQ(small, "");
}

TEST_F(CFileOpenTest, ReRootingAtStandardFolders) {
    CWindow::rootPath = CXString("R:\\ROOT\\");
    CWindow::setCDPath(CXString("E:\\CD\\"));
    const struct {
        const char* path;
        const char* local;
    } cases[] = {
        {"E:\\GAME\\Dane\\x\\a.cnv", "R:\\ROOT\\Dane\\x\\a.cnv"},
        {"E:\\G\\COMMON\\CLASSES\\c.cls", "R:\\ROOT\\COMMON\\CLASSES\\c.cls"},
        {"E:\\G\\Wavs\\Sfx\\b.wav", "R:\\ROOT\\WAVS\\SFX\\B.WAV"},
        {"E:\\G\\COMMON\\Dane\\x", "R:\\ROOT\\Dane\\x"},
        {"E:\\GAME\\dane\\a.cnv", "E:\\GAME\\dane\\a.cnv"},  // "Dane" is matched in its own case
        {"E:\\G\\other\\x.txt", "E:\\G\\other\\x.txt"},
    };
    for (const auto& c : cases) EXPECT_EQ(CFile::getLocalPath(CXString(c.path)), c.local) << c.path;
    EXPECT_EQ(CFile::getCDPath(CXString("R:\\ROOT\\Dane\\a.cnv")), "E:\\CD\\Dane\\a.cnv");

    // Without a root the path stays as it is.
    CWindow::rootPath = CXString();
    EXPECT_EQ(CFile::getLocalPath(CXString("E:\\G\\Dane\\a.cnv")), "E:\\G\\Dane\\a.cnv");
}

TEST_F(CFileOpenTest, ReadablePathPrefersLanguageAndInstalledCopy) {
    CLanguageOSVer czech(CXString("0405"));
    TestWindow window(&czech);
    EXPECT_EQ(CFile::getPath(&window, CXString("$Dane\\a.ann")), "");
    tmp.write("disc/Dane/a.ann", "d");
    EXPECT_EQ(CFile::getPath(&window, CXString("$Dane\\a.ann")), eng("disc\\Dane\\a.ann"));
    tmp.write("disc/Dane/CZE/a.ann", "dc");
    EXPECT_EQ(CFile::getPath(&window, CXString("$Dane\\a.ann")), eng("disc\\Dane\\CZE\\a.ann"));
    // The installed copy comes before any disc copy: a missing variant falls back to the plain file.
    tmp.write("inst/Dane/a.ann", "i");
    EXPECT_EQ(CFile::getPath(&window, CXString("$Dane\\a.ann")), eng("inst\\Dane\\a.ann"));
    tmp.write("inst/Dane/CZE/a.ann", "ic");
    EXPECT_EQ(CFile::getPath(&window, CXString("$Dane\\a.ann")), eng("inst\\Dane\\CZE\\a.ann"));
    EXPECT_EQ(CFile::getPath(nullptr, CXString("$Dane\\a.ann")), eng("inst\\Dane\\a.ann"));
}

TEST_F(CFileOpenTest, DriveTypeOfPaths) {
    EXPECT_FALSE(CFile::isHdd(CXString()));
    EXPECT_TRUE(CFile::isHdd(eng("inst\\x")));
    EXPECT_FALSE(CFile::isHdd(eng("DISC\\Dane\\x")));
}

using CFileDirectoryTest = GameFolderTest;

TEST_F(CFileDirectoryTest, CurrentDirectoryAndChanges) {
    tmp.mkdir("Game/Dane");
    EXPECT_EQ(CFile::getCurrentDirectory(), eng(""));
    EXPECT_EQ(CFile::chDir(CXString("GAME\\dane")), 0);
    EXPECT_EQ(CFile::getCurrentDirectory(), eng("Game\\Dane\\"));
    EXPECT_EQ(CFile::chDir(CXString("missing")), -1);

    char buf[1024];
    CFile::getCurrentDirectory(sizeof buf, buf);
    EXPECT_EQ(std::string(buf), tmp.engine("Game\\Dane"));
    std::memset(buf, 'z', sizeof buf);
    CFile::getCurrentDirectory(4, buf);
    EXPECT_STREQ(buf, "");
}

TEST_F(CFileDirectoryTest, ExistenceTests) {
    tmp.write("Dane/File.txt", "x");
    EXPECT_TRUE(CFile::fileExists(CXString("dane\\file.TXT")));
    EXPECT_FALSE(CFile::fileExists(CXString("dane")));
    EXPECT_FALSE(CFile::fileExists(CXString("dane\\other.txt")));
    const CXString before = CFile::getCurrentDirectory();
    EXPECT_TRUE(CFile::dirExists(CXString("DANE")));
    EXPECT_EQ(CFile::getCurrentDirectory(), before);
    EXPECT_FALSE(CFile::dirExists(CXString("dane\\file.txt")));
    EXPECT_FALSE(CFile::dirExists(CXString("nothing")));
}

TEST_F(CFileDirectoryTest, SearchesForDirectoriesSkipFiles) {
    tmp.write("box/ax.txt", "");
    tmp.write("box/bx.txt", "");
    tmp.mkdir("box/cx");
    tmp.mkdir("box/dx");
    _finddata_t data;
    data.attrib = platform::kAttribSubdir;
    const int h = CFile::findFirst(CXString("BOX\\*x*"), &data);
    ASSERT_NE(h, -1);
    EXPECT_STREQ(data.name, "cx");
    EXPECT_EQ(CFile::findNext(h, &data), 0);
    EXPECT_STREQ(data.name, "dx");
    EXPECT_EQ(CFile::findNext(h, &data), -1);

    data.attrib = platform::kAttribSubdir;
    EXPECT_EQ(CFile::findFirst(CXString("box\\*.txt"), &data), -1);
    data = _finddata_t();
    const int any = CFile::findFirst(CXString("box\\*x*"), &data);
    ASSERT_NE(any, -1);
    EXPECT_STREQ(data.name, "ax.txt");
    EXPECT_EQ(CFile::findClose(any), 0);
}

TEST(CFileStream, ReadsAndSeeksInsideTheBuffer) {
    char bytes[10] = {'0', '1', '2', '3', '4', '5', '6', '7', '8', '9'};
    CFile_Stream s(bytes, 10);
    EXPECT_EQ(s.Length(), 10);
    EXPECT_EQ(s.GetHandle(), nullptr);
    EXPECT_EQ(s.Seek(8, 0), 8);
    char out[5] = {};
    EXPECT_EQ(s.Read(out, 5), 2);
    EXPECT_EQ(std::string(out, 2), "89");
    EXPECT_TRUE(s.eof());
    EXPECT_EQ(s.Read(out, 5), 0);
    EXPECT_EQ(s.Seek(-4, 1), 6);
    EXPECT_FALSE(s.eof());
    EXPECT_EQ(s.Seek(3, 2), 10);
    EXPECT_TRUE(s.eof());
    EXPECT_EQ(s.Seek(2, 7), 10);
    EXPECT_EQ(s.Seek(100, 0), 10);
    EXPECT_EQ(s.Seek(-100, 1), 0);
    EXPECT_EQ(s.Read(out, 0), 0);
    EXPECT_EQ(s.getLine(), "");
    EXPECT_EQ(s.Tell(), 0);
}

// A save or copy that fails is shown on standard error without "debug", once for each
// kind and file, while the debugger output hears every one.
TEST(FailureReports, OneLineOnStandardErrorForEachKindAndFile) {
    test::TempDir dir;
    dir.write("source.txt", "source");
    platform::CapturedDebugOutput debug;
    platform::ScopedDebugOutput scopedDebug(debug);
    const CXString saved(dir.engine("saved.arr").c_str());
    const CXString other(dir.engine("other.arr").c_str());
    const CXString copy(dir.engine("copy.txt").c_str());
    platform::setFreeSpaceLimit(2);
    testing::internal::CaptureStderr();
    for (int i = 0; i < 2; ++i) {
        EXPECT_NE(CFile::saveWhole(nullptr, saved, "more bytes than fit", "ARRAY SAVE"), 0);
        EXPECT_NE(CFile::saveWhole(nullptr, saved, "more bytes than fit", "DATABASE SAVE"), 0);
        EXPECT_NE(CFile::saveWhole(nullptr, other, "more bytes than fit", "ARRAY SAVE"), 0);
        EXPECT_FALSE(CFile::copyWhole(CXString(dir.engine("source.txt").c_str()), copy, "COPYFILE"));
    }
    const std::string errors = testing::internal::GetCapturedStderr();
    platform::clearFreeSpaceLimit();
    EXPECT_EQ(debug.lines.size(), 8u);
    const std::string expected = std::string("ARRAY SAVE: ") + saved.c_str() +
                                 " is not written (No space left on device); the file stays as it was\n" +
                                 "DATABASE SAVE: " + saved.c_str() +
                                 " is not written (No space left on device); the file stays as it was\n" +
                                 "ARRAY SAVE: " + other.c_str() +
                                 " is not written (No space left on device); the file stays as it was\n" +
                                 "COPYFILE: " + dir.engine("source.txt") + " is not copied to " + copy.c_str() +
                                 " (No space left on device)\n";
    EXPECT_EQ(errors, expected);
    EXPECT_FALSE(dir.exists("copy.txt"));
}
