// Boards that misbehave during a Download, through the headless dialog: a
// boot ROM that answers every command with the wrong word, one that leaves
// the bus in the middle of the image, and a firmware that floods the link
// with reports. Each gets its message, leaves the device closed and only
// Download enabled, and a following Download on a good board works.
#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <cstring>
#include <deque>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

#include "control/receive_thread.h"
#include "tests/sim/sim_session_fixture.h"
#include "usb/rom_commands.h"

namespace {

constexpr std::uint32_t kWrongWord = 0x0BADF00D;

// What one hostile board does; shared by its interface and open handles.
struct HostileState {
    std::uint16_t product_id = 0;
    bool present = true;
    bool wrong_words = false;       // every reply word is kWrongWord
    int gone_after_image_reports = -1;  // leaves the bus after that many image reports
    int image_reports = 0;
    int open_handles = 0;
    std::deque<std::uint32_t> replies;
    std::mutex lock;
};

// A boot ROM with the simulated board's report layout (output 1025, input
// 65): replies to each command block as a real ROM does, unless told to
// misbehave.
class HostileRom final : public HidDevice {
public:
    explicit HostileRom(std::shared_ptr<HostileState> s) : s_(std::move(s)) {
        std::lock_guard g(s_->lock);
        ++s_->open_handles;
    }
    ~HostileRom() override {
        std::lock_guard g(s_->lock);
        --s_->open_handles;
    }
    HidIoStatus write_report(const std::uint8_t* report, std::size_t length, int) override {
        std::lock_guard g(s_->lock);
        if (!s_->present || length < 3) return HidIoStatus::error;
        if (report[0] == ROM_REPORT_ID_DATA) {
            if (s_->gone_after_image_reports >= 0 && s_->image_reports == s_->gone_after_image_reports) {
                s_->present = false;
                return HidIoStatus::error;
            }
            ++s_->image_reports;
            return HidIoStatus::ok;
        }
        const std::uint16_t command = static_cast<std::uint16_t>(report[1] << 8 | report[2]);
        const std::uint32_t security = ROM_SECURITY_OPEN;
        switch (command) {
        case 0x0505: reply({security, security}); break;
        case 0x0202: reply({security, ROM_DCD_COMPLETE}); break;
        case 0x0404: reply({security, ROM_FILE_COMPLETE}); break;
        case 0x0B0B: reply({security}); break;
        default: break;
        }
        return HidIoStatus::ok;
    }
    HidIoStatus read_report(std::uint8_t* buffer, std::size_t capacity, std::size_t* received, int) override {
        std::lock_guard g(s_->lock);
        if (!s_->present) return HidIoStatus::error;
        if (s_->replies.empty() || capacity < 5) return HidIoStatus::timeout;
        const std::uint32_t word = s_->wrong_words ? kWrongWord : s_->replies.front();
        s_->replies.pop_front();
        std::memset(buffer, 0, capacity);
        buffer[0] = 3;
        for (int i = 0; i < 4; ++i) buffer[1 + i] = static_cast<std::uint8_t>(word >> (8 * i));
        *received = 5;
        return HidIoStatus::ok;
    }

private:
    void reply(std::initializer_list<std::uint32_t> words) {
        for (std::uint32_t w : words) s_->replies.push_back(w);
    }
    std::shared_ptr<HostileState> s_;
};

class HostileBackend final : public HidBackend {
public:
    explicit HostileBackend(std::shared_ptr<HostileState> s) : s_(std::move(s)) {}
    std::vector<std::string> enumerate() override {
        std::lock_guard g(s_->lock);
        if (!s_->present) return {};
        return {"hostile-rom"};
    }
    bool probe(const std::string&, HidDeviceInfo* info) override {
        std::lock_guard g(s_->lock);
        if (!s_->present) return false;
        *info = {usb_vendor_id(), s_->product_id, 65, 1025};
        return true;
    }
    std::unique_ptr<HidDevice> open(const std::string&) override {
        {
            std::lock_guard g(s_->lock);
            if (!s_->present) return nullptr;
        }
        return std::make_unique<HostileRom>(s_);
    }

private:
    std::shared_ptr<HostileState> s_;
};

class HostileDevice : public SimSession {
protected:
    // A hostile board of target row 0 on the bus instead of the simulated one.
    std::shared_ptr<HostileState> plug_hostile() {
        auto state = std::make_shared<HostileState>();
        state->product_id = target_profile(0).usb_pid;
        hostile_ = std::make_unique<HostileBackend>(state);
        hid_link().backend = hostile_.get();
        return state;
    }
    // The simulated (good) board back on the bus.
    void plug_good_board() { hid_link().backend = &board(); }

    void expect_clean_failure(const std::string& last_line) {
        const std::string out = pane();
        EXPECT_TRUE(ends_with(out, last_line)) << out;
        EXPECT_EQ(buttons(), "00000001");
        EXPECT_FALSE(dlg().m_bLinkUp);
        EXPECT_FALSE(hid_link().device) << "the device is closed";
    }
    void expect_good_download() {
        plug_good_board();
        EXPECT_EQ(download(), "");
        EXPECT_TRUE(dlg().m_bLinkUp);
        EXPECT_EQ(buttons(), "11111001");
    }

    std::unique_ptr<HostileBackend> hostile_;
};

TEST_F(HostileDevice, RomThatAnswersEveryCommandWithTheWrongWord) {
    start();
    auto rom = plug_hostile();
    rom->wrong_words = true;
    download();
    expect_clean_failure(
        "ERROR: rom_check_qel() failed.Please make sure board connected and in serial download mode.\r\n");
    EXPECT_EQ(rom->open_handles, 0);
    EXPECT_EQ(rom->image_reports, 0);
    expect_good_download();
}

TEST_F(HostileDevice, RomThatLeavesTheBusDuringTheImage) {
    start();
    auto rom = plug_hostile();
    rom->gone_after_image_reports = 1;  // the 3000-byte image takes 3 reports
    download();
    expect_clean_failure("ERROR: download Image to IRAM failed\r\n");
    EXPECT_EQ(rom->open_handles, 0);
    EXPECT_EQ(rom->image_reports, 1);
    // Still gone: the next Download finds no board, says so and stays usable.
    download();
    expect_clean_failure("ERROR: Can't open USB device!!!\r\n");
    expect_good_download();
}

// A firmware that sends reports as fast as the link takes them, each a
// numbered line or now and then a status frame, and never a pause.
class FloodingFirmware final : public HidDevice {
public:
    explicit FloodingFirmware(std::atomic<long>* sent) : sent_(sent) {}
    HidIoStatus write_report(const std::uint8_t*, std::size_t, int) override { return HidIoStatus::ok; }
    HidIoStatus read_report(std::uint8_t* buffer, std::size_t capacity, std::size_t* received, int) override {
        const long n = sent_->load();
        std::memset(buffer, 0, capacity);
        buffer[0] = 4;
        if (n % 50 == 49) {
            const std::uint8_t frame[] = {0xAA, 0xBB, 0xCC, 3};
            std::memcpy(buffer + 1, frame, sizeof frame);
        } else {
            const std::string line = "L" + std::to_string(n) + "\r\n";
            std::memcpy(buffer + 1, line.data(), std::min(line.size(), capacity - 1));
        }
        *received = capacity;
        sent_->store(n + 1);
        return HidIoStatus::ok;
    }

private:
    std::atomic<long>* sent_;
};

class FloodBackend final : public HidBackend {
public:
    std::atomic<long> sent{0};
    std::vector<std::string> enumerate() override { return {"flood"}; }
    bool probe(const std::string&, HidDeviceInfo* info) override {
        *info = {usb_vendor_id(), target_profile(0).usb_pid, 65, 65};
        return true;
    }
    std::unique_ptr<HidDevice> open(const std::string&) override {
        return std::make_unique<FloodingFirmware>(&sent);
    }
};

TEST_F(HostileDevice, FirmwareThatFloodsTheLinkCanBeStoppedAndLosesNothing) {
    start();
    std::string shown;  // everything appended to the pane, in order
    host.set_edit_listener([&](int id, EditChange change, std::u16string_view text) {
        if (id == IDC_OUTPUT && change == EditChange::appended) shown += utf16_to_utf8(text);
    });
    FloodBackend flood;
    hid_link().backend = &flood;
    ASSERT_EQ(hid_find_device(target_profile(0).usb_pid, nullptr), 1);
    ASSERT_EQ(hid_open_device(), 1);
    dlg().m_bLinkUp = 1;
    ASSERT_TRUE(receive_thread_start(dlg()));
    // The window thread keeps working meanwhile; the loop never waits for it.
    while (flood.sent.load() < 20000) host.run_pending();
    // Download tears the flooding link down and goes on to the good board.
    plug_good_board();
    EXPECT_EQ(download(), "");
    EXPECT_TRUE(dlg().m_bLinkUp);
    host.run_pending();

    // Every report the loop took is in the pane once and in order: the text
    // lines and the status frames together account for all of them.
    const long total = flood.sent.load();
    std::vector<long> lines;
    std::size_t at = 0;
    while ((at = shown.find('L', at)) != std::string::npos) {
        const std::size_t end = shown.find("\r\n", at);
        if (end == std::string::npos) break;
        const std::string digits = shown.substr(at + 1, end - at - 1);
        if (!digits.empty() && digits.find_first_not_of("0123456789") == std::string::npos)
            lines.push_back(std::stol(digits));
        at = end;
    }
    long expected = 0;
    for (long n : lines) {
        if (expected % 50 == 49) ++expected;  // a status frame, not a line
        ASSERT_EQ(n, expected);
        ++expected;
    }
    EXPECT_EQ(static_cast<long>(lines.size() + dlg().codes.size()), total);
    for (int code : dlg().codes) EXPECT_EQ(code, 3);
}

TEST_F(HostileDevice, WindowClosedDuringAFloodStopsTheLoopAndClosesTheDevice) {
    start();
    FloodBackend flood;
    hid_link().backend = &flood;
    ASSERT_EQ(hid_find_device(target_profile(0).usb_pid, nullptr), 1);
    ASSERT_EQ(hid_open_device(), 1);
    dlg().m_bLinkUp = 1;
    ASSERT_TRUE(receive_thread_start(dlg()));
    while (flood.sent.load() < 5000) host.run_pending();
    host.press_escape();
    EXPECT_TRUE(host.ended());
    EXPECT_FALSE(dlg().m_receiveThread.joinable());
    EXPECT_FALSE(hid_link().device);
    const long sent = flood.sent.load();
    EXPECT_EQ(flood.sent.load(), sent) << "nothing reads after the close";
    // Everything the loop took before the close reached the pane, and its
    // status codes are still in the window's queue in order.
    host.run_pending();
    const std::string text = pane();
    const std::size_t lines = static_cast<std::size_t>(std::count(text.begin(), text.end(), '\n'));
    EXPECT_EQ(static_cast<long>(lines + dlg().codes.size()), sent);
}

}  // namespace
