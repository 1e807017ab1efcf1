#include "cli/trace_backend.h"

#include <algorithm>

namespace {

class TraceDevice final : public HidDevice {
public:
    TraceDevice(std::unique_ptr<HidDevice> inner, TraceLog* log, const ReportObserver* on_write)
        : inner_(std::move(inner)), log_(log), on_write_(on_write) {}
    HidIoStatus write_report(const std::uint8_t* report, std::size_t length, int timeout_ms) override {
        const HidIoStatus status = inner_->write_report(report, length, timeout_ms);
        if (status == HidIoStatus::ok && log_) log_->report("OUT", report, length);
        if (status == HidIoStatus::ok && on_write_ && *on_write_) (*on_write_)(report, length);
        return status;
    }
    HidIoStatus read_report(std::uint8_t* buffer, std::size_t capacity, std::size_t* received,
                            int timeout_ms) override {
        const HidIoStatus status = inner_->read_report(buffer, capacity, received, timeout_ms);
        if (status == HidIoStatus::ok && log_) log_->report("IN", buffer, std::min(*received, capacity));
        return status;
    }

private:
    std::unique_ptr<HidDevice> inner_;
    TraceLog* log_;
    const ReportObserver* on_write_;
};

}  // namespace

void TraceLog::report(const char* direction, const std::uint8_t* bytes, std::size_t length) {
    static const char digits[] = "0123456789abcdef";
    std::string text = direction;
    for (std::size_t i = 0; i < length; ++i) {
        text += ' ';
        text += digits[bytes[i] >> 4];
        text += digits[bytes[i] & 15];
    }
    line(text);
}

void TraceLog::line(const std::string& text) {
    if (!file_) return;
    std::lock_guard guard(lock_);
    std::fputs(text.c_str(), file_);
    std::fputc('\n', file_);
}

std::unique_ptr<HidDevice> TraceBackend::open(const std::string& path) {
    std::unique_ptr<HidDevice> device = inner_.open(path);
    if (!device) return nullptr;
    return std::make_unique<TraceDevice>(std::move(device), log_, &on_write_);
}
