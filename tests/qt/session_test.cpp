// A whole session on the Qt host against the simulated board, in real time
// as orvane --simulate runs it: the Download blocks the window thread for
// about three seconds while its progress lines show in the pane; then a
// calibration's text streams in and its status code enables the buttons.
#include <QDir>
#include <QFile>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>

#include "qt_fixture.h"

#include "catalogue/target_catalogue.h"
#include "sim/sim_board.h"
#include "usb/hid_link.h"

namespace {

// The firmware images below a temporary current folder, as orvane expects.
class InFolderWithFirmware {
public:
    InFolderWithFirmware() : previous_(QDir::currentPath()) {
        QDir(dir_.path()).mkpath(QStringLiteral("bin"));
        QDir(dir_.path()).mkpath(QStringLiteral("log"));
        QFile image(QDir(dir_.path()).filePath(QStringLiteral("bin/ddr-test-kt310.bin")));
        if (image.open(QIODevice::WriteOnly)) image.write(QByteArray(2048, '\x5a'));
        QDir::setCurrent(dir_.path());
    }
    ~InFolderWithFirmware() { QDir::setCurrent(previous_); }

private:
    QTemporaryDir dir_;
    QString previous_;
};

}  // namespace

TEST(QtSession, DownloadShowsItsProgressThenACalibrationRuns) {
    InFolderWithFirmware folder;
    RealClock clock;
    SimBoard board(clock, usb_vendor_id());
    hid_link().backend = &board;
    hid_link().vendor_id = usb_vendor_id();
    {
        QtDialogHost host;
        host.attach_clock(clock);
        COrvaneDlg dlg(&host, &clock);
        host.open(dlg);
        host.set_text(IDC_SCRIPT_PATH, to_u16(QStringLiteral(ORVANE_SOURCE_DIR "/examples/ddr3-2x256m-kt3xx.inc")));

        // A rail in Manual, so that its "+" is enabled during the Download.
        host.list_select(IDC_VDD_ARM_MODE, 1);
        dlg.OnCbnSelchangeVddArmMode();
        const int code = dlg.m_nVddArmCode;
        auto* plus = qobject_cast<QPushButton*>(host.widget(IDC_VDD_ARM_UP));

        // What the pane shows while the Download's handler runs: a timer is
        // no user input, so it fires during the window sleeps. It also
        // clicks "+", as the operator and as a program would: neither click
        // reaches the dialog while its handler runs.
        bool in_download = false;
        QString seen_during;
        int ticks = 0;
        QTimer sampler;
        QObject::connect(&sampler, &QTimer::timeout, [&] {
            if (!in_download) return;
            ++ticks;
            seen_during = qobject_cast<QPlainTextEdit*>(host.widget(IDC_OUTPUT))->toPlainText();
            QTest::mouseClick(plus, Qt::LeftButton);
            plus->click();
        });
        sampler.start(50);
        in_download = true;
        QElapsedTimer t;
        t.start();
        QTest::mouseClick(qobject_cast<QPushButton*>(host.widget(IDC_DOWNLOAD)), Qt::LeftButton);
        in_download = false;
        sampler.stop();
        EXPECT_GE(t.elapsed(), 2000);  // the two settle waits, in real time
        EXPECT_GT(ticks, 10);
        EXPECT_TRUE(seen_during.contains(QStringLiteral("download Image to IRAM OK")))
            << seen_during.toStdString();
        ASSERT_EQ(dlg.m_bLinkUp, 1) << narrow(host.get_text(IDC_OUTPUT));
        EXPECT_TRUE(host.is_enabled(IDC_CALIBRATION));
        EXPECT_EQ(dlg.m_nVddArmCode, code);
        QCoreApplication::processEvents();
        EXPECT_EQ(dlg.m_nVddArmCode, code);
        plus->click();
        EXPECT_EQ(dlg.m_nVddArmCode, code + 1);

        // The firmware's banner, then a calibration.
        auto* freq = qobject_cast<QLineEdit*>(host.widget(IDC_DDR_FREQ));
        freq->selectAll();
        QTest::keyClicks(freq, "528");
        QTest::mouseClick(qobject_cast<QPushButton*>(host.widget(IDC_CALIBRATION)), Qt::LeftButton);
        EXPECT_FALSE(host.is_enabled(IDC_CALIBRATION));
        EXPECT_TRUE(pump_until([&] { return host.is_enabled(IDC_SAVE_CALIBRATION); }, 20000));
        EXPECT_TRUE(host.is_enabled(IDC_CALIBRATION));
        const std::u16string pane = host.get_text(IDC_OUTPUT);
        EXPECT_NE(pane.find(u"DDR calibration at 528 MHz"), std::u16string::npos) << narrow(pane);
        EXPECT_NE(pane.find(u"Calibration PASS"), std::u16string::npos) << narrow(pane);

        // The README's picture (ui/qt/orvane-qt.png is a copy of it).
        host.window()->grab().save(
            QStringLiteral(ORVANE_BINARY_DIR "/tests/qt/orvane-session.png"));

        // Closing stops the receive loop and closes the device.
        QTest::keyClick(host.widget(IDC_TARGET), Qt::Key_Escape);
        EXPECT_TRUE(host.ended());
        EXPECT_FALSE(dlg.m_receiveThread.joinable());
        EXPECT_EQ(board.record(0).open_devices, 0);
        clock.set_window_sleep(nullptr);
    }
    hid_link().backend = nullptr;
}
