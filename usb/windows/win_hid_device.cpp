#include "usb/windows/win_hid_device.h"

#include <algorithm>
#include <cstring>

std::unique_ptr<WinHidDevice> WinHidDevice::adopt(HANDLE device, const WinHidIdentity& identity) {
    std::unique_ptr<WinHidDevice> dev(
        new WinHidDevice(device, identity.input_report_length, identity.output_report_length));
    // Manual-reset, not signalled, unnamed.
    dev->write_.event = CreateEventW(nullptr, TRUE, FALSE, nullptr);
    dev->read_.event = CreateEventW(nullptr, TRUE, FALSE, nullptr);
    if (dev->write_.event == nullptr || dev->read_.event == nullptr) return nullptr;
    return dev;
}

WinHidDevice::WinHidDevice(HANDLE device, std::uint16_t input_length, std::uint16_t output_length)
    : device_(device) {
    read_.report.assign(input_length, 0);
    write_.report.assign(output_length, 0);
}

WinHidDevice::~WinHidDevice() {
    // Every call waits for its own transfer before it returns, so nothing is
    // pending here.
    if (device_ != INVALID_HANDLE_VALUE && device_ != nullptr) CloseHandle(device_);
    if (write_.event != nullptr) CloseHandle(write_.event);
    if (read_.event != nullptr) CloseHandle(read_.event);
}

HidIoStatus WinHidDevice::finish(Direction& dir, int timeout_ms, DWORD* transferred) {
    *transferred = 0;
    const DWORD wait = WaitForSingleObject(dir.event, static_cast<DWORD>(std::max(timeout_ms, 0)));
    if (wait == WAIT_OBJECT_0) {
        return GetOverlappedResult(device_, &dir.overlapped, transferred, FALSE) ? HidIoStatus::ok
                                                                                 : HidIoStatus::error;
    }
    // Time-out (or a failed wait): cancel only this request, which leaves the
    // other direction's transfer alone, then wait until the system has let go
    // of the buffer and the OVERLAPPED record. A transfer that completed
    // before the cancel took effect still counts.
    CancelIoEx(device_, &dir.overlapped);
    if (GetOverlappedResult(device_, &dir.overlapped, transferred, TRUE)) return HidIoStatus::ok;
    *transferred = 0;
    if (wait != WAIT_TIMEOUT) return HidIoStatus::error;
    return GetLastError() == ERROR_OPERATION_ABORTED ? HidIoStatus::timeout : HidIoStatus::error;
}

HidIoStatus WinHidDevice::write_report(const std::uint8_t* report, std::size_t length, int timeout_ms) {
    if (report == nullptr || write_.report.empty()) return HidIoStatus::error;
    // The system takes exactly the output report length: a shorter report is
    // zero-filled, a longer one cut at the report's end.
    std::vector<std::uint8_t>& out = write_.report;
    std::fill(out.begin(), out.end(), std::uint8_t{0});
    std::memcpy(out.data(), report, std::min(length, out.size()));

    ResetEvent(write_.event);
    write_.overlapped = OVERLAPPED{};
    write_.overlapped.hEvent = write_.event;
    if (!WriteFile(device_, out.data(), static_cast<DWORD>(out.size()), nullptr, &write_.overlapped) &&
        GetLastError() != ERROR_IO_PENDING)
        return HidIoStatus::error;
    DWORD transferred = 0;
    return finish(write_, timeout_ms, &transferred);
}

HidIoStatus WinHidDevice::read_report(std::uint8_t* buffer, std::size_t capacity, std::size_t* received,
                                      int timeout_ms) {
    if (received != nullptr) *received = 0;
    if (buffer == nullptr || read_.report.empty()) return HidIoStatus::error;

    ResetEvent(read_.event);
    read_.overlapped = OVERLAPPED{};
    read_.overlapped.hEvent = read_.event;
    std::vector<std::uint8_t>& in = read_.report;
    if (!ReadFile(device_, in.data(), static_cast<DWORD>(in.size()), nullptr, &read_.overlapped) &&
        GetLastError() != ERROR_IO_PENDING)
        return HidIoStatus::error;
    DWORD transferred = 0;
    const HidIoStatus status = finish(read_, timeout_ms, &transferred);
    if (status != HidIoStatus::ok) return status;
    // A report that arrived while the time-out was being handled is
    // delivered here, not lost.
    const std::size_t n = std::min<std::size_t>({transferred, in.size(), capacity});
    std::memcpy(buffer, in.data(), n);
    if (received != nullptr) *received = n;
    return HidIoStatus::ok;
}
