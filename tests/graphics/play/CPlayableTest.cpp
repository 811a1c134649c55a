#include "graphics/play/CPlayable.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "foundation/CResourcesManager.h"
#include "foundation/CXArray.h"
#include "graphics/play/CAnimationManager.h"
#include "graphics/play/CAnimo.h"
#include "graphics/screen/CRefreshScreen.h"
#include "platform/Clock.h"
#include "shell/CWindow.h"

namespace {

// A playable that records its calls.
struct Probe : CPlayable {
    Probe() : CPlayable(nullptr) {}
    using CPlayable::play;
    void play() override { calls.push_back("play " + std::string(getParameter().c_str())); }
    void stop(bool) override { calls.push_back("stop"); }
    void pause() override { m_status = kStatusPaused; }
    void resume() override { m_status = kStatusPlaying; }
    void seek(int p) override { m_position = p == kSeekForward ? m_position + 1 : p; }
    int getFPS() override { return fps; }
    int next() override {
        ++steps;
        return CPlayable::next();
    }
    int steps = 0;
    void setStatus(int s) { m_status = s; }
    std::vector<std::string> calls;
    int fps = 10;
};

struct Listener : CPlayableObserver {
    Listener(std::string n, std::vector<std::string>* log) : name(std::move(n)), log(log) {}
    bool onPlayableFinished(CPlayable* p) override {
        log->push_back(name);
        if (removeOther) p->removeNotifier(removeOther);
        return answer;
    }
    std::string name;
    std::vector<std::string>* log;
    CPlayableObserver* removeOther = nullptr;
    bool answer = false;
};

TEST(CPlayable, PlayTakesTheParameterOfTheEventIgnoringCase) {
    Probe p;
    p.addEvent("WALK", "p");
    p.play(CXString("walk"));
    EXPECT_EQ(p.calls, (std::vector<std::string>{"stop", "play p"}));
    EXPECT_STREQ(p.getLastPlayedEvent().c_str(), "walk");
    p.setParameter("walk", "q");
    EXPECT_STREQ(p.getParameter("walk").c_str(), "p");
    p.setParameter("WALK", "q");
    EXPECT_STREQ(p.getParameter("walk").c_str(), "q");
    p.play(CXString("run"));
    EXPECT_EQ(p.calls.back(), "play ");
    EXPECT_EQ(p.next(), 0);
}

TEST(CPlayable, NotifyTellsObserversThenTheGenericOneAndSkipsRemovedOnes) {
    std::vector<std::string> log;
    Probe p;
    EXPECT_TRUE(p.notify(3));
    Listener a("a", &log), b("b", &log), c("c", &log), generic("g", &log);
    a.removeOther = &b;
    generic.answer = true;
    p.addNotifier(&a);
    p.addNotifier(&a);
    p.addNotifier(&b);
    p.addNotifier(&c);
    p.setGenericNotifier(&generic);
    EXPECT_TRUE(p.notify(3));
    EXPECT_EQ(log, (std::vector<std::string>{"a", "c", "g"}));
    p.setNotifier(&c);
    EXPECT_EQ(p.getNotifiers()->getCount(), 1);
}

TEST(CAnimationManager, RateOfZeroStepsAsOneAndTwiceRegisteredStepsTwice) {
    platform::ManualClock clock(5000);
    platform::ScopedClock scoped(clock);
    CAnimationManager m;
    Probe slow, twice;
    slow.fps = 0;
    slow.setStatus(CPlayable::kStatusPlaying);
    twice.fps = 1000;
    twice.setStatus(CPlayable::kStatusPlaying);
    m.add(&slow, nullptr);
    m.add(&twice, nullptr);
    m.add(&twice, nullptr);
    clock.advance(999);
    m.domodal();
    EXPECT_EQ(slow.steps, 0);
    EXPECT_EQ(twice.steps, 2);
    clock.advance(1);
    m.domodal();
    EXPECT_EQ(slow.steps, 1);
    EXPECT_EQ(twice.steps, 4);
    m.remove(&twice);
    m.remove(&twice);
    m.remove(&slow);
    EXPECT_EQ(m.getCount(), 0);
}

struct ScreenWindow : CWindow {
    void setScreen(CRefreshScreen* s) { m_refreshScreen = s; }
};

TEST(CPlayableRelease, ReleaseStepHidesAndTakesTheAnimationOffTheScreen) {
    ScreenWindow window;
    CRefreshScreen screen(&window, CXSize(16, 16), 16);
    window.setScreen(&screen);
    CAnimo a(&window);
    screen.put(&a, 5);
    ASSERT_NE(CResourcesManager::getReleaseHook(), nullptr);
    CResourcesManager::getReleaseHook()(&window, &a);
    EXPECT_EQ(screen.GetPriority(&a), -1);
    EXPECT_FALSE(a.isVisible());
    window.setScreen(nullptr);
}

}  // namespace
