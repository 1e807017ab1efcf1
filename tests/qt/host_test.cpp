// The main dialog driven on the Qt host: start state, typing limits, clicks,
// list choices and keys reaching the message map, the output pane's text,
// posted messages, the window sleep, the modal windows and the close path.
#include <QCheckBox>
#include <QComboBox>
#include <QContextMenuEvent>
#include <QDialog>
#include <QDir>
#include <QFile>
#include <QFileDialog>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMessageBox>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QScrollBar>
#include <QTemporaryDir>
#include <QTest>
#include <QTextDocument>
#include <atomic>
#include <thread>

#include "qt_fixture.h"
#include "ui/volt_code.h"

using QtHost = QtDialogTest;

namespace {

void activate(QWidget* win) {
    win->activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(win));
}

// Stands in for the receive loop: appends text until asked to stop.
void start_fake_loop(COrvaneDlg& dlg, std::atomic<int>& rounds, std::atomic<bool>& stopped) {
    dlg.m_bLinkUp = 1;
    dlg.m_receiveThread = std::thread([&dlg, &rounds, &stopped] {
        while (!dlg.m_hStopEvent->wait_for(0)) {
            dlg.AppendOutput(u"DDR test running\r\n");
            ++rounds;
            std::this_thread::sleep_for(std::chrono::milliseconds(1));
        }
        stopped = true;
        dlg.m_hStoppedEvent->set();
    });
    while (rounds.load() == 0) std::this_thread::yield();
}

// Answers the next pop-up menu.
void answer_popup(std::function<void(QMenu*)> answer) {
    auto* timer = new QTimer;
    timer->setInterval(10);
    QObject::connect(timer, &QTimer::timeout, [timer, answer] {
        auto* menu = qobject_cast<QMenu*>(QApplication::activePopupWidget());
        if (!menu || !menu->isVisible()) return;
        timer->stop();
        timer->deleteLater();
        answer(menu);
    });
    timer->start();
}

class OkCounting final : public COrvaneDlg {
public:
    using COrvaneDlg::COrvaneDlg;
    int oks = 0;

protected:
    void OnOK() override { ++oks; }
};

}  // namespace

TEST_F(QtHost, StartState) {
    EXPECT_EQ(host.focus_id(), IDC_TARGET);
    EXPECT_EQ(text(IDC_TARGET), u"KT310");
    EXPECT_EQ(w<QComboBox>(IDC_TARGET)->count(), 6);
    EXPECT_EQ(w<QComboBox>(IDC_DDR_DENSITY)->count(), 9);
    EXPECT_EQ(text(IDC_MR1), u"0000");
    for (int id : {IDC_DDR_FREQ, IDC_START_FREQ, IDC_END_FREQ}) EXPECT_EQ(text(id), u"0") << id;
    for (int id : {IDC_SCRIPT_PATH, IDC_ADDR, IDC_DATA, IDC_OUTPUT}) EXPECT_EQ(text(id), u"") << id;
    EXPECT_EQ(text(IDC_VDD_ARM), u"auto");
    EXPECT_TRUE(host.get_check(IDC_VERIFY_DCD));
    EXPECT_TRUE(w<QCheckBox>(IDC_VERIFY_DCD)->isChecked());
    for (int id : {IDC_CALIBRATION, IDC_SAVE_CALIBRATION, IDC_STRESS_TEST, IDC_SAVE_STRESS, IDC_READ,
                   IDC_WRITE, IDC_SET_VOLTAGE, IDC_VDD_ARM_DOWN, IDC_VDD_ARM_UP, IDC_VDD_SOC_DOWN,
                   IDC_VDD_SOC_UP}) {
        EXPECT_FALSE(host.is_enabled(id)) << id;
        EXPECT_FALSE(host.widget(id)->isEnabled()) << id;
    }
    EXPECT_TRUE(host.is_enabled(IDC_DOWNLOAD));
    EXPECT_EQ(host.unknown_id_calls(), 0);
}

TEST_F(QtHost, ListsSelectNothingUntilTold) {
    host.list_reset(IDC_READ_SIZE);
    host.list_add(IDC_READ_SIZE, u"one");
    host.list_add(IDC_READ_SIZE, u"two");
    EXPECT_EQ(host.list_selection(IDC_READ_SIZE), -1);
    EXPECT_EQ(text(IDC_READ_SIZE), u"");
    host.list_select(IDC_READ_SIZE, 1);
    EXPECT_EQ(text(IDC_READ_SIZE), u"two");
    host.list_select(IDC_READ_SIZE, 7);
    EXPECT_EQ(host.list_selection(IDC_READ_SIZE), -1);
    host.set_text(IDC_READ_SIZE, u"free text");  // a drop-down list has none
    EXPECT_EQ(text(IDC_READ_SIZE), u"");
}

TEST_F(QtHost, TypingStopsAtTheLimitButTheProgramsTextIsWhole) {
    auto* mr1 = w<QLineEdit>(IDC_MR1);
    QTest::keyClicks(mr1, "12");
    EXPECT_EQ(text(IDC_MR1), u"0000");
    mr1->selectAll();
    QTest::keyClicks(mr1, "abcdef");
    EXPECT_EQ(text(IDC_MR1), u"abcd");
    EXPECT_TRUE(host.get_modify(IDC_MR1));
    QTest::keyClick(mr1, Qt::Key_Backspace);
    QTest::keyClicks(mr1, "xy");
    EXPECT_EQ(text(IDC_MR1), u"abcx");

    host.set_text(IDC_MR1, u"123456");
    EXPECT_EQ(text(IDC_MR1), u"123456");
    EXPECT_FALSE(host.get_modify(IDC_MR1));
    mr1->end(false);
    QTest::keyClick(mr1, Qt::Key_Backspace);  // deleting is still allowed
    EXPECT_EQ(text(IDC_MR1), u"12345");
    QTest::keyClicks(mr1, "9");
    EXPECT_EQ(text(IDC_MR1), u"12345");

    // A paste is cut to the room left.
    host.set_text(IDC_ADDR, u"1234");
    auto* addr = w<QLineEdit>(IDC_ADDR);
    addr->end(false);
    addr->insert(QStringLiteral("abcdefgh"));
    EXPECT_EQ(text(IDC_ADDR), u"1234abcd");

    // Read-only fields take no typing.
    QTest::keyClicks(w<QLineEdit>(IDC_VDD_ARM), "1");
    EXPECT_EQ(text(IDC_VDD_ARM), u"auto");
}

TEST_F(QtHost, ListChoicesClicksAndKeysReachTheHandlers) {
    activate(host.window());
    auto* mode = w<QComboBox>(IDC_VDD_ARM_MODE);
    mode->setFocus();
    QTest::keyClick(mode, Qt::Key_Down);  // the operator chooses Manual
    EXPECT_EQ(host.list_selection(IDC_VDD_ARM_MODE), 1);
    EXPECT_TRUE(host.is_enabled(IDC_VDD_ARM_UP));
    EXPECT_EQ(dlg.m_nVddArmCode, VOLT_CODE_MANUAL);
    EXPECT_EQ(text(IDC_VDD_ARM), volt_code_text(VOLT_CODE_MANUAL));

    QTest::mouseClick(w<QPushButton>(IDC_VDD_ARM_UP), Qt::LeftButton);
    EXPECT_EQ(dlg.m_nVddArmCode, VOLT_CODE_MANUAL + 1);
    // Enter on a focused button clicks it; so does Space.
    auto* down = w<QPushButton>(IDC_VDD_ARM_DOWN);
    down->setFocus();
    QTest::keyClick(down, Qt::Key_Return);
    EXPECT_EQ(dlg.m_nVddArmCode, VOLT_CODE_MANUAL);
    QTest::keyClick(down, Qt::Key_Space);
    EXPECT_EQ(dlg.m_nVddArmCode, VOLT_CODE_MANUAL - 1);

    // A selection made by the program sends no notification.
    host.list_select(IDC_VDD_ARM_MODE, 0);
    EXPECT_TRUE(host.is_enabled(IDC_VDD_ARM_UP));
    EXPECT_EQ(dlg.m_nVddArmCode, VOLT_CODE_MANUAL - 1);

    // A check box toggles itself, and the program's check sends nothing.
    QTest::mouseClick(w<QCheckBox>(IDC_OVER_NIGHT), Qt::LeftButton);
    EXPECT_TRUE(host.get_check(IDC_OVER_NIGHT));
    host.set_check(IDC_OVER_NIGHT, false);
    EXPECT_FALSE(w<QCheckBox>(IDC_OVER_NIGHT)->isChecked());

    // A disabled button takes no click.
    QTest::mouseClick(w<QPushButton>(IDC_VDD_SOC_UP), Qt::LeftButton);
    EXPECT_EQ(dlg.m_nVddSocCode, VOLT_CODE_AUTO);
}

TEST(QtHostKeys, EnterIsOkEverywhereButOnButtonsAndInThePane) {
    RealClock clock;
    QtDialogHost host;
    OkCounting dlg(&host, &clock);
    host.open(dlg);
    activate(host.window());
    for (int id : {IDC_ADDR, IDC_VERIFY_DCD, IDC_TARGET, IDC_VDD_ARM}) {
        host.widget(id)->setFocus();
        QTest::keyClick(host.widget(id), Qt::Key_Return);
        QTest::keyClick(host.widget(id), Qt::Key_Enter, Qt::KeypadModifier);
    }
    EXPECT_EQ(dlg.oks, 8);
    EXPECT_TRUE(host.get_check(IDC_VERIFY_DCD));
    EXPECT_FALSE(host.ended());

    auto* pane = qobject_cast<QPlainTextEdit*>(host.widget(IDC_OUTPUT));
    pane->setFocus();
    QTest::keyClicks(pane, "abc");
    QTest::keyClick(pane, Qt::Key_Return);
    QTest::keyClicks(pane, "def");
    EXPECT_EQ(dlg.oks, 8);
    EXPECT_EQ(host.get_text(IDC_OUTPUT), u"abc\r\ndef");
    EXPECT_TRUE(host.get_modify(IDC_OUTPUT));
    // Typed text becomes the dialog's at the next exchange.
    EXPECT_TRUE(dlg.UpdateData(true));
    EXPECT_EQ(dlg.m_strOutput, u"abc\r\ndef");

    // Esc ends the run, also from a field (a QLineEdit would keep it).
    QTest::keyClick(host.widget(IDC_DDR_FREQ), Qt::Key_Escape);
    EXPECT_TRUE(host.ended());
    EXPECT_EQ(host.end_result(), DLG_IDCANCEL);
    EXPECT_FALSE(host.window()->isVisible());
}

TEST(QtPane, DisplayTextAndReadBack) {
    EXPECT_EQ(qt_pane::display_text(u"a\r\nb\nc\rd", 0), QStringLiteral("a\nb\nc\nd"));
    EXPECT_EQ(qt_pane::display_text(u"\nx", u'\r'), QStringLiteral("x"));
    EXPECT_EQ(qt_pane::display_text(u"\nx", u'a'), QStringLiteral("\nx"));
    EXPECT_EQ(qt_pane::from_widget(QStringLiteral("a") + QChar::ParagraphSeparator + QStringLiteral("b")),
              u"a\r\nb");
    const std::vector<std::u16string> filters =
        qt_name_filters(u"Script Files(*.inc;*.ds)|*.inc;*.ds|All Files(*.*)|*.*|");
    EXPECT_EQ(filters, (std::vector<std::u16string>{u"Script Files (*.inc *.ds)", u"All Files (*)"}));
}

TEST_F(QtHost, PaneKeepsTheDialogsTextExactly) {
    auto* pane = w<QPlainTextEdit>(IDC_OUTPUT);
    host.set_text(IDC_OUTPUT, u"a\r\nb\nc\rd");
    EXPECT_EQ(text(IDC_OUTPUT), u"a\r\nb\nc\rd");
    EXPECT_EQ(pane->document()->blockCount(), 4);
    EXPECT_FALSE(host.get_modify(IDC_OUTPUT));
    // A "\r\n" split over two appends is one line break.
    host.append_text(IDC_OUTPUT, u"\r");
    host.append_text(IDC_OUTPUT, u"\nnext \u00b1 \u00e9");
    EXPECT_EQ(text(IDC_OUTPUT), u"a\r\nb\nc\rd\r\nnext \u00b1 \u00e9");
    EXPECT_EQ(pane->toPlainText(), QStringLiteral("a\nb\nc\nd\nnext \u00b1 \u00e9"));
    EXPECT_EQ(host.line_count(IDC_OUTPUT), 5);
    EXPECT_TRUE(host.get_modify(IDC_OUTPUT));  // as EM_REPLACESEL leaves it
    host.set_modify(IDC_OUTPUT, false);
    EXPECT_FALSE(host.get_modify(IDC_OUTPUT));
    host.select_all(IDC_OUTPUT);
    EXPECT_EQ(pane->textCursor().selectedText().size(), pane->document()->characterCount() - 1);
}

TEST_F(QtHost, AppendsScrollTheEndIntoView) {
    auto* pane = w<QPlainTextEdit>(IDC_OUTPUT);
    for (int i = 0; i < 200; ++i) dlg.AppendOutput(u"DQS0 0x12 DQS1 0x34 DQS2 0x56 DQS3 0x78\r\n");
    QCoreApplication::processEvents();  // the caret moves once per turn of the loop
    EXPECT_TRUE(pane->textCursor().atEnd());
    QScrollBar* bar = pane->verticalScrollBar();
    EXPECT_GT(bar->maximum(), 100);
    EXPECT_GE(bar->value(), bar->maximum() - 1);  // the caret's empty last line is in view
    EXPECT_TRUE(pane->viewport()->rect().contains(pane->cursorRect()));
    EXPECT_EQ(host.line_count(IDC_OUTPUT), 201);
    const int at = bar->value();
    host.line_scroll(IDC_OUTPUT, -10);
    EXPECT_EQ(bar->value(), at - 10);
    host.line_scroll(IDC_OUTPUT, host.line_count(IDC_OUTPUT));
    EXPECT_EQ(bar->value(), bar->maximum());
    EXPECT_EQ(dlg.m_strOutput.size(), 200u * 41u);
}

TEST_F(QtHost, OutputFromAnotherThreadArrivesWholeAndInOrder) {
    std::u16string expected;
    for (int i = 0; i < 2000; ++i) expected += to_u16(QStringLiteral("line %1 \u00b0C\r\n").arg(i));
    std::thread loop([&] {
        for (int i = 0; i < 2000; ++i) dlg.AppendOutput(to_u16(QStringLiteral("line %1 \u00b0C\r\n").arg(i)));
    });
    // The window thread keeps serving meanwhile.
    pump_until([&] { return text(IDC_OUTPUT).size() >= expected.size() / 2; });
    loop.join();
    EXPECT_TRUE(pump_until([&] { return host.queued() == 0 && text(IDC_OUTPUT) == expected; }));
    EXPECT_TRUE(dlg.UpdateData(true));
    EXPECT_EQ(dlg.m_strOutput, expected);
}

TEST_F(QtHost, WindowSleepShowsOutputHoldsStatusCodesAndDiscardsInput) {
    host.list_select(IDC_VDD_ARM_MODE, 1);
    dlg.OnCbnSelchangeVddArmMode();  // Manual: "+" is enabled
    const int code = dlg.m_nVddArmCode;
    auto* plus = w<QPushButton>(IDC_VDD_ARM_UP);
    auto* freq = w<QLineEdit>(IDC_DDR_FREQ);
    // As during a Download: the window thread sleeps on the clock while the
    // receive thread appends and posts a status code, and the operator
    // clicks and types.
    std::thread loop([&] {
        dlg.AppendOutput(u"Image loading...\r\n");
        host.post_message(WM_TARGET_STATUS, 1, 0);
        dlg.AppendOutput(u"download Image to IRAM OK\r\n");
    });
    loop.join();
    QTimer::singleShot(20, [&] {
        QTest::mouseClick(plus, Qt::LeftButton);
        QTest::keyClick(plus, Qt::Key_Space);
        freq->selectAll();
        QTest::keyClicks(freq, "77");
        QTest::keyClick(freq, Qt::Key_Escape);
    });
    QElapsedTimer t;
    t.start();
    clock.sleep_for(150);
    EXPECT_GE(t.elapsed(), 150);
    EXPECT_LT(t.elapsed(), 3000);
    EXPECT_EQ(text(IDC_OUTPUT), u"Image loading...\r\ndownload Image to IRAM OK\r\n");
    EXPECT_FALSE(host.is_enabled(IDC_CALIBRATION));
    EXPECT_EQ(host.queued(), 1u);
    // The input went nowhere, now or later.
    EXPECT_EQ(dlg.m_nVddArmCode, code);
    EXPECT_EQ(text(IDC_DDR_FREQ), u"0");
    EXPECT_FALSE(host.ended());
    // Back in the window thread's own loop, the status code is handled.
    EXPECT_TRUE(pump_until([&] { return host.queued() == 0; }));
    EXPECT_TRUE(host.is_enabled(IDC_CALIBRATION));
    EXPECT_TRUE(host.is_enabled(IDC_SAVE_CALIBRATION));
    EXPECT_FALSE(host.is_enabled(IDC_SAVE_STRESS));
    EXPECT_EQ(dlg.m_nVddArmCode, code);
    EXPECT_EQ(text(IDC_DDR_FREQ), u"0");
    // Input outside a sleep is the operator's again.
    QTest::mouseClick(plus, Qt::LeftButton);
    EXPECT_EQ(dlg.m_nVddArmCode, code + 1);

    // A sleep of another thread is a plain sleep.
    std::thread other([&] { clock.sleep_for(5); });
    other.join();
}

TEST_F(QtHost, EscapeStopsTheReceiveLoopFirst) {
    std::atomic<int> rounds{0};
    std::atomic<bool> stopped{false};
    start_fake_loop(dlg, rounds, stopped);
    QTest::keyClick(host.widget(IDC_TARGET), Qt::Key_Escape);
    EXPECT_TRUE(host.ended());
    EXPECT_TRUE(stopped.load());
    EXPECT_FALSE(dlg.m_receiveThread.joinable());
    EXPECT_EQ(dlg.m_bLinkUp, 0);
    EXPECT_NE(text(IDC_OUTPUT).find(u"DDR test running\r\n"), std::u16string::npos);
}

TEST_F(QtHost, CloseBoxStopsTheLoopAndEndsTheRun) {
    std::atomic<int> rounds{0};
    std::atomic<bool> stopped{false};
    start_fake_loop(dlg, rounds, stopped);
    EXPECT_FALSE(host.window()->close());  // the dialog decides, through end_dialog
    EXPECT_TRUE(host.ended());
    EXPECT_EQ(host.end_result(), DLG_IDCANCEL);
    EXPECT_TRUE(stopped.load());
    EXPECT_FALSE(host.window()->isVisible());
}

TEST(QtHostRun, RunModalReturnsWhenTheWindowCloses) {
    RealClock clock;
    QtDialogHost host;
    COrvaneDlg dlg(&host, &clock);
    QTimer::singleShot(50, [&] { host.window()->close(); });
    EXPECT_EQ(host.run_modal(dlg), DLG_IDCANCEL);
    EXPECT_FALSE(host.window()->isVisible());
    // Messages posted after the run go nowhere.
    host.post_message(WM_TARGET_STATUS, 1, 0);
    EXPECT_TRUE(pump_until([&] { return host.queued() == 0; }));
    EXPECT_FALSE(host.is_enabled(IDC_CALIBRATION));
}

TEST_F(QtHost, MessageBoxesCarryCaptionTextAndIcon) {
    QString title, body;
    QMessageBox::Icon icon = QMessageBox::NoIcon;
    answer_modal([&](QWidget* m) {
        auto* box = qobject_cast<QMessageBox*>(m);
        ASSERT_TRUE(box);
        title = box->windowTitle();
        body = box->text();
        icon = box->icon();
        box->button(QMessageBox::Ok)->click();
    });
    EXPECT_EQ(host.message_box(u"Enter an integer.", u"", BoxIcon::exclamation), BOX_RESULT_OK);
    EXPECT_EQ(title, QStringLiteral("Orvane"));
    EXPECT_EQ(body, QStringLiteral("Enter an integer."));
    EXPECT_EQ(icon, QMessageBox::Warning);

    answer_modal([&](QWidget* m) {
        title = m->windowTitle();
        icon = qobject_cast<QMessageBox*>(m)->icon();
        qobject_cast<QMessageBox*>(m)->accept();
    });
    host.message_box(u"Read/Write data from/to illgel address may cause SYSTEM HUNG", u"WARNING",
                     BoxIcon::none);
    EXPECT_EQ(title, QStringLiteral("WARNING"));
    EXPECT_EQ(icon, QMessageBox::NoIcon);
}

TEST_F(QtHost, LoadInitScriptFillsThePathAndCancelKeepsIt) {
    host.set_native_file_dialog(false);
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    const QString path = QDir(dir.path()).filePath(QStringLiteral("board \u00e9.inc"));
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write("setmem /32 0x30340004 = 0x0\n");
    file.close();

    QStringList filters;
    answer_modal([&](QWidget* m) {
        auto* picker = qobject_cast<QFileDialog*>(m);
        ASSERT_TRUE(picker);
        filters = picker->nameFilters();
        // selectFile() leaves the name field alone while it has the focus:
        // type into it, as the operator does.
        auto* name = picker->findChild<QLineEdit*>(QStringLiteral("fileNameEdit"));
        ASSERT_TRUE(name);
        name->setText(path);
        QMetaObject::invokeMethod(picker, "accept");
    });
    QTest::mouseClick(w<QPushButton>(IDC_LOAD_SCRIPT), Qt::LeftButton);
    EXPECT_EQ(filters, (QStringList{QStringLiteral("Script Files (*.inc *.ds)"), QStringLiteral("All Files (*)")}));
    EXPECT_EQ(text(IDC_SCRIPT_PATH), to_u16(path));
    EXPECT_EQ(dlg.m_strScriptPath, to_u16(path));

    answer_modal([](QWidget* m) { qobject_cast<QDialog*>(m)->reject(); });
    QTest::mouseClick(w<QPushButton>(IDC_LOAD_SCRIPT), Qt::LeftButton);
    EXPECT_EQ(text(IDC_SCRIPT_PATH), to_u16(path));
}

TEST_F(QtHost, F1AndTheContextMenuOpenTheAboutBox) {
    int runs = 0;
    auto check_about = [&](QWidget* m) {
        auto* box = qobject_cast<QDialog*>(m);
        ASSERT_TRUE(box);
        EXPECT_EQ(box, host.about_box());
        EXPECT_EQ(box->windowTitle(), QStringLiteral("About Brenlow Orvane"));
        bool version = false;
        for (QLabel* l : box->findChildren<QLabel*>())
            if (l->text() == QStringLiteral("Orvane, Version2.2.0")) version = true;
        EXPECT_TRUE(version);
        auto* ok = box->findChild<QPushButton*>(QStringLiteral("ok"));
        ASSERT_TRUE(ok);
        EXPECT_EQ(ok->text(), QStringLiteral("OK"));
        EXPECT_TRUE(ok->isDefault());
        ++runs;
        ok->click();
    };
    answer_modal(check_about);
    QTest::keyClick(host.widget(IDC_TARGET), Qt::Key_F1);
    EXPECT_EQ(runs, 1);
    EXPECT_EQ(host.about_box(), nullptr);

    QString item;
    answer_popup([&](QMenu* menu) {
        ASSERT_FALSE(menu->actions().isEmpty());
        item = menu->actions().first()->text();
        answer_modal(check_about);
        QTest::keyClick(menu, Qt::Key_Down);
        QTest::keyClick(menu, Qt::Key_Return);
    });
    QContextMenuEvent event(QContextMenuEvent::Mouse, QPoint(4, 4), host.window()->mapToGlobal(QPoint(4, 4)));
    QApplication::sendEvent(host.window(), &event);
    EXPECT_EQ(item, QStringLiteral("&About Orvane..."));
    EXPECT_EQ(runs, 2);
    EXPECT_FALSE(host.ended());
}
