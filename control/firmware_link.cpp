// The firmware link: sync head packet, receive loop and status codes.
#include <algorithm>
#include <cstdint>

#include "catalogue/target_catalogue.h"
#include "control/button_groups.h"
#include "control/firmware_packets.h"
#include "ui/orvane_dlg.h"
#include "ui/text_convert.h"
#include "ui/utf8_stream.h"
#include "usb/clock.h"
#include "usb/hid_link.h"

namespace {

// A read that failed at once (device gone, link closed) is followed by a
// pause that makes up the rest of the read time-out, in steps that keep
// watching the stop event, so the loop never spins.
constexpr std::int64_t RECEIVE_PAUSE_STEP_MS = 50;

// True when the stop was asked for; the test consumes the signal.
bool stop_requested(COrvaneDlg& dlg) { return dlg.m_hStopEvent && dlg.m_hStopEvent->wait_for(0); }

}  // namespace

int COrvaneDlg::send_sync_head() {
    HidLink& link = hid_link();
    if (link.output_report.empty()) return 0;
    link.output_report[0] = 2;  // every packet of the firmware link goes as report 2
    const TargetProfile& target = target_profile(m_nTarget);
    const SyncHeadPacket packet =
        fw_sync_head_packet(target.sync_code, density_code(m_cbDensity.GetCurSel()),
                            m_cbDdrCs.GetCurSel(), m_cbDdrChannel.GetCurSel(),
                            arm_speed_code(m_cbArmSpeed.GetCurSel()));
    std::int32_t written = 0;
    hid_write(packet.data(), static_cast<std::uint32_t>(packet.size()), written);
    return written == static_cast<std::int32_t>(packet.size()) ? 1 : 0;
}

unsigned COrvaneDlg::ReceiveLoop(void* param) {
    COrvaneDlg& dlg = *static_cast<COrvaneDlg*>(param);
    Clock* clock = dlg.GetClock();
    const std::uint16_t input_length = hid_link().caps.InputReportByteLength;
    // The payload of one report, cut to the receive buffer: a longer report
    // is never copied past it.
    const std::size_t n = std::min<std::size_t>(input_length > 0 ? input_length - 1u : 0u,
                                                FW_RECEIVE_BUFFER_SIZE);
    std::uint8_t buffer[FW_RECEIVE_BUFFER_SIZE];
    // Text is decoded as a stream: a character split over two reports is
    // shown whole once its last byte has arrived.
    Utf8StreamDecoder decoder;

    while (!stop_requested(dlg)) {
        std::fill(buffer, buffer + n, std::uint8_t{0});
        const std::int64_t started = clock ? clock->now_ms() : 0;
        if (n == 0 || !hid_read(buffer, static_cast<std::uint32_t>(n))) {
            // Time-out or error: try again. A read that failed early waits
            // out its time-out first.
            while (clock && clock->now_ms() - started < HID_READ_TIMEOUT_MS) {
                if (dlg.m_hStopEvent && dlg.m_hStopEvent->wait_for(0)) {
                    dlg.m_hStopEvent->set();  // seen by the loop's own test
                    break;
                }
                clock->sleep_for(std::min<std::int64_t>(
                    RECEIVE_PAUSE_STEP_MS, HID_READ_TIMEOUT_MS - (clock->now_ms() - started)));
            }
            continue;
        }
        if (std::optional<std::uint8_t> code = fw_status_code(buffer, n)) {
            if (DialogHost* host = dlg.Host()) host->post_message(WM_TARGET_STATUS, *code, 0);
            continue;
        }
        const std::size_t length = fw_text_length(buffer, n);
        const std::u16string text =
            decoder.feed(std::string_view(reinterpret_cast<const char*>(buffer), length));
        if (!text.empty()) dlg.AppendOutput(std::u16string_view(text));
    }
    // Bytes of an unfinished character still held are shown as U+FFFD rather
    // than dropped.
    const std::u16string rest = decoder.finish();
    if (!rest.empty()) dlg.AppendOutput(std::u16string_view(rest));
    if (dlg.m_hStoppedEvent) dlg.m_hStoppedEvent->set();
    if (clock) clock->remove_user();
    return 0;
}

std::intptr_t COrvaneDlg::OnTargetStatus(std::uintptr_t wParam, std::intptr_t) {
    const unsigned code = static_cast<unsigned>(wParam & 0xFFu);
    if (code >= 1 && code <= 10) {
        enable_command_buttons(*this, true);
        if (code == 1 || code == 2) m_btnSaveCalibration.EnableWindow(true);
        if (code == 4 || code == 5) m_btnSaveStress.EnableWindow(true);
    } else {
        enable_command_buttons(*this, false);
        enable_save_buttons(*this, false);
    }
    enable_download_button(*this, true);
    return 0;
}
