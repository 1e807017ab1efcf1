// The Set Voltage button: both rail codes to the firmware in one command.
#include "control/button_groups.h"
#include "control/firmware_packets.h"
#include "control/send_packet.h"
#include "ui/orvane_dlg.h"

void COrvaneDlg::OnBnClickedSetVoltage() {
    if (!m_bLinkUp) return;
    // No exchange: the codes are the dialog's fields, the pane stays as it is.
    enable_command_buttons(*this, false);
    if (!fw_send_packet(fw_set_voltage_packet(m_nVddArmCode, m_nVddSocCode))) {
        AppendOutput(u"Error: failed to send SET VOLTAGE command\r\n");
        enable_command_buttons(*this, true);
    }
}
