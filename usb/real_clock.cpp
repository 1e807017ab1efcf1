#include "usb/real_clock.h"

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

void RealClock::set_window_sleep(std::function<void(std::int64_t)> sleep) {
    window_sleep_ = std::move(sleep);
    window_thread_ = std::this_thread::get_id();
}
