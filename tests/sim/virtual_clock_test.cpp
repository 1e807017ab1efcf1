// The virtual clock: time moves on only while every user waits, jumps to the
// earliest deadline, and wakes waiters on notify.
#include <gtest/gtest.h>

#include <atomic>
#include <thread>

#include "sim/virtual_clock.h"

TEST(VirtualClock, OneUserSleepsWithoutRealTime) {
    VirtualClock clock;
    clock.sleep_for(1000);
    for (int i = 0; i < 500; ++i) clock.sleep_for(100);
    EXPECT_EQ(clock.now_ms(), 51000);
    clock.sleep_for(0);  // a yield, no time
    EXPECT_EQ(clock.now_ms(), 51000);
    EXPECT_FALSE(clock.wait_until(51500, [] { return false; }));
    EXPECT_EQ(clock.now_ms(), 51500);
    EXPECT_TRUE(clock.wait_until(99999, [] { return true; }));
    EXPECT_EQ(clock.now_ms(), 51500) << "a wait that is satisfied at once takes no time";
}

TEST(VirtualClock, TimeWaitsForEveryUserAndWakesTheEarliestFirst) {
    VirtualClock clock;
    std::atomic<std::int64_t> woke_at{-1};
    std::atomic<bool> may_wait{false};
    clock.add_user();
    std::thread other([&] {
        // Until this user waits, the main thread's sleep cannot move time.
        while (!may_wait.load()) std::this_thread::yield();
        clock.sleep_for(30);
        woke_at = clock.now_ms();
        clock.remove_user();
    });
    std::thread releaser([&] {
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
        EXPECT_EQ(clock.now_ms(), 0) << "time moved while a user was running";
        may_wait = true;
    });
    clock.sleep_for(100);
    other.join();
    releaser.join();
    EXPECT_EQ(woke_at.load(), 30);
    EXPECT_EQ(clock.now_ms(), 100);
    EXPECT_EQ(clock.users(), 1);
}

TEST(VirtualClock, NotifyWakesAWaiterWhoseConditionHolds) {
    VirtualClock clock;
    std::atomic<bool> report_queued{false};
    std::atomic<std::int64_t> read_at{-1};
    clock.add_user();
    std::thread reader([&] {
        const bool got = clock.wait_until(1000, [&] { return report_queued.load(); });
        read_at = got ? clock.now_ms() : -2;
        clock.remove_user();
    });
    clock.sleep_for(40);  // the reader waits meanwhile: time reaches 40
    report_queued = true;
    clock.notify();
    // The woken reader runs before time can move again.
    while (read_at.load() == -1) clock.sleep_for(10);
    reader.join();
    EXPECT_EQ(read_at.load(), 40);
}
