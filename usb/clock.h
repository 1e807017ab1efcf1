// Time source for every wait of the tool: the download's fixed waits and
// polls, the transport's time-outs in the simulated board, and the front
// ends' waits for a status code.
//
// The real clock is steady wall time. The simulated board runs on a virtual
// clock (sim/virtual_clock.h) whose time moves only when a thread sleeps on
// it, so a download that polls 500 times takes milliseconds of real time.
// Callers that wait for something another thread does (the teardown of the
// firmware link, a front end waiting for a status code) therefore wait in
// short sleep_for steps, never in one untimed block, so that virtual time
// can reach the time-outs of the other threads.
#pragma once

#include <cstdint>

class Clock {
public:
    virtual ~Clock() = default;
    // Milliseconds on a monotonic scale; only differences matter.
    virtual std::int64_t now_ms() = 0;
    // Sleeps ms milliseconds of this clock's time (0 just yields).
    virtual void sleep_for(std::int64_t ms) = 0;
};
