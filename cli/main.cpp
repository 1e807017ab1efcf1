// orvane-cli: the command-line front end. Every command is in its own
// cmd_*.cpp file; this file only builds the parser and runs the chosen one.
#include <CLI/CLI.hpp>

#include <cstdio>

#include "cli/commands.h"

int main(int argc, char** argv) {
    CLI::App app{"Orvane: DDR bring-up and test of KT-series boards over USB", "orvane-cli"};
    CommandRun run;
    cli_add_commands(app, &run);

    try {
        app.parse(argc, argv);
    } catch (const CLI::CallForHelp& e) {
        return app.exit(e);
    } catch (const CLI::CallForAllHelp& e) {
        return app.exit(e);
    } catch (const CLI::CallForVersion& e) {
        return app.exit(e);
    } catch (const CLI::ParseError& e) {
        app.exit(e);
        return CLI_EXIT_USAGE;
    }
    if (!run) return CLI_EXIT_USAGE;
    const int code = run();
    std::fflush(stdout);
    return code;
}
