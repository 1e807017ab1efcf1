// The About box, template 100: icon, version line and OK. It exchanges no
// data; the host shows it modally over the main window.
#pragma once

#include "ui/dialog.h"
#include "ui/resource.h"

class CAboutDlg : public CDialogEx {
public:
    explicit CAboutDlg(DialogHost* host) : CDialogEx(IDD_ABOUTBOX, host) {}
    // Runs the box modally; returns when OK, Esc or its close box ends it.
    int DoModal();
};
