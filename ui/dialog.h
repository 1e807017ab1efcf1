// The small dialog layer: control wrappers bound to ids, the data exchange,
// the message map and the dialog base class, all over a DialogHost.
#pragma once

#include <cstdint>
#include <span>
#include <string>
#include <type_traits>

#include "ui/dialog_constants.h"
#include "ui/dialog_host.h"

class CDialogEx;

// A child control of a dialog, known by its id once bound.
class CWnd {
public:
    virtual ~CWnd() = default;
    void Attach(DialogHost* host, int id) {
        m_pHost = host;
        m_nID = id;
    }
    bool IsBound() const { return m_pHost != nullptr; }
    int GetDlgCtrlID() const { return m_nID; }

    void EnableWindow(bool enable = true) {
        if (m_pHost) m_pHost->enable(m_nID, enable);
    }
    bool IsWindowEnabled() const { return m_pHost && m_pHost->is_enabled(m_nID); }
    void SetWindowText(const std::u16string& text) {
        if (m_pHost) m_pHost->set_text(m_nID, text);
    }
    std::u16string GetWindowText() const { return m_pHost ? m_pHost->get_text(m_nID) : u""; }
    void SetFocus() {
        if (m_pHost) m_pHost->set_focus(m_nID);
    }

protected:
    DialogHost* m_pHost = nullptr;
    int m_nID = 0;
};

class CComboBox : public CWnd {
public:
    void ResetContent() {
        if (m_pHost) m_pHost->list_reset(m_nID);
    }
    void AddString(const std::u16string& row) {
        if (m_pHost) m_pHost->list_add(m_nID, row);
    }
    void SetCurSel(int index) {
        if (m_pHost) m_pHost->list_select(m_nID, index);
    }
    int GetCurSel() const { return m_pHost ? m_pHost->list_selection(m_nID) : -1; }
};

class CEdit : public CWnd {
public:
    void LimitText(int limit) {
        if (m_pHost) m_pHost->limit_text(m_nID, limit);
    }
    void SetSelAll() {
        if (m_pHost) m_pHost->select_all(m_nID);
    }
    void AppendText(const std::u16string& text) {
        if (m_pHost) m_pHost->append_text(m_nID, text);
    }
    bool GetModify() const { return m_pHost && m_pHost->get_modify(m_nID); }
    void SetModify(bool modified) {
        if (m_pHost) m_pHost->set_modify(m_nID, modified);
    }
    int GetLineCount() const { return m_pHost ? m_pHost->line_count(m_nID) : 0; }
    void LineScroll(int lines) {
        if (m_pHost) m_pHost->line_scroll(m_nID, lines);
    }
};

class CButton : public CWnd {
public:
    void SetCheck(int state) {
        if (m_pHost) m_pHost->set_check(m_nID, state == DLG_BST_CHECKED);
    }
    int GetCheck() const {
        return m_pHost && m_pHost->get_check(m_nID) ? DLG_BST_CHECKED : DLG_BST_UNCHECKED;
    }
};

// One exchange between a dialog's fields and its controls. The exchange
// functions below do nothing once a field has failed: the first failure
// stops the exchange.
class CDataExchange {
public:
    CDataExchange(CDialogEx& dialog, bool save_and_validate)
        : m_pDlgWnd(&dialog), m_bSaveAndValidate(save_and_validate) {}
    // Shows the refusal, puts the focus on the control with its whole text
    // selected and stops the exchange.
    void Fail(int id, const std::u16string& message);

    CDialogEx* m_pDlgWnd;
    bool m_bSaveAndValidate;  // true: from the window into the fields
    bool m_bFailed = false;
};

void DDX_Control(CDataExchange* pDX, int id, CWnd& control);
void DDX_Text(CDataExchange* pDX, int id, std::u16string& value);
void DDX_Text(CDataExchange* pDX, int id, int& value);
// A text field with at most max_chars characters: checked when reading from
// the window; the edit is told to accept no more (EM_LIMITTEXT) whenever the
// field passes.
void DDX_TextLimited(CDataExchange* pDX, int id, std::u16string& value, int max_chars);

// Reads an integer as "%d" does from the first 63 characters of text: white
// space, an optional sign, decimal digits up to the first other character.
// False when no digit follows, or when the number does not fit an int.
bool dlg_scan_int(const std::u16string& text, int& value);

// The message map: one row per message, or per notification of one control.
// A row of DLG_WM_COMMAND matches the control id and notification code; any
// other row matches its message.
struct MessageMapEntry {
    unsigned message;
    unsigned code;
    int id;
    std::intptr_t (*handler)(CDialogEx& dialog, std::uintptr_t wparam, std::intptr_t lparam);
};

namespace dlg_detail {
template <class T>
struct member_class;
template <class C, class R, class... A>
struct member_class<R (C::*)(A...)> {
    using type = C;
};
}  // namespace dlg_detail

// Rows for the three handler shapes: void Handler() for notifications and
// parameterless messages, std::intptr_t Handler(wparam, lparam) for messages
// with a result, void Handler(unsigned id, lparam) for system commands.
template <auto Handler>
constexpr MessageMapEntry on_notify(unsigned code, int id) {
    using C = typename dlg_detail::member_class<decltype(Handler)>::type;
    return {DLG_WM_COMMAND, code, id, [](CDialogEx& d, std::uintptr_t, std::intptr_t) -> std::intptr_t {
                (static_cast<C&>(d).*Handler)();
                return 0;
            }};
}
template <auto Handler>
constexpr MessageMapEntry on_message(unsigned message) {
    using C = typename dlg_detail::member_class<decltype(Handler)>::type;
    return {message, 0, 0, [](CDialogEx& d, std::uintptr_t w, std::intptr_t l) -> std::intptr_t {
                using R = decltype((static_cast<C&>(d).*Handler)(w, l));
                if constexpr (std::is_void_v<R>) {
                    (static_cast<C&>(d).*Handler)(w, l);
                    return 0;
                } else {
                    return static_cast<std::intptr_t>((static_cast<C&>(d).*Handler)(w, l));
                }
            }};
}
template <auto Handler>
constexpr MessageMapEntry on_plain_message(unsigned message) {
    using C = typename dlg_detail::member_class<decltype(Handler)>::type;
    return {message, 0, 0, [](CDialogEx& d, std::uintptr_t, std::intptr_t) -> std::intptr_t {
                using R = decltype((static_cast<C&>(d).*Handler)());
                if constexpr (std::is_void_v<R>) {
                    (static_cast<C&>(d).*Handler)();
                    return 0;
                } else {
                    return static_cast<std::intptr_t>((static_cast<C&>(d).*Handler)());
                }
            }};
}
template <auto Handler>
constexpr MessageMapEntry on_syscommand() {
    using C = typename dlg_detail::member_class<decltype(Handler)>::type;
    return {DLG_WM_SYSCOMMAND, 0, 0,
            [](CDialogEx& d, std::uintptr_t w, std::intptr_t l) -> std::intptr_t {
                (static_cast<C&>(d).*Handler)(static_cast<unsigned>(w), l);
                return 0;
            }};
}

// What a host learns from handing an event to the dialog.
struct DispatchResult {
    bool handled;         // false: the host does its platform's default
    std::intptr_t value;  // the handler's result
};

class CDialogEx {
public:
    CDialogEx(int template_id, DialogHost* host) : m_nIDTemplate(template_id), m_pHost(host) {}
    virtual ~CDialogEx() = default;
    CDialogEx(const CDialogEx&) = delete;
    CDialogEx& operator=(const CDialogEx&) = delete;

    int GetTemplateId() const { return m_nIDTemplate; }
    DialogHost* Host() const { return m_pHost; }

    // --- called by the host ---
    // The window exists: attach the controls and run the first exchange
    // towards the window. Nonzero: the host puts the focus on the first
    // control in tab order.
    virtual int OnInitDialog();
    // A notification of a control (a click, a selection change) or a command
    // (DLG_IDOK, DLG_IDCANCEL).
    DispatchResult OnCommand(int id, unsigned code);
    // Any message, as the platform delivers it (DLG_WM_COMMAND included).
    DispatchResult OnMessage(unsigned message, std::uintptr_t wparam, std::intptr_t lparam);

    // One exchange over every binding; false when a field refused.
    bool UpdateData(bool save_and_validate = true);
    void EndDialog(int result);

protected:
    virtual std::span<const MessageMapEntry> GetMessageMap() const { return {}; }
    virtual void DoDataExchange(CDataExchange*) {}
    // Enter: an exchange from the window, then the end of the modal run.
    virtual void OnOK();
    // Esc and the close box: the end of the modal run without an exchange.
    virtual void OnCancel();
    // Default handling of system commands: the close command cancels, the
    // rest goes back to the host.
    void OnSysCommand(unsigned id, std::intptr_t lparam);
    // Asks for the host's default handling of the message being dispatched.
    void Default() { m_bDefault = true; }

    int m_nIDTemplate;
    DialogHost* m_pHost;

private:
    bool m_bDefault = false;
};

// The application object: the front end gives it what runs its main window.
class CWinApp {
public:
    virtual ~CWinApp() = default;
    virtual int InitInstance() { return 0; }

    CDialogEx* m_pMainWnd = nullptr;
    // Restart-manager support flags: 1 restarts the program after a crash;
    // recovery, autosave and reopening of files stay off.
    unsigned m_dwRestartManagerSupportFlags = 0;
};
