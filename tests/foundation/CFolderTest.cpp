#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "foundation/CFile.h"
#include "foundation/CFolder.h"
#include "foundation/CXArray.h"
#include "tests/foundation/FileTestSupport.h"

namespace {

std::vector<std::string> names(CXArray* list) {
    std::vector<std::string> out;
    for (int i = 0; i < list->getCount(); ++i) out.emplace_back(list->stringAt(i)->c_str());
    return out;
}

}  // namespace

TEST(CFolderNames, StandardFolders) {
    EXPECT_EQ(CFolder::DATA_FOLDER, "Dane");
    EXPECT_EQ(CFolder::COMMON_FOLDER, "COMMON");
    EXPECT_EQ(CFolder::WAVS_FOLDER, "WAVS");
    EXPECT_EQ(CFolder::SFX_FOLDER, "Wavs\\Sfx");
}

TEST(CFolderNames, FolderTypes) {
    const struct {
        const char* name;
        const char* type;
    } cases[] = {{"A.+music", "music"}, {"A.x", "x"}, {"A.xyz", "x"}, {"E.+", ""}, {"noDot", ""},
                 {"C:\\G\\B.y\\C.+intro", "intro"}, {"", ""}};
    for (const auto& c : cases) EXPECT_EQ(CFolder::GetFolderType(CXString(c.name)), c.type) << c.name;
}

using CFolderTest = GameFolderTest;

TEST_F(CFolderTest, ListsAndReadsEntries) {
    tmp.write("Box/b.txt", "12345");
    tmp.write("Box/A.TXT", "1");
    tmp.mkdir("Box/Sub");
    CFolder folder(nullptr);
    EXPECT_EQ(folder.getPath(), CXString(platform::getCurrentDirectory().c_str()));

    CXArray* all = folder.list(CXString("box\\*.*"));
    EXPECT_EQ(names(all), (std::vector<std::string>{".", "..", "A.TXT", "b.txt", "Sub"}));
    CFolder::releaseFilesList(all);
    CXArray* none = folder.list(CXString("box\\*.wav"));
    EXPECT_EQ(none->getCount(), 0);
    CFolder::releaseFilesList(none);
    CFolder::releaseFilesList(nullptr);

    // A folder search starts at a directory and goes on unfiltered.
    EXPECT_EQ(folder.GetFolderName(CXString("box\\*.*")), ".");
    EXPECT_EQ(folder.GetFolderName(CXString("box\\s*")), "Sub");
    EXPECT_EQ(folder.GetNextFileName(), "");
    EXPECT_EQ(folder.GetFolderName(CXString("box\\*.txt")), "");
    EXPECT_EQ(folder.GetFileName(CXString("box\\*.txt")), "A.TXT");
    EXPECT_EQ(folder.GetNextFileName(), "b.txt");
    EXPECT_EQ(folder.GetNextFileName(), "");
    EXPECT_EQ(folder.GetNextFileName(), "");

    EXPECT_TRUE(CFolder::IsDirectory(CXString("BOX\\sub")));
    EXPECT_FALSE(CFolder::IsDirectory(CXString("box\\b.txt")));
    EXPECT_FALSE(CFolder::IsDirectory(CXString("box\\none")));
    EXPECT_EQ(CFolder::GetSize(CXString("box\\B.TXT")), 5);
    EXPECT_EQ(CFolder::GetSize(CXString("box\\none")), 0);
}

TEST_F(CFolderTest, WalksLetteredFolders) {
    tmp.mkdir("Tree/A.x");
    tmp.write("Tree/C.file", "not a folder");
    tmp.mkdir("Tree/c.+intro/A.+music");
    tmp.mkdir("Tree/D.y");
    const CXString start = CFile::getCurrentDirectory();

    CFolder folder(nullptr, CXString("tree"));
    EXPECT_EQ(folder.getPath(), eng("Tree\\"));
    EXPECT_EQ(CFile::getCurrentDirectory(), eng("Tree\\"));
    EXPECT_EQ(folder.GoTo(2), "intro");
    EXPECT_EQ(folder.getLastFolder(), "c.+intro");
    EXPECT_EQ(folder.getCurrentPath(), "tree\\c.+intro");
    EXPECT_EQ(CFile::getCurrentDirectory(), eng("Tree\\c.+intro\\"));
    EXPECT_EQ(folder.GoTo(0), "music");
    EXPECT_EQ(folder.GoUp(), "intro");
    EXPECT_EQ(CFile::getCurrentDirectory(), eng("Tree\\c.+intro\\"));
    EXPECT_EQ(folder.GoUp(), "");
    EXPECT_EQ(folder.getCurrentPath(), "tree");
    // No folder for the letter: the walk stays where it is.
    EXPECT_EQ(folder.GoTo(1), "");
    EXPECT_EQ(CFile::getCurrentDirectory(), eng("Tree\\"));

    folder.GoTo(3);
    folder.GoStart();
    EXPECT_EQ(CFile::getCurrentDirectory(), eng("Tree\\"));
    folder.back();
    EXPECT_EQ(CFile::getCurrentDirectory(), start);
}

TEST_F(CFolderTest, StartPathWithLeadingBackslashIsKept) {
    tmp.mkdir("Abs");
    const std::string native = tmp.native("Abs");
    CXString path(platform::toEnginePath(native).substr(2).c_str());  // "\tmp\...\Abs"
    CFolder folder(nullptr, path);
    EXPECT_EQ(folder.getPath(), path);
    EXPECT_EQ(CFile::getCurrentDirectory(), eng("Abs\\"));
}
