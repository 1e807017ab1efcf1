#include "usb/rom_commands.h"

#include <cstdio>

#include "usb/hid_link.h"

namespace {

constexpr std::uint16_t ROM_CMD_WRITE_DCD = 0x0202;
constexpr std::uint16_t ROM_CMD_WRITE_FILE = 0x0404;
constexpr std::uint16_t ROM_CMD_CHECK_QEL = 0x0505;
constexpr std::uint16_t ROM_CMD_JUMP = 0x0B0B;
constexpr std::uint8_t ROM_FORMAT_32BIT = 0x20;
constexpr std::uint8_t ROM_TYPE_FILE = 0xAA;
constexpr std::uint32_t ROM_JUMP_ADDR_ROW5 = 0x00910000;
constexpr std::uint32_t ROM_JUMP_ADDR_OTHER = 0x00907000;
constexpr int ROM_ROW_KT410 = 5;

void put_be32(std::uint8_t* out, std::uint32_t value) {
    out[0] = static_cast<std::uint8_t>(value >> 24);
    out[1] = static_cast<std::uint8_t>(value >> 16);
    out[2] = static_cast<std::uint8_t>(value >> 8);
    out[3] = static_cast<std::uint8_t>(value);
}

// Stores the report ID of the next writes in the open link's output report.
bool rom_set_report_id(std::uint8_t report_id) {
    HidLink& link = hid_link();
    if (link.output_report.empty()) return false;
    link.output_report[0] = report_id;
    return true;
}

// Sends one command block as a report with ID 1. A block counts as sent only
// when all 16 bytes went out.
bool rom_send_block(const RomCommand& cmd) {
    if (!rom_set_report_id(ROM_REPORT_ID_COMMAND)) return false;
    const std::array<std::uint8_t, 16> block = rom_command_bytes(cmd);
    std::int32_t written = 0;
    return hid_write(block.data(), static_cast<std::uint32_t>(block.size()), written) == 1 &&
           written == static_cast<std::int32_t>(block.size());
}

// One reply word: the first four payload bytes of an input report, little
// endian; 0 (no reply word) when nothing arrived in time.
std::uint32_t rom_read_reply() {
    std::uint8_t bytes[4] = {0, 0, 0, 0};
    hid_read(bytes, sizeof bytes);
    return static_cast<std::uint32_t>(bytes[0]) | static_cast<std::uint32_t>(bytes[1]) << 8 |
           static_cast<std::uint32_t>(bytes[2]) << 16 | static_cast<std::uint32_t>(bytes[3]) << 24;
}

bool rom_is_security_word(std::uint32_t word) {
    return word == ROM_SECURITY_PRODUCTION || word == ROM_SECURITY_OPEN;
}

}  // namespace

std::array<std::uint8_t, 16> rom_command_bytes(const RomCommand& cmd) {
    std::array<std::uint8_t, 16> b{};
    b[0] = static_cast<std::uint8_t>(cmd.command >> 8);
    b[1] = static_cast<std::uint8_t>(cmd.command);
    put_be32(&b[2], cmd.address);
    b[6] = cmd.format;
    put_be32(&b[7], cmd.data_count);
    put_be32(&b[11], cmd.data);
    b[15] = cmd.type;
    return b;
}

int rom_check_qel(std::uint8_t& mode) {
    RomCommand cmd;
    cmd.command = ROM_CMD_CHECK_QEL;
    if (!rom_send_block(cmd)) return 0;
    const std::uint32_t reply = rom_read_reply();
    if (reply == ROM_SECURITY_PRODUCTION) {
        mode = 1;
    } else if (reply == ROM_SECURITY_OPEN) {
        mode = 2;
    } else {
        return 0;
    }
    // The second word carries nothing the download needs; a missing one does
    // not fail the query.
    rom_read_reply();
    return 1;
}

int rom_write_dcd(const DcdItem* items, std::int32_t count) {
    if (count <= 0) return 1;
    if (items == nullptr) return 0;
    for (std::int32_t i = 0; i < count; ++i) {
        RomCommand cmd;
        cmd.command = ROM_CMD_WRITE_DCD;
        cmd.address = items[i].addr;
        cmd.format = ROM_FORMAT_32BIT;
        cmd.data = items[i].value;
        if (!rom_send_block(cmd)) return 0;
        if (!rom_is_security_word(rom_read_reply())) return 0;
        if (rom_read_reply() != ROM_DCD_COMPLETE) return 0;
    }
    return 1;
}

int rom_write_image(const std::uint8_t* data, std::uint32_t length, std::uint32_t address) {
    RomCommand cmd;
    cmd.command = ROM_CMD_WRITE_FILE;
    cmd.address = address;
    cmd.data_count = length;
    cmd.type = ROM_TYPE_FILE;
    if (!rom_send_block(cmd)) {
        std::printf("%s: writing cmd to device failed\n", "rom_write_image");
        return 0;
    }
    // The report ID stays 2 afterwards; the next command block stores 1.
    std::int32_t written = 0;
    const bool sent = rom_set_report_id(ROM_REPORT_ID_DATA) && hid_write(data, length, written) == 1;
    std::printf("image_len=%d  bytesWritten=%d\n", static_cast<int>(length), static_cast<int>(written));
    if (!sent) return 0;
    if (!rom_is_security_word(rom_read_reply())) return 0;
    return rom_read_reply() == ROM_FILE_COMPLETE ? 1 : 0;
}

int rom_jump(int row) {
    RomCommand cmd;
    cmd.command = ROM_CMD_JUMP;
    cmd.address = row == ROM_ROW_KT410 ? ROM_JUMP_ADDR_ROW5 : ROM_JUMP_ADDR_OTHER;
    if (!rom_send_block(cmd)) return 0;
    return rom_is_security_word(rom_read_reply()) ? 1 : 0;
}
