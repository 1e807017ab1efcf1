#include "ui/auto_reset_event.h"

#include <chrono>

void AutoResetEvent::set() {
    {
        std::lock_guard lock(mutex_);
        signalled_ = true;
    }
    cv_.notify_one();
}

void AutoResetEvent::wait() {
    std::unique_lock lock(mutex_);
    cv_.wait(lock, [this] { return signalled_; });
    signalled_ = false;
}

bool AutoResetEvent::wait_for(std::int64_t ms) {
    std::unique_lock lock(mutex_);
    if (ms > 0) cv_.wait_for(lock, std::chrono::milliseconds(ms), [this] { return signalled_; });
    if (!signalled_) return false;
    signalled_ = false;
    return true;
}
