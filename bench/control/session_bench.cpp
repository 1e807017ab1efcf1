// A whole session on the simulated board, on the virtual clock: Download of
// a 96 KiB image with a 1024-item script (KT410), then 100 calibrations. The
// fixed waits and the board's pacing cost no real time here, so the figures
// are the host's own work per session: script reading, USB framing, the
// receive loop, the pane and the status codes.
#include <benchmark/benchmark.h>

#include <chrono>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <string>

#include "catalogue/target_catalogue.h"
#include "sim/sim_board.h"
#include "sim/virtual_clock.h"
#include "ui/headless/headless_host.h"
#include "ui/orvane_dlg.h"
#include "usb/hid_link.h"

namespace {

namespace fs = std::filesystem;

constexpr int KT410 = 5;
constexpr int CALIBRATIONS = 100;

struct Folder {
    fs::path dir, old;
    Folder() {
        dir = fs::temp_directory_path() / "orvane-session-bench";
        fs::remove_all(dir);
        fs::create_directories(dir / "bin");
        old = fs::current_path();
        fs::current_path(dir);
        std::ofstream image("bin/ddr-test-kt410.bin", std::ios::binary);
        for (int i = 0; i < 96 * 1024; ++i) image.put(static_cast<char>(i * 7));
        std::ofstream script("session.ds");
        script << "# 1024 register writes\n";
        for (int i = 0; i < 1024; ++i) {
            char line[80];
            std::snprintf(line, sizeof line, "memory set 0x%08X 32 0x%08X\n", 0x30400000 + i * 4, i);
            script << line;
        }
    }
    ~Folder() {
        fs::current_path(old);
        std::error_code ec;
        fs::remove_all(dir, ec);
    }
};

void BM_SimulatedSession(benchmark::State& state) {
    Folder folder;
    double download_s = 0, calibrations_s = 0;
    for (auto _ : state) {
        VirtualClock clock;
        SimScenarios scenarios;
        scenarios.board = KT410;
        SimBoard board(clock, usb_vendor_id(), scenarios);
        hid_link().backend = &board;
        hid_link().vendor_id = usb_vendor_id();
        HeadlessHost host;
        int failures = 0;
        {
            COrvaneDlg dlg(&host, &clock);
            host.open(dlg);
            host.choose(IDC_TARGET, KT410);
            host.set_text(IDC_SCRIPT_PATH, u"session.ds");
            const auto t0 = std::chrono::steady_clock::now();
            host.click(IDC_DOWNLOAD);
            const auto t1 = std::chrono::steady_clock::now();
            if (!dlg.m_bLinkUp) failures++;
            host.set_text(IDC_DDR_FREQ, u"400");
            for (int i = 0; i < CALIBRATIONS && failures == 0; ++i) {
                host.click(IDC_CALIBRATION);
                if (!host.run_until([&] { return host.control(IDC_DOWNLOAD).enabled; }, clock, 60000)) failures++;
            }
            const auto t2 = std::chrono::steady_clock::now();
            download_s += std::chrono::duration<double>(t1 - t0).count();
            calibrations_s += std::chrono::duration<double>(t2 - t1).count();
        }
        hid_link().backend = nullptr;
        if (failures) {
            state.SkipWithError("the simulated session failed");
            break;
        }
    }
    const double n = static_cast<double>(state.iterations());
    state.counters["download_ms"] = download_s * 1e3 / n;
    state.counters["per_calibration_us"] = calibrations_s * 1e6 / (n * CALIBRATIONS);
    state.counters["session_ms"] = (download_s + calibrations_s) * 1e3 / n;
}
BENCHMARK(BM_SimulatedSession)->Name("Session/Simulated")->UseRealTime()->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
