// orvane-cli check-script: reads an init script with the target's reader
// and, on request, checks its addresses against the target's ranges.
#include <CLI/CLI.hpp>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include "catalogue/script_reader.h"
#include "catalogue/target_catalogue.h"
#include "cli/cli_text.h"
#include "cli/commands.h"

namespace {

struct CheckScriptOptions {
    std::string target;
    std::string file;
    bool verify_dcd = false;
};

// The reader's message without its trailing line break.
std::string reader_message() {
    std::string text(script_msg, strnlen(script_msg, sizeof script_msg));
    while (!text.empty() && (text.back() == '\n' || text.back() == '\r')) text.pop_back();
    return text;
}

struct FileCloser {
    void operator()(std::FILE* f) const { std::fclose(f); }
};

int run_check_script(const CheckScriptOptions& opt) {
    const int index = cli_find_target(opt.target);
    if (index < 0) {
        std::fprintf(stderr, "unknown target '%s' (known targets: %s)\n", opt.target.c_str(),
                     cli_target_names().c_str());
        return CLI_EXIT_USAGE;
    }
    std::error_code ec;
    if (std::filesystem::is_directory(opt.file, ec)) {
        std::fprintf(stderr, "cannot read '%s': it is a directory\n", opt.file.c_str());
        return CLI_EXIT_USAGE;
    }
    // Binary mode: the reader drops the CR of a CR LF line end itself, so the
    // items are the same as in text mode, but a Ctrl-Z byte does not end the
    // file early as Windows text mode would, silently dropping the writes
    // after it.
    std::unique_ptr<std::FILE, FileCloser> file(std::fopen(opt.file.c_str(), "rb"));
    if (!file) {
        std::fprintf(stderr, "cannot open '%s': %s\n", opt.file.c_str(), std::strerror(errno));
        return CLI_EXIT_USAGE;
    }

    const TargetProfile& target = target_profile(index);
    std::vector<DcdItem> items(target.dcd_capacity);
    int count = static_cast<int>(target.dcd_capacity);
    const int result = target.script_format == SCRIPT_MEMORY
                           ? parse_memory_script(file.get(), items.data(), &count)
                           : parse_setmem_script(file.get(), items.data(), &count);
    if (result != 0) {
        std::fprintf(stderr, "%s\n", reader_message().c_str());
        std::fprintf(stderr, "%s\n",
                     target.script_format == SCRIPT_MEMORY
                         ? "ERROR: Syntax error in script file. Please use ds5 format"
                         : "ERROR: Syntax error in script file. Please use INC format");
        return CLI_EXIT_FAILED;
    }
    if (opt.verify_dcd &&
        check_dcd_ranges(items.data(), count, target.dcd_range_count, target.dcd_ranges) != 0) {
        std::fflush(stdout);
        std::fprintf(stderr, "ERROR: DCD addr is out of valid range.\n");
        return CLI_EXIT_FAILED;
    }
    std::printf("items: %d\n", count);
    for (int i = 0; i < count; ++i)
        std::printf("0x%08X 0x%08X\n", static_cast<unsigned>(items[i].addr),
                    static_cast<unsigned>(items[i].value));
    // The list is the command's result: losing it is no success.
    if (std::fflush(stdout) != 0 || std::ferror(stdout)) {
        std::fprintf(stderr, "cannot write the item list to standard output\n");
        return CLI_EXIT_FAILED;
    }
    return CLI_EXIT_OK;
}

}  // namespace

void cmd_check_script_add(CLI::App& app, CommandRun* run) {
    auto opt = std::make_shared<CheckScriptOptions>();
    CLI::App* cmd = app.add_subcommand(
        "check-script", "Read a DDR init script with the target's reader and list its register writes");
    cmd->add_option("--target", opt->target, "Target name (" + cli_target_names() + "), any letter case")
        ->required();
    cmd->add_flag("--verify-dcd", opt->verify_dcd,
                  "Also check every address against the target's valid DCD ranges");
    cmd->add_option("FILE", opt->file, "The init script (.inc for setmem, .ds for memory)")->required();
    cmd->callback([run, opt] { *run = [opt] { return run_check_script(*opt); }; });
}
