#include <gtest/gtest.h>

#include <cstdlib>
#include <string>

#include "foundation/CLanguageOSVer.h"
#include "tests/foundation/FileTestSupport.h"

TEST(CLanguageOSVerTest, LanguageFromSystemCode) {
    const struct {
        const char* code;
        int language;
        const char* folder;
    } cases[] = {
        {"0415", 1, "POL"}, {"0405", 2, "CZE"}, {"0402", 3, "BUL"}, {"0418", 4, "ROM"}, {"0419", 5, "RUS"},
        {"040E", 6, "HUN"}, {"040e", 6, "HUN"}, {"041B", 7, "SLO"}, {"0422", 8, "UKR"}, {"0409", 9, ""},
        {"", 9, ""},
    };
    for (const auto& c : cases) {
        CLanguageOSVer l{CXString(c.code)};
        EXPECT_EQ(l.getLang(), c.language) << c.code;
        EXPECT_EQ(l.getLanguageFolder(), c.folder) << c.code;
    }
}

TEST(CLanguageOSVerTest, DefaultConstructionReadsTheEnvironment) {
    const char* old = std::getenv("VONDREL_LANGUAGE");
    const std::string saved = old ? old : "";
    setenv("VONDREL_LANGUAGE", "sk_SK.UTF-8", 1);
    CLanguageOSVer slovak;
    EXPECT_EQ(slovak.getLang(), 7);
    EXPECT_EQ(slovak.getLanguageFolder(), "SLO");
    if (old) setenv("VONDREL_LANGUAGE", saved.c_str(), 1);
    else unsetenv("VONDREL_LANGUAGE");
}

TEST(CLanguageOSVerTest, SwitchingLanguage) {
    CLanguageOSVer l{CXString("0415")};
    TestWindow window;
    l.setLanguageFolder(CXString("0419"));
    EXPECT_EQ(l.getLang(), 5);
    EXPECT_EQ(l.getLanguageFolder(), "RUS");
    EXPECT_EQ(window.keyboardInits, 0);

    l.setWindowIfc(&window);
    l.setLanguageFolder(CXString("040e"));  // compared as given: no match
    EXPECT_EQ(l.getLang(), 5);
    l.setLanguageFolder(CXString());
    EXPECT_EQ(l.getLanguageFolder(), "RUS");
    l.setLanguageFolder(CXString("0422"));
    EXPECT_EQ(l.getLanguageFolder(), "UKR");
    EXPECT_EQ(window.keyboardInits, 3);

    CLanguageOSVer copy(l);
    EXPECT_EQ(copy.getLang(), 8);
    EXPECT_EQ(copy.getLanguageFolder(), "UKR");
}

TEST(CLanguageOSVerTest, LocalisedFileNames) {
    test::TempDir tmp;
    tmp.write("G/Dane/cze/A.wav", "cz");
    tmp.write("G/Dane/b.wav", "common");
    CLanguageOSVer czech{CXString("0405")};
    const CXString a(tmp.engine("G\\Dane\\a.wav").c_str());
    EXPECT_EQ(czech.getLocalFileName(a), CXString(tmp.engine("G\\Dane\\CZE\\a.wav").c_str()));
    const CXString b(tmp.engine("G\\Dane\\b.wav").c_str());
    EXPECT_EQ(czech.getLocalFileName(b), b);
    // A bare name gets the folder without a look at the disk.
    EXPECT_EQ(czech.getLocalFileName(CXString("x.wav")), "CZE\\x.wav");

    CLanguageOSVer english{CXString("0409")};
    EXPECT_EQ(english.getLocalFileName(a), a);
    EXPECT_EQ(english.getLocalFileName(CXString("x.wav")), "x.wav");
}
