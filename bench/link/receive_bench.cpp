// Input reports through the firmware link's receive loop into the pane on
// the headless host, from a device that has the next report ready at once
// (a firmware that floods the link): 64-byte reports of text, with multi-
// byte characters cut between reports, and a status frame after every 100.
// The window thread takes the text in as it comes. Figure: reports per
// second the loop and the pane keep up with. Goal: at least 8000, one
// report per high-speed microframe, the most a HID link delivers.
#include <benchmark/benchmark.h>

#include <atomic>
#include <chrono>
#include <cstring>
#include <memory>
#include <string>

#include "control/receive_thread.h"
#include "ui/headless/headless_host.h"
#include "ui/orvane_dlg.h"
#include "usb/clock.h"
#include "usb/hid_link.h"

namespace {

constexpr std::uint16_t VID = 0x1209;
constexpr std::uint16_t PID = 0x0001;
constexpr long REPORTS = 100000;

class StillClock final : public Clock {
public:
    std::int64_t now_ms() override { return 0; }
    void sleep_for(std::int64_t) override {}
    bool wait_until(std::int64_t, const std::function<bool()>& ready) override { return ready(); }
    void notify() override {}
};

class FloodDevice final : public HidDevice {
public:
    explicit FloodDevice(std::atomic<long>* sent) : sent_(sent) {
        // "±" (C2 B1) lands across report boundaries as the text runs on.
        for (int i = 0; i < 64; ++i) text_ += "Round 12 pattern 0x5A5A5A5A window \xC2\xB1" "3 taps ok\r\n";
    }
    HidIoStatus write_report(const std::uint8_t*, std::size_t, int) override { return HidIoStatus::ok; }
    HidIoStatus read_report(std::uint8_t* buffer, std::size_t capacity, std::size_t* received, int) override {
        const long n = sent_->load(std::memory_order_relaxed);
        std::memset(buffer, 0, capacity);
        buffer[0] = 4;
        if (n % 101 == 100) {
            const std::uint8_t frame[] = {0xAA, 0xBB, 0xCC, 3};
            std::memcpy(buffer + 1, frame, sizeof frame);
        } else {
            for (std::size_t i = 1; i < capacity; ++i) {
                buffer[i] = static_cast<std::uint8_t>(text_[at_]);
                at_ = (at_ + 1) % text_.size();
            }
        }
        *received = capacity;
        sent_->store(n + 1, std::memory_order_release);
        return HidIoStatus::ok;
    }

private:
    std::atomic<long>* sent_;
    std::string text_;
    std::size_t at_ = 0;
};

class FloodBackend final : public HidBackend {
public:
    std::atomic<long> sent{0};
    std::vector<std::string> enumerate() override { return {"flood"}; }
    bool probe(const std::string&, HidDeviceInfo* info) override {
        *info = {VID, PID, 65, 65};
        return true;
    }
    std::unique_ptr<HidDevice> open(const std::string&) override { return std::make_unique<FloodDevice>(&sent); }
};

void BM_ReceiveLoopIntoPane(benchmark::State& state) {
    double seconds = 0;
    long reports = 0;
    for (auto _ : state) {
        FloodBackend backend;
        hid_link().backend = &backend;
        hid_link().vendor_id = VID;
        StillClock clock;
        HeadlessHost host;
        {
            COrvaneDlg dlg(&host, &clock);
            host.open(dlg);
            if (hid_find_device(PID, nullptr) != 1 || hid_open_device() != 1) {
                state.SkipWithError("no device");
                break;
            }
            dlg.m_bLinkUp = 1;
            const auto t0 = std::chrono::steady_clock::now();
            if (!receive_thread_start(dlg)) {
                state.SkipWithError("no receive thread");
                break;
            }
            while (backend.sent.load(std::memory_order_acquire) < REPORTS) host.run_pending();
            dlg.StopReceiveLoop();
            host.run_pending();
            dlg.TakeInPendingOutput();
            const auto t1 = std::chrono::steady_clock::now();
            seconds += std::chrono::duration<double>(t1 - t0).count();
            reports += backend.sent.load();
            hid_close_device();
            dlg.m_bLinkUp = 0;
        }
        hid_link().backend = nullptr;
    }
    state.counters["reports_per_second"] = seconds > 0 ? static_cast<double>(reports) / seconds : 0;
}
BENCHMARK(BM_ReceiveLoopIntoPane)->Name("ReceiveLoop/FloodIntoPane")->UseRealTime()->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
