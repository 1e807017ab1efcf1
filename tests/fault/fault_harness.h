// Shared by the fault matrix and the soak: a work folder with firmware
// images and scripts, the main dialog with every status code recorded, and
// the checks that every case ends with (device closed, no file left open).
#pragma once

#include <dirent.h>
#include <unistd.h>

#include <chrono>
#include <condition_variable>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "catalogue/target_catalogue.h"
#include "sim/sim_board.h"
#include "sim/virtual_clock.h"
#include "ui/headless/headless_host.h"
#include "ui/orvane_dlg.h"
#include "ui/headless/status_recording_dlg.h"
#include "ui/text_convert.h"
#include "usb/hid_link.h"

// The buttons in the order of the tables: Calibration, Stress Test, Read,
// Write, Set Voltage, Save (calibration), Save (stress), Download.
inline constexpr int kFaultButtons[] = {IDC_CALIBRATION, IDC_STRESS_TEST,      IDC_READ,
                                        IDC_WRITE,       IDC_SET_VOLTAGE,      IDC_SAVE_CALIBRATION,
                                        IDC_SAVE_STRESS, IDC_DOWNLOAD};

using RecordingDlg = StatusRecordingDlg;

// A temporary folder that is the current folder while it lives: bin/ with
// an image per target, log/, and the scripts the cases use.
class WorkFolder {
public:
    static constexpr int kImageBytes = 3000;  // three 1024-byte image reports
    static constexpr int kScriptItems = 4;

    explicit WorkFolder(const std::string& name) {
        namespace fs = std::filesystem;
        dir_ = fs::temp_directory_path() / (name + "-" + std::to_string(::getpid()));
        fs::remove_all(dir_);
        fs::create_directories(dir_ / "bin");
        fs::create_directories(dir_ / "log");
        old_ = fs::current_path();
        fs::current_path(dir_);
        for (int t = 0; t < TARGET_COUNT; ++t) {
            const std::string file = target_profile(t).firmware_file;  // "bin\...": the name after it
            write("bin/" + file.substr(4), std::string(kImageBytes, static_cast<char>(0x40 + t)));
        }
        write("good.inc",
              "// four register writes\n"
              "setmem /32 0x020E0000 = 0x00000001\n"
              "setmem /32 0x020E0004 = 0x00000002\n"
              "setmem /32 0x021B0000 = 0x00000800\n"
              "setmem /32 0x021B0004 = 0x00000801\n");
        write("good.ds", "memory set 0x30400000 32 0x00000001\n");
        write("syntax.inc", "setmem /32 0x020E0000 = 0x0000000G\n");
        write("syntax.ds", "memory set 0x3040000Z 32 0x00000001\n");
        write("range.inc", "setmem /32 0x00000010 = 0x00000001\n");
    }
    ~WorkFolder() {
        std::error_code ec;
        std::filesystem::current_path(old_, ec);
        std::filesystem::remove_all(dir_, ec);
    }
    static void write(const std::string& path, const std::string& content) {
        std::ofstream(path, std::ios::binary) << content;
    }
    void remove(const std::string& path) { std::filesystem::remove(dir_ / path); }
    void restore_image(int target) {
        const std::string file = target_profile(target).firmware_file;
        write("bin/" + file.substr(4), std::string(kImageBytes, static_cast<char>(0x40 + target)));
    }

private:
    std::filesystem::path dir_, old_;
};

// Open file descriptors of the process: a case that leaves one behind (a
// script, an image, a device) shows here.
inline int open_descriptors() {
    int n = 0;
    if (DIR* d = ::opendir("/proc/self/fd")) {
        while (::readdir(d)) ++n;
        ::closedir(d);
    }
    return n;
}

inline std::string fault_buttons(const HeadlessHost& host) {
    std::string s;
    for (int id : kFaultButtons) s += host.control(id).enabled ? '1' : '0';
    return s;
}

inline std::string pane_text(HeadlessHost& host) {
    return utf16_to_utf8(std::u16string_view(host.get_text(IDC_OUTPUT)));
}

// The last line of the text with its "\r\n" (a text that does not end in a
// line break: its last piece).
inline std::string last_line(const std::string& text) {
    if (text.empty()) return "";
    std::size_t end = text.size();
    if (text.size() >= 2 && text.compare(text.size() - 2, 2, "\r\n") == 0) end -= 2;
    const std::size_t start = text.rfind("\r\n", end == 0 ? 0 : end - 1);
    return start == std::string::npos || end == 0 ? text : text.substr(start + 2);
}

// Ends the process when a case runs longer than its bound in real time: a
// hang must fail the run, never stall it.
class Watchdog {
public:
    explicit Watchdog(std::chrono::seconds bound) : bound_(bound), thread_([this] { run(); }) {}
    ~Watchdog() {
        {
            std::lock_guard g(lock_);
            done_ = true;
        }
        cv_.notify_all();
        thread_.join();
    }
    // A new case starts: its bound starts now.
    void start(const std::string& name) {
        std::lock_guard g(lock_);
        name_ = name;
        deadline_ = std::chrono::steady_clock::now() + bound_;
        cv_.notify_all();
    }

private:
    void run() {
        std::unique_lock g(lock_);
        while (!done_) {
            if (!name_.empty() && std::chrono::steady_clock::now() > deadline_) {
                std::fprintf(stderr, "HANG: case '%s' ran longer than %lld s\n", name_.c_str(),
                             static_cast<long long>(bound_.count()));
                std::fflush(stderr);
                std::_Exit(3);
            }
            cv_.wait_for(g, std::chrono::milliseconds(200));
        }
    }
    std::chrono::seconds bound_;
    std::mutex lock_;
    std::condition_variable cv_;
    std::string name_;
    std::chrono::steady_clock::time_point deadline_{};
    bool done_ = false;
    std::thread thread_;
};
