// The one HID connection of the process and the five transport operations.
// Streams go out as fixed-size output reports (byte 0 the report ID, set by
// the caller and kept across writes) and come in as single input reports,
// each bounded by a time-out.
#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "usb/hid_backend.h"

// The two report lengths the transport uses, each counting the report-ID byte.
struct HidCaps {
    std::uint16_t InputReportByteLength = 0;
    std::uint16_t OutputReportByteLength = 0;
};

constexpr int HID_WRITE_TIMEOUT_MS = 100;
constexpr int HID_READ_TIMEOUT_MS = 1000;

struct HidLink {
    // Where discovery and open go; set once by the front end.
    HidBackend* backend = nullptr;
    // The vendor ID compared by discovery (the catalogue's, unless replaced).
    std::uint16_t vendor_id = 0;

    std::optional<std::string> device_path;  // device found by the last discovery
    HidCaps caps;                            // its report lengths
    // The open device. Its backend keeps a separate completion record for the
    // read and for the write direction, so one read and one write may be in
    // flight at once.
    std::unique_ptr<HidDevice> device;
    std::vector<std::uint8_t> input_report;   // InputReportByteLength bytes while open
    std::vector<std::uint8_t> output_report;  // OutputReportByteLength bytes; [0] = report ID
};

// The process's link.
HidLink& hid_link();

int hid_find_device(std::uint16_t product_id, HidCaps* caps);
int hid_open_device();
int hid_close_device();
int hid_write(const std::uint8_t* data, std::uint32_t length, std::int32_t& written);
int hid_read(std::uint8_t* destination, std::uint32_t length);
