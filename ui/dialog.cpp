#include "ui/dialog.h"

#include <climits>
#include <string>

void CDataExchange::Fail(int id, const std::u16string& message) {
    DialogHost* host = m_pDlgWnd->Host();
    if (host) {
        host->message_box(message, u"", BoxIcon::exclamation);
        host->set_focus(id);
        host->select_all(id);
    }
    m_bFailed = true;
}

void DDX_Control(CDataExchange* pDX, int id, CWnd& control) {
    if (pDX->m_bFailed || control.IsBound()) return;
    control.Attach(pDX->m_pDlgWnd->Host(), id);
}

void DDX_Text(CDataExchange* pDX, int id, std::u16string& value) {
    DialogHost* host = pDX->m_pDlgWnd->Host();
    if (pDX->m_bFailed || !host) return;
    if (pDX->m_bSaveAndValidate)
        value = host->get_text(id);
    else
        host->set_text(id, value);
}

bool dlg_scan_int(const std::u16string& text, int& value) {
    std::u16string_view s(text);
    s = s.substr(0, 63);
    std::size_t i = 0;
    auto is_space = [](char16_t c) { return c == u' ' || (c >= u'\t' && c <= u'\r'); };
    while (i < s.size() && is_space(s[i])) ++i;
    bool negative = false;
    if (i < s.size() && (s[i] == u'+' || s[i] == u'-')) {
        negative = s[i] == u'-';
        ++i;
    }
    if (i >= s.size() || s[i] < u'0' || s[i] > u'9') return false;
    long long n = 0;
    for (; i < s.size() && s[i] >= u'0' && s[i] <= u'9'; ++i) {
        n = n * 10 + (s[i] - u'0');
        // An int holds no more; refuse rather than pass on a wrapped value.
        if (n > static_cast<long long>(INT_MAX) + 1) return false;
    }
    if (negative) n = -n;
    if (n > INT_MAX || n < INT_MIN) return false;
    value = static_cast<int>(n);
    return true;
}

void DDX_Text(CDataExchange* pDX, int id, int& value) {
    DialogHost* host = pDX->m_pDlgWnd->Host();
    if (pDX->m_bFailed || !host) return;
    if (pDX->m_bSaveAndValidate) {
        int read = 0;
        if (!dlg_scan_int(host->get_text(id), read)) {
            pDX->Fail(id, u"Enter an integer.");
            return;
        }
        value = read;
    } else {
        std::string digits = std::to_string(value);
        host->set_text(id, std::u16string(digits.begin(), digits.end()));
    }
}

void DDX_TextLimited(CDataExchange* pDX, int id, std::u16string& value, int max_chars) {
    DialogHost* host = pDX->m_pDlgWnd->Host();
    if (pDX->m_bFailed || !host) return;
    if (pDX->m_bSaveAndValidate) {
        std::u16string read = host->get_text(id);
        if (read.size() > static_cast<std::size_t>(max_chars)) {
            std::string n = std::to_string(max_chars);
            pDX->Fail(id, u"Enter no more than " + std::u16string(n.begin(), n.end()) +
                              u" characters.");
            return;  // the field keeps its old value
        }
        value = std::move(read);
    } else {
        host->set_text(id, value);
    }
    host->limit_text(id, max_chars);
}

int CDialogEx::OnInitDialog() {
    UpdateData(false);
    return 1;
}

bool CDialogEx::UpdateData(bool save_and_validate) {
    CDataExchange dx(*this, save_and_validate);
    DoDataExchange(&dx);
    return !dx.m_bFailed;
}

void CDialogEx::EndDialog(int result) {
    if (m_pHost) m_pHost->end_dialog(result);
}

void CDialogEx::OnOK() {
    if (UpdateData(true)) EndDialog(DLG_IDOK);
}

void CDialogEx::OnCancel() { EndDialog(DLG_IDCANCEL); }

void CDialogEx::OnSysCommand(unsigned id, std::intptr_t) {
    if ((id & 0xFFF0u) == DLG_SC_CLOSE)
        OnCancel();
    else
        Default();
}

DispatchResult CDialogEx::OnCommand(int id, unsigned code) {
    return OnMessage(DLG_WM_COMMAND, dlg_command_wparam(id, code), 0);
}

DispatchResult CDialogEx::OnMessage(unsigned message, std::uintptr_t wparam,
                                    std::intptr_t lparam) {
    int id = static_cast<int>(wparam & 0xFFFFu);
    unsigned code = static_cast<unsigned>((wparam >> 16) & 0xFFFFu);
    for (const MessageMapEntry& entry : GetMessageMap()) {
        bool match = entry.message == message &&
                     (message != DLG_WM_COMMAND || (entry.id == id && entry.code == code));
        if (!match) continue;
        m_bDefault = false;
        std::intptr_t value = entry.handler(*this, wparam, lparam);
        bool handled = !m_bDefault;
        m_bDefault = false;
        return {handled, value};
    }
    // The dialog's own default handling.
    if (message == DLG_WM_COMMAND && code == DLG_BN_CLICKED) {
        if (id == DLG_IDOK) {
            OnOK();
            return {true, 0};
        }
        if (id == DLG_IDCANCEL) {
            OnCancel();
            return {true, 0};
        }
    }
    if (message == DLG_WM_SYSCOMMAND) {
        m_bDefault = false;
        OnSysCommand(static_cast<unsigned>(wparam), lparam);
        bool handled = !m_bDefault;
        m_bDefault = false;
        return {handled, 0};
    }
    return {false, 0};
}
