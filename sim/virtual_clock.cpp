#include "sim/virtual_clock.h"

#include <algorithm>
#include <limits>
#include <thread>

void VirtualClock::sleep_for(std::int64_t ms) {
    if (ms <= 0) {
        std::this_thread::yield();
        return;
    }
    wait_until(now_.load() + ms, [] { return false; });
}

bool VirtualClock::wait_until(std::int64_t deadline_ms, const std::function<bool()>& ready) {
    std::unique_lock lock(lock_);
    Waiter self{deadline_ms, false};
    for (;;) {
        if (ready()) return true;
        if (now_.load() >= deadline_ms) return false;
        self.blocked = true;
        waiters_.push_back(&self);
        advance_locked();
        cv_.wait(lock, [&] { return !self.blocked; });
    }
}

void VirtualClock::notify() {
    std::lock_guard lock(lock_);
    // Every waiter tests its condition again; those that still have to wait
    // block anew, and the last one to do so lets time move on.
    for (Waiter* w : waiters_) w->blocked = false;
    waiters_.clear();
    cv_.notify_all();
}

void VirtualClock::add_user() {
    std::lock_guard lock(lock_);
    ++users_;
}

void VirtualClock::remove_user() {
    std::lock_guard lock(lock_);
    if (users_ > 0) --users_;
    advance_locked();
}

int VirtualClock::users() const {
    std::lock_guard lock(lock_);
    return users_;
}

void VirtualClock::unblock_locked(Waiter* w) {
    w->blocked = false;
    waiters_.erase(std::find(waiters_.begin(), waiters_.end(), w));
}

void VirtualClock::advance_locked() {
    if (waiters_.empty() || static_cast<int>(waiters_.size()) < users_) return;
    std::int64_t next = std::numeric_limits<std::int64_t>::max();
    for (const Waiter* w : waiters_) next = std::min(next, w->deadline);
    if (next > now_.load()) now_.store(next);
    const std::int64_t now = now_.load();
    std::vector<Waiter*> due;
    for (Waiter* w : waiters_)
        if (w->deadline <= now) due.push_back(w);
    for (Waiter* w : due) unblock_locked(w);
    cv_.notify_all();
}
