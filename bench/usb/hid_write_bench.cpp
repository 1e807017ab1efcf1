// Host cost of hid_write per 1024-byte report for a 96 KiB image, and the
// allocations it makes per report (goal: none). Two paths:
//   HidWrite/NullDevice  - the transport alone, on a device that completes
//                          every report at once
//   HidWrite/Hidraw      - the hidraw backend's real I/O path (writer thread,
//                          per-ID length) on a SOCK_SEQPACKET socket pair,
//                          drained by a reader thread
//   HidWrite/Simulator   - the simulated board's boot ROM on the virtual
//                          clock (zero latency): per iteration the file-write
//                          block, the image and the two reply words
//   SocketFloor          - bare write(2) of the same reports on the same
//                          socket pair, without backend or writer thread:
//                          what the machine's system calls cost alone
// A high-speed USB microframe is 125 us; the hidraw path should stay under
// 5 us per report.
#include <benchmark/benchmark.h>
#include <sys/socket.h>
#include <unistd.h>

#include <atomic>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <new>
#include <thread>
#include <vector>

#include "sim/sim_board.h"
#include "sim/virtual_clock.h"
#include "usb/hid_link.h"
#include "usb/rom_commands.h"
#include "usb/linux/hidraw_backend.h"

namespace {

std::atomic<long> g_allocations{0};

}  // namespace

void* operator new(std::size_t size) {
    g_allocations.fetch_add(1, std::memory_order_relaxed);
    if (void* p = std::malloc(size == 0 ? 1 : size)) return p;
    throw std::bad_alloc();
}
void operator delete(void* p) noexcept { std::free(p); }
void operator delete(void* p, std::size_t) noexcept { std::free(p); }

namespace {

constexpr std::uint16_t VID = 0x1209;
constexpr std::uint16_t PID = 0x0001;
constexpr std::uint32_t IMAGE_BYTES = 96 * 1024;
constexpr int REPORTS = IMAGE_BYTES / 1024;

class NullDevice final : public HidDevice {
public:
    HidIoStatus write_report(const std::uint8_t* report, std::size_t, int) override {
        benchmark::DoNotOptimize(report[1]);
        return HidIoStatus::ok;
    }
    HidIoStatus read_report(std::uint8_t*, std::size_t, std::size_t*, int) override {
        return HidIoStatus::timeout;
    }
};

class NullBackend final : public HidBackend {
public:
    std::vector<std::string> enumerate() override { return {"null"}; }
    bool probe(const std::string&, HidDeviceInfo* info) override {
        *info = {VID, PID, 65, 1025};
        return true;
    }
    std::unique_ptr<HidDevice> open(const std::string&) override { return std::make_unique<NullDevice>(); }
};

void run_image_writes(benchmark::State& state) {
    std::vector<std::uint8_t> image(IMAGE_BYTES);
    for (std::size_t i = 0; i < image.size(); ++i) image[i] = static_cast<std::uint8_t>(i);
    hid_link().output_report[0] = 2;
    long allocations = 0;
    for (auto _ : state) {
        std::int32_t written = 0;
        const long before = g_allocations.load();
        if (hid_write(image.data(), IMAGE_BYTES, written) != 1) {
            state.SkipWithError("hid_write failed");
            break;
        }
        allocations += g_allocations.load() - before;
    }
    // Wall time per report, and the time the calling thread itself spent.
    state.counters["per_report"] =
        benchmark::Counter(REPORTS, benchmark::Counter::kIsIterationInvariantRate | benchmark::Counter::kInvert);
    state.counters["allocs_per_report"] =
        benchmark::Counter(static_cast<double>(allocations) / REPORTS, benchmark::Counter::kAvgIterations);
}

void BM_HidWrite_NullDevice(benchmark::State& state) {
    NullBackend backend;
    hid_link().backend = &backend;
    hid_link().vendor_id = VID;
    if (hid_find_device(PID, &hid_link().caps) != 1 || hid_open_device() != 1) {
        state.SkipWithError("no device");
        return;
    }
    run_image_writes(state);
    hid_close_device();
    hid_link().backend = nullptr;
}
BENCHMARK(BM_HidWrite_NullDevice)->Name("HidWrite/NullDevice")->UseRealTime();

void BM_HidWrite_Hidraw(benchmark::State& state) {
    // A fake sysfs entry for the board's interface: ID 1 output 16, ID 2
    // output 1024, ID 3 input 4, ID 4 input 64.
    char pattern[] = "/tmp/orvane-hidraw-bench-XXXXXX";
    if (::mkdtemp(pattern) == nullptr) {
        state.SkipWithError("mkdtemp failed");
        return;
    }
    const std::filesystem::path root = pattern;
    const std::filesystem::path device = root / "sys" / "hidraw0" / "device";
    std::filesystem::create_directories(device);
    std::ofstream(device / "uevent") << "HID_ID=0003:00001209:00000001\n";
    const std::uint8_t descriptor[] = {0x06, 0x00, 0xFF, 0x09, 0x01, 0xA1, 0x01, 0x85, 0x01, 0x75, 0x08,
                                       0x95, 0x10, 0x09, 0x01, 0x91, 0x02, 0x85, 0x02, 0x96, 0x00, 0x04,
                                       0x09, 0x01, 0x91, 0x02, 0x85, 0x03, 0x95, 0x04, 0x09, 0x01, 0x81,
                                       0x02, 0x85, 0x04, 0x95, 0x40, 0x09, 0x01, 0x81, 0x02, 0xC0};
    std::ofstream(device / "report_descriptor", std::ios::binary)
        .write(reinterpret_cast<const char*>(descriptor), sizeof descriptor);

    int pair[2];
    if (::socketpair(AF_UNIX, SOCK_SEQPACKET, 0, pair) != 0) {
        state.SkipWithError("socketpair failed");
        return;
    }
    std::thread drain([fd = pair[1]] {
        std::uint8_t buffer[2048];
        while (::recv(fd, buffer, sizeof buffer, 0) > 0) {
        }
    });

    HidrawConfig config;
    config.sysfs_root = (root / "sys").string();
    config.dev_root = (root / "dev").string();
    config.opener = [fd = pair[0]](const std::string&) { return ::dup(fd); };
    HidrawBackend backend(config);
    hid_link().backend = &backend;
    hid_link().vendor_id = VID;
    if (hid_find_device(PID, &hid_link().caps) == 1 && hid_open_device() == 1) {
        run_image_writes(state);
    } else {
        state.SkipWithError("no device");
    }
    hid_close_device();
    hid_link().backend = nullptr;
    ::close(pair[0]);
    ::shutdown(pair[1], SHUT_RDWR);
    drain.join();
    ::close(pair[1]);
    std::error_code ec;
    std::filesystem::remove_all(root, ec);
}
BENCHMARK(BM_HidWrite_Hidraw)->Name("HidWrite/Hidraw")->UseRealTime();

void BM_HidWrite_Simulator(benchmark::State& state) {
    VirtualClock clock;
    SimScenarios scenarios;
    scenarios.board = 0;
    SimBoard board(clock, VID, scenarios);
    hid_link().backend = &board;
    hid_link().vendor_id = VID;
    if (hid_find_device(PID, &hid_link().caps) != 1 || hid_open_device() != 1) {
        state.SkipWithError("no simulated board (are the default USB IDs configured?)");
        hid_link().backend = nullptr;
        return;
    }
    std::vector<std::uint8_t> image(IMAGE_BYTES);
    for (std::size_t i = 0; i < image.size(); ++i) image[i] = static_cast<std::uint8_t>(i);
    RomCommand file_write;
    file_write.command = 0x0404;
    file_write.address = 0x00907000;
    file_write.data_count = IMAGE_BYTES;
    file_write.type = 0xAA;
    const std::array<std::uint8_t, 16> block = rom_command_bytes(file_write);
    for (auto _ : state) {
        std::int32_t written = 0;
        hid_link().output_report[0] = ROM_REPORT_ID_COMMAND;
        hid_write(block.data(), static_cast<std::uint32_t>(block.size()), written);
        hid_link().output_report[0] = ROM_REPORT_ID_DATA;
        if (hid_write(image.data(), IMAGE_BYTES, written) != 1) {
            state.SkipWithError("hid_write failed");
            break;
        }
        std::uint8_t reply[4];
        hid_read(reply, 4);
        hid_read(reply, 4);
    }
    state.counters["per_report"] =
        benchmark::Counter(REPORTS, benchmark::Counter::kIsIterationInvariantRate | benchmark::Counter::kInvert);
    hid_close_device();
    hid_link().backend = nullptr;
}
BENCHMARK(BM_HidWrite_Simulator)->Name("HidWrite/Simulator")->UseRealTime();

void BM_SocketFloor(benchmark::State& state) {
    int pair[2];
    if (::socketpair(AF_UNIX, SOCK_SEQPACKET, 0, pair) != 0) {
        state.SkipWithError("socketpair failed");
        return;
    }
    std::thread drain([fd = pair[1]] {
        std::uint8_t buffer[2048];
        while (::recv(fd, buffer, sizeof buffer, 0) > 0) {
        }
    });
    std::vector<std::uint8_t> report(1025, 0x5A);
    report[0] = 2;
    for (auto _ : state) {
        for (int i = 0; i < REPORTS; ++i) {
            if (::write(pair[0], report.data(), report.size()) != static_cast<ssize_t>(report.size())) {
                state.SkipWithError("write failed");
                break;
            }
        }
    }
    state.counters["per_report"] =
        benchmark::Counter(REPORTS, benchmark::Counter::kIsIterationInvariantRate | benchmark::Counter::kInvert);
    ::close(pair[0]);
    ::shutdown(pair[1], SHUT_RDWR);
    drain.join();
    ::close(pair[1]);
}
BENCHMARK(BM_SocketFloor)->Name("HidWrite/SocketFloor")->UseRealTime();

}  // namespace

BENCHMARK_MAIN();
