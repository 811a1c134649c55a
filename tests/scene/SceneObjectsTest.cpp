// TIMER, the structure file, the scene binary image and the registry records.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "foundation/CXArchive.h"
#include "platform/RegistryStore.h"
#include "graphics/core/CGraphicsObject.h"
#include "graphics/input/CCollisionInspector.h"
#include "scene/CMC_Application.h"
#include "scene/CMC_Episode.h"
#include "scene/CMC_Scene.h"
#include "scene/CMC_StructureParser.h"
#include "shell/CSoundCodec.h"
#include "scene/CMC_Timer.h"
#include "scene/CVondrelWEB.h"
#include "script/CMC_Behaviour.h"
#include "script/CMElement.h"
#include "shell/CWindow.h"
#include "support/ScriptTestSupport.h"

namespace {

// ---- TIMER ------------------------------------------------------------------------

struct TimerCase {
    const char* name;
    test::Lines properties;  // of the timer T
    test::Lines handlers;    // more definition lines
    const char* code;        // run after the first frame, or null
    const char* events;      // the text of LOG after 10 frames of 100 ms
    int ticks;
};

TEST(Timer, FiresByItsPropertiesAndMethods) {
    const TimerCase cases[] = {
        {"limit", {"ELAPSE=100", "TICKS=3"}, {"T:ONTICK={LOG^ADD(\"t\");}"}, nullptr, "ttt", 3},
        {"numbered handler takes its tick",
         {"ELAPSE=200"},
         {"T:ONTICK^2={LOG^ADD(\"2\");}", "T:ONTICK={LOG^ADD(\"t\");}"},
         nullptr,
         "t2ttt",
         5},
        {"no handler still counts", {"ELAPSE=100", "TICKS=4"}, {}, nullptr, "", 4},
        {"disabled counts nothing", {"ELAPSE=100", "ENABLED=FALSE"}, {"T:ONTICK={LOG^ADD(\"t\");}"}, nullptr, "", 0},
        {"ENABLED true in any case", {"ELAPSE=100", "ENABLED=True"}, {}, nullptr, "", 10},
        {"no ELAPSE never fires", {"TICKS=2"}, {"T:ONTICK={LOG^ADD(\"t\");}"}, nullptr, "", 0},
        {"ENABLE restarts from tick 1",
         {"ELAPSE=100", "ENABLED=FALSE"},
         {"T:ONTICK^1={LOG^ADD(\"1\");}"},
         "T^ENABLE();",
         "1",
         9},
        {"SET below the ticks never stops", {"ELAPSE=100"}, {}, "T^SET(1);", "", 10},
        {"SET limits", {"ELAPSE=100"}, {}, "T^SET(2);", "", 2},
        {"SETELAPSE keeps the start and count", {"ELAPSE=100"}, {}, "T^SETELAPSE(300);", "", 3},
        {"DISABLE", {"ELAPSE=100"}, {}, "T^DISABLE();", "", 1},
    };
    for (const TimerCase& c : cases) {
        SCOPED_TRACE(c.name);
        test::ScriptWorld world;
        test::Lines lines = test::object("LOG", "STRING");
        test::append(lines, test::object("T", "TIMER", c.properties));
        test::append(lines, test::object("N", "INTEGER"));
        test::append(lines, c.handlers);
        auto* scene = world.loadScene("timer.cnv", lines);
        ASSERT_NE(scene, nullptr);
        auto* timer = dynamic_cast<CMC_Timer*>(scene->getObject("T"));
        ASSERT_NE(timer, nullptr);
        world.frame(100);
        if (c.code) test::runCode(scene, c.code);
        world.frames(9, 100);
        EXPECT_EQ(test::textValue(scene, "LOG"), c.events);
        EXPECT_EQ(timer->getTick(), c.ticks);
        test::runCode(scene, "N^SET(T^GETTICKS());");
        EXPECT_EQ(test::intValue(scene, "N"), c.ticks);
    }
}

TEST(Timer, NothingFiresWhilePausedAndFiringGoesOnAfterResume) {
    test::ScriptWorld world;
    test::Lines lines = test::object("T", "TIMER", {"ELAPSE=100"});
    test::append(lines, test::object("U", "TIMER", {"ELAPSE=100"}));
    auto* scene = world.loadScene("timer.cnv", lines);
    auto* t = dynamic_cast<CMC_Timer*>(scene->getObject("T"));
    auto* u = dynamic_cast<CMC_Timer*>(scene->getObject("U"));
    world.frames(2, 100);
    test::runCode(scene, "T^PAUSE();");
    const int t0 = t->getTick();
    world.frames(5, 100);
    EXPECT_EQ(t->getTick(), t0);
    test::runCode(scene, "T^RESUME();");
    world.frames(5, 100);
    EXPECT_GT(t->getTick(), t0);
    EXPECT_GT(u->getTick(), 2);
}

// ---- structure file -------------------------------------------------------------------

// A parser over a structure file written in a temporary folder; the application's own
// definition file is looked for under the disc path's data folder.
struct Structure {
    explicit Structure(const std::vector<std::string>& lines)
        : cd(CWindow::getCDPath()), scopedRegistry(registry) {
        world.writeDefinition("Dane/application.def", lines);
        CWindow::setCDPath(CXString(world.dir().engine().c_str()));
        test::ScopedCurrentDirectory here(world.dir().native("Dane"));
        parser = std::make_unique<CMC_StructureParser>(world.window(), CXString("application.def"));
    }
    ~Structure() {
        delete parser->getMCApplication();
        parser.reset();
        CWindow::setCDPath(cd);
    }
    static std::string names(const std::vector<CMC_Scene*>& scenes) {
        std::string out;
        for (CMC_Scene* s : scenes) out += std::string(out.empty() ? "" : ",") + s->getName().c_str();
        return out;
    }
    std::string subScenes(const char* name) {
        auto* scene = dynamic_cast<CMC_Scene*>(parser->get(CXString(name)));
        return scene ? names(scene->getSubScenes()) : "<none>";
    }
    std::string start(const char* name) {
        CMC_Scene* s = nullptr;
        if (auto* e = dynamic_cast<CMC_Episode*>(parser->get(CXString(name)))) s = e->getStartScene();
        if (auto* a = dynamic_cast<CMC_Application*>(parser->get(CXString(name)))) s = a->getStartScene();
        return s ? s->getName().c_str() : "<none>";
    }

    test::ScriptWorld world;
    CXString cd;
    platform::MemoryRegistryStore registry;
    platform::ScopedRegistryStore scopedRegistry;
    std::unique_ptr<CMC_StructureParser> parser;
};

TEST(StructureFile, ListsStartsAndNames) {
    struct Case {
        const char* name;
        std::vector<std::string> lines;
        std::vector<std::pair<const char*, const char*>> subScenes;  // name, expected list
        std::vector<std::pair<const char*, const char*>> starts;
        const char* application;  // the parser's application, or null
    };
    const Case cases[] = {
        {"separators",
         {"OBJECT=E", "E:TYPE=EPISODE", "E:SCENES=A, B,C D", "OBJECT=A", "A:TYPE=SCENE", "OBJECT=B", "B:TYPE=SCENE",
          "OBJECT=C", "C:TYPE=SCENE", "OBJECT=D", "D:TYPE=SCENE"},
         {{"E", "A,B,C,D"}},
         {{"E", "A"}},
         nullptr},
        {"DEMO becomes GAME", {"OBJECT=DEMO", "DEMO:TYPE=APPLICATION"}, {}, {}, "GAME"},
        {"Demo keeps its name", {"OBJECT=Demo", "Demo:TYPE=APPLICATION"}, {}, {}, "Demo"},
        {"lower-case TYPE builds nothing",
         {"OBJECT=E", "E:TYPE=EPISODE", "E:SCENES=A", "OBJECT=A", "A:TYPE=scene"},
         {{"E", ""}, {"A", "<none>"}},
         {{"E", "<none>"}},
         nullptr},
        {"unknown and repeated names",
         {"OBJECT=E1", "E1:TYPE=EPISODE", "E1:SCENES=A X A B", "OBJECT=E2", "E2:TYPE=EPISODE", "E2:SCENES=B C",
          "OBJECT=A", "A:TYPE=SCENE", "OBJECT=B", "B:TYPE=SCENE", "OBJECT=C", "C:TYPE=SCENE", "OBJECT=APP",
          "APP:TYPE=APPLICATION", "APP:EPISODES=E1 E2 E1", "APP:SCENES=C"},
         {{"E1", "A,B"}, {"E2", "C"}, {"APP", "E1,E2"}},
         {{"APP", "E1"}},
         "APP"},
        // Any scene built, whichever list took it; a name of nothing gives the first.
        {"STARTWITH names another list's scene or nothing",
         {"OBJECT=E", "E:TYPE=EPISODE", "E:SCENES=A B", "E:STARTWITH=Z", "OBJECT=A", "A:TYPE=SCENE", "OBJECT=B",
          "B:TYPE=SCENE", "OBJECT=APP", "APP:TYPE=APPLICATION", "APP:SCENES=C", "APP:STARTWITH=A", "OBJECT=C",
          "C:TYPE=SCENE"},
         {{"APP", "C"}},
         {{"E", "A"}, {"APP", "A"}},
         "APP"},
        {"episodes come before scenes",
         {"OBJECT=APP", "APP:TYPE=APPLICATION", "APP:SCENES=S", "APP:EPISODES=E", "OBJECT=E", "E:TYPE=EPISODE",
          "OBJECT=S", "S:TYPE=SCENE"},
         {{"APP", "E,S"}},
         {{"APP", "E"}},
         "APP"},
        {"only the last application takes",
         {"OBJECT=A1", "A1:TYPE=APPLICATION", "A1:SCENES=S", "OBJECT=A2", "A2:TYPE=APPLICATION", "A2:SCENES=S",
          "OBJECT=S", "S:TYPE=SCENE"},
         {{"A1", ""}, {"A2", "S"}},
         {{"A1", "<none>"}, {"A2", "S"}},
         "A2"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        Structure s(c.lines);
        for (const auto& [name, expected] : c.subScenes) EXPECT_EQ(s.subScenes(name), expected) << name;
        for (const auto& [name, expected] : c.starts) EXPECT_EQ(s.start(name), expected) << name;
        CMC_Application* app = s.parser->getMCApplication();
        if (c.application) {
            ASSERT_NE(app, nullptr);
            EXPECT_STREQ(app->getName().c_str(), c.application);
        } else {
            EXPECT_EQ(app, nullptr);
        }
    }
}

TEST(StructureFile, TheApplicationTakesUpTheAdpcmDecoderForItsLifetime) {
    CSoundCodec_ADPCM::done();
    {
        Structure s({"OBJECT=APP", "APP:TYPE=APPLICATION"});
        ASSERT_NE(s.parser->getMCApplication(), nullptr);
        EXPECT_TRUE(CSoundCodec_ADPCM::isLoaded());
    }
    EXPECT_FALSE(CSoundCodec_ADPCM::isLoaded());
}

// ---- scene binary image ---------------------------------------------------------------

TEST(SceneImage, HoldsTheObjectsInCreationOrderAndReadsBack) {
    test::ScriptWorld world;
    test::ScopedCurrentDirectory here(world.dir().path());
    world.writeDefinition("SC.cnv", {"OBJECT=N", "N:TYPE=INTEGER", "N:VALUE=7", "OBJECT=T", "T:TYPE=TIMER",
                                     "T:ELAPSE=250", "T:TICKS=2"});
    std::unique_ptr<CMElement> element(test::makeElement("SC", {{"TYPE", "SCENE"}}));
    auto scene = std::make_unique<CMC_Scene>(world.window(), nullptr, element.get(), CMC_Scene::kType);
    scene->loadCnv();
    const std::string bytes = test::archiveBytes([&](CXArchive& a) { scene->writeImage(&a); });
    EXPECT_EQ(bytes.size(), 63u);
    EXPECT_EQ(bytes.substr(12, 8), test::le32(2) + test::le32(1));  // count, then N's code
    EXPECT_NE(bytes.find(test::le32(2007) + test::archiveString("T")), std::string::npos);
    EXPECT_EQ(bytes.substr(bytes.size() - 11), test::archiveString("250") + test::le32(2));

    auto copy = std::make_unique<CMC_Scene>(world.window(), CMC_Scene::kType);
    test::readArchive(bytes, [&](CXArchive& a) { copy->readImage(&a); });
    EXPECT_EQ(test::intValue(copy.get(), "N"), 7);
    auto* timer = dynamic_cast<CMC_Timer*>(copy->getObject("T"));
    ASSERT_NE(timer, nullptr);
    EXPECT_EQ(timer->getLimit(), 2);

    // A code that nothing builds ends the reading; what came before stays.
    const std::string nRecord = bytes.substr(16, bytes.find(test::le32(2007)) - 16);
    const std::string unknown = bytes.substr(0, 12) + test::le32(3) + nRecord + test::le32(4242) + "junkjunk" + nRecord;
    auto partial = std::make_unique<CMC_Scene>(world.window(), CMC_Scene::kType);
    test::readArchive(unknown, [&](CXArchive& a) { partial->readImage(&a); });
    EXPECT_EQ(test::intValue(partial.get(), "N"), 7);
    EXPECT_EQ(partial->getElementsNo(), 2);  // the scene and N
    scene.reset();
    copy.reset();
    partial.reset();
    CMC_Scene::doneDefUnit();
}

TEST(SceneImage, RestoredBehavioursRunTheirCodeUnderTheirConditions) {
    test::ScriptWorld world;
    test::ScopedCurrentDirectory here(world.dir().path());
    world.writeDefinition("SC.cnv", {"OBJECT=LOG", "LOG:TYPE=STRING", "OBJECT=V", "V:TYPE=INTEGER", "V:VALUE=5",
                                     "V:ONCHANGED={LOG^ADD(\"c\");}", "OBJECT=YES", "YES:TYPE=CONDITION",
                                     "YES:OPERAND1=V", "YES:OPERATOR=EQUAL", "YES:OPERAND2=5", "OBJECT=GO",
                                     "GO:TYPE=BEHAVIOUR", "GO:CODE={LOG^ADD(\"g\");}", "GO:CONDITION=YES"});
    std::unique_ptr<CMElement> element(test::makeElement("SC", {{"TYPE", "SCENE"}}));
    auto scene = std::make_unique<CMC_Scene>(world.window(), nullptr, element.get(), CMC_Scene::kType);
    scene->loadCnv();
    scene->onInit();
    const std::string bytes = test::archiveBytes([&](CXArchive& a) { scene->writeImage(&a); });

    auto copy = std::make_unique<CMC_Scene>(world.window(), CMC_Scene::kType);
    test::readArchive(bytes, [&](CXArchive& a) { copy->readImage(&a); });
    copy->onInit();  // as the scene's entry does after loading
    EXPECT_EQ(test::archiveBytes([&](CXArchive& a) { copy->writeImage(&a); }), bytes);
    auto* go = dynamic_cast<CMC_Behaviour*>(copy->getObject("GO"));
    ASSERT_NE(go, nullptr);
    EXPECT_EQ(go->getCondition(), copy->getObject("YES"));
    test::runBehaviour(copy.get(), "GO", {}, true);
    EXPECT_EQ(test::textValue(copy.get(), "LOG"), "g");
    // The inline handler read back runs too; then the restored condition fails.
    test::runCode(copy.get(), "V^SET(6);");
    EXPECT_EQ(test::textValue(copy.get(), "LOG"), "gc");
    test::runBehaviour(copy.get(), "GO", {}, true);
    EXPECT_EQ(test::textValue(copy.get(), "LOG"), "gc");
    scene.reset();
    copy.reset();
    CMC_Scene::doneDefUnit();
}

// ---- registry records -----------------------------------------------------------------

TEST(RegistryRecords, ReadWriteAndTheEnginePath) {
    platform::MemoryRegistryStore store;
    platform::ScopedRegistryStore scoped(store);
    const CXString key("Software\\Korvinhaus\\VondrelWeb\\G\\");
    EXPECT_TRUE(CVondrelWEB::update_registry(CVondrelWEB::kCurrentUser, key, CXString("Version"), CXString("1")));
    EXPECT_EQ(CVondrelWEB::get_registry(CVondrelWEB::kCurrentUser, CXString("software\\KORVINHAUS\\vondrelweb\\g"),
                                        CXString("version")),
              CXString("1"));
    EXPECT_EQ(CVondrelWEB::get_registry(CVondrelWEB::kLocalMachine, key, CXString("Version")), CXString());

    const std::string fits(199, 'v'), tooLong(200, 'v');
    CVondrelWEB::set_registry(CVondrelWEB::kCurrentUser, key, CXString("A"), CXString(fits.c_str()));
    CVondrelWEB::set_registry(CVondrelWEB::kCurrentUser, key, CXString("B"), CXString(tooLong.c_str()));
    EXPECT_EQ(CVondrelWEB::get_registry(CVondrelWEB::kCurrentUser, key, CXString("A")).getLength(), 199);
    EXPECT_EQ(CVondrelWEB::get_registry(CVondrelWEB::kCurrentUser, key, CXString("B")), CXString());

    CVondrelWEB::delete_registry(CVondrelWEB::kCurrentUser, key, CXString("A"));
    EXPECT_EQ(CVondrelWEB::get_registry(CVondrelWEB::kCurrentUser, key, CXString("A")), CXString());
    EXPECT_TRUE(CVondrelWEB::delete_registry_key(CVondrelWEB::kCurrentUser, CXString("Software\\Korvinhaus")));
    EXPECT_EQ(CVondrelWEB::get_registry(CVondrelWEB::kCurrentUser, key, CXString("Version")), CXString());
    EXPECT_FALSE(CVondrelWEB::delete_registry_key(CVondrelWEB::kCurrentUser, CXString("Software\\Korvinhaus")));

    const CXString engine(CVondrelWEB::kEngineKey);
    CVondrelWEB::set_registry(CVondrelWEB::kCurrentUser, engine, CXString("File"), CXString("vondrel"));
    EXPECT_EQ(CVondrelWEB::get_full_vdweb_path(), CXString("vondrel"));
    CVondrelWEB::set_registry(CVondrelWEB::kCurrentUser, engine, CXString("Path"), CXString("C:\\V"));
    EXPECT_EQ(CVondrelWEB::get_full_vdweb_path(), CXString("C:\\V\\vondrel"));
    CVondrelWEB::set_registry(CVondrelWEB::kCurrentUser, engine, CXString("Path"), CXString("C:\\V\\"));
    EXPECT_EQ(CVondrelWEB::get_full_vdweb_path(), CXString("C:\\V\\vondrel"));
}

}  // namespace

// ---- collision monitoring ---------------------------------------------------------

namespace {

struct NullCollisionObserver : CCollisionObserver {
    void onCollision(CGraphicsObject*, CGraphicsObject*) override {}
    void onCollisionFinished(CGraphicsObject*, CGraphicsObject*) override {}
};

TEST(SceneCollisions, MonitoringGoesThroughTheWindowsInspectorOnceAndEndsWithTheScene) {
    test::ScriptWorld world;
    CCollisionInspector* inspector = world.window()->getCollisionInspectorInterface();
    ASSERT_NE(inspector, nullptr);
    CGraphicsObject a(world.window(), CXSize(4, 4), 16);
    CGraphicsObject b(world.window(), CXSize(4, 4), 16);
    NullCollisionObserver observer;
    {
        CMC_Scene scene(world.window(), CMC_ObjectsContainer::kScene);
        scene.monitorCollisions(&a, true, &observer);
        scene.monitorCollisions(&a, false, &observer);  // already monitored: nothing
        scene.monitorCollisions(&b, true, &observer);
        EXPECT_TRUE(inspector->isMonitored(&a));
        EXPECT_TRUE(inspector->isMonitored(&b));
        EXPECT_TRUE(a.getMonitorCollisionsFlag());

        scene.removeMonitorCollisions(&b, &observer);
        EXPECT_FALSE(inspector->isMonitored(&b));
        EXPECT_TRUE(b.getMonitorCollisionsFlag());  // its own flag stays as it was
    }
    EXPECT_FALSE(inspector->isMonitored(&a));
    CMC_Scene::doneDefUnit();  // the shared unit holds this world's window
}

}  // namespace
