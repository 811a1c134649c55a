#include <gtest/gtest.h>

#include <cstring>
#include <memory>
#include <string>
#include <vector>

#include "foundation/CFile.h"
#include "graphics/play/CAnimationManager.h"
#include "graphics/play/CAnimo.h"
#include "graphics/play/CAnimo6.h"
#include "graphics/play/CFrame.h"
#include "graphics/input/CCollisionInspector.h"
#include "platform/Clock.h"
#include "script/CMElement.h"
#include "shell/CApplication.h"
#include "shell/CWindow.h"
#include "support/TempDir.h"
#include "tests/graphics/play/AnimationFixtures.h"
#include "tests/graphics/play/RecordingSounds.h"

namespace {

// Records every notify code, and the frame shown at each tick.
struct Recorder : CPlayableObserver {
    bool onPlayableStarted(CPlayable*) override { return note("1"); }
    bool onPlayableTick(CPlayable* p) override {
        return note("2:" + std::to_string(static_cast<CAnimo*>(p)->GetCurrentFrameInSequence()));
    }
    bool onPlayableFinished(CPlayable*) override { return note("3"); }
    bool onPlayableResumed(CPlayable*) override { return note("4"); }
    bool note(const std::string& s) {
        log.push_back(s);
        return true;
    }
    std::vector<std::string> log;
};

// An animation of `frames` 1 x 1 frames (frame i has pixel value i) and the events given.
void fill(CAnimo& a, int frames) {
    for (int i = 0; i < frames; ++i) {
        CGraphicsObject picture(nullptr, CXSize(1, 1), 16);
        picture.GetDataPtr()[0] = static_cast<char>(i);
        a.AddFrame(&picture);
    }
}

_annEventInfo3 event(const char* name, std::vector<uint16_t> frames, int loopStart = 0, int loopEnd = 0,
                     int loopCount = 0, int flags = 0) {
    _annEventInfo3 e;
    e.name = name;
    e.frames = std::move(frames);
    e.loopStart = static_cast<uint16_t>(loopStart);
    e.loopEnd = static_cast<uint16_t>(loopEnd);
    e.loopCount = static_cast<uint16_t>(loopCount);
    e.flags = flags;
    return e;
}

// Positions shown by stepping until the animation stops (at most `limit` steps).
std::vector<int> run(CAnimo& a, int limit = 40) {
    std::vector<int> shown{a.GetCurrentFrameInSequence()};
    for (int i = 0; i < limit && a.isPlaying(); ++i) {
        a.next();
        if (a.isPlaying()) shown.push_back(a.GetCurrentFrameInSequence());
    }
    return shown;
}

TEST(CAnimoPlayback, LoopWithCountShowsTheLoopAgainThenStops) {
    CAnimo a(nullptr);
    fill(a, 6);
    a.AddEvent(event("loop", {0, 1, 2, 3, 4, 5}, 2, 5, 2));
    Recorder r;
    a.addNotifier(&r);
    a.Play("LOOP", 0, 0);
    EXPECT_EQ(run(a), (std::vector<int>{0, 1, 2, 3, 4, 5, 2, 3, 4, 5}));
    EXPECT_FALSE(a.isPlaying());
    EXPECT_EQ(std::count(r.log.begin(), r.log.end(), "3"), 1);
    EXPECT_EQ(r.log.front(), "2:0");
    EXPECT_EQ(r.log[1], "1");
    EXPECT_EQ(r.log.back(), "3");
    EXPECT_EQ(a.GetEventInfo(0)->loopCounter, 0);
}

TEST(CAnimoPlayback, EventsWithoutLoopStopOrChain) {
    CAnimo a(nullptr);
    fill(a, 3);
    a.AddEvent(event("a", {0, 1}));
    a.AddEvent(event("empty", {}));
    a.AddEvent(event("b", {2}));
    a.Play("a", 0, 0);
    EXPECT_EQ(run(a), (std::vector<int>{0, 1}));
    EXPECT_EQ(a.Current(), 1);

    a.SetAnimoFlags(CAnimo::kChainEvents);
    a.Play("a", 0, 0);
    a.next();
    a.next();  // past "a": hands over to "b", skipping the event without positions
    EXPECT_TRUE(a.isPlaying());
    EXPECT_EQ(a.GetCurrentEvent(), 2);
    EXPECT_EQ(a.Current(), 2);
    a.next();  // no event after "b": its last position again, still playing
    EXPECT_TRUE(a.isPlaying());
    EXPECT_EQ(a.Current(), 2);
}

TEST(CAnimoPlayback, PingPongTurnsAtBothEnds) {
    CAnimo a(nullptr);
    fill(a, 4);
    a.AddEvent(event("pp", {0, 1, 2, 3}, 0, 3, 0, CAnimo::kEventPingPong));
    a.Play("pp", 0, 0);
    std::vector<int> shown{a.GetCurrentFrameInSequence()};
    for (int i = 0; i < 9; ++i) shown.push_back(a.next());
    EXPECT_EQ(shown, (std::vector<int>{0, 1, 2, 3, 2, 1, 0, 1, 2, 3}));
    // A new play runs forward again.
    a.next();
    a.Play("pp", 0, 0);
    EXPECT_EQ(a.next(), 1);
}

TEST(CAnimoPlayback, NoInterruptAndHideOnStop) {
    CAnimo a(nullptr);
    fill(a, 2);
    a.AddEvent(event("locked", {0, 1}, 0, 0, 0, CAnimo::kNoInterrupt | CAnimo::kEventHideOnStop));
    a.AddEvent(event("other", {1}));
    a.Play("locked", 0, 0);
    a.Play("other", 0, 0);
    EXPECT_EQ(a.getCurrentEventName().c_str(), std::string("locked"));
    a.next();
    a.next();
    EXPECT_FALSE(a.isPlaying());
    EXPECT_FALSE(a.isVisible());
    a.Play("other", 0, 0);  // a stopped animation takes any event, and shows itself again
    EXPECT_EQ(a.getCurrentEventName().c_str(), std::string("other"));
    EXPECT_TRUE(a.isVisible());
    a.SetAnimoFlags(CAnimo::kNoInterrupt);
    a.Play("locked", 0, 0);
    EXPECT_EQ(a.getCurrentEventName().c_str(), std::string("other"));
}

TEST(CAnimoPlayback, StepsAndOpacityOfPositions) {
    CAnimo a(nullptr);
    fill(a, 2);
    a.AddEvent(event("walk", {0, 1}));
    a.GetFrameInfo(0, 1)->dx = 5;
    a.GetFrameInfo(0, 1)->dy = -2;
    a.GetFrameInfo(0, 1)->opacity = 90;
    a.GetEventInfo(0)->opacity = 255;
    a.setPosition(10, 20);
    a.Play("walk", 0, 0);
    EXPECT_EQ(a.GetPosition(), CXPoint(10, 20));
    EXPECT_EQ(a.GetOpacity(), 255);
    a.next();
    EXPECT_EQ(a.GetPosition(), CXPoint(15, 18));
    EXPECT_EQ(a.GetBoundingBox(), CXRect(15, 18, 16, 19));
    EXPECT_EQ(a.GetOpacity(), 90);
}

TEST(CAnimoPlayback, FrameSoundsPlayAndStop) {
    RecordingSoundFactory sounds;
    CAnimo a(nullptr);
    fill(a, 2);
    a.AddEvent(event("walk", {0, 1}));
    a.UpdateSoundFX(0, 0, new RecordingSound("a.wav", &sounds.log));
    a.UpdateSoundFX(0, 1, new RecordingSound("b.wav", &sounds.log));
    a.SetEventFrame(0, 0);  // not playing: no sound
    EXPECT_TRUE(sounds.log.empty());
    a.Play("walk", 0, 0);
    a.next();
    a.next();
    EXPECT_EQ(sounds.log, (std::vector<std::string>{"play a.wav", "stop! a.wav", "play b.wav", "stop! b.wav"}));
}

TEST(CAnimoPlayback, SoundTableFollowsRemovedAndExchangedPositions) {
    RecordingSoundFactory sounds;
    CAnimo a(nullptr);
    fill(a, 3);
    a.AddEvent(event("e", {0, 1, 2}));
    auto* s1 = new RecordingSound("1", &sounds.log);
    auto* s2 = new RecordingSound("2", &sounds.log);
    a.UpdateSoundFX(0, 1, s1);
    a.UpdateSoundFX(0, 2, s2);
    a.ExchangeFrames(0, 0, 2);
    EXPECT_EQ(a.getSoundFX(0, 0), s2);
    a.RemoveFrame(0, 0);
    EXPECT_EQ(a.getSoundFX(0, 0), s1);
    EXPECT_EQ(a.getSoundFX(0, 1), nullptr);
    a.RemoveEvent(0);
    EXPECT_EQ(a.GetNOE(), 0);
}

TEST(CAnimoPlayback, ReversedTwinIsBuiltOnceAndPlaysBackward) {
    CAnimo a(nullptr);
    fill(a, 3);
    a.AddEvent(event("go", {0, 1, 2}));
    a.GetFrameInfo(0, 0)->hasName = true;
    a.GetFrameInfo(0, 0)->name = "start";
    a.SetEventFrame(0, 0);
    a.playReverse("go", 0);
    ASSERT_EQ(a.GetNOE(), 2);
    EXPECT_STREQ(a.GetEventName(1).c_str(), "go_reverse");
    EXPECT_EQ(a.GetEventInfo(1)->frames, (std::vector<uint16_t>{2, 1, 0}));
    EXPECT_STREQ(a.getFrameName(1, 2).c_str(), "start");
    EXPECT_EQ(a.Current(), 2);
    a.playReverse("go", 0);
    EXPECT_EQ(a.GetNOE(), 2);
}

TEST(CAnimoPlayback, RemovingAListedFrameIsRefused) {
    CAnimo a(nullptr);
    fill(a, 3);
    a.AddEvent(event("e", {0, 2}));
    EXPECT_FALSE(a.RemoveFrame(0));
    EXPECT_TRUE(a.RemoveFrame(1));
    EXPECT_EQ(a.GetEventInfo(0)->frames, (std::vector<uint16_t>{0, 1}));
}

// The manager steps the animations of an application on the window's tick.
struct ManagedTest : ::testing::Test {
    ManagedTest() : scoped(clock), application(&window, "", "", nullptr) {}
    platform::ManualClock clock{1000};
    platform::ScopedClock scoped;
    CWindow window;
    CApplication application;
};

TEST_F(ManagedTest, StepsAtMostOncePerFrameAtTheRate) {
    CAnimo a(&window);
    fill(a, 20);
    std::vector<uint16_t> frames;
    for (uint16_t i = 0; i < 20; ++i) frames.push_back(i);
    a.AddEvent(event("e", frames));
    a.SetFPS(15);
    EXPECT_TRUE(application.getAnimationManager()->contains(&a));
    a.Play("e", 0, 0);
    std::vector<int> stepsAt;
    for (int t = 1; t <= 30; ++t) {
        clock.advance(16);
        const int before = a.GetCurrentFrameInSequence();
        window.Tick();
        const int after = a.GetCurrentFrameInSequence();
        ASSERT_LE(after - before, 1);
        if (after != before) stepsAt.push_back(t * 16);
    }
    // 66 ms period on 16 ms frames: a step every fifth frame, measured from the last step.
    EXPECT_EQ(stepsAt, (std::vector<int>{80, 160, 240, 320, 400, 480}));
}

TEST_F(ManagedTest, PausedAnimationsKeepTheirPlaceAndResumeOnTheNextFrame) {
    CAnimo a(&window);
    fill(a, 4);
    a.AddEvent(event("e", {0, 1, 2, 3}));
    a.Play("e", 0, 0);
    application.getAnimationManager()->pause();
    EXPECT_TRUE(a.isPaused());
    clock.advance(500);
    window.Tick();
    EXPECT_EQ(a.GetCurrentFrameInSequence(), 0);
    application.getAnimationManager()->resume(nullptr);
    clock.advance(1);
    window.Tick();
    EXPECT_EQ(a.GetCurrentFrameInSequence(), 1);
}

// Deletes another animation when it is told of a tick.
struct Deleter : CPlayableObserver {
    bool onPlayableTick(CPlayable*) override {
        delete victim;
        victim = nullptr;
        return true;
    }
    CAnimo* victim = nullptr;
};

TEST_F(ManagedTest, AnimationRemovedByAnotherStepIsNotTouched) {
    CAnimo first(&window);
    fill(first, 3);
    first.AddEvent(event("e", {0, 1, 2}));
    auto* second = new CAnimo(&window);
    fill(*second, 3);
    second->AddEvent(event("e", {0, 1, 2}));
    first.Play("e", 0, 0);
    second->Play("e", 0, 0);
    Deleter deleter;
    deleter.victim = second;
    first.addNotifier(&deleter);
    clock.advance(100);
    window.Tick();
    EXPECT_EQ(deleter.victim, nullptr);
    EXPECT_EQ(application.getAnimationManager()->getCount(), 1);
    EXPECT_EQ(first.GetCurrentFrameInSequence(), 1);
}

TEST_F(ManagedTest, CopyDrawsAfterItsSourceIsDeleted) {
    auto* source = new CAnimo(&window);
    fill(*source, 2);
    source->AddEvent(event("e", {0, 1}));
    source->SetEventFrame(0, 1);
    std::unique_ptr<CAnimo6> copy(new CAnimo6(*source));
    EXPECT_EQ(application.getAnimationManager()->getCount(), 2);
    delete source;
    CGraphicsObject screen(nullptr, CXSize(2, 2), 16);
    copy->redraw(&screen);
    EXPECT_EQ(screen.GetDataPtr()[0], 1);
    std::unique_ptr<CXObject> clone(copy->clone());
    copy.reset();
    static_cast<CAnimo6*>(clone.get())->redraw(&screen);
    EXPECT_EQ(application.getAnimationManager()->getCount(), 1);
}

TEST_F(ManagedTest, CopiesShowingPackedFramesInTurnKeepEachOthersPlanes) {
    // Two 4 x 4 frames held run-length packed: frame 0 opaque, frame 1 transparent.
    // An animation and its copy show and draw them in turn while the inspector tests
    // the alpha of both; a frame goes back to its packed planes only when neither shows it.
    CAnimo a(&window);
    for (int i = 0; i < 2; ++i) {
        CGraphicsObject picture(nullptr, CXSize(4, 4), 16);
        for (int k = 0; k < 32; ++k) picture.GetDataPtr()[k] = static_cast<char>(k * 7 + i);
        picture.GetChannelAlpha() = new char[16];
        std::memset(picture.AlphaChannel(), i == 0 ? 0xFF : 0, 16);
        picture.GetChannelSize(3) = 16;
        a.AddFrame(&picture)->Compress(COMPRESSION_RLE);
    }
    a.AddEvent(event("e", {0, 1}));
    a.SetEventFrame(0, 0);
    CAnimo b(a);
    CFrame* f0 = a.GetFrame(0);
    CFrame* f1 = a.GetFrame(1);
    ASSERT_EQ(b.GetFrame(0), f0);
    ASSERT_EQ(f0->GetCompression(), COMPRESSION_RLE);

    CCollisionInspector inspector;
    CGraphicsObject probe(nullptr, CXSize(2, 2), 16);
    auto touches = [&](CAnimo& x) {
        return inspector.checkAlphaCollision(&probe, CXRect(1, 1, 3, 3), &x, x.GetBoundingBox());
    };
    // Alpha collisions are found on packed frames too.
    EXPECT_TRUE(touches(a));
    EXPECT_TRUE(touches(b));

    CGraphicsObject screen(nullptr, CXSize(4, 4), 16);
    auto show = [&](CAnimo& x, int position) {
        x.SetEventFrame(0, position);
        x.redraw(&screen);
        EXPECT_EQ(x.GetFrame(-1)->GetCompression(), COMPRESSION_NONE);
        // The pixel pointers name the shown frame's plain pixels.
        ASSERT_NE(x.GetDataPtr(), nullptr);
        for (int k = 0; k < 32; ++k) {
            ASSERT_EQ(x.GetDataPtr()[k], static_cast<char>(k * 7 + position));
        }
        if (position == 0) {
            EXPECT_EQ(std::memcmp(screen.GetDataPtr(), x.GetDataPtr(), 32), 0);
        }
    };
    const struct {
        CAnimo* animation;
        int position;
    } steps[] = {{&a, 0}, {&b, 1}, {&b, 0}, {&b, 1}, {&a, 1}, {&b, 0}, {&a, 0}, {&b, 1}, {&a, 1}};
    for (const auto& step : steps) {
        show(*step.animation, step.position);
        EXPECT_EQ(touches(a), a.GetCurrentFrameInSequence() == 0);
        EXPECT_EQ(touches(b), b.GetCurrentFrameInSequence() == 0);
        // A frame neither shows is packed again.
        for (CFrame* f : {f0, f1}) {
            const bool shown = a.GetFrame(-1) == f || b.GetFrame(-1) == f;
            if (!shown) {
                EXPECT_EQ(f->GetCompression(), COMPRESSION_RLE);
            }
            EXPECT_EQ(f->getUsers(), (a.GetFrame(-1) == f) + (b.GetFrame(-1) == f));
        }
    }
    b.Flush();
    EXPECT_EQ(f0->getUsers(), 0);
    EXPECT_EQ(f1->getUsers(), 1);
}

TEST_F(ManagedTest, ScriptAnimationLoadsLazilyFromItsElement) {
    test::TempDir dir;
    dir.write("a.ani", animfix::nv("NVP"));
    const CXString name(dir.engine("a.ani").c_str());
    CMElement eager("A");
    eager.addProperty("FILENAME", name);
    eager.addProperty("VISIBLE", "TRUE");
    CAnimo6 loaded(&window, &eager);
    EXPECT_TRUE(loaded.isLoaded());
    EXPECT_EQ(loaded.GetMaxWidth(), 2);

    CMElement lazy("B");
    lazy.addProperty("FILENAME", name);
    lazy.addProperty("PRELOAD", "FALSE");
    lazy.addProperty("RELEASEAFTERUSE", "TRUE");
    CAnimo6 later(&window, &lazy);
    EXPECT_FALSE(later.isLoaded());
    EXPECT_FALSE(later.isVisible());
    EXPECT_EQ(later.GetMaxWidth(), 0);
    later.show();
    EXPECT_TRUE(later.isLoaded());
    EXPECT_TRUE(later.isVisible());
    later.Play("walk", 0, 0);
    EXPECT_TRUE(later.isPlaying("walk"));
    EXPECT_FALSE(later.isPlaying("WALK"));
    later.hide();  // released after use
    EXPECT_FALSE(later.isLoaded());
    EXPECT_EQ(later.GetNOF(), 0);
}

}  // namespace
