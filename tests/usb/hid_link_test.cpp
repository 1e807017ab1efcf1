#include "usb/hid_link.h"

#include <gtest/gtest.h>

#include <numeric>

#include "tests/usb/fake_hid_backend.h"

namespace {

constexpr std::uint16_t VID = 0x1209;
constexpr std::uint16_t PID = 0x0042;

class HidLinkTest : public ::testing::Test {
protected:
    void SetUp() override {
        reset_link();
        hid_link().backend = &backend;
        hid_link().vendor_id = VID;
    }
    void TearDown() override { reset_link(); }

    static void reset_link() {
        hid_close_device();
        HidLink& link = hid_link();
        link.backend = nullptr;
        link.device_path.reset();
        link.caps = {};
    }

    // One usable device (output 1 + c bytes, input 65) found and opened.
    FakeDeviceState& open_device(std::uint16_t output_length = 17, std::uint16_t input_length = 65) {
        FakeInterface& i = backend.add("dev0", VID, PID, input_length, output_length);
        EXPECT_EQ(hid_find_device(PID, &hid_link().caps), 1);
        EXPECT_EQ(hid_open_device(), 1);
        return *i.state;
    }

    FakeHidBackend backend;
};

TEST_F(HidLinkTest, DiscoveryTakesFirstMatchAndSkipsTheRest) {
    backend.add("other-vendor", 0x1234, PID, 65, 17);
    backend.add("other-product", VID, PID + 1, 65, 17);
    backend.add("unreadable", VID, PID, 65, 17).probe_ok = false;
    backend.add("input-too-short", VID, PID, 4, 17);  // 3 payload bytes
    backend.add("no-output-payload", VID, PID, 65, 1);
    backend.add("first", VID, PID, 65, 1025);
    backend.add("second", VID, PID, 33, 17);

    HidCaps caps;
    ASSERT_EQ(hid_find_device(PID, &caps), 1);
    EXPECT_EQ(hid_link().device_path, "first");
    EXPECT_EQ(caps.InputReportByteLength, 65);
    EXPECT_EQ(caps.OutputReportByteLength, 1025);
    // The link's own record describes the device found, whatever record the caller passed.
    EXPECT_EQ(hid_link().caps.OutputReportByteLength, 1025);
}

TEST_F(HidLinkTest, DeviceWithExactlyTheMinimumRoomIsUsable) {
    backend.add("tight", VID, PID, 5, 2);
    EXPECT_EQ(hid_find_device(PID, &hid_link().caps), 1);
}

TEST_F(HidLinkTest, FailedDiscoveryDropsPathKeepsCapsAndOpenFails) {
    backend.add("dev0", VID, PID, 65, 17);
    ASSERT_EQ(hid_find_device(PID, &hid_link().caps), 1);
    backend.interfaces.clear();

    EXPECT_EQ(hid_find_device(PID, &hid_link().caps), 0);
    EXPECT_FALSE(hid_link().device_path.has_value());
    EXPECT_EQ(hid_link().caps.InputReportByteLength, 65);
    EXPECT_EQ(hid_link().caps.OutputReportByteLength, 17);

    ::testing::internal::CaptureStdout();
    EXPECT_EQ(hid_open_device(), 0);
    EXPECT_EQ(::testing::internal::GetCapturedStdout(), "Failed to open the device for wr/rd.\n");
    EXPECT_EQ(hid_link().device, nullptr);
}

TEST_F(HidLinkTest, OpenFailurePrintsOneLineAndLeavesLinkClosed) {
    backend.add("dev0", VID, PID, 65, 17).open_ok = false;
    ASSERT_EQ(hid_find_device(PID, &hid_link().caps), 1);
    ::testing::internal::CaptureStdout();
    EXPECT_EQ(hid_open_device(), 0);
    EXPECT_EQ(::testing::internal::GetCapturedStdout(), "Failed to open the device for wr/rd.\n");
    EXPECT_TRUE(hid_link().input_report.empty());
    EXPECT_TRUE(hid_link().output_report.empty());
}

TEST_F(HidLinkTest, OpenSizesBuffersAndCloseIsIdempotentReopenNeedsNoDiscovery) {
    FakeDeviceState& dev = open_device(1025, 65);
    EXPECT_EQ(hid_link().output_report.size(), 1025u);
    EXPECT_EQ(hid_link().input_report.size(), 65u);

    EXPECT_EQ(hid_close_device(), 1);
    EXPECT_TRUE(dev.closed);
    EXPECT_EQ(hid_close_device(), 1);
    EXPECT_EQ(hid_link().device_path, "dev0");

    EXPECT_EQ(hid_open_device(), 1);
    EXPECT_EQ(backend.opened, (std::vector<std::string>{"dev0", "dev0"}));
    EXPECT_FALSE(dev.closed);
}

TEST_F(HidLinkTest, WriteAndReadOnClosedLinkFailAndTouchNothing) {
    std::uint8_t data[4] = {1, 2, 3, 4};
    std::int32_t written = 7;
    EXPECT_EQ(hid_write(data, sizeof data, written), 0);
    EXPECT_EQ(written, 0);
    std::uint8_t dest[4] = {9, 9, 9, 9};
    EXPECT_EQ(hid_read(dest, sizeof dest), 0);
    EXPECT_EQ(dest[0], 9);
}

// Stream lengths around the chunk size c = 16, with the reports they take.
struct ChunkCase {
    std::uint32_t length;
    std::size_t reports;
};
class HidWriteChunks : public HidLinkTest, public ::testing::WithParamInterface<ChunkCase> {};

TEST_P(HidWriteChunks, CutsStreamIntoZeroFilledFullReportsKeepingTheId) {
    FakeDeviceState& dev = open_device(17);
    hid_link().output_report[0] = 2;
    std::vector<std::uint8_t> data(GetParam().length);
    std::iota(data.begin(), data.end(), std::uint8_t{1});

    std::int32_t written = -1;
    EXPECT_EQ(hid_write(data.data(), GetParam().length, written), 1);
    EXPECT_EQ(written, static_cast<std::int32_t>(GetParam().length));
    ASSERT_EQ(dev.written.size(), GetParam().reports);

    std::vector<std::uint8_t> payload;
    for (const std::vector<std::uint8_t>& report : dev.written) {
        ASSERT_EQ(report.size(), 17u);
        EXPECT_EQ(report[0], 2);
        payload.insert(payload.end(), report.begin() + 1, report.end());
    }
    std::vector<std::uint8_t> expected = data;
    expected.resize(GetParam().reports * 16, 0);
    EXPECT_EQ(payload, expected);
    for (int t : dev.write_timeouts) EXPECT_EQ(t, HID_WRITE_TIMEOUT_MS);
    EXPECT_EQ(hid_link().output_report[0], 2);
}

INSTANTIATE_TEST_SUITE_P(Lengths, HidWriteChunks,
                         ::testing::Values(ChunkCase{0, 0}, ChunkCase{1, 1}, ChunkCase{16, 1},
                                           ChunkCase{17, 2}, ChunkCase{48, 3}, ChunkCase{49, 4}));

TEST_F(HidLinkTest, SecondReportOfShortTailCarriesOneByteThenZeros) {
    FakeDeviceState& dev = open_device(17);
    hid_link().output_report[0] = 1;
    std::vector<std::uint8_t> first(16, 0xEE);
    std::int32_t written = 0;
    ASSERT_EQ(hid_write(first.data(), 16, written), 1);
    // A later, shorter stream must not carry bytes of the earlier one.
    std::vector<std::uint8_t> data(17, 0x5A);
    ASSERT_EQ(hid_write(data.data(), 17, written), 1);
    ASSERT_EQ(dev.written.size(), 3u);
    std::vector<std::uint8_t> tail(17, 0);
    tail[0] = 1;
    tail[1] = 0x5A;
    EXPECT_EQ(dev.written[2], tail);
}

TEST_F(HidLinkTest, TimeoutOnThirdReportStopsWithTwoChunksCounted) {
    for (HidIoStatus failure : {HidIoStatus::timeout, HidIoStatus::error}) {
        FakeDeviceState& dev = open_device(17);
        dev.write_results = {HidIoStatus::ok, HidIoStatus::ok, failure};
        hid_link().output_report[0] = 2;
        std::vector<std::uint8_t> data(5 * 16, 0x11);
        std::int32_t written = 0;
        EXPECT_EQ(hid_write(data.data(), static_cast<std::uint32_t>(data.size()), written), 0);
        EXPECT_EQ(written, 2 * 16);
        EXPECT_EQ(dev.write_timeouts.size(), 3u);  // nothing retried, nothing after the failure
        hid_close_device();
        backend.interfaces.clear();
    }
}

TEST_F(HidLinkTest, ReadCopiesAtMostThePayloadAndSkipsTheIdByte) {
    FakeDeviceState& dev = open_device(17, 9);  // 8 payload bytes
    dev.queue_report({1, 2, 3, 4, 5, 6, 7, 8}, 9, 0x77);
    dev.queue_report({1, 2, 3, 4, 5, 6, 7, 8}, 9, 0x77);

    std::uint8_t dest[12];
    std::fill(std::begin(dest), std::end(dest), 0xCC);
    EXPECT_EQ(hid_read(dest, sizeof dest), 1);
    const std::uint8_t expected[12] = {1, 2, 3, 4, 5, 6, 7, 8, 0xCC, 0xCC, 0xCC, 0xCC};
    EXPECT_TRUE(std::equal(std::begin(dest), std::end(dest), expected));

    std::fill(std::begin(dest), std::end(dest), 0xCC);
    EXPECT_EQ(hid_read(dest, 4), 1);
    const std::uint8_t first_four[12] = {1, 2, 3, 4, 0xCC, 0xCC, 0xCC, 0xCC, 0xCC, 0xCC, 0xCC, 0xCC};
    EXPECT_TRUE(std::equal(std::begin(dest), std::end(dest), first_four));
    EXPECT_EQ(dev.read_timeouts, (std::vector<int>{HID_READ_TIMEOUT_MS, HID_READ_TIMEOUT_MS}));
}

TEST_F(HidLinkTest, ReadTimeoutLeavesDestinationAndShortReportGivesZeros) {
    FakeDeviceState& dev = open_device(17, 9);
    std::uint8_t dest[4] = {0xCC, 0xCC, 0xCC, 0xCC};
    EXPECT_EQ(hid_read(dest, 4), 0);
    EXPECT_EQ(dest[0], 0xCC);

    // A full report first, then one that carries only two bytes: the second
    // read must not hand out bytes of the first.
    dev.queue_report({1, 2, 3, 4, 5, 6, 7, 8}, 9);
    dev.to_read.push_back({0, 0xAB, 0xCD});
    ASSERT_EQ(hid_read(dest, 4), 1);
    ASSERT_EQ(hid_read(dest, 4), 1);
    const std::uint8_t expected[4] = {0xAB, 0xCD, 0, 0};
    EXPECT_TRUE(std::equal(std::begin(dest), std::end(dest), expected));
}

TEST_F(HidLinkTest, ReportIdMustBeStoredAgainAfterReopen) {
    FakeDeviceState& dev = open_device(17);
    hid_link().output_report[0] = 2;
    hid_close_device();
    ASSERT_EQ(hid_open_device(), 1);
    hid_link().output_report[0] = 1;
    std::uint8_t byte = 0x33;
    std::int32_t written = 0;
    ASSERT_EQ(hid_write(&byte, 1, written), 1);
    ASSERT_EQ(dev.written.size(), 1u);
    EXPECT_EQ(dev.written[0][0], 1);
}

}  // namespace
