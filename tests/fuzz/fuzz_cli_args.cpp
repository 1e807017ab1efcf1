// The orvane-cli command line of any content, through the same parser that
// main() builds: every input either parses or ends in one of the parse
// errors main() turns into a usage message; no other exception escapes and
// nothing runs. Each argument also goes through the simulated board's
// scenario list (the value of --simulate): it is read or refused with a
// message, and a refusal changes nothing. The input is the argument list,
// arguments separated by zero bytes (argv[0] is added).
#include <CLI/CLI.hpp>

#include <cstdint>
#include <string>
#include <vector>

#include "catalogue/target_catalogue.h"
#include "cli/commands.h"
#include "fuzz_input.h"
#include "sim/sim_scenarios.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    std::vector<std::string> args{"orvane-cli"};
    std::string current;
    for (std::size_t i = 0; i < size; ++i) {
        if (data[i] == 0) {
            args.push_back(current);
            current.clear();
        } else {
            current.push_back(static_cast<char>(data[i]));
        }
    }
    if (!current.empty()) args.push_back(current);
    for (std::size_t i = 1; i < args.size(); ++i) {
        SimScenarios scenarios;
        std::string error;
        const SimScenarios defaults;
        if (sim_parse_scenarios(args[i], &scenarios, &error)) {
            FUZZ_CHECK(scenarios.status >= -1 && scenarios.status <= 255);
            FUZZ_CHECK(scenarios.board >= -1 && scenarios.board < TARGET_COUNT);
            FUZZ_CHECK(scenarios.dcd_nak >= 0 && scenarios.image_stall >= 0 && scenarios.unplug_after >= 0);
        } else {
            FUZZ_CHECK(!error.empty());
            FUZZ_CHECK(scenarios.production == defaults.production && scenarios.no_board == defaults.no_board &&
                       scenarios.no_firmware == defaults.no_firmware &&
                       scenarios.firmware_after == defaults.firmware_after &&
                       scenarios.dcd_nak == defaults.dcd_nak && scenarios.image_stall == defaults.image_stall &&
                       scenarios.status == defaults.status && scenarios.unplug_after == defaults.unplug_after &&
                       scenarios.split_utf8 == defaults.split_utf8 && scenarios.max_freq == defaults.max_freq &&
                       scenarios.board == defaults.board);
        }
    }
    std::vector<char*> argv;
    for (std::string& a : args) argv.push_back(a.data());
    argv.push_back(nullptr);

    CLI::App app{"Orvane: DDR bring-up and test of KT-series boards over USB", "orvane-cli"};
    CommandRun run;
    cli_add_commands(app, &run);
    bool parsed = false;
    try {
        app.parse(static_cast<int>(args.size()), argv.data());
        parsed = true;
    } catch (const CLI::CallForHelp&) {
    } catch (const CLI::CallForAllHelp&) {
    } catch (const CLI::CallForVersion&) {
    } catch (const CLI::ParseError&) {
    }
    // A parse that succeeded chose exactly one command.
    if (parsed) FUZZ_CHECK(static_cast<bool>(run));
    // The help texts are built from the same options; they must not fail.
    (void)app.help();
    return 0;
}
