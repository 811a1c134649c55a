// The SCENE object's methods: pausing and resuming the game and its animations, music mappings, TOTIME,
// RUN, RUNCLONES, REMOVE and REMOVECLONES, the hot spots' priority window and the
// queries that fill arrays and groups.
#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "foundation/CXTimer.h"
#include "graphics/input/CHotSpot.h"
#include "graphics/play/CAnimo6.h"
#include "graphics/play/CPlayable.h"
#include "media/CMC_Animo.h"
#include "platform/Png.h"
#include "scene/CMC_Scene.h"
#include "scene/CMC_Scene_Runner.h"
#include "scene/CMC_SequenceHolder.h"
#include "script/CMElement.h"
#include "shell/CApplication.h"
#include "shell/CWindow.h"
#include "support/ScriptTestSupport.h"
#include "tools/AnimationBuilder.h"

namespace {

// A real scene of the world, filled from a definition file of its name and entered
// as far as its objects go (their init).
struct SceneFixture : ::testing::Test {
    SceneFixture() : here(world.dir().path()) {}
    ~SceneFixture() override {
        scenes.clear();
        world.applicationStep();
        CMC_Scene::doneDefUnit();
    }

    CMC_Scene* makeScene(const std::string& name, const test::Lines& lines) {
        world.writeDefinition(name + ".cnv", lines);
        std::unique_ptr<CMElement> element(test::makeElement(name.c_str(), {{"TYPE", "SCENE"}}));
        scenes.push_back(std::make_unique<CMC_Scene>(world.window(), nullptr, element.get(), CMC_Scene::kType));
        CMC_Scene* scene = scenes.back().get();
        scene->loadCnv();
        scene->onInit();
        return scene;
    }

    test::ScriptWorld world;
    test::ScopedCurrentDirectory here;
    std::vector<std::unique_ptr<CMC_Scene>> scenes;
};

test::Lines ticking() {
    test::Lines lines = test::object("LOG", "STRING");
    test::append(lines, test::object("T", "TIMER", {"ELAPSE=100"}));
    test::append(lines, {"T:ONTICK={LOG^ADD(\"t\");}"});
    test::append(lines, test::object("P", "BOOL"));
    return lines;
}

TEST_F(SceneFixture, PauseStopsTheTimersUntilResume) {
    CMC_Scene* scene = makeScene("SC", ticking());
    world.frames(3, 100);
    EXPECT_EQ(test::textValue(scene, "LOG"), "ttt");
    test::runCode(scene, "SC^PAUSE();SC^PAUSE();P^SET(SC^ISPAUSED());");
    EXPECT_TRUE(test::boolValue(scene, "P"));
    world.frames(5, 100);
    EXPECT_EQ(test::textValue(scene, "LOG"), "ttt");
    test::runCode(scene, "SC^RESUME();P^SET(SC^ISPAUSED());");
    EXPECT_FALSE(test::boolValue(scene, "P"));
    EXPECT_TRUE(CXTimer::isEnabled());
    world.frames(3, 100);
    EXPECT_EQ(test::textValue(scene, "LOG").substr(0, 4), "tttt");

    // Kept running: the timers fire while animations and sounds stand still.
    const size_t before = test::textValue(scene, "LOG").size();
    test::runCode(scene, "SC^PAUSE(TRUE);");
    EXPECT_TRUE(CWindow::isPaused());
    world.frames(3, 100);
    EXPECT_EQ(test::textValue(scene, "LOG").size(), before + 3);
    test::runCode(scene, "SC^RESUME(TRUE);");
    EXPECT_FALSE(CWindow::isPaused());
    // RESUME when not paused changes nothing, the timer switch included.
    CXTimer::enable(false);
    test::runCode(scene, "SC^RESUME();");
    EXPECT_FALSE(CXTimer::isEnabled());
    CXTimer::enable(true);
}

TEST_F(SceneFixture, ThePauseIsOneForEveryScene) {
    CMC_Scene* a = makeScene("A", ticking());
    CMC_Scene* b = makeScene("B", ticking());
    test::runCode(a, "A^PAUSE();");
    test::runCode(b, "P^SET(B^ISPAUSED());");
    EXPECT_TRUE(test::boolValue(b, "P"));
    test::runCode(b, "B^RESUME();");
    test::runCode(a, "P^SET(A^ISPAUSED());");
    EXPECT_FALSE(test::boolValue(a, "P"));
}

TEST(SceneRunner, MusicMappingsAndToTime) {
    struct Volume {
        int value, volume;
    };
    for (Volume v : {Volume{800, 0}, {26, -3096}, {25, -10000}, {-2000000000, -10000}, {900, 400},
                     {2000000000, 2147483647}}) {
        EXPECT_EQ(CMC_Scene_Runner::musicVolume(v.value), v.volume) << v.value;
    }
    for (int value = 26; value <= 800; value += 7)
        EXPECT_EQ(CMC_Scene_Runner::scriptVolume(CMC_Scene_Runner::musicVolume(value)), value);
    EXPECT_EQ(CMC_Scene_Runner::scriptVolume(-10000), -1700);
    struct Pan {
        int value, pan;
    };
    for (Pan p : {Pan{400, 0}, {0, -800}, {800, 800}, {1949, 3098}, {1950, 10000}, {-1149, -3098}, {-1150, -10000},
                  {2000000000, 10000}, {-2000000000, -10000}}) {
        EXPECT_EQ(CMC_Scene_Runner::musicPan(p.value), p.pan) << p.value;
    }
    struct Time {
        int seconds;
        const char* text;
    };
    for (Time t : {Time{0, "0000"}, {59, "0059"}, {60, "0100"}, {125, "0205"}, {599, "0959"}, {3599, "5959"},
                   {6000, "10000"}, {-65, "0-10-5"}}) {
        EXPECT_STREQ(CMC_Scene_Runner::toTime(t.seconds).c_str(), t.text) << t.seconds;
    }
}

TEST_F(SceneFixture, MusicMethodsWithoutMusic) {
    test::Lines lines = test::object("V", "INTEGER");
    test::append(lines, test::object("S", "STRING"));
    CMC_Scene* scene = makeScene("SC", lines);
    test::runCode(scene, "SC^SETMUSICVOLUME(100);V^SET(SC^GETMUSICVOLUME());S^SET(SC^TOTIME(125));");
    EXPECT_EQ(test::intValue(scene, "V"), 800);
    EXPECT_EQ(test::textValue(scene, "S"), "0205");
}

// DOG has three clones; B logs its arguments.
test::Lines dogs() {
    test::Lines lines = test::object("LOG", "STRING");
    test::append(lines, test::object("DOG", "INTEGER"));
    test::append(lines, {"DOG:ONDONE={LOG^ADD(\"d\");}"});
    test::append(lines, test::object("B", "BEHAVIOUR", {"CODE={LOG^ADD(\"$1\");LOG^ADD(\"|\");}"}));
    test::append(lines, test::object("N", "INTEGER"));
    return lines;
}

TEST_F(SceneFixture, RunClonesRunsTheBehaviourOncePerNumber) {
    struct Case {
        const char* call;
        const char* log;
    };
    const Case cases[] = {
        {"SC^RUNCLONES(\"DOG\", 0, 0, \"B\");", "DOG_1|DOG_2|DOG_3|"},
        {"SC^RUNCLONES(\"DOG\", 3, 2, \"B\");", ""},
        {"SC^RUNCLONES(\"DOG\", -1, -5, \"B\");", "DOG_1|DOG_2|DOG_3|"},
        {"SC^RUNCLONES(\"DOG\", 2, 0, \"B\");", "DOG_2|DOG_3|"},
        {"SC^RUNCLONES(\"DOG\", 5, 6, \"B\");", "DOG_5|DOG_6|"},
        {"SC^RUNCLONES(\"DOG\", 1, 2, \"B\", \"x\");", "DOG_1|DOG_2|"},
        {"SC^RUNCLONES(\"CAT\", 1, 2, \"B\");", ""},
        {"SC^RUNCLONES(\"DOG\", 1, 2, \"{LOG^ADD($2);}\", \"y\");", "yy"},
    };
    CMC_Scene* scene = makeScene("SC", dogs());
    test::runCode(scene, "DOG^CLONE(3);");
    for (const Case& c : cases) {
        SCOPED_TRACE(c.call);
        test::runCode(scene, "LOG^SET(\"\");");
        test::runCode(scene, c.call);
        EXPECT_EQ(test::textValue(scene, "LOG"), c.log);
        world.applicationStep();
    }
    // Without clones and with last 0 nothing runs.
    test::runCode(scene, "LOG^SET(\"\");SC^RUNCLONES(\"N\", 0, 0, \"B\");");
    EXPECT_EQ(test::textValue(scene, "LOG"), "");
}

TEST_F(SceneFixture, RemoveClonesRaisesOnDoneAndRemoveDoesNot) {
    CMC_Scene* scene = makeScene("SC", dogs());
    test::runCode(scene, "DOG^CLONE(4);");
    test::runCode(scene, "LOG^SET(\"\");SC^REMOVE(\"DOG_2\");");
    EXPECT_FALSE(test::hasObject(scene, "DOG_2"));
    EXPECT_EQ(test::textValue(scene, "LOG"), "");
    world.applicationStep();
    EXPECT_EQ(test::textValue(scene, "LOG"), "");
    // The gap is skipped; ONDONE of each clone removed.
    test::runCode(scene, "SC^REMOVECLONES(\"DOG\", -1, 3);");
    EXPECT_EQ(test::textValue(scene, "LOG"), "dd");
    EXPECT_TRUE(test::hasObject(scene, "DOG_4"));
    EXPECT_TRUE(test::hasObject(scene, "DOG"));
    // First 0 reads DOG_0, the object itself: it goes with its clones.
    test::runCode(scene, "LOG^SET(\"\");SC^REMOVECLONES(\"DOG\", 0, -1);");
    EXPECT_EQ(test::textValue(scene, "LOG"), "dd");
    EXPECT_FALSE(test::hasObject(scene, "DOG"));
    EXPECT_FALSE(test::hasObject(scene, "DOG_4"));
    world.applicationStep();
}

TEST_F(SceneFixture, ABehaviourRemovesItsOwnObject) {
    test::Lines lines = test::object("LOG", "STRING");
    test::append(lines, test::object("B", "BEHAVIOUR", {"CODE={SC^REMOVE(\"B\");LOG^ADD(\"after\");}"}));
    CMC_Scene* scene = makeScene("SC", lines);
    test::runBehaviour(scene, "B");
    EXPECT_EQ(test::textValue(scene, "LOG"), "after");
    EXPECT_FALSE(test::hasObject(scene, "B"));
    world.frames(2);
}

TEST_F(SceneFixture, RunCallsAMethodOrABehaviourByName) {
    test::Lines lines = test::object("LOG", "STRING");
    test::append(lines, test::object("N", "INTEGER", {"VALUE=1"}));
    test::append(lines, test::object("F", "BOOL", {"VALUE=FALSE"}));
    test::append(lines, test::object("C", "CONDITION", {"OPERAND1=F", "OPERAND2=TRUE", "OPERATOR=EQUAL"}));
    test::append(lines, test::object("B", "BEHAVIOUR", {"CODE={LOG^ADD($1);}", "CONDITION=C"}));
    test::append(lines, test::object("R", "INTEGER"));
    CMC_Scene* scene = makeScene("SC", lines);
    test::runCode(scene, "SC^RUN(\"B\", \"RUN\", \"a\");");
    test::runCode(scene, "SC^RUN(\"B\", \"RUNC\", \"b\");");
    test::runCode(scene, "SC^RUN(\"B\", \"run\", \"c\");");
    EXPECT_EQ(test::textValue(scene, "LOG"), "a");
    test::runCode(scene, "SC^RUN(\"N\", \"ADD\", 4);R^SET(SC^RUN(\"N\", \"GET\"));");
    EXPECT_EQ(test::intValue(scene, "N"), 5);
    EXPECT_EQ(test::intValue(scene, "R"), 5);
    test::runCode(scene, "SC^RUN(\"N\", \"add\", 4);SC^RUN(\"NONE\", \"ADD\", 4);SC^RUN(\"N\");");
    EXPECT_EQ(test::intValue(scene, "N"), 5);
}

TEST_F(SceneFixture, HotSpotPriorityWindow) {
    test::Lines lines = test::object("V", "INTEGER");
    CMC_Scene* scene = makeScene("SC", lines);
    test::runCode(scene, "SC^SETMINHSPRIORITY(5);SC^SETMAXHSPRIORITY(9);V^SET(SC^GETMINHSPRIORITY());");
    EXPECT_EQ(test::intValue(scene, "V"), 5);
    EXPECT_EQ(CHotSpot::getMaxPriority(), 9);
    test::runCode(scene, "SC^SETMINHSPRIORITY(0);SC^SETMAXHSPRIORITY(10000000);V^SET(SC^GETMAXHSPRIORITY());");
    EXPECT_EQ(test::intValue(scene, "V"), 10000000);
    EXPECT_EQ(CHotSpot::getMinPriority(), 0);
}

// ---- queries ----------------------------------------------------------------------

class TestPlayable : public CPlayable {
public:
    TestPlayable() : CPlayable(nullptr) {}
    void play() override { playing = true; }
    void stop(bool) override { playing = paused = false; }
    void pause() override { paused = true; }
    void resume() override {
        paused = false;
        ++resumes;
    }
    void seek(int) override {}
    bool isPlaying() override { return playing && !paused; }
    bool isPaused() override { return paused; }
    bool playing = false;
    bool paused = false;
    int resumes = 0;
};

// A SEQUENCE stand-in: the scene reaches its playable through the holder interface.
class TestSequence : public CMC_Object, public CMC_SequenceHolder {
public:
    TestSequence(CMC_ObjectsContainer* scene, const char* name) : CMC_Object(CXString(name), 2004) {
        setScene(scene);
    }
    CPlayable* getSequencedPlayable() override { return &playable; }
    TestPlayable playable;
};

TEST_F(SceneFixture, SequenceQueries) {
    test::Lines lines = test::object("A", "ARRAY");
    test::append(lines, test::object("NAMES", "ARRAY"));
    test::append(lines, test::object("S", "STRING"));
    CMC_Scene* scene = makeScene("SC", lines);
    auto* one = new TestSequence(scene, "ONE");
    auto* two = new TestSequence(scene, "TWO");
    auto* three = new TestSequence(scene, "THREE");
    scene->addObject(one);
    scene->addObject(two);
    scene->addObject(three);
    one->playable.playing = true;
    three->playable.playing = true;
    test::runCode(scene, "SC^GETPLAYINGSEQ(\"A\");SC^GETPLAYINGSEQ(\"A\");");
    EXPECT_EQ(scene->getObject("A")->toString(), CXString("ONE,THREE,ONE,THREE"));

    one->playable.paused = two->playable.paused = three->playable.paused = true;
    test::runCode(scene, "SC^RESUMESEQONLY(\"NAMES\");");
    EXPECT_EQ(one->playable.resumes + two->playable.resumes + three->playable.resumes, 0);
    test::runCode(scene, "NAMES^ADD(\"THREE\");NAMES^ADD(\"TWO\");SC^RESUMESEQONLY(\"NAMES\");");
    EXPECT_EQ(one->playable.resumes, 0);
    EXPECT_EQ(two->playable.resumes, 1);
    EXPECT_EQ(three->playable.resumes, 1);
    // A GROUP's name where an ARRAY is asked for does nothing.
    test::runCode(scene, "SC^GETPLAYINGSEQ(\"S\");");
}

TEST_F(SceneFixture, GetObjectsAndRunningTimers) {
    test::Lines lines = test::object("G", "GROUP");
    test::append(lines, test::object("T2", "TIMER", {"ELAPSE=100"}));
    test::append(lines, test::object("N", "INTEGER"));
    test::append(lines, test::object("T1", "TIMER", {"ELAPSE=100", "ENABLED=FALSE"}));
    test::append(lines, test::object("T3", "TIMER", {"ELAPSE=100"}));
    test::append(lines, test::object("S", "STRING"));
    CMC_Scene* scene = makeScene("SC", lines);
    CMC_Object* group = scene->getObject("G");
    test::runCode(scene, "SC^GETOBJECTS(\"TIMER\", \"G\");");
    EXPECT_EQ(group->toString(), CXString("T2,T1,T3"));
    test::runCode(scene, "SC^GETRUNNINGTIMER(\"G\");");
    EXPECT_EQ(group->toString(), CXString("T2,T3"));
    test::runCode(scene, "SC^GETOBJECTS(\"timer\", \"G\");");
    EXPECT_EQ(group->toString(), CXString(""));
}

CMC_Object* makeThing(CMC_ObjectsContainer* scope, CXString name) {
    auto* object = new CMC_Object(name, 1);
    object->setScene(scope);
    return object;
}

TEST_F(SceneFixture, CreateObjectByExactKind) {
    CMC_Scene::registerRuntimeKind("TESTKIND", makeThing);
    CMC_Scene* scene = makeScene("SC", test::object("N", "INTEGER"));
    test::runCode(scene, "SC^CREATEOBJECT(\"testkind\", \"X\");SC^CREATEOBJECT(\"button\", \"Y\");");
    EXPECT_FALSE(test::hasObject(scene, "X"));
    EXPECT_FALSE(test::hasObject(scene, "Y"));
    test::runCode(scene, "SC^CREATEOBJECT(\"TESTKIND\", \"X\");");
    EXPECT_TRUE(test::hasObject(scene, "X"));
}

// Two playing animations, A1 in the group G: the queries and the pause reach them
// through the application's animation manager.
TEST_F(SceneFixture, PlayingAnimationsPauseAndResumeOnly) {
    CApplication application(world.window(), CXString(), CXString(), nullptr);
    platform::PngPicture frame;
    frame.width = frame.height = 4;
    frame.pixels.assign(4 * 4 * 4, 200);
    std::string error;
    ASSERT_TRUE(platform::writePng(world.dir().native("f0.png"), frame, &error)) << error;
    world.dir().write("anim.txt", "fps 10\nframe f0.png\nframe f0.png\nevent E\n  frames 0 1\nend\n");
    for (const char* file : {"one.ann", "two.ann"})
        ASSERT_TRUE(tools::buildAnimation(world.dir().native("anim.txt"), world.dir().native(file),
                                          tools::AnimationOptions(), &error))
            << error;
    test::Lines lines = test::object("A1", "ANIMO", {"FILENAME=one.ann"});
    test::append(lines, test::object("A2", "ANIMO", {"FILENAME=two.ann"}));
    test::append(lines, test::object("X", "INTEGER"));
    test::append(lines, test::object("M", "INTEGER"));
    test::append(lines, test::object("G", "GROUP"));
    test::append(lines, test::object("P", "GROUP"));
    test::append(lines, test::object("N", "INTEGER"));
    test::append(lines, test::object("D", "STRING"));
    CMC_Scene* scene = makeScene("SC", lines);
    auto animation = [scene](const char* name) {
        return dynamic_cast<CMC_Animo*>(scene->getObject(CXString(name)))->getAnimo();
    };
    test::runCode(scene, "G^ADD(\"A1\");A1^PLAY(\"E\");A2^PLAY(\"E\");SC^GETPLAYINGANIMO(\"P\");");
    EXPECT_EQ(scene->getObject("P")->toString(), CXString("A1,A2"));
    test::runCode(scene, "N^SET(SC^GETELEMENTSNO());SC^REMOVE(\"X\");M^SET(SC^GETELEMENTSNO());");
    EXPECT_GE(test::intValue(scene, "N"), 8);
    EXPECT_EQ(test::intValue(scene, "N") - test::intValue(scene, "M"), 1);

    test::runCode(scene, "SC^PAUSE();SC^GETPLAYINGANIMO(\"P\");");
    EXPECT_TRUE(animation("A1")->isPaused());
    EXPECT_TRUE(animation("A2")->isPaused());
    EXPECT_EQ(scene->getObject("P")->toString(), CXString(""));
    EXPECT_TRUE(CWindow::isPaused());
    EXPECT_FALSE(CXTimer::isEnabled());
    test::runCode(scene, "SC^RESUMEONLY(\"G\");");
    EXPECT_FALSE(animation("A1")->isPaused());
    EXPECT_TRUE(animation("A2")->isPaused()) << "not in the group";
    EXPECT_FALSE(CWindow::isPaused());
    EXPECT_TRUE(CXTimer::isEnabled());

    // RESUME(FALSE): everything plays again but no timer fires until the switch is on.
    test::runCode(scene, "SC^PAUSE();SC^RESUME(FALSE);");
    EXPECT_FALSE(animation("A2")->isPaused());
    EXPECT_FALSE(CWindow::isPaused());
    EXPECT_FALSE(CXTimer::isEnabled());
    CXTimer::enable(true);

    test::runCode(scene, "D^SET(SC^GETDRAGGEDNAME());");
    EXPECT_EQ(test::textValue(scene, "D"), "");
    scene->setDraggedName(CXString("A1"));
    test::runCode(scene, "D^SET(SC^GETDRAGGEDNAME());");
    EXPECT_EQ(test::textValue(scene, "D"), "A1");
    scenes.clear();
}

}  // namespace
