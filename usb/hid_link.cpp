#include "usb/hid_link.h"

#include <algorithm>
#include <cstdio>
#include <cstring>

namespace {

// The boot ROM's replies are read as the first four payload bytes of one
// input report, and every stream needs at least one payload byte per output
// report. A device with less room than that cannot carry the protocol.
constexpr std::uint16_t HID_MIN_INPUT_REPORT_LENGTH = 1 + 4;
constexpr std::uint16_t HID_MIN_OUTPUT_REPORT_LENGTH = 1 + 1;

bool hid_caps_usable(std::uint16_t input_length, std::uint16_t output_length) {
    return input_length >= HID_MIN_INPUT_REPORT_LENGTH &&
           output_length >= HID_MIN_OUTPUT_REPORT_LENGTH;
}

bool hid_link_open(const HidLink& link) {
    return link.device != nullptr && !link.input_report.empty() && !link.output_report.empty();
}

}  // namespace

HidLink& hid_link() {
    static HidLink link;
    return link;
}

int hid_find_device(std::uint16_t product_id, HidCaps* caps) {
    HidLink& link = hid_link();
    link.device_path.reset();
    if (link.backend == nullptr) return 0;

    const std::vector<std::string> paths = link.backend->enumerate();
    for (const std::string& path : paths) {
        // Each step starts without a path, so a discovery that finds nothing
        // leaves none behind.
        link.device_path.reset();
        HidDeviceInfo info;
        if (!link.backend->probe(path, &info)) continue;
        if (info.vendor_id != link.vendor_id || info.product_id != product_id) continue;
        // Discovery skips a device whose input payload is shorter than 4
        // bytes or whose output payload is empty: the boot ROM's reply words
        // would not fit, and no stream could be sent.
        if (!hid_caps_usable(info.input_report_length, info.output_report_length)) continue;

        // The link's own record always describes device_path, since open
        // sizes its buffers from it; the caller's record gets a copy.
        link.caps.InputReportByteLength = info.input_report_length;
        link.caps.OutputReportByteLength = info.output_report_length;
        if (caps != nullptr && caps != &link.caps) *caps = link.caps;
        link.device_path = path;
        return 1;
    }
    link.device_path.reset();
    return 0;
}

int hid_open_device() {
    HidLink& link = hid_link();
    // An open link is closed first, so nothing of it is left behind.
    hid_close_device();

    if (link.backend != nullptr && link.device_path) link.device = link.backend->open(*link.device_path);
    if (link.device == nullptr) {
        std::printf("Failed to open the device for wr/rd.\n");
        return 0;
    }
    if (!hid_caps_usable(link.caps.InputReportByteLength, link.caps.OutputReportByteLength)) {
        hid_close_device();
        return 0;
    }
    // The two report buffers are allocated once per open; byte 0 of the
    // output report is for the caller to store before the first write.
    link.input_report.assign(link.caps.InputReportByteLength, 0);
    link.output_report.assign(link.caps.OutputReportByteLength, 0);
    return 1;
}

int hid_close_device() {
    HidLink& link = hid_link();
    link.device.reset();
    link.input_report.clear();
    link.input_report.shrink_to_fit();
    link.output_report.clear();
    link.output_report.shrink_to_fit();
    return 1;
}

int hid_write(const std::uint8_t* data, std::uint32_t length, std::int32_t& written) {
    HidLink& link = hid_link();
    written = 0;
    if (!hid_link_open(link)) return 0;
    if (length == 0) return 1;
    if (data == nullptr) return 0;

    std::uint8_t* report = link.output_report.data();
    const std::size_t report_length = link.output_report.size();
    const std::uint32_t chunk = static_cast<std::uint32_t>(report_length - 1);
    std::uint32_t sent = 0;
    while (sent < length) {
        const std::uint32_t n = std::min(length - sent, chunk);
        // Byte 0, the report ID, stays as the caller stored it.
        std::memset(report + 1, 0, chunk);
        std::memcpy(report + 1, data + sent, n);
        if (link.device->write_report(report, report_length, HID_WRITE_TIMEOUT_MS) != HidIoStatus::ok)
            return 0;
        sent += n;
        written = static_cast<std::int32_t>(sent);
    }
    return 1;
}

int hid_read(std::uint8_t* destination, std::uint32_t length) {
    HidLink& link = hid_link();
    if (!hid_link_open(link)) return 0;

    std::uint8_t* report = link.input_report.data();
    const std::size_t report_length = link.input_report.size();
    const std::size_t n = std::min<std::size_t>(length, report_length - 1);
    if (n > 0 && destination == nullptr) return 0;
    // A report shorter than n payload bytes leaves zeros, never stale data.
    std::memset(report + 1, 0, n);
    std::size_t received = 0;
    if (link.device->read_report(report, report_length, &received, HID_READ_TIMEOUT_MS) != HidIoStatus::ok)
        return 0;
    if (n > 0) std::memcpy(destination, report + 1, n);
    return 1;
}
