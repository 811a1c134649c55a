#include "host/Host.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "foundation/CConfig.h"
#include "platform/Clock.h"
#include "platform/MessageBox.h"
#include "platform/QuitMessage.h"
#include "shell/CWindow.h"
#include "support/FakeScriptGame.h"
#include "support/TempDir.h"

namespace {

int runHost(std::vector<const char*> args) {
    args.insert(args.begin(), "vondrel");
    return host::run(static_cast<int>(args.size()), args.data());
}

TEST(Host, HostOptionsAndTheirValuesNeverReachTheEngine) {
    const char* argv[] = {"vondrel", "-window", "--headless", "--frames", "7", "--step-ms", "5", "-path", "G",
                          "--dump-dir", "out", "--dump-every", "2", "--ini", "x.ini", "--big-file", "/b/data.big",
                          "-debug"};
    const host::Options o = host::parseOptions(static_cast<int>(std::size(argv)), argv);
    EXPECT_EQ(o.engineArguments, (std::vector<std::string>{"vondrel", "-window", "-path", "G", "-debug"}));
    EXPECT_TRUE(o.headless);
    EXPECT_EQ(o.frames, 7);
    EXPECT_EQ(o.stepMs, 5u);
    EXPECT_EQ(o.dumpDir, "out");
    EXPECT_EQ(o.dumpEvery, 2);
    EXPECT_EQ(o.ini, "x.ini");
    EXPECT_EQ(o.bigFile, "C:\\b\\data.big");
    EXPECT_TRUE(o.error.empty());

    const char* defaults[] = {"vondrel"};
    const host::Options d = host::parseOptions(1, defaults);
    EXPECT_EQ(d.ini, "vondrel.ini");
    EXPECT_EQ(d.stepMs, 16u);
    EXPECT_EQ(d.frames, -1);

    for (const char* bad : {"--frames", "--ini"}) {
        const char* missing[] = {"vondrel", bad};
        EXPECT_FALSE(host::parseOptions(2, missing).error.empty()) << bad;
    }
    const char* notNumber[] = {"vondrel", "--frames", "-3"};
    EXPECT_FALSE(host::parseOptions(3, notNumber).error.empty());
}

struct HostRun : ::testing::Test {
    HostRun() : start(dir.path()), scopedBox(box), savedExe(CWindow::exePath), savedCd(CWindow::getCDPath()) {
        dir.mkdir("GAME/Dane");
    }
    ~HostRun() override {
        CWindow::exePath = savedExe;
        CWindow::setCDPath(savedCd);
    }
    test::TempDir dir;
    test::ScopedCurrentDirectory start;
    platform::RecordedMessageBox box;
    platform::ScopedMessageBox scopedBox;
    CXString savedExe;
    CXString savedCd;
};

TEST_F(HostRun, NoGameShowsTheErrorAndExitsWithOne) {
    const std::string game = dir.path() + "/GAME";
    EXPECT_EQ(runHost({"--headless", "--frames", "3", "-path", game.c_str()}), 1);
    ASSERT_EQ(box.boxes.size(), 1u);
    EXPECT_EQ(box.boxes[0].text, "Nie mo\xBFna wczyta\xE6 gry.");
}

TEST_F(HostRun, HeadlessRunStepsTheClockAndClosesAfterItsFrames) {
    test::FakeScriptGame game;
    std::vector<uint32_t> times;
    game.onStep = [&](CWindow* window) {
        times.push_back(platform::clock().tickCount());
        if (CConfig* config = window->getConfig())
            config->PutInt(CXString("HOST"), CXString("STEPS"), static_cast<int>(times.size()));
        return false;
    };
    const std::string gamePath = dir.path() + "/GAME";
    EXPECT_EQ(runHost({"--headless", "--frames", "4", "--step-ms", "20", "--ini", "run.ini", "-path",
                       gamePath.c_str()}),
              0);
    EXPECT_TRUE(box.boxes.empty());
    EXPECT_EQ(times, (std::vector<uint32_t>{20, 40, 60, 80}));
    EXPECT_EQ(dir.read("run.ini"), "[HOST]\r\nSTEPS=4\r\n");
    EXPECT_EQ(game.log.back(), "delete parser");
    EXPECT_FALSE(platform::takeQuitMessage());
}

TEST_F(HostRun, AScriptQuitEndsTheFrames) {
    test::FakeScriptGame game;
    int steps = 0;
    game.onStep = [&](CWindow* window) {
        if (++steps == 2) window->quit();
        return false;
    };
    const std::string gamePath = dir.path() + "/GAME";
    EXPECT_EQ(runHost({"--headless", "-path", gamePath.c_str()}), 0);
    EXPECT_EQ(steps, 2);
}

}  // namespace
