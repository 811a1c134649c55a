// JOYSTICK over the scripted joystick layer: the port, the records of scripted polls
// and the order of their events, the caret forms, failed polls, the script methods,
// records pending when the object goes, the poller thread, and the scene image.
#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <initializer_list>
#include <memory>
#include <string>
#include <thread>
#include <vector>

#include "foundation/CXArchive.h"
#include "foundation/CXVector.h"
#include "platform/Joystick.h"
#include "scene/CMC_Joystick.h"
#include "scene/CMC_Scene.h"
#include "script/CMElement.h"
#include "script/CMC_Runner.h"
#include "script/CMC_RunnerFactory.h"
#include "script/CMC_Bool.h"
#include "script/CMC_String.h"
#include "script/CMC_VariableFactory.h"
#include "shell/CWindow.h"
#include "support/ScriptTestSupport.h"

namespace {

// Calls a method by name with text arguments; the result's text ("<null>" for none).
std::string call(CMC_ObjectsContainer* scene, const char* method, std::initializer_list<const char*> arguments = {}) {
    CMC_Object* target = scene->getObject(CXString("J"));
    if (!target) return "<no object>";
    CXVector list(8, 0.75f);
    for (const char* a : arguments) list.add(static_cast<CXObject*>(CMC_VariableFactory::newString(CXString(a))));
    CMC_Runner* runner = CMC_RunnerFactory::getRunner(target->getType());
    return test::valueText(runner->run(CXString(method), target, scene, arguments.size() ? &list : nullptr));
}

std::string boolText(bool value) { return test::valueText(CMC_VariableFactory::newBool(value)); }

// One scripted controller with four buttons, and a scene whose JOYSTICK J is on port 0
// and logs into LOG.
class JoystickObject : public ::testing::Test {
protected:
    void load(const test::Lines& handlers) {
        test::Lines lines = {"OBJECT=LOG", "LOG:TYPE=STRING", "LOG:VALUE=", "OBJECT=J", "J:TYPE=JOYSTICK", "J:PORT=0"};
        test::append(lines, handlers);
        scene = world.loadScene("pad.cnv", lines);
        ASSERT_NE(scene, nullptr);
        joystick = dynamic_cast<CMC_Joystick*>(scene->getObject(CXString("J")));
        ASSERT_NE(joystick, nullptr);
        ASSERT_NE(joystick->getDevice(), nullptr);
    }
    // One frame: the state is polled, then the records are raised.
    void poll() {
        pads.setState(pad, state);
        world.frame(16);
    }
    void press(int button, bool down) { state.buttons[button] = down ? platform::kJoystickPressed : 0; }
    std::string log() { return test::textValue(scene, "LOG"); }

    platform::ScriptedJoystickSystem pads;
    platform::ScopedJoystickSystem route{pads};
    int32_t pad = pads.attach(4);
    test::ScriptWorld world;
    test::TestScene* scene = nullptr;
    CMC_Joystick* joystick = nullptr;
    platform::JoystickState state;
};

const test::Lines kDirections = {
    "J:ONMOVE^RIGHT={LOG^ADD(\"R\");}", "J:ONMOVE^LEFT={LOG^ADD(\"L\");}", "J:ONMOVE^DOWN={LOG^ADD(\"D\");}",
    "J:ONMOVE^UP={LOG^ADD(\"U\");}",    "J:ONMOVE^IN={LOG^ADD(\"I\");}",   "J:ONMOVE^OUT={LOG^ADD(\"O\");}",
};

TEST(Joystick, PortCountsTheControllersThatOpenFromZeroAndDefaultsToOne) {
    const struct {
        const char* name;
        std::vector<bool> opens;  // the controllers attached
        const char* port;         // null: no PORT
        int chosen;               // the controller opened, -1 none
    } rows[] = {
        {"one controller, default port", {true}, nullptr, -1},
        {"port 0", {true}, "0", 0},
        {"default port is the second", {true, true}, nullptr, 1},
        {"a controller that fails is not counted", {false, true, true}, "1", 2},
        {"past the end", {true}, "7", -1},
        {"negative", {true}, "-1", -1},
    };
    for (const auto& row : rows) {
        platform::ScriptedJoystickSystem pads;
        platform::ScopedJoystickSystem route(pads);
        for (bool opens : row.opens) pads.attach(2, opens);
        test::ScriptWorld world;
        test::Lines lines = {"OBJECT=J", "J:TYPE=JOYSTICK"};
        if (row.port) lines.push_back(std::string("J:PORT=") + row.port);
        auto* scene = world.loadScene("pad.cnv", lines);
        ASSERT_NE(scene, nullptr) << row.name;
        auto* joystick = dynamic_cast<CMC_Joystick*>(scene->getObject(CXString("J")));
        ASSERT_NE(joystick, nullptr) << row.name;
        EXPECT_EQ(joystick->getDevice() != nullptr, row.chosen >= 0) << row.name;
        world.frames(2, 16);
        for (int id = 0; id < static_cast<int>(row.opens.size()); ++id) {
            EXPECT_EQ(pads.openDevices(id), id == row.chosen ? 1 : 0) << row.name << " controller " << id;
            EXPECT_EQ(pads.pollCalls(id) > 0, id == row.chosen) << row.name << " controller " << id;
        }
    }
}

TEST_F(JoystickObject, AxesReportPastTheirThresholdsWithTheDirectionOfTheValue) {
    load(kDirections);
    const struct {
        int32_t x, y, z;
        const char* added;  // to the log by the poll
    } polls[] = {
        // X: reported values start at -1; more than 50 away reports at once.
        {0, 0, 0, ""}, {49, 0, 0, ""}, {50, 0, 0, "R"}, {1000, 0, 0, "R"},
        // 5 is "LEFT", 6 "RIGHT"; a move back keeps the direction of the value.
        {5, 0, 0, "L"}, {1000, 0, 0, "R"}, {6, 0, 0, "R"}, {1000, 0, 0, "R"}, {950, 0, 0, ""}, {949, 0, 0, "R"},
        {0, 0, 0, "L"},
        // Y: the fourth poll more than 300 away reports; the count is not reset, so the
        // way back reports at once; a calm poll starts it again.
        {0, 1000, 0, ""}, {0, 1000, 0, ""}, {0, 1000, 0, ""}, {0, 1000, 0, "D"}, {0, 0, 0, "U"}, {0, 0, 0, ""},
        {0, 1000, 0, ""}, {0, 1000, 0, ""}, {0, 200, 0, ""}, {0, 1000, 0, ""}, {0, 1000, 0, ""}, {0, 1000, 0, ""},
        {0, 1000, 0, "D"},
        // Z likewise, "IN" above 0, else "OUT".
        {0, 1000, 1000, ""}, {0, 1000, 1000, ""}, {0, 1000, 1000, ""}, {0, 1000, 1000, "I"}, {0, 1000, 0, "O"},
        {0, 1000, -5000, "O"},
    };
    std::string expected;
    for (size_t i = 0; i < std::size(polls); ++i) {
        state.x = polls[i].x;
        state.y = polls[i].y;
        state.z = polls[i].z;
        poll();
        expected += polls[i].added;
        EXPECT_EQ(log(), expected) << "poll " << i;
    }
}

TEST_F(JoystickObject, ButtonsAndMovesRaiseTheirCaretFormsFirstInPollOrder) {
    load({"J:ONBUTTONDOWN^0={LOG^ADD(\"a\");}", "J:ONBUTTONDOWN={LOG^ADD(\"d\");}", "J:ONBUTTONUP={LOG^ADD(\"u\");}",
          "J:ONMOVE^X={LOG^ADD(\"x\");}", "J:ONMOVE^DOWN={LOG^ADD(\"D\");}", "J:ONMOVE={LOG^ADD(\"m\");}"});
    press(0, true);
    poll();
    EXPECT_EQ(log(), "a") << "the caret form took it";
    press(1, true);
    poll();
    poll();
    EXPECT_EQ(log(), "ad") << "a held button is not pressed again";
    EXPECT_EQ(call(scene, "GETBUTTONSTATE", {"1"}), "1");
    press(0, false);
    poll();
    EXPECT_EQ(log(), "adu");
    EXPECT_EQ(call(scene, "GETBUTTONSTATE", {"0"}), "0");
    for (const char* outside : {"-1", "4", "1000"}) EXPECT_EQ(call(scene, "GETBUTTONSTATE", {outside}), "0") << outside;

    // Pressed and released between two polls: no record.
    press(2, true);
    pads.setState(pad, state);
    press(2, false);
    poll();
    EXPECT_EQ(log(), "adu");

    // One poll with a button, X, Y and Z: buttons, then X ("ONMOVE^X"), Y (its
    // direction) and Z (neither caret form, so "ONMOVE").
    state.y = 1000;
    state.z = 1000;
    for (int i = 0; i < 3; ++i) poll();
    EXPECT_EQ(log(), "adu");
    press(3, true);
    state.x = 500;
    poll();
    EXPECT_EQ(log(), "adudxDm");
}

TEST_F(JoystickObject, AFailedPollAcquiresAgainAndSkipsTheTick) {
    load({"J:ONBUTTONDOWN={LOG^ADD(\"d\");}", "J:ONBUTTONUP={LOG^ADD(\"u\");}"});
    const int acquired = pads.acquireCalls(pad);
    pads.failPolls(pad, 1);
    press(0, true);
    poll();
    EXPECT_EQ(log(), "");
    EXPECT_EQ(pads.acquireCalls(pad), acquired + 1);
    poll();
    EXPECT_EQ(log(), "d");

    // A failed read skips the tick without acquiring.
    pads.failStateReads(pad, 1);
    press(0, false);
    poll();
    EXPECT_EQ(log(), "d");
    EXPECT_EQ(pads.acquireCalls(pad), acquired + 1);
    poll();
    EXPECT_EQ(log(), "du");

    // Without focus every tick tries once; with it back the next tick acquires and the
    // one after reads.
    pads.setFocus(false);
    press(0, true);
    poll();
    poll();
    EXPECT_EQ(log(), "du");
    EXPECT_EQ(pads.acquireCalls(pad), acquired + 3);
    pads.setFocus(true);
    poll();
    EXPECT_EQ(log(), "du");
    poll();
    EXPECT_EQ(log(), "dud");

    // Detached: nothing more, the last states stay.
    pads.detach(pad);
    press(0, false);
    poll();
    poll();
    EXPECT_EQ(log(), "dud");
    EXPECT_EQ(call(scene, "GETBUTTONSTATE", {"0"}), "1");
}

TEST_F(JoystickObject, PositionsAndSidesFromTheReportedValues) {
    load({});
    EXPECT_EQ(call(scene, "GETPOSITION", {"X"}), "0");
    EXPECT_EQ(call(scene, "ISLEFT"), boolText(true)) << "the reported X starts at -1";
    EXPECT_EQ(call(scene, "ISRIGHT"), boolText(false));
    state.x = 1000;
    state.y = 40000;
    for (int i = 0; i < 4; ++i) poll();
    EXPECT_EQ(call(scene, "GETPOSITION", {"X"}), "12");
    EXPECT_EQ(call(scene, "GETPOSITION", {"Y"}), "488");
    EXPECT_EQ(call(scene, "GETPOSITION", {"Z"}), "0");
    EXPECT_EQ(call(scene, "GETPOSITION", {"x"}), "0") << "axis names keep their case";
    EXPECT_EQ(call(scene, "GETPOSITION", {"W"}), "0");
    EXPECT_EQ(call(scene, "ISLEFT"), boolText(false));
    EXPECT_EQ(call(scene, "ISRIGHT"), boolText(true));
    EXPECT_EQ(call(scene, "GETPOSITION"), "<null>") << "no argument";
    EXPECT_EQ(joystick->getAxis(3), -1);
}

TEST(Joystick, WithoutAControllerItAnswersFromItsInitialValues) {
    platform::ScriptedJoystickSystem pads;
    platform::ScopedJoystickSystem route(pads);
    test::ScriptWorld world;
    auto* scene = world.loadScene("pad.cnv", {"OBJECT=J", "J:TYPE=JOYSTICK", "J:PORT=0"});
    ASSERT_NE(scene, nullptr);
    EXPECT_EQ(call(scene, "GETBUTTONSTATE", {"0"}), "0");
    EXPECT_EQ(call(scene, "GETPOSITION", {"X"}), "0");
    EXPECT_EQ(call(scene, "ISLEFT"), boolText(true));
    // The type is not copied.
    test::runCode(scene, "J^CLONE(1);");
    EXPECT_FALSE(test::hasObject(scene, "J_1"));
}

TEST_F(JoystickObject, RecordsPendingWhenTheObjectGoesRaiseNothing) {
    load({"J:ONBUTTONDOWN={LOG^ADD(\"d\");}", "J:ONMOVE={LOG^ADD(\"m\");}"});
    // Polled but not flushed, then deleted: disposed of now, deleted at the next step.
    press(0, true);
    pads.setState(pad, state);
    joystick->tick();
    ASSERT_TRUE(scene->deleteObject(joystick, false));
    const int polls = pads.pollCalls(pad);
    world.frames(3, 16);
    EXPECT_EQ(log(), "");
    EXPECT_EQ(pads.pollCalls(pad), polls) << "a disposed object is polled no more";
    EXPECT_EQ(pads.openDevices(pad), 0) << "deleted with its device";

    // The host's form, deleted at once with a record queued.
    auto* recorder = new test::RecordingBehaviour(scene, "REC");
    scene->addObject(recorder);
    auto* host = new CMC_Joystick(world.window());
    EXPECT_EQ(host->getName(), CXString("JOYSTICK"));
    EXPECT_EQ(host->getPort(), CMC_Joystick::kDefaultPort);
    EXPECT_EQ(host->getDevice(), nullptr) << "one controller, the default port is the second";
    delete host;
    pads.attach(4);
    host = new CMC_Joystick(world.window());
    ASSERT_NE(host->getDevice(), nullptr);
    host->addBehaviour(CXString("ONBUTTONDOWN"), recorder, nullptr, nullptr);
    pads.setState(1, state);
    host->tick();
    delete host;
    world.frame(16);
    EXPECT_EQ(recorder->count(), 0);
}

TEST_F(JoystickObject, AHandlerThatDeletesTheObjectEndsItsFlush) {
    load({"J:ONBUTTONDOWN^1={LOG^ADD(\"d\");}", "J:ONMOVE={LOG^ADD(\"m\");}"});
    auto* kill = new test::RecordingBehaviour(scene, "KILL");
    scene->addObject(kill);
    kill->onRun = [this](CMC_Object*) { scene->deleteObject(joystick); };
    joystick->addBehaviour(CXString("ONBUTTONDOWN^0"), kill, nullptr, nullptr);
    press(0, true);
    press(1, true);
    state.x = 1000;
    poll();
    EXPECT_EQ(kill->count(), 1);
    EXPECT_EQ(log(), "") << "the records after it are dropped";
    EXPECT_FALSE(test::hasObject(scene, "J"));
    const int polls = pads.pollCalls(pad);
    press(0, false);
    world.frames(3, 16);
    EXPECT_EQ(pads.pollCalls(pad), polls);
    EXPECT_EQ(log(), "");
}

TEST(Joystick, ThePollerThreadPollsWhileTheHostDeliversAndDeletes) {
    platform::ScriptedJoystickSystem pads;
    platform::ScopedJoystickSystem route(pads);
    pads.attach(8);
    const int32_t pad = pads.attach(8);  // the default port's
    std::unique_ptr<CWindow> window(
        new CWindow(nullptr, nullptr, nullptr, CXSize(), nullptr, CWindow::exePath, false));
    ASSERT_NE(window->getPollerThread(), nullptr);
    window->OnActivateApp(true);
    std::atomic<bool> stop{false};
    std::thread feeder([&] {
        platform::JoystickState state;
        for (int i = 0; !stop; ++i) {
            state.x = (i % 2) ? 1000 : -1000;
            state.buttons[i % 8] ^= platform::kJoystickPressed;
            pads.setState(pad, state);
            std::this_thread::sleep_for(std::chrono::milliseconds(1));
        }
    });
    for (int round = 0; round < 3; ++round) {
        auto* joystick = new CMC_Joystick(window.get());
        ASSERT_NE(joystick->getDevice(), nullptr);
        const int start = pads.pollCalls(pad);
        const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(10);
        while (pads.pollCalls(pad) < start + 3 && std::chrono::steady_clock::now() < deadline) {
            window->Tick();
            std::this_thread::sleep_for(std::chrono::milliseconds(2));
        }
        EXPECT_GE(pads.pollCalls(pad), start + 3);
        delete joystick;
    }
    stop = true;
    feeder.join();
    window.reset();
}

TEST(Joystick, ASceneImageLeavesItOutAndKeepsTheObjectsAfterIt) {
    platform::ScriptedJoystickSystem pads;
    platform::ScopedJoystickSystem route(pads);
    pads.attach(2);
    test::ScriptWorld world;
    test::ScopedCurrentDirectory here(world.dir().path());
    world.writeDefinition("SC.cnv", {"OBJECT=J", "J:TYPE=JOYSTICK", "J:PORT=0", "OBJECT=N", "N:TYPE=INTEGER",
                                     "N:VALUE=7"});
    std::unique_ptr<CMElement> element(test::makeElement("SC", {{"TYPE", "SCENE"}}));
    auto scene = std::make_unique<CMC_Scene>(world.window(), nullptr, element.get(), CMC_Scene::kType);
    scene->loadCnv();
    ASSERT_TRUE(test::hasObject(scene.get(), "J"));
    const std::string bytes = test::archiveBytes([&](CXArchive& a) { scene->writeImage(&a); });
    auto copy = std::make_unique<CMC_Scene>(world.window(), CMC_Scene::kType);
    test::readArchive(bytes, [&](CXArchive& a) { copy->readImage(&a); });
    EXPECT_EQ(test::intValue(copy.get(), "N"), 7);
    EXPECT_FALSE(test::hasObject(copy.get(), "J"));
    scene.reset();
    copy.reset();
    CMC_Scene::doneDefUnit();
}

}  // namespace
