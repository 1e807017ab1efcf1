// The real main window of Orvane.exe, created from its template on the
// display, driven through Win32 messages from a second thread: the start
// state and layout, the system menu and About box, Enter, the file picker,
// a whole session on the simulated board (Download, Calibration with its
// status code, Save Result, the data-exchange box), and Download against
// Wine's own HID devices.
#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <memory>
#include <sstream>
#include <string>

#include "catalogue/target_catalogue.h"
#include "sim/sim_board.h"
#include "tests/windows/win32_driver.h"
#include "ui/control_table.h"
#include "ui/orvane_dlg.h"
#include "ui/resource.h"
#include "ui/text_convert.h"
#include "usb/hid_link.h"
#include "usb/real_clock.h"
#include "usb/windows/windows_hid_backend.h"

namespace fs = std::filesystem;

namespace {

constexpr int kCommandButtons[] = {IDC_CALIBRATION, IDC_STRESS_TEST, IDC_READ, IDC_WRITE, IDC_SET_VOLTAGE};

std::string narrow(const std::u16string& s) { return utf16_to_utf8(std::u16string_view(s)); }

// A folder of its own as the current directory: the firmware image the
// Download reads (bin\ddr-test-kt310.bin), an init script and the log folder.
class Workspace {
public:
    Workspace() {
        previous_ = fs::current_path();
        dir_ = fs::temp_directory_path() /
               ("orvane-win32-" + std::to_string(GetCurrentProcessId()) + "-" + std::to_string(GetTickCount64()));
        fs::create_directories(dir_ / "bin");
        fs::create_directories(dir_ / "log");
        std::ofstream(dir_ / "bin" / "ddr-test-kt310.bin", std::ios::binary) << "test firmware image of our own";
        std::ofstream(dir_ / "board.inc", std::ios::binary)
            << "// two clock gates and a pad setting\r\n"
               "setmem /32 0x020C4068 = 0xFFFFFFFF\r\n"
               "setmem /32 0x020C406C = 0xFFFFFFFF\r\n"
               "setmem /32 0x020E0470 = 0x00000030\r\n";
        fs::current_path(dir_);
    }
    ~Workspace() {
        std::error_code ec;
        fs::current_path(previous_, ec);
        fs::remove_all(dir_, ec);
    }
    fs::path dir() const { return dir_; }
    std::u16string script() const {
        const std::wstring w = (dir_ / "board.inc").wstring();
        return std::u16string(w.begin(), w.end());
    }

private:
    fs::path previous_, dir_;
};

class Win32Dialog : public ::testing::Test {
protected:
    void SetUp() override {
        // A GUI test needs the display the Windows stage provides.
        const char* display = std::getenv("DISPLAY");
        if (!display || !*display) GTEST_SKIP() << "no display: run through tools/stage-windows";
        clock.set_window_sleep([this](std::int64_t ms) { host.window_sleep(ms); });
    }
    void TearDown() override {
        hid_close_device();
        hid_link().backend = nullptr;
        hid_link().device_path.reset();
    }

    Win32Host host{GetModuleHandleW(nullptr), u"Orvane"};
    RealClock clock;
};

TEST_F(Win32Dialog, OpensInItsStartStateWithEveryControlOfTheTemplate) {
    COrvaneDlg dlg(&host, &clock);
    const int result = run_driven(host, dlg, [&](Win32Driver& d) {
        HWND main = d.main_window();
        EXPECT_EQ(narrow(Win32Driver::text_of(main)), "Brenlow DDR Test Tool");

        // Children in creation (= tab and drawing) order, as the table has them.
        std::vector<HWND> children;
        for (HWND c = GetWindow(main, GW_CHILD); c; c = GetWindow(c, GW_HWNDNEXT)) children.push_back(c);
        const auto& table = main_window_template().controls;
        ASSERT_EQ(children.size(), table.size());
        for (std::size_t i = 0; i < table.size(); ++i) {
            SCOPED_TRACE("control #" + std::to_string(i + 1));
            EXPECT_EQ(static_cast<int>(static_cast<std::int16_t>(GetDlgCtrlID(children[i]))), table[i].id);
            if (table[i].kind != ControlKind::edit && table[i].kind != ControlKind::drop_down_list) {
                EXPECT_EQ(narrow(Win32Driver::text_of(children[i])), narrow(table[i].caption));
            }
            EXPECT_TRUE(IsWindowVisible(children[i]));
        }

        // The start state: TARGET focused showing KT310, Download the only
        // operation button enabled, the fields' first values.
        EXPECT_EQ(d.focus(), d.item(IDC_TARGET));
        EXPECT_EQ(narrow(d.text(IDC_TARGET)), "KT310");
        EXPECT_TRUE(d.enabled(IDC_DOWNLOAD));
        for (int id : kCommandButtons) EXPECT_FALSE(d.enabled(id)) << id;
        for (int id : {IDC_SAVE_CALIBRATION, IDC_SAVE_STRESS, IDC_VDD_ARM_DOWN, IDC_VDD_ARM_UP, IDC_VDD_SOC_DOWN,
                       IDC_VDD_SOC_UP})
            EXPECT_FALSE(d.enabled(id)) << id;
        EXPECT_EQ(narrow(d.text(IDC_MR1)), "0000");
        for (int id : {IDC_DDR_FREQ, IDC_START_FREQ, IDC_END_FREQ}) EXPECT_EQ(narrow(d.text(id)), "0");
        EXPECT_EQ(narrow(d.text(IDC_VDD_ARM)), "auto");
        EXPECT_EQ(narrow(d.text(IDC_VDD_SOC)), "auto");
        EXPECT_TRUE(d.checked(IDC_VERIFY_DCD));
        EXPECT_EQ(narrow(d.text(IDC_READ_SIZE)), "1 WORD");
        EXPECT_EQ(narrow(d.text(IDC_OUTPUT)), "");
        // Typing stops at 4 and 8 characters; the pane takes everything.
        EXPECT_EQ(d.send(d.item(IDC_MR1), EM_GETLIMITTEXT), 4);
        EXPECT_EQ(d.send(d.item(IDC_ADDR), EM_GETLIMITTEXT), 8);
        EXPECT_GE(static_cast<unsigned long long>(d.send(d.item(IDC_OUTPUT), EM_GETLIMITTEXT)), 0x7FFFFFFEull);

        // Icons: big and small from icon 128, and the same as drag image.
        const LRESULT big = d.send(main, WM_GETICON, ICON_BIG);
        EXPECT_NE(big, 0);
        EXPECT_EQ(d.send(main, WM_GETICON, ICON_SMALL), big);
        EXPECT_EQ(d.send(main, WM_QUERYDRAGICON), big);

        // The About item at the end of the system menu, after a separator.
        HMENU menu = GetSystemMenu(main, FALSE);
        ASSERT_NE(menu, nullptr);
        const int items = GetMenuItemCount(menu);
        ASSERT_GE(items, 2);
        EXPECT_EQ(GetMenuItemID(menu, items - 1), IDM_ABOUTBOX);
        wchar_t label[64] = {};
        GetMenuStringW(menu, IDM_ABOUTBOX, label, 64, MF_BYCOMMAND);
        EXPECT_EQ(std::wstring(label), L"&About Orvane...");
        MENUITEMINFOW sep{};
        sep.cbSize = sizeof sep;
        sep.fMask = MIIM_FTYPE;
        ASSERT_TRUE(GetMenuItemInfoW(menu, items - 2, TRUE, &sep));
        EXPECT_TRUE(sep.fType & MFT_SEPARATOR);

        // Choosing it opens the About box over the disabled main window.
        PostMessageW(main, WM_SYSCOMMAND, IDM_ABOUTBOX, 0);
        PopUp about = d.wait_pop_up(10000);
        ASSERT_NE(about.hwnd, nullptr);
        EXPECT_EQ(narrow(about.caption), "About Brenlow Orvane");
        EXPECT_TRUE(about.contains(u"Orvane, Version2.2.0"));
        EXPECT_EQ(GetWindow(about.hwnd, GW_OWNER), main);
        EXPECT_FALSE(IsWindowEnabled(main));
        Win32Driver::press(about.hwnd, IDOK);
        EXPECT_TRUE(Win32Driver::wait([&] { return d.pop_ups().empty() && IsWindowEnabled(main); }, 10000));

        // Enter in a field does not close the window; the typing after it
        // lands in the field.
        PostMessageW(d.item(IDC_ADDR), WM_KEYDOWN, VK_RETURN, 0);
        PostMessageW(d.item(IDC_ADDR), WM_CHAR, L'A', 0);
        EXPECT_TRUE(Win32Driver::wait([&] { return d.text(IDC_ADDR) == u"A"; }, 10000));
        EXPECT_TRUE(d.window_open());

        // Tab from the TARGET list walks the controls in creation order,
        // passing over labels and group boxes.
        d.send(main, WM_NEXTDLGCTL, reinterpret_cast<WPARAM>(d.item(IDC_TARGET)), TRUE);
        for (int id : {IDC_DDR_DENSITY, IDC_ARM_SPEED, IDC_LOAD_SCRIPT, IDC_SCRIPT_PATH, IDC_OUTPUT}) {
            HWND from = d.focus();
            PostMessageW(from, WM_KEYDOWN, VK_TAB, 0);
            EXPECT_TRUE(Win32Driver::wait([&] { return d.focus() != from; }, 10000));
            EXPECT_EQ(d.focus(), d.item(id)) << "expected " << id << ", focus on " << GetDlgCtrlID(d.focus());
        }

        // Esc closes it.
        PostMessageW(d.item(IDC_ADDR), WM_KEYDOWN, VK_ESCAPE, 0);
        EXPECT_TRUE(Win32Driver::wait([&] { return !d.window_open(); }, 10000));
    });
    EXPECT_EQ(result, IDCANCEL);
}

// A dialog on the main window's template whose Download handler sleeps on
// the clock, as the real Download does, until the driver has sent its
// messages; it records which of them reached it, and when.
class SleepingHandlerDialog final : public CDialogEx {
public:
    SleepingHandlerDialog(DialogHost* host, Clock* clock) : CDialogEx(IDD_ORVANE_DIALOG, host), clock_(clock) {}

    std::atomic<bool> sleeping{false};
    std::atomic<bool> driver_done{false};
    std::atomic<int> statuses{0};
    std::vector<std::string> events;  // window thread only

    void OnDownload() {
        InvalidateRect(Host() ? static_cast<Win32Host*>(Host())->window() : nullptr, nullptr, TRUE);
        in_handler_ = true;
        sleeping = true;
        for (int i = 0; i < 400 && !driver_done; ++i) clock_->sleep_for(25);
        clock_->sleep_for(100);
        sleeping = false;
        in_handler_ = false;
    }
    void OnLoadScript() { events.push_back(in_handler_ ? "load-script in handler" : "load-script"); }
    void OnPaint() {
        if (in_handler_ && (events.empty() || events.back() != "paint in handler")) events.push_back("paint in handler");
        Default();
    }
    std::intptr_t OnFlush(std::uintptr_t, std::intptr_t) {
        events.push_back(in_handler_ ? "flush in handler" : "flush after");
        return 0;
    }
    std::intptr_t OnStatus(std::uintptr_t code, std::intptr_t) {
        events.push_back((in_handler_ ? "status in handler " : "status after ") + std::to_string(code));
        ++statuses;
        return 0;
    }

protected:
    std::span<const MessageMapEntry> GetMessageMap() const override {
        static constexpr MessageMapEntry kMap[] = {
            on_notify<&SleepingHandlerDialog::OnDownload>(DLG_BN_CLICKED, IDC_DOWNLOAD),
            on_notify<&SleepingHandlerDialog::OnLoadScript>(DLG_BN_CLICKED, IDC_LOAD_SCRIPT),
            on_plain_message<&SleepingHandlerDialog::OnPaint>(DLG_WM_PAINT),
            on_message<&SleepingHandlerDialog::OnFlush>(WM_OUTPUT_FLUSH),
            on_message<&SleepingHandlerDialog::OnStatus>(WM_TARGET_STATUS),
        };
        return kMap;
    }

private:
    Clock* clock_;
    bool in_handler_ = false;
};

TEST_F(Win32Dialog, AHandlersSleepPaintsAndTakesPostedOutputButNoInputAndNoStatus) {
    SleepingHandlerDialog dlg(&host, &clock);
    run_driven(host, dlg, [&](Win32Driver& d) {
        d.post_click(IDC_DOWNLOAD);
        ASSERT_TRUE(Win32Driver::wait([&] { return dlg.sleeping.load(); }, 10000));
        PostMessageW(d.main_window(), WM_TARGET_STATUS, 4, 0);
        PostMessageW(d.main_window(), WM_OUTPUT_FLUSH, 0, 0);
        PostMessageW(d.item(IDC_ADDR), WM_CHAR, L'7', 0);
        d.post_click(IDC_LOAD_SCRIPT);
        // Sent messages are answered during the sleep.
        d.set_text(IDC_DATA, u"sent");
        EXPECT_EQ(narrow(d.text(IDC_DATA)), "sent");
        EXPECT_TRUE(dlg.sleeping.load());
        dlg.driver_done = true;
        EXPECT_TRUE(Win32Driver::wait([&] { return dlg.statuses.load() == 1; }, 10000));
        EXPECT_EQ(narrow(d.text(IDC_ADDR)), "");
    });
    const std::vector<std::string> want = {"paint in handler", "flush in handler", "status after 4"};
    EXPECT_EQ(dlg.events, want);
}

TEST_F(Win32Dialog, LoadInitScriptCancelledChangesNothingAndAChosenFileIsShown) {
    Workspace ws;
    COrvaneDlg dlg(&host, &clock);
    run_driven(host, dlg, [&](Win32Driver& d) {
        d.set_text(IDC_SCRIPT_PATH, u"typed.inc");
        d.post_click(IDC_LOAD_SCRIPT);
        PopUp picker = d.wait_pop_up(20000);
        ASSERT_NE(picker.hwnd, nullptr);
        EXPECT_EQ(GetWindow(picker.hwnd, GW_OWNER), d.main_window());
        Win32Driver::press(picker.hwnd, IDCANCEL);
        EXPECT_TRUE(Win32Driver::wait([&] { return d.pop_ups().empty(); }, 10000));
        EXPECT_EQ(narrow(d.text(IDC_SCRIPT_PATH)), "typed.inc");

        // Again, choosing the script by name: the field shows its full path.
        d.post_click(IDC_LOAD_SCRIPT);
        picker = d.wait_pop_up(20000);
        ASSERT_NE(picker.hwnd, nullptr);
        HWND types = GetDlgItem(picker.hwnd, 0x470);   // the "Files of type" list
        HWND name = GetDlgItem(picker.hwnd, 0x480);    // the file name field
        ASSERT_NE(types, nullptr);
        ASSERT_NE(name, nullptr);
        EXPECT_EQ(d.send(types, CB_GETCOUNT), 2);
        EXPECT_EQ(narrow(Win32Driver::text_of(types)), "Script Files(*.inc;*.ds)");
        const std::wstring path = (ws.dir() / "board.inc").wstring();
        d.send(name, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(path.c_str()));
        Win32Driver::press(picker.hwnd, IDOK);
        EXPECT_TRUE(Win32Driver::wait([&] { return d.pop_ups().empty(); }, 10000));
        EXPECT_TRUE(Win32Driver::wait([&] { return d.text(IDC_SCRIPT_PATH) == ws.script(); }, 10000))
            << narrow(d.text(IDC_SCRIPT_PATH));
    });
}

TEST_F(Win32Dialog, SessionOnTheSimulatedBoard) {
    Workspace ws;
    SimBoard board(clock, usb_vendor_id(), SimScenarios{});
    hid_link().backend = &board;
    hid_link().vendor_id = usb_vendor_id();
    COrvaneDlg dlg(&host, &clock);
    std::u16string saved_name;
    std::u16string pane_at_save;

    run_driven(host, dlg, [&](Win32Driver& d) {
        d.set_text(IDC_SCRIPT_PATH, ws.script());
        d.set_text(IDC_DDR_FREQ, u"abc");
        // Settings chosen in the lists reach the firmware in the sync packet.
        d.send(d.item(IDC_DDR_CS), CB_SETCURSEL, 1);
        d.send(d.item(IDC_DDR_CHANNEL), CB_SETCURSEL, 1);
        // The VDD_ARM_CAP rail to Manual: its step buttons come alive.
        d.send(d.item(IDC_VDD_ARM_MODE), CB_SETCURSEL, 1);
        d.send(d.main_window(), WM_COMMAND, MAKEWPARAM(IDC_VDD_ARM_MODE, CBN_SELCHANGE),
               reinterpret_cast<LPARAM>(d.item(IDC_VDD_ARM_MODE)));
        EXPECT_TRUE(d.enabled(IDC_VDD_ARM_DOWN));
        EXPECT_TRUE(d.enabled(IDC_VDD_ARM_UP));
        EXPECT_FALSE(d.enabled(IDC_VDD_SOC_UP));
        const std::u16string manual = d.text(IDC_VDD_ARM);
        EXPECT_NE(narrow(manual), "auto");
        d.click(IDC_VDD_ARM_UP);
        EXPECT_NE(d.text(IDC_VDD_ARM), manual);

        // Download reads the fields first: the refused integer shows its box.
        d.post_click(IDC_DOWNLOAD);
        PopUp box = d.wait_pop_up(10000);
        ASSERT_NE(box.hwnd, nullptr);
        EXPECT_EQ(narrow(box.caption), "Orvane");
        EXPECT_TRUE(box.contains(u"Enter an integer.")) << narrow(box.texts.empty() ? u"" : box.texts.back());
        Win32Driver::press(box.hwnd, IDOK);

        // The Download goes on: each progress line shows while it runs, and
        // the window takes no input meanwhile.
        EXPECT_TRUE(Win32Driver::wait(
            [&] { return d.text(IDC_OUTPUT).find(u"Image loading...") != std::u16string::npos; }, 20000));
        EXPECT_FALSE(d.enabled(IDC_DOWNLOAD)) << "the progress line shows while the Download still runs";
        EXPECT_EQ(d.focus(), d.item(IDC_DDR_FREQ)) << "the refused field has the focus";
        PostMessageW(d.item(IDC_ADDR), WM_CHAR, L'7', 0);
        d.post_click(IDC_LOAD_SCRIPT);
        // Before the sync packet the Download reads the fields once more:
        // the same refusal, and only that box.
        PopUp again = d.wait_pop_up(20000);
        ASSERT_NE(again.hwnd, nullptr) << narrow(d.text(IDC_OUTPUT));
        EXPECT_TRUE(again.contains(u"Enter an integer."));
        Win32Driver::press(again.hwnd, IDOK);
        ASSERT_TRUE(Win32Driver::wait([&] { return d.enabled(IDC_DOWNLOAD); }, 30000))
            << narrow(d.text(IDC_OUTPUT));
        EXPECT_TRUE(d.pop_ups().empty()) << "a click during the Download opened something";
        EXPECT_EQ(narrow(d.text(IDC_ADDR)), "");

        // The link is up: the firmware's banner, the command buttons.
        EXPECT_TRUE(Win32Driver::wait([&] { return d.text(IDC_OUTPUT).find(u"Ready.") != std::u16string::npos; },
                                      10000));
        EXPECT_NE(d.text(IDC_OUTPUT).find(u"Die temperature 41 \u00b0C"), std::u16string::npos);
        EXPECT_NE(d.text(IDC_OUTPUT).find(u"CS ALL, channel 1\r\n"), std::u16string::npos);
        for (int id : kCommandButtons) EXPECT_TRUE(d.enabled(id)) << id;
        EXPECT_FALSE(d.enabled(IDC_SAVE_CALIBRATION));

        // Calibration: its status code enables the commands and the
        // calibration group's Save Result.
        d.set_text(IDC_DDR_FREQ, u"400");
        d.click(IDC_CALIBRATION);
        EXPECT_FALSE(d.enabled(IDC_DOWNLOAD));
        for (int id : kCommandButtons) EXPECT_FALSE(d.enabled(id)) << id;
        ASSERT_TRUE(Win32Driver::wait([&] { return d.enabled(IDC_SAVE_CALIBRATION); }, 20000));
        for (int id : kCommandButtons) EXPECT_TRUE(d.enabled(id)) << id;
        EXPECT_TRUE(d.enabled(IDC_DOWNLOAD));
        EXPECT_FALSE(d.enabled(IDC_SAVE_STRESS));
        const std::u16string pane = d.text(IDC_OUTPUT);
        EXPECT_NE(pane.find(u"DDR calibration at 400 MHz"), std::u16string::npos);
        EXPECT_NE(pane.find(u"Calibration PASS\r\n"), std::u16string::npos);

        // Save Result writes the pane to the log and says so.
        pane_at_save = pane;
        d.post_click(IDC_SAVE_CALIBRATION);
        PopUp saved = d.wait_pop_up(10000);
        ASSERT_NE(saved.hwnd, nullptr);
        EXPECT_EQ(narrow(saved.caption), "Orvane");
        for (const std::u16string& t : saved.texts)
            if (t.find(u" is saved") != std::u16string::npos) saved_name = t.substr(0, t.find(u" is saved"));
        Win32Driver::press(saved.hwnd, IDOK);
        EXPECT_TRUE(Win32Driver::wait([&] { return d.pop_ups().empty(); }, 10000));

        // An overnight run's worth of text from the receive side: nothing is
        // cut at the edit control's default limit.
        const std::size_t before = d.text(IDC_OUTPUT).size();
        const std::u16string line = std::u16string(998, u'x') + u"\r\n";
        std::thread appender([&] {
            for (int i = 0; i < 70; ++i) dlg.AppendOutput(std::u16string_view(line));
        });
        appender.join();
        EXPECT_TRUE(Win32Driver::wait([&] { return d.text(IDC_OUTPUT).size() >= before + 70 * line.size(); }, 20000));
        EXPECT_EQ(d.text(IDC_OUTPUT).size(), before + 70 * line.size());

        // The close box with the link up.
        PostMessageW(d.main_window(), WM_SYSCOMMAND, SC_CLOSE, 0);
        EXPECT_TRUE(Win32Driver::wait([&] { return !d.window_open(); }, 20000));
    });

    // The receive loop stopped and the device closed before the window went.
    EXPECT_EQ(dlg.m_bLinkUp, 0);
    EXPECT_FALSE(dlg.m_receiveThread.joinable());
    EXPECT_EQ(board.record(0).open_devices, 0);
    EXPECT_EQ(board.record(0).jumps, 1);

    // The log holds the pane's text as it was saved, in UTF-8.
    ASSERT_FALSE(saved_name.empty());
    EXPECT_EQ(saved_name.rfind(u"log\\ddr_calibration_", 0), 0u) << narrow(saved_name);
    std::ifstream log(ws.dir() / fs::path(std::wstring(saved_name.begin(), saved_name.end())), std::ios::binary);
    ASSERT_TRUE(log.good());
    std::stringstream content;
    content << log.rdbuf();
    EXPECT_EQ(content.str(), narrow(pane_at_save));
}

TEST_F(Win32Dialog, DownloadFindsNoBoardAmongWinesOwnHidDevices) {
    Workspace ws;
    std::unique_ptr<HidBackend> backend = windows_hid_backend();
    hid_link().backend = backend.get();
    hid_link().vendor_id = usb_vendor_id();
    COrvaneDlg dlg(&host, &clock);
    run_driven(host, dlg, [&](Win32Driver& d) {
        d.set_text(IDC_SCRIPT_PATH, ws.script());
        d.click(IDC_DOWNLOAD);
        EXPECT_EQ(narrow(d.text(IDC_OUTPUT)), "ERROR: Can't open USB device!!!\r\n");
        EXPECT_TRUE(d.enabled(IDC_DOWNLOAD));
        for (int id : kCommandButtons) EXPECT_FALSE(d.enabled(id)) << id;
    });
    EXPECT_EQ(dlg.m_bLinkUp, 0);
}

}  // namespace
