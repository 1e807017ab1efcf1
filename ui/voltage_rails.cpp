// The two supply rails: Auto/Manual and the step buttons. Nothing is sent
// here; Set Voltage sends both codes.
#include "ui/orvane_dlg.h"
#include "ui/volt_code.h"

void COrvaneDlg::SetRailMode(CComboBox& mode, CButton& down, CButton& up, CEdit& value,
                             int& code) {
    if (mode.GetCurSel() == 0) {
        code = VOLT_CODE_AUTO;
        down.EnableWindow(false);
        up.EnableWindow(false);
        value.SetWindowText(u"auto");
    } else {
        code = VOLT_CODE_MANUAL;
        down.EnableWindow(true);
        up.EnableWindow(true);
        value.SetWindowText(volt_code_text(VOLT_CODE_MANUAL));
    }
}

void COrvaneDlg::StepRail(CEdit& value, int& code, int step) {
    // A rail in Auto has no steps (its buttons are disabled; a host that
    // delivers a click anyway changes nothing).
    if (code > VOLT_CODE_FULL) return;
    if (step < 0) {
        if (code <= VOLT_CODE_OFF) return;
        --code;
        value.SetWindowText(code == VOLT_CODE_OFF ? std::u16string(u"OFF") : volt_code_text(code));
    } else {
        if (code >= VOLT_CODE_FULL) return;
        ++code;
        value.SetWindowText(code == VOLT_CODE_FULL ? std::u16string(u"FULL") : volt_code_text(code));
    }
}

void COrvaneDlg::OnCbnSelchangeVddArmMode() {
    SetRailMode(m_cbVddArmMode, m_btnVddArmDown, m_btnVddArmUp, m_edVddArm, m_nVddArmCode);
}

void COrvaneDlg::OnCbnSelchangeVddSocMode() {
    SetRailMode(m_cbVddSocMode, m_btnVddSocDown, m_btnVddSocUp, m_edVddSoc, m_nVddSocCode);
}

void COrvaneDlg::OnBnClickedVddArmDown() { StepRail(m_edVddArm, m_nVddArmCode, -1); }
void COrvaneDlg::OnBnClickedVddArmUp() { StepRail(m_edVddArm, m_nVddArmCode, +1); }
void COrvaneDlg::OnBnClickedVddSocDown() { StepRail(m_edVddSoc, m_nVddSocCode, -1); }
void COrvaneDlg::OnBnClickedVddSocUp() { StepRail(m_edVddSoc, m_nVddSocCode, +1); }
