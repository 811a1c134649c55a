// Unloads that a running script starts: RESTART, GOTO and RELOAD called from a timer's
// tick, a behaviour, an animation's event and a sound's event, each followed by more
// statements. The objects of the scene left (the running timer, behaviour, animation
// and sound among them) live on until the next application step, so the rest of the
// handler runs safely.
#include <gtest/gtest.h>

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "platform/Audio.h"
#include "platform/Png.h"
#include "scene/CMC_Application.h"
#include "script/CMC_Behaviour.h"
#include "shell/CApplication.h"
#include "shell/CWAVFile.h"
#include "shell/CWindow.h"
#include "support/HeadlessGame.h"
#include "support/ScriptTestSupport.h"
#include "tools/AnimationBuilder.h"

namespace {

using Lines = std::vector<std::string>;

// The game: APP with a STRING T, episodes EP (S1) and EP2 (S2); the game starts in
// EP and a frame later plays S2, whose lines the case gives. OTHER is a second game.
struct SceneUnload : ::testing::Test, test::HeadlessGame {
    void writeGame(const Lines& s2) {
        dir.write("GAME/Dane/application.def",
                  test::definitionText({"OBJECT=APP", "APP:TYPE=APPLICATION", "APP:EPISODES=EP, EP2", "OBJECT=EP",
                          "EP:TYPE=EPISODE", "EP:SCENES=S1", "OBJECT=EP2", "EP2:TYPE=EPISODE", "EP2:SCENES=S2",
                          "OBJECT=S1", "S1:TYPE=SCENE", "S1:PATH=S1", "OBJECT=S2", "S2:TYPE=SCENE", "S2:PATH=S2"}));
        dir.write("GAME/Dane/APP.cnv", test::definitionText({"OBJECT=T", "T:TYPE=STRING"}));
        dir.write("GAME/Dane/S1/S1.cnv", test::definitionText({"OBJECT=S1", "S1:ONINIT={T^ADD(\"1\");}"}));
        dir.write("GAME/Dane/S2/S2.cnv", test::definitionText(s2));
        dir.write("OTHER/Dane/application.def", test::definitionText({"OBJECT=NEXTAPP", "NEXTAPP:TYPE=APPLICATION"}));

        // An animation of two frames with the event "E"; a sound of 100 ms.
        platform::PngPicture frame;
        frame.width = 4;
        frame.height = 4;
        frame.pixels.assign(4 * 4 * 4, 200);
        std::string error;
        ASSERT_TRUE(platform::writePng(dir.native("f0.png"), frame, &error)) << error;
        dir.write("anim.txt", "fps 10\nframe f0.png\nframe f0.png\nevent E\n  frames 0 1\nend\n");
        ASSERT_TRUE(tools::buildAnimation(dir.native("anim.txt"), dir.native("GAME/Dane/S2/anim.ann"),
                                          tools::AnimationOptions(), &error))
            << error;
        dir.mkdir("GAME/Wavs");
        const platform::WaveFormat format{platform::kWaveFormatPcm, 1, 22050, 44100, 2, 16, 0};
        CWAVFile wav;
        ASSERT_EQ(wav.open(dir.native("GAME/Wavs/hit.wav").c_str(), &format, 2), CWAVFile::kOk);
        const std::vector<uint8_t> samples(4410, 0x10);
        uint32_t written = 0;
        ASSERT_EQ(wav.write(4410, samples.data(), &written), CWAVFile::kOk);
        ASSERT_EQ(wav.close(), CWAVFile::kOk);
    }
};

TEST_F(SceneUnload, ScriptsGoOnAfterAnUnloadTheyStarted) {
    struct Trigger {
        const char* name;
        // S2's objects; HANDLER stands for the handler's code.
        Lines lines;
        // Whether the test runs B once S2 is played (as an input handler would); the
        // other triggers go off by themselves.
        bool runBehaviour;
    };
    const Trigger triggers[] = {
        {"timer", {"OBJECT=TM", "TM:TYPE=TIMER", "TM:ELAPSE=100", "TM:ONTICK={HANDLER}"}, false},
        {"behaviour", {"OBJECT=B", "B:TYPE=BEHAVIOUR", "B:CODE={HANDLER}"}, true},
        {"animation", {"OBJECT=A", "A:TYPE=ANIMO", "A:FILENAME=anim.ann", "A:TOCANVAS=TRUE", "A:ONFINISHED={HANDLER}",
                       "OBJECT=__INIT__", "__INIT__:TYPE=BEHAVIOUR", "__INIT__:CODE={A^PLAY(\"E\");}"},
         false},
        {"sound", {"OBJECT=S", "S:TYPE=SOUND", "S:FILENAME=hit.wav", "S:ONFINISHED={HANDLER}", "OBJECT=__INIT__",
                   "__INIT__:TYPE=BEHAVIOUR", "__INIT__:CODE={S^PLAY();}"},
         false},
    };
    struct Call {
        const char* code;
        const char* application;  // the game played afterwards
        const char* episode;
        // T's growth from the trigger on; nothing to read after RELOAD.
        const char* trace;
    };
    const Call calls[] = {
        // The start episode is entered at once: S1's init runs inside the call, and
        // the scene left finds nothing by name afterwards.
        {"APP^RESTART();", "APP", "EP", "<1>!"},
        // The change waits for the step: the rest of the handler still finds S2's objects.
        {"APP^GOTO(\"EP\");", "APP", "EP", "<>2!1"},
        {"APP^RELOAD(\"OTHER\");", "NEXTAPP", nullptr, nullptr},
    };
    // After the call the handler names itself and the scene's other objects, runs a
    // behaviour of the scene and writes to the application's string.
    const std::string handler =
        "T^ADD(\"<\");CALL;T^ADD(\">\");TM^DISABLE();A^HIDE();S^SETVOLUME(0);B2^RUN();T^ADD(\"!\");";

    for (const Trigger& trigger : triggers) {
        for (const Call& call : calls) {
            SCOPED_TRACE(std::string(trigger.name) + " " + call.code);
            std::string code = handler;
            code.replace(code.find("CALL"), 4, call.code);
            Lines lines;
            for (std::string line : trigger.lines) {
                const size_t at = line.find("HANDLER");
                if (at != std::string::npos) line.replace(at, 7, code);
                lines.push_back(line);
            }
            for (const char* more : {"OBJECT=B2", "B2:TYPE=BEHAVIOUR", "B2:CODE={T^ADD(\"2\");}"})
                lines.push_back(more);
            writeGame(lines);
            startGame();
            ASSERT_NE(app(), nullptr);
            test::runCode(app()->getCurrentScene()->getCurrentScene(), "APP^GOTO(\"EP2\");");
            frame();
            ASSERT_NE(playing(), nullptr);
            ASSERT_STREQ(playing()->getName().c_str(), "S2");

            const std::string before = test::textValue(app(), "T");
            if (trigger.runBehaviour) {
                ASSERT_TRUE(test::hasObject(playing(), "B"));
                test::runBehaviour(playing(), "B");
            }
            for (int i = 0; i < 10; ++i) frame();
            ASSERT_NE(app(), nullptr);
            EXPECT_STREQ(app()->getName().c_str(), call.application);
            if (call.episode) {
                EXPECT_STREQ(app()->getCurrentScene()->getName().c_str(), call.episode);
                // The handler ran once and to its end.
                EXPECT_EQ(test::textValue(app(), "T").substr(before.size()), call.trace);
            }
            EXPECT_EQ(CMC_Behaviour::trashCount(), 0);
            stopGame();
        }
    }
}

}  // namespace
