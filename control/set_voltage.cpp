// The Set Voltage button: both rail codes to the firmware in one command.
#include "ui/orvane_dlg.h"

void COrvaneDlg::OnBnClickedSetVoltage() {
    // Placeholder until Set Voltage lands.
}
