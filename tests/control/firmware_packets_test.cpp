// Byte layouts of the firmware link's packets, the status frame and hex_to_u32.
#include <gtest/gtest.h>

#include <cstring>
#include <vector>

#include "control/firmware_packets.h"
#include "control/firmware_path.h"

namespace {

template <std::size_t N>
std::vector<int> bytes(const std::array<std::uint8_t, N>& a) {
    return std::vector<int>(a.begin(), a.end());
}

TEST(FirmwarePackets, LayoutsAreByteExact) {
    // Settings "1GB", "1GHz", CS "ALL", channel "1" on row 2.
    EXPECT_EQ(bytes(fw_sync_head_packet(0x60, 0x0400, 1, 1, 1000)),
              (std::vector<int>{0xA5, 0x60, 0x04, 0x00, 0x01, 0x01, 0x03, 0xE8}));
    EXPECT_EQ(bytes(fw_calibration_packet(528, 0x0046)), (std::vector<int>{0, 3, 0x02, 0x10, 0x46}));
    EXPECT_EQ(bytes(fw_calibration_packet(528, 0x1246)), (std::vector<int>{0, 3, 0x02, 0x10, 0x46}));
    EXPECT_EQ(bytes(fw_calibration_packet(65536 + 528, 0)), (std::vector<int>{0, 3, 0x02, 0x10, 0}));
    EXPECT_EQ(bytes(fw_stress_test_packet(400, 528, true)),
              (std::vector<int>{1, 5, 0x01, 0x90, 0x02, 0x10, 1}));
    EXPECT_EQ(bytes(fw_read_memory_packet(0x80000000u, 8)),
              (std::vector<int>{3, 5, 0x80, 0, 0, 0, 8}));
    EXPECT_EQ(bytes(fw_write_memory_packet(0x10000000u, 0x12345678u)),
              (std::vector<int>{4, 8, 0x10, 0, 0, 0, 0x12, 0x34, 0x56, 0x78}));
    EXPECT_EQ(bytes(fw_set_voltage_packet(204, 14)), (std::vector<int>{2, 2, 0xCC, 0x0E}));
}

TEST(FirmwarePackets, StatusFrameAndText) {
    const std::uint8_t frame[] = {0xAA, 0xBB, 0xCC, 0x05, 'x', 'y'};
    ASSERT_TRUE(fw_status_code(frame, sizeof frame).has_value());
    EXPECT_EQ(*fw_status_code(frame, sizeof frame), 5);
    const std::uint8_t near[] = {0xAA, 0xBB, 0xCD, 0x01, 'a', 0, 'b'};
    EXPECT_FALSE(fw_status_code(near, sizeof near).has_value());
    EXPECT_EQ(fw_text_length(near, sizeof near), 5u);
    const std::uint8_t full[64] = {'z'};
    std::uint8_t all[64];
    std::fill(all, all + 64, 'q');
    EXPECT_EQ(fw_text_length(all, 64), 64u);
    EXPECT_EQ(fw_text_length(full, 64), 1u);
}

TEST(FirmwarePackets, HexToU32) {
    struct Case {
        const char* text;
        std::uint32_t value;
    } cases[] = {{"1", 1}, {"80000000", 0x80000000u}, {"12345678", 0x12345678u},
                 {"abcdef12", 0xABCDEF12u}, {"ABCDEF12", 0xABCDEF12u}, {"123456789", 0x23456789u}};
    for (const Case& c : cases)
        EXPECT_EQ(hex_to_u32(c.text, static_cast<int>(std::strlen(c.text))), c.value) << c.text;
    EXPECT_TRUE(is_hex_text("00fF"));
    EXPECT_FALSE(is_hex_text(""));
    EXPECT_FALSE(is_hex_text("00G0"));
}

TEST(FirmwarePath, SeparatorOfThePlatform) {
#ifdef _WIN32
    EXPECT_EQ(firmware_path_on_disk("bin\\ddr-test-kt310.bin"), "bin\\ddr-test-kt310.bin");
#else
    EXPECT_EQ(firmware_path_on_disk("bin\\ddr-test-kt310.bin"), "bin/ddr-test-kt310.bin");
#endif
}

}  // namespace
