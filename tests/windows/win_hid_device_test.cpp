// The overlapped report I/O of the Windows backend, on a message-mode named
// pipe standing in for a HID device: each message is one report, as the HID
// class driver delivers them, and the pipe's far end plays the board.
#include <gtest/gtest.h>

#include <atomic>
#include <string>
#include <thread>
#include <vector>

#include "usb/windows/win_hid_device.h"

namespace {

using Bytes = std::vector<std::uint8_t>;

class PipeDevice : public ::testing::Test {
protected:
    static constexpr std::uint16_t INPUT_LENGTH = 9;
    static constexpr std::uint16_t OUTPUT_LENGTH = 9;

    void SetUp() override {
        static std::atomic<int> serial{0};
        const std::wstring name = L"\\\\.\\pipe\\orvane-hid-test-" + std::to_wstring(GetCurrentProcessId()) +
                                  L"-" + std::to_wstring(serial++);
        board = CreateNamedPipeW(name.c_str(), PIPE_ACCESS_DUPLEX,
                                 PIPE_TYPE_MESSAGE | PIPE_READMODE_MESSAGE | PIPE_WAIT, 1, 4096, 4096, 0,
                                 nullptr);
        ASSERT_NE(board, INVALID_HANDLE_VALUE);
        HANDLE h = CreateFileW(name.c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr, OPEN_EXISTING,
                               FILE_FLAG_OVERLAPPED, nullptr);
        ASSERT_NE(h, INVALID_HANDLE_VALUE);
        DWORD mode = PIPE_READMODE_MESSAGE;
        ASSERT_TRUE(SetNamedPipeHandleState(h, &mode, nullptr, nullptr));
        WinHidIdentity identity;
        identity.input_report_length = INPUT_LENGTH;
        identity.output_report_length = OUTPUT_LENGTH;
        device = WinHidDevice::adopt(h, identity);
        ASSERT_NE(device, nullptr);
    }
    void TearDown() override {
        device.reset();
        close_board();
    }
    void close_board() {
        if (board != INVALID_HANDLE_VALUE) CloseHandle(board);
        board = INVALID_HANDLE_VALUE;
    }

    // The board's side: one report out of the pipe, one report into it.
    Bytes board_receive() {
        Bytes b(4096);
        DWORD n = 0;
        EXPECT_TRUE(ReadFile(board, b.data(), static_cast<DWORD>(b.size()), &n, nullptr));
        b.resize(n);
        return b;
    }
    void board_send(const Bytes& report) {
        DWORD n = 0;
        ASSERT_TRUE(WriteFile(board, report.data(), static_cast<DWORD>(report.size()), &n, nullptr));
        ASSERT_EQ(n, report.size());
    }

    HANDLE board = INVALID_HANDLE_VALUE;
    std::unique_ptr<WinHidDevice> device;
};

TEST_F(PipeDevice, EveryWriteIsExactlyTheOutputReportLength) {
    struct Case {
        Bytes given;
        Bytes sent;
    };
    const Case cases[] = {
        {{2, 0xA5, 1, 2, 3, 4, 5, 6, 7}, {2, 0xA5, 1, 2, 3, 4, 5, 6, 7}},
        {{1, 0x0A, 0x0B}, {1, 0x0A, 0x0B, 0, 0, 0, 0, 0, 0}},  // short: zero-filled
        {{2, 1, 2, 3, 4, 5, 6, 7, 8, 9, 10}, {2, 1, 2, 3, 4, 5, 6, 7, 8}},  // long: cut at the end
    };
    for (const Case& c : cases) {
        ASSERT_EQ(device->write_report(c.given.data(), c.given.size(), 100), HidIoStatus::ok);
        EXPECT_EQ(board_receive(), c.sent);
    }
}

TEST_F(PipeDevice, ReadDeliversOneReportWhole) {
    board_send({0, 'O', 'K', '\r', '\n', 0, 0, 0, 0});
    board_send({0, 0xAA, 0xBB, 0xCC, 0x07, 0, 0, 0, 0});
    Bytes buffer(INPUT_LENGTH, 0xEE);
    std::size_t received = 0;
    ASSERT_EQ(device->read_report(buffer.data(), buffer.size(), &received, 1000), HidIoStatus::ok);
    EXPECT_EQ(received, INPUT_LENGTH);
    EXPECT_EQ(buffer, (Bytes{0, 'O', 'K', '\r', '\n', 0, 0, 0, 0}));
    ASSERT_EQ(device->read_report(buffer.data(), buffer.size(), &received, 1000), HidIoStatus::ok);
    EXPECT_EQ(buffer, (Bytes{0, 0xAA, 0xBB, 0xCC, 0x07, 0, 0, 0, 0}));
}

TEST_F(PipeDevice, TimedOutReadIsCancelledAndLosesNoLaterReport) {
    // Each timed-out read must be cancelled and finished before it returns;
    // a read left pending would swallow the next report into a buffer nobody
    // looks at, and the read after it would miss that report.
    for (std::uint8_t round = 1; round <= 3; ++round) {
        SCOPED_TRACE(round);
        Bytes buffer(INPUT_LENGTH, 0xEE);
        std::size_t received = 99;
        EXPECT_EQ(device->read_report(buffer.data(), buffer.size(), &received, 20), HidIoStatus::timeout);
        EXPECT_EQ(received, 0u);
        EXPECT_EQ(buffer, Bytes(INPUT_LENGTH, 0xEE));

        const Bytes report = {0, round, round, round, round, 0, 0, 0, 0};
        board_send(report);
        ASSERT_EQ(device->read_report(buffer.data(), buffer.size(), &received, 1000), HidIoStatus::ok);
        EXPECT_EQ(buffer, report);
    }
}

TEST_F(PipeDevice, ReadOnOneThreadAndWriteOnAnotherAtOnce) {
    // The receive loop waits for the board's answer while the window thread
    // writes the command that makes the board answer.
    Bytes answer(INPUT_LENGTH, 0);
    HidIoStatus read_status = HidIoStatus::error;
    std::thread reader([&] {
        std::size_t received = 0;
        read_status = device->read_report(answer.data(), answer.size(), &received, 10000);
    });
    const Bytes command = {2, 0, 3, 0x12, 0x34, 0x56, 0, 0, 0};
    EXPECT_EQ(device->write_report(command.data(), command.size(), 100), HidIoStatus::ok);
    EXPECT_EQ(board_receive(), command);
    board_send({0, 'r', 'e', 'a', 'd', 0, 0, 0, 0});
    reader.join();
    EXPECT_EQ(read_status, HidIoStatus::ok);
    EXPECT_EQ(answer, (Bytes{0, 'r', 'e', 'a', 'd', 0, 0, 0, 0}));
}

TEST_F(PipeDevice, ShortCapacityTakesTheStartOfTheReport) {
    board_send({0, 1, 2, 3, 4, 5, 6, 7, 8});
    Bytes buffer(5, 0xEE);
    std::size_t received = 0;
    ASSERT_EQ(device->read_report(buffer.data(), buffer.size(), &received, 1000), HidIoStatus::ok);
    EXPECT_EQ(received, 5u);
    EXPECT_EQ(buffer, (Bytes{0, 1, 2, 3, 4}));
}

TEST_F(PipeDevice, GoneDeviceFailsBothDirectionsAtOnce) {
    close_board();
    Bytes buffer(INPUT_LENGTH, 0xEE);
    std::size_t received = 0;
    EXPECT_EQ(device->read_report(buffer.data(), buffer.size(), &received, 1000), HidIoStatus::error);
    EXPECT_EQ(buffer, Bytes(INPUT_LENGTH, 0xEE));
    const Bytes command = {2, 1};
    EXPECT_EQ(device->write_report(command.data(), command.size(), 100), HidIoStatus::error);
}

}  // namespace
