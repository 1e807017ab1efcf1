// A HidBackend that passes everything to another one and writes the USB
// transcript: "OUT <id> <payload>" for every output report written and
// "IN <id> <payload>" for every input report read, each byte as two-digit
// lower-case hex. Lines from the two threads never interleave. An observer
// may also see every output report that went out (the image progress bar).
#pragma once

#include <cstdio>
#include <functional>
#include <memory>
#include <mutex>
#include <string>

#include "usb/hid_backend.h"

class TraceLog {
public:
    explicit TraceLog(std::FILE* file) : file_(file) {}
    void report(const char* direction, const std::uint8_t* bytes, std::size_t length);
    void line(const std::string& text);

private:
    std::mutex lock_;
    std::FILE* file_;
};

using ReportObserver = std::function<void(const std::uint8_t* report, std::size_t length)>;

class TraceBackend final : public HidBackend {
public:
    TraceBackend(HidBackend& inner, TraceLog* log, ReportObserver on_write = {})
        : inner_(inner), log_(log), on_write_(std::move(on_write)) {}
    std::vector<std::string> enumerate() override { return inner_.enumerate(); }
    bool probe(const std::string& path, HidDeviceInfo* info) override { return inner_.probe(path, info); }
    std::unique_ptr<HidDevice> open(const std::string& path) override;

private:
    HidBackend& inner_;
    TraceLog* log_;
    ReportObserver on_write_;
};
