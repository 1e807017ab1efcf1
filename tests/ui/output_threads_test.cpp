// Firmware-style appends from a second thread while the window thread reads
// back, appends, clears and takes baselines. Meant to run under
// ThreadSanitizer too.
#include <atomic>
#include <sstream>
#include <thread>
#include <vector>

#include "dialog_fixture.h"

namespace {

std::u16string numbered(char16_t tag, int n) {
    std::string s = std::to_string(n);
    std::u16string line(1, tag);
    line.append(s.begin(), s.end());
    line += u"\r\n";
    return line;
}

// The numbers of the lines with that tag, in order.
std::vector<int> tagged(const std::u16string& text, char16_t tag) {
    std::vector<int> out;
    std::size_t at = 0;
    while (at < text.size()) {
        std::size_t end = text.find(u"\r\n", at);
        if (end == std::u16string::npos) end = text.size();
        if (end > at && text[at] == tag)
            out.push_back(std::stoi(std::string(text.begin() + at + 1, text.begin() + end)));
        at = end + 2;
    }
    return out;
}

}  // namespace

using OutputThreads = DialogTest;

TEST_F(OutputThreads, EveryAppendReachesThePaneOnceInOrder) {
    constexpr int kLines = 20000;
    std::u16string appended;  // everything appended to the pane, in order
    host.set_edit_listener([&](int id, EditChange change, std::u16string_view t) {
        if (id == IDC_OUTPUT && change == EditChange::appended) appended.append(t);
    });

    std::atomic<bool> done{false};
    std::thread firmware([&] {
        for (int i = 0; i < kLines; ++i) {
            dlg.AppendOutput(numbered(u'L', i));
            if (i % 8 == 0) std::this_thread::yield();  // let the window thread in between
        }
        done = true;
    });

    int round = 0, own = 0;
    bool consistent = true;
    while (!done.load()) {
        host.run_pending();
        switch (round++ % 6) {
        case 0: dlg.UpdateData(true); break;
        case 1: dlg.AppendOutput(numbered(u'W', own++)); break;
        case 2: dlg.BeginTestOutput(); break;
        case 3: host.run_pending(); break;
        case 4:
            if (round % 60 == 5) {
                dlg.m_bHaveBaseline = 0;
                dlg.ClearOutput();
            }
            break;
        case 5: dlg.AppendOutput(u""); break;
        }
        consistent = consistent && host.get_text(IDC_OUTPUT) == dlg.m_strOutput;
    }
    firmware.join();
    while (host.run_pending() > 0) {
    }

    EXPECT_TRUE(consistent);
    EXPECT_EQ(host.get_text(IDC_OUTPUT), dlg.m_strOutput);
    std::vector<int> lines = tagged(appended, u'L');
    ASSERT_EQ(lines.size(), static_cast<std::size_t>(kLines));
    for (int i = 0; i < kLines; ++i) ASSERT_EQ(lines[i], i);
    std::vector<int> mine = tagged(appended, u'W');
    ASSERT_EQ(mine.size(), static_cast<std::size_t>(own));
    for (int i = 0; i < own; ++i) ASSERT_EQ(mine[i], i);
    // A line the firmware sends after the window's last clear or baseline
    // step is what the pane ends with. (The firmware's own last line may
    // have been followed by a baseline restore, which rightly drops it.)
    std::thread last([&] { dlg.AppendOutput(numbered(u'Z', 1)); });
    last.join();
    host.run_pending();
    dlg.UpdateData(true);
    EXPECT_EQ(tagged(dlg.m_strOutput, u'Z'), std::vector<int>{1});
    const std::u16string tail = u"Z1\r\n";
    EXPECT_EQ(dlg.m_strOutput.substr(dlg.m_strOutput.size() - std::min(dlg.m_strOutput.size(), tail.size())), tail);
}

TEST_F(OutputThreads, ReadBackLosesNothingOfAQuietPane) {
    // Without clears or baselines, the text itself holds every line once.
    constexpr int kLines = 5000;
    std::thread firmware([&] {
        for (int i = 0; i < kLines; ++i) dlg.AppendOutput(numbered(u'L', i));
    });
    for (int i = 0; i < 2000; ++i) {
        dlg.UpdateData(true);
        host.run_pending();
    }
    firmware.join();
    host.run_pending();
    dlg.UpdateData(true);
    std::vector<int> lines = tagged(dlg.m_strOutput, u'L');
    ASSERT_EQ(lines.size(), static_cast<std::size_t>(kLines));
    for (int i = 0; i < kLines; ++i) ASSERT_EQ(lines[i], i);
}
