// The packets of the firmware link: the sync head packet, the five test
// commands and the status frame, as byte arrays. Multi-byte arguments go
// high byte first; byte 1 of a command is the count of bytes that follow.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>

enum FirmwareCommand : std::uint8_t {
    FW_CMD_CALIBRATION = 0,
    FW_CMD_STRESS_TEST = 1,
    FW_CMD_SET_VOLTAGE = 2,
    FW_CMD_READ_MEMORY = 3,
    FW_CMD_WRITE_MEMORY = 4,
};

constexpr std::uint8_t SYNC_HEAD_MARK = 0xA5;
constexpr std::uint8_t STATUS_FRAME_MARK[3] = {0xAA, 0xBB, 0xCC};
// Most payload bytes of one input report the receive loop takes.
constexpr std::size_t FW_RECEIVE_BUFFER_SIZE = 256;

using SyncHeadPacket = std::array<std::uint8_t, 8>;
using CalibrationPacket = std::array<std::uint8_t, 5>;
using StressTestPacket = std::array<std::uint8_t, 7>;
using SetVoltagePacket = std::array<std::uint8_t, 4>;
using ReadMemoryPacket = std::array<std::uint8_t, 7>;
using WriteMemoryPacket = std::array<std::uint8_t, 10>;

SyncHeadPacket fw_sync_head_packet(std::uint8_t sync_code, std::uint16_t density_code, int ddr_cs,
                                   int ddr_channel, std::uint16_t arm_speed_code);
// Frequencies: only their low 16 bits are sent; MR1: only its low 8 bits.
CalibrationPacket fw_calibration_packet(int ddr_freq, std::uint32_t mr1);
StressTestPacket fw_stress_test_packet(int start_freq, int end_freq, bool over_night);
SetVoltagePacket fw_set_voltage_packet(int arm_code, int soc_code);
ReadMemoryPacket fw_read_memory_packet(std::uint32_t address, int words);
WriteMemoryPacket fw_write_memory_packet(std::uint32_t address, std::uint32_t data);

// The status code of a payload that is a status frame (AA BB CC code ...).
std::optional<std::uint8_t> fw_status_code(const std::uint8_t* payload, std::size_t length);
// The text bytes of a payload: those before its first zero byte, at most length.
std::size_t fw_text_length(const std::uint8_t* payload, std::size_t length);

// n hex digits, high digit first; no prefix and no check (callers check the
// characters first); wraps at 32 bits.
std::uint32_t hex_to_u32(const char* text, int n);
// True when text is non-empty and every character is 0-9, A-F or a-f.
bool is_hex_text(const std::string& text);
