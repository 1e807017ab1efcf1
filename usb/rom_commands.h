// The boot ROM's serial-download commands used by a Download.
#pragma once

#include <array>
#include <cstdint>

#include "catalogue/script_reader.h"

// The 16-byte big-endian command block.
struct RomCommand {
    std::uint16_t command = 0;
    std::uint32_t address = 0;
    std::uint8_t format = 0;
    std::uint32_t data_count = 0;
    std::uint32_t data = 0;
    std::uint8_t type = 0;
};
std::array<std::uint8_t, 16> rom_command_bytes(const RomCommand& cmd);

constexpr std::uint32_t ROM_SECURITY_PRODUCTION = 0x12343412;  // security mode 1
constexpr std::uint32_t ROM_SECURITY_OPEN = 0x56787856;        // security mode 2
constexpr std::uint32_t ROM_DCD_COMPLETE = 0x128A8A12;
constexpr std::uint32_t ROM_FILE_COMPLETE = 0x88888888;
constexpr std::uint8_t ROM_REPORT_ID_COMMAND = 1;
constexpr std::uint8_t ROM_REPORT_ID_DATA = 2;

int rom_check_qel(std::uint8_t& mode);
int rom_write_dcd(const DcdItem* items, std::int32_t count);
int rom_write_image(const std::uint8_t* data, std::uint32_t length, std::uint32_t address);
int rom_jump(int row);
