// The application object: runs the main window modally; the program ends
// when it closes.
#pragma once

#include <functional>

#include "ui/dialog.h"

class Clock;
class COrvaneDlg;

class COrvaneApp : public CWinApp {
public:
    // Restart support on; recovery, autosave and reopening of files off.
    COrvaneApp() { m_dwRestartManagerSupportFlags = 1; }

    // What the front end gives: the window system, the clock, and how to run
    // the main window modally (create it, call OnInitDialog, deliver events
    // until end_dialog).
    void SetFrontEnd(DialogHost* host, Clock* clock, std::function<int(COrvaneDlg&)> run_modal) {
        m_pHost = host;
        m_pClock = clock;
        m_runModal = std::move(run_modal);
    }

    // Constructs the main dialog, makes it the main window, runs it modally
    // and returns 0 once it has closed.
    int InitInstance() override;

private:
    DialogHost* m_pHost = nullptr;
    Clock* m_pClock = nullptr;
    std::function<int(COrvaneDlg&)> m_runModal;
};
