#include "ui/orvane_app.h"

#include "ui/orvane_dlg.h"

int COrvaneApp::InitInstance() {
    COrvaneDlg dlg(m_pHost, m_pClock);
    m_pMainWnd = &dlg;
    if (m_runModal) m_runModal(dlg);  // the result is not looked at
    m_pMainWnd = nullptr;
    return 0;
}
