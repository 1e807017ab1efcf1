// HID backend on Windows: SetupAPI enumerates the present HID interfaces,
// HID.dll reads their attributes and report lengths, and the device is used
// with overlapped reads and writes, each bounded by its time-out.
#pragma once

#include <memory>

#include "usb/hid_backend.h"

std::unique_ptr<HidBackend> windows_hid_backend();
