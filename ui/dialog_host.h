// What the main dialog needs from a window system. COrvaneDlg and the small
// dialog layer (CDialogEx, CComboBox, CEdit, CButton, the message map) are
// written over this interface only; the hosts are ui/headless (in memory, for
// orvane-cli and the tests), ui/qt and ui/win32.
//
// Text is UTF-16 here, as inside the whole dialog layer. Every call except
// post_message is made on the window thread.
#pragma once

#include <cstdint>
#include <optional>
#include <string>

// Message-box icons and the answers a box can give (the boxes of this tool
// have an OK button only).
enum class BoxIcon { none, exclamation, warning, information };
constexpr int BOX_RESULT_OK = 1;

// A file-open picker request: the filter as "Text|pattern|Text|pattern|"
// and the default extension, as the dialog framework takes them.
struct FilePickRequest {
    std::u16string filter;
    std::u16string default_ext;
};

class DialogHost {
public:
    virtual ~DialogHost() = default;

    // --- controls, addressed by control id ---
    virtual void set_text(int id, const std::u16string& text) = 0;
    virtual std::u16string get_text(int id) = 0;
    virtual void enable(int id, bool on) = 0;
    virtual bool is_enabled(int id) = 0;
    virtual void set_focus(int id) = 0;

    // Drop-down lists.
    virtual void list_reset(int id) = 0;
    virtual void list_add(int id, const std::u16string& row) = 0;
    virtual void list_select(int id, int index) = 0;
    virtual int list_selection(int id) = 0;  // -1 when nothing is selected

    // Check boxes.
    virtual void set_check(int id, bool checked) = 0;
    virtual bool get_check(int id) = 0;

    // Edits. limit_text follows EM_LIMITTEXT: later typing stops at limit
    // characters, text set by the program is not cut. select_all selects the
    // whole text (EM_SETSEL 0, -1).
    virtual void limit_text(int id, int limit) = 0;
    virtual void select_all(int id) = 0;
    // Appends text at the end of an edit's text without rewriting it
    // (EM_SETSEL end, EM_REPLACESEL), then scrolls the end into view.
    virtual void append_text(int id, const std::u16string& text) = 0;
    // The edit's modified flag (EM_GETMODIFY / EM_SETMODIFY): set when the
    // user typed into it since the program last cleared the flag.
    virtual bool get_modify(int id) = 0;
    virtual void set_modify(int id, bool modified) = 0;
    virtual int line_count(int id) = 0;                 // EM_GETLINECOUNT
    virtual void line_scroll(int id, int lines) = 0;    // EM_LINESCROLL 0, lines

    // --- windows ---
    // Shows a modal message box owned by the main window; an empty caption
    // means the application's name ("Orvane"). Returns BOX_RESULT_OK.
    virtual int message_box(const std::u16string& text, const std::u16string& caption,
                            BoxIcon icon) = 0;
    // Runs the file-open picker; the full path of the chosen file, or
    // nothing when it was cancelled or failed.
    virtual std::optional<std::u16string> pick_open_file(const FilePickRequest& request) = 0;
    // Runs the About box modally.
    virtual void run_about_box() = 0;

    // Posts a message to the window thread from any thread; it is handled
    // there, in posting order, by the dialog's message map. Never waits.
    virtual void post_message(unsigned message, std::uintptr_t wparam, std::intptr_t lparam) = 0;

    // Ends the modal run of the main window with the given result.
    virtual void end_dialog(int result) = 0;
};
