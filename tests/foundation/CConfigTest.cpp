#include <gtest/gtest.h>

#include <dirent.h>

#include <cstdlib>
#include <fstream>
#include <sstream>
#include <string>

#include "foundation/CConfig.h"
#include "foundation/IniFile.h"
#include "support/TempDir.h"

namespace {

TEST(IniFile, LookupFollowsProfileRules) {
    const std::string text =
        "orphan=before any section\r\n"
        "[Player]\r\n"
        "; Name=commented out\r\n"
        "  Name  =   \"Jan Kowalski\"   \r\n"
        "name=second copy\r\n"
        "Single='x'\r\n"
        "Unbalanced=\"abc\r\n"
        "Empty=\r\n"
        "Spaced = a = b \r\n"
        "no equals sign here\r\n"
        "[ scene1 ]\n"
        "Time=120 seconds\n"
        "[PLAYER]\r\n"
        "Extra=from a later duplicate section\r\n";
    const struct {
        const char* section;
        const char* key;
        bool found;
        const char* value;
    } cases[] = {
        {"player", "NAME", true, "Jan Kowalski"},  // case ignored, first key wins, blanks and quotes go
        {"Player", "Single", true, "x"},
        {"Player", "Unbalanced", true, "\"abc"},
        {"Player", "Empty", true, ""},
        {"Player", "Spaced", true, "a = b"},
        {"SCENE1", "time", true, "120 seconds"},
        {"Player", "Extra", false, ""},  // the first of duplicate sections wins
        {"Player", "orphan", false, ""},
        {"Player", "; Name", false, ""},
        {"Player", "no equals sign here", false, ""},
        {"Missing", "Name", false, ""},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(std::string(c.section) + "/" + c.key);
        std::string value = "untouched";
        EXPECT_EQ(IniFile::lookup(text, c.section, c.key, &value), c.found);
        EXPECT_EQ(value, c.found ? c.value : "untouched");
    }
}

TEST(IniFile, WritesInPlaceAndKeepsLineEnds) {
    const struct {
        const char* name;
        std::string before;
        const char* section;
        const char* key;
        const char* value;
        std::string after;
    } cases[] = {
        {"new file", "", "S", "k", "v", "[S]\r\nk=v\r\n"},
        {"replace in place, LF kept", "[S]\nA=1\nk = old\nB=2\n", "s", "K", "new", "[S]\nA=1\nk=new\nB=2\n"},
        {"replace in place, CRLF kept", "[S]\r\nk=old\r\n[T]\r\nk=x\r\n", "S", "k", "v", "[S]\r\nk=v\r\n[T]\r\nk=x\r\n"},
        {"first duplicate replaced", "[S]\nk=1\nK=2\n", "S", "k", "3", "[S]\nk=3\nK=2\n"},
        {"new key after the section's last entry", "[S]\na=1\n\n[T]\nb=2\n", "S", "c", "3",
         "[S]\na=1\nc=3\n\n[T]\nb=2\n"},
        {"new key in the last section without a final line end", "[S]\na=1", "S", "b", "2", "[S]\na=1\nb=2\n"},
        {"new section at the end", "[S]\na=1\n", "T", "b", "2", "[S]\na=1\n\n[T]\nb=2\n"},
        {"comments and other lines stay", "; top\n[S]\n; note\nx\n", "S", "k", "v", "; top\n[S]\n; note\nx\nk=v\n"},
        {"a value stays one line", "[S]\n", "S", "k", "one\ntwo", "[S]\nk=one\n"},
        {"new key after a last line ending in a lone CR", "[S]\r", "S", "k", "v", "[S]\r\r\nk=v\r\n"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        const std::string after = IniFile::withValue(c.before, c.section, c.key, c.value);
        EXPECT_EQ(after, c.after);
        std::string value;
        EXPECT_TRUE(IniFile::lookup(after, c.section, c.key, &value));
    }
}

std::string fixture(const std::string& name) {
    const char* root = std::getenv("VONDREL_TEST_DATA");
    const std::string folder = root && *root ? root : std::string(VONDREL_SOURCE_DIR) + "/tests/data";
    std::ifstream in(folder + "/" + name, std::ios::binary);
    EXPECT_TRUE(in.good()) << name;
    std::stringstream bytes;
    bytes << in.rdbuf();
    return bytes.str();
}

// Inputs the fuzzer found: "section\nkey\nvalue\n" and then the file's text.
// Writing the key must make it readable again.
TEST(IniFile, FuzzRegressions) {
    for (const char* name : {"fuzz/ini-key-after-lone-cr.bin"}) {
        SCOPED_TRACE(name);
        const std::string input = fixture(name);
        size_t at = 0;
        std::string parts[3];
        for (std::string& part : parts) {
            const size_t nl = input.find('\n', at);
            ASSERT_NE(nl, std::string::npos);
            part = input.substr(at, nl - at);
            at = nl + 1;
        }
        const std::string after = IniFile::withValue(input.substr(at), parts[0], parts[1], parts[2]);
        std::string value;
        EXPECT_TRUE(IniFile::lookup(after, parts[0], parts[1], &value));
        EXPECT_EQ(value, "\xF6\xED\xFF");
    }
}

int filesIn(const std::string& nativeFolder) {
    int n = 0;
    if (DIR* d = opendir(nativeFolder.c_str())) {
        while (dirent* e = readdir(d))
            if (e->d_name[0] != '.') ++n;
        closedir(d);
    }
    return n;
}

TEST(CConfig, ReadsWhatWasWritten) {
    test::TempDir dir;
    CConfig config(CXString(dir.engine("Game.ini").c_str()));
    EXPECT_EQ(config.GetInt("PLAYER", "NAME"), 0);
    EXPECT_EQ(config.GetString("PLAYER", "NAME"), "");
    EXPECT_FALSE(dir.exists("Game.ini"));

    config.PutString("PLAYER", "NAME", "Ala");
    config.PutInt("S1", "Time", -5);
    config.PutInt("S1", "Played", 3);
    config.PutString("PLAYER", "Name", "Ola ma kota");
    EXPECT_EQ(config.GetString("player", "name"), "Ola ma kota");
    EXPECT_EQ(config.GetString("S1", "Time"), "-5");
    EXPECT_EQ(config.GetInt("S1", "Time"), -5);
    EXPECT_EQ(config.GetInt("S1", "Played"), 3);
    EXPECT_EQ(dir.read("Game.ini"), "[PLAYER]\r\nNAME=Ola ma kota\r\n\r\n[S1]\r\nTime=-5\r\nPlayed=3\r\n");
    EXPECT_EQ(filesIn(dir.path()), 1);  // no temporary file left behind

    // The engine's path rules: another spelling of the name finds the same file.
    CConfig other(CXString(dir.engine("GAME.INI").c_str()));
    EXPECT_EQ(other.GetInt("s1", "played"), 3);
    other.PutString("S1", "Played", "'4'");
    EXPECT_EQ(config.GetInt("S1", "Played"), 4);
    EXPECT_EQ(filesIn(dir.path()), 1);
}

TEST(CConfig, NumbersAndLongValues) {
    test::TempDir dir;
    const std::string huge(12000, 'v');
    dir.write("a.ini", "[N]\nword=abc\nmixed=12abc\nspaced=  7  \nneg=-31\nlong=" + huge + "\n");
    CConfig config(CXString(dir.engine("a.ini").c_str()));
    EXPECT_EQ(config.GetInt("N", "word"), 0);
    EXPECT_EQ(config.GetInt("N", "mixed"), 12);
    EXPECT_EQ(config.GetInt("N", "spaced"), 7);
    EXPECT_EQ(config.GetInt("N", "neg"), -31);
    EXPECT_EQ(config.GetString("N", "long").getLength(), 10239);

    CConfig none;
    EXPECT_EQ(none.GetString("N", "word"), "");
    none.PutString("N", "word", "x");  // nothing to write to; no effect
    EXPECT_EQ(config.GetInt("N", "mixed"), 12);
}

}  // namespace
