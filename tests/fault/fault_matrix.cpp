// The fault matrix: every fault the simulated board can inject, at every
// step where it can strike, through the headless main window on the virtual
// clock. Each case checks the operator's message, the buttons afterwards,
// that the device is closed and no file is left open, that the window still
// closes cleanly, and that a following good Download works. Each case is
// bounded by a watchdog in real time; leaks show under the sanitizer builds.
//
//   fault_matrix            every case; a table, then "N passed, M failed"
//   fault_matrix -v         also the passing cases
#include <fcntl.h>
#include <unistd.h>

#include <array>
#include <cstdio>
#include <cstring>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "fault_harness.h"

namespace {

constexpr const char* kOnlyDownload = "00000001";
constexpr const char* kLinkUp = "11111001";
constexpr std::int64_t kCommandBoundMs = 60 * 1000;  // board time for one command to answer

struct Command {
    const char* name;
    int button;
    const char* send_error;
    const char* waiting;      // buttons while the firmware answers
    const char* send_failed;  // buttons after a send that failed
};
// The tests lock Download too until their status code; the memory and
// voltage commands leave it usable.
const Command kCommands[] = {
    {"calibration", IDC_CALIBRATION, "Error: failed to send Calibration command\r\n", "00000000", "11111000"},
    {"stress test", IDC_STRESS_TEST, "Error: failed to send Stress Test command\r\n", "00000000", "11111000"},
    {"read", IDC_READ, "Error: failed to send READ MEMORY command\r\n", "00000001", "11111001"},
    {"write", IDC_WRITE, "Error: failed to send WRITE MEMORY command\r\n", "00000001", "11111001"},
    {"set voltage", IDC_SET_VOLTAGE, "Error: failed to send SET VOLTAGE command\r\n", "00000001", "11111001"},
};

// The buttons after a command ended with this status code.
std::string buttons_after_status(int code) {
    if (code == 1 || code == 2) return "11111101";
    if (code == 4 || code == 5) return "11111011";
    if (code >= 3 && code <= 10) return "11111001";
    return kOnlyDownload;
}

// One window on one board, for one case.
struct Session {
    VirtualClock clock;
    HeadlessHost host;
    std::unique_ptr<SimBoard> board;
    std::unique_ptr<RecordingDlg> dlg;

    bool start(const std::string& scenarios, std::string* problem) {
        SimScenarios sc;
        std::string error;
        if (!sim_parse_scenarios(scenarios, &sc, &error)) {
            *problem = "scenarios: " + error;
            return false;
        }
        board = std::make_unique<SimBoard>(clock, usb_vendor_id(), sc);
        hid_link().backend = board.get();
        hid_link().vendor_id = usb_vendor_id();
        dlg = std::make_unique<RecordingDlg>(&host, &clock);
        host.open(*dlg);
        return true;
    }
    void download(const char16_t* script = u"good.inc", int target = 0) {
        host.choose(IDC_TARGET, target);
        host.set_text(IDC_SCRIPT_PATH, script);
        host.click(IDC_DOWNLOAD);
    }
    // Fills the fields a command needs; the memory commands' warning box is
    // answered.
    void prepare(const Command& c) {
        host.set_text(IDC_DDR_FREQ, u"400");
        host.set_text(IDC_START_FREQ, u"400");
        host.set_text(IDC_END_FREQ, u"528");
        host.set_text(IDC_ADDR, u"10000000");
        host.set_text(IDC_DATA, u"12345678");
        if (c.button == IDC_READ || c.button == IDC_WRITE) host.push_box_reply(BOX_RESULT_OK);
    }
    // Clicks the command and waits for its status code: the code, -1 when
    // the button was disabled, -2 when no code came within the bound.
    int command(const Command& c) {
        prepare(c);
        const std::size_t before = dlg->codes.size();
        if (!host.click(c.button)) return -1;
        if (!host.run_until([&] { return dlg->codes.size() > before; }, clock, kCommandBoundMs)) return -2;
        return dlg->codes.back();
    }
    std::string pane() { return pane_text(host); }
    std::string buttons() { return fault_buttons(host); }
    bool device_closed() { return !hid_link().device && board->record(0).open_devices == 0; }
};

struct Result {
    std::string name;
    std::string problem;  // empty: passed
};

class Matrix {
public:
    explicit Matrix(bool verbose) : verbose_(verbose), watchdog_(std::chrono::seconds(120)) {}

    // Runs one case: body fills in *problem when a check fails.
    void run(const std::string& name, const std::function<void(std::string*)>& body) {
        watchdog_.start(name);
        const int fds = open_descriptors();
        std::string problem;
        body(&problem);
        hid_close_device();
        hid_link().backend = nullptr;
        if (problem.empty() && open_descriptors() != fds)
            problem = "files left open: " + std::to_string(open_descriptors() - fds);
        results_.push_back({name, problem});
    }

    int failed() const {
        int n = 0;
        for (const Result& r : results_) n += !r.problem.empty();
        return n;
    }
    std::size_t total() const { return results_.size(); }

    // One row per family of cases (the name up to its number), then every
    // failed case with its problem.
    void print_table() const {
        std::vector<std::string> families;
        std::vector<std::array<int, 2>> counts;  // passed, failed
        for (const Result& r : results_) {
            const std::size_t digit = r.name.find_first_of("0123456789", r.name.find('='));
            const std::string family =
                r.name.find('=') == std::string::npos ? r.name : r.name.substr(0, digit) + "N";
            std::size_t i = 0;
            while (i < families.size() && families[i] != family) ++i;
            if (i == families.size()) {
                families.push_back(family);
                counts.push_back({0, 0});
            }
            ++counts[i][r.problem.empty() ? 0 : 1];
        }
        std::printf("%-44s %7s %7s\n", "cases", "passed", "failed");
        for (std::size_t i = 0; i < families.size(); ++i)
            std::printf("%-44s %7d %7d\n", families[i].c_str(), counts[i][0], counts[i][1]);
        for (const Result& r : results_)
            if (verbose_ || !r.problem.empty())
                std::printf("  %-50s %s\n", r.name.c_str(), r.problem.empty() ? "pass" : ("FAIL: " + r.problem).c_str());
    }
private:
    bool verbose_;
    Watchdog watchdog_;
    std::vector<Result> results_;
};

// Checks a value; the first failed check of a case is its problem.
void expect(std::string* problem, bool ok, const std::string& what) {
    if (!ok && problem->empty()) *problem = what;
}

std::string shown(const std::string& s) {
    std::string out;
    for (char c : s) out += c == '\r' ? std::string("\\r") : c == '\n' ? std::string("\\n") : std::string(1, c);
    return out;
}

// After a failed Download: the same window downloads from a good board.
void expect_good_download_after(Session& s, std::string* problem) {
    SimBoard good(s.clock, usb_vendor_id(), SimScenarios{});
    hid_link().backend = &good;
    s.download();
    expect(problem, s.dlg->m_bLinkUp && s.buttons() == kLinkUp && s.pane().empty(),
           "the following good Download failed: " + shown(last_line(s.pane())));
    expect(problem, s.board->record(0).open_devices == 0, "the misbehaving board's device stayed open");
    // Closing the window stops the loop and closes the device.
    s.host.press_escape();
    expect(problem, s.host.ended() && !s.dlg->m_receiveThread.joinable() && !hid_link().device &&
                        good.record(0).open_devices == 0,
           "closing after the good Download left the link running");
    s.dlg.reset();
    hid_link().backend = nullptr;
}

// With the link up on a board that misbehaves: closing the window must stop
// the loop and close the device; then a new window downloads from a good board.
void expect_close_then_good_download(Session& s, std::string* problem) {
    s.host.press_escape();
    expect(problem, s.host.ended() && !s.dlg->m_receiveThread.joinable(), "closing left the receive loop running");
    expect(problem, s.device_closed(), "closing left the device open");
    s.dlg.reset();
    Session next;
    std::string error;
    if (!next.start("", &error)) {
        expect(problem, false, error);
        return;
    }
    next.download();
    expect(problem, next.dlg->m_bLinkUp && next.buttons() == kLinkUp,
           "a new window's Download failed: " + shown(last_line(next.pane())));
    next.dlg.reset();
}

void download_failure(Matrix& m, const std::string& name, const std::string& scenarios, const char16_t* script,
                      int target, const std::string& message, const std::function<void()>& before = {},
                      const std::function<void()>& after = {}) {
    m.run("download: " + name, [&](std::string* problem) {
        if (before) before();
        Session s;
        if (!s.start(scenarios, problem)) return;
        s.download(script, target);
        const std::string out = s.pane();
        expect(problem, out.size() >= message.size() && out.compare(out.size() - message.size(), message.size(), message) == 0,
               "message: " + shown(last_line(out)));
        expect(problem, s.buttons() == kOnlyDownload, "buttons " + s.buttons());
        expect(problem, !s.dlg->m_bLinkUp, "link up");
        expect(problem, s.device_closed(), "device left open");
        if (after) after();
        expect_good_download_after(s, problem);
    });
}

}  // namespace

int main(int argc, char** argv) {
    const bool verbose = argc > 1 && std::strcmp(argv[1], "-v") == 0;
    WorkFolder folder("orvane-fault-matrix");
    Matrix m(verbose);
    // The download's own diagnostic lines on standard output would run
    // through the table: they go nowhere while the cases run.
    std::fflush(stdout);
    const int saved_stdout = ::dup(1);
    const int null_fd = ::open("/dev/null", O_WRONLY);
    if (!verbose && saved_stdout >= 0 && null_fd >= 0) ::dup2(null_fd, 1);

    // --- each step of the Download ---
    download_failure(m, "no script path", "", u"", 0, "ERROR: Please load script file!!\r\n");
    download_failure(m, "script missing", "", u"missing.inc", 0, "ERROR: can not open script file\r\n");
    download_failure(m, "setmem syntax error", "", u"syntax.inc", 0, "ERROR: Syntax error in script file. Please use INC format");
    download_failure(m, "memory syntax error", "", u"syntax.ds", 5, "ERROR: Syntax error in script file. Please use ds5 format");
    download_failure(m, "address out of range", "", u"range.inc", 0, "ERROR: DCD addr is out of valid range.\r\n");
    {
        const std::string image = std::string("bin/") + (target_profile(0).firmware_file + 4);
        download_failure(m, "firmware file missing", "", u"good.inc", 0,
                         "ERROR: '" + image + "' is not found !!!\r\n",
                         [&] { folder.remove(image); }, [&] { folder.restore_image(0); });
    }
    download_failure(m, "no-board", "no-board", u"good.inc", 0, "ERROR: Can't open USB device!!!\r\n");
    download_failure(m, "production", "production", u"good.inc", 0, "ERROR: QEL_TYPE: PRODUCT. Not supported yet.\r\n");
    for (int k = 1; k <= WorkFolder::kScriptItems; ++k)
        download_failure(m, "dcd-nak=" + std::to_string(k), "dcd-nak=" + std::to_string(k), u"good.inc", 0, "ERROR: Write dcd failed.\r\n");
    for (int n = 1; n <= (WorkFolder::kImageBytes + 1023) / 1024; ++n)
        download_failure(m, "image-stall=" + std::to_string(n), "image-stall=" + std::to_string(n), u"good.inc", 0,
                         "ERROR: download Image to IRAM failed\r\n");
    download_failure(m, "no-firmware", "no-firmware", u"good.inc", 0, "ERROR: download failed\r\n");
    download_failure(m, "firmware-after=501", "firmware-after=501", u"good.inc", 0, "ERROR: download failed\r\n");
    for (int poll : {1, 250, 500}) {
        m.run("download: firmware-after=" + std::to_string(poll), [&](std::string* problem) {
            Session s;
            if (!s.start("firmware-after=" + std::to_string(poll), problem)) return;
            s.download();
            expect(problem, s.dlg->m_bLinkUp && s.buttons() == kLinkUp, "message: " + shown(last_line(s.pane())));
            expect_close_then_good_download(s, problem);
        });
    }

    // --- each firmware command, ending with every status code ---
    for (const Command& c : kCommands) {
        for (int code = 0; code <= 255; ++code) {
            m.run(std::string(c.name) + " status=" + std::to_string(code), [&](std::string* problem) {
                Session s;
                if (!s.start("status=" + std::to_string(code), problem)) return;
                s.download();
                expect(problem, s.dlg->m_bLinkUp, "download: " + shown(last_line(s.pane())));
                const int got = s.command(c);
                expect(problem, got == code, "status code " + std::to_string(got));
                expect(problem, s.buttons() == buttons_after_status(code), "buttons " + s.buttons());
                expect(problem, !last_line(s.pane()).empty(), "the firmware's text is missing");
                expect_close_then_good_download(s, problem);
            });
        }
    }

    // --- the board leaves the bus at firmware report 1, 10 and 1000, under
    // each command: the loop retries quietly; the next send fails with its
    // message, or, when the board left in the middle of an answer, no status
    // code comes and the buttons stay as the command left them ---
    for (const Command& c : kCommands) {
        for (int at : {1, 10, 1000}) {
            m.run(std::string(c.name) + " unplug-after=" + std::to_string(at), [&](std::string* problem) {
                Session s;
                if (!s.start("unplug-after=" + std::to_string(at), problem)) return;
                s.download();
                expect(problem, s.dlg->m_bLinkUp, "download: " + shown(last_line(s.pane())));
                int got = 0;
                for (int round = 0; round < 5000 && got >= 0; ++round) got = s.command(c);
                const std::string line = last_line(s.pane());
                if (got == -1) {
                    expect(problem, false, "a button was disabled before the board left");
                } else if (line == c.send_error) {
                    expect(problem, s.buttons() == c.send_failed, "buttons after the failed send " + s.buttons());
                } else {
                    // Left in the middle of an answer: the window waits for a
                    // status code that never comes.
                    expect(problem, got == -2 && s.buttons() == c.waiting,
                           "buttons while waiting " + s.buttons() + ", last line " + shown(line));
                }
                expect(problem, s.board->record(0).firmware_reports == at,
                       "the board sent " + std::to_string(s.board->record(0).firmware_reports) + " reports");
                expect(problem, s.dlg->m_bLinkUp, "the link went down without a Download");
                // Where Download is still usable, it tears the dead link down
                // and brings up a good board in the same window.
                if (s.host.control(IDC_DOWNLOAD).enabled)
                    expect_good_download_after(s, problem);
                else
                    expect_close_then_good_download(s, problem);
            });
        }
    }

    // --- text cut inside characters, frequencies over the board's limit, a
    // bench with one board of another target ---
    for (const Command& c : kCommands) {
        m.run(std::string(c.name) + " split-utf8", [&](std::string* problem) {
            Session s;
            if (!s.start("split-utf8", problem)) return;
            s.download();
            const int got = s.command(c);
            expect(problem, got >= 1 && got <= 10, "status code " + std::to_string(got));
            expect(problem, s.pane().find("\xEF\xBF\xBD") == std::string::npos, "a character was cut: U+FFFD shown");
            expect_close_then_good_download(s, problem);
        });
    }
    for (int c = 0; c < 2; ++c) {
        m.run(std::string(kCommands[c].name) + " max-freq=300", [&](std::string* problem) {
            Session s;
            if (!s.start("max-freq=300", problem)) return;
            s.download();
            const int got = s.command(kCommands[c]);
            const int failing = c == 0 ? 2 : 5;  // calibration failed, stress test failed
            expect(problem, got == failing, "status code " + std::to_string(got));
            expect(problem, s.buttons() == buttons_after_status(failing), "buttons " + s.buttons());
            expect_close_then_good_download(s, problem);
        });
    }
    download_failure(m, "board=KT410, Download for KT310", "board=KT410", u"good.inc", 0,
                     "ERROR: Can't open USB device!!!\r\n");
    m.run("download: board=KT410, Download for KT410", [&](std::string* problem) {
        Session s;
        if (!s.start("board=KT410", problem)) return;
        s.download(u"good.ds", 5);
        expect(problem, s.dlg->m_bLinkUp && s.buttons() == kLinkUp, "message: " + shown(last_line(s.pane())));
        expect_close_then_good_download(s, problem);
    });

    std::fflush(stdout);
    if (saved_stdout >= 0) ::dup2(saved_stdout, 1);
    m.print_table();
    const int failed = m.failed();
    std::printf("%zu passed, %d failed\n", m.total() - static_cast<std::size_t>(failed), failed);
    return failed == 0 ? 0 : 1;
}
