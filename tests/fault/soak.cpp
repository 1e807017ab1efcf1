// The soak: an overnight stress test on the virtual clock. A firmware sends
// text reports (characters cut anywhere between reports) with a status
// frame after every 100 of them, eight reports per millisecond, while the
// operator sends Read, Write and Set Voltage commands whenever the buttons
// allow. Afterwards every byte the firmware sent is in the pane once and in
// order (length and checksum), the firmware got every command, the memory
// stayed proportional to the text, and a log saved at the end holds the
// whole text. Then the window is closed with the link up.
//
//   soak                          1,000,000 reports, one round (CI)
//   soak --reports N --rounds R   R rounds of N reports, each in a new
//                                 window; the long form, for example
//                                 soak --rounds 500 (several hours)
#include <unistd.h>

#include <cstdint>
#include <cstdio>
#include <cstring>
#include <fstream>
#include <iterator>
#include <memory>
#include <mutex>
#include <string>

#include "control/receive_thread.h"
#include "fault_harness.h"

namespace {

#ifndef ORVANE_SOAK_REPORTS
#define ORVANE_SOAK_REPORTS 1000000
#endif
constexpr int kPayload = 64;
constexpr int kTextPerStatus = 100;
constexpr int kReportsPerMs = 8;  // a high-speed link's microframes
constexpr std::uint8_t kStatusRunning = 3;
constexpr std::uint8_t kStatusStressDone = 4;  // makes the stress test's log saveable

std::uint64_t fnv1a(std::uint64_t h, const void* data, std::size_t n) {
    const auto* p = static_cast<const std::uint8_t*>(data);
    for (std::size_t i = 0; i < n; ++i) h = (h ^ p[i]) * 0x100000001B3ull;
    return h;
}
constexpr std::uint64_t kFnvStart = 0xCBF29CE484222325ull;

long resident_bytes() {
    long pages = 0, resident = 0;
    if (std::FILE* f = std::fopen("/proc/self/statm", "r")) {
        if (std::fscanf(f, "%ld %ld", &pages, &resident) != 2) resident = 0;
        std::fclose(f);
    }
    return resident * ::sysconf(_SC_PAGESIZE);
}

// The firmware: text cut into reports of 1 to 64 bytes regardless of
// character boundaries, status frames between them.
class SoakFirmware final : public HidBackend {
public:
    SoakFirmware(Clock& clock, long reports) : clock_(clock), reports_(reports) {}

    std::vector<std::string> enumerate() override { return {"soak"}; }
    bool probe(const std::string&, HidDeviceInfo* info) override {
        *info = {usb_vendor_id(), target_profile(0).usb_pid, 1 + kPayload, 1 + kPayload};
        return true;
    }
    std::unique_ptr<HidDevice> open(const std::string&) override { return std::make_unique<Device>(*this); }

    bool finished() {
        std::lock_guard g(lock_);
        return sent_ >= reports_ && final_status_sent_;
    }
    std::uint64_t checksum() {
        std::lock_guard g(lock_);
        return checksum_;
    }
    std::uint64_t text_bytes() {
        std::lock_guard g(lock_);
        return text_bytes_;
    }
    long commands() {
        std::lock_guard g(lock_);
        return commands_;
    }

private:
    class Device final : public HidDevice {
    public:
        explicit Device(SoakFirmware& fw) : fw_(fw) {}
        HidIoStatus write_report(const std::uint8_t* report, std::size_t length, int) override {
            std::lock_guard g(fw_.lock_);
            if (length > 2 && report[0] == 2) ++fw_.commands_;
            return HidIoStatus::ok;
        }
        HidIoStatus read_report(std::uint8_t* buffer, std::size_t capacity, std::size_t* received,
                                int timeout_ms) override {
            if (capacity < 1 + kPayload) return HidIoStatus::error;
            if (fw_.finished()) {
                // A quiet link: the read waits out its time-out.
                fw_.clock_.sleep_for(timeout_ms);
                return HidIoStatus::timeout;
            }
            if (++burst_ > kReportsPerMs) {
                fw_.clock_.sleep_for(1);
                burst_ = 1;
            }
            std::memset(buffer, 0, 1 + kPayload);
            buffer[0] = 4;
            fw_.next_report(buffer + 1);
            *received = 1 + kPayload;
            return HidIoStatus::ok;
        }

    private:
        SoakFirmware& fw_;
        int burst_ = 0;
    };

    // The next payload: a status frame after every kTextPerStatus texts, and
    // the final one after the last text.
    void next_report(std::uint8_t* payload) {
        std::lock_guard g(lock_);
        if (sent_ >= reports_) {
            const std::uint8_t frame[] = {0xAA, 0xBB, 0xCC, kStatusStressDone};
            std::memcpy(payload, frame, sizeof frame);
            final_status_sent_ = true;
            return;
        }
        if (since_status_ == kTextPerStatus) {
            const std::uint8_t frame[] = {0xAA, 0xBB, 0xCC, kStatusRunning};
            std::memcpy(payload, frame, sizeof frame);
            since_status_ = 0;
            return;
        }
        // 1 to 64 bytes, varying; the text is an endless stream of lines.
        const int n = 1 + static_cast<int>((sent_ * 37) % kPayload);
        for (int i = 0; i < n; ++i) {
            if (line_at_ == line_.size()) next_line();
            payload[i] = static_cast<std::uint8_t>(line_[line_at_++]);
        }
        checksum_ = fnv1a(checksum_, payload, static_cast<std::size_t>(n));
        text_bytes_ += static_cast<std::uint64_t>(n);
        ++sent_;
        ++since_status_;
    }
    void next_line() {
        char text[96];
        std::snprintf(text, sizeof text, "Round %ld addr 0x%08lX pattern 0x%08lX %s\r\n", line_number_,
                      (line_number_ * 64) & 0xFFFFFFFF, (line_number_ * 2654435761u) & 0xFFFFFFFF,
                      line_number_ % 3 ? "ok, die 41 \xC2\xB0" "C" : "window \xC2\xB1" "3 taps \xE2\x9C\x93");
        line_ = text;
        line_at_ = 0;
        ++line_number_;
    }

    Clock& clock_;
    const long reports_;
    std::mutex lock_;
    long sent_ = 0;
    int since_status_ = 0;
    bool final_status_sent_ = false;
    std::uint64_t checksum_ = kFnvStart;
    std::uint64_t text_bytes_ = 0;
    long commands_ = 0;
    std::string line_;
    std::size_t line_at_ = 0;
    long line_number_ = 0;
};

struct Round {
    bool ok = true;
    void check(bool condition, const char* what) {
        if (!condition) {
            std::printf("  FAIL: %s\n", what);
            ok = false;
        }
    }
};

bool soak_round(long reports, long& peak_growth, std::uint64_t& text_bytes) {
    Round r;
    const long rss_before = resident_bytes();
    VirtualClock clock;
    HeadlessHost host;
    SoakFirmware fw(clock, reports);
    hid_link().backend = &fw;
    hid_link().vendor_id = usb_vendor_id();
    long commands_sent = 0;
    {
        RecordingDlg dlg(&host, &clock);
        host.open(dlg);
        dlg.SetLogFolder("log");
        r.check(hid_find_device(target_profile(0).usb_pid, nullptr) == 1 && hid_open_device() == 1, "device");
        hid_link().output_report[0] = 2;
        dlg.m_bLinkUp = 1;
        r.check(receive_thread_start(dlg), "receive thread");
        host.push_box_reply(BOX_RESULT_OK);  // the memory commands' warning, once
        host.set_text(IDC_ADDR, u"10000000");
        host.set_text(IDC_DATA, u"12345678");

        // The operator: once a second of board time a command, in turn,
        // when the buttons allow (each Read and Write reads the pane back).
        const int rotation[] = {IDC_READ, IDC_WRITE, IDC_SET_VOLTAGE};
        long peak = 0;
        std::int64_t next_command = clock.now_ms() + 1000;
        while (!fw.finished()) {
            host.run_until([&] { return fw.finished() || clock.now_ms() >= next_command; }, clock, 2000);
            if (clock.now_ms() < next_command) continue;
            next_command += 1000;
            if (host.control(IDC_READ).enabled && host.click(rotation[commands_sent % 3])) ++commands_sent;
            peak = std::max(peak, resident_bytes() - rss_before);
        }
        // The last status frame has been read; let the window take it in.
        host.run_until([&] { return !dlg.codes.empty() && dlg.codes.back() == kStatusStressDone; }, clock, 10000);
        host.run_pending();
        dlg.TakeInPendingOutput();
        peak = std::max(peak, resident_bytes() - rss_before);

        text_bytes = fw.text_bytes();
        const std::string pane = utf16_to_utf8(std::u16string_view(dlg.m_strOutput));
        r.check(pane.size() == text_bytes, "the pane holds as many bytes as the firmware sent");
        r.check(fnv1a(kFnvStart, pane.data(), pane.size()) == fw.checksum(),
                "the pane holds every byte once and in order (checksum)");
        r.check(host.get_text(IDC_OUTPUT) == dlg.m_strOutput, "the edit shows the pane's text");
        r.check(fw.commands() == commands_sent, "the firmware got every command");
        r.check(commands_sent > 0, "the operator sent commands");
#if !defined(ORVANE_SOAK_NO_MEMORY_CHECK)
        // The pane's text is held twice (the dialog's and the edit's), in
        // UTF-16, each string with room to grow, and a read-back copies it
        // once more: at most 12 bytes of memory per byte of text, plus a
        // fixed allowance.
        peak_growth = peak;
        r.check(peak <= static_cast<long>(12 * text_bytes) + (64l << 20), "memory stays proportional to the text");
#else
        (void)peak;
        peak_growth = 0;
#endif
        // Save the stress test's result: the log holds the whole text.
        r.check(host.control(IDC_SAVE_STRESS).enabled, "Save Result is enabled");
        host.clear_boxes();
        host.click(IDC_SAVE_STRESS);
        std::string saved_name;
        if (!host.boxes().empty()) saved_name = utf16_to_utf8(std::u16string_view(host.boxes().back().text));
        const std::string suffix = " is saved";
        r.check(saved_name.size() > suffix.size() &&
                    saved_name.compare(saved_name.size() - suffix.size(), suffix.size(), suffix) == 0,
                "the log was saved");
        if (saved_name.size() > suffix.size()) {
            const std::string path = saved_name.substr(0, saved_name.size() - suffix.size());
            std::ifstream in(path, std::ios::binary);
            const std::string log((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
            r.check(log.size() == text_bytes && fnv1a(kFnvStart, log.data(), log.size()) == fw.checksum(),
                    "the log holds the whole text");
            std::remove(path.c_str());
        }
        // Closing with the link up stops the loop and closes the device.
        host.press_escape();
        r.check(host.ended() && !dlg.m_receiveThread.joinable() && !hid_link().device,
                "closing stops the loop and closes the device");
    }
    hid_close_device();
    hid_link().backend = nullptr;
    return r.ok;
}

}  // namespace

int main(int argc, char** argv) {
    long reports = ORVANE_SOAK_REPORTS;
    long rounds = 1;
    for (int i = 1; i + 1 < argc; i += 2) {
        if (std::strcmp(argv[i], "--reports") == 0) reports = std::atol(argv[i + 1]);
        if (std::strcmp(argv[i], "--rounds") == 0) rounds = std::atol(argv[i + 1]);
    }
    if (reports <= 0 || rounds <= 0) {
        std::fprintf(stderr, "usage: soak [--reports N] [--rounds R]\n");
        return 2;
    }
    WorkFolder folder("orvane-soak");
    Watchdog watchdog(std::chrono::seconds(1800));
    int failed = 0;
    for (long round = 1; round <= rounds; ++round) {
        watchdog.start("round " + std::to_string(round));
        long growth = 0;
        std::uint64_t bytes = 0;
        const bool ok = soak_round(reports, growth, bytes);
        failed += ok ? 0 : 1;
#if !defined(ORVANE_SOAK_NO_MEMORY_CHECK)
        const std::string memory = "peak memory +" + std::to_string(growth >> 20) + " MiB";
#else
        const std::string memory = "memory not measured under the sanitizers";
#endif
        std::printf("round %ld: %ld text reports, %llu bytes in the pane and the log, %s: %s\n", round, reports,
                    static_cast<unsigned long long>(bytes), memory.c_str(), ok ? "ok" : "FAILED");
        std::fflush(stdout);
    }
    std::printf("%ld passed, %d failed\n", rounds - failed, failed);
    return failed == 0 ? 0 : 1;
}
