// The Windows HID headers, which lack C linkage declarations of their own.
#pragma once

#include <windows.h>

extern "C" {
#include <hidsdi.h>
#include <hidpi.h>
}

#include <cstdint>

// Reads vendor ID, product ID and the two report lengths of an open HID
// handle. False when the attributes or the report lengths cannot be read.
struct WinHidIdentity {
    std::uint16_t vendor_id = 0;
    std::uint16_t product_id = 0;
    std::uint16_t input_report_length = 0;
    std::uint16_t output_report_length = 0;
};
bool win_hid_identity(HANDLE device, WinHidIdentity* identity);
