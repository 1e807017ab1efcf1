// Orvane.exe: the main window on real Win32 dialogs, the SetupAPI/HID
// backend and the real clock. The program takes no command-line arguments.
#ifndef WIN32_LEAN_AND_MEAN
#define WIN32_LEAN_AND_MEAN
#endif
#include <windows.h>

#include <memory>

#include "catalogue/target_catalogue.h"
#include "ui/orvane_app.h"
#include "ui/orvane_dlg.h"
#include "ui/win32/win32_host.h"
#include "ui/win32/win32_startup.h"
#include "usb/hid_link.h"
#include "usb/real_clock.h"
#include "usb/windows/windows_hid_backend.h"

namespace {
COrvaneApp theApp;
}

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, PWSTR, int) {
    win32_init_common_controls();
    if (theApp.m_dwRestartManagerSupportFlags & 1) win32_register_restart();

    std::unique_ptr<HidBackend> backend = windows_hid_backend();
    hid_link().backend = backend.get();
    hid_link().vendor_id = usb_vendor_id();

    RealClock clock;
    Win32Host host(instance, win32_app_name());
    clock.set_window_sleep([&host](std::int64_t ms) { host.window_sleep(ms); });
    theApp.SetFrontEnd(&host, &clock, [&host](COrvaneDlg& dlg) { return host.run_modal(dlg); });
    theApp.InitInstance();

    hid_link().backend = nullptr;
    return 0;
}
