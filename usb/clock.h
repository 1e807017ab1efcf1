// Time source for every wait of the tool: the download's fixed waits and
// polls, the transport's time-outs in the simulated board, and the front
// ends' waits for a status code.
//
// The real clock is steady wall time. The simulated board runs on a virtual
// clock (sim/virtual_clock.h) whose time moves on only while every thread
// that uses it waits on it, so a download that polls 500 times takes
// milliseconds of real time and every run of a test has the same outcome.
// Callers that wait for something another thread does (the teardown of the
// firmware link, a front end waiting for a status code) therefore wait in
// short sleep_for steps, never in one untimed block, so that virtual time
// can reach the time-outs of the other threads.
#pragma once

#include <cstdint>
#include <functional>

class Clock {
public:
    virtual ~Clock() = default;
    // Milliseconds on a monotonic scale; only differences matter. Never
    // blocks and takes no lock, so it may be called anywhere.
    virtual std::int64_t now_ms() = 0;
    // Sleeps ms milliseconds of this clock's time (0 just yields).
    virtual void sleep_for(std::int64_t ms) = 0;
    // Waits until ready() holds or the clock reaches deadline_ms; true when
    // ready() held. ready() is tested at the start, after every notify() and
    // at the deadline; it must not call the clock's waiting functions.
    virtual bool wait_until(std::int64_t deadline_ms, const std::function<bool()>& ready) = 0;
    // Makes the waiters of wait_until test ready() again. Must not be called
    // while holding a lock that ready() takes.
    virtual void notify() = 0;
    // A thread that starts another thread which will wait on this clock
    // calls add_user() before starting it; that thread calls remove_user()
    // as its last use of the clock. The virtual clock counts its users so
    // that it moves on only while all of them wait; the real clock ignores
    // both.
    virtual void add_user() {}
    virtual void remove_user() {}
};
