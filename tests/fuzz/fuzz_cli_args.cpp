// The orvane-cli command line of any content, through the same parser that
// main() builds: every input either parses or ends in one of the parse
// errors main() turns into a usage message; no other exception escapes and
// nothing runs. The input is the argument list, arguments separated by zero
// bytes (argv[0] is added).
#include <CLI/CLI.hpp>

#include <cstdint>
#include <string>
#include <vector>

#include "cli/commands.h"
#include "fuzz_input.h"

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
    std::vector<char*> argv;
    for (std::string& a : args) argv.push_back(a.data());
    argv.push_back(nullptr);

    CLI::App app{"Orvane: DDR bring-up and test of KT-series boards over USB", "orvane-cli"};
    app.require_subcommand(1);
    CommandRun run;
    cmd_targets_add(app, &run);
    cmd_check_script_add(app, &run);
    cmd_run_add(app, &run);
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
