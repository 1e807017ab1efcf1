#include "usb/real_clock.h"

#include <algorithm>
#include <chrono>

std::int64_t RealClock::now_ms() {
    using namespace std::chrono;
    return duration_cast<milliseconds>(steady_clock::now().time_since_epoch()).count();
}

void RealClock::sleep_for(std::int64_t ms) {
    if (window_sleep_ && std::this_thread::get_id() == window_thread_) {
        window_sleep_(ms);
        return;
    }
    std::this_thread::sleep_for(std::chrono::milliseconds(ms < 0 ? 0 : ms));
}

bool RealClock::wait_until(std::int64_t deadline_ms, const std::function<bool()>& ready) {
    std::unique_lock lock(wait_lock_);
    for (;;) {
        const unsigned long long seen = notifications_;
        lock.unlock();
        if (ready()) return true;
        const std::int64_t left = deadline_ms - now_ms();
        if (left <= 0) return false;
        lock.lock();
        // A notify() between the test and this wait is not lost: it changed
        // the count, which the wait sees at once.
        wait_cv_.wait_for(lock, std::chrono::milliseconds(left),
                          [&] { return notifications_ != seen; });
    }
}

void RealClock::notify() {
    {
        std::lock_guard lock(wait_lock_);
        ++notifications_;
    }
    wait_cv_.notify_all();
}

void RealClock::set_window_sleep(std::function<void(std::int64_t)> sleep) {
    window_sleep_ = std::move(sleep);
    window_thread_ = std::this_thread::get_id();
}
