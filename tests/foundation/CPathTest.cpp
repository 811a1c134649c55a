#include <gtest/gtest.h>

#include "foundation/CFile.h"
#include "foundation/CPath.h"
#include "foundation/CXArray.h"
#include "tests/foundation/FileTestSupport.h"

using CPathTest = GameFolderTest;

TEST_F(CPathTest, ResolvesDiscInstallationAndFolderForms) {
    CWindow::setCDPath(CXString("E:\\GAME\\"));
    CWindow::rootPath = CXString("D:\\INST\\");
    const CXString cwd = CFile::getCurrentDirectory();
    const struct {
        const char* name;
        CXString resolved;
        CXString resolvedEx;
    } cases[] = {
        {"$", "E:\\GAME\\", "D:\\INST\\"},
        {"$Dane\\x.cnv", "E:\\GAME\\Dane\\x.cnv", "D:\\INST\\Dane\\x.cnv"},
        {"&COMMON\\CLASSES\\a.cls", "E:\\GAME\\COMMON\\CLASSES\\a.cls", "D:\\INST\\COMMON\\CLASSES\\a.cls"},
        {"plain\\a.txt", "plain\\a.txt", "plain\\a.txt"},
        {"SAVES?game.dat", cwd + "\\SAVES\\game.dat", cwd + "\\SAVES\\game.dat"},
        {"?only.dat", cwd + "\\only.dat", cwd + "\\only.dat"},
        {"a?b?c", cwd + "\\a\\b", cwd + "\\a\\b"},
        {"$SAVES?x", cwd + "\\E:\\GAME\\SAVES\\x", cwd + "\\D:\\INST\\SAVES\\x"},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(CPath::resolveFileName(nullptr, CXString(c.name)), c.resolved) << c.name;
        EXPECT_EQ(CPath::resolveFileNameEx(nullptr, CXString(c.name)), c.resolvedEx) << c.name;
    }
}

TEST_F(CPathTest, QuestionMarkNamesOpenUnderTheCurrentDirectory) {
    tmp.write("Saves/Game.dat", "saved");
    EXPECT_EQ(readThrough(nullptr, "saves?GAME.DAT"), "saved");
}

TEST(CPathJoin, FullPaths) {
    EXPECT_EQ(CPath::getFullPath(CXString(), CXString("a.txt")), "a.txt");
    EXPECT_EQ(CPath::getFullPath(CXString("C:\\X"), CXString("a.txt")), "C:\\X\\a.txt");
    EXPECT_EQ(CPath::getFullPath(CXString("C:\\X\\"), CXString("a.txt")), "C:\\X\\a.txt");
    EXPECT_EQ(CPath::getFullPath(CXString("C:\\X"), CXString()), "C:\\X\\");
    EXPECT_EQ(CPath::getFullPath(CXString(), CXString()), "");
    EXPECT_EQ(CPath::getFullPath(CXString("C:\\G\\"), CXString("SAVES"), CXString("g.dat")), "C:\\G\\\\SAVES\\g.dat");
    EXPECT_EQ(CPath::getFullPath(CXString(), CXString(), CXString("g.dat")), "\\g.dat");
    EXPECT_EQ(CPath::getFullPath(CXString("C:"), CXString("d"), CXString()), "C:\\d\\");
}

TEST_F(CPathTest, ObjectFormsUseTheCurrentDirectory) {
    CPath here(nullptr);
    const CXString cwd = CFile::getCurrentDirectory();
    EXPECT_EQ(here.getCurrentPath(), cwd);
    EXPECT_EQ(here.GetFullPath(CXString()), cwd);
    EXPECT_EQ(here.GetFullPath(CXString("Wavs")), cwd + "Wavs");
    EXPECT_EQ(here.GetFullPath(CXString("Dane"), CXString("a.cnv")), cwd + "\\Dane\\a.cnv");
    EXPECT_FALSE(here.isCD());

    tmp.mkdir("disc/Dane");
    ASSERT_EQ(CFile::chDir(CXString("disc\\dane")), 0);
    CPath onDisc(nullptr);
    EXPECT_TRUE(onDisc.isCD());
    CPath noCurrent(nullptr, CXString("x.ann"));
    EXPECT_FALSE(noCurrent.isCD());
}

TEST(CPathExtension, ExtensionAndSetExtension) {
    CPath p(nullptr, CXString("a.b.c"));
    EXPECT_EQ(p.getExtension(), "c");
    EXPECT_EQ(p.SetExtension(CXString("ann")), "a.ann");
    EXPECT_EQ(p.getExtension(), "ann");
    CPath bare(nullptr, CXString("readme"));
    EXPECT_EQ(bare.getExtension(), "readme");
    EXPECT_EQ(bare.SetExtension(CXString("txt")), "txt");
    EXPECT_EQ(bare.getCurrentPath(), "");
}

TEST(CFileNameResolverTest, SplitsPaths) {
    const struct {
        const char* path;
        char drive;
        std::vector<std::string> dirs;
        const char* file;
        const char* pure;
        const char* ext;
    } cases[] = {
        {"C:\\GAMES\\X\\a.b.c", 'C', {"GAMES", "X"}, "a.b.c", "a", "b"},
        {"readme", 0, {}, "readme", "readme", ""},
        {"Dane\\intro.ann", 0, {"Dane"}, "intro.ann", "intro", "ann"},
        {"\\\\srv\\\\x\\", 0, {"srv"}, "x", "x", ""},
        {"D:", 'D', {}, "", "", ""},
        {"", 0, {}, "", "", ""},
    };
    for (const auto& c : cases) {
        CFileNameResolver r{CXString(c.path)};
        EXPECT_EQ(r.getDrive(), static_cast<uint8_t>(c.drive)) << c.path;
        ASSERT_EQ(r.getDirectories()->getCount(), static_cast<int>(c.dirs.size())) << c.path;
        for (size_t i = 0; i < c.dirs.size(); ++i)
            EXPECT_EQ(*r.getDirectories()->stringAt(static_cast<int>(i)), c.dirs[i].c_str()) << c.path;
        EXPECT_EQ(r.getFileName(), c.file) << c.path;
        EXPECT_EQ(r.getPureFileName(), c.pure) << c.path;
        EXPECT_EQ(r.getExtension(), c.ext) << c.path;
        EXPECT_EQ(r.getPath(), "");
    }
}
