// Input reports of any length and content from a device whose input report
// length is anything from 5 to 65535 bytes, through the real receive loop on
// its own thread into the pane, with read time-outs and errors in between.
// Afterwards the pane holds exactly the text of the non-status reports,
// decoded as one stream, and the buttons follow the last status code.
//
// Input: 2 bytes (little-endian) input report length, then records of a
// 2-byte length and that many report bytes (ID byte first); the lengths
// 0xFFFF and 0xFFFE stand for a read error and a read time-out.
#include <algorithm>
#include <atomic>
#include <cstdint>
#include <cstring>
#include <deque>
#include <memory>
#include <string>
#include <thread>
#include <vector>

#include "control/firmware_packets.h"
#include "control/receive_thread.h"
#include "fuzz_input.h"
#include "ui/headless/headless_host.h"
#include "ui/orvane_dlg.h"
#include "ui/resource.h"
#include "ui/text_convert.h"
#include "usb/clock.h"
#include "usb/hid_link.h"

namespace {

constexpr std::uint16_t kVendor = 0x1209;
constexpr std::uint16_t kProduct = 0x0001;
constexpr std::uint16_t kReadError = 0xFFFF;
constexpr std::uint16_t kReadTimeout = 0xFFFE;

// Moves on by what is slept; a sleep also yields, so a waiting thread does
// not hold a core from the thread it waits for.
class StepClock final : public Clock {
public:
    std::int64_t now_ms() override { return now_.load(); }
    void sleep_for(std::int64_t ms) override {
        now_ += ms;
        std::this_thread::yield();
    }
    bool wait_until(std::int64_t deadline_ms, const std::function<bool()>& ready) override {
        while (!ready()) {
            if (now_.load() >= deadline_ms) return false;
            sleep_for(1);
        }
        return true;
    }
    void notify() override {}

private:
    std::atomic<std::int64_t> now_{0};
};

struct Record {
    std::uint16_t kind = 0;  // 0: a report; kReadError, kReadTimeout
    std::vector<std::uint8_t> bytes;
};

struct Feed {
    std::deque<Record> records;
    std::atomic<bool> drained{false};
};

class FeedDevice final : public HidDevice {
public:
    explicit FeedDevice(std::shared_ptr<Feed> feed) : feed_(std::move(feed)) {}
    HidIoStatus write_report(const std::uint8_t*, std::size_t, int) override { return HidIoStatus::ok; }
    HidIoStatus read_report(std::uint8_t* buffer, std::size_t capacity, std::size_t* received,
                            int) override {
        if (feed_->records.empty()) {
            feed_->drained = true;
            return HidIoStatus::timeout;
        }
        const Record r = std::move(feed_->records.front());
        feed_->records.pop_front();
        if (r.kind == kReadError) return HidIoStatus::error;
        if (r.kind == kReadTimeout) return HidIoStatus::timeout;
        // As every backend does: never more than the caller's buffer.
        const std::size_t n = std::min(capacity, r.bytes.size());
        if (n > 0) std::memcpy(buffer, r.bytes.data(), n);
        *received = n;
        return HidIoStatus::ok;
    }

private:
    std::shared_ptr<Feed> feed_;
};

class FeedBackend final : public HidBackend {
public:
    FeedBackend(std::shared_ptr<Feed> feed, std::uint16_t input_length)
        : feed_(std::move(feed)), input_length_(input_length) {}
    std::vector<std::string> enumerate() override { return {"fuzz"}; }
    bool probe(const std::string&, HidDeviceInfo* info) override {
        *info = {kVendor, kProduct, input_length_, 65};
        return true;
    }
    std::unique_ptr<HidDevice> open(const std::string&) override {
        return std::make_unique<FeedDevice>(feed_);
    }

private:
    std::shared_ptr<Feed> feed_;
    std::uint16_t input_length_;
};

std::uint16_t take_u16(const std::uint8_t*& p, const std::uint8_t* end) {
    std::uint16_t v = 0;
    if (p < end) v = *p++;
    if (p < end) v = static_cast<std::uint16_t>(v | (*p++ << 8));
    return v;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::uint8_t* p = data;
    const std::uint8_t* end = data + size;
    const std::uint16_t input_length = std::max<std::uint16_t>(take_u16(p, end), 5);

    auto feed = std::make_shared<Feed>();
    // What the loop must make of the records: the text bytes of every
    // non-status payload, and the last status code.
    const std::size_t n = std::min<std::size_t>(input_length - 1u, FW_RECEIVE_BUFFER_SIZE);
    std::string text;
    int last_status = -1;
    while (p < end) {
        Record r;
        const std::uint16_t length = take_u16(p, end);
        if (length == kReadError || length == kReadTimeout) {
            r.kind = length;
        } else {
            const std::size_t take = std::min<std::size_t>(length, static_cast<std::size_t>(end - p));
            r.bytes.assign(p, p + take);
            p += take;
            std::vector<std::uint8_t> payload(n, 0);
            const std::size_t got = std::min<std::size_t>(r.bytes.size(), input_length);
            for (std::size_t i = 1; i < got && i - 1 < n; ++i) payload[i - 1] = r.bytes[i];
            if (auto code = fw_status_code(payload.data(), n)) {
                last_status = *code;
            } else {
                text.append(reinterpret_cast<const char*>(payload.data()), fw_text_length(payload.data(), n));
            }
        }
        feed->records.push_back(std::move(r));
    }

    FeedBackend backend(feed, input_length);
    HidLink& link = hid_link();
    link.backend = &backend;
    link.vendor_id = kVendor;
    FUZZ_CHECK(hid_find_device(kProduct, nullptr) == 1 && hid_open_device() == 1);
    {
        StepClock clock;
        HeadlessHost host;
        COrvaneDlg dlg(&host, &clock);
        host.open(dlg);
        dlg.m_bLinkUp = 1;
        FUZZ_CHECK(receive_thread_start(dlg));
        while (!feed->drained.load()) std::this_thread::yield();
        dlg.StopReceiveLoop();
        host.run_pending();
        dlg.TakeInPendingOutput();

        std::u16string expected;
        utf8_decode_append(reinterpret_cast<const unsigned char*>(text.data()), text.size(), expected, true);
        FUZZ_CHECK(dlg.m_strOutput == expected);
        FUZZ_CHECK(host.get_text(IDC_OUTPUT) == expected);
        if (last_status >= 0) {
            FUZZ_CHECK(host.control(IDC_DOWNLOAD).enabled);
            FUZZ_CHECK(host.control(IDC_CALIBRATION).enabled == (last_status >= 1 && last_status <= 10));
        }
        dlg.m_bLinkUp = 0;
    }
    hid_close_device();
    link.backend = nullptr;
    return 0;
}
