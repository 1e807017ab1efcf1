// The test firmware of a simulated board: takes the sync head packet and the
// firmware-link commands, and answers with lines of UTF-8 text, each after
// the time the board needs for it, and one status code.
#pragma once

#include <cstddef>
#include <cstdint>
#include <map>
#include <string>
#include <vector>

constexpr std::uint8_t SIM_STATUS_CALIBRATION_PASS = 1;
constexpr std::uint8_t SIM_STATUS_CALIBRATION_FAIL = 2;
constexpr std::uint8_t SIM_STATUS_READ_DONE = 3;
constexpr std::uint8_t SIM_STATUS_STRESS_PASS = 4;
constexpr std::uint8_t SIM_STATUS_STRESS_FAIL = 5;
constexpr std::uint8_t SIM_STATUS_VOLTAGE_SET = 6;
constexpr std::uint8_t SIM_STATUS_WRITE_DONE = 7;
constexpr std::uint8_t SIM_STATUS_REFUSED = 10;
// What unwritten memory reads as.
constexpr std::uint32_t SIM_MEMORY_PATTERN = 0x5A5A5A5A;

struct SimFirmwareState {
    int target = 0;          // row of the board
    int max_freq = 600;      // highest stable DDR frequency, MHz
    int status_override = -1;
    bool synced = false;
    std::uint16_t density = 0, arm_speed = 0;
    int ddr_cs = 0, ddr_channel = 0;
    int vdd_arm = 0xCC, vdd_soc = 0xCC;
    std::map<std::uint32_t, std::uint32_t> memory;
};

struct SimLine {
    int delay_ms;      // board time before this line is ready, after the previous one
    std::string text;  // UTF-8
};

struct SimFirmwareReply {
    std::vector<SimLine> lines;
    int status = -1;  // status code sent after the lines, -1 none
};

// Handles one packet (the payload of one output report with ID 2).
SimFirmwareReply sim_firmware_take_packet(SimFirmwareState& state, const std::uint8_t* payload,
                                          std::size_t length);

// The packet's own bytes: 8 for the sync head packet, 2 + count for a
// command; at most length.
std::size_t sim_firmware_packet_size(const std::uint8_t* payload, std::size_t length);
