// The DialogHost of Orvane.exe: real Win32 dialogs created from the
// templates in the program's resources (ui/res/Orvane.rc), every control
// operation a Win32 message to the child control of that id.
//
// The main window runs modally on the thread that calls run_modal (the
// window thread). The host turns the window's messages into calls of the
// dialog's message map, adds the About item to the system menu, sets the
// window icons and paints the icon while the window is minimised.
//
// While a handler of the dialog runs, the window takes no commands: a
// Download blocks the window thread for seconds, and window_sleep() keeps
// the window painted and the posted output flowing meanwhile, without
// letting input through.
#pragma once

#ifndef WIN32_LEAN_AND_MEAN
#define WIN32_LEAN_AND_MEAN
#endif
#include <windows.h>

#include <atomic>
#include <cstdint>
#include <optional>
#include <string>

#include "ui/dialog.h"
#include "ui/dialog_host.h"

class Win32Host final : public DialogHost {
public:
    // instance: the module holding the templates, string 101 and icon 128.
    // app_name: the caption of message boxes given without one.
    Win32Host(HINSTANCE instance, std::u16string app_name);
    ~Win32Host() override;
    Win32Host(const Win32Host&) = delete;
    Win32Host& operator=(const Win32Host&) = delete;

    // Creates the dialog's window from its template and runs it modally
    // until end_dialog; the result given there, or -1 when the window could
    // not be created.
    int run_modal(CDialogEx& dialog);

    // The main window while it exists, else nullptr. Any thread.
    HWND window() const { return hwnd_.load(); }
    const std::u16string& app_name() const { return app_name_; }

    // The window thread's sleep during a handler (RealClock::set_window_sleep):
    // for about ms milliseconds it repaints and delivers posted messages
    // (the output taken in from the receive loop), keeps status codes queued
    // until the handler has returned, and discards keyboard and mouse input.
    void window_sleep(std::int64_t ms);

    // --- DialogHost ---
    void set_text(int id, const std::u16string& text) override;
    std::u16string get_text(int id) override;
    void enable(int id, bool on) override;
    bool is_enabled(int id) override;
    void set_focus(int id) override;
    void list_reset(int id) override;
    void list_add(int id, const std::u16string& row) override;
    void list_select(int id, int index) override;
    int list_selection(int id) override;
    void set_check(int id, bool checked) override;
    bool get_check(int id) override;
    void limit_text(int id, int limit) override;
    void select_all(int id) override;
    void append_text(int id, const std::u16string& text) override;
    bool get_modify(int id) override;
    void set_modify(int id, bool modified) override;
    int line_count(int id) override;
    void line_scroll(int id, int lines) override;
    int message_box(const std::u16string& text, const std::u16string& caption,
                    BoxIcon icon) override;
    std::optional<std::u16string> pick_open_file(const FilePickRequest& request) override;
    void run_about_box() override;
    void post_message(unsigned message, std::uintptr_t wparam, std::intptr_t lparam) override;
    void end_dialog(int result) override;

private:
    static INT_PTR CALLBACK MainProc(HWND hwnd, UINT message, WPARAM wparam, LPARAM lparam);
    static INT_PTR CALLBACK AboutProc(HWND hwnd, UINT message, WPARAM wparam, LPARAM lparam);
    INT_PTR OnMainMessage(HWND hwnd, UINT message, WPARAM wparam, LPARAM lparam);
    void OnCreated(HWND hwnd);
    bool PaintMinimised(HWND hwnd);
    DispatchResult Dispatch(UINT message, WPARAM wparam, LPARAM lparam);
    HWND Item(int id) const;

    HINSTANCE instance_;
    std::u16string app_name_;
    HICON icon_ = nullptr;
    CDialogEx* dialog_ = nullptr;
    std::atomic<HWND> hwnd_{nullptr};
    // Depth of the dialog's handlers running now on the window thread.
    int handler_depth_ = 0;
};
