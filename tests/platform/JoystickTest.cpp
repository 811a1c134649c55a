// The joystick layer: the scripted system's enumeration, focus, failures and devices
// that outlive it; the SDL system over SDL's virtual joystick.
#include <gtest/gtest.h>

#include <SDL.h>

#include "platform/Joystick.h"
#include "platform/SdlJoystick.h"

namespace {

using platform::JoystickState;
using platform::kJoystickOk;

TEST(ScriptedJoysticks, EnumerationOpensInOrderSkipsDetachedAndCountsDevices) {
    platform::ScriptedJoystickSystem pads;
    const int32_t a = pads.attach(2);
    const int32_t broken = pads.attach(4, false);
    const int32_t b = pads.attach(200);
    EXPECT_EQ(pads.deviceCount(), 3);
    EXPECT_EQ(pads.open(1), nullptr) << "a controller that does not open";
    EXPECT_EQ(pads.open(3), nullptr);
    EXPECT_EQ(pads.open(-1), nullptr);
    auto first = pads.open(0);
    auto third = pads.open(2);
    ASSERT_NE(first, nullptr);
    ASSERT_NE(third, nullptr);
    EXPECT_EQ(first->buttonCount(), 2);
    EXPECT_EQ(third->buttonCount(), platform::kJoystickMaxButtons) << "capped";
    EXPECT_EQ(pads.openDevices(a), 1);
    EXPECT_EQ(pads.openDevices(broken), 0);

    pads.detach(a);
    EXPECT_EQ(pads.deviceCount(), 2);
    EXPECT_EQ(pads.open(0), nullptr) << "the broken one is first now";
    auto again = pads.open(1);
    ASSERT_NE(again, nullptr);
    EXPECT_EQ(pads.openDevices(b), 2);
    again.reset();
    EXPECT_EQ(pads.openDevices(b), 1);
}

TEST(ScriptedJoysticks, ReadsNeedAnAcquiredDeviceWithFocusAndAnAttachedController) {
    platform::ScriptedJoystickSystem pads;
    const int32_t id = pads.attach(4);
    auto device = pads.open(0);
    ASSERT_NE(device, nullptr);
    JoystickState state;
    state.x = -1000;
    state.y = 65535;
    state.z = 7;
    state.buttons[3] = platform::kJoystickPressed;
    pads.setState(id, state);

    JoystickState read;
    EXPECT_EQ(device->poll(), platform::kJoystickNotAcquired);
    EXPECT_EQ(device->getState(&read), platform::kJoystickNotAcquired);
    ASSERT_EQ(device->acquire(), kJoystickOk);
    ASSERT_EQ(device->poll(), kJoystickOk);
    ASSERT_EQ(device->getState(&read), kJoystickOk);
    EXPECT_EQ(read.x, -1000);
    EXPECT_EQ(read.y, 65535);
    EXPECT_EQ(read.z, 7);
    EXPECT_EQ(read.buttons[3], platform::kJoystickPressed);

    // Losing the focus unacquires; acquiring fails until it comes back.
    pads.setFocus(false);
    EXPECT_FALSE(device->isAcquired());
    EXPECT_EQ(device->poll(), platform::kJoystickNotAcquired);
    EXPECT_EQ(device->acquire(), platform::kJoystickNoFocus);
    pads.setFocus(true);
    EXPECT_EQ(device->acquire(), kJoystickOk);

    // Scripted failures: a lost poll unacquires, a failed read does not.
    pads.failPolls(id, 1);
    EXPECT_EQ(device->poll(), platform::kJoystickInputLost);
    EXPECT_FALSE(device->isAcquired());
    EXPECT_EQ(device->acquire(), kJoystickOk);
    pads.failStateReads(id, 1);
    EXPECT_EQ(device->poll(), kJoystickOk);
    EXPECT_EQ(device->getState(&read), platform::kJoystickFailed);
    EXPECT_EQ(device->getState(&read), kJoystickOk);
    EXPECT_EQ(pads.acquireCalls(id), 4);
    EXPECT_EQ(pads.pollCalls(id), 5);

    pads.detach(id);
    EXPECT_EQ(device->poll(), platform::kJoystickDetached);
    EXPECT_EQ(device->acquire(), platform::kJoystickDetached);
}

TEST(ScriptedJoysticks, ADeviceOutlivingItsSystemFailsAndTheDefaultSystemHasNone) {
    std::unique_ptr<platform::JoystickDevice> device;
    {
        platform::ScriptedJoystickSystem pads;
        pads.attach(1);
        device = pads.open(0);
        ASSERT_NE(device, nullptr);
        ASSERT_EQ(device->acquire(), kJoystickOk);
    }
    JoystickState read;
    EXPECT_EQ(device->poll(), platform::kJoystickDetached);
    EXPECT_EQ(device->getState(&read), platform::kJoystickDetached);
    device.reset();
    EXPECT_EQ(platform::joystickSystem().deviceCount(), 0);
    EXPECT_EQ(platform::joystickSystem().open(0), nullptr);
}

TEST(SdlJoysticks, AxisConversionsTruncateAndClamp) {
    const struct {
        int32_t sdl, x, yz;
    } rows[] = {{-32768, -1000, 0}, {-32767, -1000, 1}, {-33, -1, 32735}, {-32, 0, 32736},
                {0, 0, 32768},      {32, 0, 32800},     {33, 1, 32801},   {32767, 1000, 65535}};
    for (const auto& row : rows) {
        EXPECT_EQ(platform::SdlJoystickSystem::axisX(row.sdl), row.x) << row.sdl;
        EXPECT_EQ(platform::SdlJoystickSystem::axisYZ(row.sdl), row.yz) << row.sdl;
    }
}

TEST(SdlJoysticks, AVirtualJoystickReadsItsAxesAndButtonsUntilDetached) {
    setenv("SDL_VIDEODRIVER", "offscreen", 0);
    SDL_SetHint(SDL_HINT_JOYSTICK_ALLOW_BACKGROUND_EVENTS, "1");
    platform::SdlJoystickSystem system;
    ASSERT_TRUE(system.isStarted()) << system.error();
    const int index = SDL_JoystickAttachVirtual(SDL_JOYSTICK_TYPE_GAMECONTROLLER, 3, 4, 0);
    ASSERT_GE(index, 0) << SDL_GetError();
    ASSERT_GT(system.deviceCount(), index);
    SDL_Joystick* handle = SDL_JoystickOpen(index);
    ASSERT_NE(handle, nullptr);
    auto device = system.open(index);
    ASSERT_NE(device, nullptr);
    EXPECT_EQ(device->buttonCount(), 4);
    ASSERT_EQ(device->acquire(), kJoystickOk);

    const struct {
        Sint16 value;
        int32_t x, yz;
    } rows[] = {{-32768, -1000, 0}, {0, 0, 32768}, {32767, 1000, 65535}};
    for (const auto& row : rows) {
        for (int axis = 0; axis < 3; ++axis) SDL_JoystickSetVirtualAxis(handle, axis, row.value);
        system.update();
        JoystickState state;
        ASSERT_EQ(device->poll(), kJoystickOk);
        ASSERT_EQ(device->getState(&state), kJoystickOk);
        EXPECT_EQ(state.x, row.x) << row.value;
        EXPECT_EQ(state.y, row.yz) << row.value;
        EXPECT_EQ(state.z, row.yz) << row.value;
    }

    SDL_JoystickSetVirtualButton(handle, 2, SDL_PRESSED);
    system.update();
    JoystickState state;
    ASSERT_EQ(device->getState(&state), kJoystickOk);
    EXPECT_EQ(state.buttons[2], platform::kJoystickPressed);
    EXPECT_EQ(state.buttons[1], 0);

    system.setFocus(false);
    EXPECT_EQ(device->poll(), platform::kJoystickNotAcquired);
    EXPECT_EQ(device->getState(&state), platform::kJoystickNotAcquired);
    EXPECT_EQ(device->acquire(), platform::kJoystickNoFocus);
    system.setFocus(true);
    EXPECT_EQ(device->acquire(), kJoystickOk);

    SDL_JoystickClose(handle);
    ASSERT_EQ(SDL_JoystickDetachVirtual(index), 0) << SDL_GetError();
    system.update();
    EXPECT_EQ(device->poll(), platform::kJoystickDetached);
    EXPECT_EQ(device->getState(&state), platform::kJoystickDetached);
    EXPECT_EQ(device->acquire(), platform::kJoystickDetached);
    // The device goes after its joystick was closed; the next update closes the system's.
    device.reset();
    system.update();
}

}  // namespace
