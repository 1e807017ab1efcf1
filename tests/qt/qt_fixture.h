// The main dialog opened on the Qt host, and helpers that answer the modal
// windows it opens.
#pragma once

#include <gtest/gtest.h>

#include <QApplication>
#include <QCoreApplication>
#include <QDialog>
#include <QElapsedTimer>
#include <QPointer>
#include <QTimer>
#include <QWidget>
#include <functional>
#include <string>

#include "ui/orvane_dlg.h"
#include "ui/qt/qt_host.h"
#include "usb/real_clock.h"

inline std::string narrow(const std::u16string& s) { return to_qstring(s).toStdString(); }

// Runs Qt's events until pred holds or ms of real time have passed.
inline bool pump_until(const std::function<bool()>& pred, int ms = 5000) {
    QElapsedTimer t;
    t.start();
    while (!pred()) {
        if (t.elapsed() > ms) return false;
        QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
    }
    return true;
}

// Answers the next modal window (message box, file picker, About box) with
// answer, called once it is the active modal widget; gives up after 30 s. A
// window still open 5 s after its answer is closed with a failure, so that a
// wrong answer fails the test instead of hanging it.
inline void answer_modal(std::function<void(QWidget*)> answer) {
    auto* timer = new QTimer;
    auto* started = new QElapsedTimer;
    started->start();
    timer->setInterval(10);
    QObject::connect(timer, &QTimer::timeout, [timer, started, answer] {
        QWidget* modal = QApplication::activeModalWidget();
        if (!modal && started->elapsed() < 30000) return;
        timer->stop();
        timer->deleteLater();
        delete started;
        if (!modal) return;
        QPointer<QWidget> open(modal);
        answer(modal);
        QTimer::singleShot(5000, [open] {
            if (!open || !open->isVisible()) return;
            ADD_FAILURE() << open->metaObject()->className() << " still open after its answer";
            if (auto* dialog = qobject_cast<QDialog*>(open.data())) dialog->reject();
        });
    });
    timer->start();
}

class QtDialogTest : public ::testing::Test {
protected:
    QtDialogTest() : dlg(&host, &clock) {
        host.attach_clock(clock);
        host.open(dlg);
    }
    ~QtDialogTest() override { clock.set_window_sleep(nullptr); }

    std::u16string text(int id) { return host.get_text(id); }
    template <class W>
    W* w(int id) {
        return qobject_cast<W*>(host.widget(id));
    }

    RealClock clock;
    QtDialogHost host;
    COrvaneDlg dlg;
};
