// The test commands: calibration, stress test, memory read and write.
#include "ui/orvane_dlg.h"

void COrvaneDlg::OnBnClickedCalibration() {
    // Placeholder until the test commands land.
}

void COrvaneDlg::OnBnClickedStressTest() {
    // Placeholder until the test commands land.
}

void COrvaneDlg::OnBnClickedRead() {
    // Placeholder until the test commands land.
}

void COrvaneDlg::OnBnClickedWrite() {
    // Placeholder until the test commands land.
}
