// The Download button: from serial download mode to a running test firmware.
#include "ui/orvane_dlg.h"

void COrvaneDlg::OnBnClickedDownload() {
    // Placeholder until the download sequence lands.
}
