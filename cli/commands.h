// The commands of orvane-cli. Each adds its subcommand to the parser and
// sets *run to the function main calls when that subcommand was chosen;
// the function returns the process's exit code.
#pragma once

#include <functional>

namespace CLI {
class App;
}

// Exit codes shared by every command.
constexpr int CLI_EXIT_OK = 0;
constexpr int CLI_EXIT_FAILED = 1;  // the command ran and its check failed
constexpr int CLI_EXIT_USAGE = 2;   // bad usage, unknown target, unreadable file

using CommandRun = std::function<int()>;

void cmd_targets_add(CLI::App& app, CommandRun* run);
void cmd_check_script_add(CLI::App& app, CommandRun* run);
void cmd_run_add(CLI::App& app, CommandRun* run);

// Every command above, with exactly one to be chosen: the whole parser of
// orvane-cli.
void cli_add_commands(CLI::App& app, CommandRun* run);
