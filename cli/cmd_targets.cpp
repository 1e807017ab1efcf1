// orvane-cli targets: one line per catalogue row.
#include <CLI/CLI.hpp>

#include <cstdio>

#include "catalogue/target_catalogue.h"
#include "cli/cli_text.h"
#include "cli/commands.h"

namespace {

const char* format_name(ScriptFormat format) {
    return format == SCRIPT_MEMORY ? "memory" : "setmem";
}

int run_targets() {
    for (int i = 0; i < TARGET_COUNT; ++i) {
        const TargetProfile& t = target_profile(i);
        std::printf("%d %s 0x%04X %u %s 0x%08X 0x%02X %s\n", i, cli_utf8(t.name).c_str(),
                    static_cast<unsigned>(t.usb_pid), t.dcd_capacity, format_name(t.script_format),
                    static_cast<unsigned>(t.image_addr), static_cast<unsigned>(t.sync_code),
                    t.firmware_file);
    }
    if (std::fflush(stdout) != 0 || std::ferror(stdout)) {
        std::fprintf(stderr, "cannot write the target list to standard output\n");
        return CLI_EXIT_FAILED;
    }
    return CLI_EXIT_OK;
}

}  // namespace

void cmd_targets_add(CLI::App& app, CommandRun* run) {
    CLI::App* cmd = app.add_subcommand(
        "targets",
        "List the supported targets: index, name, USB product ID, DCD capacity, script format, "
        "image address, sync code, firmware file");
    cmd->callback([run] { *run = run_targets; });
}
