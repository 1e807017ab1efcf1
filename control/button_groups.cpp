#include "control/button_groups.h"

#include "ui/orvane_dlg.h"

void enable_command_buttons(COrvaneDlg& dlg, bool on) {
    dlg.m_btnCalibration.EnableWindow(on);
    dlg.m_btnStressTest.EnableWindow(on);
    dlg.m_btnRead.EnableWindow(on);
    dlg.m_btnWrite.EnableWindow(on);
    dlg.m_btnSetVoltage.EnableWindow(on);
}

void enable_save_buttons(COrvaneDlg& dlg, bool on) {
    dlg.m_btnSaveCalibration.EnableWindow(on);
    dlg.m_btnSaveStress.EnableWindow(on);
}

void enable_download_button(COrvaneDlg& dlg, bool on) { dlg.m_btnDownload.EnableWindow(on); }
