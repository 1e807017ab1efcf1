#include "dialog_fixture.h"

TEST(ScanInt, ReadsAsPercentD) {
    struct Case {
        std::u16string text;
        bool ok;
        int value;
    };
    const Case cases[] = {
        {u"528", true, 528},
        {u"12abc", true, 12},
        {u"  \t-7", true, -7},
        {u"+5", true, 5},
        {u"2147483647", true, 2147483647},
        {u"-2147483648", true, -2147483647 - 1},
        {u"", false, 0},
        {u"abc", false, 0},
        {u"-", false, 0},
        {u" - 5", false, 0},
        {u"2147483648", false, 0},        // does not fit an int: refused, not wrapped
        {u"99999999999999999999", false, 0},
        {std::u16string(62, u' ') + u"5", true, 5},
        {std::u16string(63, u' ') + u"5", false, 0},  // only the first 63 characters count
        {std::u16string(62, u' ') + u"12", true, 1},
    };
    for (const Case& c : cases) {
        int value = -99;
        EXPECT_EQ(dlg_scan_int(c.text, value), c.ok) << narrow(c.text);
        if (c.ok) {
            EXPECT_EQ(value, c.value) << narrow(c.text);
        }
    }
}

using DataExchange = DialogTest;

TEST_F(DataExchange, ReadsEveryFieldBack) {
    host.type_text(IDC_SCRIPT_PATH, u"/boards/a.inc");
    host.set_text(IDC_DDR_FREQ, u"528MHz");
    host.set_text(IDC_START_FREQ, u"400");
    host.set_text(IDC_END_FREQ, u" 600");
    host.select_all(IDC_MR1);
    host.type_text(IDC_MR1, u"0A1B");
    host.type_text(IDC_ADDR, u"80000000");
    host.type_text(IDC_DATA, u"DEADBEEF");
    ASSERT_TRUE(dlg.UpdateData(true));
    EXPECT_EQ(dlg.m_strScriptPath, u"/boards/a.inc");
    EXPECT_EQ(dlg.m_nDdrFreq, 528);
    EXPECT_EQ(dlg.m_nStartFreq, 400);
    EXPECT_EQ(dlg.m_nEndFreq, 600);
    EXPECT_EQ(dlg.m_strMr1, u"0A1B");
    EXPECT_EQ(dlg.m_strAddr, u"80000000");
    EXPECT_EQ(dlg.m_strData, u"DEADBEEF");
    EXPECT_TRUE(host.boxes().empty());
}

TEST_F(DataExchange, IntegerRefusalStopsAtTheField) {
    host.type_text(IDC_SCRIPT_PATH, u"s.inc");
    host.set_text(IDC_DDR_FREQ, u"fast");
    host.set_text(IDC_END_FREQ, u"600");
    host.set_text(IDC_ADDR, u"1000");
    EXPECT_FALSE(dlg.UpdateData(true));

    ASSERT_EQ(host.boxes().size(), 1u);
    EXPECT_EQ(host.boxes()[0].text, u"Enter an integer.");
    EXPECT_EQ(host.boxes()[0].caption, u"Orvane");
    EXPECT_EQ(host.boxes()[0].icon, BoxIcon::exclamation);
    EXPECT_EQ(host.focus(), IDC_DDR_FREQ);
    EXPECT_EQ(host.control(IDC_DDR_FREQ).sel_start, 0u);
    EXPECT_EQ(host.control(IDC_DDR_FREQ).sel_end, 4u);
    // Fields before it took their new values; it and the rest kept theirs.
    EXPECT_EQ(dlg.m_strScriptPath, u"s.inc");
    EXPECT_EQ(dlg.m_nDdrFreq, 0);
    EXPECT_EQ(dlg.m_nEndFreq, 0);
    EXPECT_EQ(dlg.m_strAddr, u"");
}

TEST_F(DataExchange, LengthRefusalStopsAtTheField) {
    host.set_text(IDC_START_FREQ, u"400");
    host.set_text(IDC_ADDR, u"123456789");  // set by the program: not cut to the limit
    host.set_text(IDC_DATA, u"42");
    EXPECT_FALSE(dlg.UpdateData(true));
    ASSERT_EQ(host.boxes().size(), 1u);
    EXPECT_EQ(host.boxes()[0].text, u"Enter no more than 8 characters.");
    EXPECT_EQ(host.boxes()[0].icon, BoxIcon::exclamation);
    EXPECT_EQ(host.focus(), IDC_ADDR);
    EXPECT_EQ(host.control(IDC_ADDR).sel_end, 9u);
    EXPECT_EQ(dlg.m_nStartFreq, 400);
    EXPECT_EQ(dlg.m_strMr1, u"0000");
    EXPECT_EQ(dlg.m_strAddr, u"");  // the refused field keeps its old value
    EXPECT_EQ(dlg.m_strData, u"");

    host.clear_boxes();
    host.set_text(IDC_ADDR, u"12");
    host.set_text(IDC_MR1, u"12345");
    EXPECT_FALSE(dlg.UpdateData(true));
    ASSERT_EQ(host.boxes().size(), 1u);
    EXPECT_EQ(host.boxes()[0].text, u"Enter no more than 4 characters.");
}

TEST_F(DataExchange, TypingStopsAtTheLimit) {
    host.select_all(IDC_MR1);
    host.type_text(IDC_MR1, u"123456");
    EXPECT_EQ(text(IDC_MR1), u"1234");
    host.type_text(IDC_DATA, u"0123456789");
    EXPECT_EQ(text(IDC_DATA), u"01234567");
}

TEST_F(DataExchange, TowardsTheWindowShowsTheFields) {
    dlg.m_nDdrFreq = -12;
    dlg.m_strData = u"FF";
    dlg.m_strOutput = u"line\r\n";
    dlg.UpdateData(false);
    EXPECT_EQ(text(IDC_DDR_FREQ), u"-12");
    EXPECT_EQ(text(IDC_DATA), u"FF");
    EXPECT_EQ(text(IDC_OUTPUT), u"line\r\n");
}

using WindowCommands = DialogTest;

TEST_F(WindowCommands, EnterDoesNotCloseTheWindow) {
    host.set_focus(IDC_ADDR);
    host.press_enter();
    EXPECT_FALSE(host.ended());
    host.set_text(IDC_DDR_FREQ, u"letters");
    host.set_focus(IDC_DDR_FREQ);
    host.press_enter();
    EXPECT_FALSE(host.ended());
}

TEST_F(WindowCommands, EnterInThePaneIsALineBreak) {
    host.type_text(IDC_OUTPUT, u"typed");
    host.press_enter();
    EXPECT_EQ(text(IDC_OUTPUT), u"typed\r\n");
    ASSERT_TRUE(dlg.UpdateData(true));
    EXPECT_EQ(dlg.m_strOutput, u"typed\r\n");
}

TEST_F(WindowCommands, EscapeAndCloseBoxClose) {
    host.press_escape();
    EXPECT_TRUE(host.ended());
    EXPECT_EQ(host.end_result(), DLG_IDCANCEL);

    HeadlessHost other;
    COrvaneDlg second(&other, &clock);
    other.open(second);
    other.close_box();
    EXPECT_TRUE(other.ended());
    EXPECT_EQ(other.end_result(), DLG_IDCANCEL);
}

TEST_F(WindowCommands, AboutBoxFromTheSystemMenu) {
    host.choose_about_menu_item();
    EXPECT_EQ(host.about_box_runs(), 1);
    // The low four bits of a system command are the system's own.
    dlg.OnMessage(DLG_WM_SYSCOMMAND, IDM_ABOUTBOX | 0x3, 0);
    EXPECT_EQ(host.about_box_runs(), 2);
    // Other system commands go back to the host's default handling.
    EXPECT_FALSE(dlg.OnMessage(DLG_WM_SYSCOMMAND, 0xF010, 0).handled);
    EXPECT_FALSE(host.ended());
}

TEST_F(WindowCommands, LoadInitScript) {
    host.push_file_pick(u"/home/op/scripts/kt310.inc");
    ASSERT_TRUE(host.click(IDC_LOAD_SCRIPT));
    ASSERT_EQ(host.pick_requests().size(), 1u);
    EXPECT_EQ(host.pick_requests()[0].filter,
              u"Script Files(*.inc;*.ds)|*.inc;*.ds|All Files(*.*)|*.*|");
    EXPECT_EQ(host.pick_requests()[0].default_ext, u"*.inc");
    EXPECT_EQ(dlg.m_strScriptPath, u"/home/op/scripts/kt310.inc");
    EXPECT_EQ(text(IDC_SCRIPT_PATH), u"/home/op/scripts/kt310.inc");

    host.push_file_pick(std::nullopt);  // Cancel
    host.click(IDC_LOAD_SCRIPT);
    EXPECT_EQ(dlg.m_strScriptPath, u"/home/op/scripts/kt310.inc");
    EXPECT_EQ(text(IDC_SCRIPT_PATH), u"/home/op/scripts/kt310.inc");
}

TEST_F(WindowCommands, UnlistedNotificationsGoToTheHost) {
    EXPECT_FALSE(dlg.OnCommand(IDC_TARGET, DLG_CBN_SELCHANGE).handled);
    EXPECT_FALSE(dlg.OnMessage(DLG_WM_USER + 77, 0, 0).handled);
    EXPECT_TRUE(dlg.OnCommand(IDC_LOAD_SCRIPT, DLG_BN_CLICKED).handled);
}
