#include "host/Host.h"

#include <gtest/gtest.h>

#include <chrono>
#include <cstdlib>
#include <memory>
#include <optional>
#include <string>
#include <thread>
#include <vector>

#include "foundation/CConfig.h"
#include "graphics/core/CColor.h"
#include "graphics/core/CGraphicsObject.h"
#include "graphics/screen/CRefreshScreen.h"
#include "net/CMC_NetPeer.h"
#include "net/CNetListener.h"
#include "net/CNetMessages.h"
#include "net/CNetworkServer.h"
#include "net/CXSocket.h"
#include "platform/Display.h"
#include "platform/FileSystem.h"
#include "platform/Presenter.h"
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
    const char* argv[] = {"vondrel", "-window", "--headless", "--no-audio", "--frames", "7", "--step-ms", "5", "-path", "G",
                          "--dump-dir", "out", "--dump-every", "2", "--ini", "x.ini", "--big-file", "/b/data.big",
                          "--input", "in/s.txt", "--net-port", "4700", "-debug"};
    const host::Options o = host::parseOptions(static_cast<int>(std::size(argv)), argv);
    EXPECT_EQ(o.engineArguments, (std::vector<std::string>{"vondrel", "-window", "-path", "G", "-debug"}));
    EXPECT_TRUE(o.headless);
    EXPECT_TRUE(o.noAudio);
    EXPECT_EQ(o.frames, 7);
    EXPECT_EQ(o.stepMs, 5u);
    EXPECT_EQ(o.dumpDir, "out");
    EXPECT_EQ(o.dumpEvery, 2);
    EXPECT_EQ(o.ini, "x.ini");
    EXPECT_EQ(o.bigFile, "C:\\b\\data.big");
    EXPECT_EQ(o.inputFile, "in/s.txt");
    EXPECT_EQ(o.netPort, 4700);
    EXPECT_TRUE(o.error.empty());

    const char* defaults[] = {"vondrel"};
    const host::Options d = host::parseOptions(1, defaults);
    EXPECT_EQ(d.ini, "vondrel.ini");
    EXPECT_EQ(d.stepMs, 16u);
    EXPECT_EQ(d.frames, -1);
    EXPECT_EQ(d.netPort, -1);

    for (const char* bad : {"--frames", "--ini", "--input", "--net-port"}) {
        const char* missing[] = {"vondrel", bad};
        EXPECT_FALSE(host::parseOptions(2, missing).error.empty()) << bad;
    }
    const char* notNumber[] = {"vondrel", "--frames", "-3"};
    EXPECT_FALSE(host::parseOptions(3, notNumber).error.empty());
    const char* notPort[] = {"vondrel", "--net-port", "65536"};
    EXPECT_FALSE(host::parseOptions(3, notPort).error.empty());
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

// Received network messages reach their listeners in the frame step, right after the
// application's step, on the host's thread; --net-port sets the script objects' port.
TEST_F(HostRun, EachFrameTicksTheNetworkPeersAfterTheApplicationsStep) {
    struct Heard : CNetListener {
        void onMessage(CNetMessage* m) override {
            types.push_back(m->getType());
            threads.push_back(std::this_thread::get_id());
        }
        std::vector<int> types;
        std::vector<std::thread::id> threads;
    } heard;
    CNetworkServer server(nullptr, false);
    server.addNotifier(&heard);
    ASSERT_TRUE(server.start(0));
    CXSocket peer(nullptr);
    ASSERT_TRUE(peer.connect(CXString("127.0.0.1"), server.getPort()));
    ASSERT_TRUE(peer.send(new CNetHelloMessage(nullptr, CXString("p"))));
    for (int i = 0; i < 5000 && server.queuedCount() == 0; ++i) std::this_thread::sleep_for(std::chrono::milliseconds(1));
    ASSERT_EQ(server.queuedCount(), 1);

    test::FakeScriptGame game;
    std::vector<size_t> heardAtStep;
    int port = 0;
    game.onStep = [&](CWindow*) {
        heardAtStep.push_back(heard.types.size());
        port = CMC_NetPeer::getPort();
        return false;
    };
    const std::string gamePath = dir.path() + "/GAME";
    EXPECT_EQ(runHost({"--headless", "--frames", "3", "--net-port", "5123", "-path", gamePath.c_str()}), 0);
    EXPECT_EQ(heardAtStep, (std::vector<size_t>{0, 1, 1}));
    EXPECT_EQ(heard.types, std::vector<int>{7});
    EXPECT_EQ(heard.threads, std::vector<std::thread::id>{std::this_thread::get_id()});
    EXPECT_EQ(port, 5123);
    EXPECT_EQ(runHost({"--headless", "--frames", "1", "-path", gamePath.c_str()}), 0);
    EXPECT_EQ(port, CMC_NetPeer::kDefaultPort);
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

struct FailingDisplaySystem : platform::IDisplaySystem {
    int32_t createDisplay(platform::IDisplay** out) override {
        *out = nullptr;
        return platform::kDisplayFailed;
    }
};

TEST_F(HostRun, DisplayFailureShowsTheMessageAndExitsWithOne) {
    test::FakeScriptGame game;
    FailingDisplaySystem failing;
    platform::ScopedDisplaySystem scope(failing);
    const std::string gamePath = dir.path() + "/GAME";
    for (const char* mode : {"-window", "-pf"}) {
        box.boxes.clear();
        game.log.clear();
        EXPECT_EQ(runHost({"--headless", "--frames", "2", mode, "-path", gamePath.c_str()}), 1) << mode;
        ASSERT_EQ(box.boxes.size(), 1u) << mode;
        EXPECT_EQ(box.boxes[0].text, "Nieznany b\xB3" "ad krytyczny.");
        EXPECT_EQ(box.boxes[0].caption, "Vondrel");
        EXPECT_TRUE(game.log.empty()) << "no game is built without a display";
    }
}

// A game that paints: a background colour and a square that moves every step.
struct PaintingGame : test::FakeScriptGame {
    PaintingGame() {
        onStep = [this](CWindow* window) {
            CRefreshScreen* screen = window->GetRefreshScreenInterface();
            if (!square) {
                CColor blue(0, 0, 255);
                screen->SetBackground(&blue);
                screen->Invalidate(static_cast<CXRect*>(nullptr));
                square = std::make_unique<CGraphicsObject>(window, CXSize(8, 8), 16);
                CColor white(255, 255, 255);
                square->Fill(&white);
                screen->put(square.get(), 1);
            }
            square->Move(3, 2);
            return false;
        };
    }
    std::unique_ptr<CGraphicsObject> square;
};

TEST_F(HostRun, HeadlessDumpsRepeatExactly) {
    const std::string gamePath = dir.path() + "/GAME";
    std::vector<std::string> runs;
    for (const char* out : {"one", "two"}) {
        PaintingGame game;
        const std::string dumps = dir.path() + "/" + out;
        EXPECT_EQ(runHost({"--headless", "--frames", "5", "--dump-every", "2", "--dump-dir", dumps.c_str(),
                           "-window", "-res", "64", "48", "-path", gamePath.c_str()}),
                  0);
        std::string all;
        for (const char* name : {"frame-000002.png", "frame-000004.png", "last.png"})
            all += dir.read(std::string(out) + "/" + name) + "|";
        runs.push_back(all);
    }
    EXPECT_EQ(runs[0], runs[1]);
    EXPECT_FALSE(dir.exists("one/frame-000003.png"));
    platform::RgbFrame last;
    ASSERT_TRUE(platform::readPng(dir.path() + "/one/last.png", last));
    ASSERT_EQ(last.width, 64);
    auto pixel = [&](int x, int y) {
        const uint8_t* p = &last.rgb[(static_cast<size_t>(y) * last.width + x) * 3];
        return std::vector<int>{p[0], p[1], p[2]};
    };
    // Five frames show the square after four moves of (3, 2).
    EXPECT_EQ(pixel(12, 8), (std::vector<int>{255, 255, 255}));
    EXPECT_EQ(pixel(11, 8), (std::vector<int>{0, 0, 255}));
}

// With "window" and a "delay" the screen is mirrored that much later; headless the
// mirror's last frame is dumped beside the main one.
TEST_F(HostRun, HeadlessMirrorDumpsItsLastFrameTheDelayBehind) {
    PaintingGame game;
    const std::string gamePath = dir.path() + "/GAME";
    const std::string dumps = dir.path() + "/out";
    EXPECT_EQ(runHost({"--headless", "--frames", "5", "--dump-dir", dumps.c_str(), "-window", "-delay", "20", "-res",
                       "64", "48", "-path", gamePath.c_str()}),
              0);
    platform::RgbFrame last, second;
    ASSERT_TRUE(platform::readPng(dumps + "/last.png", last));
    ASSERT_TRUE(platform::readPng(dumps + "/second-last.png", second));
    ASSERT_EQ(second.width, 64);
    ASSERT_EQ(second.height, 48);
    auto pixel = [](const platform::RgbFrame& f, int x, int y) {
        const uint8_t* p = &f.rgb[(static_cast<size_t>(y) * f.width + x) * 3];
        return std::vector<int>{p[0], p[1], p[2]};
    };
    const std::vector<int> white{255, 255, 255}, blue{0, 0, 255};
    // Frame 5 (80 ms) shows the square at (12, 8); the mirror shows frame 3 (48 ms), the
    // newest older than 20 ms, with the square at (6, 4).
    EXPECT_EQ(pixel(last, 19, 15), white);
    EXPECT_EQ(pixel(last, 6, 4), blue);
    EXPECT_EQ(pixel(second, 6, 4), white);
    EXPECT_EQ(pixel(second, 19, 15), blue);

    // Without a delay, or full screen, there is no mirror.
    struct Case {
        const char* folder;
        const char* mode;
        const char* delay;
    };
    for (const Case& c : {Case{"windowed", "-window", "0"}, Case{"full", "-pf", "20"}}) {
        PaintingGame plain;
        const std::string other = dir.path() + "/" + c.folder;
        EXPECT_EQ(runHost({"--headless", "--frames", "2", "--dump-dir", other.c_str(), c.mode, "-delay", c.delay,
                           "-path", gamePath.c_str()}),
                  0);
        EXPECT_TRUE(dir.exists(std::string(c.folder) + "/last.png")) << c.folder;
        EXPECT_FALSE(dir.exists(std::string(c.folder) + "/second-last.png")) << c.folder;
    }
}

// Sets environment variables for its lifetime (a null value unsets one).
struct ScopedEnvironment {
    explicit ScopedEnvironment(std::vector<std::pair<const char*, const char*>> values) {
        for (const auto& [name, value] : values) {
            const char* old = std::getenv(name);
            saved.push_back({name, old ? std::make_unique<std::string>(old) : nullptr});
            if (value)
                setenv(name, value, 1);
            else
                unsetenv(name);
        }
    }
    ~ScopedEnvironment() {
        for (const auto& [name, old] : saved)
            if (old)
                setenv(name, old->c_str(), 1);
            else
                unsetenv(name);
    }
    std::vector<std::pair<const char*, std::unique_ptr<std::string>>> saved;
};

TEST_F(HostRun, SmokeRunOnSdlsOffscreenDriver) {
    // No screen and no GL: the system's GL drivers would leave their memory behind.
    ScopedEnvironment env({{"SDL_VIDEODRIVER", "offscreen"},
                           {"SDL_RENDER_DRIVER", "software"},
                           {"SDL_FRAMEBUFFER_ACCELERATION", "0"}});
    const std::string gamePath = dir.path() + "/GAME";
    for (const char* mode : {"-window", "-noframe"}) {
        PaintingGame game;
        EXPECT_EQ(runHost({"--frames", "3", mode, "-res", "64", "48", "-path", gamePath.c_str()}), 0)
            << mode;
        EXPECT_TRUE(box.boxes.empty()) << mode;
        EXPECT_EQ(game.log.back(), "delete parser") << mode;
    }

    // Two windows: the game's and its mirror's.
    PaintingGame game;
    const std::string dumps = dir.path() + "/two";
    EXPECT_EQ(runHost({"--frames", "4", "--dump-dir", dumps.c_str(), "-window", "-delay", "10", "-res", "64", "48",
                       "-path", gamePath.c_str()}),
              0);
    EXPECT_TRUE(box.boxes.empty());
    platform::RgbFrame second;
    ASSERT_TRUE(platform::readPng(dumps + "/second-last.png", second));
    EXPECT_EQ(second.width, 64);
    EXPECT_EQ(second.height, 48);
}

// Command lines that cannot run end at once with a status and one line that says why.
TEST_F(HostRun, CommandLinesThatCannotRunSayWhy) {
    dir.write("plain.txt", "a file");
    dir.mkdir("EMPTY");
    const std::string game = dir.path() + "/GAME";
    const std::string dumps = dir.path() + "/dumps";
    const std::string throughFile = dir.path() + "/plain.txt/dumps";
    const std::string none = dir.path() + "/none";
    const std::string empty = dir.path() + "/EMPTY";
    struct Case {
        std::vector<std::string> args;
        bool loads;          // a game that loads wherever -path points
        int64_t freeSpace;   // -1: no limit
        int status;
        std::string firstLine;  // the start of the host's first line on stderr
    };
    const Case cases[] = {
        {{"--headles", "-path", game}, true, -1, 2, "vondrel: unknown option --headles"},
        {{"--headless", "-bogus", "-path", game}, true, -1, 2, "vondrel: unknown option -bogus"},
        {{"--frames", "1", "-window", "-path", game}, true, -1, 1, "vondrel: no screen: no display available"},
        {{"--headless", "--frames", "1", "--dump-dir", throughFile, "-path", game}, true, -1, 1,
         "vondrel: --dump-dir " + throughFile + ": cannot make the folder (Not a directory)"},
        {{"--headless", "--frames", "3", "--dump-dir", dumps, "--dump-every", "1", "-path", game}, true, 10, 1,
         "vondrel: frame dump failed: " + dumps + "/frame-000001.png: No space left on device"},
        {{"--headless", "--frames", "1", "--dump-dir", dumps, "-path", game}, true, 10, 1,
         "vondrel: frame dump failed: " + dumps + "/last.png: No space left on device"},
        {{"--headless", "--frames", "1", "-path", none}, false, -1, 1,
         "vondrel: no game: " + none + ": no such folder"},
        {{"--headless", "--frames", "1", "-path", empty}, false, -1, 1,
         "vondrel: no game: " + empty + ": no Dane folder in it"},
        {{"--headless", "--frames", "1", "-path", game}, false, -1, 1,
         "vondrel: no game: " + game + ": no structure file"},
        // Words after "--" reach the engine unchecked, for the game's own scripts.
        {{"--headless", "--frames", "1", "-path", game, "--", "-bogus"}, true, -1, 0, ""},
    };
    // No display anywhere: SDL may only fall back to a driver that shows nothing.
    ScopedEnvironment noDisplay({{"DISPLAY", nullptr}, {"WAYLAND_DISPLAY", nullptr}, {"SDL_VIDEODRIVER", nullptr}});
    for (const Case& c : cases) {
        std::string line;
        for (const std::string& a : c.args) line += a + " ";
        SCOPED_TRACE(line);
        std::optional<test::FakeScriptGame> loading;
        if (c.loads) loading.emplace();
        std::vector<const char*> args;
        for (const std::string& a : c.args) args.push_back(a.c_str());
        if (c.freeSpace >= 0) platform::setFreeSpaceLimit(c.freeSpace);
        testing::internal::CaptureStderr();
        const int status = runHost(args);
        const std::string errors = testing::internal::GetCapturedStderr();
        platform::clearFreeSpaceLimit();
        EXPECT_EQ(status, c.status) << errors;
        std::string first;
        for (size_t at = 0; at < errors.size() && first.empty();) {
            const size_t end = std::min(errors.find('\n', at), errors.size());
            if (errors.compare(at, 9, "vondrel: ") == 0) first = errors.substr(at, end - at);
            at = end + 1;
        }
        EXPECT_EQ(first.substr(0, c.firstLine.size()), c.firstLine) << errors;
        EXPECT_FALSE(dir.hasTemporaryOf("dumps/last.png"));
    }
}

// Every option the host takes is listed, one line each, engine words included.
TEST(HostHelp, ListsEveryOption) {
    testing::internal::CaptureStdout();
    const char* argv[] = {"vondrel", "--help"};
    EXPECT_EQ(host::run(2, argv), 0);
    const std::string usage = testing::internal::GetCapturedStdout();
    for (const char* option : {"--headless", "--no-audio", "--frames", "--step-ms", "--dump-dir", "--dump-every",
                               "--ini", "--big-file", "--net-port", "--print-dir", "--printer", "--input", "-window",
                               "-path", "-game", "-debug", "-res", "-noframe", "-pf", "-vmem", "-code", "-decode",
                               "-2bin", "-delay", "-forceCNV", "-nomusic", "-nosound", "-pack", "-bigfile",
                               "-uninstall", "-player", "-server", "-client", "-log", "-nogfx", "-remove", "-cheat",
                               "-quorbliten", "-params", "-forcenew", "-omitdir", "-fullname", "-version", "-pikfile"})
        EXPECT_NE(usage.find(std::string("\n  ") + option + " "), std::string::npos) << option;
}

}  // namespace
