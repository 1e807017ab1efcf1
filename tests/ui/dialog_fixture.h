// The main dialog opened on the headless host, with a clock that moves only
// when slept on.
#pragma once

#include <gtest/gtest.h>

#include <atomic>
#include <string>

#include "ui/headless/headless_host.h"
#include "ui/orvane_dlg.h"
#include "usb/clock.h"

class StepClock final : public Clock {
public:
    std::int64_t now_ms() override { return now_.load(); }
    void sleep_for(std::int64_t ms) override { now_ += ms; }
    bool wait_until(std::int64_t deadline_ms, const std::function<bool()>& ready) override {
        if (ready()) return true;
        if (now_.load() < deadline_ms) now_ = deadline_ms;
        return ready();
    }
    void notify() override {}

private:
    std::atomic<std::int64_t> now_{0};
};

class DialogTest : public ::testing::Test {
protected:
    DialogTest() : dlg(&host, &clock) { host.open(dlg); }

    std::u16string text(int id) { return host.get_text(id); }

    StepClock clock;
    HeadlessHost host;
    COrvaneDlg dlg;
};

inline std::string narrow(const std::u16string& s) { return std::string(s.begin(), s.end()); }
