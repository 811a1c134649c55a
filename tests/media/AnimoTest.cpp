// ANIMO: events of the animation, the object's properties, its methods through the
// interpreter, the pointer in button mode, collisions, shared animations and their
// lifetimes, the scene binary part, PLAYRAND and resume by group.
#include "media/CMC_Animo.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "foundation/CResourcesManager.h"
#include "foundation/CXArchive.h"
#include "graphics/canvas/CVirtualGraphicsObject.h"
#include "graphics/input/CCollisionInspector.h"
#include "graphics/play/CAnimationManager.h"
#include "graphics/play/CAnimo6.h"
#include "graphics/play/CFrame.h"
#include "graphics/play/CRandomPlayable.h"
#include "graphics/screen/CRefreshScreen.h"
#include "media/CMC_Animo_Runner.h"
#include "media/CMC_Groupped.h"
#include "media/CMC_VirtualGraphicsObject.h"
#include "scene/CMC_Scene.h"
#include "scene/CMC_SceneBinary.h"
#include "script/CMC_Bool.h"
#include "script/CMC_Integer.h"
#include "script/CMC_String.h"
#include "script/CMC_RunnerFactory.h"
#include "script/CMElement.h"
#include "script/CMElements.h"
#include "shell/CApplication.h"
#include "shell/CUnit6.h"
#include "shell/CWindow.h"
#include "support/ScriptTestSupport.h"
#include "tools/AnimationBuilder.h"
#include "platform/Png.h"

namespace {

// A picture of one colour; the first pixel fully opaque, the others at `alpha`.
platform::PngPicture picture(int w, int h, uint8_t r, uint8_t g, uint8_t b, uint8_t alpha) {
    platform::PngPicture image;
    image.width = w;
    image.height = h;
    for (int i = 0; i < w * h; ++i) {
        image.pixels.insert(image.pixels.end(), {r, g, b, i == 0 ? uint8_t(255) : alpha});
    }
    return image;
}

// Frame 0 is 31 x 11 (red, alpha 128 after the first pixel); frames 1 to 7 are 2 x 2.
// Events: "idle" (frame 0, position named "first"), "RUN_REVERSE" (1 2), "_REVERSE"
// (1), "walk" (frames 1 to 7, position 0 named "step", position 6 unnamed),
// "ONCLICK" (0 1), "ONFOCUSON" (0), "ONFOCUSOFF" (0).
const char* const kManifest =
    "fps 10\n"
    "frame f0.png\n"
    "frame f1.png\nframe f2.png\nframe f3.png\nframe f4.png\nframe f5.png\nframe f6.png\nframe f7.png\n"
    "event idle\n  frames 0\n  position 0 name=first\nend\n"
    "event RUN_REVERSE\n  frames 1 2\nend\n"
    "event _REVERSE\n  frames 1\nend\n"
    "event walk\n  frames 1 2 3 4 5 6 7\n  position 0 name=step\nend\n"
    "event ONCLICK\n  frames 0 1\nend\n"
    "event ONFOCUSON\n  frames 0\nend\n"
    "event ONFOCUSOFF\n  frames 0\nend\n";

// A script world with an application (animation manager), a display, the default
// unit and animation files "anim.ann" (plain) and "packed.ann" (run-length packed).
class AnimoWorld : public ::testing::Test {
protected:
    AnimoWorld() : here(world.dir().path()) {
        world.enableDisplay(CXSize(200, 100));
        application = std::make_unique<CApplication>(world.window(), CXString(), CXString(), nullptr);
        std::string error;
        EXPECT_TRUE(platform::writePng(world.dir().native("f0.png"), picture(31, 11, 255, 0, 0, 128), &error)) << error;
        for (int i = 1; i < 8; ++i)
            EXPECT_TRUE(platform::writePng(world.dir().native("f" + std::to_string(i) + ".png"),
                                        picture(2, 2, static_cast<uint8_t>(i * 30), 0, 0, 255), &error))
                << error;
        world.dir().write("anim.txt", kManifest);
        tools::AnimationOptions plain;
        EXPECT_TRUE(tools::buildAnimation(world.dir().native("anim.txt"), world.dir().native("anim.ann"), plain, &error))
            << error;
        tools::AnimationOptions packed;
        packed.code = 4;
        EXPECT_TRUE(
            tools::buildAnimation(world.dir().native("anim.txt"), world.dir().native("packed.ann"), packed, &error))
            << error;
        defScene = std::make_unique<CMC_Scene>(world.window(), CMC_Scene::kType);
    }
    ~AnimoWorld() override {
        for (auto& s : scenes) s.reset();
        defScene.reset();
        world.applicationStep();
        CMC_Scene::doneDefUnit();
        application.reset();
    }

    // A real scene (collisions are monitored through it) built from definition lines.
    CMC_Scene* sceneOf(const std::vector<std::string>& lines) {
        CMElements* elements = world.loadDefinition("scene" + std::to_string(scenes.size()) + ".cnv", lines);
        if (!elements) return nullptr;
        scenes.push_back(std::make_unique<CMC_Scene>(world.window(), CMC_Scene::kType));
        CMC_Scene* scene = scenes.back().get();
        delete scene->resolveObjects(elements);
        delete elements;
        std::vector<CMC_Object*> objects;
        for (int i = 0; i < scene->getObjectList()->getCount(); ++i)
            objects.push_back(static_cast<CMC_Object*>(scene->getObjectList()->at(i)));
        for (CMC_Object* object : objects)
            if (object != scene) object->init();
        return scene;
    }
    static CMC_Animo* animo(CMC_ObjectsContainer* scene, const char* name) {
        return dynamic_cast<CMC_Animo*>(scene->getObject(CXString(name)));
    }
    // The text of an expression, through a STRING variable R of the scene.
    static std::string eval(CMC_ObjectsContainer* scene, const std::string& expression) {
        test::runCode(scene, ("R^SET(" + expression + ");").c_str());
        return test::textValue(scene, "R");
    }
    CResourcesManager* resources() { return CMC_Scene::getDefUnit()->getResourcesManager(); }

    test::ScriptWorld world;
    test::ScopedCurrentDirectory here;
    std::unique_ptr<CApplication> application;
    std::unique_ptr<CMC_Scene> defScene;
    std::vector<std::unique_ptr<CMC_Scene>> scenes;
};

test::Lines animoLines(const std::string& name, const test::Lines& properties = {}) {
    test::Lines lines{"OBJECT=LOG", "LOG:TYPE=STRING", "LOG:VALUE=", "OBJECT=R", "R:TYPE=STRING", "R:VALUE="};
    test::Lines all{"FILENAME=anim.ann", "TOCANVAS=TRUE", "VISIBLE=TRUE"};
    all.insert(all.end(), properties.begin(), properties.end());
    test::append(lines, test::object(name, "ANIMO", all));
    return lines;
}

// ---- playable events ---------------------------------------------------------------------

TEST_F(AnimoWorld, StartedAndFinishedDropReverseAndFallBackToThePlainEvent) {
    struct Case {
        const char* play;
        test::Lines handlers;
        const char* log;
    };
    const Case cases[] = {
        {"RUN_REVERSE", {"A:ONSTARTED^RUN={LOG^ADD(\"r\");}", "A:ONSTARTED={LOG^ADD(\"s\");}"}, "r"},
        {"RUN_REVERSE", {"A:ONSTARTED^RUN_REVERSE={LOG^ADD(\"x\");}", "A:ONSTARTED={LOG^ADD(\"s\");}"}, "s"},
        {"_REVERSE", {"A:ONSTARTED^_REVERSE={LOG^ADD(\"u\");}", "A:ONSTARTED={LOG^ADD(\"s\");}"}, "u"},
        {"run_reverse", {"A:ONSTARTED^RUN={LOG^ADD(\"r\");}"}, "r"},
        {"nothing", {"A:ONSTARTED={LOG^ADD(\"s\");}"}, ""},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.play);
        test::Lines lines = animoLines("A");
        test::append(lines, c.handlers);
        CMC_Scene* scene = sceneOf(lines);
        ASSERT_NE(animo(scene, "A"), nullptr);
        test::runCode(scene, (std::string("A^PLAY(\"") + c.play + "\");").c_str());
        EXPECT_EQ(test::textValue(scene, "LOG"), c.log);
        scenes.pop_back();
    }

    CMC_Scene* scene = sceneOf([] {
        test::Lines lines = animoLines("A");
        test::append(lines, {"A:ONFINISHED^RUN={LOG^ADD(\"f\");}", "A:ONFINISHED={LOG^ADD(\"g\");}"});
        return lines;
    }());
    test::runCode(scene, "A^PLAY(\"RUN_REVERSE\");");
    world.frames(10, 100);
    test::runCode(scene, "A^PLAY(\"walk\");");
    test::runCode(scene, "A^STOP(TRUE);");
    EXPECT_EQ(test::textValue(scene, "LOG"), "fg");
}

TEST_F(AnimoWorld, FrameChangesRaiseTheFrameThenTheEventThenThePlainForm) {
    struct Case {
        int position;  // of "walk"
        test::Lines handlers;
        const char* log;
    };
    const char* frame7 = "A:ONFRAMECHANGEDFRAME^7={LOG^ADD(\"7\");}";
    const char* walk = "A:ONFRAMECHANGED^WALK={LOG^ADD(\"w\");}";
    const char* plain = "A:ONFRAMECHANGED={LOG^ADD(\"p\");}";
    const char* step = "A:ONFRAMECHANGED^STEP={LOG^ADD(\"s\");}";
    const Case cases[] = {
        {6, {frame7, walk, plain}, "7"},
        {6, {walk, plain}, "w"},
        {6, {plain}, "p"},
        {0, {step, walk, plain}, "s"},
        {0, {frame7, walk}, "w"},
        {0, {plain}, "p"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.position);
        test::Lines lines = animoLines("A");
        test::append(lines, c.handlers);
        CMC_Scene* scene = sceneOf(lines);
        CMC_Animo* a = animo(scene, "A");
        ASSERT_NE(a, nullptr);
        // Showing a frame is a frame change.
        test::runCode(scene, ("A^SETFRAME(\"walk\", " + std::to_string(c.position) + ");").c_str());
        EXPECT_EQ(test::textValue(scene, "LOG"), c.log);
        scenes.pop_back();
    }

    // Played on the manual clock, the seventh frame is reached and reported.
    test::Lines lines = animoLines("A");
    test::append(lines, {frame7});
    CMC_Scene* scene = sceneOf(lines);
    test::runCode(scene, "A^PLAY(\"walk\");");
    world.frames(12, 150);
    EXPECT_EQ(test::textValue(scene, "LOG"), "7");
}

TEST_F(AnimoWorld, PropertiesGiveTheFrameRateAndTheStartingState) {
    struct Case {
        test::Lines properties;
        int fps;
    };
    const Case cases[] = {{{"FPS=0"}, 15}, {{}, 15}, {{"FPS=-3"}, 1}, {{"FPS=7"}, 7}};
    for (const Case& c : cases) {
        CMC_Scene* scene = sceneOf(animoLines("A", c.properties));
        ASSERT_NE(animo(scene, "A"), nullptr);
        EXPECT_EQ(animo(scene, "A")->getAnimo()->GetFPS(), c.fps);
        EXPECT_EQ(eval(scene, "A^GETFPS()"), std::to_string(c.fps));
        scenes.pop_back();
    }
    // PRELOAD false only records the name (showing reads it); absent reads the file at once.
    CMC_Scene* scene = sceneOf([] {
        test::Lines lines = test::object("A", "ANIMO", {"FILENAME=anim.ann", "PRELOAD=FALSE"});
        test::append(lines, test::object("B", "ANIMO", {"FILENAME=packed.ann"}));
        return lines;
    }());
    EXPECT_EQ(animo(scene, "A")->getAnimo()->GetNOF(), 0);
    EXPECT_EQ(animo(scene, "A")->getAnimo()->getFileName(), "anim.ann");
    test::runCode(scene, "A^SHOW();");
    EXPECT_EQ(animo(scene, "A")->getAnimo()->GetNOF(), 8);
    EXPECT_EQ(animo(scene, "B")->getAnimo()->GetNOF(), 8);
    EXPECT_FALSE(animo(scene, "B")->getAnimo()->isVisible());
    EXPECT_EQ(world.screen()->GetPriority(animo(scene, "B")->getAnimo()), -1);
}

// ---- methods -------------------------------------------------------------------------

TEST_F(AnimoWorld, MethodTableThroughTheInterpreter) {
    test::Lines lines = animoLines("A");
    test::append(lines, {"OBJECT=ARR", "ARR:TYPE=ARRAY"});
    test::append(lines, test::object("Z", "ANIMO", {"FILENAME=none.ann", "PRELOAD=FALSE"}));
    CMC_Scene* scene = sceneOf(lines);
    CMC_Animo* a = animo(scene, "A");
    ASSERT_NE(a, nullptr);
    CAnimo6* anim = a->getAnimo();
    test::runCode(scene, "A^SETFRAME(\"idle\", 0);");
    test::runCode(scene, "A^SETPOSITION(10, 20);");

    struct Row {
        const char* code;  // run first (may be empty)
        const char* expression;
        std::string expected;
    };
    const Row rows[] = {
        {"A^SETOPACITY(300);", "A^GETOPACITY()", "43"},
        {"A^SETOPACITY(256);", "A^GETOPACITY()", "0"},
        {"A^SETOPACITY(-1);", "A^GETOPACITY()", "255"},
        {"A^SETOPACITY();", "A^GETOPACITY()", "255"},
        {"", "A^GETWIDTH()", "31"},
        {"", "A^GETPOSITIONX()", "10"},
        {"", "A^GETCENTERX()", "25"},
        {"", "A^GETCENTERY()", "25"},
        {"", "A^GETENDX()", "41"},
        {"", "A^ISNEAR(0, 0, 1000, 1000, 100)", "TRUE"},
        {"", "A^ISNEAR(0, 0, 20, 1000, 0)", "TRUE"},
        {"", "A^ISNEAR(0, 0, 20, 1000, 100)", "FALSE"},
        {"", "A^ISNEAR(0, 0, 20, 1000)", "FALSE"},
        {"", "A^ISNEAR(\"NOBODY\", 0)", "FALSE"},
        {"", "A^ISNEAR(\"A\", 100)", "TRUE"},
        {"", "Z^ISNEAR(0, 0, 1, 1, 100)", "TRUE"},
        {"", "A^GETALPHA(10, 20)", "-1"},
        {"", "A^GETALPHA(11, 20)", "-128"},
        {"", "A^GETALPHA(41, 20)", "0"},
        {"", "A^GETALPHA(10)", "0"},
        {"", "A^GETPIXEL(10, 20)", std::to_string(static_cast<int16_t>(0xF800))},
        {"", "A^GETPIXEL(41, 20)", "0"},
        {"", "A^GETFRAMENO(0, 7)", "7"},
        {"", "A^GETFRAMENO(\"walk\", -3)", "6"},
        {"", "A^GETFRAMENO(0, -3)", "0"},
        {"", "A^GETFRAMENO(0)", "0"},
        {"", "A^GETFRAMENO(-2, 5)", "0"},
        {"", "A^GETFRAMENAME(\"walk\", 0)", "step"},
        {"", "A^GETFRAMENAME(\"walk\", 9)", ""},
        {"", "A^GETFRAMENAME(-5, 0)", ""},
        {"A^SETFRAMENAME(\"walk\", 3, \"mid\");", "A^GETFRAMENAME(\"walk\", 3)", "mid"},
        {"A^SETFRAMENAME(\"walk\", 30, \"far\");", "A^GETFRAMENAME(\"walk\", 30)", ""},
        {"A^SETFRAMENAME(\"RUN_REVERSE\", 1, \"two\");", "A^GETFRAMENAME(\"RUN_REVERSE\", 1)", "two"},
        {"", "A^GETFRAMENAME(\"RUN_REVERSE\", 0)", ""},
        {"", "A^GETFRAMENO(\"RUN_REVERSE\", \"two\")", "1"},
        {"", "A^GETFRAMENO(\"RUN_REVERSE\", \"TWO\")", "-1"},
        {"", "A^GETEVENTNAME(1)", "RUN_REVERSE"},
        {"", "A^GETEVENTNAME(99)", ""},
        {"", "A^GETEVENTNAME(1, 2)", "idle"},
        {"", "A^GETEVENTNUMBER(\"WALK\")", "3"},
        {"", "A^GETEVENTNUMBER(\"none\")", "-1"},
        {"", "A^GETNOFINEVENT(\"walk\")", "7"},
        {"", "A^GETNOFINEVENT()", "0"},
        {"", "A^GETNOE()", "7"},
        {"", "A^GETNOF()", "8"},
        {"", "A^ISPLAYING()", "FALSE"},
        {"", "A^ISINSIDE(0, 0, TRUE)", "TRUE"},
        {"", "A^ISINSIDE(1, 0, TRUE)", "TRUE"},
        {"", "A^ISINSIDE(0, 0)", "FALSE"},
        {"", "A^ISAT(10, 20, TRUE)", "TRUE"},
        {"", "A^ISAT(9, 20, FALSE)", "FALSE"},
        {"A^SETFPS(0);", "A^GETFPS()", "1"},
        {"A^SETPRIORITY(7);", "A^GETPRIORITY()", "7"},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(std::string(row.code) + row.expression);
        if (row.code[0]) test::runCode(scene, row.code);
        EXPECT_EQ(eval(scene, row.expression), row.expected);
    }

    // Values handed to the frame sounds.
    const std::pair<const char*, int> volumes[] = {
        {"800", 0}, {"1000", 800}, {"26", -3096}, {"25", -10000}, {"2147483647", 2147483647}};
    for (const auto& [value, passed] : volumes) {
        test::runCode(scene, (std::string("A^SETVOLUME(") + value + ");").c_str());
        EXPECT_EQ(anim->getVolume(), passed) << value;
    }
    const std::pair<const char*, int> pans[] = {{"400", 0}, {"1950", 10000}, {"-1150", -10000}, {"0", -800}};
    for (const auto& [value, passed] : pans) {
        test::runCode(scene, (std::string("A^SETPAN(") + value + ");").c_str());
        EXPECT_EQ(anim->getPanning(), passed) << value;
    }
    EXPECT_EQ(CMC_Animo_Runner::volumeValue(-2147483647 - 1), -10000);
    EXPECT_EQ(CMC_Animo_Runner::panValue(-2147483647 - 1), -10000);

    // Anchors: the words with case counting, or two numbers; none without arguments.
    const std::pair<const char*, CXPoint> anchors[] = {{"\"CENTER\"", CXPoint(25, 25)},
                                                        {"\"center\"", CXPoint(0, 0)},
                                                        {"\"RIGHTLOWER\"", CXPoint(41, 31)},
                                                        {"3, 4", CXPoint(3, 4)},
                                                        {"", CXPoint(3, 4)}};
    for (const auto& [arguments, anchor] : anchors) {
        test::runCode(scene, (std::string("A^SETANCHOR(") + arguments + ");").c_str());
        EXPECT_EQ(anim->getAnchor(), anchor) << arguments;
    }
    test::runCode(scene, "A^GETANCHOR(\"ARR\");");
    EXPECT_EQ(eval(scene, "ARR^GETSIZE()"), "2");
    EXPECT_EQ(eval(scene, "ARR^GET(1)"), "4");

    // REPLACECOLOR packs both colours in the screen's layout.
    test::runCode(scene, "A^REPLACECOLOR(255, 0, 0, 0, 255, 0);");
    EXPECT_EQ(eval(scene, "A^GETPIXEL(10, 20)"), std::to_string(0x07E0));
    EXPECT_EQ(CMC_Animo_Runner::packColor(15, 0, 255, 0), 0x03E0);
    EXPECT_EQ(CMC_Animo_Runner::packColor(16, 8, 4, 8), 0x0821);
    EXPECT_EQ(CMC_Animo_Runner::packColor(15, 8, 8, 8), 0x0421);
    test::runCode(scene, "A^REPLACECOLOR(0, 255, 0, 0, 0);");
    EXPECT_EQ(eval(scene, "A^GETPIXEL(10, 20)"), std::to_string(0x07E0));

    // Missing arguments change nothing.
    test::runCode(scene, "A^SETPOSITION(1);");
    test::runCode(scene, "A^MOVE(1);");
    test::runCode(scene, "A^SETASBUTTON(TRUE);");
    CMC_Scene::getDefUnit()->initialize(nullptr, nullptr);
    test::runCode(scene, "A^PLAYRAND(\"walk\", 2);");
    EXPECT_EQ(anim->getPosition(), CXPoint(10, 20));
    EXPECT_FALSE(a->isAsButton());
    EXPECT_EQ(CMC_Scene::getDefUnit()->getRandomPlayable()->getCount(), 0);

    // Clipping by numbers, by another object's box, or none for a name that finds nothing.
    test::runCode(scene, "A^SETCLIPPING(0, 0, 5, 5);");
    EXPECT_EQ(anim->GetClippingRect(), CXRect(0, 0, 5, 5));
    test::runCode(scene, "A^SETCLIPPING(\"NOBODY\");");
    EXPECT_EQ(anim->GetClippingRect(), CXRect(0, 0, 0, 0));

    // Playing by number and backwards.
    test::runCode(scene, "A^NPLAY(3);");
    EXPECT_EQ(eval(scene, "A^ISPLAYING(\"walk\")"), "TRUE");
    test::runCode(scene, "A^NPLAY(-4);");
    EXPECT_EQ(eval(scene, "A^GETEVENTNAME()"), "walk");
    test::runCode(scene, "A^STOP(FALSE);");
    test::runCode(scene, "A^PLAYREVERSE(\"walk\");");
    EXPECT_EQ(eval(scene, "A^GETEVENTNAME()"), "walk_reverse");
    EXPECT_EQ(eval(scene, "A^GETNOFINEVENT(\"WALK_REVERSE\")"), "7");
    test::runCode(scene, "A^STOP(FALSE);");

    // "ISPAUSED" names nothing; id 14 answers the paused state.
    test::runCode(scene, "A^PLAY(\"walk\");");
    EXPECT_EQ(eval(scene, "A^ISPLAYING(\"WALK\")"), "TRUE");
    EXPECT_EQ(eval(scene, "A^ISPLAYING(1)"), "FALSE");
    test::runCode(scene, "A^PAUSE();");
    EXPECT_EQ(eval(scene, "A^ISPLAYING(\"walk\")"), "FALSE");
    CMC_Runner* runner = CMC_RunnerFactory::getRunner(CMC_Animo::kType);
    ASSERT_NE(runner, nullptr);
    EXPECT_EQ(runner->resolveMethod(CXString("ISPAUSED")), CMC_Runner::kUnknownMethod);
    auto* paused = dynamic_cast<CMC_Bool*>(runner->run(CMC_Animo_Runner::kIsPaused, a, scene, nullptr));
    ASSERT_NE(paused, nullptr);
    EXPECT_TRUE(paused->getValue());
}

TEST_F(AnimoWorld, PackedFramesAnswerWithUnpackedValues) {
    CMC_Scene* scene = sceneOf(animoLines("A", {"FILENAME=packed.ann"}));
    CMC_Animo* a = animo(scene, "A");
    ASSERT_NE(a, nullptr);
    a->getAnimo()->GetFrame(0)->Compress(COMPRESSION_RLE);
    ASSERT_EQ(a->getAnimo()->GetFrame(0)->GetCompression(), COMPRESSION_RLE);
    test::runCode(scene, "A^SETFRAME(\"idle\", 0);");
    EXPECT_EQ(eval(scene, "A^GETALPHA(0, 0)"), "-1");
    EXPECT_EQ(eval(scene, "A^GETALPHA(30, 10)"), "-128");
    EXPECT_EQ(eval(scene, "A^GETPIXEL(0, 0)"), std::to_string(static_cast<int16_t>(0xF800)));
    EXPECT_EQ(eval(scene, "A^GETPIXEL(30, 10)"), std::to_string(static_cast<int16_t>(0xF800)));
    EXPECT_EQ(eval(scene, "A^GETPIXEL(31, 10)"), "0");
}

// ---- pointer -------------------------------------------------------------------------

TEST_F(AnimoWorld, PointerInButtonMode) {
    struct Case {
        const char* name;
        test::Lines properties;
        test::Lines handlers;
        bool hide;
        char action;  // 'm' move, 'c' click, 'r' release
        CXPoint point;
        int button;
        const char* log;
        const char* played;  // current event afterwards
        bool answer;
    };
    const char* click = "A:ONCLICK={LOG^ADD(\"c\");}";
    const char* clickLeft = "A:ONCLICK^LEFT={LOG^ADD(\"l\");}";
    const char* focusOn = "A:ONFOCUSON={LOG^ADD(\"on\");}";
    const char* release = "A:ONRELEASE={LOG^ADD(\"r\");}";
    const Case cases[] = {
        {"not a button", {}, {click}, false, 'c', CXPoint(5, 5), 0, "", "idle", false},
        {"left click", {"ASBUTTON=TRUE"}, {click, clickLeft}, false, 'c', CXPoint(5, 5), 0, "l", "ONCLICK", true},
        {"right click", {"ASBUTTON=TRUE"}, {click, clickLeft}, false, 'c', CXPoint(5, 5), 2, "c", "ONCLICK", true},
        {"unnamed button", {"ASBUTTON=TRUE"}, {click}, false, 'c', CXPoint(5, 5), 7, "c", "ONCLICK", true},
        {"outside", {"ASBUTTON=TRUE"}, {click}, false, 'c', CXPoint(50, 5), 0, "", "idle", false},
        {"hidden", {"ASBUTTON=TRUE"}, {click}, true, 'c', CXPoint(5, 5), 0, "", "idle", false},
        {"no click handler", {"ASBUTTON=TRUE"}, {focusOn}, false, 'c', CXPoint(5, 5), 0, "", "ONCLICK", true},
        {"release without handler", {"ASBUTTON=TRUE"}, {focusOn}, false, 'r', CXPoint(5, 5), 0, "", "idle", false},
        {"release", {"ASBUTTON=TRUE"}, {release}, false, 'r', CXPoint(5, 5), 0, "r", "idle", true},
        {"enter", {"ASBUTTON=TRUE"}, {focusOn}, false, 'm', CXPoint(5, 5), 0, "on", "ONFOCUSON", false},
        {"enter without focus handler", {"ASBUTTON=TRUE"}, {click}, false, 'm', CXPoint(5, 5), 0, "", "ONFOCUSON", false},
        {"first frame box", {"ASBUTTON=TRUE", "ONFIRSTFRAME=TRUE"}, {click}, false, 'c', CXPoint(20, 5), 0, "c", "ONCLICK", true},
        {"current frame box", {"ASBUTTON=TRUE"}, {click}, false, 'c', CXPoint(20, 5), 0, "", "walk", false},
        {"moved first frame box", {"ASBUTTON=TRUE", "ONFIRSTFRAME=TRUE"}, {click}, false, 'c', CXPoint(120, 55), 0, "c", "ONCLICK", true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        test::Lines lines = animoLines("A", c.properties);
        test::append(lines, c.handlers);
        CMC_Scene* scene = sceneOf(lines);
        CMC_Animo* a = animo(scene, "A");
        ASSERT_NE(a, nullptr);
        EXPECT_TRUE(a->isMouseListening());
        // The first-frame cases show a smaller current frame: "walk" shows 2 x 2 frames.
        const std::string name = c.name;
        test::runCode(scene, name.find("frame box") != std::string::npos ? "A^SETFRAME(\"walk\", 0);"
                                                                         : "A^SETFRAME(\"idle\", 0);");
        if (name == "moved first frame box") test::runCode(scene, "A^SETPOSITION(100, 50);");
        if (c.hide) test::runCode(scene, "A^HIDE();");
        world.input().setCursor(nullptr);
        bool answer = false;
        switch (c.action) {
        case 'm': answer = a->onMouseMove(c.point); break;
        case 'c': answer = a->onClick(c.button, c.point); break;
        default: answer = a->onRelease(c.button, c.point); break;
        }
        EXPECT_EQ(answer, c.answer);
        EXPECT_EQ(test::textValue(scene, "LOG"), c.log);
        EXPECT_EQ(a->getAnimo()->getCurrentEventName(), c.played);
        scenes.pop_back();
    }
}

TEST_F(AnimoWorld, FocusFollowsThePointerAndTheCursorChanges) {
    test::Lines lines = animoLines("A", {"ASBUTTON=TRUE", "PRIORITY=5"});
    test::append(lines, {"A:ONFOCUSON={LOG^ADD(\"+\");}", "A:ONFOCUSOFF={LOG^ADD(\"-\");}"});
    test::append(lines, test::object("B", "ANIMO", {"FILENAME=anim.ann", "TOCANVAS=TRUE", "VISIBLE=TRUE",
                                                      "ASBUTTON=TRUE", "PRIORITY=9"}));
    test::append(lines, {"B:ONCLICK={LOG^ADD(\"b\");}", "A:ONCLICK={LOG^ADD(\"a\");}"});
    CMC_Scene* scene = sceneOf(lines);
    test::runCode(scene, "A^SETFRAME(\"idle\", 0);");
    test::runCode(scene, "B^SETFRAME(\"idle\", 0);");
    int active = 0;
    world.window()->SetActiveCursor(&active);
    world.input().setCursor(nullptr);
    CMC_Animo* a = animo(scene, "A");
    a->onMouseMove(CXPoint(5, 5));
    a->onMouseMove(CXPoint(6, 5));
    EXPECT_EQ(world.input().cursor(), &active);
    a->onMouseMove(CXPoint(90, 90));
    EXPECT_EQ(test::textValue(scene, "LOG"), "+-");
    EXPECT_TRUE(!a->isFocused());

    // Overlapping listeners: the higher priority takes the press.
    world.window()->OnLButtonDown(CXPoint(5, 5), 0);
    world.frame();
    EXPECT_EQ(test::textValue(scene, "LOG"), "+-b");
}

// ---- collisions ------------------------------------------------------------------------

TEST_F(AnimoWorld, CollisionsNameTheOtherObjectAndIgnoreOthersReports) {
    test::Lines lines = animoLines("A");
    test::append(lines, test::object("B", "ANIMO", {"FILENAME=packed.ann", "TOCANVAS=TRUE", "VISIBLE=TRUE"}));
    struct Case {
        test::Lines handlers;
        const char* log;
    };
    const Case cases[] = {
        {{"A:ONCOLLISION^IDLE^B={LOG^ADD(\"e\");}", "A:ONCOLLISION^B={LOG^ADD(\"n\");}"}, "e"},
        {{"A:ONCOLLISION^B={LOG^ADD(\"n\");}", "A:ONCOLLISION={LOG^ADD($1);LOG^ADD($2);}"}, "n"},
        {{"A:ONCOLLISION={LOG^ADD($1);LOG^ADD($2);}"}, "AB"},
        {{"A:ONCOLLISIONFINISHED^B={LOG^ADD(\"f\");}"}, "f"},
    };
    for (const Case& c : cases) {
        test::Lines all = lines;
        test::append(all, c.handlers);
        CMC_Scene* scene = sceneOf(all);
        CMC_Animo* a = animo(scene, "A");
        CMC_Animo* b = animo(scene, "B");
        ASSERT_NE(b, nullptr);
        test::runCode(scene, "A^SETFRAME(\"idle\", 0);");
        // B's animation first: not A's report.
        a->onCollision(b->getAnimo(), a->getAnimo());
        a->onCollisionFinished(b->getAnimo(), a->getAnimo());
        a->onCollision(a->getAnimo(), b->getAnimo());
        a->onCollisionFinished(a->getAnimo(), b->getAnimo());
        EXPECT_EQ(test::textValue(scene, "LOG"), c.log);
        scenes.pop_back();
    }

    // A graphic that no object owns is "UNKNOWN".
    test::Lines all = lines;
    test::append(all, {"A:ONCOLLISION={LOG^ADD($2);}"});
    CMC_Scene* scene = sceneOf(all);
    CGraphicsObject stray(world.window(), CXSize(1, 1), 16);
    animo(scene, "A")->onCollision(animo(scene, "A")->getAnimo(), &stray);
    EXPECT_EQ(test::textValue(scene, "LOG"), "UNKNOWN");
}

TEST_F(AnimoWorld, MonitoredAnimationsCollideThroughTheInspector) {
    test::Lines lines = animoLines("A", {"MONITORCOLLISION=TRUE"});
    test::append(lines, test::object("B", "ANIMO", {"FILENAME=packed.ann", "TOCANVAS=TRUE", "VISIBLE=TRUE"}));
    test::append(lines, {"A:ONCOLLISION={LOG^ADD(\"a\");LOG^ADD($2);}", "B:ONCOLLISION={LOG^ADD(\"b\");LOG^ADD($2);}",
                         "A:ONCOLLISIONFINISHED={LOG^ADD(\"x\");}"});
    CMC_Scene* scene = sceneOf(lines);
    test::runCode(scene, "A^SETFRAME(\"idle\", 0);");
    test::runCode(scene, "B^SETFRAME(\"idle\", 0);");
    test::runCode(scene, "B^SETPOSITION(100, 50);");
    test::runCode(scene, "B^MONITORCOLLISION(FALSE);");
    CCollisionInspector* inspector = world.window()->getCollisionInspectorInterface();
    ASSERT_NE(inspector, nullptr);
    EXPECT_TRUE(inspector->isMonitored(animo(scene, "A")->getAnimo()));
    EXPECT_TRUE(inspector->isMonitored(animo(scene, "B")->getAnimo()));
    world.frame();
    EXPECT_EQ(test::textValue(scene, "LOG"), "");
    test::runCode(scene, "A^SETPOSITION(90, 45);");
    world.frame();
    EXPECT_EQ(test::textValue(scene, "LOG"), "aB");
    test::runCode(scene, "A^SETPOSITION(0, 0);");
    world.frame();
    EXPECT_EQ(test::textValue(scene, "LOG"), "aBx");
    test::runCode(scene, "B^SETPOSITION(5, 5);");
    world.frame();
    EXPECT_EQ(test::textValue(scene, "LOG"), "aBxbA");
    test::runCode(scene, "A^REMOVEMONITORCOLLISION();");
    EXPECT_FALSE(inspector->isMonitored(animo(scene, "A")->getAnimo()));
}

// ---- sharing and lifetimes ---------------------------------------------------------------

TEST_F(AnimoWorld, ObjectsShareOneAnimationByNameUntilTheLastIsDone) {
    test::Lines lines = animoLines("A");
    test::append(lines, test::object("B", "ANIMO", {"FILENAME=ANIM.Ann", "TOCANVAS=TRUE", "VISIBLE=TRUE"}));
    CMC_Scene* scene = sceneOf(lines);
    CMC_Animo* a = animo(scene, "A");
    CMC_Animo* b = animo(scene, "B");
    ASSERT_NE(b, nullptr);
    EXPECT_EQ(a->getAnimo(), b->getAnimo());
    EXPECT_EQ(resources()->getSize(), 1);
    EXPECT_EQ(resources()->getCount(a->getAnimo()), 2);

    CAnimo6* shared = b->getAnimo();
    a->done(true);
    EXPECT_EQ(a->getAnimo(), nullptr);
    EXPECT_EQ(resources()->getCount(shared), 1);
    // B still plays it, and only B hears of it.
    test::runCode(scene, "B^PLAY(\"walk\");");
    world.frames(3, 100);
    EXPECT_TRUE(shared->isPlaying());
    b->done(true);
    EXPECT_EQ(resources()->getSize(), 0);
    EXPECT_EQ(application->getAnimationManager()->contains(shared), false);
}

TEST_F(AnimoWorld, AClonePlaysAndDrawsAfterItsSourceReloads) {
    test::Lines lines = animoLines("A", {"PRIORITY=3"});
    test::append(lines, {"A:ONSTARTED={LOG^ADD(\"s\");}", "A:ONCLICK={LOG^ADD(\"c\");}"});
    CMC_Scene* scene = sceneOf(lines);
    test::runCode(scene, "A^SETFRAME(\"idle\", 0);");
    test::runCode(scene, "A^CLONE(1);");
    CMC_Animo* clone = animo(scene, "A_1");
    ASSERT_NE(clone, nullptr);
    EXPECT_TRUE(clone->isClone());
    EXPECT_FALSE(clone->isAsButton() || clone->isOnFirstFrame() || clone->isMonitoringCollision() ||
                 clone->isPreload());
    EXPECT_TRUE(clone->isMouseListening());
    EXPECT_FALSE(clone->isSharing());
    EXPECT_EQ(world.screen()->GetPriority(clone->getAnimo()), 3);

    test::runCode(scene, "A^LOAD(\"packed.ann\");");
    world.applicationStep();
    EXPECT_EQ(resources()->getSize(), 1);
    test::runCode(scene, "A_1^SETPOSITION(40, 40);");
    test::runCode(scene, "A_1^PLAY(\"walk\");");
    EXPECT_EQ(test::textValue(scene, "LOG"), "s");
    world.frames(5, 100);
    EXPECT_TRUE(clone->getAnimo()->isPlaying());
    // It draws: each of its frames (of other colours) changes the picture on the screen.
    const uint64_t before = world.frontBufferHash();
    world.frame(100);
    EXPECT_NE(world.frontBufferHash(), before);
    EXPECT_EQ(eval(scene, "A_1^GETPIXEL(40, 40)"), std::to_string(static_cast<int16_t>(
                                                        static_cast<uint16_t>((clone->getAnimo()->Current() * 30 >> 3) << 11))));

    // Everything done: the manager holds nothing, the clone's own animation is gone too.
    scenes.clear();
    EXPECT_EQ(resources()->getSize(), 0);
    EXPECT_EQ(application->getAnimationManager()->getCount(), 0);
}

TEST_F(AnimoWorld, AHandlerOfTheAnimationsOwnEventMayLoadAnotherFile) {
    test::Lines lines = animoLines("A");
    test::append(lines, {"A:ONFINISHED={A^LOAD(\"packed.ann\");}",
                         "A:ONFRAMECHANGED={A^LOAD(\"packed.ann\");}", "OBJECT=RELOAD", "RELOAD:TYPE=BEHAVIOUR",
                         "RELOAD:CODE={A_1^LOAD(\"packed.ann\");}"});
    CMC_Scene* scene = sceneOf(lines);
    test::runCode(scene, "A^CLONE(1);");
    test::runCode(scene, "A_1^PLAY(\"RUN_REVERSE\");");
    test::runCode(scene, "A^PLAY(\"RUN_REVERSE\");");
    world.frames(10, 100);
    CMC_Animo* a = animo(scene, "A");
    CMC_Animo* clone = animo(scene, "A_1");
    ASSERT_NE(clone, nullptr);
    // The clone's copied handlers name A: A loads, the clone keeps its own animation.
    EXPECT_EQ(a->getAnimo()->getFileName(), "packed.ann");
    EXPECT_NE(clone->getAnimo(), a->getAnimo());
    EXPECT_EQ(resources()->getSize(), 1);
    EXPECT_EQ(resources()->getCount(a->getAnimo()), 1);
    EXPECT_EQ(application->getAnimationManager()->getCount(), 2);
    // From the clone's own event the clone loads too, and shares A's file.
    test::runCode(scene, "A_1^ADDBEHAVIOUR(\"ONSTARTED\", \"RELOAD\");");
    test::runCode(scene, "A_1^PLAY(\"walk\");");
    EXPECT_EQ(clone->getAnimo(), a->getAnimo());
    world.frame();
    EXPECT_EQ(application->getAnimationManager()->getCount(), 1);
}

TEST_F(AnimoWorld, AnObjectForgetsAnAnimationItsUnitFlushed) {
    test::Lines lines = animoLines("A", {"ASBUTTON=TRUE"});
    test::append(lines, {"A:ONCLICK={LOG^ADD(\"c\");}"});
    CMC_Scene* scene = sceneOf(lines);
    CMC_Animo* a = animo(scene, "A");
    test::runCode(scene, "A^SETFRAME(\"idle\", 0);");
    // Leaving a scene flushes the default unit's resources, whoever shares them.
    CMC_Scene::getDefUnit()->done(nullptr, nullptr);
    EXPECT_FALSE(a->onClick(0, CXPoint(5, 5)));
    EXPECT_EQ(a->getAnimo(), nullptr);
    EXPECT_EQ(eval(scene, "A^GETNOF()"), "0");
    test::runCode(scene, "A^LOAD(\"anim.ann\");");
    EXPECT_EQ(eval(scene, "A^GETNOF()"), "8");
    EXPECT_EQ(resources()->getCount(a->getAnimo()), 1);
}

TEST_F(AnimoWorld, ObjectsOutsideScenesOwnTheirAnimations) {
    test::TestScene holder("HOLDER", world.window(), 3004);
    CMElement* element = test::makeElement("A", {{"FILENAME", "anim.ann"}, {"TOCANVAS", "TRUE"}});
    auto* a = new CMC_Animo(&holder, element);
    delete element;
    holder.addObject(a);
    EXPECT_FALSE(a->isSharing());
    EXPECT_EQ(resources()->getSize(), 0);
    EXPECT_NE(world.screen()->GetPriority(a->getAnimo()), -1);
    a->load(CXString("packed.ann"), true);
    // The new animation may sit at the old one's address: tell them by their file.
    EXPECT_NE(std::string(a->getAnimo()->getFileName().c_str()).find("packed.ann"), std::string::npos);
    EXPECT_NE(world.screen()->GetPriority(a->getAnimo()), -1);
}

TEST_F(AnimoWorld, PlayRandAndSequencesGetTheObjectsValues) {
    CMC_Scene* scene = sceneOf(animoLines("A"));
    CMC_Animo* a = animo(scene, "A");
    CMC_Scene::getDefUnit()->initialize(nullptr, nullptr);
    test::runCode(scene, "A^PLAYRAND(\"walk\", 3, 5);");
    CRandomPlayable* player = CMC_Scene::getDefUnit()->getRandomPlayable();
    ASSERT_EQ(player->getCount(), 1);
    CRandomPlayableEntry* entry = player->getEntry(0);
    EXPECT_EQ(entry->getPlayable(), static_cast<CPlayable*>(a->getAnimo()));
    EXPECT_EQ(entry->getRate(), 3.0);
    EXPECT_EQ(entry->getPeriod(), 5);
    EXPECT_EQ(entry->getEvent(), "walk");

    struct Sequence : CPlayable {
        Sequence() : CPlayable(nullptr) {}
        void substAnimation(CAnimo* animation) override { given.push_back(animation); }
        void play() override {}
        void stop(bool) override {}
        void pause() override {}
        void resume() override {}
        void seek(int) override {}
        std::vector<CAnimo*> given;
    } sequence;
    a->addSeq(&sequence);
    a->addSeq(&sequence);
    EXPECT_EQ(a->getSequenceCount(), 1);
    test::runCode(scene, "A^LOAD(\"packed.ann\");");
    CAnimo6* loaded = a->getAnimo();
    a->done(true);
    EXPECT_EQ(sequence.given, (std::vector<CAnimo*>{loaded, nullptr}));
    // The last reference gone, the random player lets go of it.
    EXPECT_EQ(player->getCount(), 0);
    a->removeSeq(&sequence);
    EXPECT_EQ(a->getSequenceCount(), 0);
}

TEST_F(AnimoWorld, ResumeByGroupResumesOnlyTheMembersAnimations) {
    test::Lines lines = animoLines("A");
    test::append(lines, test::object("B", "ANIMO", {"FILENAME=packed.ann", "TOCANVAS=TRUE", "VISIBLE=TRUE"}));
    test::append(lines, {"OBJECT=G", "G:TYPE=GROUP"});
    CMC_Scene* scene = sceneOf(lines);
    test::runCode(scene, "G^ADD(\"A\");");
    test::runCode(scene, "A^PLAY(\"walk\");");
    test::runCode(scene, "B^PLAY(\"walk\");");
    CAnimationManager* manager = application->getAnimationManager();
    manager->pause();
    manager->resume(dynamic_cast<CMC_Groupped*>(scene->getObject(CXString("G"))));
    EXPECT_TRUE(animo(scene, "A")->getAnimo()->isPlaying());
    EXPECT_TRUE(animo(scene, "B")->getAnimo()->isPaused());
}

// ---- scene binary --------------------------------------------------------------------------

TEST_F(AnimoWorld, SerialisedPartRoundTrips) {
    CMC_Scene* scene = sceneOf(animoLines("A", {"ASBUTTON=TRUE", "MONITORCOLLISIONALPHA=TRUE", "PRIORITY=5",
                                                "FLUSHAFTERPLAYED=TRUE", "PRELOAD=FALSE", "FPS=7",
                                                "ONFIRSTFRAME=TRUE"}));
    CMC_Animo* a = animo(scene, "A");
    ASSERT_NE(a, nullptr);
    const std::string common = test::archiveBytes([&](CXArchive& ar) { a->CMC_Object::serialize(&ar); });
    const std::string bytes = test::archiveBytes([&](CXArchive& ar) { a->serialize(&ar); });
    ASSERT_EQ(bytes.substr(0, common.size()), common);
    // Nine fields: the frame rate and the first-frame switch are not among them.
    const std::string part = std::string("\x01\x00\x01", 3) + test::archiveString("anim.ann") +
                             std::string("\x01\x01", 2) + test::le32(5) + std::string("\x01\x00", 2);
    EXPECT_EQ(bytes.substr(common.size()), part);
    // Read into another run, the animation has its file's rate (10): reading keeps it.
    a->getAnimo()->SetFPS(10);

    auto prototype = CMC_SceneBinary::getPrototype(CMC_Animo::kType);
    ASSERT_NE(prototype, nullptr);
    CMC_Object* made = prototype(scene);
    auto* back = dynamic_cast<CMC_Animo*>(made);
    ASSERT_NE(back, nullptr);
    EXPECT_EQ(back->getName(), "temp");
    test::readArchive(bytes, [&](CXArchive& ar) { back->serialize(&ar); });
    EXPECT_EQ(back->getName(), "A");
    EXPECT_TRUE(back->isAsButton());
    EXPECT_FALSE(back->isMonitoringCollision());
    EXPECT_TRUE(back->isMonitoringCollisionAlpha());
    EXPECT_FALSE(back->isPreload());
    EXPECT_EQ(back->getPriority(), 5);
    ASSERT_NE(back->getAnimo(), nullptr);
    EXPECT_EQ(back->getAnimo(), a->getAnimo());
    EXPECT_EQ(world.screen()->GetPriority(back->getAnimo()), 5);
    EXPECT_TRUE(back->getAnimo()->releaseAfterUse());
    EXPECT_EQ(back->getAnimo()->GetFPS(), 10);
    EXPECT_FALSE(back->isOnFirstFrame());
    EXPECT_EQ(test::archiveBytes([&](CXArchive& ar) { back->serialize(&ar); }), bytes);
    back->done(true);
    delete back;
    EXPECT_EQ(resources()->getCount(a->getAnimo()), 1);
}

TEST_F(AnimoWorld, SceneImageHoldsTheAnimoAndReadsItBack) {
    world.writeDefinition("SC.cnv", {"OBJECT=A", "A:TYPE=ANIMO", "A:FILENAME=anim.ann", "A:TOCANVAS=TRUE",
                                     "A:VISIBLE=TRUE", "A:PRIORITY=4", "A:ASBUTTON=TRUE",
                                     "A:ONCLICK={A^HIDE();}"});
    std::unique_ptr<CMElement> element(test::makeElement("SC", {{"TYPE", "SCENE"}}));
    auto scene = std::make_unique<CMC_Scene>(world.window(), nullptr, element.get(), CMC_Scene::kType);
    scene->loadCnv();
    CMC_Animo* a = animo(scene.get(), "A");
    ASSERT_NE(a, nullptr);
    const std::string bytes = test::archiveBytes([&](CXArchive& ar) { scene->writeImage(&ar); });
    EXPECT_NE(bytes.find(test::le32(CMC_Animo::kType) + test::archiveString("A")), std::string::npos);

    auto copy = std::make_unique<CMC_Scene>(world.window(), CMC_Scene::kType);
    test::readArchive(bytes, [&](CXArchive& ar) { copy->readImage(&ar); });
    // The scene's entry initialises what it read.
    for (int i = 0; i < copy->getObjectList()->getCount(); ++i) {
        auto* object = static_cast<CMC_Object*>(copy->getObjectList()->at(i));
        if (object != copy.get()) object->init();
    }
    CMC_Animo* back = animo(copy.get(), "A");
    ASSERT_NE(back, nullptr);
    EXPECT_EQ(back->getAnimo(), a->getAnimo());
    EXPECT_EQ(resources()->getCount(a->getAnimo()), 2);
    EXPECT_TRUE(back->isAsButton());
    EXPECT_EQ(back->getPriority(), 4);
    // Its restored ONCLICK handler makes it listen, as the definition did.
    EXPECT_TRUE(back->isMouseListening());
    EXPECT_TRUE(back->onClick(0, CXPoint(5, 5)));
    scene.reset();
    copy.reset();
    EXPECT_EQ(resources()->getSize(), 0);
}

// An image made by another writer, byte by byte: the objects after an ANIMO are read
// from their own bytes.
TEST_F(AnimoWorld, ObjectsAfterAnAnimoInAWrittenImageKeepTheirValues) {
    const std::string noHandlers = test::le32(0);
    const std::string bytes =
        test::archiveString("") + test::archiveString("") + test::archiveString("") + test::le32(3) +
        // ANIMO A: name, handlers, then its nine fields.
        test::le32(CMC_Animo::kType) + test::archiveString("A") + noHandlers + std::string("\x00\x00\x00", 3) +
        test::archiveString("anim.ann") + std::string("\x01\x01", 2) + test::le32(3) + std::string("\x00\x01", 2) +
        // INTEGER N = 42 (default 7) and STRING S = "hello" (default "x"), neither kept
        // in the settings nor sent to the network.
        test::le32(CMC_Variable::kInteger) + test::archiveString("N") + noHandlers + std::string("\x00\x00", 2) +
        test::le32(42) + test::le32(7) + test::le32(CMC_Variable::kString) + test::archiveString("S") + noHandlers +
        std::string("\x00\x00", 2) + test::archiveString("hello") + test::archiveString("x");
    auto scene = std::make_unique<CMC_Scene>(world.window(), CMC_Scene::kType);
    test::readArchive(bytes, [&](CXArchive& ar) { scene->readImage(&ar); });
    EXPECT_EQ(scene->getElementsNo(), 4);
    CMC_Animo* a = animo(scene.get(), "A");
    ASSERT_NE(a, nullptr);
    ASSERT_NE(a->getAnimo(), nullptr);
    EXPECT_EQ(world.screen()->GetPriority(a->getAnimo()), 3);
    auto* n = dynamic_cast<CMC_Integer*>(scene->getObject(CXString("N")));
    auto* text = dynamic_cast<CMC_String*>(scene->getObject(CXString("S")));
    ASSERT_NE(n, nullptr);
    ASSERT_NE(text, nullptr);
    EXPECT_EQ(n->getValue(), 42);
    EXPECT_EQ(text->getValue(), "hello");
    scene.reset();
    EXPECT_EQ(resources()->getSize(), 0);
}

TEST_F(AnimoWorld, CreateMakesAnEmptyAnimoThatLoadsLater) {
    CMC_Scene* scene = sceneOf(animoLines("A"));
    test::runCode(scene, "@CREATE(\"ANIMO\",\"X\");");
    CMC_Animo* x = animo(scene, "X");
    ASSERT_NE(x, nullptr);
    EXPECT_EQ(x->getAnimo(), nullptr);
    EXPECT_EQ(eval(scene, "X^GETNOF()"), "0");
    test::runCode(scene, "X^LOAD(\"ANIM.ANN\");");
    EXPECT_EQ(x->getAnimo(), animo(scene, "A")->getAnimo());
    EXPECT_EQ(eval(scene, "X^GETNOF()"), "8");
}

}  // namespace

// A VIRTUALGRAPHICSOBJECT masked by an animation's frame: when the ANIMO goes, the
// object keeps its source and shows it unmasked.
TEST_F(AnimoWorld, VirtualObjectForgetsTheMaskOfADestroyedAnimation) {
    test::Lines lines = {"OBJECT=R", "R:TYPE=STRING"};
    test::append(lines, test::object("A", "ANIMO", {"FILENAME=packed.ann", "TOCANVAS=TRUE", "VISIBLE=TRUE"}));
    test::append(lines, test::object("B", "ANIMO", {"FILENAME=anim.ann", "TOCANVAS=TRUE", "VISIBLE=TRUE"}));
    test::append(lines, test::object("V", "VIRTUALGRAPHICSOBJECT", {"TOCANVAS=TRUE", "VISIBLE=TRUE"}));
    CMC_Scene* scene = sceneOf(lines);
    ASSERT_NE(scene, nullptr);
    test::runCode(scene, "A^SETFRAME(\"walk\", 1);B^SETFRAME(\"idle\", 0);V^SETSOURCE(\"B\");V^SETMASK(\"A\");");
    auto* v = dynamic_cast<CMC_VirtualGraphicsObject*>(scene->getObject(CXString("V")));
    ASSERT_NE(v, nullptr);
    ASSERT_NE(v->getEngine()->getMask(), nullptr);
    EXPECT_EQ(eval(scene, "V^GETWIDTH()"), "2");  // the mask frame's
    world.frames(2);
    CMC_Animo* a = animo(scene, "A");
    ASSERT_TRUE(scene->removeObject(a));
    delete a;
    EXPECT_EQ(v->getEngine()->getMask(), nullptr);
    EXPECT_EQ(v->getEngine()->getSource(), animo(scene, "B")->getAnimo());
    EXPECT_EQ(eval(scene, "V^GETWIDTH()"), "31");  // the source's
    world.frames(2);
}
