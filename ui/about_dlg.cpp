#include "ui/about_dlg.h"

int CAboutDlg::DoModal() {
    if (m_pHost) m_pHost->run_about_box();
    return DLG_IDOK;
}
