#include "shell/CWindow.h"

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <functional>
#include <future>
#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "platform/Clock.h"
#include "platform/MessageBox.h"
#include "platform/QuitMessage.h"
#include "platform/Thread.h"
#include "shell/CInputPoller.h"

namespace {

constexpr auto kPatience = std::chrono::seconds(20);

// Whether another thread could take the window's lock right now.
bool lockIsFree(CWindow& window) {
    return std::async(std::launch::async, [&window] {
               std::recursive_mutex* lock = window.getCriticalSectionHandle();
               if (!lock->try_lock()) return false;
               lock->unlock();
               return true;
           })
        .get();
}

// Records its calls in a shared log, with whether the lock was free meanwhile.
struct LoggingPoller : CInputPoller {
    LoggingPoller(const char* name, CWindow& window, std::vector<std::string>& log)
        : name(name), window(window), log(log) {}
    void tick() override { log.push_back(std::string("tick ") + name + (lockIsFree(window) ? "" : " locked")); }
    void flushSignals(bool deliver) override {
        log.push_back(std::string("flush ") + name + (deliver ? "" : " dropped") + (lockIsFree(window) ? "" : " locked"));
    }
    const char* name;
    CWindow& window;
    std::vector<std::string>& log;
};

struct LoggingWindow : CWindow {
    explicit LoggingWindow(std::vector<std::string>& log) : log(log) {}
    int OnTimer(intptr_t id) override {
        log.push_back("timer " + std::to_string(id));
        return 0;
    }
    std::vector<std::string>& log;
};

TEST(CWindow, TickWithoutThreadPollsEachPollerOnceThenFiresTimersThenFlushesUnlocked) {
    platform::ManualClock clock(1000);
    platform::ScopedClock scoped(clock);
    std::vector<std::string> log;
    LoggingWindow window(log);
    ASSERT_EQ(window.getPollerThread(), nullptr);
    LoggingPoller a("A", window, log), b("B", window, log);
    window.addIPoller(&a);
    window.addIPoller(&b);
    window.addIPoller(&a);  // added once
    window.OnCreate();      // the window's own 1 ms timer, id 0
    clock.advance(1);
    window.Tick();
    EXPECT_EQ(log, (std::vector<std::string>{"tick A", "tick B", "timer 0", "flush A", "flush B"}));

    log.clear();
    window.removeIPoller(&a);
    window.Tick();
    EXPECT_EQ(log, (std::vector<std::string>{"tick B", "flush B"}));
}

// Removes itself from the window while its signals are delivered, as a script object
// deleted by its own handler does.
struct LeavingPoller : LoggingPoller {
    using LoggingPoller::LoggingPoller;
    void flushSignals(bool deliver) override {
        LoggingPoller::flushSignals(deliver);
        window.removeIPoller(this);
    }
};

TEST(CWindow, APollerLeavingDuringItsDeliveryDoesNotCostTheNextOneItsTurn) {
    platform::ManualClock clock(1000);
    platform::ScopedClock scoped(clock);
    std::vector<std::string> log;
    LoggingWindow window(log);
    LeavingPoller a("A", window, log);
    LoggingPoller b("B", window, log), c("C", window, log);
    window.addIPoller(&a);
    window.addIPoller(&b);
    window.addIPoller(&c);
    window.Tick();
    EXPECT_EQ(log, (std::vector<std::string>{"tick A", "tick B", "tick C", "flush A", "flush B", "flush C"}));

    log.clear();
    window.Tick();
    EXPECT_EQ(log, (std::vector<std::string>{"tick B", "tick C", "flush B", "flush C"}));
}

// Counts the ticks it gets on the poller thread; a gate can hold a tick inside.
struct ThreadPoller : CInputPoller {
    void tick() override {
        std::unique_lock<std::mutex> lock(mutex);
        ++ticks;
        changed.notify_all();
        if (holdInside) {
            inside = true;
            changed.notify_all();
            changed.wait(lock, [this] { return !holdInside; });
            inside = false;
            returnedWhileInside = deactivationReturned.load();
        }
    }
    void flushSignals(bool) override { flushLocked = !lockIsFree(*window); }
    int tickCount() {
        std::lock_guard<std::mutex> lock(mutex);
        return ticks;
    }
    bool waitFor(const std::function<bool()>& done) {
        std::unique_lock<std::mutex> lock(mutex);
        return changed.wait_for(lock, kPatience, done);
    }

    CWindow* window = nullptr;
    std::mutex mutex;
    std::condition_variable changed;
    int ticks = 0;
    bool holdInside = false;
    bool inside = false;
    bool returnedWhileInside = false;
    bool flushLocked = false;
    std::atomic<bool> deactivationReturned{false};
};

CWindow* threadedWindow() {
    return new CWindow(nullptr, nullptr, nullptr, CXSize(), nullptr, CWindow::exePath, false);
}

TEST(CWindow, PollerThreadPollsOnlyWhileActiveAndIsResumedOncePerActivation) {
    std::unique_ptr<CWindow> window(threadedWindow());
    platform::Thread* thread = window->getPollerThread();
    ASSERT_NE(thread, nullptr);
    ThreadPoller poller;
    poller.window = window.get();
    window->addIPoller(&poller);

    // Inactive: the thread wakes and polls nothing.
    ASSERT_TRUE(thread->waitForCycles(thread->cycles() + 3, kPatience));
    EXPECT_EQ(poller.tickCount(), 0);

    window->OnActivateApp(true);
    window->OnActivateApp(true);
    EXPECT_EQ(thread->resumes(), 1u);
    ASSERT_TRUE(poller.waitFor([&] { return poller.ticks >= 2; }));

    // The host's tick delivers under the lock.
    window->Tick();
    EXPECT_TRUE(poller.flushLocked);
    // The destructor stops and joins the thread while it polls.
}

TEST(CWindow, DeactivationReturnsOnlyOnceThePollerLeftItsTickAndDestroyJoins) {
    std::unique_ptr<CWindow> window(threadedWindow());
    ThreadPoller poller;
    poller.window = window.get();
    window->addIPoller(&poller);
    {
        std::lock_guard<std::mutex> lock(poller.mutex);
        poller.holdInside = true;
    }
    window->OnActivateApp(true);
    ASSERT_TRUE(poller.waitFor([&] { return poller.inside; }));

    std::thread host([&] {
        window->OnActivateApp(false);
        poller.deactivationReturned = true;
    });
    // Once the pause is asked for, let the tick finish.
    const auto deadline = std::chrono::steady_clock::now() + kPatience;
    while (!window->getPollerThread()->isPaused() && std::chrono::steady_clock::now() < deadline)
        std::this_thread::yield();
    {
        std::lock_guard<std::mutex> lock(poller.mutex);
        poller.holdInside = false;
    }
    poller.changed.notify_all();
    host.join();
    EXPECT_TRUE(poller.deactivationReturned);
    EXPECT_FALSE(poller.returnedWhileInside);
    EXPECT_FALSE(window->isActive());

    platform::takeQuitMessage();
    window->OnDestroy();
    EXPECT_EQ(window->getPollerThread(), nullptr);
    EXPECT_TRUE(platform::takeQuitMessage());
    window->OnActivateApp(true);  // no thread left to resume
}

TEST(CWindow, ShowErrorPicksTheTextByCode) {
    struct Case {
        int code;
        const char* text;  // null: no box
    };
    const Case cases[] = {
        {0, nullptr},
        {5, "Nieznany b\xB3" "ad krytyczny."},
        {-997, "Nieprawid\xB3owe dzia\xB3" "anie karty d\x9Fwi\xEAkowej."},
        {-998, "Nieprawid\xB3owe dzia\xB3" "anie karty graficznej."},
        {3000, "Nie mo\xBFna wczyta\xE6 gry."},
    };
    for (const Case& c : cases) {
        platform::RecordedMessageBox box;
        platform::ScopedMessageBox scoped(box);
        CWindow window;
        window.setErrorCode(c.code);
        window.ShowError(CXString("Caption"));
        SCOPED_TRACE(c.code);
        if (!c.text) {
            EXPECT_TRUE(box.boxes.empty());
            continue;
        }
        ASSERT_EQ(box.boxes.size(), 1u);
        EXPECT_EQ(box.boxes[0].text, c.text);
        EXPECT_EQ(box.boxes[0].caption, "Caption");
    }
}

TEST(CWindow, DomodalEndsOnQuitAndOnExitAllowsWithoutApplication) {
    CWindow window;
    EXPECT_TRUE(window.OnExit());
    EXPECT_FALSE(window.domodal());
    window.quit();
    EXPECT_TRUE(window.domodal());
}

}  // namespace
