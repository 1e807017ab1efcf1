// The boot ROM of a simulated board in serial download mode: the security
// query, register writes, the image write and the jump, answered with the
// ROM's reply words.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

#include "catalogue/script_reader.h"

constexpr std::uint32_t SIM_ROM_SECURITY_PRODUCTION = 0x12343412;
constexpr std::uint32_t SIM_ROM_SECURITY_OPEN = 0x56787856;
constexpr std::uint32_t SIM_ROM_WRITE_COMPLETE = 0x128A8A12;
constexpr std::uint32_t SIM_ROM_FILE_COMPLETE = 0x88888888;
// Second word of the security query, and the word a refused write gets.
constexpr std::uint32_t SIM_ROM_STATUS_WORD = 0xF0F0F0F0;
constexpr std::uint32_t SIM_ROM_NAK_WORD = 0x00000000;

struct SimRomState {
    bool production = false;
    int dcd_nak = 0;       // 1-based register write that is refused, 0 none
    int image_stall = 0;   // 1-based image report that times out, 0 none
    int dcd_seen = 0;      // register writes received since the last reset
    bool receiving = false;
    std::uint32_t image_expected = 0;
    std::uint32_t image_addr = 0;
    std::vector<std::uint8_t> image_rx;
    int image_reports = 0;  // image reports received for the current file write
};

struct SimRomResult {
    std::vector<std::uint32_t> replies;  // reply words to send, in order
    bool stalled = false;                // the report was not taken (time-out)
    bool jumped = false;
    std::uint32_t jump_addr = 0;
    bool register_written = false;
    DcdItem item{};
    bool image_complete = false;         // state.image_rx holds the whole image
};

// Handles one whole output report (byte 0 the report ID).
SimRomResult sim_rom_take_report(SimRomState& state, const std::uint8_t* report, std::size_t length);
