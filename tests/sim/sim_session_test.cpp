// Whole sessions on the simulated board: Download from serial download mode
// to a running firmware, its failures with the operator's message, and the
// test commands with the firmware's answers and status codes.
#include "tests/sim/sim_session_fixture.h"

namespace {

constexpr const char* kOnlyDownload = "00000001";
constexpr const char* kLinkUp = "11111001";

TEST_F(SimSession, DownloadBringsUpTheFirmwareWithTheSettings) {
    start();
    host.choose(IDC_DDR_DENSITY, 1);  // "4GB"
    host.choose(IDC_ARM_SPEED, 1);    // "800MHz"
    host.choose(IDC_DDR_CS, 1);       // "ALL"
    host.choose(IDC_DDR_CHANNEL, 2);  // "ALL"
    EXPECT_EQ(download(), "") << "the pane is emptied when the link comes up";
    EXPECT_EQ(buttons(), kLinkUp);
    EXPECT_TRUE(dlg().m_bLinkUp);
    EXPECT_GE(clock.now_ms(), 2000) << "the fixed waits ran on the clock";

    const SimBoardRecord r = board().record(0);
    ASSERT_EQ(r.register_writes.size(), 2u);
    EXPECT_EQ(r.register_writes[1].addr, 0x021B0000u);
    EXPECT_EQ(r.register_writes[1].value, 0x800u);
    EXPECT_EQ(std::string(r.image.begin(), r.image.end()), image(0));
    EXPECT_EQ(r.image_addr, 0x00907000u);
    EXPECT_EQ(r.jump_addr, 0x00907000u);
    ASSERT_EQ(r.packets.size(), 1u);
    EXPECT_EQ(r.packets[0], (std::vector<std::uint8_t>{0xA5, 0x63, 0x0F, 0x00, 0x01, 0x02, 0x03, 0x20}));

    settle();
    const std::string banner = pane();
    EXPECT_NE(banner.find("KT310 DDR test firmware"), std::string::npos) << banner;
    EXPECT_NE(banner.find("DDR density code 0x0F00, CS ALL, channel ALL"), std::string::npos) << banner;
    EXPECT_NE(banner.find("ARM clock 800 MHz"), std::string::npos) << banner;
    EXPECT_NE(banner.find("Die temperature 41 °C"), std::string::npos) << banner;
}

TEST_F(SimSession, Kt410ReadsTheMemoryScriptAndLoadsAtItsAddress) {
    start();
    EXPECT_EQ(download(u"good.ds", 5), "");
    const SimBoardRecord r = board().record(5);
    ASSERT_EQ(r.register_writes.size(), 1u);
    EXPECT_EQ(r.register_writes[0].addr, 0x30400000u);
    EXPECT_EQ(r.image_addr, 0x00910000u);
    EXPECT_EQ(r.jump_addr, 0x00910000u);
    EXPECT_EQ(r.packets.at(0)[1], 0x70);
}

// Every way the Download fails on the board, with the operator's line, only
// Download enabled, the device closed and the board's view of it.
TEST_F(SimSession, DownloadFailuresOnTheBoard) {
    struct Case {
        const char* scenarios;
        const char* last_line;
        std::size_t register_writes;
        bool image_loaded;
    } cases[] = {
        {"no-board", "ERROR: Can't open USB device!!!\r\n", 0, false},
        {"production", "ERROR: QEL_TYPE: PRODUCT. Not supported yet.\r\n", 0, false},
        {"dcd-nak=2", "ERROR: Write dcd failed.\r\n", 1, false},
        {"image-stall=2", "ERROR: download Image to IRAM failed\r\n", 2, false},
        {"no-firmware", "ERROR: download failed\r\n", 2, true},
        {"firmware-after=501", "ERROR: download failed\r\n", 2, true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.scenarios);
        start(c.scenarios);
        const std::int64_t t0 = clock.now_ms();
        const std::string out = download();
        EXPECT_TRUE(ends_with(out, c.last_line)) << out;
        EXPECT_EQ(buttons(), kOnlyDownload);
        EXPECT_FALSE(dlg().m_bLinkUp);
        EXPECT_FALSE(hid_link().device) << "the device opened on the failing path is closed";
        const SimBoardRecord r = board().record(0);
        EXPECT_EQ(r.register_writes.size(), c.register_writes);
        EXPECT_EQ(!r.image.empty(), c.image_loaded);
        EXPECT_EQ(r.open_devices, 0);
        if (std::string(c.last_line) == "ERROR: download failed\r\n") {
            EXPECT_GE(clock.now_ms() - t0, 2000 + 500 * 100) << "all 500 polls ran";
        }
    }
}

TEST_F(SimSession, FirmwareBackOnTheLastPollIsAccepted) {
    start("firmware-after=500");
    EXPECT_EQ(download(), "");
    EXPECT_EQ(buttons(), kLinkUp);
}

TEST_F(SimSession, ScriptAndFileFailuresTouchNoBoard) {
    write_file("bad.ds", "# one bad value\nmemory set 0x30400000 32 0x1G\n");
    start();
    struct Case {
        const char16_t* script;
        int target;
        const char* tail;
    } cases[] = {
        {u"", 0, "ERROR: Please load script file!!\r\n"},
        {u"nowhere.inc", 0, "ERROR: can not open script file\r\n"},
        {u"bad.ds", 5,
         "Syntax error in line 2: value is not a valid num.\r\nERROR: Syntax error in script file. Please use ds5 format"},
    };
    for (const Case& c : cases) {
        host.set_text(IDC_OUTPUT, u"");
        dlg().m_strOutput.clear();
        EXPECT_TRUE(ends_with(download(c.script, c.target), c.tail)) << pane();
        EXPECT_EQ(buttons(), kOnlyDownload);
    }
    EXPECT_EQ(board().record(0).open_devices + board().record(5).open_devices, 0);
    EXPECT_TRUE(board().record(5).register_writes.empty());
}

TEST_F(SimSession, CommandsAnswerWithTextAndStatusCodes) {
    start("max-freq=500");
    download();
    settle();

    host.set_text(IDC_DDR_FREQ, u"400");
    EXPECT_EQ(command(IDC_CALIBRATION), 1);
    EXPECT_EQ(buttons(), "11111101") << "a calibration result can be saved";
    EXPECT_NE(pane().find("Calibration PASS"), std::string::npos);

    host.set_text(IDC_DDR_FREQ, u"528");
    EXPECT_EQ(command(IDC_CALIBRATION), 2);
    EXPECT_NE(pane().find("Calibration FAIL: no stable read window at 528 MHz"), std::string::npos);

    host.set_text(IDC_START_FREQ, u"400");
    host.set_text(IDC_END_FREQ, u"528");
    EXPECT_EQ(command(IDC_STRESS_TEST), 5);
    EXPECT_EQ(buttons(), "11111011") << "stress result saveable, calibration's not";
    EXPECT_NE(pane().find("Stress test FAIL from 512 MHz"), std::string::npos) << pane();

    host.push_box_reply(BOX_RESULT_OK);
    host.set_text(IDC_ADDR, u"10000000");
    host.set_text(IDC_DATA, u"CAFEF00D");
    EXPECT_EQ(command(IDC_WRITE), 7);
    host.choose(IDC_READ_SIZE, 1);  // "4 WORD"
    EXPECT_EQ(command(IDC_READ), 3);
    EXPECT_NE(pane().find("0x10000000: 0xCAFEF00D 0x5A5A5A5A 0x5A5A5A5A 0x5A5A5A5A"), std::string::npos) << pane();

    host.choose(IDC_VDD_SOC_MODE, 1);
    host.click(IDC_VDD_SOC_DOWN);
    host.click(IDC_VDD_SOC_DOWN);
    EXPECT_EQ(command(IDC_SET_VOLTAGE), 6);
    EXPECT_NE(pane().find("VDD_ARM_CAP: auto\r\nVDD_SOC_CAP: 1.050 V (code 14)"), std::string::npos) << pane();
    EXPECT_EQ(board().record(0).packets.back(), (std::vector<std::uint8_t>{0x02, 0x02, 0xCC, 0x0E}));
    EXPECT_EQ(dlg().codes, (std::vector<int>{1, 2, 5, 7, 3, 6}));
}

TEST_F(SimSession, EachTestStartsFromTheTextAfterTheDownload) {
    start();
    download();
    settle();
    const std::string banner = pane();
    host.set_text(IDC_DDR_FREQ, u"400");
    command(IDC_CALIBRATION);
    host.set_text(IDC_DDR_FREQ, u"528");
    command(IDC_CALIBRATION);
    const std::string second = pane();
    EXPECT_EQ(second.rfind(banner, 0), 0u);
    EXPECT_EQ(second.find("at 400 MHz"), std::string::npos) << "the first run's text is gone";
    EXPECT_NE(second.find("at 528 MHz"), std::string::npos);
    host.set_text(IDC_START_FREQ, u"400");
    host.set_text(IDC_END_FREQ, u"416");
    command(IDC_STRESS_TEST);
    EXPECT_EQ(pane().find("at 528 MHz"), std::string::npos);
    EXPECT_EQ(pane().rfind(banner, 0), 0u);
}

TEST_F(SimSession, SecondDownloadStopsTheLinkAndFindsTheBootRomAgain) {
    start();
    download();
    settle();
    EXPECT_EQ(download(), "");
    EXPECT_EQ(buttons(), kLinkUp);
    EXPECT_EQ(board().record(0).jumps, 2);
    EXPECT_EQ(board().record(0).open_devices, 1) << "one firmware device open, the old one closed";
    // A failing Download after a good one leaves the link down.
    EXPECT_TRUE(ends_with(download(u""), "ERROR: Please load script file!!\r\n"));
    EXPECT_FALSE(dlg().m_bLinkUp);
    EXPECT_EQ(board().record(0).open_devices, 0);
}

TEST_F(SimSession, CharactersCutBetweenReportsAreShownWhole) {
    start("split-utf8");
    download();
    host.set_text(IDC_DDR_FREQ, u"400");
    command(IDC_CALIBRATION);
    const std::string text = pane();
    EXPECT_NE(text.find("Die temperature 41 °C"), std::string::npos) << text;
    EXPECT_NE(text.find("read window ±"), std::string::npos) << text;
    EXPECT_EQ(text.find("\xEF\xBF\xBD"), std::string::npos) << "no replacement character";
}

TEST_F(SimSession, StatusCodeOfTheFirmwareSetsTheButtons) {
    struct Case {
        int code;
        const char* after;
    } cases[] = {{0, kOnlyDownload}, {3, "11111001"}, {10, "11111001"}, {11, kOnlyDownload}, {255, kOnlyDownload}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.code);
        start("status=" + std::to_string(c.code));
        download();
        host.set_text(IDC_DDR_FREQ, u"400");
        EXPECT_EQ(command(IDC_CALIBRATION), c.code);
        EXPECT_EQ(buttons(), c.after);
    }
}

TEST_F(SimSession, UnpluggedBoardFailsTheNextCommandAndTheLinkStays) {
    start("unplug-after=3");
    download();
    settle();
    EXPECT_EQ(board().record(0).firmware_reports, 3);
    host.set_text(IDC_DDR_FREQ, u"400");
    ASSERT_TRUE(host.click(IDC_CALIBRATION));
    EXPECT_TRUE(ends_with(pane(), "Error: failed to send Calibration command\r\n")) << pane();
    EXPECT_EQ(buttons(), "11111000") << "commands back, Download waits for a status code";
    settle(5000);  // the loop retries quietly once a second
    EXPECT_TRUE(dlg().m_bLinkUp);
    host.push_box_reply(BOX_RESULT_OK);
    host.set_text(IDC_ADDR, u"0");
    ASSERT_TRUE(host.click(IDC_READ));
    EXPECT_TRUE(ends_with(pane(), "Error: failed to send READ MEMORY command\r\n")) << pane();
    EXPECT_EQ(buttons(), "11111000");
}

}  // namespace

namespace {

TEST_F(SimSession, EveryRegisterWriteOfTheScriptReachesTheBoard) {
    // CR LF line ends, and a Ctrl-Z byte in a comment, which a text-mode
    // read on Windows would take as the end of the file.
    write_file("crlf.inc",
               "setmem /32 0x020E0000 = 0x00000001\r\n"
               "// end of part one \x1a\r\n"
               "setmem /32 0x021B0000 = 0x00000800\r\n");
    start();
    EXPECT_EQ(download(u"crlf.inc"), "");
    const SimBoardRecord r = board().record(0);
    ASSERT_EQ(r.register_writes.size(), 2u);
    EXPECT_EQ(r.register_writes[1].value, 0x800u);
}

}  // namespace
