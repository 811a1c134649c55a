#include "host/InputScript.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "host/Host.h"
#include "platform/MessageBox.h"
#include "shell/CMouseListener.h"
#include "shell/CWindow.h"
#include "support/FakeScriptGame.h"
#include "support/TempDir.h"

namespace {

using Kind = host::InputScript::Kind;

std::string describe(const host::InputScript& script) {
    std::string out;
    for (const host::InputScript::Event& e : script.events()) {
        out += std::to_string(e.frame) + ":";
        switch (e.kind) {
        case Kind::Move:
            out += "move " + std::to_string(e.x) + "," + std::to_string(e.y);
            break;
        case Kind::ButtonDown:
        case Kind::ButtonUp:
            out += std::string(e.kind == Kind::ButtonDown ? "down " : "up ") + std::to_string(e.button);
            break;
        case Kind::KeyDown:
        case Kind::KeyUp:
            out += std::string(e.kind == Kind::KeyDown ? "kd " : "ku ") + std::to_string(e.scan);
            break;
        }
        out += ";";
    }
    return out;
}

TEST(InputScript, LinesBecomeEventsInFrameOrder) {
    host::InputScript script;
    std::string error;
    ASSERT_TRUE(script.parse("# a session\n"
                             "\n"
                             "3 move 10 -4   # the pointer\r\n"
                             "2 key esc\n"
                             "3 DOWN Left\n"
                             "3 keydown Enter\n"
                             "5 up right\n"
                             "4 keyup f1\n"
                             "1 key 7\n",
                             "s.txt", &error))
        << error;
    // "key" adds its key-up to the next frame in its line's place; a frame keeps the
    // order of the file.
    EXPECT_EQ(describe(script), "1:kd 8;2:kd 1;2:ku 8;3:move 10,-4;3:ku 1;3:down 0;3:kd 28;4:ku 59;5:up 2;");
}

TEST(InputScript, ABadLineNamesTheFileAndTheLine) {
    const struct {
        const char* text;
        const char* message;
    } cases[] = {
        {"0 key A\n", "s.txt:1: \"0\" is not a frame number"},
        {"\n# ok\nx move 1 2\n", "s.txt:3: \"x\" is not a frame number"},
        {"1 move 1\n", "s.txt:1: move needs X Y"},
        {"1 move 1 2 3\n", "s.txt:1: move needs X Y"},
        {"1 down middle\n", "s.txt:1: down needs left or right"},
        {"1 up\n", "s.txt:1: up needs left or right"},
        {"1 key NOSUCH\n", "s.txt:1: no key is named \"NOSUCH\""},
        {"1 keydown\n", "s.txt:1: keydown needs one key name"},
        {"1 jump\n", "s.txt:1: unknown event \"jump\""},
        {"7\n", "s.txt:1: an event must follow the frame number"},
        {"2147483647 key A\n", "s.txt:1: key needs a frame after its own"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.text);
        host::InputScript script;
        std::string error;
        EXPECT_FALSE(script.parse(c.text, "s.txt", &error));
        EXPECT_EQ(error.rfind(c.message, 0), 0u) << error;
        EXPECT_TRUE(script.events().empty());
    }
}

TEST(InputScript, KeyNamesAreTheKeyboardObjectsInAnyCase) {
    EXPECT_EQ(host::InputScript::scanOfKeyName("ESC"), 0x01u);
    EXPECT_EQ(host::InputScript::scanOfKeyName("space"), 0x39u);
    EXPECT_EQ(host::InputScript::scanOfKeyName("Left"), 0xCBu);
    EXPECT_EQ(host::InputScript::scanOfKeyName("a"), 0x1Eu);
    // A digit is the main row's key, not the keypad's.
    EXPECT_EQ(host::InputScript::scanOfKeyName("7"), 0x08u);
    EXPECT_EQ(host::InputScript::scanOfKeyName("ESCAPE"), 0u);
    EXPECT_EQ(host::InputScript::scanOfKeyName(""), 0u);
}

// Records what the window's listeners hear, by frame. The listeners hear a frame's
// input in its tick before the script step, where the hook counts the frame.
struct Recorder : CKeyListener, CMouseListener {
    int step = 0;
    std::vector<std::string> log;
    void note(const std::string& what) { log.push_back(std::to_string(step + 1) + " " + what); }
    void onKeyDown(int code) override { note("kd " + std::to_string(code)); }
    void onKeyUp(int code) override { note("ku " + std::to_string(code)); }
    void onChar(unsigned char c) override { note(std::string("char ") + static_cast<char>(c)); }
    bool onClick(int button, CXPoint p) override {
        note("click " + std::to_string(button) + " " + std::to_string(p.x) + "," + std::to_string(p.y));
        return false;
    }
    bool onRelease(int button, CXPoint p) override {
        note("release " + std::to_string(button) + " " + std::to_string(p.x) + "," + std::to_string(p.y));
        return false;
    }
};

struct HostInput : ::testing::Test {
    HostInput() : start(dir.path()), scopedBox(box), savedExe(CWindow::exePath), savedCd(CWindow::getCDPath()) {
        dir.mkdir("GAME/Dane");
    }
    ~HostInput() override {
        CWindow::exePath = savedExe;
        CWindow::setCDPath(savedCd);
    }
    int run(std::vector<const char*> args) {
        args.insert(args.begin(), "vondrel");
        return host::run(static_cast<int>(args.size()), args.data());
    }
    test::TempDir dir;
    test::ScopedCurrentDirectory start;
    platform::RecordedMessageBox box;
    platform::ScopedMessageBox scopedBox;
    CXString savedExe;
    CXString savedCd;
    std::string game = dir.path() + "/GAME";
};

TEST_F(HostInput, EventsReachTheWindowBeforeTheirFramesTick) {
    test::FakeScriptGame fake;
    Recorder recorder;
    fake.onStep = [&](CWindow* window) {
        if (++recorder.step == 1) {
            window->registerKeyListener(&recorder);
            window->registerMouseListener(&recorder, 10);
        }
        return false;
    };
    // A relative script name lies in the start folder.
    dir.write("session.txt",
              "2 key a\n"
              "3 keydown LSHIFT\n3 key b\n4 keyup lshift\n"
              "5 move 30 40\n6 down left\n7 up left\n"
              "8 move 5 6\n8 down right\n8 up right\n");
    EXPECT_EQ(run({"--headless", "--frames", "9", "--input", "session.txt", "-path", game.c_str()}), 0);
    // The keyboard device hands out a tick's key-downs before its key-ups.
    const std::vector<std::string> expected = {
        "2 kd 30", "2 char a", "3 kd 42", "3 kd 48", "3 ku 30", "3 char B", "4 ku 48", "4 ku 42",
        "6 click 0 30,40", "7 release 0 30,40", "8 click 2 5,6", "8 release 2 5,6",
    };
    EXPECT_EQ(recorder.log, expected);
}

TEST_F(HostInput, ABadScriptStopsTheHostBeforeTheFirstFrame) {
    test::FakeScriptGame fake;
    dir.write("bad.txt", "1 move 3 4\n2 press A\n");
    for (const char* file : {"bad.txt", "missing.txt"}) {
        SCOPED_TRACE(file);
        fake.log.clear();
        testing::internal::CaptureStderr();
        EXPECT_EQ(run({"--headless", "--frames", "3", "--input", file, "-path", game.c_str()}), 2);
        const std::string err = testing::internal::GetCapturedStderr();
        EXPECT_NE(err.find(std::string(file) + (file[0] == 'b' ? ":2: unknown event \"press\"" : ": cannot be read")),
                  std::string::npos)
            << err;
        EXPECT_TRUE(fake.log.empty());
        EXPECT_TRUE(box.boxes.empty());
    }
}

}  // namespace
