#include <vector>

#include "dialog_fixture.h"
#include "ui/volt_code.h"

using StartState = DialogTest;

TEST_F(StartState, FocusListsFieldsAndButtons) {
    EXPECT_EQ(host.focus(), IDC_TARGET);
    EXPECT_EQ(text(IDC_TARGET), u"KT310");
    EXPECT_EQ(text(IDC_MR1), u"0000");
    for (int id : {IDC_DDR_FREQ, IDC_START_FREQ, IDC_END_FREQ}) EXPECT_EQ(text(id), u"0") << id;
    for (int id : {IDC_SCRIPT_PATH, IDC_ADDR, IDC_DATA, IDC_OUTPUT}) EXPECT_EQ(text(id), u"") << id;
    EXPECT_EQ(text(IDC_VDD_ARM), u"auto");
    EXPECT_EQ(text(IDC_VDD_SOC), u"auto");
    EXPECT_TRUE(host.get_check(IDC_VERIFY_DCD));
    EXPECT_FALSE(host.get_check(IDC_OVER_NIGHT));

    // Download is the only enabled operation button.
    for (int id : {IDC_CALIBRATION, IDC_SAVE_CALIBRATION, IDC_STRESS_TEST, IDC_SAVE_STRESS,
                   IDC_READ, IDC_WRITE, IDC_SET_VOLTAGE, IDC_VDD_ARM_DOWN, IDC_VDD_ARM_UP,
                   IDC_VDD_SOC_DOWN, IDC_VDD_SOC_UP})
        EXPECT_FALSE(host.is_enabled(id)) << id;
    EXPECT_TRUE(host.is_enabled(IDC_DOWNLOAD));
    EXPECT_TRUE(host.is_enabled(IDC_LOAD_SCRIPT));

    // The limited fields accept 4, 8 and 8 characters; the pane has no limit.
    EXPECT_EQ(host.control(IDC_MR1).limit, 4);
    EXPECT_EQ(host.control(IDC_ADDR).limit, 8);
    EXPECT_EQ(host.control(IDC_DATA).limit, 8);
    EXPECT_EQ(host.control(IDC_OUTPUT).limit, 0);
    EXPECT_EQ(host.unknown_id_calls(), 0);
}

TEST_F(StartState, ListRowsInOrder) {
    struct Case {
        int id;
        std::vector<std::u16string> rows;
    };
    const Case cases[] = {
        {IDC_TARGET, {u"KT310", u"KT320", u"KT330", u"KT340", u"KT350", u"KT410"}},
        {IDC_DDR_DENSITY,
         {u"Default", u"4GB", u"2GB", u"1GB", u"512MB", u"256MB", u"128MB", u"64MB", u"32MB"}},
        {IDC_ARM_SPEED, {u"Default", u"800MHz", u"1GHz", u"1.2GHz"}},
        {IDC_DDR_CS, {u"0", u"ALL"}},
        {IDC_DDR_CHANNEL, {u"0", u"1", u"ALL"}},
        {IDC_VDD_ARM_MODE, {u"Auto", u"Manual"}},
        {IDC_VDD_SOC_MODE, {u"Auto", u"Manual"}},
        {IDC_READ_SIZE, {u"1 WORD", u"4 WORD", u"8 WORD", u"16 WORD", u"32 WORD"}},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(host.control(c.id).rows, c.rows) << c.id;
        EXPECT_EQ(host.list_selection(c.id), 0) << c.id;
    }
}

TEST_F(StartState, FieldsAfterStart) {
    EXPECT_EQ(dlg.m_nVddArmCode, VOLT_CODE_AUTO);
    EXPECT_EQ(dlg.m_nVddSocCode, VOLT_CODE_AUTO);
    EXPECT_EQ(dlg.m_bLinkUp, 0);
    EXPECT_EQ(dlg.m_bHaveBaseline, 0);
    EXPECT_EQ(dlg.m_bShowAccessWarning, 1);
    EXPECT_EQ(dlg.m_strMr1, u"0000");
    ASSERT_TRUE(dlg.m_hStopEvent && dlg.m_hStoppedEvent);
    EXPECT_FALSE(dlg.m_hStopEvent->wait_for(0));
    EXPECT_FALSE(dlg.m_hStoppedEvent->wait_for(0));
    EXPECT_EQ(dlg.OnQueryDragIcon(), IDR_MAINFRAME);
}

TEST(StopEvents, BelongToTheirDialog) {
    // Two running instances never share the stop events.
    StepClock clock;
    HeadlessHost host_a, host_b;
    COrvaneDlg a(&host_a, &clock), b(&host_b, &clock);
    host_a.open(a);
    host_b.open(b);
    a.m_hStopEvent->set();
    EXPECT_FALSE(b.m_hStopEvent->wait_for(0));
    EXPECT_TRUE(a.m_hStopEvent->wait_for(0));
    EXPECT_FALSE(a.m_hStopEvent->wait_for(0));  // auto-reset: the signal was consumed
}

TEST_F(StartState, TabWalksTableOrderSkippingDisabled) {
    std::vector<int> walk;
    for (int i = 0; i < 8; ++i) {
        host.press_tab();
        walk.push_back(host.focus());
    }
    std::vector<int> expected = {IDC_DDR_DENSITY, IDC_ARM_SPEED, IDC_LOAD_SCRIPT, IDC_SCRIPT_PATH,
                                 IDC_OUTPUT,      IDC_DDR_FREQ,  IDC_START_FREQ,  IDC_END_FREQ};
    EXPECT_EQ(walk, expected);  // Calibration, Save Result and Stress Test are disabled
}
