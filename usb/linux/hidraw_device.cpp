#include "usb/linux/hidraw_device.h"

#include <poll.h>
#include <pthread.h>
#include <signal.h>
#include <unistd.h>

#include <algorithm>
#include <array>
#include <cerrno>
#include <chrono>
#include <condition_variable>
#include <cstring>
#include <mutex>
#include <thread>
#include <vector>

namespace {

using SteadyClock = std::chrono::steady_clock;

// A hidraw write blocks in the kernel until the report went out (up to
// about 5 s on a stalled endpoint) and can be neither cancelled nor made
// non-blocking. Writes therefore run on a writer thread of their own, and
// write_report waits for it at most the time-out. A report given up after
// the time-out may still go out later: the writer keeps its own copy, so the
// caller's buffer is never touched after write_report returned, and the next
// write waits until the writer is free again.
struct HidrawWriter {
    int fd = -1;
    std::mutex mutex;
    std::condition_variable changed;
    std::vector<std::uint8_t> report;  // the writer's copy, sized once
    std::size_t length = 0;
    std::uint64_t submitted = 0;
    std::uint64_t completed = 0;
    HidIoStatus result = HidIoStatus::ok;
    bool stop = false;

    ~HidrawWriter() {
        if (fd >= 0) ::close(fd);
    }
};

void hidraw_writer_run(std::shared_ptr<HidrawWriter> w) {
    // No signal is handled here. In particular SIGPIPE (a socket whose peer
    // has gone) turns into a failed write instead of ending the process.
    sigset_t all;
    sigfillset(&all);
    pthread_sigmask(SIG_BLOCK, &all, nullptr);

    std::unique_lock<std::mutex> lock(w->mutex);
    for (;;) {
        w->changed.wait(lock, [&] { return w->stop || w->submitted != w->completed; });
        if (w->submitted == w->completed) break;  // stopping, nothing pending
        const std::size_t length = w->length;
        lock.unlock();
        ssize_t n;
        do {
            n = ::write(w->fd, w->report.data(), length);
        } while (n < 0 && errno == EINTR);
        lock.lock();
        w->result = n == static_cast<ssize_t>(length) ? HidIoStatus::ok : HidIoStatus::error;
        w->completed = w->submitted;
        w->changed.notify_all();
        if (w->stop) break;
    }
}

class HidrawDevice final : public HidDevice {
public:
    HidrawDevice(std::shared_ptr<HidrawWriter> writer, const HidReportTable& table, std::thread thread)
        : writer_(std::move(writer)), fd_(writer_->fd), numbered_(table.numbered),
          output_lengths_(table.length[HID_REPORT_OUTPUT]), thread_(std::move(thread)) {}

    ~HidrawDevice() override {
        bool busy;
        {
            std::lock_guard<std::mutex> lock(writer_->mutex);
            writer_->stop = true;
            busy = writer_->submitted != writer_->completed;
            writer_->changed.notify_all();
        }
        // A write still blocked in the kernel is not waited for: the writer
        // closes the node when it returns.
        if (busy) {
            thread_.detach();
        } else {
            thread_.join();
        }
    }

    HidIoStatus write_report(const std::uint8_t* report, std::size_t length, int timeout_ms) override {
        if (report == nullptr || length == 0) return HidIoStatus::error;
        // hidraw passes the whole buffer on, so exactly the length that the
        // descriptor gives for this report ID goes out.
        const std::size_t wanted = output_lengths_[report[0]];
        if (wanted == 0 || wanted > length || (!numbered_ && report[0] != 0)) return HidIoStatus::error;

        const SteadyClock::time_point deadline = SteadyClock::now() + std::chrono::milliseconds(timeout_ms);
        HidrawWriter& w = *writer_;
        std::unique_lock<std::mutex> lock(w.mutex);
        const auto idle = [&] { return w.submitted == w.completed; };
        if (!w.changed.wait_until(lock, deadline, idle)) return HidIoStatus::timeout;
        std::memcpy(w.report.data(), report, wanted);
        w.length = wanted;
        ++w.submitted;
        w.changed.notify_all();
        if (!w.changed.wait_until(lock, deadline, idle)) return HidIoStatus::timeout;
        return w.result;
    }

    HidIoStatus read_report(std::uint8_t* buffer, std::size_t capacity, std::size_t* received,
                            int timeout_ms) override {
        if (buffer == nullptr || received == nullptr || capacity < 2) return HidIoStatus::error;
        // A device without report IDs sends bare reports; a leading 0 gives
        // them the same layout as numbered ones.
        std::uint8_t* target = numbered_ ? buffer : buffer + 1;
        const std::size_t room = numbered_ ? capacity : capacity - 1;

        const SteadyClock::time_point deadline = SteadyClock::now() + std::chrono::milliseconds(timeout_ms);
        for (;;) {
            const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(
                deadline - SteadyClock::now());
            pollfd p{fd_, POLLIN, 0};
            // A time-out leaves any report in the kernel's queue for the next read.
            const int ready = ::poll(&p, 1, left.count() > 0 ? static_cast<int>(left.count()) : 0);
            if (ready < 0) {
                if (errno == EINTR) continue;
                return HidIoStatus::error;
            }
            if (ready == 0) return HidIoStatus::timeout;
            if ((p.revents & POLLIN) == 0) return HidIoStatus::error;  // unplugged: POLLERR | POLLHUP
            const ssize_t n = ::read(fd_, target, room);
            if (n < 0 && (errno == EINTR || errno == EAGAIN)) continue;
            if (n <= 0) return HidIoStatus::error;  // gone (or, on a socket, its peer closed)
            if (!numbered_) buffer[0] = 0;
            *received = static_cast<std::size_t>(n) + (numbered_ ? 0 : 1);
            return HidIoStatus::ok;
        }
    }

private:
    std::shared_ptr<HidrawWriter> writer_;
    int fd_;
    bool numbered_;
    std::array<std::uint16_t, 256> output_lengths_;
    std::thread thread_;
};

}  // namespace

std::unique_ptr<HidDevice> hidraw_device_create(int fd, const HidReportTable& table) {
    auto writer = std::make_shared<HidrawWriter>();
    writer->fd = fd;
    std::uint16_t longest = 0;
    for (std::uint16_t l : table.length[HID_REPORT_OUTPUT]) longest = std::max(longest, l);
    writer->report.assign(longest, 0);
    std::thread thread;
    try {
        thread = std::thread(hidraw_writer_run, writer);
    } catch (...) {
        return nullptr;  // the writer record closes fd
    }
    return std::make_unique<HidrawDevice>(std::move(writer), table, std::move(thread));
}
