#include "usb/linux/hidraw_device.h"

#include <poll.h>
#include <pthread.h>
#include <signal.h>
#include <unistd.h>

#include <algorithm>
#include <array>
#include <atomic>
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
//
// A stream hands the writer one report after the other. Both sides first
// wait for the other by yielding for a few tens of microseconds before they
// sleep on the condition variable, so a stream does not pay two thread
// wake-ups per report; an idle link sleeps and costs nothing.
constexpr std::chrono::microseconds HIDRAW_WRITER_SPIN{100};
constexpr std::chrono::microseconds HIDRAW_CALLER_SPIN{200};

struct HidrawWriter {
    int fd = -1;
    std::mutex mutex;  // only for sleeping on changed
    std::condition_variable changed;
    std::vector<std::uint8_t> report;  // the writer's copy, sized once
    std::size_t length = 0;
    std::atomic<std::uint64_t> submitted{0};
    std::atomic<std::uint64_t> completed{0};
    std::atomic<HidIoStatus> result{HidIoStatus::ok};
    std::atomic<bool> stop{false};

    ~HidrawWriter() {
        if (fd >= 0) ::close(fd);
    }

    // Wakes whoever sleeps on changed; the lock orders it after their check.
    void wake() {
        { std::lock_guard<std::mutex> lock(mutex); }
        changed.notify_all();
    }

    // Yields until done() or spin has passed, then sleeps until done() or
    // deadline. False at the deadline.
    template <class Done>
    bool await(Done done, std::chrono::microseconds spin, SteadyClock::time_point deadline) {
        const SteadyClock::time_point spin_end = std::min(deadline, SteadyClock::now() + spin);
        while (!done()) {
            if (SteadyClock::now() >= spin_end) {
                std::unique_lock<std::mutex> lock(mutex);
                return changed.wait_until(lock, deadline, done);
            }
            std::this_thread::yield();
        }
        return true;
    }
};

void hidraw_writer_run(std::shared_ptr<HidrawWriter> w) {
    // No signal is handled here. In particular SIGPIPE (a socket whose peer
    // has gone) turns into a failed write instead of ending the process.
    sigset_t all;
    sigfillset(&all);
    pthread_sigmask(SIG_BLOCK, &all, nullptr);

    std::uint64_t done = 0;
    const auto work = [&] { return w->stop.load() || w->submitted.load(std::memory_order_acquire) != done; };
    for (;;) {
        w->await(work, HIDRAW_WRITER_SPIN, SteadyClock::time_point::max());
        const std::uint64_t next = w->submitted.load(std::memory_order_acquire);
        if (next == done) break;  // stopping, nothing pending
        ssize_t n;
        do {
            n = ::write(w->fd, w->report.data(), w->length);
        } while (n < 0 && errno == EINTR);
        w->result.store(n == static_cast<ssize_t>(w->length) ? HidIoStatus::ok : HidIoStatus::error);
        done = next;
        w->completed.store(done, std::memory_order_release);
        w->wake();
        if (w->stop.load()) break;
    }
}

class HidrawDevice final : public HidDevice {
public:
    HidrawDevice(std::shared_ptr<HidrawWriter> writer, const HidReportTable& table, std::thread thread)
        : writer_(std::move(writer)), fd_(writer_->fd), numbered_(table.numbered),
          output_lengths_(table.length[HID_REPORT_OUTPUT]), thread_(std::move(thread)) {}

    ~HidrawDevice() override {
        writer_->stop.store(true);
        writer_->wake();
        // A write still blocked in the kernel is not waited for: the writer
        // closes the node when it returns.
        if (writer_->submitted.load() != writer_->completed.load()) {
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
        const auto idle = [&] {
            return w.completed.load(std::memory_order_acquire) == w.submitted.load(std::memory_order_relaxed);
        };
        // Only this thread submits, so once idle the writer stays idle.
        if (!w.await(idle, HIDRAW_CALLER_SPIN, deadline)) return HidIoStatus::timeout;
        std::memcpy(w.report.data(), report, wanted);
        w.length = wanted;
        w.submitted.fetch_add(1, std::memory_order_release);
        w.wake();
        if (!w.await(idle, HIDRAW_CALLER_SPIN, deadline)) return HidIoStatus::timeout;
        return w.result.load();
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
