// The dialog's Download, firmware-link and command handlers on the headless
// host, against a scripted HID backend.
#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>
#include <thread>
#include <cstring>
#include <fstream>

#include "control/receive_thread.h"
#include "tests/ui/dialog_fixture.h"
#include "tests/usb/fake_hid_backend.h"
#include "catalogue/target_catalogue.h"
#include "usb/hid_link.h"

namespace fs = std::filesystem;

namespace {

constexpr int kButtons[] = {IDC_CALIBRATION, IDC_STRESS_TEST, IDC_READ,      IDC_WRITE,
                            IDC_SET_VOLTAGE, IDC_SAVE_CALIBRATION, IDC_SAVE_STRESS, IDC_DOWNLOAD};

class LinkTest : public DialogTest {
protected:
    LinkTest() {
        dir = fs::temp_directory_path() / ("orvane-control-" + std::to_string(::testing::UnitTest::GetInstance()->random_seed()) +
                                           "-" + ::testing::UnitTest::GetInstance()->current_test_info()->name());
        fs::create_directories(dir / "bin");
        old_cwd = fs::current_path();
        fs::current_path(dir);
        hid_link().backend = &backend;
        hid_link().vendor_id = usb_vendor_id();
    }
    ~LinkTest() override {
        dlg.StopReceiveLoop();
        hid_close_device();
        hid_link().backend = nullptr;
        fs::current_path(old_cwd);
        fs::remove_all(dir);
    }
    std::string buttons() {
        std::string s;
        for (int id : kButtons) s += host.control(id).enabled ? '1' : '0';
        return s;
    }
    void write_file(const fs::path& p, const std::string& content) { std::ofstream(p, std::ios::binary) << content; }
    FakeInterface& board() { return backend.add("hid0", usb_vendor_id(), target_profile(0).usb_pid, 65, 65); }
    // A firmware link up on an open device, without the download.
    std::shared_ptr<FakeDeviceState> link_up() {
        auto state = board().state;
        EXPECT_TRUE(hid_find_device(target_profile(0).usb_pid, nullptr));
        EXPECT_TRUE(hid_open_device());
        hid_link().output_report[0] = 2;
        dlg.m_bLinkUp = 1;
        return state;
    }
    std::vector<int> last_payload(const FakeDeviceState& s, std::size_t n) {
        const auto& r = s.written.back();
        EXPECT_EQ(r[0], 2);
        return std::vector<int>(r.begin() + 1, r.begin() + 1 + static_cast<long>(n));
    }

    void enable_all() { for (int id : kButtons) host.enable(id, true); }
    fs::path dir, old_cwd;
    FakeHidBackend backend;
};

TEST_F(LinkTest, DownloadFailuresReportTheirStepAndLeaveOnlyDownload) {
    write_file("good.inc", "setmem /32 0x020E0000 = 0x1\n");
    write_file("bad.inc", "setmem /32 0x020E0000 = 0xZZ\n");
    struct Case {
        const char16_t* path;
        bool firmware;
        bool with_board;
        const char* ends_with;
    } cases[] = {
        {u"", true, false, "ERROR: Please load script file!!\r\n"},
        {u"missing.inc", true, false, "ERROR: can not open script file\r\n"},
        {u"bad.inc", true, false, "ERROR: Syntax error in script file. Please use INC format"},
#ifdef _WIN32  // the catalogue's name stands as written on Windows
        {u"good.inc", false, false, "ERROR: 'bin\\ddr-test-kt310.bin' is not found !!!\r\n"},
#else
        {u"good.inc", false, false, "ERROR: 'bin/ddr-test-kt310.bin' is not found !!!\r\n"},
#endif
        {u"good.inc", true, false, "ERROR: Can't open USB device!!!\r\n"},
        {u"good.inc", true, true,
         "ERROR: rom_check_qel() failed.Please make sure board connected and in serial download mode.\r\n"},
    };
    for (const Case& c : cases) {
        backend.interfaces.clear();
        fs::remove("bin/ddr-test-kt310.bin");
        if (c.firmware) write_file("bin/ddr-test-kt310.bin", std::string(100, 'F'));
        if (c.with_board) board();
        dlg.m_strOutput.clear();
        host.set_text(IDC_OUTPUT, u"");
        host.set_text(IDC_SCRIPT_PATH, c.path);
        ASSERT_TRUE(host.click(IDC_DOWNLOAD));
        const std::string out = narrow(text(IDC_OUTPUT));
        EXPECT_TRUE(out.size() >= std::strlen(c.ends_with) &&
                    out.compare(out.size() - std::strlen(c.ends_with), std::string::npos, c.ends_with) == 0)
            << out;
        EXPECT_EQ(buttons(), "00000001") << c.ends_with;
        EXPECT_EQ(dlg.m_bLinkUp, 0);
        EXPECT_FALSE(hid_link().device) << "a device opened on a failing path is closed";
    }
}

TEST_F(LinkTest, StatusCodesSetTheButtons) {
    struct Case {
        unsigned code;
        const char* before;
        const char* after;
    } cases[] = {
        {1, "00000000", "11111101"}, {2, "00000010", "11111111"}, {4, "00000000", "11111011"},
        {5, "00000100", "11111111"}, {3, "00000000", "11111001"}, {10, "00000110", "11111111"},
        {0, "11111111", "00000001"}, {11, "11111111", "00000001"}, {200, "11111111", "00000001"},
        {255, "11111110", "00000001"},
    };
    for (const Case& c : cases) {
        for (int i = 0; i < 8; ++i) host.enable(kButtons[i], c.before[i] == '1');
        host.post_message(WM_TARGET_STATUS, c.code, 0);
        host.run_pending();
        EXPECT_EQ(buttons(), c.after) << "code " << c.code;
    }
}

TEST_F(LinkTest, CommandsSendTheirPacketsByteExact) {
    auto state = link_up();
    host.select_all(IDC_DDR_FREQ);
    host.type_text(IDC_DDR_FREQ, u"528");
    host.select_all(IDC_MR1);
    host.type_text(IDC_MR1, u"0046");
    enable_all();
    ASSERT_TRUE(host.click(IDC_CALIBRATION));
    EXPECT_EQ(last_payload(*state, 5), (std::vector<int>{0, 3, 2, 0x10, 0x46}));
    EXPECT_EQ(buttons(), "00000000");

    enable_all();
    host.select_all(IDC_START_FREQ);
    host.type_text(IDC_START_FREQ, u"400");
    host.select_all(IDC_END_FREQ);
    host.type_text(IDC_END_FREQ, u"528");
    host.click(IDC_OVER_NIGHT);
    ASSERT_TRUE(host.click(IDC_STRESS_TEST));
    EXPECT_EQ(last_payload(*state, 7), (std::vector<int>{1, 5, 1, 0x90, 2, 0x10, 1}));

    enable_all();
    host.type_text(IDC_ADDR, u"80000000");
    host.choose(IDC_READ_SIZE, 2);
    ASSERT_TRUE(host.click(IDC_READ));
    EXPECT_EQ(last_payload(*state, 7), (std::vector<int>{3, 5, 0x80, 0, 0, 0, 8}));
    EXPECT_EQ(buttons(), "00000111") << "Read leaves Download and Save Result alone";

    enable_all();
    host.select_all(IDC_ADDR);
    host.type_text(IDC_ADDR, u"10000000");
    host.type_text(IDC_DATA, u"12345678");
    ASSERT_TRUE(host.click(IDC_WRITE));
    EXPECT_EQ(last_payload(*state, 10), (std::vector<int>{4, 8, 0x10, 0, 0, 0, 0x12, 0x34, 0x56, 0x78}));

    enable_all();
    host.choose(IDC_VDD_SOC_MODE, 1);
    host.click(IDC_VDD_SOC_DOWN);
    host.click(IDC_VDD_SOC_DOWN);
    ASSERT_TRUE(host.click(IDC_SET_VOLTAGE));
    EXPECT_EQ(last_payload(*state, 4), (std::vector<int>{2, 2, 0xCC, 0x0E}));
    EXPECT_EQ(state->written.back()[5], 0) << "rest of the report zero";
    EXPECT_EQ(host.boxes().size(), 1u) << "the access warning once";
}

TEST_F(LinkTest, RefusedInputSendsNothing) {
    auto state = link_up();
    struct Case {
        int field;
        const char16_t* value;
        int button;
        const char16_t* box;
    } cases[] = {
        {IDC_MR1, u"46", IDC_CALIBRATION, u"Please input 4 HEX digits in MR Value"},
        {IDC_MR1, u"00G6", IDC_CALIBRATION, u"Please input 4 HEX digits in MR Value"},
        {IDC_START_FREQ, u"600", IDC_STRESS_TEST, u"DDR Start frequency MUST be no greater than end frequency"},
        {IDC_ADDR, u"", IDC_READ, u"Please input HEX digits in ADDR"},
        {IDC_ADDR, u"12x", IDC_WRITE, u"Please input HEX digits in ADDR"},
        {IDC_DATA, u"", IDC_WRITE, u"Please input HEX digits in DATA"},
    };
    host.type_text(IDC_ADDR, u"1000");
    for (const Case& c : cases) {
        enable_all();
        host.select_all(c.field);
        host.type_text(c.field, c.value);
        host.clear_boxes();
        const std::size_t sent = state->written.size();
        ASSERT_TRUE(host.click(c.button));
        ASSERT_FALSE(host.boxes().empty());
        EXPECT_EQ(host.boxes().back().text, c.box);
        EXPECT_EQ(state->written.size(), sent);
        EXPECT_EQ(buttons(), "11111111");
        if (c.field == IDC_ADDR) {
            host.select_all(IDC_ADDR);
            host.type_text(IDC_ADDR, u"1000");
        }
    }
}

TEST_F(LinkTest, ReceiveLoopShowsTextWholeAndPostsStatus) {
    board();
    ASSERT_TRUE(hid_find_device(target_profile(0).usb_pid, nullptr));
    ASSERT_TRUE(hid_open_device());
    auto& st = *backend.interfaces[0].state;
    st.queue_report({'a', 0xC3}, 65);                      // "ä" split over two reports
    st.queue_report({0xA4, 'b', 0, 'X'}, 65);
    st.queue_report({0xAA, 0xBB, 0xCC, 0x01, 'h', 'i'}, 65);  // text after a frame is not shown
    std::vector<std::uint8_t> full(64, 'z');
    st.queue_report(full, 65);
    ASSERT_TRUE(receive_thread_start(dlg));
    dlg.m_bLinkUp = 1;
    const std::u16string want = u"a\u00e4b" + std::u16string(64, u'z');
    // The loop runs on its own thread: wait for it in real time, bounded.
    bool shown = false;
    for (int i = 0; i < 2000 && !shown; ++i) {
        host.run_pending();
        shown = text(IDC_OUTPUT) == want && host.control(IDC_SAVE_CALIBRATION).enabled;
        if (!shown) std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
    EXPECT_TRUE(shown);
    dlg.StopReceiveLoop();
    host.run_pending();
    EXPECT_EQ(text(IDC_OUTPUT), want);
}

// Reply words of a boot ROM that accepts everything, little endian.
void queue_rom_session(FakeDeviceState& st, std::uint32_t security) {
    auto word = [&](std::uint32_t w) {
        st.queue_report({static_cast<std::uint8_t>(w), static_cast<std::uint8_t>(w >> 8),
                         static_cast<std::uint8_t>(w >> 16), static_cast<std::uint8_t>(w >> 24)},
                        65);
    };
    word(security);  // security query
    word(0);
    word(security);  // image
    word(0x88888888u);
    word(security);  // jump
}

class DownloadTest : public LinkTest {
protected:
    std::shared_ptr<FakeDeviceState> prepare(std::uint32_t security) {
        write_file("empty.inc", "");  // no register writes
        write_file("bin/ddr-test-kt310.bin", "FW");
        host.set_text(IDC_SCRIPT_PATH, u"empty.inc");
        auto st = board().state;
        queue_rom_session(*st, security);
        return st;
    }
};

TEST_F(DownloadTest, SuccessClearsThePaneAndEnablesTheCommands) {
    auto st = prepare(0x56787856u);
    ASSERT_TRUE(host.click(IDC_DOWNLOAD));
    EXPECT_EQ(dlg.m_bLinkUp, 1);
    EXPECT_EQ(text(IDC_OUTPUT), u"");
    EXPECT_EQ(buttons(), "11111001");
    const auto& sync = st->written.back();
    EXPECT_EQ(std::vector<int>(sync.begin(), sync.begin() + 9),
              (std::vector<int>{2, 0xA5, 0x63, 0, 0, 0, 0, 0, 0}));
    // Download again while the link is up: the loop stops and the device
    // closes before the script is looked at.
    host.set_text(IDC_SCRIPT_PATH, u"");
    ASSERT_TRUE(host.click(IDC_DOWNLOAD));
    EXPECT_EQ(dlg.m_bLinkUp, 0);
    EXPECT_FALSE(dlg.m_receiveThread.joinable());
    EXPECT_EQ(buttons(), "00000001");
}

TEST_F(DownloadTest, ProductionModeSendsNoRegisterWrite) {
    write_file("one.inc", "setmem /32 0x020E0000 = 0x1\n");
    auto st = prepare(0x12343412u);
    host.set_text(IDC_SCRIPT_PATH, u"one.inc");
    ASSERT_TRUE(host.click(IDC_DOWNLOAD));
    EXPECT_EQ(st->written.size(), 1u) << "only the security query went out";
    EXPECT_NE(narrow(text(IDC_OUTPUT)).find("ERROR: QEL_TYPE: PRODUCT. Not supported yet.\r\n"),
              std::string::npos);
    EXPECT_EQ(buttons(), "00000001");
}

TEST_F(DownloadTest, ThreadThatCannotStartLeavesTheLinkDown) {
    prepare(0x56787856u);
    receive_thread_set_starter([](COrvaneDlg&) { return false; });
    host.click(IDC_DOWNLOAD);
    receive_thread_set_starter(nullptr);
    EXPECT_EQ(dlg.m_bLinkUp, 0);
    EXPECT_EQ(narrow(text(IDC_OUTPUT)), "ERROR: can not start the receive thread\r\n");
    EXPECT_EQ(buttons(), "00000001");
    EXPECT_FALSE(hid_link().device);
}

// The board vanishes after the first discovery and comes back on the given
// enumeration (0: never).
class ComingBackBackend final : public HidBackend {
public:
    ComingBackBackend(HidBackend& inner, int back_on) : inner_(inner), back_on_(back_on) {}
    std::vector<std::string> enumerate() override {
        ++calls;
        if (calls == 1 || (back_on_ > 0 && calls >= back_on_)) return inner_.enumerate();
        return {};
    }
    bool probe(const std::string& p, HidDeviceInfo* i) override { return inner_.probe(p, i); }
    std::unique_ptr<HidDevice> open(const std::string& p) override { return inner_.open(p); }
    int calls = 0;

private:
    HidBackend& inner_;
    int back_on_;
};

TEST_F(DownloadTest, FirmwarePolledUpTo500Times) {
    struct Case {
        int back_on;  // enumeration call: 1 discovery of the ROM, then one per poll
        bool up;
    } cases[] = {{501, true}, {502, false}, {0, false}};
    for (const Case& c : cases) {
        dlg.StopReceiveLoop();
        hid_close_device();
        dlg.m_bLinkUp = 0;
        backend.interfaces.clear();
        auto st = prepare(0x56787856u);
        ComingBackBackend coming(backend, c.back_on);
        hid_link().backend = &coming;
        host.set_text(IDC_OUTPUT, u"");
        dlg.m_strOutput.clear();
        const std::int64_t start = clock.now_ms();
        host.click(IDC_DOWNLOAD);
        EXPECT_EQ(dlg.m_bLinkUp, c.up ? 1 : 0) << c.back_on;
        if (!c.up) {
            EXPECT_EQ(coming.calls, 501);
            EXPECT_EQ(clock.now_ms() - start, 2000 + 500 * 100);
            const std::string out = narrow(text(IDC_OUTPUT));
            EXPECT_EQ(out.substr(out.size() - 24), "ERROR: download failed\r\n");
            EXPECT_EQ(buttons(), "00000001");
        }
        dlg.StopReceiveLoop();
        hid_link().backend = &backend;
    }
}

TEST_F(DownloadTest, BootRomRepliesThatFail) {
    write_file("one.inc", "setmem /32 0x020E0000 = 0x1\n");
    struct Case {
        std::vector<std::uint32_t> words;
        const char* message;
    } cases[] = {
        {{0x56787856u, 0, 0x56787856u, 0x12345678u}, "ERROR: Write dcd failed.\r\n"},
        {{0x56787856u, 0, 0x56787856u, 0x128A8A12u}, "ERROR: download Image to IRAM failed\r\n"},
    };
    for (const Case& c : cases) {
        backend.interfaces.clear();
        write_file("bin/ddr-test-kt310.bin", "FW");
        host.set_text(IDC_SCRIPT_PATH, u"one.inc");
        auto st = board().state;
        for (std::uint32_t w : c.words)
            st->queue_report({static_cast<std::uint8_t>(w), static_cast<std::uint8_t>(w >> 8),
                              static_cast<std::uint8_t>(w >> 16), static_cast<std::uint8_t>(w >> 24)}, 65);
        host.set_text(IDC_OUTPUT, u"");
        dlg.m_strOutput.clear();
        host.click(IDC_DOWNLOAD);
        const std::string out = narrow(text(IDC_OUTPUT));
        const std::string want = c.message;
        EXPECT_TRUE(out.size() >= want.size() && out.substr(out.size() - want.size()) == want) << out;
        EXPECT_FALSE(hid_link().device);
        EXPECT_EQ(buttons(), "00000001");
    }
}

}  // namespace
