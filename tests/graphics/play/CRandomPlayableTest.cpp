// The random player stepped by hand, second by second: when entries start, what the
// notifiers' answers do, bursts, and entries whose playable plays or goes.
#include "graphics/play/CRandomPlayable.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "foundation/Crt.h"
#include "foundation/CXArray.h"
#include "graphics/play/CAnimo.h"
#include "platform/Clock.h"

namespace {

struct Target : CPlayable {
    Target() : CPlayable(nullptr) {}
    using CPlayable::play;
    void play() override {
        m_status = kStatusPlaying;
        ++plays;
        lastEvent = getLastPlayedEvent().c_str();
    }
    void stop(bool) override { m_status = 0; }
    void pause() override {}
    void resume() override {}
    void seek(int) override {}
    void finish() {
        m_status = 0;
        notify(kFinished);
    }
    int plays = 0;
    std::string lastEvent;
};

struct Gate : CRandomPlayableNotifier {
    bool onRandomPlayableStarted(CPlayable*, int count) override {
        starts.push_back(count);
        return allow;
    }
    bool onRandomPlayableFinished(CPlayable*, int) override { return again; }
    bool allow = true;
    bool again = false;
    std::vector<int> starts;
};

class RandomPlayer : public ::testing::Test {
protected:
    // Seconds until the target has been started, at most `limit`.
    int secondsToStart(Target& target, int limit = 1000) {
        const int before = target.plays;
        for (int s = 1; s <= limit; ++s) {
            player.onTimer(0);
            if (target.plays != before) return s;
        }
        return -1;
    }
    platform::ManualClock clock;
    platform::ScopedClock scoped{clock};
    CRandomPlayable player{nullptr, nullptr};
    Gate gate;
};

TEST_F(RandomPlayer, RateOneTriesWithinAMinuteAndPlaysTheEvent) {
    player.addNotifier(&gate);
    for (uint32_t seed = 1; seed <= 20; ++seed) {
        crt::srand(seed);
        clock.advance(seed * 37);
        Target target;
        player.add(&target, 1.0, 1, CXString("TALK"));
        const int seconds = secondsToStart(target);
        EXPECT_GE(seconds, 1) << seed;
        EXPECT_LE(seconds, 60) << seed;
        EXPECT_EQ(target.lastEvent, "TALK");
        player.remove(&target);
    }
}

TEST_F(RandomPlayer, ARefusedStartWaitsAfreshAndNoNotifierStartsNothing) {
    Target target;
    player.add(&target, 60.0, 1, CXString("E"));
    EXPECT_EQ(secondsToStart(target, 200), -1) << "no notifier";
    player.addNotifier(&gate);
    gate.allow = false;
    EXPECT_EQ(secondsToStart(target, 5), -1);
    EXPECT_FALSE(gate.starts.empty());
    EXPECT_EQ(player.getEntry(0)->getCountdown(), 1) << "re-armed with 60 / 60 seconds";
    gate.allow = true;
    EXPECT_EQ(secondsToStart(target, 2), 1);
}

TEST_F(RandomPlayer, BurstsOfPeriodsOneAndTwoEndAtTheFirstFinish) {
    player.addNotifier(&gate);
    for (int period : {1, 2}) {
        Target target;
        player.add(&target, 60.0, period, CXString("E"));
        CRandomPlayableEntry* entry = player.getEntry(0);
        EXPECT_EQ(entry->getBurst(), 0);
        ASSERT_EQ(secondsToStart(target, 5), 1);
        EXPECT_EQ(entry->getSeqTime(), 1);
        target.finish();
        EXPECT_EQ(entry->getSeqTime(), 0) << "initialised afresh";
        player.remove(&target);
    }
    // A notifier that asks for more gets the next play one second later.
    Target target;
    player.add(&target, 0.001, 1, CXString("E"));
    target.finish();
    gate.again = true;
    target.finish();
    EXPECT_EQ(player.getEntry(0)->getCountdown(), 1);
    EXPECT_EQ(secondsToStart(target, 1), 1);
    player.remove(&target);
}

TEST_F(RandomPlayer, APlayingTargetDoesNotCountDownAndRatesOfZeroNeverStart) {
    player.addNotifier(&gate);
    Target busy;
    busy.play();
    player.add(&busy, 60.0, 1, CXString("E"));
    const int countdown = player.getEntry(0)->getCountdown();
    for (int i = 0; i < 10; ++i) player.onTimer(0);
    EXPECT_EQ(player.getEntry(0)->getCountdown(), countdown);
    EXPECT_EQ(busy.plays, 1);
    Target idle;
    player.add(&idle, 0.0, 3, CXString("E"));
    player.add(&idle, -2.0, 3, CXString("E"));
    EXPECT_EQ(secondsToStart(idle, 500), -1);
    player.remove(&busy);
    player.remove(&idle);
    player.remove(&idle);
}

TEST_F(RandomPlayer, AnAnimationWithoutEventsPlaysNothingAndIsReArmed) {
    player.addNotifier(&gate);
    CAnimo empty(nullptr);
    player.add(&empty, 60.0, 1, CXString());
    for (int i = 0; i < 5; ++i) player.onTimer(0);
    EXPECT_EQ(gate.starts.size(), 5u);
    EXPECT_GE(player.getEntry(0)->getCountdown(), 1);
    player.remove(&empty);
}

TEST_F(RandomPlayer, EntriesStopObservingAndSurviveTheirTarget) {
    auto target = std::make_unique<Target>();
    player.add(target.get(), 60.0, 1, CXString("E"));
    player.add(target.get(), 60.0, 1, CXString("E"));
    EXPECT_EQ(target->getNotifiers()->getCount(), 2);
    player.remove(target.get());
    EXPECT_EQ(player.getCount(), 1);
    EXPECT_EQ(target->getNotifiers()->getCount(), 1);
    target.reset();
    EXPECT_EQ(player.getEntry(0)->getPlayable(), nullptr);
    player.addNotifier(&gate);
    for (int i = 0; i < 5; ++i) player.onTimer(0);
    EXPECT_TRUE(gate.starts.empty());
}

// A notifier that removes the entry it is asked about, from inside the entry's step.
struct Remover : CRandomPlayableNotifier {
    bool onRandomPlayableStarted(CPlayable* p, int) override {
        player->remove(p);
        return true;
    }
    CRandomPlayable* player = nullptr;
};

TEST_F(RandomPlayer, ANotifierMayRemoveTheEntryItIsAskedAbout) {
    Remover remover;
    remover.player = &player;
    player.addNotifier(&remover);
    Target target;
    player.add(&target, 60.0, 1, CXString("E"));
    player.onTimer(0);
    EXPECT_EQ(player.getCount(), 0);
    EXPECT_EQ(target.plays, 1);
    EXPECT_EQ(target.getNotifiers()->getCount(), 0);
}

}  // namespace
