#include "shell/CCommandLine6.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

// Every flag as a string of 0/1, in the order of the option table, so a case
// can state the whole absent-or-present picture at once.
std::string flags(const CCommandLine6& c) {
    const bool all[] = {c.isMusicEnabled(), c.isSoundEnabled(), c.isWindowMode(), c.isGFXEnabled(),
                        c.isServer(), c.isClient(), c.isPageFlippingEnabled(), c.isToCode(),
                        c.isToDecode(), c.isToRemove(), c.isVMem(), c.isCheatMode(), c.is2Bin(),
                        c.isForceCNV(), c.isDebugMode(), c.isCreateBigFile(), c.isLogEnabled(),
                        c.isRunWithParams(), c.isNoFrame(), c.isForceNew(), c.isOmitDir()};
    std::string s;
    for (bool b : all) s += b ? '1' : '0';
    return s;
}

const std::string kAbsent = "110000000000000000000";

std::vector<std::string> tokens(const CCommandLine6& c) {
    std::vector<std::string> out;
    for (int i = 0; i < c.getNoArgs(); ++i) out.push_back(c.getToken(i).c_str());
    return out;
}

}  // namespace

TEST(CCommandLine6Test, EmptyOrBlankLineGivesTheAbsentColumn) {
    for (const char* text : {static_cast<const char*>(nullptr), "", "   \t \r\n "}) {
        CCommandLine6 c(text);
        EXPECT_EQ(c.getNoArgs(), 0);
        EXPECT_EQ(flags(c), kAbsent);
        EXPECT_EQ(c.getResolution(), CXSize(800, 600));
        EXPECT_EQ(c.getDelay(), 0);
        EXPECT_FALSE(c.isSecondaryDisplayEnabled());
        EXPECT_FALSE(c.isGame());
        EXPECT_FALSE(c.isToPack());
        EXPECT_EQ(c.getPath(), "");
        EXPECT_EQ(c.getPackDir(), "");
        EXPECT_EQ(c.getPackFile(), "");
        EXPECT_EQ(c.getPlayer(), "");
        EXPECT_EQ(c.getServer(), CCommandLine6::kDefaultServer);
        EXPECT_TRUE(c.getServer().IsString());
    }
}

TEST(CCommandLine6Test, TokenizingHonoursQuotes) {
    struct Case {
        const char* text;
        std::vector<std::string> expected;
    } cases[] = {
        {"-path  C:\\game\t-window", {"-path", "C:\\game", "-window"}},
        {"-path \"C:\\My Games\\x\" -log", {"-path", "C:\\My Games\\x", "-log"}},
        {"\"ab\"cd", {"ab", "cd"}},                   // a closing quote ends the token
        {"\"\" x", {"", "x"}},                        // empty quoted token
        {"a\"b c", {"a\"b", "c"}},                    // quotes inside a plain token stay
        {"\"open to the end", {"open to the end"}},   // unclosed quote runs to the end
        {"\xB3\xF3" "d\xBC", {"\xB3\xF3" "d\xBC"}}, // high bytes are not white space
    };
    for (const Case& c : cases) EXPECT_EQ(tokens(CCommandLine6(c.text)), c.expected) << c.text;
}

TEST(CCommandLine6Test, SwitchesNeedDashOrSlashAndExactCase) {
    struct Case {
        const char* text;
        std::string flags;
    } cases[] = {
        {"-window", "111000000000000000000"},
        {"/window", "111000000000000000000"},
        {"-Window window --window", kAbsent},
        {"-nomusic /nosound", "000000000000000000000"},
        {"-nogfx", "110100000000000000000"},
        {"-server -client -pf", "110011100000000000000"},
        {"-code /decode -remove -vmem", "110000011110000000000"},
        {"-cheat", "110000000001000000000"},
        {"-quorbliten", "110000000001000000000"},
        {"-2bin -forceCNV -forcecnv", "110000000000110000000"},
        {"-debug -bigfile -log -params", "110000000000001111000"},
        {"-noframe -forcenew -omitdir", "110000000000000000111"},
    };
    for (const Case& c : cases) EXPECT_EQ(flags(CCommandLine6(c.text)), c.flags) << c.text;
}

TEST(CCommandLine6Test, Resolution) {
    struct Case {
        const char* text;
        CXSize size;
    } cases[] = {
        {"-res 1024 768", CXSize(1024, 768)},
        {"-window -res 640", CXSize(640, 600)},       // one number at the end: height kept
        {"-window -res", CXSize(800, 600)},           // no value: both kept
        {"res 640 480", CXSize(800, 600)},            // a bare word is no switch
        {"-res abc 480", CXSize(0, 480)},             // atoi of a non-number
        // The height is the token after the width's own position, not after an
        // earlier token that happens to equal the width.
        {"-delay 640 -res 640 480", CXSize(640, 480)},
        {"640 -res 640 480", CXSize(640, 480)},
    };
    for (const Case& c : cases) EXPECT_EQ(CCommandLine6(c.text).getResolution(), c.size) << c.text;
}

TEST(CCommandLine6Test, ValuedOptions) {
    // A bare word counts when a value is looked for, and is matched first.
    EXPECT_EQ(CCommandLine6("path -path folder").getPath(), "-path");
    EXPECT_EQ(CCommandLine6("-path").getPath(), "");

    // "game" wins over "path" whatever their order.
    for (const char* text : {"-path P -game G", "-game G -path P"}) {
        CCommandLine6 c(text);
        EXPECT_EQ(c.getPath(), "G") << text;
        EXPECT_TRUE(c.isGame()) << text;
    }
    EXPECT_FALSE(CCommandLine6("-path P").isGame());

    CCommandLine6 delay("-delay 250");
    EXPECT_EQ(delay.getDelay(), 250);
    EXPECT_TRUE(delay.isSecondaryDisplayEnabled());
    EXPECT_EQ(CCommandLine6("-delay x").getDelay(), 0);
    EXPECT_EQ(CCommandLine6("-delay 99999999999").getDelay(), INT32_MAX);
    EXPECT_FALSE(CCommandLine6("-delay -5").isSecondaryDisplayEnabled());

    EXPECT_EQ(CCommandLine6("-player Kasia").getPlayer(), "Kasia");
}

TEST(CCommandLine6Test, PackAndFile) {
    CCommandLine6 pack("-path D:\\g -pack");
    EXPECT_TRUE(pack.isToPack());
    EXPECT_EQ(pack.getPackDir(), "D:\\g");
    EXPECT_EQ(pack.getPackFile(), "D:\\g.pik");

    CCommandLine6 bare("-pack");
    EXPECT_FALSE(bare.isToPack());
    EXPECT_EQ(bare.getPackFile(), ".pik");

    EXPECT_EQ(CCommandLine6("-game G -pack -file out.pik").getPackFile(), "out.pik");
    EXPECT_EQ(CCommandLine6("-path P -file out.pik").getPackFile(), "");
}

TEST(CCommandLine6Test, ServerModeAndAddress) {
    CCommandLine6 named("-server 10.0.0.2");
    EXPECT_TRUE(named.isServer());
    EXPECT_EQ(named.getServer(), "10.0.0.2");

    CCommandLine6 last("-window -server");
    EXPECT_TRUE(last.isServer());
    EXPECT_EQ(last.getServer(), "");
}

TEST(CCommandLine6Test, OnDemandParameters) {
    CCommandLine6 c("-fullname Jan_Maria_Kowalski -version 1.0.7 /pikfile d.pik -custom");
    EXPECT_EQ(c.getFullName(), "Jan Maria Kowalski");
    EXPECT_EQ(c.getVersion(), "1.0.7");
    EXPECT_EQ(c.getDownloadedPIKFile(), "d.pik");
    EXPECT_TRUE(c.isParameter("custom"));
    EXPECT_EQ(c.getParameter("custom"), "");
    EXPECT_FALSE(c.isParameter("fullName"));

    // getParameter needs the switch form; getNextToken alone also takes the bare word.
    CCommandLine6 bare("version 2.0");
    EXPECT_EQ(bare.getVersion(), "");
    EXPECT_EQ(bare.getParameter("version"), "");
    EXPECT_EQ(bare.getNextToken("version"), "2.0");
}

TEST(CCommandLine6Test, SettersForTheHost) {
    CCommandLine6 c("-window");
    c.runInWindow(false);
    EXPECT_FALSE(c.isWindowMode());
    c.setAsWindow(true);
    EXPECT_TRUE(c.isWindowMode());
    c.setAsShowDbg(true);
    EXPECT_TRUE(c.isDebugMode());
    c.setPath("E:\\");
    EXPECT_EQ(c.getPath(), "E:\\");
}

TEST(CCommandLine6Test, ArgvGivesTheSameOptionsAsTheText) {
    const char* argv[] = {"vondrel", "-path", "C:\\My Games\\x", "-res", "1024", "768", "/nomusic", ""};
    CCommandLine6 fromArgv(8, argv);
    CCommandLine6 fromText("-path \"C:\\My Games\\x\" -res 1024 768 /nomusic \"\"");
    EXPECT_EQ(tokens(fromArgv), tokens(fromText));
    EXPECT_EQ(fromArgv.getNoArgs(), 7);
    EXPECT_EQ(fromArgv.getPath(), "C:\\My Games\\x");
    EXPECT_EQ(fromArgv.getResolution(), CXSize(1024, 768));
    EXPECT_EQ(flags(fromArgv), flags(fromText));
    EXPECT_FALSE(fromArgv.isMusicEnabled());

    EXPECT_EQ(CCommandLine6(1, argv).getNoArgs(), 0);
    EXPECT_EQ(CCommandLine6(0, nullptr).getNoArgs(), 0);
}

TEST(CCommandLine6Test, CopiesAreIndependent) {
    CCommandLine6 original("-path A -log");
    CCommandLine6 copy(original);
    copy.setPath("B");
    EXPECT_EQ(original.getPath(), "A");
    EXPECT_EQ(copy.getPath(), "B");
    EXPECT_EQ(tokens(copy), tokens(original));
}
