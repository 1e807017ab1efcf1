// orvane: the Linux GUI. The main dialog on the Qt host, the boards through
// hidraw, or the simulated board with --simulate; real time either way.
#include <QApplication>
#include <QIcon>
#include <cstdio>
#include <cstring>
#include <memory>
#include <string>

#include "catalogue/target_catalogue.h"
#include "ui/orvane_app.h"
#include "ui/orvane_dlg.h"
#include "ui/qt/qt_host.h"
#include "usb/hid_link.h"
#include "usb/linux/hidraw_backend.h"
#include "usb/real_clock.h"
#include "sim/sim_board.h"

namespace {

constexpr int EXIT_USAGE = 2;

void usage(std::FILE* out) {
    std::fprintf(out,
                 "Usage: orvane [--simulate[=SCENARIOS]] [Qt options]\n"
                 "\n"
                 "Brings up and tests the DDR memory of KT-series boards over USB HID.\n"
                 "The test firmware images are read from bin/ and result logs are\n"
                 "written to log/, both below the current folder.\n"
                 "\n"
                 "  --simulate[=SCENARIOS]  run against the simulated board: one board of\n"
                 "                          every target, in real time\n"
                 "  -h, --help              show this help\n"
                 "  --version               show the version\n");
    std::fprintf(out, "\nScenarios (comma-separated):\n%s", sim_scenario_help());
}

}  // namespace

int main(int argc, char** argv) {
    // Our options first, so that --help works without a display.
    bool simulate = false;
    std::string scenarios;
    for (int i = 1; i < argc; ++i) {
        const char* a = argv[i];
        if (std::strcmp(a, "-h") == 0 || std::strcmp(a, "--help") == 0) {
            usage(stdout);
            return 0;
        }
        if (std::strcmp(a, "--version") == 0) {
            std::printf("orvane %s\n", ORVANE_VERSION);
            return 0;
        }
        if (std::strcmp(a, "--simulate") == 0) {
            simulate = true;
        } else if (std::strncmp(a, "--simulate=", 11) == 0) {
            simulate = true;
            scenarios = a + 11;
        }
    }
    SimScenarios sim_settings;
    if (simulate) {
        std::string error;
        if (!sim_parse_scenarios(scenarios, &sim_settings, &error)) {
            std::fprintf(stderr, "orvane: --simulate: %s\nScenarios:\n%s", error.c_str(), sim_scenario_help());
            return EXIT_USAGE;
        }
    }

    QApplication app(argc, argv);  // takes Qt's own options out of argv
    for (int i = 1; i < argc; ++i) {
        if (std::strcmp(argv[i], "--simulate") == 0 || std::strncmp(argv[i], "--simulate=", 11) == 0)
            continue;
        std::fprintf(stderr, "orvane: unknown option '%s'\n", argv[i]);
        usage(stderr);
        return EXIT_USAGE;
    }
    QApplication::setApplicationName(QStringLiteral("orvane"));
    QApplication::setApplicationVersion(QStringLiteral(ORVANE_VERSION));
    QApplication::setDesktopFileName(QStringLiteral("orvane"));
    QApplication::setWindowIcon(orvane_app_icon());

    RealClock clock;
    std::unique_ptr<HidBackend> backend;
    if (simulate) backend = std::make_unique<SimBoard>(clock, usb_vendor_id(), sim_settings);
    if (!backend) backend = std::make_unique<HidrawBackend>();
    hid_link().backend = backend.get();
    hid_link().vendor_id = usb_vendor_id();

    int result = 0;
    {
        QtDialogHost host;
        host.attach_clock(clock);
        COrvaneApp orvane;
        orvane.SetFrontEnd(&host, &clock, [&host](COrvaneDlg& dlg) { return host.run_modal(dlg); });
        result = orvane.InitInstance();
        // The dialog is gone and its firmware link closed; the window sleep
        // goes with the host.
        clock.set_window_sleep(nullptr);
    }
    hid_close_device();
    hid_link().backend = nullptr;
    return result;
}
