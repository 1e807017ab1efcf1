// Faults and settings of the simulated board, chosen by name:
//   production        the boot ROM reports the production security mode
//   no-board          nothing of ours is on the bus
//   no-firmware       the firmware never comes back after the jump
//   firmware-after=N  the firmware comes back on the host's poll N (1-500+)
//   dcd-nak=K         the K-th register write gets a wrong reply
//   image-stall=N     the N-th image report times out
//   status=N          the firmware ends every command with status code N
//   unplug-after=N    the device leaves the bus after N firmware reports
//   split-utf8        firmware text reports are cut inside characters
//   max-freq=MHZ      highest stable DDR frequency (default 600)
//   board=NAME        only one board, of target NAME, is on the bus
//                     (default: one board of every target)
// Several are combined with commas: "dcd-nak=3,max-freq=500".
#pragma once

#include <string>
#include <string_view>

struct SimScenarios {
    bool production = false;
    bool no_board = false;
    bool no_firmware = false;
    int firmware_after = 5;   // poll on which the firmware is back
    int dcd_nak = 0;          // 0: every register write is acknowledged
    int image_stall = 0;      // 0: every image report goes out
    int status = -1;          // -1: the firmware's own codes
    int unplug_after = 0;     // 0: the device stays
    bool split_utf8 = false;
    int max_freq = 600;       // MHz
    int board = -1;           // target index, -1: one board per target
};

// Reads a comma-separated list of scenarios into *out (which keeps its
// values for names not given). False with a one-line *error on an unknown
// name, a missing or bad value, or a value out of range.
bool sim_parse_scenarios(std::string_view text, SimScenarios* out, std::string* error);

// The names above, one per line with their meaning, for --help texts.
const char* sim_scenario_help();
