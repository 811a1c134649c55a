// A game folder made by the test, run frame by frame on the manual clock through the
// application object: entering, script moves between scenes, statistics, music,
// the registry record and a headless run of the host.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "foundation/CFile.h"
#include "host/Host.h"
#include "platform/Clock.h"
#include "platform/MessageBox.h"
#include "platform/RegistryStore.h"
#include "scene/CMC_Application.h"
#include "scene/CMC_Episode.h"
#include "scene/CVondrelWEB.h"
#include "script/CMC_Behaviour.h"
#include "script/CMC_String.h"
#include "shell/CApplication.h"
#include "shell/CCommandLine6.h"
#include "shell/CUnit6.h"
#include "shell/CWindow.h"
#include "support/ScriptTestSupport.h"
#include "support/TempDir.h"

namespace {

using Lines = std::vector<std::string>;

std::string joined(const Lines& lines) {
    std::string out;
    for (const std::string& line : lines) out += line + "\r\n";
    return out;
}

// A window that records the music calls.
class MusicWindow : public CWindow {
public:
    void StartMusic(CXString name, bool loop) override {
        log.push_back("start " + std::string(name.c_str()));
        CWindow::StartMusic(name, loop);
    }
    void StopMusic() override {
        log.push_back("stop");
        CWindow::StopMusic();
    }
    std::vector<std::string> log;
};

// The start folder holds the game folders; the settings file lies there too.
struct Game : ::testing::Test {
    Game()
        : start(dir.path()),
          scopedClock(clock),
          scopedRegistry(registry),
          scopedBox(box),
          savedExe(CWindow::exePath),
          savedCd(CWindow::getCDPath()),
          savedRoot(CWindow::rootPath) {
        CWindow::exePath = CXString(dir.engine().c_str());
    }
    ~Game() override {
        application.reset();
        window.reset();
        CWindow::exePath = savedExe;
        CWindow::rootPath = savedRoot;
        CWindow::setCDPath(savedCd);
    }

    // The standard game: application APP with the STRING T, episodes EP (S1, S2, S3)
    // and EP2 (S4). Handlers append: APP "A" init, "a" __INIT__, "Z" done, "x" exit;
    // EP "E" init, "i" __INIT__, "e" done; S1 "1" __INIT__, "p" init; S2 "q" init
    // (its __INIT__ is the episode's); S3 "3" __INIT__, "r" init; S4 "s" init (its
    // __INIT__ is the application's). `more` adds lines to the structure file.
    void writeGame(const std::string& folder = "GAME", const std::string& app = "APP", const Lines& more = {}) {
        Lines structure = {"OBJECT=" + app, app + ":TYPE=APPLICATION", app + ":EPISODES=EP, EP2",
                           app + ":VERSION=1.2.3", "OBJECT=EP", "EP:TYPE=EPISODE", "EP:SCENES=S1,S2 S3",
                           "EP:MUSIC=ep.wav", "OBJECT=EP2", "EP2:TYPE=EPISODE", "EP2:SCENES=S4", "OBJECT=S1",
                           "S1:TYPE=SCENE", "S1:PATH=S1", "S1:MUSIC=one.wav", "OBJECT=S2", "S2:TYPE=SCENE",
                           "S2:PATH=S2", "OBJECT=S3", "S3:TYPE=SCENE", "S3:PATH=S3", "S3:MUSIC=ep.wav", "OBJECT=S4",
                           "S4:TYPE=SCENE", "S4:PATH=S4"};
        structure.insert(structure.end(), more.begin(), more.end());
        dir.write(folder + "/Dane/application.def", joined(structure));
        dir.write(folder + "/Dane/" + app + ".cnv",
                  joined({"OBJECT=T", "T:TYPE=STRING", "OBJECT=" + app, app + ":ONINIT={T^ADD(\"A\");}",
                          app + ":ONDONE={T^ADD(\"Z\");}", "OBJECT=__INIT__", "__INIT__:TYPE=BEHAVIOUR",
                          "__INIT__:CODE={T^ADD(\"a\");}", "OBJECT=__ONEXIT__", "__ONEXIT__:TYPE=BEHAVIOUR",
                          "__ONEXIT__:CODE={T^ADD(\"x\");}"}));
        dir.write(folder + "/Dane/EP.cnv",
                  joined({"OBJECT=EP", "EP:ONINIT={T^ADD(\"E\");}", "EP:ONDONE={T^ADD(\"e\");}", "OBJECT=__INIT__",
                          "__INIT__:TYPE=BEHAVIOUR", "__INIT__:CODE={T^ADD(\"i\");}"}));
        dir.write(folder + "/Dane/S1/S1.cnv", joined({"OBJECT=S1", "S1:ONINIT={T^ADD(\"p\");}", "OBJECT=__INIT__",
                                                      "__INIT__:TYPE=BEHAVIOUR", "__INIT__:CODE={T^ADD(\"1\");}"}));
        dir.write(folder + "/Dane/S2/S2.cnv", joined({"OBJECT=S2", "S2:ONINIT={T^ADD(\"q\");}"}));
        dir.write(folder + "/Dane/S3/S3.cnv", joined({"OBJECT=S3", "S3:ONINIT={T^ADD(\"r\");}", "OBJECT=__INIT__",
                                                      "__INIT__:TYPE=BEHAVIOUR", "__INIT__:CODE={T^ADD(\"3\");}"}));
        dir.write(folder + "/Dane/S4/S4.cnv", joined({"OBJECT=S4", "S4:ONINIT={T^ADD(\"s\");}"}));
    }

    // The window takes the folder it is made in as its root, where the settings lie.
    void startGame(const char* ini = "game.ini") {
        CFile::chDir(CXString(dir.engine().c_str()));
        window = std::make_unique<MusicWindow>();
        commandLine = std::make_unique<CCommandLine6>(("-path " + dir.engine("GAME")).c_str());
        window->setCommandLineIfc(commandLine.get());
        application = std::make_unique<CApplication>(window.get(), CXString(), CXString(ini), commandLine.get());
        application->preinitializeApplication(false);
    }

    CMC_Application* app() { return dynamic_cast<CMC_Application*>(application->getScriptApplication()); }
    CMC_Episode* episode(const char* name) { return dynamic_cast<CMC_Episode*>(app()->find(CXString(name))); }
    std::string trace() { return test::textValue(app(), "T"); }
    // Runs script code in the scene being played.
    void run(const std::string& code) {
        CMC_Scene* current = app()->getCurrentScene();
        CMC_Scene* scene = current && current->getCurrentScene() ? current->getCurrentScene() : current;
        test::runCode(scene, code.c_str());
    }
    // One frame; true when the frames end.
    bool frame(uint32_t ms = 10) {
        clock.advance(ms);
        return window->domodal();
    }
    static std::string names(const std::vector<CMC_Scene*>& scenes) {
        std::string out;
        for (CMC_Scene* scene : scenes) out += std::string(out.empty() ? "" : ",") + scene->getName().c_str();
        return out;
    }

    test::TempDir dir;
    test::ScopedCurrentDirectory start;
    platform::ManualClock clock{1000};
    platform::ScopedClock scopedClock;
    platform::MemoryRegistryStore registry;
    platform::ScopedRegistryStore scopedRegistry;
    platform::RecordedMessageBox box;
    platform::ScopedMessageBox scopedBox;
    CXString savedExe;
    CXString savedCd;
    CXString savedRoot;
    std::unique_ptr<MusicWindow> window;
    std::unique_ptr<CCommandLine6> commandLine;
    std::unique_ptr<CApplication> application;
};

TEST_F(Game, ScriptMovesChangeScenesAtTheParentsNextStep) {
    writeGame();
    dir.write("OTHER/Dane/application.def", joined({"OBJECT=NEXTAPP", "NEXTAPP:TYPE=APPLICATION"}));
    startGame();
    ASSERT_NE(app(), nullptr);
    EXPECT_EQ(trace(), "AaEi1p");

    struct Move {
        const char* code;
        const char* delta;  // trace added by the code and the frame after it
        const char* episode;
        const char* scene;
        const char* history;
        const char* latest;
    };
    const Move moves[] = {
        {"EP^GOTO(\"S3\");EP^GOTO(\"S2\");", "eiq", "EP", "S2", "S1,S2", "S1"},
        {"EP^GOTO(\"S3\");EP^GOTO(\"NONE\");", "", "EP", "S2", "S1,S2", "S1"},
        {"EP^NEXT();", "e3r", "EP", "S3", "S1,S2,S3", "S2"},
        {"EP^NEXT();", "", "EP", "S3", "S1,S2,S3", "S2"},
        {"EP^PREV();", "eiq", "EP", "S2", "S1,S2,S3,S2", "S3"},
        {"EP^BACK();", "e3r", "EP", "S3", "S1,S2,S3,S3", "S2"},
        {"EP^BACK();", "e3r", "EP", "S3", "S1,S2,S3,S3", "S3"},
        {"EP^GOTO(\"S1\");", "e1p", "EP", "S1", "S1,S2,S3,S3,S1", "S3"},
        {"EP^PREV();", "", "EP", "S1", "S1,S2,S3,S3,S1", "S3"},
        {"EP^RESTART();", "e1p", "EP", "S1", "S1,S2,S3,S3,S1,S1", "S1"},
        {"APP^RESTART();", "e1p", "EP", "S1", "S1,S2,S3,S3,S1,S1,S1", "S1"},
        {"APP^GOTO(\"EP2\");", "Zeas", "EP2", "S4", "S4", ""},
        // Another episode is current: the start episode is entered at once.
        {"APP^RESTART();", "ZEi1p", "EP", "S1", "S1,S2,S3,S3,S1,S1,S1,S1", "S1"},
    };
    int row = 0;
    for (const Move& move : moves) {
        SCOPED_TRACE(row++);
        const std::string before = trace();
        run(move.code);
        EXPECT_FALSE(frame());
        EXPECT_EQ(trace().substr(before.size()), move.delta);
        CMC_Scene* current = app()->getCurrentScene();
        ASSERT_NE(current, nullptr);
        EXPECT_STREQ(current->getName().c_str(), move.episode);
        ASSERT_NE(current->getCurrentScene(), nullptr);
        EXPECT_STREQ(current->getCurrentScene()->getName().c_str(), move.scene);
        EXPECT_EQ(names(current->getHistory()), move.history);
        EXPECT_STREQ(dynamic_cast<CMC_Episode*>(current)->getLatestScene().c_str(), move.latest);
        EXPECT_EQ(window->getCurrentUnit(), CMC_Scene::getDefUnit());
    }

    // EXIT: "ONEXIT" runs at once, the frame still ends, and it is the last one.
    const std::string before = trace();
    run("APP^EXIT();");
    EXPECT_EQ(trace().substr(before.size()), "x");
    EXPECT_TRUE(frame());

    // RELOAD: the rest of the frame runs, then the named game replaces this one.
    window->domodal();
    run("APP^RELOAD(\"OTHER\");");
    EXPECT_EQ(app()->getNextGame(), CXString("OTHER"));
    frame();
    ASSERT_NE(app(), nullptr);
    EXPECT_STREQ(app()->getName().c_str(), "NEXTAPP");
}

// STARTWITH names whatever the structure built under that name: a sub-scene, a scene
// of an episode, an episode's scene of another episode; a name of nothing falls back.
TEST_F(Game, StartWithNamesAnyBuiltSceneOrEpisode) {
    struct Case {
        Lines more;
        const char* current;  // the application's current sub-scene
        const char* inside;   // its current scene, when it is an episode
        const char* trace;
    };
    const Case cases[] = {
        {{"APP:STARTWITH=EP2"}, "EP2", "S4", "Aaas"},
        // A scene of an episode, entered directly by the application.
        {{"APP:STARTWITH=S3"}, "S3", nullptr, "Aa3r"},
        {{"APP:STARTWITH=NONE"}, "EP", "S1", "AaEi1p"},
        // The start episode begins with a scene that another episode lists.
        {{"EP:STARTWITH=S4"}, "EP", "S4", "AaEias"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.more.front());
        writeGame("GAME", "APP", c.more);
        startGame();
        ASSERT_NE(app(), nullptr);
        CMC_Scene* current = app()->getCurrentScene();
        ASSERT_NE(current, nullptr);
        EXPECT_STREQ(current->getName().c_str(), c.current);
        if (c.inside) {
            ASSERT_NE(current->getCurrentScene(), nullptr);
            EXPECT_STREQ(current->getCurrentScene()->getName().c_str(), c.inside);
        }
        EXPECT_EQ(trace(), c.trace);
        // The game still moves on from there and ends cleanly.
        run("APP^GOTO(\"EP\");");
        frame();
        EXPECT_STREQ(app()->getCurrentScene()->getName().c_str(), "EP");
        application.reset();
        window.reset();
    }
}

TEST_F(Game, LeftScenesAddTimeAndVisitsToTheSettings) {
    writeGame();
    clock.set(12900);
    startGame();
    clock.set(13100);
    run("EP^GOTO(\"S2\");");
    frame(0);
    // Entered at 12.9 s, left at 13.1 s: one second; "Time" comes before "Played".
    EXPECT_EQ(dir.read("game.ini"), "[S1]\r\nTime=1\r\nPlayed=1\r\n");

    // An entry in the clock's first second counts too.
    application.reset();
    window.reset();
    clock.set(200);
    startGame("early.ini");
    run("EP^GOTO(\"S2\");");
    frame(100);
    EXPECT_EQ(dir.read("early.ini"), "[S1]\r\nTime=0\r\nPlayed=1\r\n");

    // Without settings nothing is written.
    application.reset();
    window.reset();
    dir.remove("game.ini");
    dir.remove("early.ini");
    startGame("");
    run("EP^GOTO(\"S2\");");
    frame();
    application.reset();
    EXPECT_FALSE(dir.exists("game.ini"));
    EXPECT_FALSE(dir.exists("early.ini"));
}

TEST_F(Game, MusicStopsOnlyWhenTheNextSceneHasOtherMusic) {
    writeGame();
    startGame();
    auto firstUpdate = [&] { window->getCurrentUnit()->onInitialUpdate(); };
    firstUpdate();
    EXPECT_EQ(window->log, (std::vector<std::string>{"start one.wav"}));
    struct Step {
        const char* code;
        std::vector<std::string> calls;
    };
    // S2 plays its episode's music, S3 names the same file: no stop, no start.
    const Step steps[] = {
        {"EP^GOTO(\"S2\");", {"stop", "start ep.wav"}},
        {"EP^GOTO(\"S3\");", {}},
        {"EP^GOTO(\"S1\");", {"stop", "start one.wav"}},
        // S4 has no music at all: the old one stops and nothing starts.
        {"APP^GOTO(\"EP2\");", {"stop"}},
    };
    for (const Step& step : steps) {
        SCOPED_TRACE(step.code);
        window->log.clear();
        run(step.code);
        frame();
        firstUpdate();
        EXPECT_EQ(window->log, step.calls);
    }
    EXPECT_FALSE(window->isMusicPlaying());
}

TEST_F(Game, TheGameVersionIsRecordedUnderTheEnginesKeyAndThePathOption) {
    writeGame();
    startGame();
    const CXString key = CXString(CVondrelWEB::kEngineKey) + "\\" + CXString(dir.engine("GAME").c_str());
    EXPECT_EQ(CVondrelWEB::get_registry(CVondrelWEB::kCurrentUser, key, CXString("VERSION")), CXString("1.2.3"));
}

// At exit the episodes go after the application's objects and the trash; what their
// objects hand to the trash as they go is freed too (LeakSanitizer watches).
TEST_F(Game, WhatAnEpisodesObjectsTrashAtExitIsFreed) {
    struct Freed : CXObject {
        explicit Freed(bool* flag) : flag(flag) {}
        ~Freed() override { *flag = true; }
        bool* flag;
    };
    struct Trashing : CMC_String {
        Trashing(bool* flag) : CMC_String(CXString("TRASHING"), CXString()), flag(flag) {}
        ~Trashing() override { CMC_Behaviour::addToTrash(new Freed(flag)); }
        bool* flag;
    };
    writeGame();
    startGame();
    ASSERT_NE(app(), nullptr);
    bool freed = false;
    episode("EP2")->addObject(new Trashing(&freed));
    application.reset();
    window.reset();
    EXPECT_TRUE(freed);
    EXPECT_EQ(CMC_Behaviour::trashCount(), 0);
}

TEST_F(Game, TheHostRunsAGameFolderHeadless) {
    writeGame();
    const std::string game = dir.path() + "/GAME";
    const char* argv[] = {"vondrel", "--headless", "--frames", "5", "--ini", "run.ini", "-path", game.c_str()};
    EXPECT_EQ(host::run(static_cast<int>(std::size(argv)), argv), 0);
    EXPECT_TRUE(box.boxes.empty());
    // The host's shutdown left the start scene and recorded its visit.
    EXPECT_NE(dir.read("run.ini").find("[S1]\r\nTime=0\r\nPlayed=1"), std::string::npos);
}

}  // namespace
