// The main dialog with every status code it handles recorded, for front ends
// and tests that wait for the firmware's answer to a command: orvane-cli
// waits for the next code after each action, the tests check the sequence.
#pragma once

#include <functional>
#include <vector>

#include "ui/orvane_dlg.h"

class StatusRecordingDlg final : public COrvaneDlg {
public:
    StatusRecordingDlg(DialogHost* host, Clock* clock);

    // Codes in the order the window handled them (window thread only).
    std::vector<int> codes;
    // Called on the window thread after each code's handler has run.
    std::function<void(int code)> on_status;

protected:
    std::span<const MessageMapEntry> GetMessageMap() const override { return map_; }

private:
    static std::intptr_t Status(CDialogEx& dialog, std::uintptr_t wParam, std::intptr_t lParam);
    std::vector<MessageMapEntry> map_;
};
