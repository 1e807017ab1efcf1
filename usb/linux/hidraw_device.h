// One open hidraw node (or anything with its read and write semantics, such
// as one end of a SOCK_SEQPACKET socket pair in the tests).
#pragma once

#include <memory>

#include "usb/hid_backend.h"
#include "usb/hid_report_descriptor.h"

// Takes over fd (closed by the device). table gives each report's length
// and whether the device numbers its reports. Null when the writer thread
// cannot be started; fd is closed then too.
std::unique_ptr<HidDevice> hidraw_device_create(int fd, const HidReportTable& table);
