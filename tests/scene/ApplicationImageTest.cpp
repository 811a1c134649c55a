// The application's binary image: written from a game built from its structure file
// ("2bin"), read back instead of it, and refused when it is cut short or lies about
// its counts (the application object then reports 3000). The APPLICATION methods,
// on games built both ways.
#include <gtest/gtest.h>

#include <cstdint>
#include <cstring>
#include <memory>
#include <string>
#include <vector>

#include "foundation/CFile.h"
#include "foundation/CLanguageOSVer.h"
#include "platform/Display.h"
#include "platform/Print.h"
#include "platform/Clock.h"
#include "platform/DebugOutput.h"
#include "platform/MessageBox.h"
#include "platform/RegistryStore.h"
#include "platform/WindowPlacement.h"
#include "scene/CMC_Application.h"
#include "scene/CMC_Episode.h"
#include "shell/CApplication.h"
#include "shell/CCommandLine6.h"
#include "script/CMC_RunnerFactory.h"
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

int32_t le32At(const std::string& bytes, size_t at) {
    int32_t value = 0;
    if (at + 4 <= bytes.size()) std::memcpy(&value, bytes.data() + at, 4);
    return value;
}

// The game folder is the engine's start folder, as in a run without "-path": the
// image and the scenes' own images are written under its data folder.
struct Image : ::testing::Test {
    Image() : scopedClock(clock), scopedRegistry(registry), scopedBox(box) {
        dir.mkdir("GAME");
        start = std::make_unique<test::ScopedCurrentDirectory>(dir.native("GAME"));
        savedRoot = CWindow::rootPath;
        savedCd = CWindow::getCDPath();
    }
    ~Image() override {
        application.reset();
        window.reset();
        start.reset();
        CWindow::rootPath = savedRoot;
        CWindow::setCDPath(savedCd);
    }

    // APP (INTEGER N = 7) with the episodes EPA (A1, A2, A3) and EPB (B1, B2, B3);
    // the game starts with EPB, and EPB with B3, whose INTEGER M is 5. `appObjects`
    // go into APP's own definition after its usual ones.
    void writeGame(const Lines& more = {}, const std::string& startWith = "EPB", const Lines& appObjects = {}) {
        Lines structure = {"OBJECT=APP",       "APP:TYPE=APPLICATION", "APP:EPISODES=EPA,EPB", "APP:STARTWITH=" + startWith,
                           "OBJECT=EPA",       "EPA:TYPE=EPISODE",     "EPA:SCENES=A1,A2,A3",  "OBJECT=EPB",
                           "EPB:TYPE=EPISODE", "EPB:SCENES=B1,B2,B3",  "EPB:STARTWITH=B3"};
        for (const char* scene : {"A1", "A2", "A3", "B1", "B2", "B3"}) {
            structure.push_back(std::string("OBJECT=") + scene);
            structure.push_back(std::string(scene) + ":TYPE=SCENE");
            structure.push_back(std::string(scene) + ":PATH=" + scene);
            dir.write(std::string("GAME/Dane/") + scene + "/" + scene + ".cnv",
                      joined({"OBJECT=K", "K:TYPE=INTEGER", "K:VALUE=1"}));
        }
        structure.insert(structure.end(), more.begin(), more.end());
        dir.write("GAME/Dane/application.def", joined(structure));
        Lines app = {"OBJECT=N", "N:TYPE=INTEGER", "N:VALUE=7", "OBJECT=LOG", "LOG:TYPE=STRING", "OBJECT=R",
                     "R:TYPE=INTEGER", "OBJECT=X", "X:TYPE=BOOL", "OBJECT=F", "F:TYPE=BOOL", "F:VALUE=FALSE",
                     "OBJECT=C", "C:TYPE=CONDITION", "C:OPERAND1=F", "C:OPERAND2=TRUE", "C:OPERATOR=EQUAL",
                     "OBJECT=B", "B:TYPE=BEHAVIOUR", "B:CODE={LOG^ADD($1);}", "B:CONDITION=C"};
        app.insert(app.end(), appObjects.begin(), appObjects.end());
        dir.write("GAME/Dane/APP.cnv", joined(app));
        dir.write("GAME/Dane/EPB.cnv", joined({"OBJECT=E", "E:TYPE=INTEGER", "E:VALUE=3", "OBJECT=RE",
                                               "RE:TYPE=BEHAVIOUR", "RE:CODE={E^ADD(1);}"}));
        dir.write("GAME/Dane/B3/B3.cnv", joined({"OBJECT=M", "M:TYPE=INTEGER", "M:VALUE=5", "OBJECT=RM",
                                                 "RM:TYPE=BEHAVIOUR", "RM:CODE={M^ADD(1);}"}));
    }

    void startGame(const char* options = "", bool display = false) {
        application.reset();
        window.reset();
        CFile::chDir(CXString(dir.engine("GAME").c_str()));
        commandLine = std::make_unique<CCommandLine6>(options);
        window = std::make_unique<CWindow>(nullptr, commandLine.get(), &language, CXSize(320, 200), nullptr,
                                           CWindow::exePath, true);
        language.setWindowIfc(window.get());
        if (display) {
            ASSERT_EQ(window->CreateSurface(nullptr), 0);
            window->OnActivateApp(true);
        }
        CWindow::rootPath = CXString((dir.engine("GAME") + "\\").c_str());
        application = std::make_unique<CApplication>(window.get(), CXString(), CXString("game.ini"), commandLine.get());
        application->preinitializeApplication(false);
    }

    CMC_Application* app() { return dynamic_cast<CMC_Application*>(application->getScriptApplication()); }
    static std::string names(const std::vector<CMC_Scene*>& scenes) {
        std::string out;
        for (CMC_Scene* scene : scenes) out += std::string(out.empty() ? "" : ",") + scene->getName().c_str();
        return out;
    }

    test::TempDir dir;
    std::unique_ptr<test::ScopedCurrentDirectory> start;
    platform::ManualClock clock{1000};
    platform::ScopedClock scopedClock;
    platform::MemoryRegistryStore registry;
    platform::ScopedRegistryStore scopedRegistry;
    platform::RecordedMessageBox box;
    platform::ScopedMessageBox scopedBox;
    CXString savedRoot;
    CXString savedCd;
    platform::SoftwareDisplaySystem displays;
    platform::ScopedDisplaySystem scopedDisplays{displays};
    CLanguageOSVer language{CXString()};
    std::unique_ptr<CCommandLine6> commandLine;
    std::unique_ptr<CWindow> window;
    std::unique_ptr<CApplication> application;
};

TEST_F(Image, TwoEpisodesOfThreeScenesReadBackInOrder) {
    writeGame();
    startGame("-2bin");
    ASSERT_NE(app(), nullptr);
    ASSERT_TRUE(dir.exists("GAME/Dane/application.bin"));
    for (const char* image : {"APP.bin", "EPA.bin", "EPB.bin", "A1/A1.bin", "B3/B3.bin"})
        EXPECT_TRUE(dir.exists(std::string("GAME/Dane/") + image)) << image;

    // The application record: name, no handlers, empty path; then 2 and 1; then EPA's
    // record: name, no handlers, empty path, 3 and 0; EPB's start index is 2.
    const std::string bytes = dir.read("GAME/Dane/application.bin");
    size_t at = 0;
    EXPECT_EQ(bytes.substr(at, 7), test::archiveString("APP"));
    at += 7;
    EXPECT_EQ(le32At(bytes, at), 0);
    EXPECT_EQ(le32At(bytes, at + 4), 0);
    EXPECT_EQ(le32At(bytes, at + 8), 2);
    EXPECT_EQ(le32At(bytes, at + 12), 1);
    at += 16;
    EXPECT_EQ(bytes.substr(at, 7), test::archiveString("EPA"));
    EXPECT_EQ(le32At(bytes, at + 15), 3);
    EXPECT_EQ(le32At(bytes, at + 19), 0);
    const size_t epb = bytes.find(test::archiveString("EPB"));
    ASSERT_NE(epb, std::string::npos);
    EXPECT_EQ(le32At(bytes, epb + 15), 3);
    EXPECT_EQ(le32At(bytes, epb + 19), 2);

    // Started again, the game comes from the image.
    startGame();
    ASSERT_NE(app(), nullptr);
    EXPECT_EQ(names(app()->getSubScenes()), "EPA,EPB");
    auto* epa = dynamic_cast<CMC_Episode*>(app()->find(CXString("EPA")));
    ASSERT_NE(epa, nullptr);
    EXPECT_EQ(names(epa->getSubScenes()), "A1,A2,A3");
    EXPECT_EQ(epa->getStartScene(), epa->getSubScenes()[0]);
    ASSERT_NE(app()->getStartScene(), nullptr);
    EXPECT_STREQ(app()->getStartScene()->getName().c_str(), "EPB");
    // Scenes of an image are binary: the entered one read its objects from B3.bin.
    CMC_Scene* current = app()->getCurrentScene();
    ASSERT_NE(current, nullptr);
    ASSERT_NE(current->getCurrentScene(), nullptr);
    EXPECT_STREQ(current->getCurrentScene()->getName().c_str(), "B3");
    EXPECT_TRUE(current->getCurrentScene()->isBinary());
    EXPECT_EQ(test::intValue(current->getCurrentScene(), "M"), 5);
    EXPECT_EQ(test::intValue(current, "E"), 3);
    // The application's INTEGER survives "2bin"; the episodes are its objects.
    EXPECT_EQ(test::intValue(app(), "N"), 7);
    EXPECT_TRUE(test::hasObject(app(), "EPA"));
    EXPECT_EQ(application->LastError(), 0);
}

TEST_F(Image, StartWithOfNothingIsWrittenAsTheFirstSubScene) {
    writeGame({}, "NONE");
    startGame("-2bin");
    const std::string bytes = dir.read("GAME/Dane/application.bin");
    EXPECT_EQ(le32At(bytes, 7 + 8), 2);
    EXPECT_EQ(le32At(bytes, 7 + 12), 0);
}

TEST_F(Image, StoringRestoresTheCurrentFolder) {
    writeGame();
    startGame();
    ASSERT_NE(app(), nullptr);
    dir.mkdir("ELSEWHERE");
    CFile::chDir(CXString(dir.engine("ELSEWHERE").c_str()));
    const CXString before = CFile::getCurrentDirectory();
    test::runCode(app(), "APP^STOREBINARY();");
    EXPECT_EQ(CFile::getCurrentDirectory(), before);
    EXPECT_TRUE(dir.exists("GAME/Dane/application.bin"));
    // The scene being played keeps its objects.
    CMC_Scene* played = app()->getCurrentScene()->getCurrentScene();
    EXPECT_EQ(test::intValue(played, "M"), 5);
}

TEST_F(Image, ScenesDirectlyUnderTheApplicationWriteNoImage) {
    writeGame({"OBJECT=LOOSE", "LOOSE:TYPE=SCENE", "APP:SCENES=LOOSE"});
    platform::CapturedDebugOutput debug;
    platform::ScopedDebugOutput scopedDebug(debug);
    startGame("-2bin");
    EXPECT_FALSE(dir.exists("GAME/Dane/application.bin"));
    bool logged = false;
    for (const std::string& line : debug.lines) logged |= line.find("LOOSE") != std::string::npos;
    EXPECT_TRUE(logged);
}

// Cut at every record boundary (and inside the first record), or with a count no file
// can hold, the image gives no application and the error 3000.
TEST_F(Image, ShortOrLyingImagesGiveNoApplication) {
    writeGame();
    startGame("-2bin");
    const std::string bytes = dir.read("GAME/Dane/application.bin");
    application.reset();
    std::vector<size_t> cuts = {0, 3, 7, 11, 15, 19, 23};
    for (const char* name : {"EPA", "A1", "A2", "A3", "EPB", "B1", "B2", "B3"})
        cuts.push_back(bytes.find(test::archiveString(name)));
    cuts.push_back(bytes.size() - 1);
    for (size_t cut : cuts) {
        SCOPED_TRACE(cut);
        ASSERT_LT(cut, bytes.size());
        dir.write("GAME/Dane/application.bin", bytes.substr(0, cut));
        startGame();
        EXPECT_EQ(app(), nullptr);
        EXPECT_EQ(application->LastError(), CWindow::kErrorNoGame);
    }
    std::string lying = bytes;
    const int32_t huge = 0x7FFFFFFF;
    std::memcpy(lying.data() + 7 + 8, &huge, 4);
    dir.write("GAME/Dane/application.bin", lying);
    startGame();
    EXPECT_EQ(app(), nullptr);
    EXPECT_EQ(application->LastError(), CWindow::kErrorNoGame);

    dir.write("GAME/Dane/application.bin", bytes);
    startGame();
    EXPECT_NE(app(), nullptr);
}

// ---- APPLICATION methods ------------------------------------------------------------

TEST_F(Image, RunCallsMethodsAndBehavioursOfNamedObjects) {
    writeGame();
    startGame();
    ASSERT_NE(app(), nullptr);
    struct Case {
        const char* code;
        const char* log;
        int n;
        int r;
    };
    const Case cases[] = {
        {"APP^RUN(\"B\", \"run\", \"a\");", "a", 7, 0},
        {"APP^RUN(\"B\", \"runC\", \"b\");", "a", 7, 0},
        {"APP^RUN(\"B\", \"RUNC\", \"b\");", "a", 7, 0},
        {"APP^RUN(\"B\", \"Run\", \"c\");", "ac", 7, 0},
        {"APP^RUN(\"N\", \"ADD\", 4);", "ac", 11, 0},
        {"R^SET(APP^RUN(\"N\", \"GET\"));", "ac", 11, 11},
        {"R^SET(APP^RUN(\"B\", \"RUN\", \"d\"));", "acd", 11, 11},
        {"APP^RUN(\"NONE\", \"ADD\", 4);APP^RUN(\"N\");", "acd", 11, 11},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.code);
        test::runCode(app(), c.code);
        EXPECT_EQ(test::textValue(app(), "LOG"), c.log);
        EXPECT_EQ(test::intValue(app(), "N"), c.n);
        EXPECT_EQ(test::intValue(app(), "R"), c.r);
    }
}

// Built from the structure file the application's objects are the scenes; read from
// the image they are the episodes.
TEST_F(Image, RunEnvAndExistsEnvFindContainersAmongTheApplicationsObjects) {
    writeGame();
    startGame("-2bin");
    for (bool fromImage : {false, true}) {
        SCOPED_TRACE(fromImage);
        startGame(fromImage ? "" : "-forceCNV");
        ASSERT_NE(app(), nullptr);
        test::runCode(app(), "X^SET(APP^EXISTSENV(\"B3\", \"M\"));");
        EXPECT_EQ(test::boolValue(app(), "X"), !fromImage);
        test::runCode(app(), "X^SET(APP^EXISTSENV(\"EPB\", \"E\"));");
        EXPECT_EQ(test::boolValue(app(), "X"), fromImage);
        test::runCode(app(), "X^SET(APP^EXISTSENV(\"NONE\", \"E\"));");
        EXPECT_FALSE(test::boolValue(app(), "X"));
        test::runCode(app(), "APP^RUNENV(\"B3\", \"RM\");APP^RUNENV(\"EPB\", \"RE\");APP^RUNENV(\"B3\");");
        CMC_Scene* episode = app()->getCurrentScene();
        EXPECT_EQ(test::intValue(episode->getCurrentScene(), "M"), fromImage ? 5 : 6);
        EXPECT_EQ(test::intValue(episode, "E"), fromImage ? 4 : 3);
    }
}

TEST_F(Image, LanguagePlayerMusicAndDragging) {
    writeGame();
    startGame("-player anna");
    ASSERT_NE(app(), nullptr);
    test::runCode(app(), "APP^SETLANGUAGE(\"0405\");LOG^SET(APP^GETLANGUAGE());");
    EXPECT_EQ(test::textValue(app(), "LOG"), "CZE");
    test::runCode(app(), "LOG^SET(APP^GETPLAYER());");
    EXPECT_EQ(test::textValue(app(), "LOG"), "anna");
    test::runCode(app(), "APP^DISABLEMUSIC();");
    EXPECT_FALSE(window->IsMusicOn());
    test::runCode(app(), "APP^ENABLEMUSIC();");
    EXPECT_TRUE(window->IsMusicOn());
    test::runCode(app(), "APP^STOPDRAGGINGWINDOW();");
    EXPECT_FALSE(window->isWindowDragged());
    // Ids 13 and 14 have no name: the base runner does nothing with them.
    CMC_Runner* runner = CMC_RunnerFactory::getRunner(CMC_Application::kType);
    ASSERT_NE(runner, nullptr);
    EXPECT_EQ(runner->run(13, app(), app(), nullptr), nullptr);
    EXPECT_EQ(runner->run(14, app(), app(), nullptr), nullptr);
    EXPECT_EQ(runner->resolveMethod(CXString("STOREBINARY")), CMC_Application_Runner::kStoreBinary);
}

TEST_F(Image, StartDraggingWindowCatchesTheWindowAtThePoint) {
    writeGame();
    startGame("-window");
    ASSERT_NE(app(), nullptr);
    platform::WindowPlacement placement;
    platform::ScopedWindowPlacement scoped(placement);
    placement.originX = 100;
    placement.originY = 100;
    window->Activate(true);
    test::runCode(app(), "APP^STARTDRAGGINGWINDOW(10);");
    EXPECT_FALSE(window->isWindowDragged());
    test::runCode(app(), "APP^STARTDRAGGINGWINDOW(10, 10);");
    EXPECT_TRUE(window->isWindowDragged());
    window->OnMouseMove(CXPoint(30, 40), 0);
    EXPECT_EQ(placement.moves, 1);
    EXPECT_EQ(placement.originX, 120);
    EXPECT_EQ(placement.originY, 130);
    test::runCode(app(), "APP^STOPDRAGGINGWINDOW();");
    window->OnMouseMove(CXPoint(50, 50), 0);
    EXPECT_EQ(placement.moves, 1);
}

TEST_F(Image, PrintTakesTheScreenARectangleOrAnObjectsBox) {
    writeGame({}, "EPB", {"OBJECT=CV", "CV:TYPE=CANVAS", "CV:WIDTH=30", "CV:HEIGHT=20"});
    startGame("", true);
    ASSERT_NE(app(), nullptr);
    platform::RecordingPrinter printer;
    platform::ScopedPrinter scoped(printer);
    struct Case {
        const char* call;
        int pages;
        int width, height;
    };
    const Case cases[] = {
        {"APP^PRINT();", 1, 320, 200},
        {"APP^PRINT(\"NONE\");", 0, 0, 0},
        {"APP^PRINT(\"N\");", 0, 0, 0},
        {"APP^PRINT(1, 2);", 1, 320, 200},
        {"APP^PRINT(1, 2, 3);", 1, 320, 200},
        {"APP^PRINT(10, 20, 110, 70);", 1, 100, 50},
        {"APP^PRINT(10, 20, 110, 70, 5);", 1, 320, 200},
        {"APP^PRINT(300, 150, 400, 250);", 1, 20, 50},
        {"APP^PRINT(50, 50, 50, 90);", 0, 0, 0},
        // A graphics object's name: its bounding box, where it stands now.
        {"CV^SETPOSITION(40, 30);APP^PRINT(\"CV\");", 1, 30, 20},
        {"CV^SETPOSITION(300, 190);APP^PRINT(\"CV\");", 1, 20, 10},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.call);
        printer.pages.clear();
        test::runCode(app(), c.call);
        ASSERT_EQ(static_cast<int>(printer.pages.size()), c.pages);
        if (c.pages == 0) continue;
        ASSERT_EQ(printer.pages[0].draws.size(), 1u);
        EXPECT_EQ(printer.pages[0].draws[0].picture.width, c.width);
        EXPECT_EQ(printer.pages[0].draws[0].picture.height, c.height);
    }
}

}  // namespace
