// What the HID transport needs from a platform. The transport (hid_link.h)
// sits on top of this unchanged on every platform; the backends are
// usb/linux (hidraw), usb/windows (SetupAPI/HID) and sim/ (simulated board).
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

// Identity and report lengths of one HID interface, as the platform reports
// them. Both lengths count the whole report including its first byte, the
// report ID (also for a device without report IDs, where that byte is 0).
struct HidDeviceInfo {
    std::uint16_t vendor_id = 0;
    std::uint16_t product_id = 0;
    std::uint16_t input_report_length = 0;
    std::uint16_t output_report_length = 0;
};

enum class HidIoStatus {
    ok,       // the whole report went out / one report arrived
    timeout,  // nothing completed within the time-out; the transfer is cancelled
    error,    // the device failed or is gone
};

// One open device. A read and a write may be in flight at once on two
// threads. A call that times out returns only after its own transfer is
// cancelled and finished, so nothing writes into the caller's buffer after
// the call returned; a timed-out read never loses a report that arrives at
// that moment (it is delivered by the next read).
class HidDevice {
public:
    virtual ~HidDevice() = default;  // closes the device
    // Writes one whole output report: report[0] is the report ID, length is
    // the device's output report length.
    virtual HidIoStatus write_report(const std::uint8_t* report, std::size_t length,
                                     int timeout_ms) = 0;
    // Reads one input report into buffer (capacity bytes, at least the input
    // report length). buffer[0] is the report ID (0 for a device without
    // IDs). *received gets the number of bytes stored.
    virtual HidIoStatus read_report(std::uint8_t* buffer, std::size_t capacity,
                                    std::size_t* received, int timeout_ms) = 0;
};

class HidBackend {
public:
    virtual ~HidBackend() = default;
    // Paths of the HID interfaces present now, in a stable order.
    virtual std::vector<std::string> enumerate() = 0;
    // Opens the path briefly and reads its attributes and report lengths.
    // False when it cannot be opened or its attributes or lengths cannot be
    // read: discovery then skips it silently.
    virtual bool probe(const std::string& path, HidDeviceInfo* info) = 0;
    // Opens the path for reading and writing; null on failure.
    virtual std::unique_ptr<HidDevice> open(const std::string& path) = 0;
};
