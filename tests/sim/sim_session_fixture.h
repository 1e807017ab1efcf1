// The main dialog on the headless host against the simulated board, on the
// virtual clock, in a temporary folder holding the firmware images and two
// scripts.
#pragma once

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <memory>
#include <string>
#include <vector>

#include "catalogue/target_catalogue.h"
#include "sim/sim_board.h"
#include "sim/virtual_clock.h"
#include "ui/headless/headless_host.h"
#include "ui/headless/status_recording_dlg.h"
#include "ui/orvane_dlg.h"
#include "ui/text_convert.h"
#include "usb/hid_link.h"

inline constexpr int kSessionButtons[] = {IDC_CALIBRATION, IDC_STRESS_TEST, IDC_READ,      IDC_WRITE,
                                          IDC_SET_VOLTAGE, IDC_SAVE_CALIBRATION, IDC_SAVE_STRESS, IDC_DOWNLOAD};

class SimSession : public ::testing::Test {
protected:
    SimSession() {
        namespace fs = std::filesystem;
        const auto* info = ::testing::UnitTest::GetInstance()->current_test_info();
        std::string name = std::string("orvane-sim-") + info->test_suite_name() + "-" + info->name();
        for (char& c : name)
            if (c == '/') c = '_';
        dir_ = fs::temp_directory_path() / name;
        fs::remove_all(dir_);
        fs::create_directories(dir_ / "bin");
        fs::create_directories(dir_ / "log");
        old_cwd_ = fs::current_path();
        fs::current_path(dir_);
        for (int t = 0; t < TARGET_COUNT; ++t) {
            const std::string file = target_profile(t).firmware_file;  // "bin\...": the name after it
            write_file("bin/" + file.substr(4), image(t));
        }
        write_file("good.inc",
                   "// two register writes\n"
                   "setmem /32 0x020E0000 = 0x00000001\n"
                   "setmem /32 0x021B0000 = 0x00000800\n");
        write_file("good.ds", "memory set 0x30400000 32 0x00000001\n");
    }
    ~SimSession() override {
        dlg_.reset();  // stops a running receive loop and closes the device
        hid_close_device();
        hid_link().backend = nullptr;
        board_.reset();
        std::filesystem::current_path(old_cwd_);
        std::error_code ec;
        std::filesystem::remove_all(dir_, ec);
    }

    static std::string image(int target) { return std::string(3000 + target, static_cast<char>(0x40 + target)); }

    // Makes the board with the given scenarios and opens the window.
    void start(const std::string& scenarios = "") {
        SimScenarios s;
        std::string error;
        ASSERT_TRUE(sim_parse_scenarios(scenarios, &s, &error)) << error;
        board_ = std::make_unique<SimBoard>(clock, usb_vendor_id(), s);
        hid_link().backend = board_.get();
        hid_link().vendor_id = usb_vendor_id();
        dlg_ = std::make_unique<StatusRecordingDlg>(&host, &clock);
        host.open(*dlg_);
    }

    StatusRecordingDlg& dlg() { return *dlg_; }
    SimBoard& board() { return *board_; }

    static void write_file(const std::string& path, const std::string& content) {
        std::ofstream(path, std::ios::binary) << content;
    }

    // Download with a script and target; the pane's text afterwards.
    std::string download(const char16_t* script = u"good.inc", int target = 0) {
        host.choose(IDC_TARGET, target);
        host.set_text(IDC_SCRIPT_PATH, script);
        EXPECT_TRUE(host.click(IDC_DOWNLOAD));
        return pane();
    }

    // Clicks a command button and runs the window until its status code has
    // been handled; the code, or -1 when the click or the wait failed.
    int command(int button, std::int64_t bound_ms = 600000) {
        const std::size_t before = dlg_->codes.size();
        if (!host.click(button)) return -1;
        if (!host.run_until([&] { return dlg_->codes.size() > before; }, clock, bound_ms)) return -1;
        return dlg_->codes.back();
    }

    // Lets the window run for a while of board time (the banner arrives).
    void settle(std::int64_t ms = 2000) {
        host.run_until([] { return false; }, clock, ms);
    }

    std::string pane() { return utf16_to_utf8(std::u16string_view(host.get_text(IDC_OUTPUT))); }

    std::string buttons() {
        std::string s;
        for (int id : kSessionButtons) s += host.control(id).enabled ? '1' : '0';
        return s;
    }

    static bool ends_with(const std::string& s, const std::string& tail) {
        return s.size() >= tail.size() && s.compare(s.size() - tail.size(), tail.size(), tail) == 0;
    }

    VirtualClock clock;
    HeadlessHost host;

private:
    std::filesystem::path dir_, old_cwd_;
    std::unique_ptr<SimBoard> board_;
    std::unique_ptr<StatusRecordingDlg> dlg_;
};
