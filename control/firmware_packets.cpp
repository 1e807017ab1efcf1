#include "control/firmware_packets.h"

#include <cstring>

namespace {

std::uint8_t hi8(std::uint32_t v) { return static_cast<std::uint8_t>((v >> 8) & 0xFF); }
std::uint8_t lo8(std::uint32_t v) { return static_cast<std::uint8_t>(v & 0xFF); }

void put_be32(std::uint8_t* out, std::uint32_t v) {
    out[0] = static_cast<std::uint8_t>(v >> 24);
    out[1] = static_cast<std::uint8_t>(v >> 16);
    out[2] = static_cast<std::uint8_t>(v >> 8);
    out[3] = static_cast<std::uint8_t>(v);
}

int hex_digit(char c) {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    return -1;
}

}  // namespace

SyncHeadPacket fw_sync_head_packet(std::uint8_t sync_code, std::uint16_t density_code, int ddr_cs,
                                   int ddr_channel, std::uint16_t arm_speed_code) {
    return {SYNC_HEAD_MARK,
            sync_code,
            hi8(density_code),
            lo8(density_code),
            lo8(static_cast<std::uint32_t>(ddr_cs)),
            lo8(static_cast<std::uint32_t>(ddr_channel)),
            hi8(arm_speed_code),
            lo8(arm_speed_code)};
}

CalibrationPacket fw_calibration_packet(int ddr_freq, std::uint32_t mr1) {
    const auto f = static_cast<std::uint32_t>(ddr_freq);
    return {FW_CMD_CALIBRATION, 3, hi8(f), lo8(f), lo8(mr1)};
}

StressTestPacket fw_stress_test_packet(int start_freq, int end_freq, bool over_night) {
    const auto s = static_cast<std::uint32_t>(start_freq);
    const auto e = static_cast<std::uint32_t>(end_freq);
    return {FW_CMD_STRESS_TEST, 5, hi8(s), lo8(s), hi8(e), lo8(e),
            static_cast<std::uint8_t>(over_night ? 1 : 0)};
}

SetVoltagePacket fw_set_voltage_packet(int arm_code, int soc_code) {
    return {FW_CMD_SET_VOLTAGE, 2, lo8(static_cast<std::uint32_t>(arm_code)),
            lo8(static_cast<std::uint32_t>(soc_code))};
}

ReadMemoryPacket fw_read_memory_packet(std::uint32_t address, int words) {
    ReadMemoryPacket p{FW_CMD_READ_MEMORY, 5};
    put_be32(&p[2], address);
    p[6] = lo8(static_cast<std::uint32_t>(words));
    return p;
}

WriteMemoryPacket fw_write_memory_packet(std::uint32_t address, std::uint32_t data) {
    WriteMemoryPacket p{FW_CMD_WRITE_MEMORY, 8};
    put_be32(&p[2], address);
    put_be32(&p[6], data);
    return p;
}

std::optional<std::uint8_t> fw_status_code(const std::uint8_t* payload, std::size_t length) {
    if (payload == nullptr || length < 4) return std::nullopt;
    if (std::memcmp(payload, STATUS_FRAME_MARK, sizeof STATUS_FRAME_MARK) != 0) return std::nullopt;
    return payload[3];
}

std::size_t fw_text_length(const std::uint8_t* payload, std::size_t length) {
    if (payload == nullptr) return 0;
    const void* zero = std::memchr(payload, 0, length);
    return zero ? static_cast<std::size_t>(static_cast<const std::uint8_t*>(zero) - payload) : length;
}

std::uint32_t hex_to_u32(const char* text, int n) {
    std::uint32_t value = 0;
    for (int i = 0; i < n; ++i) {
        const int d = hex_digit(text[i]);
        value = value * 16u + static_cast<std::uint32_t>(d < 0 ? 0 : d);
    }
    return value;
}

bool is_hex_text(const std::string& text) {
    if (text.empty()) return false;
    for (char c : text)
        if (hex_digit(c) < 0) return false;
    return true;
}
