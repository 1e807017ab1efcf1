// The groups of buttons that the download sequence, the test commands and
// the status codes enable and disable together.
#pragma once

class COrvaneDlg;

// Calibration, Stress Test, Read, Write and Set Voltage.
void enable_command_buttons(COrvaneDlg& dlg, bool on);
// The Save Result buttons of the calibration and the stress-test group.
void enable_save_buttons(COrvaneDlg& dlg, bool on);
void enable_download_button(COrvaneDlg& dlg, bool on);
