// orvane-cli run: the main dialog on the headless host, driven from the
// command line: settings, Download, then the actions in the order given,
// each waiting for the firmware's status code.
#include <CLI/CLI.hpp>

#include <algorithm>
#include <cstdio>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "catalogue/script_reader.h"
#include "catalogue/target_catalogue.h"
#include "cli/cli_text.h"
#include "cli/image_progress.h"
#include "cli/pane_echo.h"
#include "cli/commands.h"
#include "cli/trace_backend.h"
#include "ui/headless/headless_host.h"
#include "ui/headless/status_recording_dlg.h"
#include "ui/orvane_dlg.h"
#include "ui/text_convert.h"
#include "usb/hid_link.h"
#include "usb/real_clock.h"
#include "sim/sim_board.h"
#include "sim/virtual_clock.h"
#ifdef _WIN32
#include "usb/windows/windows_hid_backend.h"
#else
#include "usb/linux/hidraw_backend.h"
#endif

namespace {

constexpr int CLI_EXIT_DOWNLOAD = 3;
constexpr std::int64_t ACTION_BOUND_MS = 10 * 60 * 1000;
constexpr std::int64_t OVERNIGHT_BOUND_MS = 48LL * 60 * 60 * 1000;
constexpr int kTraceButtons[] = {IDC_CALIBRATION, IDC_STRESS_TEST, IDC_READ, IDC_WRITE,
                                 IDC_SET_VOLTAGE, IDC_SAVE_CALIBRATION, IDC_SAVE_STRESS, IDC_DOWNLOAD};

struct RunOptions {
    std::string target, script, density, arm_speed, cs, channel, trace, log_dir = "log";
    std::string vid, pid;  // USB IDs of this run, replacing the configured ones
    bool no_verify = false, simulate = false, real_time = false;
    std::string scenarios;
    // Actions in command-line order: option name and its value.
    std::vector<std::pair<std::string, std::string>> actions;
};

bool select_row(HeadlessHost& host, int id, const std::string& row) {
    if (row.empty()) return true;
    const auto& rows = host.control(id).rows;
    for (std::size_t i = 0; i < rows.size(); ++i)
        if (utf16_to_utf8(std::u16string_view(rows[i])) == row) return host.choose(id, static_cast<int>(i));
    std::fprintf(stderr, "orvane-cli: '%s' is not an entry of the list\n", row.c_str());
    return false;
}

void set_field(HeadlessHost& host, int id, const std::string& value) {
    host.select_all(id);
    host.type_text(id, utf8_to_utf16(value));
}

std::vector<std::string> split(const std::string& s) {
    std::vector<std::string> parts;
    std::size_t start = 0;
    for (;;) {
        std::size_t comma = s.find(',', start);
        parts.push_back(s.substr(start, comma - start));
        if (comma == std::string::npos) return parts;
        start = comma + 1;
    }
}

bool parse_code(const std::string& s, int& code) {
    if (s == "auto") {
        code = -1;
        return true;
    }
    if (s.empty() || s.size() > 2 || s.find_first_not_of("0123456789") != std::string::npos) return false;
    code = std::stoi(s);
    return code <= 31;
}

// Puts one rail to the code (-1: Auto) through its mode list and step buttons.
void set_rail(HeadlessHost& host, int mode, int down, int up, int code) {
    if (code < 0) {
        host.choose(mode, 0);
        return;
    }
    host.choose(mode, 0);
    host.choose(mode, 1);  // Manual starts at 16
    for (int c = 16; c > code; --c) host.click(down);
    for (int c = 16; c < code; ++c) host.click(up);
}

// The shape of every action's value, checked before the board is touched,
// so that a typing error never costs a download.
bool actions_well_formed(const RunOptions& o) {
    for (const auto& [name, value] : o.actions) {
        const std::vector<std::string> args = split(value);
        int code = 0;
        bool ok = true;
        const char* usage = "";
        if (name == "--calibrate") {
            ok = (args.size() == 1 || args.size() == 2) && !args[0].empty();
            usage = "FREQ[,MR1]";
        } else if (name == "--stress") {
            ok = (args.size() == 2 || (args.size() == 3 && args[2] == "overnight"));
            usage = "START,END[,overnight]";
        } else if (name == "--read") {
            static const char* const kWords[] = {"1", "4", "8", "16", "32"};
            ok = args.size() == 1 || (args.size() == 2 && std::find(std::begin(kWords), std::end(kWords),
                                                                     args[1]) != std::end(kWords));
            usage = "ADDR[,WORDS] with WORDS 1, 4, 8, 16 or 32";
        } else if (name == "--write") {
            ok = args.size() == 2;
            usage = "ADDR,DATA";
        } else if (name == "--set-voltage") {
            ok = args.size() == 2 && parse_code(args[0], code) && parse_code(args[1], code);
            usage = "ARM,SOC, each auto or 0-31";
        }
        if (!ok) {
            std::fprintf(stderr, "orvane-cli: %s takes %s, not '%s'\n", name.c_str(), usage, value.c_str());
            return false;
        }
    }
    return true;
}

int run_session(const RunOptions& o) {
    const int target = cli_find_target(o.target);
    if (target < 0) {
        std::fprintf(stderr, "orvane-cli: unknown target '%s' (%s)\n", o.target.c_str(), cli_target_names().c_str());
        return CLI_EXIT_USAGE;
    }
    if (!actions_well_formed(o)) return CLI_EXIT_USAGE;
    if (!o.vid.empty() || !o.pid.empty()) {
        // The board of this run presents other IDs than the build's.
        std::uint32_t vid = usb_vendor_id(), pid = target_profile(target).usb_pid;
        if ((!o.vid.empty() && (parse_hex_number(o.vid.c_str(), &vid) != 0 || vid > 0xFFFF)) ||
            (!o.pid.empty() && (parse_hex_number(o.pid.c_str(), &pid) != 0 || pid > 0xFFFF))) {
            std::fprintf(stderr, "orvane-cli: --vid and --pid take a 16-bit hex number such as 0x1209\n");
            return CLI_EXIT_USAGE;
        }
        std::uint16_t pids[TARGET_COUNT];
        for (int i = 0; i < TARGET_COUNT; ++i) pids[i] = target_profile(i).usb_pid;
        pids[target] = static_cast<std::uint16_t>(pid);
        catalogue_set_usb_ids(static_cast<std::uint16_t>(vid), pids);
    }
    SimScenarios scenarios;
    scenarios.board = target;
    if (o.simulate) {
        std::string error;
        if (!sim_parse_scenarios(o.scenarios, &scenarios, &error)) {
            std::fprintf(stderr, "orvane-cli: --simulate: %s\nScenarios:\n%s", error.c_str(), sim_scenario_help());
            return CLI_EXIT_USAGE;
        }
    }
    std::FILE* trace_file = nullptr;
    if (!o.trace.empty() && !(trace_file = std::fopen(o.trace.c_str(), "w"))) {
        std::fprintf(stderr, "orvane-cli: can not write '%s'\n", o.trace.c_str());
        return CLI_EXIT_USAGE;
    }
    std::unique_ptr<TraceLog> trace = trace_file ? std::make_unique<TraceLog>(trace_file) : nullptr;

    // The simulated board runs on the virtual clock unless its real timing
    // is asked for; a real board always on the real clock.
    std::unique_ptr<Clock> clock_owner;
    if (o.simulate && !o.real_time)
        clock_owner = std::make_unique<VirtualClock>();
    else
        clock_owner = std::make_unique<RealClock>();
    Clock& clock = *clock_owner;
    std::unique_ptr<HidBackend> device_backend;
    if (o.simulate)
        device_backend = std::make_unique<SimBoard>(clock, usb_vendor_id(), scenarios);
    else
#ifdef _WIN32
        device_backend = windows_hid_backend();
#else
        device_backend = std::make_unique<HidrawBackend>();
#endif
    // The image load's progress on standard error, when that is a terminal.
    ImageProgress progress(stderr);
    ReportObserver on_write;
    if (cli_is_terminal(stderr))
        on_write = [&progress](const std::uint8_t* r, std::size_t n) { progress.report_written(r, n); };
    TraceBackend backend(*device_backend, trace.get(), std::move(on_write));
    hid_link().backend = &backend;
    hid_link().vendor_id = usb_vendor_id();

    HeadlessHost host;
    PaneEcho echo;
    int status = CLI_EXIT_OK;
    {
        StatusRecordingDlg dlg(&host, &clock);
        if (trace) {
            // Each status code with the button states after its handler.
            dlg.on_status = [&host, &trace](int code) {
                std::string line = "STATUS " + std::to_string(code) + " BUTTONS";
                for (int id : kTraceButtons)
                    line += " " + std::to_string(id) + "=" + (host.control(id).enabled ? "on" : "off");
                trace->line(line);
            };
        }
        host.set_box_listener([](const RecordedBox& box) {
            std::fprintf(stderr, "[%s] %s\n", cli_utf8(box.caption.c_str()).c_str(),
                         cli_utf8(box.text.c_str()).c_str());
        });
        host.set_edit_listener([&echo](int id, EditChange change, std::u16string_view text) {
            if (id != IDC_OUTPUT || change != EditChange::appended) return;
            std::fputs(echo.feed(text).c_str(), stdout);
            std::fflush(stdout);
        });
        host.open(dlg);
        dlg.SetLogFolder(o.log_dir);
        bool ok = host.choose(IDC_TARGET, target) && select_row(host, IDC_DDR_DENSITY, o.density) &&
                  select_row(host, IDC_ARM_SPEED, o.arm_speed) && select_row(host, IDC_DDR_CS, o.cs) &&
                  select_row(host, IDC_DDR_CHANNEL, o.channel);
        if (!ok) return CLI_EXIT_USAGE;
        host.set_check(IDC_VERIFY_DCD, !o.no_verify);
        host.set_text(IDC_SCRIPT_PATH, utf8_to_utf16(o.script));
        host.click(IDC_DOWNLOAD);
        host.run_pending();
        if (!dlg.m_bLinkUp) return CLI_EXIT_DOWNLOAD;

        for (const auto& [name, value] : o.actions) {
            const std::vector<std::string> args = split(value);
            int button = 0;
            std::int64_t bound = ACTION_BOUND_MS;
            if (name == "--calibrate") {
                set_field(host, IDC_DDR_FREQ, args[0]);
                set_field(host, IDC_MR1, args.size() > 1 ? args[1] : "0000");
                button = IDC_CALIBRATION;
            } else if (name == "--stress") {
                if (args.size() < 2) return CLI_EXIT_USAGE;
                set_field(host, IDC_START_FREQ, args[0]);
                set_field(host, IDC_END_FREQ, args[1]);
                const bool night = args.size() > 2 && args[2] == "overnight";
                host.set_check(IDC_OVER_NIGHT, night);
                if (night) bound = OVERNIGHT_BOUND_MS;
                button = IDC_STRESS_TEST;
            } else if (name == "--read") {
                set_field(host, IDC_ADDR, args[0]);
                if (!select_row(host, IDC_READ_SIZE, (args.size() > 1 ? args[1] : "1") + " WORD"))
                    return CLI_EXIT_USAGE;
                button = IDC_READ;
            } else if (name == "--write") {
                if (args.size() < 2) return CLI_EXIT_USAGE;
                set_field(host, IDC_ADDR, args[0]);
                set_field(host, IDC_DATA, args[1]);
                button = IDC_WRITE;
            } else if (name == "--set-voltage") {
                int arm = 0, soc = 0;
                if (args.size() != 2 || !parse_code(args[0], arm) || !parse_code(args[1], soc)) {
                    std::fprintf(stderr, "orvane-cli: --set-voltage takes ARM,SOC, each auto or 0-31\n");
                    return CLI_EXIT_USAGE;
                }
                set_rail(host, IDC_VDD_ARM_MODE, IDC_VDD_ARM_DOWN, IDC_VDD_ARM_UP, arm);
                set_rail(host, IDC_VDD_SOC_MODE, IDC_VDD_SOC_DOWN, IDC_VDD_SOC_UP, soc);
                button = IDC_SET_VOLTAGE;
            } else {
                // --save-calibration, --save-stress: the Save Result buttons.
                host.run_pending();
                const int save = name == "--save-calibration" ? IDC_SAVE_CALIBRATION : IDC_SAVE_STRESS;
                if (!host.click(save)) {
                    std::fprintf(stderr, "orvane-cli: no result to save for %s\n", name.c_str());
                    status = CLI_EXIT_FAILED;
                }
                continue;
            }
            const std::size_t boxes = host.boxes().size();
            const std::size_t before = dlg.codes.size();
            if (!host.click(button)) {
                std::fprintf(stderr, "orvane-cli: %s: the button is disabled\n", name.c_str());
                status = CLI_EXIT_FAILED;
                continue;
            }
            bool refused = false;
            for (std::size_t i = boxes; i < host.boxes().size(); ++i)
                if (host.boxes()[i].caption != u"WARNING") refused = true;
            if (refused) return CLI_EXIT_USAGE;
            if (host.control(button).enabled) {  // the send failed: buttons back at once
                status = CLI_EXIT_FAILED;
                continue;
            }
            if (!host.run_until([&] { return dlg.codes.size() > before; }, clock, bound)) {
                std::fprintf(stderr, "orvane-cli: %s: no status code from the firmware\n", name.c_str());
                status = CLI_EXIT_FAILED;
                continue;
            }
            const int code = dlg.codes.back();
            const bool failed = (button == IDC_CALIBRATION && code == 2) ||
                                (button == IDC_STRESS_TEST && code == 5) || code == 0 || code > 10;
            if (failed) status = CLI_EXIT_FAILED;
        }
        host.run_pending();
    }
    std::fputs(echo.finish().c_str(), stdout);
    hid_link().backend = nullptr;
    if (trace_file) std::fclose(trace_file);
    return status;
}

}  // namespace

void cmd_run_add(CLI::App& app, CommandRun* run) {
    auto o = std::make_shared<RunOptions>();
    CLI::App* cmd = app.add_subcommand("run", "Download the test firmware to a board and run tests on it");
    cmd->add_option("--target", o->target, "Target name (KT310 ... KT410)")->required();
    cmd->add_option("--script", o->script, "DDR init script")->required();
    cmd->add_option("--density", o->density, "DDR Density entry, such as 1GB");
    cmd->add_option("--arm-speed", o->arm_speed, "ARM Speed entry, such as 1GHz");
    cmd->add_option("--cs", o->cs, "DDR CS entry: 0 or ALL");
    cmd->add_option("--channel", o->channel, "DDR channel entry: 0, 1 or ALL");
    cmd->add_flag("--no-verify-dcd", o->no_verify, "Do not check the script's register addresses");
    cmd->add_option("--simulate", o->scenarios,
                    std::string("Run against the simulated board, with comma-separated scenarios:\n") +
                        sim_scenario_help())
        ->expected(0, 1);
    cmd->add_flag("--real-time", o->real_time, "Keep the simulated board's real timing");
    cmd->add_option("--trace", o->trace, "Write the USB transcript to FILE");
    cmd->add_option("--log-dir", o->log_dir, "Folder of the result logs");
    cmd->add_option("--vid", o->vid, "USB vendor ID of the board, such as 0x1209 (default: the build's)");
    cmd->add_option("--pid", o->pid, "USB product ID of the board for --target (default: the build's)");
    static const char* const kActions[] = {"--calibrate", "--stress", "--read", "--write", "--set-voltage"};
    for (const char* a : kActions)
        cmd->add_option(a, "Action")->multi_option_policy(CLI::MultiOptionPolicy::TakeAll)->expected(1);
    cmd->add_flag("--save-calibration")->description("Save the calibration log")->multi_option_policy(CLI::MultiOptionPolicy::TakeAll);
    cmd->add_flag("--save-stress")->description("Save the stress-test log")->multi_option_policy(CLI::MultiOptionPolicy::TakeAll);
    cmd->callback([run, o, cmd] {
        o->simulate = cmd->count("--simulate") > 0;
        // The actions in the order they were given.
        std::map<std::string, std::size_t> used;
        for (CLI::Option* opt : cmd->parse_order()) {
            const std::string name = opt->get_name();
            for (const char* a : kActions)
                if (name == a) o->actions.emplace_back(name, opt->results().at(used[name]++));
            if (name == "--save-calibration" || name == "--save-stress") o->actions.emplace_back(name, "");
        }
        *run = [o] { return run_session(*o); };
    });
}
