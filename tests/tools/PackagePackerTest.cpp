#include "tools/PackagePacker.h"

#include <gtest/gtest.h>

#include <string>

#include "net/CSelfExtract.h"
#include "net/CSelfExtractInfo.h"
#include "support/TempDir.h"

namespace {

TEST(PackagePacker, NamesEntriesFromTheFolderAndReadsBack) {
    test::TempDir dir;
    dir.write("src/game1/Dane/a.cnv", "OBJECT=A\r\n");
    dir.write("src/game1/b.txt", "bee");
    std::string error;
    ASSERT_TRUE(tools::packPackage(dir.native("src/game1/"), dir.native("game1.pik"), &error)) << error;
    EXPECT_FALSE(dir.hasTemporaryOf("game1.pik"));
    CSelfExtract package(CXString(dir.engine("game1.pik").c_str()));
    ASSERT_TRUE(package.ReadTOC());
    ASSERT_EQ(package.GetCount(), 2);
    EXPECT_STREQ(package.GetEntry(0)->GetFilename().c_str(), "game1\\b.txt");
    EXPECT_STREQ(package.GetEntry(1)->GetFilename().c_str(), "game1\\Dane\\a.cnv");
    ASSERT_TRUE(package.ExtractFiles(CXString(dir.engine("out").c_str())));
    EXPECT_EQ(dir.read("out/game1/Dane/a.cnv"), "OBJECT=A\r\n");
    EXPECT_EQ(dir.read("out/game1/b.txt"), "bee");
}

TEST(PackagePacker, BadFoldersAndOutputsFail) {
    test::TempDir dir;
    dir.write("g/a.txt", "a");
    struct Case {
        std::string folder, output, error;
    };
    const Case cases[] = {
        {dir.native("missing"), dir.native("x.pik"), dir.native("missing") + ": not a folder"},
        {dir.native("g"), dir.native("g/x.pik"), dir.native("g/x.pik") + ": lies inside the folder it would pack"},
        {dir.native("g"), dir.native("no/x.pik"), dir.native("no/x.pik") + ": its folder does not exist"},
    };
    for (const Case& c : cases) {
        std::string error;
        EXPECT_FALSE(tools::packPackage(c.folder, c.output, &error));
        EXPECT_EQ(error, c.error);
    }
    EXPECT_FALSE(dir.exists("x.pik"));
}

}  // namespace
