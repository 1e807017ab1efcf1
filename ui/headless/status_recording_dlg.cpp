#include "ui/headless/status_recording_dlg.h"

StatusRecordingDlg::StatusRecordingDlg(DialogHost* host, Clock* clock) : COrvaneDlg(host, clock) {
    // The dialog's own message map, with the status handler wrapped.
    for (const MessageMapEntry& e : COrvaneDlg::GetMessageMap()) {
        map_.push_back(e);
        if (e.message == WM_TARGET_STATUS) map_.back().handler = &StatusRecordingDlg::Status;
    }
}

std::intptr_t StatusRecordingDlg::Status(CDialogEx& dialog, std::uintptr_t wParam, std::intptr_t lParam) {
    auto& self = static_cast<StatusRecordingDlg&>(dialog);
    self.OnTargetStatus(wParam, lParam);
    const int code = static_cast<int>(wParam & 0xFF);
    self.codes.push_back(code);
    if (self.on_status) self.on_status(code);
    return 0;
}
