// A scripted HidBackend for the transport and boot-ROM tests: a list of
// interfaces with fixed attributes, and devices that record every written
// report and hand out queued input reports.
#pragma once

#include <algorithm>
#include <cstring>
#include <deque>
#include <memory>
#include <string>
#include <vector>

#include "usb/hid_backend.h"

struct FakeDeviceState {
    std::vector<std::vector<std::uint8_t>> written;    // every output report, whole
    std::deque<std::vector<std::uint8_t>> to_read;     // input reports still to deliver
    std::vector<HidIoStatus> write_results;            // by write index; ok beyond the end
    std::vector<int> write_timeouts;
    std::vector<int> read_timeouts;
    int reads = 0;
    bool closed = false;

    // Queues one input report: ID byte then the payload, padded to length.
    void queue_report(std::vector<std::uint8_t> payload, std::size_t length, std::uint8_t id = 3) {
        payload.insert(payload.begin(), id);
        payload.resize(std::max(payload.size(), length), 0);
        to_read.push_back(std::move(payload));
    }
};

class FakeHidDevice final : public HidDevice {
public:
    explicit FakeHidDevice(std::shared_ptr<FakeDeviceState> state) : state_(std::move(state)) {}
    ~FakeHidDevice() override { state_->closed = true; }

    HidIoStatus write_report(const std::uint8_t* report, std::size_t length, int timeout_ms) override {
        const std::size_t index = state_->written.size() + timed_out_;
        state_->write_timeouts.push_back(timeout_ms);
        const HidIoStatus result =
            index < state_->write_results.size() ? state_->write_results[index] : HidIoStatus::ok;
        if (result == HidIoStatus::ok) {
            state_->written.emplace_back(report, report + length);
        } else {
            ++timed_out_;
        }
        return result;
    }

    HidIoStatus read_report(std::uint8_t* buffer, std::size_t capacity, std::size_t* received,
                            int timeout_ms) override {
        ++state_->reads;
        state_->read_timeouts.push_back(timeout_ms);
        if (state_->to_read.empty()) return HidIoStatus::timeout;
        const std::vector<std::uint8_t>& report = state_->to_read.front();
        const std::size_t n = std::min(capacity, report.size());
        std::memcpy(buffer, report.data(), n);
        *received = n;
        state_->to_read.pop_front();
        return HidIoStatus::ok;
    }

private:
    std::shared_ptr<FakeDeviceState> state_;
    std::size_t timed_out_ = 0;
};

struct FakeInterface {
    std::string path;
    HidDeviceInfo info;
    bool probe_ok = true;
    bool open_ok = true;
    std::shared_ptr<FakeDeviceState> state = std::make_shared<FakeDeviceState>();
};

class FakeHidBackend final : public HidBackend {
public:
    std::vector<FakeInterface> interfaces;
    std::vector<std::string> opened;  // paths passed to open, in order

    FakeInterface& add(std::string path, std::uint16_t vid, std::uint16_t pid, std::uint16_t input_length,
                       std::uint16_t output_length) {
        FakeInterface entry;
        entry.path = std::move(path);
        entry.info = {vid, pid, input_length, output_length};
        interfaces.push_back(std::move(entry));
        return interfaces.back();
    }

    std::vector<std::string> enumerate() override {
        std::vector<std::string> paths;
        for (const FakeInterface& i : interfaces) paths.push_back(i.path);
        return paths;
    }
    bool probe(const std::string& path, HidDeviceInfo* info) override {
        const FakeInterface* i = find(path);
        if (i == nullptr || !i->probe_ok) return false;
        *info = i->info;
        return true;
    }
    std::unique_ptr<HidDevice> open(const std::string& path) override {
        opened.push_back(path);
        const FakeInterface* i = find(path);
        if (i == nullptr || !i->open_ok) return nullptr;
        i->state->closed = false;
        return std::make_unique<FakeHidDevice>(i->state);
    }

private:
    const FakeInterface* find(const std::string& path) const {
        for (const FakeInterface& i : interfaces)
            if (i.path == path) return &i;
        return nullptr;
    }
};
