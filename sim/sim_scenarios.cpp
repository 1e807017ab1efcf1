#include "sim/sim_scenarios.h"

#include <cstdlib>
#include <string>

#include "catalogue/target_catalogue.h"

namespace {

// A decimal number from min to max; false on anything else.
bool read_int(std::string_view text, int min, int max, int* out) {
    if (text.empty() || text.size() > 9) return false;
    int value = 0;
    for (char c : text) {
        if (c < '0' || c > '9') return false;
        value = value * 10 + (c - '0');
    }
    if (value < min || value > max) return false;
    *out = value;
    return true;
}

bool read_board(std::string_view text, int* out) {
    for (int i = 0; i < TARGET_COUNT; ++i) {
        const char16_t* name = target_profile(i).name;
        std::size_t k = 0;
        for (; name[k] != 0 && k < text.size(); ++k) {
            char a = text[k];
            if (a >= 'a' && a <= 'z') a = static_cast<char>(a - 'a' + 'A');
            if (static_cast<char16_t>(a) != name[k]) break;
        }
        if (name[k] == 0 && k == text.size()) {
            *out = i;
            return true;
        }
    }
    return false;
}

struct Numbered {
    const char* name;
    int SimScenarios::*field;
    int min;
    int max;
};

constexpr Numbered kNumbered[] = {
    {"firmware-after", &SimScenarios::firmware_after, 1, 100000},
    {"dcd-nak", &SimScenarios::dcd_nak, 1, 1024},
    {"image-stall", &SimScenarios::image_stall, 1, 1000000},
    {"status", &SimScenarios::status, 0, 255},
    {"unplug-after", &SimScenarios::unplug_after, 1, 100000000},
    {"max-freq", &SimScenarios::max_freq, 1, 65535},
};

struct Flag {
    const char* name;
    bool SimScenarios::*field;
};

constexpr Flag kFlags[] = {
    {"production", &SimScenarios::production},
    {"no-board", &SimScenarios::no_board},
    {"no-firmware", &SimScenarios::no_firmware},
    {"split-utf8", &SimScenarios::split_utf8},
};

bool apply(std::string_view item, SimScenarios* out, std::string* error) {
    const std::size_t eq = item.find('=');
    const std::string_view name = item.substr(0, eq);
    const bool has_value = eq != std::string_view::npos;
    const std::string_view value = has_value ? item.substr(eq + 1) : std::string_view{};
    for (const Flag& f : kFlags) {
        if (name != f.name) continue;
        if (has_value) {
            *error = "scenario '" + std::string(name) + "' takes no value";
            return false;
        }
        out->*f.field = true;
        return true;
    }
    for (const Numbered& n : kNumbered) {
        if (name != n.name) continue;
        if (!read_int(value, n.min, n.max, &(out->*n.field))) {
            *error = "scenario '" + std::string(name) + "' needs a number from " + std::to_string(n.min) +
                     " to " + std::to_string(n.max);
            return false;
        }
        return true;
    }
    if (name == "board") {
        if (!read_board(value, &out->board)) {
            *error = "scenario 'board' needs a target name (KT310 ... KT410)";
            return false;
        }
        return true;
    }
    *error = "unknown scenario '" + std::string(name) + "'";
    return false;
}

}  // namespace

bool sim_parse_scenarios(std::string_view text, SimScenarios* out, std::string* error) {
    std::string ignored;
    if (!error) error = &ignored;
    SimScenarios result = *out;
    std::size_t start = 0;
    while (start <= text.size()) {
        std::size_t comma = text.find(',', start);
        if (comma == std::string_view::npos) comma = text.size();
        const std::string_view item = text.substr(start, comma - start);
        if (!item.empty() && !apply(item, &result, error)) return false;
        start = comma + 1;
    }
    *out = result;
    return true;
}

const char* sim_scenario_help() {
    return "  production        the boot ROM reports the production security mode\n"
           "  no-board          no board on the bus\n"
           "  no-firmware       the firmware never comes back after the jump\n"
           "  firmware-after=N  the firmware comes back on poll N (default 5)\n"
           "  dcd-nak=K         the K-th register write gets a wrong reply\n"
           "  image-stall=N     the N-th image report times out\n"
           "  status=N          the firmware ends every command with status code N\n"
           "  unplug-after=N    the board leaves the bus after N firmware reports\n"
           "  split-utf8        firmware text reports are cut inside characters\n"
           "  max-freq=MHZ      highest stable DDR frequency (default 600)\n"
           "  board=NAME        only one board, of target NAME (default: one per target)\n";
}
