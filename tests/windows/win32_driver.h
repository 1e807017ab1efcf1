// Drives the real main window from a second thread through Win32 messages,
// as an operator or an automation tool would: clicks (BM_CLICK), text
// (WM_SETTEXT), list rows (CB_SETCURSEL), keys, the system menu; finds and
// answers the message boxes, the About box and the file picker that the
// window thread opens. Every wait is bounded.
#pragma once

#ifndef WIN32_LEAN_AND_MEAN
#define WIN32_LEAN_AND_MEAN
#endif
#include <windows.h>

#include <chrono>
#include <functional>
#include <string>
#include <thread>
#include <vector>

#include "ui/win32/win32_host.h"

// A dialog window of the window thread other than the main window: a
// message box, the About box or the file picker.
struct PopUp {
    HWND hwnd = nullptr;
    std::u16string caption;
    std::vector<std::u16string> texts;  // texts of its static controls, in order
    bool contains(const std::u16string& text) const {
        for (const std::u16string& t : texts)
            if (t.find(text) != std::u16string::npos) return true;
        return false;
    }
};

class Win32Driver {
public:
    explicit Win32Driver(Win32Host& host) : host_(host) {}

    // Waits for the main window; nullptr after 10 s.
    HWND main_window() {
        wait([&] { return host_.window() != nullptr; }, 10000);
        main_ = host_.window();
        if (!main_) return nullptr;
        thread_ = GetWindowThreadProcessId(main_, nullptr);
        // The window exists from the start of its initialisation; a message
        // round trip returns once the modal loop runs, with the start state
        // complete.
        send(main_, WM_NULL, 0, 0, 10000);
        return main_;
    }
    HWND item(int id) const { return main_ ? GetDlgItem(main_, id) : nullptr; }
    bool window_open() const { return host_.window() != nullptr; }

    static std::u16string text_of(HWND h) {
        DWORD_PTR length = 0;
        if (!h || !SendMessageTimeoutW(h, WM_GETTEXTLENGTH, 0, 0, SMTO_NORMAL, 10000, &length)) return u"";
        std::vector<wchar_t> buffer(length + 1, L'\0');
        DWORD_PTR got = 0;
        SendMessageTimeoutW(h, WM_GETTEXT, buffer.size(), reinterpret_cast<LPARAM>(buffer.data()), SMTO_NORMAL,
                            10000, &got);
        return std::u16string(buffer.data(), buffer.data() + got);
    }
    std::u16string text(int id) const { return text_of(item(id)); }
    void set_text(int id, const std::u16string& text) {
        const std::wstring w(text.begin(), text.end());
        DWORD_PTR ignored = 0;
        SendMessageTimeoutW(item(id), WM_SETTEXT, 0, reinterpret_cast<LPARAM>(w.c_str()), SMTO_NORMAL, 10000,
                            &ignored);
    }
    LRESULT send(HWND h, UINT message, WPARAM w = 0, LPARAM l = 0, UINT timeout_ms = 60000) {
        DWORD_PTR result = 0;
        SendMessageTimeoutW(h, message, w, l, SMTO_NORMAL, timeout_ms, &result);
        return static_cast<LRESULT>(result);
    }
    // A click that returns when the handler has run.
    void click(int id) { send(item(id), BM_CLICK); }
    // A click that returns at once: for handlers that open a box.
    void post_click(int id) { PostMessageW(item(id), BM_CLICK, 0, 0); }
    bool enabled(int id) const { return IsWindowEnabled(item(id)) != FALSE; }
    bool checked(int id) { return send(item(id), BM_GETCHECK) == BST_CHECKED; }
    int selection(int id) { return static_cast<int>(send(item(id), CB_GETCURSEL)); }

    HWND focus() const {
        GUITHREADINFO info{};
        info.cbSize = sizeof info;
        return GetGUIThreadInfo(thread_, &info) ? info.hwndFocus : nullptr;
    }

    // Polls pred every 20 ms for at most ms milliseconds.
    static bool wait(const std::function<bool()>& pred, int ms) {
        const auto end = std::chrono::steady_clock::now() + std::chrono::milliseconds(ms);
        for (;;) {
            if (pred()) return true;
            if (std::chrono::steady_clock::now() >= end) return false;
            std::this_thread::sleep_for(std::chrono::milliseconds(20));
        }
    }

    // The visible dialogs of the window thread other than the main window.
    std::vector<PopUp> pop_ups() const {
        struct Search {
            HWND main;
            std::vector<HWND> found;
        } search{main_, {}};
        EnumThreadWindows(
            thread_,
            [](HWND h, LPARAM p) -> BOOL {
                auto* s = reinterpret_cast<Search*>(p);
                wchar_t cls[64] = {};
                GetClassNameW(h, cls, 64);
                if (h != s->main && IsWindowVisible(h) && std::wstring(cls) == L"#32770") s->found.push_back(h);
                return TRUE;
            },
            reinterpret_cast<LPARAM>(&search));
        std::vector<PopUp> out;
        for (HWND h : search.found) {
            PopUp p;
            p.hwnd = h;
            p.caption = text_of(h);
            std::vector<HWND> statics;
            EnumChildWindows(
                h,
                [](HWND c, LPARAM v) -> BOOL {
                    wchar_t cls[64] = {};
                    GetClassNameW(c, cls, 64);
                    if (_wcsicmp(cls, L"Static") == 0) reinterpret_cast<std::vector<HWND>*>(v)->push_back(c);
                    return TRUE;
                },
                reinterpret_cast<LPARAM>(&statics));
            for (HWND s : statics) p.texts.push_back(text_of(s));
            out.push_back(p);
        }
        return out;
    }
    // Waits for a pop-up; hwnd nullptr after ms.
    PopUp wait_pop_up(int ms) const {
        PopUp found;
        wait(
            [&] {
                auto all = pop_ups();
                if (all.empty()) return false;
                found = all.front();
                return true;
            },
            ms);
        return found;
    }
    static void press(HWND pop_up, int button) { PostMessageW(pop_up, WM_COMMAND, MAKEWPARAM(button, BN_CLICKED), 0); }

    // Ends the run whatever state the window is in: pop-ups are cancelled,
    // then the main window is closed. Bounded.
    void shut_down() {
        wait(
            [&] {
                if (!window_open()) return true;
                for (const PopUp& p : pop_ups()) {
                    press(p.hwnd, IDCANCEL);
                    press(p.hwnd, IDOK);
                }
                if (HWND h = host_.window()) PostMessageW(h, WM_CLOSE, 0, 0);
                std::this_thread::sleep_for(std::chrono::milliseconds(200));
                return !window_open();
            },
            30000);
    }

private:
    Win32Host& host_;
    HWND main_ = nullptr;
    DWORD thread_ = 0;
};

// Runs the dialog modally on this thread (the window thread) while script
// drives it from another; returns the modal result.
inline int run_driven(Win32Host& host, CDialogEx& dialog, const std::function<void(Win32Driver&)>& script) {
    std::thread driver([&] {
        Win32Driver d(host);
        if (d.main_window()) script(d);
        d.shut_down();
    });
    const int result = host.run_modal(dialog);
    driver.join();
    return result;
}
