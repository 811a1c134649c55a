#include <gtest/gtest.h>

#include <initializer_list>
#include <memory>
#include <string>

#include "foundation/CXArchive.h"
#include "foundation/CXVector.h"
#include "platform/Input.h"
#include "scene/CMC_Keyboard.h"
#include "scene/CMC_Mouse.h"
#include "scene/CMC_Scene.h"
#include "script/CMC_Array.h"
#include "script/CMC_Runner.h"
#include "script/CMC_RunnerFactory.h"
#include "script/CMC_String.h"
#include "script/CMC_VariableFactory.h"
#include "script/CMElement.h"
#include "shell/CApplication.h"
#include "support/ScriptTestSupport.h"

namespace {

// Calls a method by name with text arguments; the result's text ("<null>" for none).
std::string call(CMC_ObjectsContainer* scene, const char* object, const char* method,
                 std::initializer_list<const char*> arguments = {}) {
    CMC_Object* target = scene->getObject(CXString(object));
    if (!target) return "<no object>";
    CXVector list(8, 0.75f);
    for (const char* a : arguments) list.add(static_cast<CXObject*>(CMC_VariableFactory::newString(CXString(a))));
    CMC_Runner* runner = CMC_RunnerFactory::getRunner(target->getType());
    return test::valueText(runner->run(CXString(method), target, scene, arguments.size() ? &list : nullptr));
}

class InputObjects : public ::testing::Test {
protected:
    // A left, right or middle press or release pushed as the device reads it.
    void button(uint32_t offset, bool down, int x, int y) {
        world.input().setPointerPosition(x, y);
        world.input().mouse().pushMotion(platform::kMouseX, 1);
        world.input().mouse().push(offset, down ? platform::kPressed : 0);
        world.frame(16);
    }
    void key(uint32_t scan, bool down) {
        world.input().keyboard().push(scan, down ? platform::kPressed : 0);
        world.frame(16);
    }
    test::ScriptWorld world;
};

TEST_F(InputObjects, MouseClicksReleasesMovesAndTheActiveRectangle) {
    auto* scene = world.loadScene("mouse.cnv", {
        "OBJECT=LOG", "LOG:TYPE=STRING", "LOG:VALUE=",
        "OBJECT=M", "M:TYPE=MOUSE",
        "M:ONCLICK^RIGHT={LOG^ADD(r);}", "M:ONCLICK={LOG^ADD(c);}",
        "M:ONRELEASE={LOG^ADD(u);}", "M:ONMOVE={LOG^ADD(m);}",
    });
    ASSERT_NE(scene, nullptr);
    // A behaviour attached later joins the earlier ones.
    auto* second = new test::RecordingBehaviour(scene, "SECOND");
    scene->addObject(second);
    scene->getObject(CXString("M"))->addBehaviour(CXString("ONCLICK"), second, nullptr, nullptr);
    button(platform::kMouseRight, true, 30, 40);
    EXPECT_EQ(test::textValue(scene, "LOG"), "mr");
    EXPECT_EQ(call(scene, "M", "GETLASTCLICKPOSX"), "0") << "a right press is not a left click";
    button(platform::kMouseLeft, true, 31, 41);
    button(platform::kMouseLeft, false, 31, 41);
    EXPECT_EQ(test::textValue(scene, "LOG"), "mrmcmu");
    EXPECT_EQ(second->count(), 1) << "both ONCLICK behaviours run";
    EXPECT_EQ(call(scene, "M", "GETLASTCLICKPOSX"), "31");
    EXPECT_EQ(call(scene, "M", "GETPOSY"), "41");

    // Edges: left and top inside, right and bottom outside; no width filters nothing.
    test::runCode(scene, "LOG^SET(\"\"); M^SETACTIVERECT(10, 10, 20, 20);");
    const struct {
        int x, y;
        const char* log;
    } rows[] = {{10, 10, "c"}, {19, 19, "c"}, {20, 15, ""}, {15, 20, ""}};
    for (const auto& row : rows) {
        test::runCode(scene, "LOG^SET(\"\");");
        test::runCode(scene, ("M^CLICK(" + std::to_string(row.x) + ", " + std::to_string(row.y) + ");").c_str());
        EXPECT_EQ(test::textValue(scene, "LOG"), row.log) << row.x;
        EXPECT_EQ(call(scene, "M", "GETLASTCLICKPOSX"), std::to_string(row.x)) << "stored even outside";
    }
    test::runCode(scene, "LOG^SET(\"\"); M^SETACTIVERECT(10, 10, 10, 200); M^CLICK(500, 500);");
    EXPECT_EQ(test::textValue(scene, "LOG"), "c");
    // The button text is compared with case; too few arguments do nothing.
    test::runCode(scene, "LOG^SET(\"\"); M^CLICK(5, 6, left); M^CLICK(5); M^MOUSERELEASE(5, 6, MIDDLE);");
    EXPECT_EQ(test::textValue(scene, "LOG"), "u");
}

TEST_F(InputObjects, DisableSignalStopsButtonsDisableStopsEverythingForEveryone) {
    auto* scene = world.loadScene("mouse.cnv", {
        "OBJECT=LOG", "LOG:TYPE=STRING", "LOG:VALUE=",
        "OBJECT=M", "M:TYPE=MOUSE", "M:ONCLICK={LOG^ADD(c);}", "M:ONMOVE={LOG^ADD(m);}",
        "M:ONDBLCLICK={LOG^ADD(d);}",
    });
    ASSERT_NE(scene, nullptr);
    struct Below : CMouseListener {
        bool onMouseMove(CXPoint) override { return ++moves, false; }
        int moves = 0;
    } below;
    world.window()->registerMouseListener(&below, 5);
    test::runCode(scene, "M^DISABLESIGNAL();");
    button(platform::kMouseLeft, true, 1, 1);
    world.window()->OnLButtonDblClk(CXPoint(1, 1), 0);
    EXPECT_EQ(test::textValue(scene, "LOG"), "m");
    test::runCode(scene, "M^ENABLESIGNAL(); M^DISABLE();");
    button(platform::kMouseLeft, false, 2, 2);
    button(platform::kMouseLeft, true, 3, 3);
    EXPECT_EQ(test::textValue(scene, "LOG"), "m");
    EXPECT_EQ(below.moves, 1);
    EXPECT_FALSE(world.window()->isMouseEnabled());
    test::runCode(scene, "M^ENABLE();");
    world.window()->OnLButtonDblClk(CXPoint(1, 1), 0);
    EXPECT_EQ(test::textValue(scene, "LOG"), "md");
    world.window()->removeMouseListener(&below);
}

TEST_F(InputObjects, PointerPositionAndClipRectangle) {
    auto* scene = world.loadScene("mouse.cnv", {"OBJECT=M", "M:TYPE=MOUSE"});
    ASSERT_NE(scene, nullptr);
    test::runCode(scene, "M^SETPOSITION(50, 60); M^MOVE(5, -5); M^SETPOSITION(1);");
    int32_t x = 0, y = 0;
    world.input().pointerPosition(&x, &y);
    EXPECT_EQ(x, 55);
    EXPECT_EQ(y, 55);
    test::runCode(scene, "M^SETCLIPRECT(5, 5, 5, 20);");
    EXPECT_TRUE(world.input().isConfined());
    world.input().setPointerPosition(100, 100);
    world.input().pointerPosition(&x, &y);
    EXPECT_EQ(x, 5);
    EXPECT_EQ(y, 19);
    world.window()->OnActivateApp(true);
    world.window()->OnActivateApp(false);
    EXPECT_FALSE(world.input().isConfined());
    world.window()->OnActivateApp(true);
    EXPECT_FALSE(world.input().isConfined()) << "no width: activation frees the pointer";
    test::runCode(scene, "M^SETCLIPRECT(5, 5, 50, 20);");
    world.window()->OnActivateApp(false);
    world.window()->OnActivateApp(true);
    EXPECT_TRUE(world.input().isConfined());
    test::runCode(scene, "M^SETCLIPRECT(0, 0, 0, 0);");
    EXPECT_FALSE(world.input().isConfined());
    EXPECT_EQ(CMC_Mouse::clipRect, CXRect(0, 0, 0, 0));
    world.window()->OnActivateApp(false);
}

TEST_F(InputObjects, KeyboardEventsNamesCharactersAndLatestKeys) {
    CApplication application(world.window(), CXString(), CXString(), nullptr);
    auto* scene = world.loadScene("keys.cnv", {
        "OBJECT=LOG", "LOG:TYPE=STRING", "LOG:VALUE=",
        "OBJECT=KEYS", "KEYS:TYPE=ARRAY",
        "OBJECT=KBD", "KBD:TYPE=KEYBOARD",
        "KBD:ONKEYDOWN^LEFT={LOG^ADD(l);}", "KBD:ONKEYDOWN={LOG^ADD(d);}", "KBD:ONKEYUP={LOG^ADD(u);}",
        "KBD:ONCHAR^a={LOG^ADD(a);}", "KBD:ONCHAR={LOG^ADD(c);}",
    });
    ASSERT_NE(scene, nullptr);
    EXPECT_FALSE(test::hasObject(scene, "KBD"));
    ASSERT_TRUE(test::hasObject(scene, "KEYBOARD"));
    test::runCode(scene, "KEYBOARD^SETAUTOREPEAT(FALSE);");
    key(0xCB, true);
    EXPECT_EQ(test::textValue(scene, "LOG"), "l");
    EXPECT_EQ(call(scene, "KEYBOARD", "ISKEYDOWN", {"left"}), "TRUE");
    key(0xCB, false);
    EXPECT_EQ(call(scene, "KEYBOARD", "GETLATESTKEY"), "LEFT");
    key(0x0C, true);  // no name: only the plain event, and its character "-"
    EXPECT_EQ(test::textValue(scene, "LOG"), "ludc");
    key(0x0C, false);
    EXPECT_EQ(call(scene, "KEYBOARD", "GETLATESTKEY"), "");
    key(30, true);
    key(30, false);
    EXPECT_EQ(test::textValue(scene, "LOG"), "ludcudau");

    // Disabled: no events, no name, ISKEYDOWN of a name false, without one true.
    test::runCode(scene, "KEYBOARD^DISABLE();");
    key(0x39, true);
    EXPECT_EQ(test::textValue(scene, "LOG"), "ludcudau");
    EXPECT_EQ(call(scene, "KEYBOARD", "ISKEYDOWN", {"space"}), "FALSE");
    EXPECT_EQ(call(scene, "KEYBOARD", "ISKEYDOWN"), "TRUE");
    EXPECT_EQ(call(scene, "KEYBOARD", "ISENABLED"), "FALSE");
    key(0x39, false);
    test::runCode(scene, "KEYBOARD^ENABLE();");

    // Every named key-down while enabled, oldest first; into anything but an array nothing.
    call(scene, "KEYBOARD", "GETLATESTKEYS", {"LOG"});
    call(scene, "KEYBOARD", "GETLATESTKEYS");
    call(scene, "KEYBOARD", "GETLATESTKEYS", {"KEYS"});
    auto* keys = dynamic_cast<CMC_Array*>(scene->getObject(CXString("KEYS")));
    ASSERT_NE(keys, nullptr);
    ASSERT_EQ(keys->getSize(), 2);
    EXPECT_EQ(test::valueText(keys->get(0)), "LEFT");
    EXPECT_EQ(test::valueText(keys->get(1)), "A");
    for (int i = 0; i < 300; ++i) static_cast<CKeyListener*>(dynamic_cast<CMC_Keyboard*>(scene->getObject(CXString("KEYBOARD"))))->onKeyDown(0x10);
    auto* keyboard = dynamic_cast<CMC_Keyboard*>(scene->getObject(CXString("KEYBOARD")));
    EXPECT_EQ(keyboard->getLatestKeys()->size(), CMC_Keyboard::kMaxLatestKeys);
}

TEST_F(InputObjects, AutoRepeatOncePerFrameFromTheScript) {
    CApplication application(world.window(), CXString(), CXString(), nullptr);
    auto* scene = world.loadScene("keys.cnv", {
        "OBJECT=N", "N:TYPE=INTEGER", "N:VALUE=0",
        "OBJECT=KEYBOARD", "KEYBOARD:TYPE=KEYBOARD", "KEYBOARD:ONKEYDOWN^SPACE={N^ADD(1);}",
    });
    ASSERT_NE(scene, nullptr);
    key(0x39, true);
    world.frames(2, 16);
    world.frame(4);  // inside the 10 ms gate
    EXPECT_EQ(test::intValue(scene, "N"), 3);
    key(0x39, false);
    world.frames(2, 16);
    EXPECT_EQ(test::intValue(scene, "N"), 3);
}

// A scene's KEYBOARD gives its handlers to the application's KEYBOARD, for as long as
// the scene is loaded; its binary image keeps them, and reading it gives them to the
// application's keyboard again, so the scene plays from its image as from its
// definition.
TEST_F(InputObjects, AKeyboardMergedIntoTheApplicationsKeepsItsHandlersInTheSceneImage) {
    CApplication application(world.window(), CXString(), CXString(), nullptr);
    world.writeDefinition("APP.cnv", {"OBJECT=LOG", "LOG:TYPE=STRING", "LOG:VALUE=", "OBJECT=KEYBOARD",
                                      "KEYBOARD:TYPE=KEYBOARD", "KEYBOARD:ONKEYDOWN^ESC={LOG^ADD(e);}"});
    world.writeDefinition("ROOM.cnv", {"OBJECT=ROOMKEYS", "ROOMKEYS:TYPE=KEYBOARD",
                                       "ROOMKEYS:ONKEYDOWN^LEFT={LOG^ADD(l);}", "ROOMKEYS:ONKEYDOWN^SPACE=GO",
                                       "OBJECT=GO", "GO:TYPE=BEHAVIOUR", "GO:CODE={LOG^ADD(s);}"});
    test::ScopedCurrentDirectory here(world.dir().path());
    std::unique_ptr<CMElement> appElement(test::makeElement("APP", {{"TYPE", "SCENE"}}));
    std::unique_ptr<CMElement> roomElement(test::makeElement("ROOM", {{"TYPE", "SCENE"}}));
    auto app = std::make_unique<CMC_Scene>(world.window(), nullptr, appElement.get(), CMC_Scene::kType);
    app->loadCnv();
    auto room = std::make_unique<CMC_Scene>(world.window(), app.get(), roomElement.get(), CMC_Scene::kType);
    room->loadCnv();
    CMC_Object* keyboard = app->getObject(CXString("KEYBOARD"));
    ASSERT_NE(keyboard, nullptr);
    auto press = [&](uint32_t scan) {
        key(scan, true);
        key(scan, false);
        return test::textValue(app.get(), "LOG");
    };
    ASSERT_EQ(room->getObject(CXString("KEYBOARD")), keyboard);
    ASSERT_EQ(press(0xCB), "l");
    const std::string bytes = test::archiveBytes([&](CXArchive& a) { room->writeImage(&a); });
    app->onSubSceneDone(room.get());
    room.reset();
    EXPECT_EQ(press(0xCB), "l") << "the room's handlers went with it";

    auto copy = std::make_unique<CMC_Scene>(world.window(), app.get(), roomElement.get(), CMC_Scene::kType);
    test::readArchive(bytes, [&](CXArchive& a) { copy->readImage(&a); });
    copy->onInit();
    world.applicationStep();
    EXPECT_EQ(copy->getObject(CXString("KEYBOARD")), keyboard) << "no keyboard of its own";
    EXPECT_EQ(press(0xCB), "ll");
    EXPECT_EQ(press(0x39), "lls");
    EXPECT_EQ(press(0x01), "llse");
    EXPECT_EQ(test::archiveBytes([&](CXArchive& a) { copy->writeImage(&a); }), bytes);
    test::runCode(copy.get(), "KEYBOARD^DISABLE();");
    EXPECT_EQ(call(app.get(), "KEYBOARD", "ISENABLED"), "FALSE");
    test::runCode(copy.get(), "KEYBOARD^ENABLE();");
    app->onSubSceneDone(copy.get());
    copy.reset();
    EXPECT_EQ(press(0xCB), "llse");
    EXPECT_EQ(press(0x01), "llsee");
    app.reset();
    world.applicationStep();
    CMC_Scene::doneDefUnit();
}

} // namespace
