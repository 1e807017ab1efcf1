// The hidraw backend's real code on a fake sysfs tree, with one end of a
// SOCK_SEQPACKET socket pair standing in for each device node: it keeps
// report boundaries exactly as hidraw does.
#include "usb/linux/hidraw_backend.h"

#include <gtest/gtest.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <map>

#include "tests/usb/fake_hidraw_tree.h"
#include "usb/hid_link.h"
#include "usb/linux/hidraw_sysfs.h"
#include "usb/rom_commands.h"

namespace {

namespace fs = std::filesystem;

constexpr std::uint16_t VID = 0x1209;
constexpr std::uint16_t PID = 0x0003;

// No report IDs: 8 bytes in, 8 bytes out.
const Bytes BARE = {0x06, 0x00, 0xFF, 0x09, 0x01, 0xA1, 0x01, 0x75, 0x08, 0x95, 0x08,
                    0x09, 0x01, 0x81, 0x02, 0x09, 0x01, 0x91, 0x02, 0xC0};

class HidrawTest : public ::testing::Test {
protected:
    void TearDown() override {
        hid_close_device();
        hid_link().backend = nullptr;
        hid_link().device_path.reset();
    }

    int add_node(unsigned n, const std::string& uevent_text, const Bytes* descriptor, bool with_node = true) {
        return tree_.add_node(n, uevent_text, descriptor, with_node);
    }
    static std::string uevent(std::uint16_t vid, std::uint16_t pid) { return FakeHidrawTree::uevent(vid, pid); }
    std::string node_path(unsigned n) const { return tree_.node_path(n); }
    static Bytes receive(int fd) { return FakeHidrawTree::receive(fd); }
    static void send_report(int fd, const Bytes& report) { FakeHidrawTree::send_report(fd, report); }

    FakeHidrawTree tree_;
    fs::path& root_ = tree_.root;
    HidrawConfig& config_ = tree_.config;
    std::map<std::string, int>& nodes_ = tree_.nodes;
};

TEST(HidrawSysfs, UeventAndNodeNames) {
    std::uint16_t vid = 0, pid = 0;
    EXPECT_TRUE(hidraw_parse_uevent("HID_NAME=x\nHID_ID=0003:0000ABCD:00001234\n", &vid, &pid));
    EXPECT_EQ(vid, 0xABCD);
    EXPECT_EQ(pid, 0x1234);
    for (const char* bad : {"HID_NAME=x\n", "HID_ID=0003:0000ABCD\n", "HID_ID=0003:0001ABCD:00001234\n",
                            "HID_ID=0003:0000ABCG:00001234\n", "HID_ID=0003::00001234\n"})
        EXPECT_FALSE(hidraw_parse_uevent(bad, &vid, &pid)) << bad;
    EXPECT_EQ(hidraw_node_number("hidraw12"), 12u);
    for (const char* bad : {"hidraw", "hidrawx", "hidraw1a", "usb1", "hidraw12345678901"})
        EXPECT_FALSE(hidraw_node_number(bad)) << bad;
}

TEST_F(HidrawTest, EnumeratesByNodeNumber) {
    add_node(10, uevent(VID, PID), &BOARD, false);
    add_node(2, uevent(VID, PID), &BOARD, false);
    add_node(0, uevent(VID, PID), &BOARD, false);
    fs::create_directories(fs::path(config_.sysfs_root) / "not-a-node");
    HidrawBackend backend(config_);
    EXPECT_EQ(backend.enumerate(), (std::vector<std::string>{node_path(0), node_path(2), node_path(10)}));
    EXPECT_TRUE(HidrawBackend(HidrawConfig{(root_ / "absent").string(), "/dev", nullptr}).enumerate().empty());
}

TEST_F(HidrawTest, ProbeReadsIdentityAndLengthsAndNeedsAnOpenableNode) {
    add_node(0, uevent(VID, PID), &BOARD);
    add_node(1, uevent(VID, PID), &BARE);
    add_node(2, uevent(VID, PID), nullptr);                  // no descriptor
    add_node(3, "HID_NAME=broken\n", &BOARD);                  // no HID_ID
    add_node(4, uevent(VID, PID), &BOARD, false);             // node cannot be opened
    const Bytes cut(BOARD.begin(), BOARD.begin() + 20);
    add_node(5, uevent(VID, PID), &cut);                      // descriptor cut inside an item

    HidrawBackend backend(config_);
    HidDeviceInfo info;
    ASSERT_TRUE(backend.probe(node_path(0), &info));
    EXPECT_EQ(info.vendor_id, VID);
    EXPECT_EQ(info.product_id, PID);
    EXPECT_EQ(info.input_report_length, 65);
    EXPECT_EQ(info.output_report_length, 1025);
    ASSERT_TRUE(backend.probe(node_path(1), &info));
    EXPECT_EQ(info.input_report_length, 9);
    EXPECT_EQ(info.output_report_length, 9);
    for (unsigned n : {2u, 3u, 4u, 5u}) EXPECT_FALSE(backend.probe(node_path(n), &info)) << n;
    EXPECT_FALSE(backend.probe(config_.dev_root + "/../sys/hidraw0/device", &info));
}

TEST_F(HidrawTest, RomCommandsThroughTheLinkGoOutAtEachReportsOwnLength) {
    add_node(0, uevent(VID, PID + 1), &BOARD);
    const int board = add_node(1, uevent(VID, PID), &BOARD);
    HidrawBackend backend(config_);
    hid_link().backend = &backend;
    hid_link().vendor_id = VID;
    ASSERT_EQ(hid_find_device(PID, &hid_link().caps), 1);
    EXPECT_EQ(hid_link().device_path, node_path(1));
    ASSERT_EQ(hid_open_device(), 1);

    // Replies come as numbered input reports of their own length (ID 3, 4 bytes).
    send_report(board, {0x03, 0x56, 0x78, 0x78, 0x56});
    send_report(board, {0x03, 0x88, 0x88, 0x88, 0x88});
    std::uint8_t mode = 0;
    ASSERT_EQ(rom_check_qel(mode), 1);
    EXPECT_EQ(mode, 2);
    const Bytes query = receive(board);
    ASSERT_EQ(query.size(), 17u);  // ID 1 carries 16 bytes, not the longest report's 1024
    EXPECT_EQ(query[0], 1);
    EXPECT_EQ(query[1], 0x05);

    Bytes image(2000);
    for (std::size_t i = 0; i < image.size(); ++i) image[i] = static_cast<std::uint8_t>(i);
    send_report(board, {0x03, 0x12, 0x34, 0x34, 0x12});
    send_report(board, {0x04, 0x88, 0x88, 0x88, 0x88});
    ::testing::internal::CaptureStdout();
    EXPECT_EQ(rom_write_image(image.data(), 2000, 0x00907000), 1);
    EXPECT_EQ(::testing::internal::GetCapturedStdout(), "image_len=2000  bytesWritten=2000\n");
    EXPECT_EQ(receive(board).size(), 17u);
    Bytes data;
    for (int i = 0; i < 2; ++i) {
        const Bytes report = receive(board);
        ASSERT_EQ(report.size(), 1025u);
        EXPECT_EQ(report[0], 2);
        data.insert(data.end(), report.begin() + 1, report.end());
    }
    EXPECT_TRUE(receive(board).empty());
    data.resize(2000);
    EXPECT_EQ(data, image);
}

TEST_F(HidrawTest, DeviceWithoutReportIdsGetsALeadingZero) {
    const int board = add_node(0, uevent(VID, PID), &BARE);
    HidrawBackend backend(config_);
    std::unique_ptr<HidDevice> device = backend.open(node_path(0));
    ASSERT_NE(device, nullptr);

    send_report(board, {1, 2, 3, 4, 5, 6, 7, 8});
    Bytes buffer(9, 0xCC);
    std::size_t received = 0;
    ASSERT_EQ(device->read_report(buffer.data(), buffer.size(), &received, 1000), HidIoStatus::ok);
    EXPECT_EQ(received, 9u);
    EXPECT_EQ(buffer, (Bytes{0, 1, 2, 3, 4, 5, 6, 7, 8}));

    const Bytes report = {0, 9, 8, 7, 6, 5, 4, 3, 2};
    EXPECT_EQ(device->write_report(report.data(), report.size(), 100), HidIoStatus::ok);
    EXPECT_EQ(receive(board), report);
    // A report ID on a device without IDs, and an ID the descriptor lacks, are refused.
    const Bytes numbered = {1, 0, 0, 0, 0, 0, 0, 0, 0};
    EXPECT_EQ(device->write_report(numbered.data(), numbered.size(), 100), HidIoStatus::error);
    EXPECT_TRUE(receive(board).empty());
}

TEST_F(HidrawTest, UnknownReportIdOrShortBufferIsRefused) {
    const int board = add_node(0, uevent(VID, PID), &BOARD);
    std::unique_ptr<HidDevice> device = HidrawBackend(config_).open(node_path(0));
    ASSERT_NE(device, nullptr);
    Bytes report(1025, 0);
    report[0] = 3;  // an input report's ID
    EXPECT_EQ(device->write_report(report.data(), report.size(), 100), HidIoStatus::error);
    report[0] = 2;
    EXPECT_EQ(device->write_report(report.data(), 100, 100), HidIoStatus::error);
    EXPECT_TRUE(receive(board).empty());
}

TEST_F(HidrawTest, ReadTimeoutKeepsTheReportForTheNextRead) {
    const int board = add_node(0, uevent(VID, PID), &BOARD);
    std::unique_ptr<HidDevice> device = HidrawBackend(config_).open(node_path(0));
    ASSERT_NE(device, nullptr);
    Bytes buffer(65, 0xCC);
    std::size_t received = 0;
    EXPECT_EQ(device->read_report(buffer.data(), buffer.size(), &received, 0), HidIoStatus::timeout);
    EXPECT_EQ(buffer[0], 0xCC);
    send_report(board, {0x04, 0xAB});
    ASSERT_EQ(device->read_report(buffer.data(), buffer.size(), &received, 1000), HidIoStatus::ok);
    EXPECT_EQ(received, 2u);
    EXPECT_EQ(buffer[0], 0x04);
    EXPECT_EQ(buffer[1], 0xAB);
}

TEST_F(HidrawTest, UnplugFailsReadsAfterDrainingAndFailsWrites) {
    const int board = add_node(0, uevent(VID, PID), &BOARD);
    std::unique_ptr<HidDevice> device = HidrawBackend(config_).open(node_path(0));
    ASSERT_NE(device, nullptr);
    send_report(board, {0x03, 1, 2, 3, 4});
    ::shutdown(board, SHUT_RDWR);

    Bytes buffer(65);
    std::size_t received = 0;
    EXPECT_EQ(device->read_report(buffer.data(), buffer.size(), &received, 1000), HidIoStatus::ok);
    EXPECT_EQ(device->read_report(buffer.data(), buffer.size(), &received, 1000), HidIoStatus::error);
    Bytes report(17, 0);
    report[0] = 1;
    EXPECT_EQ(device->write_report(report.data(), report.size(), 100), HidIoStatus::error);
}

TEST_F(HidrawTest, StalledWriteTimesOutAndTheWriterRecovers) {
    const int board = add_node(0, uevent(VID, PID), &BOARD);
    int small = 1;  // the kernel rounds it up to its minimum
    ASSERT_EQ(::setsockopt(nodes_[node_path(0)], SOL_SOCKET, SO_SNDBUF, &small, sizeof small), 0);
    std::unique_ptr<HidDevice> device = HidrawBackend(config_).open(node_path(0));
    ASSERT_NE(device, nullptr);

    // Nobody reads at the board's end: the socket fills and a write stalls,
    // like a report the device does not take.
    Bytes report(1025, 0x77);
    report[0] = 2;
    HidIoStatus status = HidIoStatus::ok;
    int sent = 0;
    while (sent < 10000 && (status = device->write_report(report.data(), report.size(), 100)) == HidIoStatus::ok)
        ++sent;
    ASSERT_EQ(status, HidIoStatus::timeout);
    // The caller's buffer is its own again; changing it does not change what goes out.
    std::fill(report.begin() + 1, report.end(), 0x11);

    int drained = 0;
    while (!receive(board).empty()) ++drained;
    // The writer is free again once the stalled report got through.
    EXPECT_EQ(device->write_report(report.data(), report.size(), 1000), HidIoStatus::ok);
    for (int i = 0; i < 100 && receive(board).empty(); ++i) ::usleep(10000);
    EXPECT_GE(drained, sent);
}

}  // namespace
