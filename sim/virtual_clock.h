// A clock whose time moves on only while every thread that uses it waits on
// it: then it jumps to the earliest deadline among the waiters. A download
// that polls 500 times for the firmware, or an overnight stress test on the
// simulated board, takes milliseconds of real time, and every run of a test
// sees the same sequence of events. A thread that waits on nothing costs no
// CPU: with one user running, time stands still.
//
// Users: the thread that makes the clock is its first user. A thread that
// starts another thread which waits on the clock calls add_user() first;
// that thread calls remove_user() when it is done with the clock.
#pragma once

#include <atomic>
#include <condition_variable>
#include <cstdint>
#include <functional>
#include <mutex>
#include <vector>

#include "usb/clock.h"

class VirtualClock final : public Clock {
public:
    explicit VirtualClock(std::int64_t start_ms = 0) : now_(start_ms) {}

    std::int64_t now_ms() override { return now_.load(); }
    void sleep_for(std::int64_t ms) override;
    bool wait_until(std::int64_t deadline_ms, const std::function<bool()>& ready) override;
    void notify() override;
    void add_user() override;
    void remove_user() override;

    int users() const;

private:
    struct Waiter {
        std::int64_t deadline;
        bool blocked;
    };
    // Jumps to the earliest deadline when every user waits; wakes the waiters
    // that are due. Called with the lock held.
    void advance_locked();
    void unblock_locked(Waiter* w);

    std::atomic<std::int64_t> now_;
    mutable std::mutex lock_;
    std::condition_variable cv_;
    std::vector<Waiter*> waiters_;  // blocked ones only
    int users_ = 1;
};
