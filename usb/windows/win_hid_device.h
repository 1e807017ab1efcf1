// One HID device opened for overlapped I/O. Reads and writes each have their
// own event, OVERLAPPED record and report buffer, so one read (receive loop)
// and one write (window thread) can be in flight at once.
#pragma once

#include <memory>
#include <vector>

#include "usb/hid_backend.h"
#include "usb/windows/win_hid_api.h"

class WinHidDevice final : public HidDevice {
public:
    // Takes ownership of an overlapped handle; null when the events cannot be
    // created (the handle is closed then).
    static std::unique_ptr<WinHidDevice> adopt(HANDLE device, const WinHidIdentity& identity);
    ~WinHidDevice() override;

    HidIoStatus write_report(const std::uint8_t* report, std::size_t length, int timeout_ms) override;
    HidIoStatus read_report(std::uint8_t* buffer, std::size_t capacity, std::size_t* received,
                            int timeout_ms) override;

    WinHidDevice(const WinHidDevice&) = delete;
    WinHidDevice& operator=(const WinHidDevice&) = delete;

private:
    // One transfer direction: its completion event, its OVERLAPPED record and
    // the report buffer the system reads from or writes into.
    struct Direction {
        HANDLE event = nullptr;
        OVERLAPPED overlapped{};
        std::vector<std::uint8_t> report;
    };

    WinHidDevice(HANDLE device, std::uint16_t input_length, std::uint16_t output_length);
    // Waits for the started transfer of dir; on time-out cancels exactly that
    // request and waits until the system has finished with it. *transferred
    // gets the byte count of a transfer that completed (also one that
    // completed while it was being cancelled).
    HidIoStatus finish(Direction& dir, int timeout_ms, DWORD* transferred);

    HANDLE device_;
    Direction read_;
    Direction write_;
};
