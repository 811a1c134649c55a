// MOVIE on the test videos in 40 ms frames of the manual clock: the frames shown (the
// red field of count.avi's frame N is N), the events, loops, seeks, pause, an inactive
// window, a movie without a file, the scene image that leaves it out, replacement from
// its own ONFINISHED, the sound kept to the picture, and the real worker thread on a
// window with a poller thread.
#include "media/CMC_Movie.h"

#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>
#include <memory>
#include <string>
#include <thread>
#include <vector>

#include "foundation/CXArchive.h"
#include "graphics/play/CMoviePlayable.h"
#include "graphics/screen/CDirectDrawSurface.h"
#include "graphics/screen/CRefreshScreen.h"
#include "media/CMC_Movie_Runner.h"
#include "platform/Audio.h"
#include "platform/Clock.h"
#include "platform/Thread.h"
#include "platform/Video.h"
#include "scene/CMC_Scene.h"
#include "script/CMC_RunnerFactory.h"
#include "script/CMElement.h"
#include "script/RunnerTestSupport.h"
#include "shell/CApplication.h"
#include "shell/CMovieSound.h"
#include "shell/CSndStream.h"
#include "shell/CWindow.h"
#include "support/MovieFixtures.h"
#include "support/ScriptTestSupport.h"
#include "support/TempDir.h"

namespace {

class MovieWorld : public ::testing::Test {
protected:
    MovieWorld() : here(world.dir().path()) {
        world.enableDisplay(CXSize(64, 48));
        application = std::make_unique<CApplication>(world.window(), CXString(), CXString(), nullptr);
        for (const char* name : {"count.avi", "clip.mpg"})
            std::filesystem::copy_file(test::movieFixture(name), world.dir().native(name));
        defScene = std::make_unique<CMC_Scene>(world.window(), CMC_Scene::kType);
    }
    ~MovieWorld() override {
        if (scene) scene->unload();
        world.applicationStep();
        defScene.reset();
        CMC_Scene::doneDefUnit();
        application.reset();
    }

    // A scene with MOVIE M (the given properties), INTEGER FRAMES counting its frame
    // reports and STRING LOG with "s" and "f" for its start and finish.
    CMC_ObjectsContainer* load(const test::Lines& properties) {
        test::Lines lines = test::object("M", "MOVIE", properties);
        lines.push_back("M:ONSTARTED={LOG^ADD(\"s\");}");
        lines.push_back("M:ONFINISHED={LOG^ADD(\"f\");}");
        lines.push_back("M:ONFRAMEUPDATED={FRAMES^INC();}");
        test::append(lines, test::object("FRAMES", "INTEGER", {"VALUE=0"}));
        test::append(lines, test::object("LOG", "STRING"));
        scene = world.loadScene("movie.cnv", lines);
        return scene;
    }
    CMC_ObjectsContainer* loadCount() { return load({"FILENAME=count.avi", "PRIORITY=1"}); }
    CMC_Movie* object() { return dynamic_cast<CMC_Movie*>(scene->getObject("M")); }
    void run(const std::string& code) { test::runCode(scene, code.c_str()); }
    std::string log() { return test::textValue(scene, "LOG"); }
    int frames() { return test::intValue(scene, "FRAMES"); }
    std::string call(int id, std::initializer_list<const char*> args = {}) {
        test::Args list(args);
        return test::text(CMC_RunnerFactory::getRunner(CMC_Movie::kType)->run(id, object(), scene, list.get()));
    }
    uint16_t screenAt(int x, int y) {
        CDirectDrawSurface* drawn = world.screen()->getRefreshDestiny();
        return reinterpret_cast<uint16_t*>(drawn->GetDataPtr())[y * drawn->GetPitch() + x];
    }
    // The count frame on screen at (x, y), by its red field.
    int shown(int x = 3, int y = 3) { return screenAt(x, y) >> 11; }
    // The frames shown, one entry per change, over `steps` 40 ms frames.
    std::vector<int> watch(int steps) {
        std::vector<int> seen;
        for (int i = 0; i < steps; ++i) {
            world.frame(40);
            if (seen.empty() || seen.back() != shown()) seen.push_back(shown());
        }
        return seen;
    }
    static std::vector<int> range(int from, int to) {
        std::vector<int> r;
        for (int i = from; i <= to; ++i) r.push_back(i);
        return r;
    }

    platform::ManualAudioSystem audio;
    platform::ScopedAudio audioScope{audio};
    test::ScriptWorld world;
    test::ScopedCurrentDirectory here;
    std::unique_ptr<CApplication> application;
    std::unique_ptr<CMC_Scene> defScene;
    CMC_ObjectsContainer* scene = nullptr;
};

TEST_F(MovieWorld, PlaysEveryFrameOnceThenFinishesOnce) {
    ASSERT_NE(loadCount(), nullptr);
    CMoviePlayable* movie = object()->getMovie();
    EXPECT_EQ(movie->Width(), 16);
    EXPECT_EQ(movie->Height(), 16);
    EXPECT_FALSE(movie->hasWorker());  // no poller thread: the timer step decodes
    run("M^PLAY();");
    EXPECT_EQ(log(), "s");
    EXPECT_EQ(call(CMC_Movie_Runner::kIsPlaying), "TRUE");
    // The frame is on screen where the movie is, with its blue field.
    const std::vector<int> seen = watch(90);
    EXPECT_EQ(seen, range(0, 29));
    EXPECT_EQ(screenAt(15, 15), uint16_t(29 << 11 | 2));
    EXPECT_EQ(screenAt(16, 16), 0);  // outside the movie
    EXPECT_EQ(frames(), 30);
    EXPECT_EQ(log(), "sf");
    EXPECT_FALSE(movie->isPlaying());
}

TEST_F(MovieWorld, LoopBetweenOneAndTwoSecondsNeverFinishes) {
    ASSERT_NE(loadCount(), nullptr);
    run("M^SETLOOP(1000, 2000);M^PLAY();");
    EXPECT_EQ(object()->getMovie()->getLoopEnd(), 20000000);
    // Frame 20 lies on the loop's end and is shown; frame 21 sends it back to 10.
    std::vector<int> expected = range(0, 20);
    for (int loop = 0; loop < 3; ++loop) {
        const std::vector<int> again = range(10, 20);
        expected.insert(expected.end(), again.begin(), again.end());
    }
    EXPECT_EQ(watch(54 + 3 * 27), expected);
    EXPECT_EQ(log(), "s");
}

TEST_F(MovieWorld, LoopWithoutArgumentsWrapsTheWholeVideo) {
    ASSERT_NE(loadCount(), nullptr);
    run("M^SETLOOP();M^PLAY();");
    EXPECT_EQ(object()->getMovie()->getLoopEnd(), -1);
    std::vector<int> expected = range(0, 29);
    const std::vector<int> again = range(0, 29);
    expected.insert(expected.end(), again.begin(), again.end());
    EXPECT_EQ(watch(150), expected);
    EXPECT_EQ(log(), "s");
    EXPECT_GE(frames(), 60);
}

TEST_F(MovieWorld, SeeksInMillisecondsWithoutOverflow) {
    ASSERT_NE(loadCount(), nullptr);
    run("M^PLAY();");
    world.frames(3, 40);
    run("M^SEEK(1500);");
    // The window paints before its timers run: what a step takes in shows one frame later.
    world.frames(2, 40);
    EXPECT_EQ(shown(), 15);
    world.frames(3, 40);
    EXPECT_EQ(shown(), 16);
    // 300,000 ms is past the end (a 32-bit product would wrap to a time before it).
    run("M^SEEK(300000);");
    world.frame(40);
    EXPECT_EQ(log(), "sf");
}

TEST_F(MovieWorld, PauseHoldsTheClockAndAnInactiveWindowPullsNoFrames) {
    ASSERT_NE(loadCount(), nullptr);
    run("M^PLAY();");
    world.frames(6, 40);
    EXPECT_EQ(shown(), 2);
    run("M^PAUSE();");
    EXPECT_EQ(call(CMC_Movie_Runner::kIsPlaying), "FALSE");
    const int reported = frames();
    world.frames(25, 40);
    EXPECT_EQ(shown(), 2);
    EXPECT_EQ(frames(), reported);
    run("M^RESUME();");
    world.frames(3, 40);
    EXPECT_EQ(shown(), 3);

    world.window()->Activate(false);
    const int before = frames();
    world.frames(25, 40);
    EXPECT_EQ(frames(), before);
    EXPECT_EQ(shown(), 3);
    world.window()->Activate(true);
    world.frame(40);
    EXPECT_GT(frames(), before);
    EXPECT_EQ(log(), "s");
}

TEST_F(MovieWorld, StopReportsTheFinishOnlyWhenAsked) {
    ASSERT_NE(loadCount(), nullptr);
    run("M^PLAY();");
    world.frames(3, 40);
    run("M^STOP(FALSE);");
    EXPECT_EQ(log(), "s");
    const int reported = frames();
    world.frames(10, 40);
    EXPECT_EQ(frames(), reported);
    run("M^PLAY();M^STOP();");
    EXPECT_EQ(log(), "ssf");
}

TEST_F(MovieWorld, WithoutAFilePlayFinishesAtOnceUntilLoadOpensOne) {
    ASSERT_NE(load({"PRIORITY=5", "POSITION=10,20"}), nullptr);
    CMoviePlayable* movie = object()->getMovie();
    EXPECT_EQ(movie->GetCanvas(), world.screen());
    EXPECT_EQ(movie->CGraphicsObject::GetPosition(), CXPoint(10, 20));
    run("M^PLAY();");
    EXPECT_EQ(log(), "f");
    EXPECT_EQ(call(CMC_Movie_Runner::kLoad, {"\"missing.avi\""}), "FALSE");
    EXPECT_EQ(call(CMC_Movie_Runner::kLoad, {"\"count.avi\""}), "TRUE");
    run("M^PLAY();M^SETPOSITION(30, 4);");
    EXPECT_EQ(log(), "fs");
    world.frames(2, 40);
    EXPECT_EQ(shown(33, 7), 0);
    EXPECT_EQ(screenAt(33, 7), 31);
    // CLONE makes nothing.
    run("M^CLONE(1);");
    EXPECT_FALSE(test::hasObject(scene, "M_1"));
}

TEST_F(MovieWorld, NegativePriorityKeepsItOffScreenButPlaying) {
    ASSERT_NE(load({"FILENAME=count.avi", "PRIORITY=-1"}), nullptr);
    EXPECT_EQ(object()->getMovie()->GetCanvas(), nullptr);
    run("M^PLAY();");
    world.frames(10, 40);
    EXPECT_GT(frames(), 2);
    EXPECT_EQ(screenAt(3, 3), 0);
}

TEST_F(MovieWorld, MpegClipPlaysAtItsSizeWithItsSoundOnTheDevice) {
    ASSERT_NE(load({"FILENAME=clip.mpg"}), nullptr);
    CMoviePlayable* movie = object()->getMovie();
    EXPECT_EQ(movie->Width(), 32);
    EXPECT_EQ(movie->Height(), 32);
    auto* sound = dynamic_cast<CMovieSound*>(movie->getSoundOutput());
    ASSERT_NE(sound, nullptr);
    platform::IAudioBuffer* buffer = sound->getStream()->getBuffer();
    ASSERT_NE(buffer, nullptr);
    // Silent before it plays.
    auto peak = [&] {
        void* part1 = nullptr;
        void* part2 = nullptr;
        uint32_t bytes1 = 0, bytes2 = 0;
        int top = 0;
        if (buffer->lock(0, sound->getStream()->GetBufferSize(), &part1, &bytes1, &part2, &bytes2, 0) !=
            platform::kAudioOk)
            return -1;
        const auto* samples = static_cast<const int16_t*>(part1);
        for (uint32_t i = 0; i < bytes1 / 2; ++i) top = std::max(top, std::abs(int(samples[i])));
        buffer->unlock(part1, bytes1, part2, bytes2);
        return top;
    };
    EXPECT_EQ(peak(), 0);
    run("M^PLAY();");
    EXPECT_TRUE(sound->getStream()->IsPlaying());
    // The tone is streamed into the device's buffer, never running dry while it lasts.
    int quiet = 0;
    for (int i = 0; i < 40; ++i) {
        world.frame(40);
        if (i >= 5 && peak() < 1000) ++quiet;
    }
    EXPECT_EQ(quiet, 0);
    world.frames(30, 40);
    EXPECT_GE(frames(), 45);
    EXPECT_EQ(log(), "sf");
    EXPECT_FALSE(sound->getStream()->IsPlaying());
}

// A scripted movie whose every sample tells the millisecond it belongs to (1000 + ms,
// so silence tells nothing): what the device plays at its cursor keeps within a frame
// (40 ms) of the picture taken in, at the start, after a seek, after a pause and
// across a loop's return.
TEST_F(MovieWorld, SoundKeepsToThePictureAtTheStartAfterASeekAPauseAndALoop) {
    constexpr int32_t kRate = 22050;
    platform::ScriptedVideoSystem videos;
    platform::ScriptedVideo scripted;
    for (int i = 0; i < 100; ++i) {  // 4 s at 25 frames a second
        scripted.times.push_back(i * INT64_C(400000));
        scripted.colours.push_back(static_cast<uint16_t>(i << 5));
    }
    for (int32_t k = 0; k < kRate * 4; ++k)  // mono, as the device's mix format
        scripted.audio.push_back(static_cast<int16_t>(1000 + k * INT64_C(1000) / kRate));
    videos.add("synced.avi", scripted);
    platform::ScopedVideoSystem scope(videos);
    world.dir().write("synced.avi", "any bytes: the scripted system plays it by name");
    ASSERT_NE(load({"FILENAME=synced.avi", "PRIORITY=1"}), nullptr);
    CMoviePlayable* movie = object()->getMovie();
    auto* sound = dynamic_cast<CMovieSound*>(movie->getSoundOutput());
    ASSERT_NE(sound, nullptr);
    platform::IAudioBuffer* buffer = sound->getStream()->getBuffer();
    ASSERT_NE(buffer, nullptr);
    platform::WaveFormat format;
    ASSERT_EQ(buffer->getFormat(&format), platform::kAudioOk);
    ASSERT_EQ(format.samplesPerSec, uint32_t(kRate));
    ASSERT_EQ(format.channels, 1);
    // Milliseconds of the sound played now past the picture's (negative: behind it).
    auto lead = [&]() -> int64_t {
        uint32_t cursor = 0;
        if (buffer->getCurrentPosition(&cursor, nullptr) != platform::kAudioOk) return -9999;
        void* part1 = nullptr;
        void* part2 = nullptr;
        uint32_t bytes1 = 0, bytes2 = 0;
        if (buffer->lock(cursor / 2 * 2, 2, &part1, &bytes1, &part2, &bytes2, 0) != platform::kAudioOk) return -9999;
        const int16_t heard = *static_cast<const int16_t*>(part1);
        buffer->unlock(part1, bytes1, part2, bytes2);
        return heard - 1000 - movie->getFrameTime() / 10000;
    };
    struct Phase {
        const char* label;
        const char* code;
        int64_t pictureAfterMs;  // the picture's time after the phase's 15 frames at least
    };
    const Phase phases[] = {{"start", "M^PLAY();", 560},
                            {"seek", "M^SEEK(2000);", 2560},
                            {"pause", "M^PAUSE();", 3160},
                            {"loop", "M^SETLOOP(480, 1000);", 480}};
    for (const Phase& p : phases) {
        SCOPED_TRACE(p.label);
        run(p.code);
        if (std::string(p.label) == "pause") {
            world.frames(10, 40);
            run("M^RESUME();");
        }
        int64_t worst = 0;
        for (int i = 0; i < 15; ++i) {
            world.frame(40);
            const int64_t l = lead();
            if (std::abs(l) > std::abs(worst)) worst = l;
        }
        EXPECT_LE(std::abs(worst), 40) << worst;
        EXPECT_GE(movie->getFrameTime(), p.pictureAfterMs * 10000);
        EXPECT_TRUE(sound->getStream()->IsPlaying());
    }
}

TEST_F(MovieWorld, WithSoundOffAMovieMakesNoSound) {
    world.window()->SoundOn(false);
    ASSERT_NE(load({"FILENAME=clip.mpg"}), nullptr);
    EXPECT_EQ(object()->getMovie()->getSoundOutput(), nullptr);
    EXPECT_EQ(object()->getMovie()->Width(), 32);
}

TEST_F(MovieWorld, ADecodeErrorEndsTheMovieAndGarbageDoesNotOpen) {
    platform::ScriptedVideoSystem videos;
    platform::ScriptedVideo scripted;
    scripted.times = {0, 1000000, 2000000, 3000000, 4000000};
    scripted.colours = {0x0800, 0x1000, 0x1800, 0x2000, 0x2800};
    scripted.failAt = 3;
    videos.add("broken.avi", scripted);
    platform::ScopedVideoSystem scope(videos);
    world.dir().write("broken.avi", "any bytes: the scripted system plays it by name");
    world.dir().write("garbage.avi", std::string(3000, '\x41'));
    ASSERT_NE(load({"FILENAME=broken.avi", "PRIORITY=1"}), nullptr);
    run("M^PLAY();");
    world.frames(100, 40);
    EXPECT_EQ(frames(), 3);
    EXPECT_EQ(log(), "sf");
    EXPECT_EQ(shown(), 3);
    EXPECT_EQ(call(CMC_Movie_Runner::kLoad, {"\"garbage.avi\""}), "FALSE");
    EXPECT_EQ(videos.opens(), 2);
    run("M^PLAY();");
    EXPECT_EQ(log(), "sff");
}

TEST_F(MovieWorld, AStoredSceneLeavesTheMovieOutAndReadsTheObjectsAfterIt) {
    test::Lines lines = test::object("A", "INTEGER", {"VALUE=7"});
    test::append(lines, test::object("M", "MOVIE", {"FILENAME=count.avi"}));
    test::append(lines, test::object("B", "INTEGER", {"VALUE=9"}));
    world.writeDefinition("SC.cnv", lines);
    std::unique_ptr<CMElement> element(test::makeElement("SC", {{"TYPE", "SCENE"}}));
    auto stored = std::make_unique<CMC_Scene>(world.window(), nullptr, element.get(), CMC_Scene::kType);
    stored->loadCnv();
    ASSERT_TRUE(test::hasObject(stored.get(), "M"));
    const std::string bytes = test::archiveBytes([&](CXArchive& a) { stored->writeImage(&a); });
    auto copy = std::make_unique<CMC_Scene>(world.window(), CMC_Scene::kType);
    test::readArchive(bytes, [&](CXArchive& a) { copy->readImage(&a); });
    EXPECT_FALSE(test::hasObject(copy.get(), "M"));
    EXPECT_EQ(test::intValue(copy.get(), "A"), 7);
    EXPECT_EQ(test::intValue(copy.get(), "B"), 9);
}

TEST_F(MovieWorld, ReplacedFromItsOwnFinish) {
    ASSERT_NE(loadCount(), nullptr);
    CMC_Movie* first = object();
    auto* replace = new test::RecordingBehaviour(scene, "REPLACE");
    scene->addObject(replace);
    first->addBehaviour("ONFINISHED", replace, nullptr, scene);
    bool oldLeftTheScreen = false;
    replace->onRun = [&](CMC_Object*) {
        std::unique_ptr<CMElement> element(
            test::makeElement("M", {{"TYPE", "MOVIE"}, {"FILENAME", "count.avi"}, {"PRIORITY", "1"}}));
        auto* fresh = new CMC_Movie(scene, element.get());
        scene->addObject(fresh);
        // The replaced one waits for the trash off the screen.
        oldLeftTheScreen = first->getMovie()->GetCanvas() == nullptr && !first->getMovie()->isPlaying();
        fresh->getMovie()->play();
    };
    run("M^PLAY();M^SEEK(2800);");
    world.frames(10, 40);
    EXPECT_EQ(replace->count(), 1);
    EXPECT_TRUE(oldLeftTheScreen);
    ASSERT_NE(object(), nullptr);
    EXPECT_NE(object(), first);
    EXPECT_TRUE(object()->getMovie()->isPlaying());
    world.frames(5, 40);
    EXPECT_GE(shown(), 1);
}

TEST(MovieThread, TheWorkerDecodesAndIsJoinedOnStopAndDeletion) {
    std::unique_ptr<CWindow> window(
        new CWindow(nullptr, nullptr, nullptr, CXSize(), nullptr, CWindow::exePath, false));
    ASSERT_NE(window->getPollerThread(), nullptr);
    window->Activate(true);
    const std::string file = test::movieFixture("count.avi");
    for (const bool deleteWhilePlaying : {false, true}) {
        auto movie = std::make_unique<CMoviePlayable>(window.get(), CXString(file.c_str()));
        ASSERT_TRUE(movie->isOpen());
        movie->play();
        ASSERT_TRUE(movie->hasWorker());
        // The real clock runs: the worker puts the frames due in the buffer and the
        // timer step takes them.
        const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(10);
        while (movie->getFrameTime() < 2000000 && std::chrono::steady_clock::now() < deadline) {
            std::this_thread::sleep_for(std::chrono::milliseconds(5));
            movie->onTimer(0);
        }
        EXPECT_GE(movie->getFrameTime(), 2000000);
        if (deleteWhilePlaying) {
            movie.reset();
            continue;
        }
        movie->stop(false);
        EXPECT_FALSE(movie->hasWorker());
        const int64_t shown = movie->getFrameTime();
        std::this_thread::sleep_for(std::chrono::milliseconds(150));
        movie->onTimer(0);
        EXPECT_EQ(movie->getFrameTime(), shown);
    }
}

}  // namespace
