#include "sim/sim_rom.h"

#include <algorithm>

namespace {

constexpr std::uint8_t ROM_REPORT_COMMAND = 1;
constexpr std::uint8_t ROM_REPORT_DATA = 2;
constexpr std::size_t ROM_COMMAND_SIZE = 16;

std::uint32_t be32(const std::uint8_t* p) {
    return (std::uint32_t{p[0]} << 24) | (std::uint32_t{p[1]} << 16) | (std::uint32_t{p[2]} << 8) | p[3];
}

std::uint32_t security_word(const SimRomState& s) {
    return s.production ? SIM_ROM_SECURITY_PRODUCTION : SIM_ROM_SECURITY_OPEN;
}

void take_command(SimRomState& s, const std::uint8_t* block, SimRomResult& r) {
    const std::uint16_t command = static_cast<std::uint16_t>((block[0] << 8) | block[1]);
    const std::uint32_t address = be32(block + 2);
    const std::uint32_t count = be32(block + 7);
    const std::uint32_t data = be32(block + 11);
    switch (command) {
    case 0x0505:  // security query
        r.replies = {security_word(s), SIM_ROM_STATUS_WORD};
        break;
    case 0x0202:  // register write
        ++s.dcd_seen;
        if (s.dcd_seen == s.dcd_nak) {
            r.replies = {security_word(s), SIM_ROM_NAK_WORD};
        } else {
            r.replies = {security_word(s), SIM_ROM_WRITE_COMPLETE};
            r.register_written = true;
            r.item = {address, data};
        }
        break;
    case 0x0404:  // file write: the data follows as reports with ID 2
        s.receiving = count > 0;
        s.image_expected = count;
        s.image_addr = address;
        s.image_rx.clear();
        s.image_reports = 0;
        if (count == 0) {
            r.replies = {security_word(s), SIM_ROM_FILE_COMPLETE};
            r.image_complete = true;
        }
        break;
    case 0x0B0B:  // jump: one security word, then the ROM hands over
        r.replies = {security_word(s)};
        r.jumped = true;
        r.jump_addr = address;
        break;
    default:  // a command this ROM does not know: it answers with its mode only
        r.replies = {security_word(s)};
        break;
    }
}

void take_data(SimRomState& s, const std::uint8_t* payload, std::size_t n, SimRomResult& r) {
    if (!s.receiving) return;  // data without a file write is dropped
    ++s.image_reports;
    if (s.image_reports == s.image_stall) {
        r.stalled = true;
        --s.image_reports;
        s.image_stall = 0;  // one stall; a later write goes through
        s.receiving = false;
        return;
    }
    const std::size_t take = std::min<std::size_t>(n, s.image_expected - s.image_rx.size());
    s.image_rx.insert(s.image_rx.end(), payload, payload + take);
    if (s.image_rx.size() == s.image_expected) {
        s.receiving = false;
        r.replies = {security_word(s), SIM_ROM_FILE_COMPLETE};
        r.image_complete = true;
    }
}

}  // namespace

SimRomResult sim_rom_take_report(SimRomState& state, const std::uint8_t* report, std::size_t length) {
    SimRomResult r;
    if (length < 1 + ROM_COMMAND_SIZE) return r;
    if (report[0] == ROM_REPORT_COMMAND) {
        take_command(state, report + 1, r);
    } else if (report[0] == ROM_REPORT_DATA) {
        take_data(state, report + 1, length - 1, r);
    }
    return r;
}
