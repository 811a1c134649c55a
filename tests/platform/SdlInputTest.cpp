#include <gtest/gtest.h>

#include <SDL.h>

#include <vector>

#include "platform/Input.h"
#include "platform/SdlInput.h"

namespace {

std::vector<platform::InputRecord> drain(platform::InputDevice& device) {
    platform::InputRecord r[64];
    uint32_t n = 64;
    device.read(r, &n);
    return std::vector<platform::InputRecord>(r, r + n);
}

SDL_Event keyEvent(Uint32 type, SDL_Scancode code, Uint16 mod = KMOD_NONE, Uint8 repeat = 0) {
    SDL_Event e{};
    e.type = type;
    e.key.keysym.scancode = code;
    e.key.keysym.mod = mod;
    e.key.repeat = repeat;
    return e;
}

SDL_Event motion(int x, int y, int dx, int dy) {
    SDL_Event e{};
    e.type = SDL_MOUSEMOTION;
    e.motion.x = x;
    e.motion.y = y;
    e.motion.xrel = dx;
    e.motion.yrel = dy;
    return e;
}

SDL_Event buttonEvent(Uint32 type, Uint8 button, int x, int y, Uint8 clicks = 1) {
    SDL_Event e{};
    e.type = type;
    e.button.button = button;
    e.button.x = x;
    e.button.y = y;
    e.button.clicks = clicks;
    return e;
}

TEST(SdlInput, KeysThroughTheScanTableWithModifiersAndWithoutRepeats) {
    platform::InputSystem input;
    platform::ScopedInput scoped(input);
    input.keyboard().acquire();
    const SDL_Event events[] = {
        keyEvent(SDL_KEYDOWN, SDL_SCANCODE_A, KMOD_LSHIFT), keyEvent(SDL_KEYDOWN, SDL_SCANCODE_A, KMOD_LSHIFT, 1),
        keyEvent(SDL_KEYDOWN, SDL_SCANCODE_LEFT),          keyEvent(SDL_KEYDOWN, SDL_SCANCODE_F13),
        keyEvent(SDL_KEYUP, SDL_SCANCODE_A, KMOD_RALT),
    };
    for (const SDL_Event& e : events) EXPECT_TRUE(platform::sdlInputEvent(&e));
    const auto records = drain(input.keyboard());
    ASSERT_EQ(records.size(), 3u);
    EXPECT_EQ(records[0].offset, 0x1Eu);
    EXPECT_EQ(records[0].data, platform::kPressed);
    EXPECT_EQ(records[1].offset, 0xCBu);
    EXPECT_EQ(records[2].offset, 0x1Eu);
    EXPECT_EQ(records[2].data, 0u);
    EXPECT_FALSE(input.isShiftDown());
    EXPECT_TRUE(input.isAltDown());
    EXPECT_EQ(platform::scanCodeOfSdl(SDL_SCANCODE_KP_ENTER), 0x9Cu);
    EXPECT_EQ(platform::scanCodeOfSdl(-1), 0u);
}

TEST(SdlInput, MotionMergesButtonsAtTheirOffsetsAndMessagesWhileTheMouseIsOff) {
    platform::InputSystem input;
    platform::ScopedInput scoped(input);
    std::vector<int> messages;
    input.setMouseReceiver([&](platform::MouseMessage m, int32_t x, int32_t) {
        messages.push_back(static_cast<int>(m) * 1000 + x);
    });
    // Off: messages to the receiver, nothing queued.
    SDL_Event e = motion(5, 6, 1, 1);
    platform::sdlInputEvent(&e);
    e = buttonEvent(SDL_MOUSEBUTTONDOWN, SDL_BUTTON_LEFT, 5, 6, 2);
    platform::sdlInputEvent(&e);
    EXPECT_EQ(messages, (std::vector<int>{static_cast<int>(platform::MouseMessage::Move) * 1000 + 5,
                                          static_cast<int>(platform::MouseMessage::LeftDoubleClick) * 1000 + 5}));
    // On: records.
    input.mouse().acquire();
    messages.clear();
    const SDL_Event events[] = {
        motion(10, 11, 2, 3), motion(12, 13, 2, 2), buttonEvent(SDL_MOUSEBUTTONDOWN, SDL_BUTTON_RIGHT, 12, 13),
        buttonEvent(SDL_MOUSEBUTTONUP, SDL_BUTTON_MIDDLE, 12, 13), motion(14, 15, 1, 0),
    };
    for (const SDL_Event& ev : events) platform::sdlInputEvent(&ev);
    EXPECT_TRUE(messages.empty());
    const auto r = drain(input.mouse());
    ASSERT_EQ(r.size(), 5u);
    EXPECT_EQ(r[0].offset, platform::kMouseX);
    EXPECT_EQ(r[0].data, 4u);
    EXPECT_EQ(r[1].offset, platform::kMouseY);
    EXPECT_EQ(r[1].data, 5u);
    EXPECT_EQ(r[2].offset, platform::kMouseRight);
    EXPECT_EQ(r[2].data, platform::kPressed);
    EXPECT_EQ(r[3].offset, platform::kMouseMiddle);
    EXPECT_EQ(r[4].offset, platform::kMouseX);
    EXPECT_TRUE(input.isButtonDown(2));
    int32_t x = 0, y = 0;
    input.pointerPosition(&x, &y);
    EXPECT_EQ(x, 14);
    // Focus lost: the devices let go and reads fail without claiming lost input.
    SDL_Event focus{};
    focus.type = SDL_WINDOWEVENT;
    focus.window.event = SDL_WINDOWEVENT_FOCUS_LOST;
    platform::sdlInputEvent(&focus);
    platform::InputRecord one[1];
    uint32_t n = 1;
    EXPECT_EQ(input.mouse().read(one, &n), platform::kInputNotAcquired);
}

} // namespace
