#include "usb/rom_commands.h"

#include <gtest/gtest.h>

#include <string>

#include "tests/usb/fake_hid_backend.h"
#include "usb/hid_link.h"

namespace {

constexpr std::uint16_t VID = 0x1209;
constexpr std::uint16_t PID = 0x0005;
constexpr std::uint16_t OUT_LEN = 1025;  // 1024 data bytes under ID 2, the longest report
constexpr std::uint16_t IN_LEN = 65;

using Bytes = std::vector<std::uint8_t>;

const Bytes SEC_OPEN = {0x56, 0x78, 0x78, 0x56};
const Bytes SEC_PRODUCTION = {0x12, 0x34, 0x34, 0x12};
const Bytes DCD_DONE = {0x12, 0x8A, 0x8A, 0x12};
const Bytes FILE_DONE = {0x88, 0x88, 0x88, 0x88};

class RomCommandsTest : public ::testing::Test {
protected:
    void SetUp() override {
        hid_close_device();
        hid_link().backend = &backend;
        hid_link().vendor_id = VID;
        dev = backend.add("rom", VID, PID, IN_LEN, OUT_LEN).state.get();
        ASSERT_EQ(hid_find_device(PID, &hid_link().caps), 1);
        ASSERT_EQ(hid_open_device(), 1);
        hid_link().output_report[0] = 0x7F;  // whatever an earlier user left
    }
    void TearDown() override {
        hid_close_device();
        hid_link().backend = nullptr;
        hid_link().device_path.reset();
    }

    void reply(const Bytes& word) { dev->queue_report(word, IN_LEN); }

    // The command block carried by written report i: ID 1, 16 bytes, zeros after.
    Bytes block_of(std::size_t i) const {
        const Bytes& report = dev->written.at(i);
        EXPECT_EQ(report.size(), OUT_LEN);
        EXPECT_EQ(report[0], ROM_REPORT_ID_COMMAND);
        for (std::size_t k = 17; k < report.size(); ++k) EXPECT_EQ(report[k], 0) << "byte " << k;
        return Bytes(report.begin() + 1, report.begin() + 17);
    }

    FakeHidBackend backend;
    FakeDeviceState* dev = nullptr;
};

TEST(RomCommandBytes, FieldsAreBigEndianAtTheirOffsets) {
    RomCommand cmd{0x0404, 0x00907000, 0x00, 0x00002000, 0x11223344, 0xAA};
    const std::array<std::uint8_t, 16> b = rom_command_bytes(cmd);
    const std::array<std::uint8_t, 16> expected = {0x04, 0x04, 0x00, 0x90, 0x70, 0x00, 0x00, 0x00,
                                                   0x00, 0x20, 0x00, 0x11, 0x22, 0x33, 0x44, 0xAA};
    EXPECT_EQ(b, expected);
}

TEST_F(RomCommandsTest, CheckQelQueryBlockAndSecurityModes) {
    struct Case {
        Bytes reply1;
        bool second;
        int result;
        std::uint8_t mode;
    };
    const Case cases[] = {
        {SEC_PRODUCTION, true, 1, 1},
        {SEC_OPEN, false, 1, 2},  // second reply never comes: still a success
        {DCD_DONE, true, 0, 0xEE},
        {Bytes{0x56, 0x78, 0x78, 0x57}, true, 0, 0xEE},
    };
    for (const Case& c : cases) {
        dev->written.clear();
        dev->to_read.clear();
        dev->reads = 0;
        reply(c.reply1);
        if (c.second) reply({0xF0, 0xF0, 0xF0, 0xF0});
        std::uint8_t mode = 0xEE;
        EXPECT_EQ(rom_check_qel(mode), c.result);
        EXPECT_EQ(mode, c.mode);
        ASSERT_EQ(dev->written.size(), 1u);
        EXPECT_EQ(block_of(0), Bytes({0x05, 0x05, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0}));
        EXPECT_EQ(dev->reads, c.result == 1 ? 2 : 1);
    }
}

TEST_F(RomCommandsTest, CheckQelTimeoutFailsAndFailedSendReadsNothing) {
    std::uint8_t mode = 0;
    EXPECT_EQ(rom_check_qel(mode), 0);  // no reply at all
    EXPECT_EQ(mode, 0);

    dev->reads = 0;
    dev->write_results.assign(2, HidIoStatus::timeout);  // every write from now on
    reply(SEC_OPEN);
    EXPECT_EQ(rom_check_qel(mode), 0);
    EXPECT_EQ(dev->reads, 0);
}

TEST_F(RomCommandsTest, WriteDcdSendsOneBlockPerItemInOrder) {
    const DcdItem items[] = {{0x021B0000, 0x00000800}, {0x020E04A0, 0xDEADBEEF}};
    for (int i = 0; i < 2; ++i) {
        reply(i == 0 ? SEC_OPEN : SEC_PRODUCTION);
        reply(DCD_DONE);
    }
    EXPECT_EQ(rom_write_dcd(items, 2), 1);
    ASSERT_EQ(dev->written.size(), 2u);
    EXPECT_EQ(block_of(0), Bytes({0x02, 0x02, 0x02, 0x1B, 0x00, 0x00, 0x20, 0x00, 0x00, 0x00, 0x00, 0x00,
                                  0x00, 0x08, 0x00, 0x00}));
    EXPECT_EQ(block_of(1), Bytes({0x02, 0x02, 0x02, 0x0E, 0x04, 0xA0, 0x20, 0x00, 0x00, 0x00, 0x00, 0xDE,
                                  0xAD, 0xBE, 0xEF, 0x00}));
    EXPECT_EQ(dev->reads, 4);
}

TEST_F(RomCommandsTest, WriteDcdWithoutItemsSendsNothing) {
    const DcdItem item{1, 2};
    EXPECT_EQ(rom_write_dcd(&item, 0), 1);
    EXPECT_EQ(rom_write_dcd(&item, -3), 1);
    EXPECT_TRUE(dev->written.empty());
    EXPECT_EQ(dev->reads, 0);
}

TEST_F(RomCommandsTest, WriteDcdStopsAtTheFirstWrongReply) {
    const DcdItem items[] = {{0x10, 1}, {0x20, 2}, {0x30, 3}};
    // Item 1: a completion word where the security word belongs; the second
    // reply is not read and nothing further is sent.
    reply(DCD_DONE);
    reply(DCD_DONE);
    EXPECT_EQ(rom_write_dcd(items, 3), 0);
    EXPECT_EQ(dev->written.size(), 1u);
    EXPECT_EQ(dev->reads, 1);

    // Item 2 of the next run gets a security word where the completion belongs.
    dev->written.clear();
    dev->to_read.clear();
    dev->reads = 0;
    reply(SEC_OPEN);
    reply(DCD_DONE);
    reply(SEC_OPEN);
    reply(SEC_OPEN);
    EXPECT_EQ(rom_write_dcd(items, 3), 0);
    EXPECT_EQ(dev->written.size(), 2u);
    EXPECT_EQ(dev->reads, 4);
}

TEST_F(RomCommandsTest, WriteImageSendsBlockThenDataUnderIdTwo) {
    Bytes image(8192 + 1000);
    for (std::size_t i = 0; i < image.size(); ++i) image[i] = static_cast<std::uint8_t>(i * 7 + 3);
    reply(SEC_OPEN);
    reply(FILE_DONE);
    ::testing::internal::CaptureStdout();
    EXPECT_EQ(rom_write_image(image.data(), static_cast<std::uint32_t>(image.size()), 0x00907000), 1);
    EXPECT_EQ(::testing::internal::GetCapturedStdout(), "image_len=9192  bytesWritten=9192\n");

    ASSERT_EQ(dev->written.size(), 1u + 9u);
    EXPECT_EQ(block_of(0), Bytes({0x04, 0x04, 0x00, 0x90, 0x70, 0x00, 0x00, 0x00, 0x00, 0x23, 0xE8, 0x00,
                                  0x00, 0x00, 0x00, 0xAA}));
    Bytes data;
    for (std::size_t i = 1; i < dev->written.size(); ++i) {
        EXPECT_EQ(dev->written[i][0], ROM_REPORT_ID_DATA);
        data.insert(data.end(), dev->written[i].begin() + 1, dev->written[i].end());
    }
    Bytes expected = image;
    expected.resize(9 * 1024, 0);
    EXPECT_EQ(data, expected);
    EXPECT_EQ(hid_link().output_report[0], ROM_REPORT_ID_DATA);
    EXPECT_EQ(dev->reads, 2);
}

TEST_F(RomCommandsTest, WriteImageOf8192BytesCarriesItsLength) {
    Bytes image(8192, 0x5A);
    reply(SEC_OPEN);
    reply(FILE_DONE);
    ::testing::internal::CaptureStdout();
    EXPECT_EQ(rom_write_image(image.data(), 8192, 0x00910000), 1);
    ::testing::internal::GetCapturedStdout();
    EXPECT_EQ(block_of(0), Bytes({0x04, 0x04, 0x00, 0x91, 0x00, 0x00, 0x00, 0x00, 0x00, 0x20, 0x00, 0x00,
                                  0x00, 0x00, 0x00, 0xAA}));
    EXPECT_EQ(dev->written.size(), 1u + 8u);
}

TEST_F(RomCommandsTest, WriteImageOfZeroBytesSendsOnlyTheBlockAndWaitsForReplies) {
    reply(SEC_OPEN);
    reply(FILE_DONE);
    ::testing::internal::CaptureStdout();
    EXPECT_EQ(rom_write_image(nullptr, 0, 0x00907000), 1);
    EXPECT_EQ(::testing::internal::GetCapturedStdout(), "image_len=0  bytesWritten=0\n");
    ASSERT_EQ(dev->written.size(), 1u);
    EXPECT_EQ(block_of(0)[10], 0);
    EXPECT_EQ(dev->reads, 2);
}

TEST_F(RomCommandsTest, WriteImageRepliesDecide) {
    struct Case {
        Bytes reply1, reply2;
        int result;
    };
    const Case cases[] = {
        {SEC_PRODUCTION, FILE_DONE, 1},
        {FILE_DONE, FILE_DONE, 0},
        {SEC_OPEN, DCD_DONE, 0},
        {SEC_OPEN, {}, 0},  // second reply missing
    };
    const Bytes image(100, 1);
    for (const Case& c : cases) {
        dev->to_read.clear();
        reply(c.reply1);
        if (!c.reply2.empty()) reply(c.reply2);
        ::testing::internal::CaptureStdout();
        EXPECT_EQ(rom_write_image(image.data(), 100, 0x00907000), c.result);
        EXPECT_EQ(::testing::internal::GetCapturedStdout(), "image_len=100  bytesWritten=100\n");
    }
}

TEST_F(RomCommandsTest, WriteImageStallPrintsPartialCountAndReadsNothing) {
    // Report 0 is the block, reports 1 and 2 carry data, report 3 stalls.
    dev->write_results = {HidIoStatus::ok, HidIoStatus::ok, HidIoStatus::ok, HidIoStatus::timeout};
    reply(SEC_OPEN);
    reply(FILE_DONE);
    const Bytes image(5000, 0x42);
    ::testing::internal::CaptureStdout();
    EXPECT_EQ(rom_write_image(image.data(), 5000, 0x00907000), 0);
    EXPECT_EQ(::testing::internal::GetCapturedStdout(), "image_len=5000  bytesWritten=2048\n");
    EXPECT_EQ(dev->reads, 0);
}

TEST_F(RomCommandsTest, WriteImageBlockFailurePrintsItsLine) {
    dev->write_results = {HidIoStatus::timeout};
    const Bytes image(10, 1);
    ::testing::internal::CaptureStdout();
    EXPECT_EQ(rom_write_image(image.data(), 10, 0x00907000), 0);
    EXPECT_EQ(::testing::internal::GetCapturedStdout(), "rom_write_image: writing cmd to device failed\n");
    EXPECT_EQ(dev->written.size(), 0u);
    EXPECT_EQ(dev->reads, 0);
}

TEST_F(RomCommandsTest, JumpBlockPerRowAndOneReply) {
    for (int row = 0; row < 6; ++row) {
        dev->written.clear();
        dev->to_read.clear();
        dev->reads = 0;
        reply(SEC_OPEN);
        reply(SEC_OPEN);
        EXPECT_EQ(rom_jump(row), 1);
        const Bytes expected = row == 5 ? Bytes{0x0B, 0x0B, 0x00, 0x91, 0x00, 0x00, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0}
                                        : Bytes{0x0B, 0x0B, 0x00, 0x90, 0x70, 0x00, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0};
        ASSERT_EQ(dev->written.size(), 1u);
        EXPECT_EQ(block_of(0), expected) << "row " << row;
        EXPECT_EQ(dev->reads, 1);
    }
    dev->to_read.clear();
    EXPECT_EQ(rom_jump(0), 0);  // no answer
    reply(FILE_DONE);
    EXPECT_EQ(rom_jump(0), 0);  // not a security word
}

TEST(RomCommandsClosed, EveryCommandFailsOnAClosedLink) {
    hid_close_device();
    std::uint8_t mode = 0;
    const DcdItem item{1, 2};
    const std::uint8_t byte = 0;
    EXPECT_EQ(rom_check_qel(mode), 0);
    EXPECT_EQ(rom_write_dcd(&item, 1), 0);
    EXPECT_EQ(rom_jump(0), 0);
    ::testing::internal::CaptureStdout();
    EXPECT_EQ(rom_write_image(&byte, 1, 0), 0);
    EXPECT_EQ(::testing::internal::GetCapturedStdout(), "rom_write_image: writing cmd to device failed\n");
}

}  // namespace
