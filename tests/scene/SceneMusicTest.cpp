// A game's background music on the manual device and refill timer: scenes that name
// the same music keep it looping, a change to a scene that spells it otherwise starts
// it again, a scene asking for the music playing in any spelling keeps it, and each
// loop reaches the handler of the scene being played in that frame's tick.
#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "media/CMC_Sound.h"
#include "scene/CMC_Application.h"
#include "shell/CApplication.h"
#include "shell/CSound4.h"
#include "shell/CUnit6.h"
#include "shell/CWindow.h"
#include "support/HeadlessGame.h"
#include "support/ScriptTestSupport.h"

namespace {

struct SceneMusic : ::testing::Test, test::HeadlessGame {
    // S1 and S2 name "loop.wav", S3 "LOOP.WAV"; each scene's loop handler adds its digit.
    void startGame() {
        dir.write("GAME/Dane/application.def",
                  test::definitionText({"OBJECT=APP", "APP:TYPE=APPLICATION", "APP:EPISODES=EP", "OBJECT=EP", "EP:TYPE=EPISODE",
                          "EP:SCENES=S1,S2,S3", "OBJECT=S1", "S1:TYPE=SCENE", "S1:PATH=S1", "S1:MUSIC=loop.wav",
                          "OBJECT=S2", "S2:TYPE=SCENE", "S2:PATH=S2", "S2:MUSIC=loop.wav", "OBJECT=S3",
                          "S3:TYPE=SCENE", "S3:PATH=S3", "S3:MUSIC=LOOP.WAV"}));
        dir.write("GAME/Dane/APP.cnv", test::definitionText({"OBJECT=T", "T:TYPE=STRING", "OBJECT=V", "V:TYPE=INTEGER"}));
        for (const char* s : {"1", "2", "3"}) {
            const std::string name = std::string("S") + s;
            dir.write("GAME/Dane/" + name + "/" + name + ".cnv",
                      test::definitionText({"OBJECT=" + name, name + ":ONMUSICLOOPED={T^ADD(\"" + s + "\");}",
                                            "OBJECT=SND", "SND:TYPE=SOUND", "SND:FILENAME=long.wav"}));
        }
        dir.write("loop.wav", test::millisecondWav(500));
        dir.write("GAME/Wavs/long.wav", test::millisecondWav(5000));
        HeadlessGame::startGame();
        firstUpdate();
    }
    // The refresh screen's first redraw of an entered scene.
    void firstUpdate() { window->getCurrentUnit()->onInitialUpdate(); }
    std::string trace() { return test::textValue(app(), "T"); }
    void run(const std::string& code) { test::runCode(app()->getCurrentScene()->getCurrentScene(), code.c_str()); }
    // Every start of music makes a new streaming buffer.
    size_t musicStarts() { return audio.callsStartingWith("device createBuffer").size(); }
};

TEST_F(SceneMusic, LoopsReachTheSceneBeingPlayedAndTheSameMusicGoesOn) {
    startGame();
    ASSERT_NE(app(), nullptr);
    ASSERT_TRUE(window->isMusicPlaying());
    EXPECT_EQ(musicStarts(), 1u);
    // The buffer holds 1.2 s: the opening fill repeats the 0.5 s data without a loop;
    // the 7th refill starts the data again (stream byte 1500) and that frame's tick
    // raises the loop.
    for (int i = 0; i < 6; ++i) frame();
    EXPECT_EQ(trace(), "");
    frame();
    EXPECT_EQ(trace(), "1");

    // S2 names the same music: it goes on, and its loops reach S2.
    run("EP^GOTO(\"S2\");");
    frame();
    firstUpdate();
    EXPECT_EQ(musicStarts(), 1u);
    for (int i = 0; i < 8; ++i) frame();
    EXPECT_EQ(trace(), "1");
    frame();
    EXPECT_EQ(trace(), "12");

    // S3 spells it otherwise: the music starts again from its beginning.
    run("EP^GOTO(\"S3\");");
    frame();
    firstUpdate();
    ASSERT_TRUE(window->isMusicPlaying());
    EXPECT_EQ(musicStarts(), 2u);
    EXPECT_EQ(window->getMusicFileName(), CWindow::rootPath + "LOOP.WAV");
    for (int i = 0; i < 6; ++i) frame();
    EXPECT_EQ(trace(), "12");
    frame();
    EXPECT_EQ(trace(), "123");
    for (int i = 0; i < 20; ++i) frame();
    EXPECT_EQ(trace(), "12333");

    // A scene asked for its music by name: the name playing goes on in any spelling,
    // forced or not; another name starts.
    CMC_Scene* scene = app()->getCurrentScene()->getCurrentScene();
    scene->startMusic("LOOP.WAV", false);
    scene->startMusic("Loop.wav", false);
    scene->startMusic("loop.WAV", true);
    ASSERT_TRUE(window->isMusicPlaying());
    EXPECT_EQ(musicStarts(), 2u);
    EXPECT_EQ(window->getMusicFileName(), CWindow::rootPath + "LOOP.WAV");
    dir.write("other.wav", test::millisecondWav(500));
    scene->startMusic("other.wav", false);
    EXPECT_EQ(musicStarts(), 3u);
    EXPECT_EQ(window->getMusicFileName(), CWindow::rootPath + "other.wav");

    // Leaving the game stops the music and its refills.
    application.reset();
    EXPECT_FALSE(window->isMusicPlaying());
    EXPECT_EQ(timer.count(), 0);
}

// A loop counted after the tick raised the frame's loops (the refill thread runs when
// it will) and before the music stops or the scene changes in the application step
// belongs to no scene: the next tick raises nothing. Later loops reach the new scene.
TEST_F(SceneMusic, ALoopOfTheMusicOrSceneLeftIsDropped) {
    struct Case {
        const char* code;  // run in S1 before the step; empty: the scene stops its music
        std::string later;  // what the loops of the next 30 frames add
    };
    const Case cases[] = {
        {"EP^GOTO(\"S2\");", "222"},  // the same music goes on
        {"EP^GOTO(\"S3\");", "333"},  // started again
        {"", ""},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.code);
        startGame();
        ASSERT_NE(app(), nullptr);
        for (int i = 0; i < 6; ++i) frame();
        CMC_Scene* s1 = app()->getCurrentScene()->getCurrentScene();
        if (*c.code) run(c.code);
        // The frame of the 7th refill, with the refill after the tick.
        clock.advance(50);
        window->Tick();
        timer.runDue();
        ASSERT_EQ(window->getPendingMusicLoops(), 1);
        if (!*c.code) s1->stopMusic();
        application->domodal();
        EXPECT_EQ(window->getPendingMusicLoops(), 0);
        if (*c.code) firstUpdate();
        frame();
        EXPECT_EQ(trace(), "");
        for (int i = 0; i < 30; ++i) frame();
        EXPECT_EQ(trace(), c.later);
        stopGame();
    }
}

// The scene's music methods reach the music playing.
TEST_F(SceneMusic, MusicMethodsReachTheMusicPlaying) {
    startGame();
    ASSERT_TRUE(window->isMusicPlaying());
    auto calls = [this](const std::string& part) {
        size_t n = 0;
        for (const std::string& call : audio.calls()) n += call.find(part) != std::string::npos;
        return n;
    };
    struct Case {
        const char* code;
        const char* call;  // the music buffer's call it makes
    };
    for (const Case& c : {Case{"S1^SETMUSICVOLUME(26);", " setVolume -3096"}, Case{"S1^SETMUSICPAN(1949);", " setPan 3098"},
                          Case{"S1^SETMUSICPAN(-1150);", " setPan -10000"},
                          Case{"S1^SETMUSICFREQ(11025);", " setFrequency 11025"}}) {
        SCOPED_TRACE(c.code);
        const size_t before = calls(c.call);
        run(c.code);
        EXPECT_EQ(calls(c.call), before + 1);
    }
    run("V^SET(S1^GETMUSICVOLUME());");
    EXPECT_EQ(test::intValue(app(), "V"), 26);

    run("S1^STOPMUSIC();");
    EXPECT_FALSE(window->isMusicPlaying());
    run("S1^STARTMUSIC();");
    EXPECT_TRUE(window->isMusicPlaying());
    EXPECT_EQ(musicStarts(), 2u);
    dir.write("other.wav", test::millisecondWav(500));
    run("S1^STARTMUSIC(\"other.wav\");");
    EXPECT_EQ(window->getMusicFileName(), CWindow::rootPath + "other.wav");
    EXPECT_EQ(musicStarts(), 3u);
}

// PAUSE reaches the application's sound manager; RESUME plays the sound on.
TEST_F(SceneMusic, PauseAndResumeReachTheScenesSounds) {
    startGame();
    auto* sound = dynamic_cast<CMC_Sound*>(app()->getCurrentScene()->getCurrentScene()->getObject(CXString("SND")));
    ASSERT_NE(sound, nullptr);
    run("SND^PLAY();");
    frame();
    ASSERT_NE(sound->getSound(), nullptr);
    ASSERT_TRUE(sound->getSound()->isPlaying());
    run("S1^PAUSE();");
    EXPECT_TRUE(sound->getSound()->isPaused());
    frame();
    run("S1^RESUME();");
    EXPECT_TRUE(sound->getSound()->isPlaying());
}

}  // namespace
