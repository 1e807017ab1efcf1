// Closing the window while a receive loop runs: the loop is stopped and
// waited for before the dialog goes away.
#include <atomic>
#include <thread>

#include "dialog_fixture.h"

namespace {

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

}  // namespace

using ClosePath = DialogTest;

TEST_F(ClosePath, EscapeStopsTheLoopFirst) {
    std::atomic<int> rounds{0};
    std::atomic<bool> stopped{false};
    start_fake_loop(dlg, rounds, stopped);
    host.press_escape();
    EXPECT_TRUE(host.ended());
    EXPECT_TRUE(stopped.load());
    EXPECT_FALSE(dlg.m_receiveThread.joinable());
    EXPECT_EQ(dlg.m_bLinkUp, 0);
    EXPECT_NE(dlg.m_strOutput.find(u"DDR test running\r\n"), std::u16string::npos);
}

TEST_F(ClosePath, CloseBoxStopsTheLoopToo) {
    std::atomic<int> rounds{0};
    std::atomic<bool> stopped{false};
    start_fake_loop(dlg, rounds, stopped);
    host.close_box();
    EXPECT_TRUE(host.ended());
    EXPECT_TRUE(stopped.load());
    EXPECT_EQ(dlg.m_bLinkUp, 0);
}

TEST(ClosePathDestructor, StopsALoopLeftRunning) {
    StepClock clock;
    HeadlessHost host;
    std::atomic<int> rounds{0};
    std::atomic<bool> stopped{false};
    {
        COrvaneDlg dlg(&host, &clock);
        host.open(dlg);
        start_fake_loop(dlg, rounds, stopped);
    }
    EXPECT_TRUE(stopped.load());
}

TEST_F(ClosePath, StopWithoutALoopReturnsAtOnce) {
    dlg.StopReceiveLoop();
    host.press_escape();
    EXPECT_TRUE(host.ended());
    EXPECT_EQ(clock.now_ms(), 0);
}
