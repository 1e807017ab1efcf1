// The test commands: calibration, stress test, memory read and write.
#include <string>

#include "catalogue/target_catalogue.h"
#include "control/button_groups.h"
#include "control/firmware_packets.h"
#include "control/send_packet.h"
#include "ui/orvane_dlg.h"
#include "ui/text_convert.h"

namespace {

// A hex field as 8-bit text; empty when it holds anything but hex digits,
// so that every check below refuses it.
std::string hex_field(const std::u16string& field) {
    std::string text = utf16_to_utf8(std::u16string_view(field));
    return is_hex_text(text) ? text : std::string();
}

void box(COrvaneDlg& dlg, const char16_t* text, const char16_t* caption = u"") {
    if (DialogHost* host = dlg.Host()) host->message_box(text, caption, BoxIcon::none);
}

// The warning of Read and Write, shown once per run of the program.
void show_access_warning(COrvaneDlg& dlg) {
    if (!dlg.m_bShowAccessWarning) return;
    box(dlg, u"Read/Write data from/to illgel address may cause SYSTEM HUNG", u"WARNING");
    dlg.m_bShowAccessWarning = 0;
}

}  // namespace

void COrvaneDlg::OnBnClickedCalibration() {
    if (!m_bLinkUp) return;
    UpdateData(true);
    const std::string mr1 = hex_field(m_strMr1);
    if (mr1.size() != 4) return box(*this, u"Please input 4 HEX digits in MR Value");
    const std::uint32_t mr1_value = hex_to_u32(mr1.c_str(), 4);
    BeginTestOutput();
    enable_command_buttons(*this, false);
    enable_save_buttons(*this, false);
    enable_download_button(*this, false);
    if (!fw_send_packet(fw_calibration_packet(m_nDdrFreq, mr1_value))) {
        AppendOutput(u"Error: failed to send Calibration command\r\n");
        enable_command_buttons(*this, true);
    }
}

void COrvaneDlg::OnBnClickedStressTest() {
    if (!m_bLinkUp) return;
    UpdateData(true);
    if (m_nStartFreq > m_nEndFreq)
        return box(*this, u"DDR Start frequency MUST be no greater than end frequency");
    BeginTestOutput();
    enable_command_buttons(*this, false);
    enable_save_buttons(*this, false);
    enable_download_button(*this, false);
    const bool over_night = m_chkOverNight.GetCheck() == DLG_BST_CHECKED;
    if (!fw_send_packet(fw_stress_test_packet(m_nStartFreq, m_nEndFreq, over_night))) {
        AppendOutput(u"Error: failed to send Stress Test command\r\n");
        enable_command_buttons(*this, true);
    }
}

void COrvaneDlg::OnBnClickedRead() {
    if (!m_bLinkUp) return;
    show_access_warning(*this);
    UpdateData(true);
    const int words = read_word_count(m_cbSize.GetCurSel());
    const std::string addr = hex_field(m_strAddr);
    if (addr.empty()) return box(*this, u"Please input HEX digits in ADDR");
    const std::uint32_t address = hex_to_u32(addr.c_str(), static_cast<int>(addr.size()));
    enable_command_buttons(*this, false);
    if (!fw_send_packet(fw_read_memory_packet(address, words))) {
        AppendOutput(u"Error: failed to send READ MEMORY command\r\n");
        enable_command_buttons(*this, true);
    }
}

void COrvaneDlg::OnBnClickedWrite() {
    if (!m_bLinkUp) return;
    show_access_warning(*this);
    UpdateData(true);
    const std::string addr = hex_field(m_strAddr);
    if (addr.empty()) return box(*this, u"Please input HEX digits in ADDR");
    const std::uint32_t address = hex_to_u32(addr.c_str(), static_cast<int>(addr.size()));
    const std::string data = hex_field(m_strData);
    if (data.empty()) return box(*this, u"Please input HEX digits in DATA");
    const std::uint32_t word = hex_to_u32(data.c_str(), static_cast<int>(data.size()));
    enable_command_buttons(*this, false);
    if (!fw_send_packet(fw_write_memory_packet(address, word))) {
        AppendOutput(u"Error: failed to send WRITE MEMORY command\r\n");
        enable_command_buttons(*this, true);
    }
}
