#include "sim/sim_firmware.h"

#include <cstdio>

#include "catalogue/target_catalogue.h"

namespace {

constexpr std::uint8_t SYNC_MARK = 0xA5;
constexpr int LINE_MS = 40;         // a line of a short answer
constexpr int CALIBRATION_STEP_MS = 150;
constexpr int STRESS_STEP_MS = 250;
constexpr int STRESS_STEP_MHZ = 16;
constexpr int OVERNIGHT_ROUNDS = 8;

std::string format(const char* fmt, auto... args) {
    char buf[256];
    std::snprintf(buf, sizeof buf, fmt, args...);
    return buf;
}

std::string name_of(int target) {
    std::string s;
    for (const char16_t* p = target_profile(target).name; *p; ++p) s += static_cast<char>(*p);
    return s;
}

std::uint16_t be16(const std::uint8_t* p) { return static_cast<std::uint16_t>((p[0] << 8) | p[1]); }
std::uint32_t be32(const std::uint8_t* p) {
    return (std::uint32_t{p[0]} << 24) | (std::uint32_t{p[1]} << 16) | (std::uint32_t{p[2]} << 8) | p[3];
}

const char* select_text(int index, const char* const* texts, int count) {
    return index >= 0 && index < count ? texts[index] : "?";
}

SimFirmwareReply sync(SimFirmwareState& s, const std::uint8_t* p) {
    static const char* const kCs[] = {"0", "ALL"};
    static const char* const kChannel[] = {"0", "1", "ALL"};
    s.synced = true;
    s.density = be16(p + 2);
    s.ddr_cs = p[4];
    s.ddr_channel = p[5];
    s.arm_speed = be16(p + 6);
    SimFirmwareReply r;
    r.lines.push_back({LINE_MS, format("%s DDR test firmware 1.4 (simulated board)\r\n", name_of(s.target).c_str())});
    if (p[1] != target_profile(s.target).sync_code)
        r.lines.push_back({LINE_MS, format("Warning: sync code 0x%02X is not this board's (0x%02X)\r\n", p[1],
                                           target_profile(s.target).sync_code)});
    r.lines.push_back({LINE_MS, format("DDR density code 0x%04X, CS %s, channel %s\r\n", s.density,
                                       select_text(s.ddr_cs, kCs, 2), select_text(s.ddr_channel, kChannel, 3))});
    r.lines.push_back({LINE_MS, s.arm_speed ? format("ARM clock %u MHz\r\n", unsigned{s.arm_speed})
                                            : std::string("ARM clock default\r\n")});
    r.lines.push_back({LINE_MS, "Die temperature 41 °C\r\n"});
    r.lines.push_back({LINE_MS, "Ready.\r\n"});
    return r;
}

// Delay values of one byte lane at a frequency: plausible, repeatable.
int lane_delay(int freq, int lane, int salt) { return (freq * 7 + lane * 13 + salt * 29) % 64; }

SimFirmwareReply calibration(SimFirmwareState& s, const std::uint8_t* p) {
    const int freq = be16(p + 2);
    const int mr1 = p[4];
    SimFirmwareReply r;
    r.lines.push_back({LINE_MS, format("DDR calibration at %d MHz, MR1 0x%02X\r\n", freq, mr1)});
    static const char* const kSteps[] = {"write leveling", "read DQS gating", "read delay", "write delay"};
    const bool stable = freq > 0 && freq <= s.max_freq;
    for (int step = 0; step < 4; ++step) {
        std::string line = format("  %-16s", kSteps[step]);
        for (int lane = 0; lane < 4; ++lane) line += format(" DQS%d 0x%02X", lane, lane_delay(freq, lane, step));
        r.lines.push_back({CALIBRATION_STEP_MS, line + "\r\n"});
    }
    if (stable) {
        r.lines.push_back({LINE_MS, format("  read window ±%d taps\r\n", 12 + (s.max_freq - freq) / 50)});
        r.lines.push_back({LINE_MS, "Calibration PASS\r\n"});
        r.status = SIM_STATUS_CALIBRATION_PASS;
    } else {
        r.lines.push_back({LINE_MS, format("Calibration FAIL: no stable read window at %d MHz\r\n", freq)});
        r.status = SIM_STATUS_CALIBRATION_FAIL;
    }
    return r;
}

SimFirmwareReply stress_test(SimFirmwareState& s, const std::uint8_t* p) {
    const int start = be16(p + 2);
    const int end = be16(p + 4);
    const bool overnight = p[6] != 0;
    SimFirmwareReply r;
    r.lines.push_back({LINE_MS, format("DDR stress test %d to %d MHz%s\r\n", start, end,
                                       overnight ? ", over night" : "")});
    if (start > end || end == 0) {
        r.lines.push_back({LINE_MS, "Stress test FAIL: no frequency to test\r\n"});
        r.status = SIM_STATUS_STRESS_FAIL;
        return r;
    }
    const int rounds = overnight ? OVERNIGHT_ROUNDS : 1;
    int failed_at = 0;
    int steps = 0;
    for (int round = 1; round <= rounds; ++round) {
        if (overnight) r.lines.push_back({LINE_MS, format("Round %d of %d\r\n", round, rounds)});
        for (int f = start;; f += STRESS_STEP_MHZ) {
            if (f > end) f = end;
            const bool pass = f <= s.max_freq;
            const int errors = pass ? 0 : (f - s.max_freq) * 3 + 1;
            r.lines.push_back({STRESS_STEP_MS, format("  %4d MHz: 16 patterns, %d errors ... %s\r\n", f, errors,
                                                      pass ? "pass" : "FAIL")});
            ++steps;
            if (!pass && failed_at == 0) failed_at = f;
            if (f == end) break;
        }
    }
    if (failed_at) {
        r.lines.push_back({LINE_MS, format("Stress test FAIL from %d MHz\r\n", failed_at)});
        r.status = SIM_STATUS_STRESS_FAIL;
    } else {
        r.lines.push_back({LINE_MS, format("Stress test PASS (%d steps)\r\n", steps)});
        r.status = SIM_STATUS_STRESS_PASS;
    }
    return r;
}

std::string rail_text(const char* rail, int code) {
    if (code == 0xCC) return format("%s: auto\r\n", rail);
    if (code == 0) return format("%s: OFF\r\n", rail);
    if (code == 31) return format("%s: FULL\r\n", rail);
    const float volts = static_cast<float>((code + 28) * 25) / 1000.0f;
    return format("%s: %.3f V (code %d)\r\n", rail, static_cast<double>(volts), code);
}

SimFirmwareReply set_voltage(SimFirmwareState& s, const std::uint8_t* p) {
    SimFirmwareReply r;
    const int codes[2] = {p[2], p[3]};
    const char* rails[2] = {"VDD_ARM_CAP", "VDD_SOC_CAP"};
    int* fields[2] = {&s.vdd_arm, &s.vdd_soc};
    r.status = SIM_STATUS_VOLTAGE_SET;
    for (int i = 0; i < 2; ++i) {
        if (codes[i] != 0xCC && codes[i] > 31) {
            r.lines.push_back({LINE_MS, format("%s: code %d is not valid, left as it was\r\n", rails[i], codes[i])});
            r.status = SIM_STATUS_REFUSED;
            continue;
        }
        *fields[i] = codes[i];
        r.lines.push_back({LINE_MS, rail_text(rails[i], codes[i])});
    }
    return r;
}

std::uint32_t read_word(const SimFirmwareState& s, std::uint32_t addr) {
    auto it = s.memory.find(addr);
    return it == s.memory.end() ? SIM_MEMORY_PATTERN : it->second;
}

SimFirmwareReply read_memory(SimFirmwareState& s, const std::uint8_t* p) {
    const std::uint32_t addr = be32(p + 2);
    const int words = p[6];
    SimFirmwareReply r;
    if (words < 1 || words > 64) {
        r.lines.push_back({LINE_MS, format("Read memory: %d words is not a valid size\r\n", words)});
        r.status = SIM_STATUS_REFUSED;
        return r;
    }
    for (int i = 0; i < words; i += 4) {
        const std::uint32_t at = addr + static_cast<std::uint32_t>(i) * 4;
        std::string line = format("0x%08X:", at);
        for (int k = i; k < words && k < i + 4; ++k)
            line += format(" 0x%08X", read_word(s, addr + static_cast<std::uint32_t>(k) * 4));
        r.lines.push_back({LINE_MS, line + "\r\n"});
    }
    r.status = SIM_STATUS_READ_DONE;
    return r;
}

SimFirmwareReply write_memory(SimFirmwareState& s, const std::uint8_t* p) {
    const std::uint32_t addr = be32(p + 2);
    const std::uint32_t data = be32(p + 6);
    s.memory[addr] = data;
    SimFirmwareReply r;
    r.lines.push_back({LINE_MS, format("Write 0x%08X to 0x%08X done\r\n", data, addr)});
    r.status = SIM_STATUS_WRITE_DONE;
    return r;
}

}  // namespace

std::size_t sim_firmware_packet_size(const std::uint8_t* payload, std::size_t length) {
    if (length == 0) return 0;
    const std::size_t n = payload[0] == SYNC_MARK ? 8 : (length >= 2 ? 2u + payload[1] : length);
    return n < length ? n : length;
}

SimFirmwareReply sim_firmware_take_packet(SimFirmwareState& state, const std::uint8_t* payload,
                                          std::size_t length) {
    SimFirmwareReply r;
    if (length >= 8 && payload[0] == SYNC_MARK) return sync(state, payload);
    // Expected argument bytes of each command: 3, 5, 2, 5, 8.
    static const int kArgs[] = {3, 5, 2, 5, 8};
    const int code = length >= 2 ? payload[0] : -1;
    if (!state.synced) {
        r.lines.push_back({LINE_MS, "Packet ignored: no sync head packet yet\r\n"});
        r.status = SIM_STATUS_REFUSED;
    } else if (code < 0 || code > 4 || payload[1] != kArgs[code] || length < 2u + payload[1]) {
        r.lines.push_back({LINE_MS, format("Unknown command 0x%02X\r\n", code < 0 ? 0 : code)});
        r.status = SIM_STATUS_REFUSED;
    } else {
        switch (code) {
        case 0: r = calibration(state, payload); break;
        case 1: r = stress_test(state, payload); break;
        case 2: r = set_voltage(state, payload); break;
        case 3: r = read_memory(state, payload); break;
        default: r = write_memory(state, payload); break;
        }
    }
    if (state.status_override >= 0) r.status = state.status_override;
    return r;
}
