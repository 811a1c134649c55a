#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "foundation/CLanguageOSVer.h"
#include "platform/Clock.h"
#include "platform/Input.h"
#include "shell/CDXMouse.h"
#include "shell/CKeyboard.h"
#include "shell/CWindow.h"

namespace {

using Log = std::vector<std::string>;

// A window (keyboard and mouse, no poller thread) whose handlers log what the devices
// deliver.
struct RecordingWindow : CWindow {
    explicit RecordingWindow(CLanguageOSVer* language = nullptr)
        : CWindow(nullptr, nullptr, language, CXSize(), nullptr, CWindow::exePath, false) {
        // The poller thread is not wanted: the test ticks the devices itself.
        OnDestroy();
    }
    std::string at(const char* what, CXPoint p) {
        return std::string(what) + " " + std::to_string(p.x) + "," + std::to_string(p.y);
    }
    int OnMouseMove(CXPoint p, int) override { return log.push_back(at("move", p)), 0; }
    int OnLButtonDown(CXPoint p, int) override { return log.push_back(at("ldown", p)), 0; }
    int OnLButtonUp(CXPoint p, int) override { return log.push_back(at("lup", p)), 0; }
    int OnMButtonDown(CXPoint p, int) override { return log.push_back(at("mdown", p)), 0; }
    int OnMButtonUp(CXPoint p, int) override { return log.push_back(at("mup", p)), 0; }
    int OnRButtonDown(CXPoint p, int) override { return log.push_back(at("rdown", p)), 0; }
    int OnRButtonUp(CXPoint p, int) override { return log.push_back(at("rup", p)), 0; }
    int OnKeyDown(int k, int) override { return log.push_back("down " + std::to_string(k)), 0; }
    int OnKeyUp(int k, int) override { return log.push_back("up " + std::to_string(k)), 0; }
    int OnChar(int c, int) override { return log.push_back(std::string("char ") + static_cast<char>(c)), 0; }
    Log log;
};

class InputDevices : public ::testing::Test {
protected:
    platform::ManualClock clock{1000};
    platform::ScopedClock scopedClock{clock};
    platform::InputSystem input;
    platform::ScopedInput scopedInput{input};
    RecordingWindow window;
    CDXMouse& mouse() { return *window.getDXMouseInterface(); }
    CKeyboard& keyboard() { return *window.getKeyboardInterface(); }
    // One frame: the devices poll, then deliver.
    void frame(uint32_t ms = 16) {
        clock.advance(ms);
        mouse().tick();
        keyboard().tick();
        mouse().flushSignals(true);
        keyboard().flushSignals(true);
    }
};

TEST_F(InputDevices, MovesMergeIntoOneSignalInTheFirstMovesPlaceWithTheLatestPosition) {
    ASSERT_TRUE(input.mouse().isAcquired());
    input.setPointerPosition(10, 10);
    input.mouse().pushMotion(platform::kMouseX, 4);
    mouse().tick();
    // The poller may tick again before the frame delivers.
    input.setPointerPosition(30, 40);
    input.mouse().pushMotion(platform::kMouseY, 2);
    input.mouse().push(platform::kMouseLeft, platform::kPressed);
    input.mouse().pushMotion(platform::kMouseX, 1);
    input.mouse().push(platform::kMouseRight, platform::kPressed);
    input.mouse().push(platform::kMouseMiddle, 0);
    mouse().tick();
    mouse().flushSignals(true);
    // The press carries the latest position read, also though the move was only updated.
    EXPECT_EQ(window.log, (Log{"move 30,40", "ldown 30,40", "rdown 30,40", "mup 30,40"}));
    EXPECT_EQ(mouse().getPosition(), CXPoint(30, 40));
    EXPECT_TRUE(mouse().isLeftDown());
    EXPECT_TRUE(mouse().isRightDown());
}

TEST_F(InputDevices, MotionMergesAtTheBufferEndSoPressesAreNeverCrowdedOut) {
    for (int i = 0; i < 100; ++i) {
        input.mouse().pushMotion(platform::kMouseX, 1);
        input.mouse().pushMotion(platform::kMouseY, -1);
    }
    input.mouse().push(platform::kMouseLeft, platform::kPressed);
    for (int i = 0; i < 100; ++i) input.mouse().pushMotion(platform::kMouseX, 1);
    input.mouse().push(platform::kMouseLeft, 0);
    EXPECT_EQ(input.mouse().pending(), 5u);
    platform::InputRecord r[8];
    uint32_t n = 8;
    ASSERT_EQ(input.mouse().read(r, &n), platform::kInputOk);
    ASSERT_EQ(n, 5u);
    EXPECT_EQ(static_cast<int32_t>(r[0].data), 100);
    EXPECT_EQ(static_cast<int32_t>(r[1].data), -100);
    EXPECT_EQ(r[2].offset, platform::kMouseLeft);
    EXPECT_EQ(static_cast<int32_t>(r[3].data), 100);
    // A full buffer drops what comes.
    for (uint32_t i = 0; i < platform::kMouseBufferSize + 4; ++i) input.mouse().push(platform::kMouseLeft, 0);
    EXPECT_EQ(input.mouse().pending(), platform::kMouseBufferSize);
}

TEST_F(InputDevices, PressAndReleaseInOnePollAndFlushWithoutDelivery) {
    input.setPointerPosition(7, 8);
    input.mouse().pushMotion(platform::kMouseX, 1);
    input.mouse().push(platform::kMouseLeft, platform::kPressed);
    input.mouse().push(platform::kMouseLeft, 0);
    frame();
    EXPECT_EQ(window.log, (Log{"move 7,8", "ldown 7,8", "lup 7,8"}));
    window.log.clear();
    input.mouse().push(platform::kMouseRight, platform::kPressed);
    mouse().tick();
    EXPECT_EQ(mouse().signals().size(), 1u);
    mouse().flushSignals(false);
    mouse().flushSignals(true);
    EXPECT_TRUE(window.log.empty());
}

TEST_F(InputDevices, FailedReadsQueueNothingAndReacquireAtMostThreeTimesPerTick) {
    // Not acquired: one acquisition, which works.
    input.mouse().unacquire();
    const int before = input.mouse().acquireCalls();
    mouse().tick();
    EXPECT_EQ(input.mouse().acquireCalls(), before + 1);
    EXPECT_TRUE(input.mouse().isAcquired());
    // No focus: the read and the acquisition fail with codes other than lost input.
    input.setFocus(false);
    platform::InputRecord r[1];
    uint32_t n = 1;
    EXPECT_EQ(input.mouse().read(r, &n), platform::kInputNotAcquired);
    EXPECT_EQ(input.mouse().acquire(), platform::kInputOtherAppHasPriority);
    input.setFocus(true);
    // Lost input that stays lost: three tries per tick, for mouse and keyboard alike.
    input.mouse().acquire();
    input.mouse().push(platform::kMouseLeft, platform::kPressed);
    input.mouse().loseInput();
    input.mouse().failAcquire(100);
    input.keyboard().loseInput();
    input.keyboard().failAcquire(100);
    const int mouseCalls = input.mouse().acquireCalls(), keyCalls = input.keyboard().acquireCalls();
    frame();
    EXPECT_EQ(input.mouse().acquireCalls(), mouseCalls + CDXMouse::kMaxAcquire);
    EXPECT_EQ(input.keyboard().acquireCalls(), keyCalls + CKeyboard::kMaxAcquire);
    EXPECT_TRUE(window.log.empty());
}

TEST_F(InputDevices, AutoRepeatDeliversOncePerFlushUntilReleased) {
    input.keyboard().push(30, platform::kPressed);
    frame();
    frame();
    frame();
    input.keyboard().push(30, 0);
    frame();
    frame();
    EXPECT_EQ(window.log, (Log{"down 30", "char a", "down 30", "char a", "down 30", "char a", "up 30"}));

    window.log.clear();
    keyboard().setAutoRepeat(false);
    input.keyboard().push(30, platform::kPressed);
    frame();
    frame();
    frame();
    input.keyboard().push(30, 0);
    frame();
    EXPECT_EQ(window.log, (Log{"down 30", "char a", "up 30"}));

    // Pressed and released between two frames, without auto-repeat.
    window.log.clear();
    input.keyboard().push(48, platform::kPressed);
    input.keyboard().push(48, 0);
    frame();
    EXPECT_EQ(window.log, (Log{"down 48", "up 48", "char b"}));
}

TEST_F(InputDevices, FlushesCloserThanTenMillisecondsDoNothing) {
    input.keyboard().push(30, platform::kPressed);
    frame(16);
    window.log.clear();
    frame(5);
    EXPECT_TRUE(window.log.empty());
    frame(5);
    EXPECT_EQ(window.log, (Log{"down 30", "char a"}));
}

TEST_F(InputDevices, AKeyPressedWhileTheClockReadsZeroIsDownAndItsReleaseArrives) {
    clock.set(0);
    input.keyboard().push(57, platform::kPressed);
    keyboard().tick();
    EXPECT_TRUE(keyboard().isKeyPressed(CXString("space")));
    input.keyboard().push(57, platform::kPressed);  // already down: not queued again
    input.keyboard().push(57, 0);
    input.keyboard().push(57, 0);  // already up: ignored
    keyboard().tick();
    keyboard().setAutoRepeat(false);
    keyboard().flushSignals(true);
    // The press was never delivered, so the release keeps it.
    EXPECT_EQ(window.log, (Log{"down 57", "up 57", "char  "}));
    EXPECT_FALSE(keyboard().isAnyKeyPressed());
}

TEST_F(InputDevices, WithAutoRepeatATapBetweenTwoFlushesIsDeliveredOnce) {
    // Pressed and released in one poll, or in two polls with no flush between them
    // (the poller thread may wake twice within a frame): one press, one release,
    // one character, and no repeats afterwards.
    input.keyboard().push(1, platform::kPressed);
    input.keyboard().push(1, 0);
    frame();
    frame();
    EXPECT_EQ(window.log, (Log{"down 1", "up 1"}));

    window.log.clear();
    input.keyboard().push(30, platform::kPressed);
    keyboard().tick();
    input.keyboard().push(30, 0);
    frame();
    frame();
    EXPECT_EQ(window.log, (Log{"down 30", "up 30", "char a"}));

    // A press already delivered ends its repeats at the release.
    window.log.clear();
    input.keyboard().push(30, platform::kPressed);
    frame();
    input.keyboard().push(30, 0);
    frame();
    frame();
    EXPECT_EQ(window.log, (Log{"down 30", "char a", "up 30"}));
}

TEST_F(InputDevices, KeyNames) {
    const struct {
        int scan;
        const char* name;
        bool pressed;
    } rows[] = {
        {0x2A, "SHIFT", true}, {0x36, "shift", true}, {0x36, "lshift", false}, {0xCB, "Left", true},
        {0x9D, "ctrl", true},  {0xB8, "ALT", true},   {30, "a", true},         {30, "A", true},
        {11, "0", true},       {57, " ", true},       {30, "#", false},        {30, "", false},
    };
    for (const auto& row : rows) {
        input.keyboard().push(static_cast<uint32_t>(row.scan), platform::kPressed);
        keyboard().tick();
        EXPECT_EQ(keyboard().isKeyPressed(CXString(row.name)), row.pressed) << row.name;
        input.keyboard().push(static_cast<uint32_t>(row.scan), 0);
        keyboard().tick();
        EXPECT_FALSE(keyboard().isKeyPressed(CXString(row.name))) << row.name;
    }
}

TEST(InputCharacters, ShiftAltAndTheThreeMappers) {
    platform::ManualClock clock(1000);
    platform::ScopedClock scopedClock(clock);
    platform::InputSystem input;
    platform::ScopedInput scopedInput(input);
    CLanguageOSVer language(CXString("0415"));
    RecordingWindow window(&language);
    language.setWindowIfc(&window);
    CKeyboard& keyboard = *window.getKeyboardInterface();
    const struct {
        const char* language;
        int scan;
        bool shift;
        bool alt;
        int character;  // 0xFF: none
    } rows[] = {
        {"0415", 30, false, false, 'a'},  {"0415", 30, true, false, 'A'},   {"0415", 30, false, true, 0xB9},
        {"0415", 30, true, true, 0xA5},   {"0415", 45, false, true, 0x9F},  {"0415", 2, true, false, '!'},
        {"0415", 3, true, false, '2'},    {"0415", 51, true, false, '<'},   {"0415", 52, true, false, '>'},
        {"0415", 53, true, false, '?'},   {"0415", 78, false, false, '+'},  {"0415", 12, false, false, '-'},
        {"0415", 1, false, false, 0xFF},  {"0405", 21, true, false, 'Z'},   {"0405", 44, false, false, 'y'},
        {"0405", 30, false, true, 'a'},   {"040E", 21, false, false, 'z'},
    };
    for (const auto& row : rows) {
        language.setLanguageFolder(CXString(row.language));
        input.setShift(row.shift);
        input.setAlt(row.alt);
        EXPECT_EQ(keyboard.getChar(row.scan), row.character) << row.language << " " << row.scan;
    }
    // The Czech and Hungarian mappers take letters only: "1" is not delivered.
    language.setLanguageFolder(CXString("0405"));
    EXPECT_NE(dynamic_cast<CCzechCharMapper*>(keyboard.getMapper()), nullptr);
    input.setShift(false);
    input.setAlt(false);
    input.keyboard().push(2, platform::kPressed);
    input.keyboard().push(30, platform::kPressed);
    keyboard.tick();
    keyboard.flushSignals(true);
    EXPECT_EQ(window.log, (Log{"down 2", "down 30", "char a"}));
    language.setLanguageFolder(CXString("040E"));
    EXPECT_NE(dynamic_cast<CHungarianCharMapper*>(keyboard.getMapper()), nullptr);
}

} // namespace
