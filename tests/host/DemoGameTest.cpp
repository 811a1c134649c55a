// The demo game made in the build tree, played headless with its scripted session:
// the scenes it reaches, the settings it keeps between runs, and frames and sound that
// repeat.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <set>
#include <string>
#include <vector>

#include "host/Host.h"
#include "platform/Audio.h"
#include "platform/Joystick.h"
#include "platform/MessageBox.h"
#include "platform/Png.h"
#include "platform/Presenter.h"
#include "graphics/screen/CSurface.h"
#include "shell/CBackgroundMusic.h"
#include "shell/CSndStream.h"
#include "shell/CUnit6.h"
#include "shell/CWindow.h"
#include "support/TempDir.h"

#ifdef VONDREL_DEMO_GAME

namespace {

struct DemoGame : ::testing::Test {
    DemoGame() : start(dir.path()), scopedBox(box), savedExe(CWindow::exePath), savedCd(CWindow::getCDPath()) {}
    ~DemoGame() override {
        CWindow::exePath = savedExe;
        CWindow::setCDPath(savedCd);
    }
    // Plays the session; the settings file and the dumps land in the start folder.
    // Each run starts in the start folder, as a new process would (a run ends in the
    // game's folders).
    int play(const std::string& dumps, const host::RunObserver& observer = {}) {
        test::ScopedCurrentDirectory here(dir.path());
        const std::string session = std::string(VONDREL_SOURCE_DIR) + "/demo/session.txt";
        const char* argv[] = {"vondrel",      "--headless", "--frames",  "300",          "--input", session.c_str(),
                              "--ini",        "demo.ini",   "--dump-dir", dumps.c_str(), "--dump-every", "20",
                              "-path",        VONDREL_DEMO_GAME};
        return host::run(static_cast<int>(std::size(argv)), argv, observer);
    }
    // Plays the session and gives, frame by frame, every call the engine made to the
    // audio device (cursors read, parts locked for refills, plays and stops) and the
    // music stream's own cursors.
    std::vector<std::string> playTracingSound(const std::string& dumps) {
        std::vector<std::string> trace;
        platform::ManualAudioSystem* audio = nullptr;
        host::RunObserver observer;
        observer.started = [&](CWindow&) {
            audio = dynamic_cast<platform::ManualAudioSystem*>(&platform::audio());
            if (audio) audio->setRecording(true);
        };
        observer.frameDone = [&](int frame, CWindow& window) {
            std::string line = "frame " + std::to_string(frame);
            CBackgroundMusic* music = window.getMusicInterface();
            if (CSndStream* stream = music ? music->getStream() : nullptr) {
                uint32_t play = 0, write = 0;
                if (platform::IAudioBuffer* buffer = stream->getBuffer()) buffer->getCurrentPosition(&play, &write);
                line += " music " + std::to_string(play) + " " + std::to_string(write) + " next " +
                        std::to_string(stream->GetNextWriteOffset()) + " progress " +
                        std::to_string(stream->GetProgress());
            }
            trace.push_back(line);
            if (!audio) return;
            for (const std::string& call : audio->calls()) trace.push_back(call);
            audio->clearCalls();
        };
        EXPECT_EQ(play(dumps, observer), 0);
        EXPECT_NE(audio, nullptr);
        return trace;
    }
    // The frame's pixel as 8-bit red, green, blue.
    static std::vector<int> pixel(const platform::RgbFrame& frame, int x, int y) {
        const uint8_t* p = &frame.rgb[(static_cast<size_t>(y) * frame.width + x) * 3];
        return {p[0], p[1], p[2]};
    }
    // Colours pass through 5-6-5 pixels: each channel within 8 of the drawn one.
    static bool near(const std::vector<int>& got, const std::vector<int>& drawn) {
        for (size_t i = 0; i < 3; ++i)
            if (std::abs(got[i] - drawn[i]) > 8) return false;
        return true;
    }
    std::string frames(const char* folder) {
        std::string all;
        for (const char* name : {"frame-000020.png", "frame-000040.png", "frame-000060.png", "frame-000100.png", "last.png"})
            all += dir.read(std::string(folder) + "/" + name) + "|";
        return all;
    }
    test::TempDir dir;
    test::ScopedCurrentDirectory start;
    platform::RecordedMessageBox box;
    platform::ScopedMessageBox scopedBox;
    CXString savedExe;
    CXString savedCd;
};

TEST_F(DemoGame, TheSessionPlaysTheRoomAndEndsOnEscape) {
    // Relative dump folders lie in the start folder, whichever folder the game is in.
    ASSERT_EQ(play("one"), 0);
    EXPECT_TRUE(box.boxes.empty());
    // Escape in frame 251 ends the game before the dump of frame 260.
    EXPECT_TRUE(dir.exists("one/frame-000240.png"));
    EXPECT_FALSE(dir.exists("one/frame-000260.png"));
    // The bell rang twice and the drum once; the room was entered twice. Each sound's
    // ONFINISHED ran once: the second ring started the bell again before it ended. The
    // name typed into the title's box is kept.
    EXPECT_EQ(dir.read("demo.ini"),
              "[SHOWCASE]\r\nRUNS=1\r\nVISITS=2\r\nCOUNTER=1\r\nBELLFINISHED=1\r\nDRUMFINISHED=1\r\n"
              "PLAYER=ada\r\n\r\n"
              "[INTRO]\r\nTime=0\r\nPlayed=1\r\n\r\n"
              "[TITLE]\r\nTime=2\r\nPlayed=3\r\n\r\n[ROOM]\r\nTime=2\r\nPlayed=2\r\n");

    // Frame 60 shows the room with its arrow, the bell, the drum and the figure, which
    // has walked in; the last frame the title (its door).
    platform::RgbFrame room, title;
    ASSERT_TRUE(platform::readPng(dir.path() + "/one/frame-000060.png", room));
    ASSERT_TRUE(platform::readPng(dir.path() + "/one/last.png", title));
    ASSERT_EQ(room.width, 800);
    ASSERT_EQ(room.height, 600);
    EXPECT_TRUE(near(pixel(room, 60, 520), {0xff, 0xf1, 0xe8}));
    EXPECT_TRUE(near(pixel(room, 400, 520), {0xab, 0x52, 0x36}));
    EXPECT_TRUE(near(pixel(room, 600, 370), {0xff, 0xec, 0x27}));
    EXPECT_TRUE(near(pixel(room, 700, 400), {0xff, 0x00, 0x4d}));
    // The note panel (a DIALOG) lies at the top right until the session drags it down
    // and to the left and closes it with its button, which the drag took along.
    EXPECT_TRUE(near(pixel(room, 690, 100), {0x1d, 0x2b, 0x53}));
    platform::RgbFrame closed;
    ASSERT_TRUE(platform::readPng(dir.path() + "/one/frame-000080.png", closed));
    EXPECT_FALSE(near(pixel(closed, 690, 100), {0x1d, 0x2b, 0x53}));
    EXPECT_FALSE(near(pixel(closed, 560, 140), {0x1d, 0x2b, 0x53}));
    // By frame 80 the figure has walked in from the left to its place.
    EXPECT_TRUE(near(pixel(closed, 150, 400), {0x29, 0xad, 0xff}));
    EXPECT_FALSE(near(pixel(room, 150, 400), {0x29, 0xad, 0xff}));
    EXPECT_TRUE(near(pixel(title, 650, 300), {0x5f, 0x3a, 0x1e}));
    EXPECT_TRUE(near(pixel(title, 400, 380), {0xff, 0xa3, 0x00}));

    // Frame 240 shows the door lit under the resting pointer, and the typed name.
    platform::RgbFrame resting;
    ASSERT_TRUE(platform::readPng(dir.path() + "/one/frame-000240.png", resting));
    EXPECT_TRUE(near(pixel(resting, 650, 300), {0x8f, 0x5a, 0x2e}));
    bool written = false;
    for (int y = 542; y < 568; ++y)
        for (int x = 252; x < 290; ++x) written = written || !near(pixel(resting, x, y), {0x1d, 0x2b, 0x53});
    EXPECT_TRUE(written);

    // The figure walks again after Space: frame 140 shows it in another step than frame 120.
    EXPECT_NE(dir.read("one/frame-000120.png"), dir.read("one/frame-000140.png"));

    // The counter's text shows 0 on entry and changes with the rings.
    bool changed = false;
    for (int y = 185; y < 215; ++y)
        for (int x = 380; x < 420; ++x) changed = changed || pixel(room, x, y) != pixel(closed, x, y);
    EXPECT_TRUE(changed);

    // A run from the kept settings counts on from them.
    const std::string first = dir.read("demo.ini");
    ASSERT_EQ(play("kept"), 0);
    EXPECT_EQ(dir.read("demo.ini").rfind(
                  "[SHOWCASE]\r\nRUNS=2\r\nVISITS=4\r\nCOUNTER=2\r\nBELLFINISHED=2\r\nDRUMFINISHED=2\r\n", 0),
              0u)
        << dir.read("demo.ini");
    // Two runs from one settings file (none here) show the same frames.
    dir.remove("demo.ini");
    ASSERT_EQ(play("two"), 0);
    EXPECT_EQ(frames("one"), frames("two"));
    EXPECT_EQ(dir.read("demo.ini"), first);
}

TEST_F(DemoGame, NoPictureOfALeftSceneReachesTheNextOne) {
    // The first frame after each scene change of the session shows nothing of the scene
    // left (the room's counter and note were drawn over the title once): it equals the
    // frame two later except where the entered scene moves by itself.
    struct Moving {
        const char* scene;
        int left, top, right, bottom;
    };
    const Moving moving[] = {{"TITLE", 0, 0, 0, 0}, {"ROOM", 0, 330, 330, 470}};
    struct Change {
        int frame;  // the first frame of the entered scene (0-based)
        std::string scene;
        platform::RgbFrame first, later;
    };
    std::vector<Change> changes;
    std::string current;
    host::RunObserver observer;
    observer.frameDone = [&](int frame, CWindow& window) {
        CSurface* surface = window.GetSurface();
        for (Change& change : changes) {
            if (frame == change.frame) platform::readFrame(surface->GetPrimaryBufferInterface(), change.first);
            if (frame == change.frame + 2) platform::readFrame(surface->GetPrimaryBufferInterface(), change.later);
        }
        CUnit6* unit = window.getCurrentUnit();
        const std::string scene = unit ? unit->getUnitName().c_str() : "";
        if (scene != current && !current.empty()) changes.push_back({frame + 1, scene, {}, {}});
        current = scene;
    };
    ASSERT_EQ(play("changes", observer), 0);
    // Into the title from the intro and twice from the room, into the room twice.
    ASSERT_EQ(changes.size(), 5u);
    for (const Change& change : changes) {
        SCOPED_TRACE("frame " + std::to_string(change.frame + 1) + ", " + change.scene);
        const Moving* own = nullptr;
        for (const Moving& m : moving)
            if (change.scene == m.scene) own = &m;
        ASSERT_NE(own, nullptr);
        ASSERT_EQ(change.first.width, 800);
        ASSERT_EQ(change.later.width, 800);
        int stray = 0;
        for (int y = 0; y < 600; ++y)
            for (int x = 0; x < 800; ++x) {
                if (x >= own->left && x < own->right && y >= own->top && y < own->bottom) continue;
                const size_t i = (static_cast<size_t>(y) * 800 + x) * 3;
                if (!std::equal(&change.first.rgb[i], &change.first.rgb[i] + 3, &change.later.rgb[i])) ++stray;
            }
        EXPECT_EQ(stray, 0);
    }
}

TEST_F(DemoGame, LeavingTheTitleFadesToBlack) {
    // The door is clicked in frame 12: for about half a second the title darkens frame
    // by frame under a black curtain fading in, a frame shows it wholly black, and the
    // room follows.
    const std::string session = std::string(VONDREL_SOURCE_DIR) + "/demo/session.txt";
    const char* argv[] = {"vondrel", "--headless", "--frames", "50", "--input", session.c_str(), "--ini", "demo.ini",
                          "--dump-dir", "fade", "--dump-every", "1", "-path", VONDREL_DEMO_GAME};
    {
        test::ScopedCurrentDirectory here(dir.path());
        ASSERT_EQ(host::run(static_cast<int>(std::size(argv)), argv), 0);
    }
    int darker = 0;
    int previous = 1 << 30;
    bool room = false, black = false;
    for (int frame = 8; frame <= 50 && !room; ++frame) {
        char name[64];
        std::snprintf(name, sizeof name, "%s/fade/frame-%06d.png", dir.path().c_str(), frame);
        platform::RgbFrame shot;
        ASSERT_TRUE(platform::readPng(name, shot)) << name;
        // The room's arrow stands where the title's ground is.
        room = near(pixel(shot, 60, 520), {0xff, 0xf1, 0xe8});
        if (room) break;
        const std::vector<int> door = pixel(shot, 650, 300);
        const int light = door[0] + door[1] + door[2];
        if (light < previous) ++darker;
        previous = light;
        black = black || (near(pixel(shot, 650, 300), {0, 0, 0}) && near(pixel(shot, 400, 380), {0, 0, 0}) &&
                          near(pixel(shot, 60, 520), {0, 0, 0}));
    }
    EXPECT_TRUE(room);
    EXPECT_GE(darker, 25);  // 30 frames of 16 ms make half a second
    EXPECT_TRUE(black);
}

TEST_F(DemoGame, TheIntroMovieLeadsToTheTitleWhenOverOrOnEscape) {
    // Without input the intro plays to its end (2 s) and its ONFINISHED leads to the
    // title; Esc in the intro leads there too and does not end the game.
    struct Case {
        const char* name;
        const char* input;
        int frames;
        const char* kept;  // the intro's statistics in the settings
    };
    for (const Case& run : {Case{"over", "", 160, "[INTRO]\r\nTime=2\r\nPlayed=1\r\n"},
                            Case{"escape", "70 key ESC\n", 100, "[INTRO]\r\nTime=1\r\nPlayed=1\r\n"}}) {
        SCOPED_TRACE(run.name);
        const std::string input = std::string(run.name) + ".txt";
        const std::string frames = std::to_string(run.frames);
        char lastName[64];
        std::snprintf(lastName, sizeof lastName, "/%s/frame-%06d.png", run.name, run.frames);
        dir.write(input, run.input);
        const char* argv[] = {"vondrel",    "--headless", "--frames",  frames.c_str(), "--input",      input.c_str(),
                              "--ini",      "demo.ini",   "--dump-dir", run.name,      "--dump-every", "20",
                              "-path",      VONDREL_DEMO_GAME};
        {
            test::ScopedCurrentDirectory here(dir.path());
            ASSERT_EQ(host::run(static_cast<int>(std::size(argv)), argv), 0);
        }
        EXPECT_TRUE(box.boxes.empty());
        // Frame 60 shows the movie (its yellow disc) centred on the black background.
        platform::RgbFrame intro, last;
        ASSERT_TRUE(platform::readPng(dir.path() + "/" + run.name + "/frame-000060.png", intro));
        EXPECT_TRUE(near(pixel(intro, 400, 280), {0xff, 0xec, 0x27}));
        EXPECT_TRUE(near(pixel(intro, 100, 100), {0, 0, 0}));
        // The last frame is the title's, with its door: the game ran to the end.
        ASSERT_TRUE(platform::readPng(dir.path() + lastName, last));
        EXPECT_TRUE(near(pixel(last, 650, 300), {0x5f, 0x3a, 0x1e}));
        EXPECT_NE(dir.read("demo.ini").find(run.kept), std::string::npos) << dir.read("demo.ini");
        dir.remove("demo.ini");
    }
}

TEST_F(DemoGame, TwoRunsGiveTheSameFramesAndTheSameSound) {
    // The music's refills run in the frame step on the headless clock, so neither the
    // frames nor what the audio device was asked differ between runs.
    const std::vector<std::string> one = playTracingSound("one");
    dir.remove("demo.ini");  // the counter's text shows the kept settings
    const std::vector<std::string> two = playTracingSound("two");
    EXPECT_EQ(frames("one"), frames("two"));
    ASSERT_EQ(one.size(), two.size());
    for (size_t i = 0; i < one.size(); ++i) ASSERT_EQ(one[i], two[i]) << "line " << i;
    // The music streamed: refills locked parts of its buffer and its cursor moved.
    size_t refills = 0, moved = 0;
    for (const std::string& line : one) {
        if (line.find(" lock ") != std::string::npos) ++refills;
        if (line.rfind("frame ", 0) == 0 && line.find(" music ") != std::string::npos &&
            line.find(" music 0 ") == std::string::npos)
            ++moved;
    }
    EXPECT_GT(refills, 30u);
    EXPECT_GT(moved, 60u);

    // The sound effects found their files: buffers of the bell (0.6 s), the drum (0.3 s),
    // the figure's step (0.08 s) and its greeting (0.5 s, 16-bit mono at 22050 Hz) played. Buffers are
    // numbered from 1 in the order the run made them: the intro movie's sound first, before
    // the recording starts, then the music's.
    std::vector<uint32_t> sizes;
    std::set<uint32_t> played;
    for (const std::string& line : one) {
        if (line.rfind("device createBuffer ", 0) == 0) sizes.push_back(std::stoul(line.substr(20)));
        const size_t end = line.find(" play once");
        if (line.rfind("buffer ", 0) == 0 && end != std::string::npos) {
            const size_t id = std::stoul(line.substr(7, end - 7));
            if (id >= 2 && id <= sizes.size() + 1) played.insert(sizes[id - 2]);
        }
    }
    EXPECT_EQ(played, (std::set<uint32_t>{26460, 13230, 3528, 22050}));
}

TEST_F(DemoGame, TheRoomsJoystickMovesTheFigureWithTheStick) {
    // Headless, the host reads the installed joystick system: one scripted controller,
    // its stick pushed right once the figure has walked in and stands. The figure (blue, at x 150 in the
    // room) follows it 120 pixels to the right.
    platform::ScriptedJoystickSystem pads;
    platform::ScopedJoystickSystem route(pads);
    const int32_t pad = pads.attach(4);
    host::RunObserver observer;
    observer.frameDone = [&](int frame, CWindow&) {
        if (frame != 100) return;
        platform::JoystickState state;
        state.x = 1000;
        pads.setState(pad, state);
    };
    const std::string session = std::string(VONDREL_SOURCE_DIR) + "/demo/session.txt";
    const char* argv[] = {"vondrel", "--headless", "--frames", "106", "--input", session.c_str(), "--ini", "demo.ini",
                          "--dump-dir", "pad", "-path", VONDREL_DEMO_GAME};
    {
        test::ScopedCurrentDirectory here(dir.path());
        ASSERT_EQ(host::run(static_cast<int>(std::size(argv)), argv, observer), 0);
    }
    platform::RgbFrame shot;
    ASSERT_TRUE(platform::readPng(dir.path() + "/pad/last.png", shot));
    EXPECT_FALSE(near(pixel(shot, 150, 400), {0x29, 0xad, 0xff}));
    EXPECT_TRUE(near(pixel(shot, 270, 400), {0x29, 0xad, 0xff}));
}

}  // namespace

#endif
