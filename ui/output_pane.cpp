// The output pane: appends from any thread, clear, the baseline step and the
// result logs.
//
// Only the window thread touches m_strOutput, m_strBaseline and the pane.
// Another thread's append goes into m_strPending under m_pendingLock and
// posts one WM_OUTPUT_FLUSH; it never waits for the window thread. The window
// thread takes the pending text in before each of its own appends, clears,
// baseline steps, read-backs and saves, so text keeps its order and none is
// lost.
//
// An append goes at the end of the pane (append_text) and costs the same
// however long the text is. Only when the operator has typed into the pane
// since the program last wrote it is the whole text rewritten, which replaces
// the typed text as it always has.
#include <cstdio>

#include "ui/orvane_dlg.h"
#include "ui/text_convert.h"

void COrvaneDlg::AppendOutput(const char16_t* text) {
    if (text) AppendOutput(std::u16string_view(text));
}

void COrvaneDlg::AppendOutput(std::u16string_view text) {
    text = text.substr(0, text.find(u'\0'));
    if (OnWindowThread()) {
        AppendOnWindowThread(text);
        return;
    }
    bool post = false;
    {
        std::lock_guard lock(m_pendingLock);
        m_strPending.append(text);
        post = !m_bFlushPosted;
        m_bFlushPosted = true;
    }
    if (post && m_pHost) m_pHost->post_message(WM_OUTPUT_FLUSH, 0, 0);
}

void COrvaneDlg::AppendOnWindowThread(std::u16string_view text) {
    TakeInPendingOutput();
    m_strOutput.append(text);
    if (m_edOutput.GetModify()) {
        ShowWholeOutput(true);
    } else if (!text.empty()) {
        m_edOutput.AppendText(std::u16string(text));
        m_edOutput.SetModify(false);
    }
}

void COrvaneDlg::TakeInPendingOutput() {
    std::u16string pending;
    {
        std::lock_guard lock(m_pendingLock);
        pending.swap(m_strPending);
        m_bFlushPosted = false;
    }
    if (pending.empty()) return;
    m_strOutput.append(pending);
    if (m_edOutput.GetModify()) {
        ShowWholeOutput(true);
    } else {
        m_edOutput.AppendText(pending);
        m_edOutput.SetModify(false);
    }
}

std::intptr_t COrvaneDlg::OnOutputFlush(std::uintptr_t, std::intptr_t) {
    TakeInPendingOutput();
    return 0;
}

void COrvaneDlg::ShowWholeOutput(bool scroll_to_end) {
    m_edOutput.SetWindowText(m_strOutput);
    m_edOutput.SetModify(false);
    if (scroll_to_end) m_edOutput.LineScroll(m_edOutput.GetLineCount());
}

void COrvaneDlg::ClearOutput() {
    TakeInPendingOutput();
    m_strOutput.clear();
    m_edOutput.SetWindowText(u"");
    m_edOutput.SetModify(false);
}

void COrvaneDlg::BeginTestOutput() {
    TakeInPendingOutput();
    if (!m_bHaveBaseline) {
        m_bHaveBaseline = 1;
        m_strBaseline = m_strOutput;
    } else {
        m_strOutput = m_strBaseline;
        ShowWholeOutput(false);
    }
}

void COrvaneDlg::OnBnClickedSaveCalibration() { SaveResult(LogKind::calibration); }

void COrvaneDlg::OnBnClickedSaveStress() { SaveResult(LogKind::stress_test); }

void COrvaneDlg::SaveResult(LogKind kind) {
    TakeInPendingOutput();
    std::string name = log_file_name(kind, m_localTime(), m_strLogFolder);
    // Binary mode: the pane's "\r\n" is stored as 0D 0A, the UTF-8 bytes
    // exactly as they are.
    std::FILE* file = std::fopen(name.c_str(), "wb");
    if (!file) {
        if (m_pHost) m_pHost->message_box(u"Log file can not be created", u"", BoxIcon::none);
        return;
    }
    std::string bytes = utf16_to_utf8(std::u16string_view(m_strOutput));
    bool written = std::fwrite(bytes.data(), 1, bytes.size(), file) == bytes.size();
    written = std::fclose(file) == 0 && written;
    if (!written) {
        // A log cut short by a full disk must not be reported as saved.
        if (m_pHost) m_pHost->message_box(u"Log file can not be created", u"", BoxIcon::none);
        return;
    }
    if (m_pHost) m_pHost->message_box(utf8_to_utf16(name + " is saved"), u"", BoxIcon::none);
}
