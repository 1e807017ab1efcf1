#include "cli/commands.h"

#include <CLI/CLI.hpp>

void cli_add_commands(CLI::App& app, CommandRun* run) {
    app.require_subcommand(1);
    cmd_targets_add(app, run);
    cmd_check_script_add(app, run);
    cmd_run_add(app, run);
}
