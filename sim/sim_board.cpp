#include "sim/sim_board.h"

#include <algorithm>
#include <cstring>
#include <deque>

#include "catalogue/target_catalogue.h"
#include "sim/sim_firmware.h"
#include "sim/sim_rom.h"

namespace {

// Report lengths, each counting the report-ID byte: the ROM takes 16-byte
// command blocks (ID 1) and 1024-byte data reports (ID 2) and answers with
// 4-byte words (ID 3; ID 4 carries 64 bytes); the firmware uses 64-byte
// reports both ways.
constexpr std::uint16_t ROM_INPUT_LENGTH = 65;
constexpr std::uint16_t ROM_OUTPUT_LENGTH = 1025;
constexpr std::uint16_t FW_INPUT_LENGTH = 65;
constexpr std::uint16_t FW_OUTPUT_LENGTH = 65;
constexpr std::uint8_t ROM_REPLY_ID = 3;
constexpr std::uint8_t FW_INPUT_ID = 4;
constexpr std::size_t FW_TEXT_MAX = FW_INPUT_LENGTH - 1;

// The host waits 1 s, closes, waits 1 s, then polls every 100 ms: a board
// that is back at jump + 2000 + 100 * (N - 1) + 50 is found on poll N.
constexpr std::int64_t HOST_SETTLE_MS = 2000;
constexpr std::int64_t HOST_POLL_MS = 100;
constexpr std::int64_t STATUS_AFTER_TEXT_MS = 10;

enum class Role { rom, firmware };
enum class Mode { rom, booting, firmware, gone };

struct QueuedReport {
    std::int64_t ready_at;
    std::vector<std::uint8_t> bytes;
    bool firmware;
};

// One open device: shared by the HidDevice object and its board.
struct Handle {
    int board;
    Role role;
    bool detached = false;  // the device left the bus under it: every call fails
    bool leaving = false;   // the ROM jumped: queued replies still come, then it fails
    std::deque<QueuedReport> inbox;
};

struct Board {
    int target = 0;
    Mode mode = Mode::rom;
    std::int64_t back_at = -1;  // booting: when the firmware is on the bus; -1 never
    std::int64_t next_ready = 0;
    SimRomState rom;
    SimFirmwareState fw;
    SimBoardRecord rec;
    std::vector<std::shared_ptr<Handle>> handles;
};

std::string path_of(const Board& b, Role role) {
    std::string name;
    for (const char16_t* p = target_profile(b.target).name; *p; ++p) name += static_cast<char>(*p);
    return "sim:" + name + (role == Role::rom ? ":rom" : ":firmware");
}

// Cuts firmware text into report payloads. Normally a cut never falls inside
// a character; with split set, every multi-byte character is cut after its
// first byte, as a firmware with a byte-oriented output buffer would.
std::vector<std::string> cut_text(const std::string& text, bool split) {
    std::vector<std::string> chunks;
    std::size_t start = 0;
    while (start < text.size()) {
        std::size_t end = std::min(text.size(), start + FW_TEXT_MAX);
        if (split) {
            for (std::size_t i = start; i < end; ++i)
                if (static_cast<unsigned char>(text[i]) >= 0xC0) {
                    end = i + 1;
                    break;
                }
        } else {
            while (end < text.size() && end > start + 1 &&
                   (static_cast<unsigned char>(text[end]) & 0xC0) == 0x80)
                --end;
        }
        chunks.push_back(text.substr(start, end - start));
        start = end;
    }
    return chunks;
}

}  // namespace

struct SimBoard::Impl {
    Impl(Clock& c, std::uint16_t vid, SimScenarios s) : clock(c), vendor_id(vid), sc(s) {}

    Clock& clock;
    std::uint16_t vendor_id;
    SimScenarios sc;
    mutable std::mutex lock;
    std::vector<Board> boards;

    void refresh(Board& b, std::int64_t now) {
        if (b.mode == Mode::booting && b.back_at >= 0 && now >= b.back_at) {
            b.mode = Mode::firmware;
            b.fw.synced = false;
            b.next_ready = now;
        }
    }

    bool present(const Board& b, Role role) const {
        if (sc.no_board) return false;
        return role == Role::rom ? b.mode == Mode::rom : b.mode == Mode::firmware;
    }

    Board* find(const std::string& path, Role* role) {
        const std::int64_t now = clock.now_ms();
        for (Board& b : boards) {
            for (Role r : {Role::rom, Role::firmware}) {
                if (path != path_of(b, r)) continue;
                refresh(b, now);
                *role = r;
                return &b;
            }
        }
        return nullptr;
    }

    void detach_all(Board& b) {
        for (auto& h : b.handles) {
            h->detached = true;
            h->inbox.clear();
        }
    }

    void reset(Board& b) {
        detach_all(b);
        b.mode = Mode::rom;
        b.back_at = -1;
        b.rom.receiving = false;
        b.fw.synced = false;
    }

    void queue(Board& b, Handle& h, std::int64_t at, std::vector<std::uint8_t> bytes, bool firmware) {
        h.inbox.push_back({at, std::move(bytes), firmware});
        (void)b;
    }

    void queue_rom_word(Board& b, Handle& h, std::uint32_t word, std::int64_t now) {
        std::vector<std::uint8_t> r(ROM_INPUT_LENGTH, 0);
        r[0] = ROM_REPLY_ID;
        // The word's first byte is its lowest: the host reads it little-endian.
        for (int i = 0; i < 4; ++i) r[1 + i] = static_cast<std::uint8_t>(word >> (8 * i));
        queue(b, h, now, std::move(r), false);
    }

    void queue_firmware_reply(Board& b, Handle& h, const SimFirmwareReply& reply, std::int64_t now) {
        std::int64_t t = std::max(now, b.next_ready);
        for (const SimLine& line : reply.lines) {
            t += line.delay_ms;
            for (const std::string& chunk : cut_text(line.text, sc.split_utf8)) {
                std::vector<std::uint8_t> r(FW_INPUT_LENGTH, 0);
                r[0] = FW_INPUT_ID;
                std::memcpy(r.data() + 1, chunk.data(), chunk.size());
                queue(b, h, t, std::move(r), true);
            }
        }
        if (reply.status >= 0) {
            t += STATUS_AFTER_TEXT_MS;
            std::vector<std::uint8_t> r(FW_INPUT_LENGTH, 0);
            r[0] = FW_INPUT_ID;
            r[1] = 0xAA;
            r[2] = 0xBB;
            r[3] = 0xCC;
            r[4] = static_cast<std::uint8_t>(reply.status);
            queue(b, h, t, std::move(r), true);
        }
        b.next_ready = t;
    }

    // Handles one output report; true when it was taken, false for a
    // time-out (the caller waits the time-out out without the lock).
    HidIoStatus write(Handle& h, const std::uint8_t* report, std::size_t length) {
        Board& b = boards[static_cast<std::size_t>(h.board)];
        const std::int64_t now = clock.now_ms();
        refresh(b, now);
        if (h.detached || h.leaving) return HidIoStatus::error;
        if (h.role == Role::rom) {
            if (b.mode != Mode::rom || length != ROM_OUTPUT_LENGTH) return HidIoStatus::error;
            const SimRomResult r = sim_rom_take_report(b.rom, report, length);
            if (r.stalled) return HidIoStatus::timeout;
            for (std::uint32_t word : r.replies) queue_rom_word(b, h, word, now);
            if (r.register_written) b.rec.register_writes.push_back(r.item);
            if (r.image_complete) {
                b.rec.image = b.rom.image_rx;
                b.rec.image_addr = b.rom.image_addr;
            }
            if (r.jumped) {
                ++b.rec.jumps;
                b.rec.jump_addr = r.jump_addr;
                b.mode = Mode::booting;
                b.back_at = sc.no_firmware
                                ? -1
                                : now + HOST_SETTLE_MS + HOST_POLL_MS * (sc.firmware_after - 1) + HOST_POLL_MS / 2;
                h.leaving = true;
                for (auto& other : b.handles)
                    if (other.get() != &h) other->detached = true;
            }
            return HidIoStatus::ok;
        }
        if (b.mode != Mode::firmware || length != FW_OUTPUT_LENGTH || report[0] != 2) return HidIoStatus::error;
        const std::uint8_t* payload = report + 1;
        const std::size_t size = sim_firmware_packet_size(payload, length - 1);
        b.rec.packets.emplace_back(payload, payload + size);
        queue_firmware_reply(b, h, sim_firmware_take_packet(b.fw, payload, length - 1), now);
        return HidIoStatus::ok;
    }

    bool ready(const Handle& h) const {
        return h.detached || (h.leaving && h.inbox.empty()) ||
               (!h.inbox.empty() && h.inbox.front().ready_at <= clock.now_ms());
    }
};

namespace {

class SimDevice final : public HidDevice {
public:
    SimDevice(std::shared_ptr<SimBoard::Impl> impl, std::shared_ptr<Handle> handle)
        : impl_(std::move(impl)), h_(std::move(handle)) {}

    ~SimDevice() override {
        bool woke = false;
        {
            std::lock_guard guard(impl_->lock);
            Board& b = impl_->boards[static_cast<std::size_t>(h_->board)];
            auto& hs = b.handles;
            hs.erase(std::remove(hs.begin(), hs.end(), h_), hs.end());
            --b.rec.open_devices;
            // Closing the firmware's device resets the board into serial
            // download mode (the bench's reset line follows the host).
            if (h_->role == Role::firmware && !h_->detached && b.mode == Mode::firmware) {
                impl_->reset(b);
                woke = true;
            }
        }
        if (woke) impl_->clock.notify();
    }

    HidIoStatus write_report(const std::uint8_t* report, std::size_t length, int timeout_ms) override {
        HidIoStatus status;
        {
            std::lock_guard guard(impl_->lock);
            status = impl_->write(*h_, report, length);
        }
        if (status == HidIoStatus::timeout) {
            impl_->clock.sleep_for(timeout_ms);
        } else if (status == HidIoStatus::ok) {
            impl_->clock.notify();
        }
        return status;
    }

    HidIoStatus read_report(std::uint8_t* buffer, std::size_t capacity, std::size_t* received,
                            int timeout_ms) override {
        Clock& clock = impl_->clock;
        const std::int64_t deadline = clock.now_ms() + timeout_ms;
        for (;;) {
            std::int64_t wake = deadline;
            {
                std::lock_guard guard(impl_->lock);
                Board& b = impl_->boards[static_cast<std::size_t>(h_->board)];
                if (h_->detached) return HidIoStatus::error;
                if (h_->leaving && h_->inbox.empty()) {
                    h_->detached = true;
                    return HidIoStatus::error;
                }
                if (!h_->inbox.empty()) {
                    QueuedReport& front = h_->inbox.front();
                    if (front.ready_at <= clock.now_ms()) {
                        const std::size_t n = std::min(capacity, front.bytes.size());
                        std::memcpy(buffer, front.bytes.data(), n);
                        *received = n;
                        const bool firmware = front.firmware;
                        h_->inbox.pop_front();
                        if (firmware) deliver_firmware_report(b);
                        return HidIoStatus::ok;
                    }
                    wake = std::min(wake, front.ready_at);
                }
            }
            if (clock.now_ms() >= deadline) return HidIoStatus::timeout;
            clock.wait_until(wake, [this] {
                std::lock_guard guard(impl_->lock);
                return impl_->ready(*h_);
            });
        }
    }

private:
    void deliver_firmware_report(Board& b) {
        ++b.rec.firmware_reports;
        if (impl_->sc.unplug_after > 0 && b.rec.firmware_reports >= impl_->sc.unplug_after) {
            // The board leaves the bus: the host's next call fails.
            impl_->detach_all(b);
            b.mode = Mode::gone;
        }
    }

    std::shared_ptr<SimBoard::Impl> impl_;
    std::shared_ptr<Handle> h_;
};

}  // namespace

SimBoard::SimBoard(Clock& clock, std::uint16_t vendor_id, SimScenarios scenarios)
    : impl_(std::make_shared<Impl>(clock, vendor_id, scenarios)) {
    for (int t = 0; t < TARGET_COUNT; ++t) {
        if (scenarios.board >= 0 && scenarios.board != t) continue;
        Board b;
        b.target = t;
        b.rom.production = scenarios.production;
        b.rom.dcd_nak = scenarios.dcd_nak;
        b.rom.image_stall = scenarios.image_stall;
        b.fw.target = t;
        b.fw.max_freq = scenarios.max_freq;
        b.fw.status_override = scenarios.status;
        impl_->boards.push_back(std::move(b));
    }
}

SimBoard::~SimBoard() {
    // Devices still open keep the state alive; they fail from now on.
    {
        std::lock_guard guard(impl_->lock);
        for (Board& b : impl_->boards) impl_->detach_all(b);
    }
    impl_->clock.notify();
}

std::vector<std::string> SimBoard::enumerate() {
    std::vector<std::string> paths;
    std::lock_guard guard(impl_->lock);
    const std::int64_t now = impl_->clock.now_ms();
    for (Board& b : impl_->boards) {
        impl_->refresh(b, now);
        for (Role r : {Role::rom, Role::firmware})
            if (impl_->present(b, r)) paths.push_back(path_of(b, r));
    }
    return paths;
}

bool SimBoard::probe(const std::string& path, HidDeviceInfo* info) {
    std::lock_guard guard(impl_->lock);
    Role role;
    Board* b = impl_->find(path, &role);
    if (!b || !impl_->present(*b, role)) return false;
    info->vendor_id = impl_->vendor_id;
    info->product_id = target_profile(b->target).usb_pid;
    info->input_report_length = role == Role::rom ? ROM_INPUT_LENGTH : FW_INPUT_LENGTH;
    info->output_report_length = role == Role::rom ? ROM_OUTPUT_LENGTH : FW_OUTPUT_LENGTH;
    return true;
}

std::unique_ptr<HidDevice> SimBoard::open(const std::string& path) {
    std::lock_guard guard(impl_->lock);
    Role role;
    Board* b = impl_->find(path, &role);
    if (!b || !impl_->present(*b, role)) return nullptr;
    auto h = std::make_shared<Handle>();
    h->board = static_cast<int>(b - impl_->boards.data());
    h->role = role;
    b->handles.push_back(h);
    ++b->rec.open_devices;
    return std::make_unique<SimDevice>(impl_, std::move(h));
}

SimBoardRecord SimBoard::record(int target) const {
    std::lock_guard guard(impl_->lock);
    for (const Board& b : impl_->boards)
        if (b.target == target) return b.rec;
    return {};
}

void SimBoard::reset(int target) {
    {
        std::lock_guard guard(impl_->lock);
        for (Board& b : impl_->boards)
            if (b.target == target) impl_->reset(b);
    }
    impl_->clock.notify();
}
