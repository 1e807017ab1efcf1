#include <thread>

#include "dialog_fixture.h"

using OutputPane = DialogTest;

TEST_F(OutputPane, AppendsContinueTheLastLine) {
    dlg.AppendOutput(u"Image ");
    dlg.AppendOutput(u"loading...\r\n");
    dlg.AppendOutput(u"100%s done");
    EXPECT_EQ(dlg.m_strOutput, u"Image loading...\r\n100%s done");
    EXPECT_EQ(text(IDC_OUTPUT), dlg.m_strOutput);
    EXPECT_EQ(host.line_count(IDC_OUTPUT), 2);
}

TEST_F(OutputPane, AppendsGoAtTheEndWithoutRewriting) {
    int rewrites = host.control(IDC_OUTPUT).set_text_calls;
    for (int i = 0; i < 100; ++i) dlg.AppendOutput(u"x\r\n");
    EXPECT_EQ(host.control(IDC_OUTPUT).set_text_calls, rewrites);
    EXPECT_EQ(host.control(IDC_OUTPUT).append_calls, 100);
    EXPECT_EQ(text(IDC_OUTPUT).size(), 300u);
    EXPECT_FALSE(host.get_modify(IDC_OUTPUT));
}

TEST_F(OutputPane, NothingIsCutAtTheEditsDefaultLimit) {
    std::u16string line(1000, u'a');
    for (int i = 0; i < 100; ++i) dlg.AppendOutput(line);
    EXPECT_EQ(text(IDC_OUTPUT).size(), 100000u);
    EXPECT_EQ(dlg.m_strOutput.size(), 100000u);
}

TEST_F(OutputPane, TypedTextIsReplacedAtTheNextAppend) {
    dlg.AppendOutput(u"fw> ");
    host.type_text(IDC_OUTPUT, u"my note");
    dlg.AppendOutput(u"ready\r\n");
    EXPECT_EQ(dlg.m_strOutput, u"fw> ready\r\n");
    EXPECT_EQ(text(IDC_OUTPUT), u"fw> ready\r\n");
    EXPECT_EQ(host.control(IDC_OUTPUT).top_line, 1);  // scrolled to the end
}

TEST_F(OutputPane, TypedTextReadBackBecomesOutput) {
    dlg.AppendOutput(u"a\r\n");
    host.select_all(IDC_OUTPUT);
    host.type_text(IDC_OUTPUT, u"note\r\n");
    ASSERT_TRUE(dlg.UpdateData(true));
    EXPECT_EQ(dlg.m_strOutput, u"note\r\n");
    int rewrites = host.control(IDC_OUTPUT).set_text_calls;
    dlg.AppendOutput(u"b");
    EXPECT_EQ(text(IDC_OUTPUT), u"note\r\nb");
    EXPECT_EQ(host.control(IDC_OUTPUT).set_text_calls, rewrites);
}

TEST_F(OutputPane, ClearEmptiesTextAndPane) {
    dlg.AppendOutput(u"download Image to IRAM OK\r\n");
    dlg.ClearOutput();
    EXPECT_EQ(dlg.m_strOutput, u"");
    EXPECT_EQ(text(IDC_OUTPUT), u"");
}

TEST_F(OutputPane, BaselineTakenOnceThenRestored) {
    dlg.AppendOutput(u"banner\r\n");
    dlg.BeginTestOutput();
    EXPECT_EQ(dlg.m_bHaveBaseline, 1);
    EXPECT_EQ(dlg.m_strBaseline, u"banner\r\n");
    EXPECT_EQ(text(IDC_OUTPUT), u"banner\r\n");  // taking it leaves the pane alone

    dlg.AppendOutput(u"run 1\r\n");
    dlg.BeginTestOutput();
    EXPECT_EQ(dlg.m_strOutput, u"banner\r\n");
    EXPECT_EQ(text(IDC_OUTPUT), u"banner\r\n");
    EXPECT_EQ(host.control(IDC_OUTPUT).top_line, 0);  // no scrolling: the start shows

    dlg.AppendOutput(u"run 2\r\n");
    EXPECT_EQ(text(IDC_OUTPUT), u"banner\r\nrun 2\r\n");
}

TEST_F(OutputPane, BaselineHoldsTypedTextAndReads) {
    dlg.AppendOutput(u"banner\r\n");
    dlg.AppendOutput(u"0x80000000: 00000001\r\n");  // a Read before the first test
    host.type_text(IDC_OUTPUT, u"board 7");
    dlg.UpdateData(true);  // what a test command does before its baseline step
    dlg.BeginTestOutput();
    EXPECT_EQ(dlg.m_strBaseline, u"banner\r\n0x80000000: 00000001\r\nboard 7");
}

TEST_F(OutputPane, AppendsFromAnotherThreadWaitForTheWindowThread) {
    std::thread fw([&] {
        dlg.AppendOutput(u"DDR ");
        dlg.AppendOutput(u"calibration\r\n");
    });
    fw.join();
    EXPECT_EQ(dlg.m_strOutput, u"");
    EXPECT_EQ(text(IDC_OUTPUT), u"");
    EXPECT_EQ(host.queued(), 1u);  // one flush for both pieces
    host.run_pending();
    EXPECT_EQ(dlg.m_strOutput, u"DDR calibration\r\n");
    EXPECT_EQ(text(IDC_OUTPUT), u"DDR calibration\r\n");
}

TEST_F(OutputPane, WindowThreadUsesTakePendingTextInFirst) {
    struct Case {
        const char* name;
        void (*use)(COrvaneDlg&);
        std::u16string expected;
    };
    const Case cases[] = {
        {"append", [](COrvaneDlg& d) { d.AppendOutput(u"[w]"); }, u"old fw[w]"},
        {"read-back", [](COrvaneDlg& d) { d.UpdateData(true); }, u"old fw"},
        {"baseline", [](COrvaneDlg& d) { d.BeginTestOutput(); }, u"old fw"},
        {"clear", [](COrvaneDlg& d) { d.ClearOutput(); }, u""},
    };
    for (const Case& c : cases) {
        StepClock clk;
        HeadlessHost h;
        COrvaneDlg d(&h, &clk);
        h.open(d);
        d.AppendOutput(u"old ");
        std::thread([&] { d.AppendOutput(u"fw"); }).join();
        c.use(d);
        EXPECT_EQ(d.m_strOutput, c.expected) << c.name;
        EXPECT_EQ(h.get_text(IDC_OUTPUT), c.expected) << c.name;
        if (std::string(c.name) == "baseline") {
            EXPECT_EQ(d.m_strBaseline, u"old fw");
        }
        h.run_pending();  // the late flush finds nothing more
        EXPECT_EQ(d.m_strOutput, c.expected) << c.name;
    }
}

TEST_F(OutputPane, TextEndsAtAZero) {
    dlg.AppendOutput(std::u16string_view(u"ab\0cd", 5));
    EXPECT_EQ(dlg.m_strOutput, u"ab");
}
