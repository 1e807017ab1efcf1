#include "ui/win32/win32_host.h"

#include <algorithm>
#include <vector>

#include "ui/orvane_dlg.h"
#include "ui/resource.h"
#include "ui/win32/win32_file_picker.h"
#include "ui/win32/win32_text.h"

namespace {

constexpr UINT kInputMask = PM_QS_INPUT;
constexpr UINT kPaintAndPosted = PM_QS_PAINT | PM_QS_POSTMESSAGE;

bool is_input_message(UINT message) {
    return (message >= WM_KEYFIRST && message <= WM_KEYLAST) ||
           (message >= WM_MOUSEFIRST && message <= WM_MOUSELAST) ||
           (message >= WM_NCMOUSEMOVE && message <= WM_NCXBUTTONDBLCLK);
}

void centre_in(HWND hwnd, const RECT& area) {
    RECT r;
    GetWindowRect(hwnd, &r);
    const int w = r.right - r.left, h = r.bottom - r.top;
    int x = area.left + (area.right - area.left - w) / 2;
    int y = area.top + (area.bottom - area.top - h) / 2;
    // Keep the caption on the screen.
    x = std::max(x, static_cast<int>(area.left));
    y = std::max(y, static_cast<int>(area.top));
    SetWindowPos(hwnd, nullptr, x, y, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
}

RECT work_area_of(HWND hwnd) {
    MONITORINFO info{};
    info.cbSize = sizeof info;
    HMONITOR monitor = MonitorFromWindow(hwnd, MONITOR_DEFAULTTOPRIMARY);
    if (monitor && GetMonitorInfoW(monitor, &info)) return info.rcWork;
    RECT r{0, 0, GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN)};
    return r;
}

}  // namespace

Win32Host::Win32Host(HINSTANCE instance, std::u16string app_name)
    : instance_(instance), app_name_(std::move(app_name)) {
    // The icon at the system's standard size: the big and the small window
    // icon, drawn while minimised and returned as the drag image.
    icon_ = LoadIconW(instance_, MAKEINTRESOURCEW(IDR_MAINFRAME));
}

Win32Host::~Win32Host() = default;

int Win32Host::run_modal(CDialogEx& dialog) {
    dialog_ = &dialog;
    const INT_PTR result =
        DialogBoxParamW(instance_, MAKEINTRESOURCEW(dialog.GetTemplateId()), nullptr, &MainProc,
                        reinterpret_cast<LPARAM>(this));
    hwnd_.store(nullptr);
    dialog_ = nullptr;
    return static_cast<int>(result);
}

HWND Win32Host::Item(int id) const {
    HWND hwnd = hwnd_.load();
    return hwnd ? GetDlgItem(hwnd, id) : nullptr;
}

DispatchResult Win32Host::Dispatch(UINT message, WPARAM wparam, LPARAM lparam) {
    if (!dialog_) return {false, 0};
    ++handler_depth_;
    DispatchResult r =
        dialog_->OnMessage(message, static_cast<std::uintptr_t>(wparam), static_cast<std::intptr_t>(lparam));
    --handler_depth_;
    return r;
}

INT_PTR CALLBACK Win32Host::MainProc(HWND hwnd, UINT message, WPARAM wparam, LPARAM lparam) {
    if (message == WM_INITDIALOG) SetWindowLongPtrW(hwnd, DWLP_USER, lparam);
    auto* self = reinterpret_cast<Win32Host*>(GetWindowLongPtrW(hwnd, DWLP_USER));
    if (!self) return FALSE;
    return self->OnMainMessage(hwnd, message, wparam, lparam);
}

void Win32Host::OnCreated(HWND hwnd) {
    hwnd_.store(hwnd);
    // The output pane keeps every character the program appends: an
    // overnight stress test writes far more than the edit's default limit.
    SendDlgItemMessageW(hwnd, IDC_OUTPUT, EM_SETLIMITTEXT, 0, 0);
    // "About" at the end of the system menu, after a separator.
    if (HMENU menu = GetSystemMenu(hwnd, FALSE)) {
        wchar_t text[128] = {};
        if (LoadStringW(instance_, IDS_ABOUTBOX, text, 128) > 0 && text[0]) {
            AppendMenuW(menu, MF_SEPARATOR, 0, nullptr);
            AppendMenuW(menu, MF_STRING, IDM_ABOUTBOX, text);
        }
    }
    SendMessageW(hwnd, WM_SETICON, ICON_BIG, reinterpret_cast<LPARAM>(icon_));
    SendMessageW(hwnd, WM_SETICON, ICON_SMALL, reinterpret_cast<LPARAM>(icon_));
}

bool Win32Host::PaintMinimised(HWND hwnd) {
    if (!IsIconic(hwnd)) return false;
    PAINTSTRUCT ps;
    HDC dc = BeginPaint(hwnd, &ps);
    SendMessageW(hwnd, WM_ICONERASEBKGND, reinterpret_cast<WPARAM>(dc), 0);
    RECT client;
    GetClientRect(hwnd, &client);
    int x = 0, y = 0;
    COrvaneDlg::IconOrigin(client.right - client.left, client.bottom - client.top,
                           GetSystemMetrics(SM_CXICON), GetSystemMetrics(SM_CYICON), x, y);
    DrawIcon(dc, x, y, icon_);
    EndPaint(hwnd, &ps);
    return true;
}

INT_PTR Win32Host::OnMainMessage(HWND hwnd, UINT message, WPARAM wparam, LPARAM lparam) {
    switch (message) {
    case WM_INITDIALOG: {
        OnCreated(hwnd);
        RECT before;
        GetWindowRect(hwnd, &before);
        ++handler_depth_;
        const int focus_first = dialog_ ? dialog_->OnInitDialog() : 1;
        --handler_depth_;
        // A window that initialisation did not move opens centred on the
        // work area.
        RECT after;
        GetWindowRect(hwnd, &after);
        if (after.left == before.left && after.top == before.top) centre_in(hwnd, work_area_of(hwnd));
        return focus_first ? TRUE : FALSE;
    }
    case WM_COMMAND:
    case WM_SYSCOMMAND: {
        // No command reaches the dialog while one of its handlers runs (a
        // Download sleeping in window_sleep, a message box of a handler).
        if (handler_depth_ > 0) return TRUE;
        return Dispatch(message, wparam, lparam).handled ? TRUE : FALSE;
    }
    case WM_PAINT: {
        if (Dispatch(message, wparam, lparam).handled) return TRUE;
        return PaintMinimised(hwnd) ? TRUE : FALSE;
    }
    case WM_QUERYDRAGICON: {
        const DispatchResult r = Dispatch(message, wparam, lparam);
        if (!r.handled) return FALSE;
        // The dialog names its icon by resource id; this host holds it.
        return r.value == IDR_MAINFRAME ? reinterpret_cast<INT_PTR>(icon_) : 0;
    }
    case WM_NCDESTROY:
        hwnd_.store(nullptr);
        return FALSE;
    default: {
        const DispatchResult r = Dispatch(message, wparam, lparam);
        if (!r.handled) return FALSE;
        SetWindowLongPtrW(hwnd, DWLP_MSGRESULT, static_cast<LONG_PTR>(r.value));
        return TRUE;
    }
    }
}

void Win32Host::window_sleep(std::int64_t ms) {
    const ULONGLONG deadline = GetTickCount64() + static_cast<ULONGLONG>(ms < 0 ? 0 : ms);
    for (;;) {
        MSG msg;
        bool quit = false;
        // Paint and posted messages, except status codes, which wait in the
        // queue until the running handler has returned.
        while (PeekMessageW(&msg, nullptr, 0, WM_TARGET_STATUS - 1, PM_REMOVE | kPaintAndPosted) ||
               PeekMessageW(&msg, nullptr, WM_TARGET_STATUS + 1, 0xFFFFFFFFu, PM_REMOVE | kPaintAndPosted)) {
            if (msg.message == WM_QUIT) {
                quit = true;
                break;
            }
            if (is_input_message(msg.message)) continue;  // posted input: discarded
            DispatchMessageW(&msg);
        }
        // Keyboard and mouse input during the handler is discarded.
        while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE | kInputMask)) {
            if (msg.message == WM_QUIT) {
                quit = true;
                break;
            }
        }
        if (quit) {
            // The program is ending: leave the quit for the loop that ends
            // it and sleep out the rest without pumping.
            PostQuitMessage(static_cast<int>(msg.wParam));
            const ULONGLONG now = GetTickCount64();
            if (now < deadline) Sleep(static_cast<DWORD>(deadline - now));
            return;
        }
        const ULONGLONG now = GetTickCount64();
        if (now >= deadline) return;
        // Wakes for new messages of these kinds only, so a status code left
        // in the queue does not make this spin.
        MsgWaitForMultipleObjectsEx(0, nullptr, static_cast<DWORD>(deadline - now),
                                    QS_PAINT | QS_POSTMESSAGE | QS_SENDMESSAGE | QS_INPUT, 0);
    }
}

// --- controls ---

void Win32Host::set_text(int id, const std::u16string& text) {
    if (HWND h = Item(id)) SetWindowTextW(h, win32_wide(text).c_str());
}

std::u16string Win32Host::get_text(int id) {
    HWND h = Item(id);
    if (!h) return u"";
    const int length = GetWindowTextLengthW(h);
    if (length <= 0) return u"";
    std::vector<wchar_t> buffer(static_cast<std::size_t>(length) + 1, L'\0');
    const int got = GetWindowTextW(h, buffer.data(), length + 1);
    return win32_u16(std::wstring_view(buffer.data(), static_cast<std::size_t>(std::max(got, 0))));
}

void Win32Host::enable(int id, bool on) {
    if (HWND h = Item(id)) EnableWindow(h, on ? TRUE : FALSE);
}

bool Win32Host::is_enabled(int id) {
    HWND h = Item(id);
    return h && IsWindowEnabled(h);
}

void Win32Host::set_focus(int id) {
    if (HWND h = Item(id)) SetFocus(h);
}

void Win32Host::list_reset(int id) {
    if (HWND h = Item(id)) SendMessageW(h, CB_RESETCONTENT, 0, 0);
}

void Win32Host::list_add(int id, const std::u16string& row) {
    if (HWND h = Item(id)) {
        const std::wstring w = win32_wide(row);
        SendMessageW(h, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(w.c_str()));
    }
}

void Win32Host::list_select(int id, int index) {
    if (HWND h = Item(id)) SendMessageW(h, CB_SETCURSEL, static_cast<WPARAM>(index), 0);
}

int Win32Host::list_selection(int id) {
    HWND h = Item(id);
    if (!h) return -1;
    const LRESULT r = SendMessageW(h, CB_GETCURSEL, 0, 0);
    return r == CB_ERR ? -1 : static_cast<int>(r);
}

void Win32Host::set_check(int id, bool checked) {
    if (HWND h = Item(id)) SendMessageW(h, BM_SETCHECK, checked ? BST_CHECKED : BST_UNCHECKED, 0);
}

bool Win32Host::get_check(int id) {
    HWND h = Item(id);
    return h && SendMessageW(h, BM_GETCHECK, 0, 0) == BST_CHECKED;
}

void Win32Host::limit_text(int id, int limit) {
    if (HWND h = Item(id)) SendMessageW(h, EM_SETLIMITTEXT, static_cast<WPARAM>(limit > 0 ? limit : 0), 0);
}

void Win32Host::select_all(int id) {
    if (HWND h = Item(id)) SendMessageW(h, EM_SETSEL, 0, -1);
}

void Win32Host::append_text(int id, const std::u16string& text) {
    HWND h = Item(id);
    if (!h) return;
    const std::wstring w = win32_wide(text);
    const LRESULT end = GetWindowTextLengthW(h);
    SendMessageW(h, EM_SETSEL, static_cast<WPARAM>(end), end);
    SendMessageW(h, EM_REPLACESEL, FALSE, reinterpret_cast<LPARAM>(w.c_str()));
    SendMessageW(h, EM_SCROLLCARET, 0, 0);
}

bool Win32Host::get_modify(int id) {
    HWND h = Item(id);
    return h && SendMessageW(h, EM_GETMODIFY, 0, 0) != 0;
}

void Win32Host::set_modify(int id, bool modified) {
    if (HWND h = Item(id)) SendMessageW(h, EM_SETMODIFY, modified ? TRUE : FALSE, 0);
}

int Win32Host::line_count(int id) {
    HWND h = Item(id);
    return h ? static_cast<int>(SendMessageW(h, EM_GETLINECOUNT, 0, 0)) : 0;
}

void Win32Host::line_scroll(int id, int lines) {
    if (HWND h = Item(id)) SendMessageW(h, EM_LINESCROLL, 0, lines);
}

// --- windows ---

int Win32Host::message_box(const std::u16string& text, const std::u16string& caption, BoxIcon icon) {
    UINT type = MB_OK;
    switch (icon) {
    case BoxIcon::exclamation: type |= MB_ICONEXCLAMATION; break;
    case BoxIcon::warning: type |= MB_ICONWARNING; break;
    case BoxIcon::information: type |= MB_ICONINFORMATION; break;
    case BoxIcon::none: break;
    }
    const std::wstring shown_caption = win32_wide(caption.empty() ? app_name_ : caption);
    MessageBoxW(hwnd_.load(), win32_wide(text).c_str(), shown_caption.c_str(), type);
    return BOX_RESULT_OK;
}

std::optional<std::u16string> Win32Host::pick_open_file(const FilePickRequest& request) {
    return win32_pick_open_file(hwnd_.load(), request);
}

INT_PTR CALLBACK Win32Host::AboutProc(HWND hwnd, UINT message, WPARAM wparam, LPARAM) {
    switch (message) {
    case WM_INITDIALOG: {
        // Centred over the main window, which owns it.
        HWND owner = GetWindow(hwnd, GW_OWNER);
        RECT area;
        if (owner && GetWindowRect(owner, &area))
            centre_in(hwnd, area);
        return TRUE;
    }
    case WM_COMMAND:
        if (LOWORD(wparam) == IDOK || LOWORD(wparam) == IDCANCEL) {
            EndDialog(hwnd, LOWORD(wparam));
            return TRUE;
        }
        return FALSE;
    default:
        return FALSE;
    }
}

void Win32Host::run_about_box() {
    DialogBoxParamW(instance_, MAKEINTRESOURCEW(IDD_ABOUTBOX), hwnd_.load(), &AboutProc, 0);
}

void Win32Host::post_message(unsigned message, std::uintptr_t wparam, std::intptr_t lparam) {
    if (HWND h = hwnd_.load())
        PostMessageW(h, message, static_cast<WPARAM>(wparam), static_cast<LPARAM>(lparam));
}

void Win32Host::end_dialog(int result) {
    if (HWND h = hwnd_.load()) EndDialog(h, result);
}
