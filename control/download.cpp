// The Download button: from serial download mode to a running test firmware.
#include <array>
#include <cstdio>
#include <memory>
#include <string>
#include <vector>

#include "catalogue/script_reader.h"
#include "catalogue/target_catalogue.h"
#include "control/button_groups.h"
#include "control/firmware_path.h"
#include "control/receive_thread.h"
#include "ui/orvane_dlg.h"
#include "ui/text_convert.h"
#include "usb/clock.h"
#include "usb/hid_link.h"
#include "usb/rom_commands.h"

namespace {

constexpr int DCD_LIST_CAPACITY = 1024;
constexpr int FIRMWARE_POLLS = 500;
constexpr std::int64_t FIRMWARE_POLL_MS = 100;
constexpr std::int64_t JUMP_SETTLE_MS = 1000;
constexpr std::uint8_t ROM_MODE_PRODUCTION = 1;

struct FileCloser {
    void operator()(std::FILE* f) const { std::fclose(f); }
};
using FilePtr = std::unique_ptr<std::FILE, FileCloser>;

void wait_ms(Clock* clock, std::int64_t ms) {
    if (clock) clock->sleep_for(ms);
}

// The whole file as bytes; false when it cannot be read whole.
bool read_whole_file(std::FILE* file, std::vector<std::uint8_t>& bytes) {
    if (std::fseek(file, 0, SEEK_END) != 0) return false;
    const long size = std::ftell(file);
    if (size < 0 || std::fseek(file, 0, SEEK_SET) != 0) return false;
    bytes.assign(static_cast<std::size_t>(size), 0);
    return bytes.empty() || std::fread(bytes.data(), 1, bytes.size(), file) == bytes.size();
}

}  // namespace

void COrvaneDlg::OnBnClickedDownload() {
    // 1-2.
    UpdateData(true);
    enable_command_buttons(*this, false);
    enable_save_buttons(*this, false);
    enable_download_button(*this, false);

    // 3. An earlier link: stop the loop, wait for it, then close the device.
    if (m_bLinkUp || m_receiveThread.joinable()) {
        StopReceiveLoop();
        hid_close_device();
    }
    // 4.
    m_bLinkUp = 0;
    m_bHaveBaseline = 0;
    m_nTarget = m_cbTarget.GetCurSel();
    if (m_nTarget < 0 || m_nTarget >= TARGET_COUNT) m_nTarget = 0;
    const TargetProfile& target = target_profile(m_nTarget);

    // Working data of this Download, released on every exit.
    std::vector<std::uint8_t> image;
    bool device_opened = false;
    auto fail = [&](std::u16string_view message) {
        AppendOutput(message);
        if (device_opened) hid_close_device();
        image.clear();
        image.shrink_to_fit();
        enable_download_button(*this, true);
    };

    // 5.
    if (m_strScriptPath.empty()) return fail(u"ERROR: Please load script file!!\r\n");

    // 6-8.
    std::vector<DcdItem> items(DCD_LIST_CAPACITY, DcdItem{0, 0});
    int count = static_cast<int>(target.dcd_capacity);
    if (count > DCD_LIST_CAPACITY) count = DCD_LIST_CAPACITY;
    {
        // Binary mode: the readers drop the CR of a CR LF themselves, and a
        // Ctrl-Z byte, which text mode on Windows takes as the end of the
        // file, can not silently cut off the register writes after it.
        FilePtr script(std::fopen(utf16_to_utf8(std::u16string_view(m_strScriptPath)).c_str(), "rb"));
        if (!script) return fail(u"ERROR: can not open script file\r\n");
        const int result = target.script_format == SCRIPT_MEMORY
                               ? parse_memory_script(script.get(), items.data(), &count)
                               : parse_setmem_script(script.get(), items.data(), &count);
        if (result != 0) {
            AppendOutput(utf8_to_utf16(std::string_view(script_msg)));
            AppendOutput(target.script_format == SCRIPT_MEMORY
                             ? u"ERROR: Syntax error in script file. Please use ds5 format"
                             : u"ERROR: Syntax error in script file. Please use INC format");
            enable_download_button(*this, true);
            return;
        }
    }
    if (count < 0) count = 0;

    // 9.
    if (m_chkVerifyDcd.GetCheck() == DLG_BST_CHECKED &&
        check_dcd_ranges(items.data(), count, target.dcd_range_count, target.dcd_ranges) != 0)
        return fail(u"ERROR: DCD addr is out of valid range.\r\n");

    // 10-11.
    const std::string firmware = firmware_path_on_disk(target.firmware_file);
    {
        FilePtr file(std::fopen(firmware.c_str(), "rb"));
        if (!file || !read_whole_file(file.get(), image)) {
            return fail(utf8_to_utf16("ERROR: '" + firmware + "' is not found !!!\r\n"));
        }
    }

    // 12.
    HidCaps caps;
    if (!hid_find_device(target.usb_pid, &caps) || !hid_open_device())
        return fail(u"ERROR: Can't open USB device!!!\r\n");
    device_opened = true;

    // 13.
    std::uint8_t mode = 0;
    if (!rom_check_qel(mode))
        return fail(
            u"ERROR: rom_check_qel() failed.Please make sure board connected and in serial "
            u"download mode.\r\n");
    if (mode == ROM_MODE_PRODUCTION) return fail(u"ERROR: QEL_TYPE: PRODUCT. Not supported yet.\r\n");

    // 14.
    if (!rom_write_dcd(items.data(), count)) return fail(u"ERROR: Write dcd failed.\r\n");
    items.clear();
    items.shrink_to_fit();

    // 15-16.
    AppendOutput(u"Image loading...\r\n");
    if (rom_write_image(image.data(), static_cast<std::uint32_t>(image.size()), target.image_addr) != 1)
        return fail(u"ERROR: download Image to IRAM failed\r\n");
    image.clear();
    image.shrink_to_fit();
    AppendOutput(u"download Image to IRAM OK\r\n");
    rom_jump(m_nTarget);  // the boot ROM has handed control to the image

    // 17.
    wait_ms(m_pClock, JUMP_SETTLE_MS);
    hid_close_device();
    device_opened = false;
    wait_ms(m_pClock, JUMP_SETTLE_MS);

    // 18. The firmware comes back under the same IDs.
    bool found = false;
    for (int poll = 0; poll < FIRMWARE_POLLS && !found; ++poll) {
        wait_ms(m_pClock, FIRMWARE_POLL_MS);
        found = hid_find_device(target.usb_pid, &caps) && hid_open_device();
    }
    if (!found) return fail(u"ERROR: download failed\r\n");
    device_opened = true;

    // 19-21.
    AppendOutput(u"\r\nWaiting for USB SYNC packet...\r\n\r\n");
    UpdateData(true);
    if (!send_sync_head()) return fail(u"Error: failed to send sync head packet\r\n");

    // 22.
    ClearOutput();

    // 23. The link is up only with a running loop.
    if (!receive_thread_start(*this)) return fail(u"ERROR: can not start the receive thread\r\n");
    m_bLinkUp = 1;

    // 24.
    enable_command_buttons(*this, true);
    enable_download_button(*this, true);
}
