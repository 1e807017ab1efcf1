// A DialogHost on Qt 6 Widgets: the main window (template 102) and the About
// box (template 100) laid out from the portable control table, in dialog
// units of the template's font; every native event turned into a call of the
// dialog's message map.
//
// How the Windows dialog maps onto Qt:
//   drop-down list -> QComboBox      push button -> QPushButton
//   edit           -> QLineEdit      multi-line edit -> QPlainTextEdit
//   check box      -> QCheckBox      label -> QLabel, group box -> QGroupBox
//   click, Space on a button         -> BN_CLICKED of its id
//   a new list row chosen by the user -> CBN_SELCHANGE
//   Enter                            -> the focused push button's click; IDOK
//                                       elsewhere, except in the output pane,
//                                       which takes it as a line break
//   Esc                              -> IDCANCEL
//   close box, Alt+F4                -> WM_SYSCOMMAND SC_CLOSE, then IDCANCEL
//                                       when the dialog leaves it to the host
//   the system menu's "&About Orvane..." (X11 and Wayland have no system
//   menu of a program's own): the window's context menu, and F1
//                                    -> WM_SYSCOMMAND IDM_ABOUTBOX
//   the minimised window's icon: drawn by the desktop from the window icon
//   (the host sends no WM_PAINT or WM_QUERYDRAGICON; nothing to paint)
//
// Threads: the thread that makes the host is the window thread; every call
// but post_message belongs to it. post_message queues the message and wakes
// the window thread through Qt's event queue; it never waits.
//
// While a handler of the dialog runs, the window takes no commands. A
// Download blocks the window thread for seconds; the window sleep
// (window_sleep, installed on a RealClock with attach_clock) meanwhile runs
// Qt's event loop: the window repaints and the text that the receive loop
// appended reaches the pane, while the operator's clicks, keys and close
// box are discarded, as the Win32 host discards them. Posted messages other
// than the pane's WM_OUTPUT_FLUSH (the status codes) wait in the queue and
// are handled once the handler has returned.
#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "ui/dialog.h"
#include "ui/dialog_host.h"
#include "ui/qt/dialog_units.h"

class QDialog;
class QIcon;
class QWidget;
class RealClock;

class QtDialogHost final : public DialogHost {
public:
    // A QApplication must exist. Turns off the application's quit when its
    // last window closes: the host ends its modal runs itself.
    QtDialogHost();
    ~QtDialogHost() override;
    QtDialogHost(const QtDialogHost&) = delete;
    QtDialogHost& operator=(const QtDialogHost&) = delete;

    // Creates the main window (once), runs the dialog's OnInitDialog, puts
    // the focus on the first enabled control in tab order when it returns
    // nonzero, and shows the window centred on the screen's work area.
    void open(CDialogEx& dialog);
    // open(), then runs the event loop until end_dialog; returns its result.
    int run_modal(CDialogEx& dialog);
    bool ended() const;
    int end_result() const;

    // Runs Qt's event loop for ms milliseconds (once when ms <= 0),
    // discarding user input; see above. Only on the window thread.
    void window_sleep(std::int64_t ms);
    // Makes the clock's sleeps on this thread window sleeps.
    void attach_clock(RealClock& clock);

    // The file picker: the platform's own dialog when it has one (the
    // default), or always Qt's, which the tests drive.
    void set_native_file_dialog(bool native);

    // --- inspection, for the tests ---
    QWidget* window() const;
    // The widget of a control id (nullptr when the window has none).
    QWidget* widget(int id) const;
    // Every widget of the template, in the table's order (labels and group
    // boxes included).
    const std::vector<QWidget*>& widgets_in_table_order() const;
    const DialogUnits& units() const;
    // The id of the control with the keyboard focus, or 0.
    int focus_id() const;
    // The About box while it runs, else nullptr.
    QDialog* about_box() const;
    // Calls made with an id the window does not have.
    int unknown_id_calls() const;
    // Messages posted and not yet handled.
    std::size_t queued() const;

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
    // Typing (and pasting) into a single-line edit stops at the limit; text
    // set or appended by the program is not cut. A multi-line edit keeps its
    // limit but does not enforce it (the output pane has none).
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

    struct Impl;

private:
    std::unique_ptr<Impl> d_;
};

// The Qt name filters of a file-picker filter "Text|patterns|Text|patterns|":
// each text without its own "(...)" followed by its patterns, separated by
// spaces; "*.*" becomes "*".
std::vector<std::u16string> qt_name_filters(const std::u16string& filter);

// The application icon at every size the build drew (ui/res/make_icon.py);
// a null icon when the build drew none.
QIcon orvane_app_icon();

// The output pane's text on Qt. The dialog's text breaks lines with "\r\n";
// a QPlainTextEdit holds paragraphs. The host keeps the dialog's text as it
// was set and appended, so it reads back unchanged (a lone "\r" or "\n"
// included), and shows each "\r\n", lone "\r" and lone "\n" as one line
// break. Only after the operator typed into the pane is its text read from
// the widget, each line break as "\r\n", as a native edit stores typed ones.
namespace qt_pane {
// The text to show for text appended after a character prev (0: none); a
// "\n" that completes a "\r\n" begun by prev adds no second line break.
QString display_text(std::u16string_view text, char16_t prev);
// The dialog's text of what the widget holds (QTextDocument::toRawText).
std::u16string from_widget(const QString& raw);
}  // namespace qt_pane
