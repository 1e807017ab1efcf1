// An auto-reset event without a name: it belongs to the object that holds it,
// so two running instances of the program can never meet each other's event.
// set() wakes one waiter, or the next wait if none waits; a successful wait
// consumes the signal.
#pragma once

#include <condition_variable>
#include <cstdint>
#include <mutex>

class AutoResetEvent {
public:
    AutoResetEvent() = default;
    AutoResetEvent(const AutoResetEvent&) = delete;
    AutoResetEvent& operator=(const AutoResetEvent&) = delete;

    void set();
    // Waits until signalled and consumes the signal.
    void wait();
    // Waits at most ms milliseconds of real time (0 only tests); true when the
    // signal came, which is then consumed.
    bool wait_for(std::int64_t ms);

private:
    std::mutex mutex_;
    std::condition_variable cv_;
    bool signalled_ = false;
};
