#include <gtest/gtest.h>
#include <cerrno>
#include <algorithm>
#include <unistd.h>
#include <sys/stat.h>
#include <dirent.h>

#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "platform/FileSystem.h"
#include "platform/Locale.h"
#include "support/TempDir.h"

namespace {

std::string readAll(FILE* f) {
    std::string out;
    char buf[256];
    size_t n;
    while ((n = std::fread(buf, 1, sizeof buf, f)) > 0) out.append(buf, n);
    return out;
}

std::vector<std::string> findAll(const std::string& pattern) {
    std::vector<std::string> names;
    platform::FindData data;
    const int h = platform::findFirst(pattern.c_str(), &data);
    if (h == -1) return names;
    do {
        names.emplace_back(data.name);
    } while (platform::findNext(h, &data) == 0);
    return names;
}

// Sets an environment variable for the guard's lifetime.
class ScopedEnv {
public:
    ScopedEnv(const char* name, const char* value) : m_name(name) {
        if (const char* old = std::getenv(name)) {
            m_had = true;
            m_old = old;
        }
        if (value) setenv(name, value, 1);
        else unsetenv(name);
    }
    ~ScopedEnv() {
        if (m_had) setenv(m_name.c_str(), m_old.c_str(), 1);
        else unsetenv(m_name.c_str());
    }

private:
    std::string m_name;
    std::string m_old;
    bool m_had = false;
};

}  // namespace

TEST(FileSystemPath, NormalizesSeparatorsAndDrive) {
    const struct {
        const char* in;
        const char* out;
    } cases[] = {
        {"C:\\G\\Dane\\a.cnv", "/G/Dane/a.cnv"}, {"c:\\\\G\\\\\\x\\", "/G/x"}, {"Dane\\a.cnv", "Dane/a.cnv"},
        {"\\abs\\x", "/abs/x"},                   {"/native/path/", "/native/path"}, {"C:", "."},
        {"D:rel\\x", "rel/x"},                    {"C:\\", "/"},                     {"", ""},
        {"a/b\\c", "a/b/c"},
    };
    for (const auto& c : cases) EXPECT_EQ(platform::normalizePath(c.in), c.out) << c.in;
    EXPECT_EQ(platform::toEnginePath("/home/u/game"), "C:\\home\\u\\game");
    EXPECT_EQ(platform::toEnginePath("/"), "C:\\");
    EXPECT_EQ(platform::toEnginePath("rel/x"), "rel\\x");
}

TEST(FileSystemPath, FoldsAsciiAndPolishLettersOnly) {
    EXPECT_TRUE(platform::equalsIgnoreCase("D\xA3UGI.TXT", "d\xB3ugi.txt"));
    EXPECT_TRUE(platform::equalsIgnoreCase("\x8C\x8F\xA5\xAF\xC6\xCA\xD1\xD3", "\x9C\x9F\xB9\xBF\xE6\xEA\xF1\xF3"));
    EXPECT_FALSE(platform::equalsIgnoreCase("\xC0", "\xE0"));  // not one of the nine pairs
    EXPECT_FALSE(platform::equalsIgnoreCase("ab", "abc"));
}

TEST(FileSystemPath, MatchesComponentsIgnoringCase) {
    test::TempDir tmp;
    tmp.write("Game/Dane/Intro.CNV", "x");
    tmp.write("Game/D\xA3UGI/plik.txt", "y");
    tmp.write("Game/both/a.txt", "lower");
    tmp.write("Game/both/A.TXT", "upper");

    EXPECT_EQ(platform::toNativePath(tmp.engine("GAME\\dane\\intro.cnv").c_str()), tmp.native("Game/Dane/Intro.CNV"));
    EXPECT_EQ(platform::toNativePath(tmp.engine("game\\d\xB3ugi\\PLIK.TXT").c_str()),
              tmp.native("Game/D\xA3UGI/plik.txt"));
    // The exact spelling wins; otherwise the first spelling in byte order.
    EXPECT_EQ(platform::toNativePath(tmp.engine("game\\both\\a.txt").c_str()), tmp.native("Game/both/a.txt"));
    EXPECT_EQ(platform::toNativePath(tmp.engine("game\\both\\A.TXT").c_str()), tmp.native("Game/both/A.TXT"));
    EXPECT_EQ(platform::toNativePath(tmp.engine("game\\both\\A.txt").c_str()), tmp.native("Game/both/A.TXT"));
    // A missing component and everything after it stay as written.
    EXPECT_EQ(platform::toNativePath(tmp.engine("GAME\\New\\Sub\\x.txt").c_str()), tmp.native("Game/New/Sub/x.txt"));

    // Relative names resolve against the current directory.
    test::ScopedCurrentDirectory cd(tmp.native("Game"));
    EXPECT_EQ(platform::toNativePath("DANE\\intro.cnv"), "Dane/Intro.CNV");
    EXPECT_EQ(platform::toNativePath("dane\\..\\DANE\\INTRO.cnv"), "Dane/../Dane/Intro.CNV");
}

TEST(FileSystemPath, EngineWritesRefreshTheListing) {
    test::TempDir tmp;
    tmp.mkdir("Dane");
    const std::string late = tmp.engine("dane\\late.txt");
    EXPECT_EQ(platform::toNativePath(late.c_str()), tmp.native("Dane/late.txt"));
    FILE* f = platform::fopen(tmp.engine("DANE\\LATE.TXT").c_str(), "wb");
    ASSERT_NE(f, nullptr);
    std::fclose(f);
    EXPECT_TRUE(tmp.exists("Dane/LATE.TXT"));
    EXPECT_EQ(platform::toNativePath(late.c_str()), tmp.native("Dane/LATE.TXT"));

    EXPECT_TRUE(platform::renameFile(late.c_str(), tmp.engine("dane\\Moved.txt").c_str()));
    EXPECT_EQ(platform::toNativePath(tmp.engine("DANE\\MOVED.TXT").c_str()), tmp.native("Dane/Moved.txt"));
    EXPECT_TRUE(platform::makeDirectory(tmp.engine("dane\\Sub").c_str()));
    EXPECT_TRUE(platform::isDirectory(tmp.engine("DANE\\SUB").c_str()));
    EXPECT_TRUE(platform::copyFile(tmp.engine("dane\\moved.txt").c_str(), tmp.engine("DANE\\sub\\Copy.txt").c_str(), true));
    EXPECT_FALSE(platform::copyFile(tmp.engine("dane\\moved.txt").c_str(), tmp.engine("dane\\sub\\copy.txt").c_str(), true));
    EXPECT_TRUE(platform::removeFile(tmp.engine("dane\\SUB\\copy.TXT").c_str()));
    EXPECT_TRUE(platform::removeDirectory(tmp.engine("Dane\\sub").c_str()));
    EXPECT_FALSE(platform::exists(tmp.engine("dane\\sub").c_str()));
    EXPECT_FALSE(platform::removeFile(tmp.engine("dane\\sub").c_str()));
}

// Copies and renames never destroy what is already there: not the source under
// another spelling of its name, not an existing target.
TEST(FileSystemFiles, CopiesAndRenamesKeepExistingFiles) {
    test::TempDir tmp;
    tmp.write("same.txt", "source bytes");
    tmp.write("other.txt", "other bytes");
    const std::string same = tmp.engine("same.txt");
    for (const char* onto : {"same.txt", "SAME.TXT"}) {
        for (bool failIfExists : {false, true}) {
            SCOPED_TRACE(std::string(onto) + (failIfExists ? " failIfExists" : ""));
            EXPECT_FALSE(platform::copyFile(same.c_str(), tmp.engine(onto).c_str(), failIfExists));
            EXPECT_EQ(tmp.read("same.txt"), "source bytes");
        }
    }
    EXPECT_FALSE(platform::copyFile(same.c_str(), tmp.engine("OTHER.txt").c_str(), true));
    EXPECT_EQ(tmp.read("other.txt"), "other bytes");
    EXPECT_TRUE(platform::copyFile(same.c_str(), tmp.engine("OTHER.txt").c_str(), false));
    EXPECT_EQ(tmp.read("other.txt"), "source bytes");

    tmp.write("other.txt", "other bytes");
    EXPECT_FALSE(platform::renameFile(same.c_str(), tmp.engine("Other.TXT").c_str()));
    EXPECT_EQ(tmp.read("same.txt"), "source bytes");
    EXPECT_EQ(tmp.read("other.txt"), "other bytes");
    tmp.mkdir("Folder");
    EXPECT_FALSE(platform::renameFile(tmp.engine("folder").c_str(), tmp.engine("other.txt").c_str()));
    EXPECT_TRUE(platform::renameFile(tmp.engine("folder").c_str(), tmp.engine("Moved").c_str()));
    EXPECT_TRUE(platform::isDirectory(tmp.engine("moved").c_str()));
}

// The atomic writer and the copy replace a file only when the new bytes are whole:
// on a full disk (the layer's free-space limit) the old file stays as it was and
// no temporary file is left. Both write through a symbolic link to its file.
TEST(FileSystemFiles, AtomicWritesAndCopiesKeepTheOldFileAndFollowLinks) {
    test::TempDir tmp;
    auto names = [&] {
        std::vector<std::string> out;
        DIR* d = opendir(tmp.path().c_str());
        while (struct dirent* e = d ? readdir(d) : nullptr)
            if (e->d_name[0] != '.') out.emplace_back(e->d_name);
        if (d) closedir(d);
        std::sort(out.begin(), out.end());
        return out;
    };
    tmp.write("save.dat", "old");
    chmod(tmp.native("save.dat").c_str(), 0640);
    tmp.write("big.dat", std::string(100000, 'b'));
    const std::string save = tmp.engine("SAVE.DAT");
    const std::string big = tmp.engine("big.dat");

    platform::setFreeSpaceLimit(1000);
    platform::WriteFailure failure;
    const std::string large(5000, 'x');
    EXPECT_FALSE(platform::writeFileAtomically(save.c_str(), large.data(), large.size(), &failure));
    EXPECT_TRUE(failure.started);
    EXPECT_EQ(failure.error, ENOSPC);
    EXPECT_FALSE(platform::copyFile(big.c_str(), save.c_str(), false));
    EXPECT_EQ(tmp.read("save.dat"), "old");
    EXPECT_EQ(names(), (std::vector<std::string>{"big.dat", "save.dat"}));
    // What fits is written.
    EXPECT_TRUE(platform::writeFileAtomically(save.c_str(), "new", 3));
    platform::clearFreeSpaceLimit();
    EXPECT_EQ(tmp.read("save.dat"), "new");
    struct stat st;
    ASSERT_EQ(stat(tmp.native("save.dat").c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 07777, 0640u);

    // A missing folder: nothing was started, so a caller may try another place.
    EXPECT_FALSE(platform::writeFileAtomically(tmp.engine("no\\x.dat").c_str(), "a", 1, &failure));
    EXPECT_FALSE(failure.started);
    EXPECT_EQ(failure.error, ENOENT);

    // Links, absolute and relative, stay links; the files they name change.
    tmp.mkdir("real");
    tmp.write("real/target.ini", "old");
    ASSERT_EQ(symlink("real/target.ini", tmp.native("relative.ini").c_str()), 0);
    ASSERT_EQ(symlink(tmp.native("relative.ini").c_str(), tmp.native("absolute.ini").c_str()), 0);
    EXPECT_TRUE(platform::writeFileAtomically(tmp.engine("absolute.ini").c_str(), "written", 7));
    EXPECT_EQ(tmp.read("real/target.ini"), "written");
    EXPECT_TRUE(platform::copyFile(save.c_str(), tmp.engine("relative.ini").c_str(), false));
    EXPECT_EQ(tmp.read("real/target.ini"), "new");
    for (const char* link : {"relative.ini", "absolute.ini"}) {
        ASSERT_EQ(lstat(tmp.native(link).c_str(), &st), 0);
        EXPECT_TRUE(S_ISLNK(st.st_mode)) << link;
    }
    // A dangling link makes the file it names.
    ASSERT_EQ(symlink("real/later.ini", tmp.native("dangling.ini").c_str()), 0);
    EXPECT_TRUE(platform::writeFileAtomically(tmp.engine("dangling.ini").c_str(), "made", 4));
    EXPECT_EQ(tmp.read("real/later.ini"), "made");
    EXPECT_EQ(names(), (std::vector<std::string>{"absolute.ini", "big.dat", "dangling.ini", "real", "relative.ini",
                                                 "save.dat"}));
}

TEST(FileSystemCurrentDirectory, ReadsBackInEngineFormAndChangesIgnoringCase) {
    test::TempDir tmp;
    tmp.mkdir("Game/Dane");
    test::ScopedCurrentDirectory cd(tmp.path());
    EXPECT_EQ(platform::getCurrentDirectory(), platform::toEnginePath(tmp.path()));
    EXPECT_EQ(platform::getCurrentDirectory().substr(0, 3), "C:\\");

    EXPECT_EQ(platform::setCurrentDirectory("GAME\\dane"), 0);
    EXPECT_EQ(platform::getCurrentDirectory(), tmp.engine("Game\\Dane"));
    EXPECT_EQ(platform::setCurrentDirectory(".."), 0);
    EXPECT_EQ(platform::getCurrentDirectory(), tmp.engine("Game"));
    EXPECT_EQ(platform::setCurrentDirectory("missing"), -1);
    EXPECT_EQ(platform::getCurrentDirectory(), tmp.engine("Game"));
}

TEST(FileSystemFiles, TextModeReadsCrLfAsLf) {
    test::TempDir tmp;
    tmp.write("t.txt", "one\r\ntwo\rthree\r\n\r\nend\r");
    const std::string path = tmp.engine("T.TXT");

    for (const char* mode : {"r", "rt"}) {
        FILE* f = platform::fopen(path.c_str(), mode);
        ASSERT_NE(f, nullptr) << mode;
        EXPECT_EQ(readAll(f), "one\ntwo\rthree\n\nend\r") << mode;
        std::fclose(f);
    }
    FILE* f = platform::fopen(path.c_str(), "rb");
    ASSERT_NE(f, nullptr);
    EXPECT_EQ(readAll(f), "one\r\ntwo\rthree\r\n\r\nend\r");
    std::fclose(f);

    // Lines, positions and the size agree with what a text stream reads.
    f = platform::fopen(path.c_str(), "r");
    ASSERT_NE(f, nullptr);
    char line[64];
    ASSERT_NE(std::fgets(line, sizeof line, f), nullptr);
    EXPECT_STREQ(line, "one\n");
    const long afterFirst = std::ftell(f);
    ASSERT_NE(std::fgets(line, sizeof line, f), nullptr);
    EXPECT_STREQ(line, "two\rthree\n");
    ASSERT_EQ(std::fseek(f, afterFirst, SEEK_SET), 0);
    ASSERT_NE(std::fgets(line, sizeof line, f), nullptr);
    EXPECT_STREQ(line, "two\rthree\n");
    ASSERT_EQ(std::fseek(f, 0, SEEK_END), 0);
    EXPECT_EQ(std::ftell(f), 19);
    EXPECT_EQ(std::fgetc(f), EOF);
    EXPECT_TRUE(std::feof(f));
    std::fclose(f);
}

TEST(FileSystemFiles, WritesAreNotTranslatedAndDirectoriesDoNotOpen) {
    test::TempDir tmp;
    tmp.mkdir("Dir");
    FILE* f = platform::fopen(tmp.engine("out.txt").c_str(), "w");
    ASSERT_NE(f, nullptr);
    std::fputs("a\nb\n", f);
    std::fclose(f);
    EXPECT_EQ(tmp.read("out.txt"), "a\nb\n");

    f = platform::fopen(tmp.engine("out.txt").c_str(), "a+");
    ASSERT_NE(f, nullptr);
    std::fputs("c\r\n", f);
    std::fclose(f);
    EXPECT_EQ(tmp.read("out.txt"), "a\nb\nc\r\n");

    EXPECT_EQ(platform::fopen(tmp.engine("dir").c_str(), "r"), nullptr);
    EXPECT_EQ(platform::fopen(tmp.engine("dir").c_str(), "rb"), nullptr);
    EXPECT_EQ(platform::fopen(tmp.engine("missing.txt").c_str(), "r"), nullptr);
    EXPECT_EQ(platform::fopen(tmp.engine("out.txt").c_str(), "q"), nullptr);
    EXPECT_EQ(platform::fileSize(tmp.engine("OUT.TXT").c_str()), 7);
    EXPECT_EQ(platform::fileSize(tmp.engine("dir").c_str()), -1);
}

TEST(FileSystemFind, ListsSortedWithWindowsWildcards) {
    test::TempDir tmp;
    tmp.write("b.TXT", "12345");
    tmp.write("A.txt", "1");
    tmp.write("c.dat", "");
    tmp.write("noext", "");
    tmp.mkdir("Sub");
    const std::string dir = tmp.engine() ;

    EXPECT_EQ(findAll(dir + "*.*"), (std::vector<std::string>{".", "..", "A.txt", "b.TXT", "c.dat", "noext", "Sub"}));
    EXPECT_EQ(findAll(dir + "*"), findAll(dir + "*.*"));
    EXPECT_EQ(findAll(dir + "*.TXT"), (std::vector<std::string>{"A.txt", "b.TXT"}));
    EXPECT_EQ(findAll(dir + "?.dat"), (std::vector<std::string>{"c.dat"}));
    EXPECT_EQ(findAll(dir + "*.xyz"), std::vector<std::string>{});
    EXPECT_EQ(findAll(tmp.engine("missing\\*.*")), std::vector<std::string>{});

    platform::FindData data;
    int h = platform::findFirst((dir + "SUB").c_str(), &data);
    ASSERT_NE(h, -1);
    EXPECT_STREQ(data.name, "Sub");
    EXPECT_TRUE(data.attrib & platform::kAttribSubdir);
    EXPECT_EQ(platform::findNext(h, &data), -1);
    EXPECT_EQ(platform::findNext(h, &data), -1);  // the ended search is gone

    h = platform::findFirst((dir + "b.txt").c_str(), &data);
    ASSERT_NE(h, -1);
    EXPECT_EQ(data.size, 5u);
    EXPECT_FALSE(data.attrib & platform::kAttribSubdir);
    EXPECT_EQ(platform::findClose(h), 0);
    EXPECT_EQ(platform::findClose(h), -1);

    // A pattern without a folder searches the current directory.
    test::ScopedCurrentDirectory cd(tmp.native("Sub"));
    EXPECT_EQ(findAll("*.*"), (std::vector<std::string>{".", ".."}));
}

TEST(FileSystemFind, WildcardRules) {
    const struct {
        const char* name;
        const char* pattern;
        bool fits;
    } cases[] = {
        {"a.txt", "*.*", true},   {"noext", "*.*", true},     {"ABC.TXT", "a*.t?t", true}, {"abc", "a?c", true},
        {"abcd", "a?c", false},   {"ab", "a?c", false},       {"x.tar.gz", "*.gz", true},  {"x.gz.tar", "*.gz", false},
        {"\xA3\xD3" "D\xAF", "\xB3\xF3*", true}, {"", "*", true}, {"abc", "*c*", true},        {"abc", "*d*", false},
    };
    for (const auto& c : cases) EXPECT_EQ(platform::matchesWildcard(c.name, c.pattern), c.fits) << c.name << " " << c.pattern;
}

TEST(FileSystemDrives, OverridesAndMounts) {
    test::TempDir tmp;
    tmp.mkdir("disc/Dane");
    tmp.mkdir("hdd");
    EXPECT_EQ(platform::getDriveType(tmp.engine("hdd").c_str()), platform::kDriveFixed);
    platform::setDriveTypeOverride(tmp.engine("DISC").c_str(), platform::kDriveCdrom);
    EXPECT_EQ(platform::getDriveType(tmp.engine("disc\\Dane\\a.cnv").c_str()), platform::kDriveCdrom);
    EXPECT_EQ(platform::getDriveType(tmp.native("disc").c_str()), platform::kDriveCdrom);
    EXPECT_EQ(platform::getDriveType(tmp.engine("discothek").c_str()), platform::kDriveFixed);
    EXPECT_EQ(platform::getDriveType(tmp.engine("hdd\\missing\\x").c_str()), platform::kDriveFixed);
    // The longest prefix wins.
    platform::setDriveTypeOverride(tmp.engine("disc\\Dane").c_str(), platform::kDriveRemovable);
    EXPECT_EQ(platform::getDriveType(tmp.engine("disc\\dane\\a").c_str()), platform::kDriveRemovable);
    platform::clearDriveTypeOverrides();
    EXPECT_EQ(platform::getDriveType(tmp.engine("disc\\Dane\\a.cnv").c_str()), platform::kDriveFixed);
}

TEST(FileSystemDrives, MountTableDecidesTheFileSystem) {
    const std::string table =
        "22 1 8:1 / / rw,relatime shared:1 - ext4 /dev/sda1 rw\n"
        "40 22 11:0 / /media/cd\\040rom ro,relatime shared:9 - iso9660 /dev/sr0 ro\n"
        "41 22 11:1 / /media/dvd ro - udf /dev/sr1 ro\n"
        "42 22 0:40 / /mnt/stack rw - ext4 /dev/sdb1 rw\n"
        "43 42 0:41 / /mnt/stack rw shared:3 master:2 - iso9660 /dev/sr2 ro\n"
        "garbage line\n";
    EXPECT_EQ(platform::mountTypeFor(table, "/home/u/game"), "ext4");
    EXPECT_EQ(platform::mountTypeFor(table, "/media/cd rom"), "iso9660");
    EXPECT_EQ(platform::mountTypeFor(table, "/media/cd rom/Dane/a.cnv"), "iso9660");
    EXPECT_EQ(platform::mountTypeFor(table, "/media/cd romX"), "ext4");
    EXPECT_EQ(platform::mountTypeFor(table, "/media/dvd/x"), "udf");
    EXPECT_EQ(platform::mountTypeFor(table, "/mnt/stack/x"), "iso9660");
    EXPECT_EQ(platform::mountTypeFor("", "/x"), "");
}

TEST(FileSystemProcess, ExecutableFolder) {
    const std::string folder = platform::getExecutableFolder();
    ASSERT_FALSE(folder.empty());
    EXPECT_EQ(folder.back(), '\\');
    EXPECT_TRUE(platform::isDirectory(folder.c_str()));
    EXPECT_TRUE(platform::exists((folder + "test_platform").c_str()));
}

TEST(Locale, LanguageCodesFromNames) {
    const struct {
        const char* name;
        const char* code;
    } cases[] = {
        {"pl_PL.UTF-8", "0415"}, {"cs_CZ", "0405"}, {"bg", "0402"},     {"ro_RO.ISO-8859-2", "0418"},
        {"ru_RU@x", "0419"},     {"hu-HU", "040E"}, {"sk_SK", "041B"},  {"uk_UA.UTF-8", "0422"},
        {"en_US.UTF-8", "0409"}, {"C", "0409"},     {"POSIX", "0409"},  {"POL", "0415"},
        {"cze", "0405"},         {"041b", "041B"},  {"xx_YY", ""},      {"", ""},
    };
    for (const auto& c : cases) EXPECT_EQ(platform::languageCodeFor(c.name), c.code) << c.name;
}

TEST(Locale, EnvironmentOrderAndOwnOverride) {
    ScopedEnv own("VONDREL_LANGUAGE", nullptr);
    ScopedEnv all("LC_ALL", nullptr);
    ScopedEnv messages("LC_MESSAGES", "cs_CZ.UTF-8");
    ScopedEnv lang("LANG", "pl_PL.UTF-8");
    EXPECT_EQ(platform::systemLanguageCode(), "0405");
    {
        ScopedEnv over("LC_ALL", "sk_SK");
        EXPECT_EQ(platform::systemLanguageCode(), "041B");
        ScopedEnv mine("VONDREL_LANGUAGE", "UKR");
        EXPECT_EQ(platform::systemLanguageCode(), "0422");
    }
    {
        ScopedEnv empty("LC_MESSAGES", "");
        EXPECT_EQ(platform::systemLanguageCode(), "0415");
    }
    ScopedEnv noMessages("LC_MESSAGES", nullptr);
    ScopedEnv noLang("LANG", nullptr);
    EXPECT_EQ(platform::systemLanguageCode(), "0409");
}
