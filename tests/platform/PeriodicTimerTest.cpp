// The periodic timers: the manual one against the manual clock, and the shared worker
// thread's order, its wait for a callback in progress and its cooperative end.
#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "platform/Clock.h"
#include "platform/PeriodicTimer.h"

namespace {

TEST(ManualPeriodicTimer, RunsWhatIsDueOnTheManualClockInRegistrationOrder) {
    platform::ManualClock clock(1000);
    platform::ScopedClock scope(clock);
    platform::ManualPeriodicTimer timer;
    std::string log;
    const uint32_t a = timer.add(50, [&] { log += "a"; });
    const uint32_t b = timer.add(20, [&] { log += "b"; });
    EXPECT_NE(a, 0u);
    EXPECT_NE(b, a);
    EXPECT_EQ(timer.runDue(), 0);
    clock.advance(20);
    EXPECT_EQ(timer.runDue(), 1);
    // Late by several periods: one run, and the next time is the first period after now.
    clock.advance(45);
    EXPECT_EQ(timer.runDue(), 2);
    EXPECT_EQ(log, "bab");
    EXPECT_EQ(timer.runDue(), 0);
    clock.advance(15);  // 1080: b's time (1080), not a's (1100)
    timer.runDue();
    EXPECT_EQ(log, "babb");

    // A callback may remove itself and add another, which runs from the next call.
    uint32_t c = 0;
    c = timer.add(10, [&] {
        log += "c";
        timer.remove(c);
        timer.add(10, [&] { log += "d"; });
    });
    clock.advance(20);  // 1100: a, b and c are due
    timer.runDue();
    EXPECT_EQ(log, "babbabc");
    EXPECT_EQ(timer.count(), 3);
    clock.advance(10);
    timer.runDue();
    EXPECT_EQ(log, "babbabcd");

    timer.remove(a);
    timer.remove(12345);
    EXPECT_EQ(timer.count(), 2);
    timer.setFailAdd(true);
    EXPECT_EQ(timer.add(10, [] {}), 0u);
}

TEST(ThreadPeriodicTimer, OneWorkerRunsEveryCallbackInTurn) {
    platform::ThreadPeriodicTimer timer;
    std::mutex mutex;
    std::vector<std::thread::id> threads;
    std::atomic<int> inside{0};
    std::atomic<bool> overlapped{false};
    auto callback = [&] {
        if (inside.fetch_add(1) != 0) overlapped = true;
        {
            std::lock_guard<std::mutex> lock(mutex);
            threads.push_back(std::this_thread::get_id());
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(2));
        inside.fetch_sub(1);
    };
    const uint32_t a = timer.add(5, callback);
    const uint32_t b = timer.add(7, callback);
    const auto until = std::chrono::steady_clock::now() + std::chrono::seconds(10);
    while (timer.runs() < 10 && std::chrono::steady_clock::now() < until)
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    timer.remove(a);
    timer.remove(b);
    const uint64_t runs = timer.runs();
    EXPECT_GE(runs, 10u);
    std::this_thread::sleep_for(std::chrono::milliseconds(30));
    EXPECT_EQ(timer.runs(), runs);
    EXPECT_FALSE(overlapped);
    std::lock_guard<std::mutex> lock(mutex);
    for (const std::thread::id& id : threads) {
        EXPECT_EQ(id, threads.front());
        EXPECT_NE(id, std::this_thread::get_id());
    }
}

TEST(ThreadPeriodicTimer, RemoveWaitsForTheCallbackInProgress) {
    platform::ThreadPeriodicTimer timer;
    std::atomic<bool> started{false};
    std::atomic<bool> finished{false};
    const uint32_t id = timer.add(1, [&] {
        started = true;
        std::this_thread::sleep_for(std::chrono::milliseconds(60));
        finished = true;
    });
    while (!started) std::this_thread::sleep_for(std::chrono::milliseconds(1));
    timer.remove(id);
    EXPECT_TRUE(finished);
    EXPECT_EQ(timer.count(), 0);

    // From inside a callback, removal does not wait (it would wait for itself).
    std::atomic<int> runs{0};
    uint32_t self = 0;
    std::atomic<bool> added{false};
    self = timer.add(1, [&] {
        while (!added) std::this_thread::yield();
        ++runs;
        timer.remove(self);
    });
    added = true;
    const auto until = std::chrono::steady_clock::now() + std::chrono::seconds(10);
    while (runs == 0 && std::chrono::steady_clock::now() < until)
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    std::this_thread::sleep_for(std::chrono::milliseconds(20));
    EXPECT_EQ(runs, 1);
    EXPECT_EQ(timer.count(), 0);
}

TEST(ThreadPeriodicTimer, TheWorkerEndsWhenAskedWithCallbacksStillRegistered) {
    std::atomic<int> runs{0};
    {
        platform::ThreadPeriodicTimer timer;
        timer.add(1, [&] { ++runs; });
        while (runs == 0) std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
    const int after = runs;
    std::this_thread::sleep_for(std::chrono::milliseconds(20));
    EXPECT_EQ(runs, after);
}

}  // namespace
