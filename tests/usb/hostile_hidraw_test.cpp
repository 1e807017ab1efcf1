// Hostile devices on the hidraw backend, through the transport: report
// descriptors that are cut, inconsistent or leave no room for the protocol,
// and input reports of 0, 1, 2 and 65535 bytes or unknown IDs. A fake sysfs
// tree stands in for /sys and one end of a SOCK_SEQPACKET socket pair for
// each device node (it keeps report boundaries as hidraw does).
#include <gtest/gtest.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <map>
#include <vector>

#include "tests/usb/fake_hidraw_tree.h"
#include "usb/hid_link.h"
#include "usb/linux/hidraw_backend.h"

namespace {

namespace fs = std::filesystem;

constexpr std::uint16_t VID = 0x1209;
constexpr std::uint16_t PID = 0x0003;

class HostileHidraw : public ::testing::Test {
protected:
    void SetUp() override {
        // A fresh tree each time: the case tables call TearDown and SetUp
        // between their cases.
        tree_ = std::make_unique<FakeHidrawTree>();
        backend_ = std::make_unique<HidrawBackend>(tree_->config);
        hid_link().backend = backend_.get();
        hid_link().vendor_id = VID;
    }
    void TearDown() override {
        hid_close_device();
        hid_link().backend = nullptr;
        hid_link().device_path.reset();
        backend_.reset();
        tree_.reset();
    }

    // hidrawN with our IDs and this descriptor, with socket buffers large
    // enough for 65535-byte reports; the board's end of its node.
    int add_node(unsigned n, const Bytes& descriptor) {
        const int board = tree_->add_node(n, FakeHidrawTree::uevent(VID, PID), &descriptor);
        int big = 1 << 20;
        for (int fd : {board, tree_->nodes[tree_->node_path(n)]})
            ::setsockopt(fd, SOL_SOCKET, SO_SNDBUF, &big, sizeof big);
        return board;
    }
    std::string node_path(unsigned n) const { return tree_->node_path(n); }
    static void send_report(int fd, const Bytes& report) { FakeHidrawTree::send_report(fd, report); }

    std::unique_ptr<FakeHidrawTree> tree_;
    std::unique_ptr<HidrawBackend> backend_;
};

// Main items with 8-bit fields: n bytes of input or output under one ID.
Bytes input_bytes(std::uint8_t id, std::uint16_t n) {
    return {0x85, id, 0x75, 0x08, 0x96, static_cast<std::uint8_t>(n), static_cast<std::uint8_t>(n >> 8), 0x81, 0x02};
}
Bytes output_bytes(std::uint8_t id, std::uint16_t n) {
    return {0x85, id, 0x75, 0x08, 0x96, static_cast<std::uint8_t>(n), static_cast<std::uint8_t>(n >> 8), 0x91, 0x02};
}
Bytes operator+(Bytes a, const Bytes& b) {
    a.insert(a.end(), b.begin(), b.end());
    return a;
}

TEST_F(HostileHidraw, DiscoverySkipsBrokenDescriptorsAndFindsTheGoodBoardAfterThem) {
    const struct {
        const char* name;
        Bytes descriptor;
    } cases[] = {
        {"ends inside an item", Bytes(BOARD.begin(), BOARD.begin() + 20)},
        {"ends inside a long item", {0xFE, 0x10, 0x00, 0x01, 0x02}},
        {"ends after a prefix that wants 4 bytes", input_bytes(4, 64) + Bytes{0x97, 0x01}},
        {"pop without push", BOARD + Bytes{0xB4}},
        {"report ID 0", Bytes{0x85, 0x00} + input_bytes(4, 64) + output_bytes(2, 64)},
        {"report longer than 65535 bytes", input_bytes(4, 65535) + output_bytes(2, 64)},
        {"no input report", output_bytes(2, 64)},
        {"no output report", input_bytes(4, 64)},
        {"input report of 1 byte (its ID only)", input_bytes(4, 0) + output_bytes(2, 64)},
        {"input report of 2 bytes", input_bytes(4, 1) + output_bytes(2, 64)},
        {"input too short for a reply word", input_bytes(4, 3) + output_bytes(2, 64)},
        {"output report of 1 byte (its ID only)", input_bytes(4, 64) + output_bytes(2, 0)},
        {"empty", {}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        TearDown();
        SetUp();
        add_node(0, c.descriptor);
        EXPECT_EQ(hid_find_device(PID, nullptr), 0);
        EXPECT_FALSE(hid_link().device_path);
        EXPECT_EQ(hid_open_device(), 0);
        add_node(1, BOARD);
        ASSERT_EQ(hid_find_device(PID, nullptr), 1);
        EXPECT_EQ(*hid_link().device_path, node_path(1));
        EXPECT_EQ(hid_link().caps.InputReportByteLength, 65);
        EXPECT_EQ(hid_link().caps.OutputReportByteLength, 1025);
    }
}

TEST_F(HostileHidraw, LargestReportsAreUsable) {
    const int board = add_node(0, input_bytes(4, 65534) + output_bytes(2, 65534));
    ASSERT_EQ(hid_find_device(PID, nullptr), 1);
    EXPECT_EQ(hid_link().caps.InputReportByteLength, 65535);
    EXPECT_EQ(hid_link().caps.OutputReportByteLength, 65535);
    ASSERT_EQ(hid_open_device(), 1);
    hid_link().output_report[0] = 2;
    const Bytes data(70000, 0x5A);
    std::int32_t written = 0;
    EXPECT_EQ(hid_write(data.data(), static_cast<std::uint32_t>(data.size()), written), 1);
    EXPECT_EQ(written, 70000);
    Bytes got(70000);
    EXPECT_EQ(::recv(board, got.data(), got.size(), 0), 65535);
    Bytes report(65535, 0x33);
    report[0] = 4;
    send_report(board, report);
    Bytes in(65534, 0);
    ASSERT_EQ(hid_read(in.data(), static_cast<std::uint32_t>(in.size())), 1);
    EXPECT_EQ(in, Bytes(65534, 0x33));
}

TEST_F(HostileHidraw, InputReportsOfAnyLengthStayInsideTheirBuffers) {
    const int board = add_node(0, BOARD);
    ASSERT_EQ(hid_find_device(PID, nullptr), 1);
    ASSERT_EQ(hid_open_device(), 1);

    Bytes big(65535, 0x42);
    big[0] = 4;
    Bytes unknown_id(65, 0x55);
    unknown_id[0] = 0x7F;
    send_report(board, {});           // zero length: a failed read, nothing copied
    send_report(board, {4});          // the ID byte only
    send_report(board, {4, 'A'});     // one payload byte
    send_report(board, big);          // far longer than the input report
    send_report(board, unknown_id);   // an ID the descriptor does not have
    send_report(board, {4, 'Z'});     // boundaries kept after all of them

    const struct {
        int result;
        Bytes payload;  // the 64 bytes after the read (0xCC: untouched)
    } expected[] = {
        {0, Bytes(64, 0xCC)},
        {1, Bytes(64, 0)},
        {1, Bytes{'A'} + Bytes(63, 0)},
        {1, Bytes(64, 0x42)},
        {1, Bytes(64, 0x55)},
        {1, Bytes{'Z'} + Bytes(63, 0)},
    };
    for (std::size_t i = 0; i < std::size(expected); ++i) {
        SCOPED_TRACE(i);
        Bytes dest(64, 0xCC);
        EXPECT_EQ(hid_read(dest.data(), static_cast<std::uint32_t>(dest.size())), expected[i].result);
        EXPECT_EQ(dest, expected[i].payload);
    }
    // Nothing more queued: a read times out and leaves the destination alone.
    Bytes dest(64, 0xCC);
    EXPECT_EQ(hid_read(dest.data(), 64), 0);
    EXPECT_EQ(dest, Bytes(64, 0xCC));
}

}  // namespace
