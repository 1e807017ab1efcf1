#include "dialog_fixture.h"
#include "ui/volt_code.h"

TEST(VoltCodeText, MultiplesOf25Millivolts) {
    for (int code = 1; code <= 30; ++code) {
        int mv = (code + 28) * 25;
        char expected[16];
        std::snprintf(expected, sizeof expected, "%d.%03d", mv / 1000, mv % 1000);
        EXPECT_EQ(narrow(volt_code_text(code)), expected) << code;
    }
}

using VoltageRails = DialogTest;

struct Rail {
    const char* name;
    int mode, down, value, up;
    int COrvaneDlg::*code;
};
const Rail kRails[] = {
    {"VDD_ARM_CAP", IDC_VDD_ARM_MODE, IDC_VDD_ARM_DOWN, IDC_VDD_ARM, IDC_VDD_ARM_UP,
     &COrvaneDlg::m_nVddArmCode},
    {"VDD_SOC_CAP", IDC_VDD_SOC_MODE, IDC_VDD_SOC_DOWN, IDC_VDD_SOC, IDC_VDD_SOC_UP,
     &COrvaneDlg::m_nVddSocCode},
};

TEST_F(VoltageRails, ManualStepsAndLimits) {
    for (const Rail& r : kRails) {
        ASSERT_TRUE(host.choose(r.mode, 1)) << r.name;
        EXPECT_EQ(dlg.*r.code, VOLT_CODE_MANUAL);
        EXPECT_EQ(text(r.value), u"1.100");
        EXPECT_TRUE(host.is_enabled(r.down));
        EXPECT_TRUE(host.is_enabled(r.up));

        for (int i = 0; i < 16; ++i) host.click(r.down);
        EXPECT_EQ(dlg.*r.code, 0) << r.name;
        EXPECT_EQ(text(r.value), u"OFF");
        host.click(r.down);  // a seventeenth press changes nothing
        EXPECT_EQ(dlg.*r.code, 0);
        EXPECT_EQ(text(r.value), u"OFF");
        host.click(r.up);
        EXPECT_EQ(text(r.value), u"0.725");

        for (int i = 0; i < 30; ++i) host.click(r.up);
        EXPECT_EQ(dlg.*r.code, 31) << r.name;
        EXPECT_EQ(text(r.value), u"FULL");
        host.click(r.down);
        EXPECT_EQ(text(r.value), u"1.450");
    }
}

TEST_F(VoltageRails, FifteenUpFromTheStartIsFull) {
    host.choose(IDC_VDD_SOC_MODE, 1);
    for (int i = 0; i < 15; ++i) host.click(IDC_VDD_SOC_UP);
    EXPECT_EQ(text(IDC_VDD_SOC), u"FULL");
    host.click(IDC_VDD_SOC_UP);
    EXPECT_EQ(dlg.m_nVddSocCode, 31);
    EXPECT_EQ(dlg.m_nVddArmCode, VOLT_CODE_AUTO);  // the other rail is untouched
    EXPECT_EQ(text(IDC_VDD_ARM), u"auto");
}

TEST_F(VoltageRails, BackToAutoAndManualRestartsAt1100) {
    for (const Rail& r : kRails) {
        host.choose(r.mode, 1);
        host.click(r.down);
        host.click(r.down);
        EXPECT_EQ(text(r.value), u"1.050");
        host.choose(r.mode, 0);
        EXPECT_EQ(dlg.*r.code, VOLT_CODE_AUTO);
        EXPECT_EQ(text(r.value), u"auto");
        EXPECT_FALSE(host.is_enabled(r.down));
        EXPECT_FALSE(host.is_enabled(r.up));
        host.choose(r.mode, 1);
        EXPECT_EQ(text(r.value), u"1.100") << r.name;
    }
}

TEST_F(VoltageRails, AStepDeliveredInAutoChangesNothing) {
    dlg.OnBnClickedVddArmDown();
    dlg.OnBnClickedVddSocUp();
    EXPECT_EQ(dlg.m_nVddArmCode, VOLT_CODE_AUTO);
    EXPECT_EQ(dlg.m_nVddSocCode, VOLT_CODE_AUTO);
    EXPECT_EQ(text(IDC_VDD_ARM), u"auto");
}
