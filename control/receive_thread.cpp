#include "control/receive_thread.h"

#include <atomic>
#include <system_error>
#include <thread>

#include "ui/orvane_dlg.h"
#include "usb/clock.h"

namespace {

std::atomic<ReceiveThreadStarter> g_starter{nullptr};

bool start_std_thread(COrvaneDlg& dlg) {
    // std::thread reports a failed creation by throwing; it stops here.
    try {
        dlg.m_receiveThread = std::thread(&COrvaneDlg::ReceiveLoop, static_cast<void*>(&dlg));
    } catch (const std::system_error&) {
        return false;
    }
    return true;
}

}  // namespace

bool receive_thread_start(COrvaneDlg& dlg) {
    if (dlg.m_receiveThread.joinable()) return false;  // one loop at a time
    // The loop waits on the dialog's clock: it is counted as a user of it
    // before it starts, and counts itself off when it ends.
    Clock* clock = dlg.GetClock();
    if (clock) clock->add_user();
    ReceiveThreadStarter starter = g_starter.load();
    const bool started = starter ? starter(dlg) : start_std_thread(dlg);
    if (!started && clock) clock->remove_user();
    return started;
}

void receive_thread_set_starter(ReceiveThreadStarter starter) { g_starter.store(starter); }
