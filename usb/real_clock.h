// Steady wall time, for a real board.
#pragma once

#include <condition_variable>
#include <functional>
#include <mutex>
#include <thread>

#include "usb/clock.h"

class RealClock final : public Clock {
public:
    std::int64_t now_ms() override;
    void sleep_for(std::int64_t ms) override;
    bool wait_until(std::int64_t deadline_ms, const std::function<bool()>& ready) override;
    void notify() override;

    // A GUI host sets this so that a sleep on its window thread keeps the
    // window painted and delivers posted output, without letting input
    // through. It is called instead of a plain sleep on the thread that set
    // it and must return after about ms milliseconds.
    void set_window_sleep(std::function<void(std::int64_t ms)> sleep);

private:
    std::function<void(std::int64_t)> window_sleep_;
    std::thread::id window_thread_{};
    std::mutex wait_lock_;
    std::condition_variable wait_cv_;
    unsigned long long notifications_ = 0;
};
