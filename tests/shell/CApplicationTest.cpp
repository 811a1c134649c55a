#include "shell/CApplication.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "foundation/CConfig.h"
#include "foundation/CFile.h"
#include "shell/CCommandLine6.h"
#include "shell/CWindow.h"
#include "support/FakeScriptGame.h"
#include "support/TempDir.h"

namespace {

using Log = std::vector<std::string>;

// A start folder with a game folder GAME (and its data folder) inside; the
// window's static paths are put back afterwards.
struct CApplicationTest : ::testing::Test {
    CApplicationTest() : start(dir.path()), savedExe(CWindow::exePath), savedCd(CWindow::getCDPath()) {
        dir.mkdir("GAME/Dane");
    }
    ~CApplicationTest() override {
        CWindow::exePath = savedExe;
        CWindow::setCDPath(savedCd);
    }
    CCommandLine6 commandLine(const std::string& extra = std::string()) {
        return CCommandLine6(("-path " + dir.engine("GAME") + " " + extra).c_str());
    }

    test::TempDir dir;
    test::ScopedCurrentDirectory start;
    CXString savedExe;
    CXString savedCd;
};

TEST_F(CApplicationTest, SettingsLieInTheStartFolderAndLeaveTheWindowFirst) {
    CWindow window;
    {
        CApplication application(&window, CXString(), CXString("game.ini"), nullptr);
        ASSERT_NE(application.getConfig(), nullptr);
        EXPECT_EQ(window.getConfig(), application.getConfig());
        EXPECT_EQ(window.GetApplicationInterface(), &application);
        window.getConfig()->PutInt(CXString("S"), CXString("K"), 7);
        EXPECT_EQ(dir.read("game.ini"), "[S]\r\nK=7\r\n");
    }
    EXPECT_EQ(window.getConfig(), nullptr);
    EXPECT_EQ(window.GetApplicationInterface(), nullptr);

    CApplication noSettings(&window, CXString(), CXString(), nullptr);
    EXPECT_EQ(noSettings.getConfig(), nullptr);
    EXPECT_EQ(window.getConfig(), nullptr);
}

TEST_F(CApplicationTest, PreinitializationLoadsTheGameTheWayTheCommandLineAsks) {
    struct Case {
        bool binary;
        const char* options;
        bool parserYields;
        Log log;
        int error;
    };
    const Case cases[] = {
        {true, "", true, {"binary", "initialize"}, 0},
        {true, "-forceCNV", true, {"parse application.def", "initialize"}, 0},
        {false, "", true, {"parse application.def", "initialize"}, 0},
        {false, "-2bin", true, {"parse application.def", "store"}, 0},
        {false, "", false, {"parse application.def"}, 3000},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(c.options) + (c.binary ? " binary" : " text"));
        if (c.binary)
            dir.write("GAME/Dane/application.bin", "x");
        else
            dir.remove("GAME/Dane/application.bin");
        test::FakeScriptGame game;
        game.parserYields = c.parserYields;
        CWindow window;
        CCommandLine6 line = commandLine(c.options);
        CApplication application(&window, CXString(), CXString(), &line);
        application.preinitializeApplication(false);
        EXPECT_EQ(game.log, c.log);
        EXPECT_EQ(application.LastError(), c.error);
        EXPECT_EQ(CFile::getCurrentDirectory(), dir.engine("GAME\\Dane\\").c_str());
        EXPECT_EQ(CWindow::getCDPath(), dir.engine("GAME\\").c_str());
        EXPECT_EQ(window.GetSoundFXPath(), dir.engine("GAME\\Wavs").c_str());
        EXPECT_FALSE(application.domodal());
    }
}

TEST_F(CApplicationTest, WithoutScriptSideNoGameLoads) {
    CWindow window;
    CCommandLine6 line = commandLine();
    CApplication application(&window, CXString(), CXString(), &line);
    application.preinitializeApplication(false);
    EXPECT_EQ(application.LastError(), CWindow::kErrorNoGame);
    EXPECT_EQ(application.getScriptApplication(), nullptr);
    EXPECT_FALSE(application.domodal());
}

TEST_F(CApplicationTest, StepSwitchesToTheGameAScriptNamesBesideTheExecutable) {
    dir.mkdir("GAME2/Dane");
    CWindow::exePath = CXString(dir.engine().c_str());
    test::FakeScriptGame game;
    bool nameGame = false;
    game.onStep = [&](CWindow*) { return nameGame; };
    CWindow window;
    CCommandLine6 line = commandLine();
    CApplication application(&window, CXString(), CXString(), &line);
    application.preinitializeApplication(false);
    game.log.clear();

    nameGame = true;
    game.nextGame = "NOPE";  // no such folder: the game goes on
    EXPECT_FALSE(application.domodal());
    EXPECT_EQ(game.log, (Log{"step"}));
    EXPECT_EQ(CFile::getCurrentDirectory(), dir.engine().c_str());

    game.log.clear();
    game.nextGame = "GAME2";
    EXPECT_FALSE(application.domodal());
    EXPECT_EQ(game.log, (Log{"step", "delete application", "delete parser", "parse application.def", "initialize"}));
    EXPECT_EQ(CFile::getCurrentDirectory(), dir.engine("GAME2\\Dane\\").c_str());
    EXPECT_EQ(CWindow::getCDPath(), dir.engine("GAME2\\").c_str());
    EXPECT_EQ(application.LastError(), 0);

    // A switch that yields no script application: error 3000, and frames run on.
    game.log.clear();
    game.parserYields = false;
    EXPECT_FALSE(application.domodal());
    EXPECT_EQ(game.log, (Log{"step", "delete application", "delete parser", "parse application.def"}));
    EXPECT_EQ(application.LastError(), CWindow::kErrorNoGame);
    EXPECT_EQ(application.getScriptApplication(), nullptr);
    EXPECT_FALSE(application.domodal());
}

}  // namespace
