// The output pane on the Qt host (a QPlainTextEdit shown offscreen):
//   - 64-character appends on the window thread until the pane holds 1 MiB,
//     then on until 16 MiB: the mean cost per append of each stretch (goal:
//     the 16 MiB mean within 2 times the 1 MiB mean, so a long overnight log
//     does not slow the window down);
//   - firmware text from another thread, as the receive loop sends it: lines
//     appended off the window thread, taken in by the posted WM_OUTPUT_FLUSH,
//     until all of them are in the pane (lines per second).
// Run: QT_QPA_PLATFORM=offscreen build/bench/qt/qt_pane_bench
#include <benchmark/benchmark.h>

#include <QApplication>
#include <QCoreApplication>
#include <chrono>
#include <cstdio>
#include <memory>
#include <string>
#include <thread>

#include "ui/orvane_dlg.h"
#include "ui/qt/qt_host.h"
#include "usb/real_clock.h"

namespace {

constexpr std::size_t kMiB = 1024 * 1024;

struct Pane {
    RealClock clock;
    QtDialogHost host;
    COrvaneDlg dlg{&host, &clock};
    Pane() { host.open(dlg); }
};

std::u16string chunk() { return std::u16string(62, u'x') + u"\r\n"; }

// Appends until the text holds target characters; mean ns per append.
double append_until(COrvaneDlg& dlg, std::size_t target) {
    const std::u16string piece = chunk();
    std::size_t n = 0;
    const auto start = std::chrono::steady_clock::now();
    while (dlg.m_strOutput.size() < target) {
        dlg.AppendOutput(piece);
        ++n;
        if (n % 4096 == 0) QCoreApplication::processEvents();  // paints now and then
    }
    const std::chrono::duration<double, std::nano> ns = std::chrono::steady_clock::now() - start;
    return n ? ns.count() / static_cast<double>(n) : 0.0;
}

void BM_AppendTo1MiBThen16MiB(benchmark::State& state) {
    double first = 0, later = 0;
    for (auto _ : state) {
        auto pane = std::make_unique<Pane>();
        first = append_until(pane->dlg, kMiB);
        later = append_until(pane->dlg, 16 * kMiB);
    }
    state.counters["ns_per_append_to_1MiB"] = first;
    state.counters["ns_per_append_1_to_16MiB"] = later;
    state.counters["ratio"] = first > 0 ? later / first : 0;
    std::printf("pane append: %.0f ns to 1 MiB, %.0f ns from 1 to 16 MiB (ratio %.2f, goal <= 2)\n", first,
                later, first > 0 ? later / first : 0.0);
}
BENCHMARK(BM_AppendTo1MiBThen16MiB)->Iterations(1)->Unit(benchmark::kMillisecond);

void BM_LinesFromTheReceiveThread(benchmark::State& state) {
    const int lines = static_cast<int>(state.range(0));
    const std::u16string line = u"  write leveling   DQS0 0x30 DQS1 0x3D DQS2 0x0A DQS3 0x17\r\n";
    for (auto _ : state) {
        Pane pane;
        std::thread loop([&] {
            for (int i = 0; i < lines; ++i) pane.dlg.AppendOutput(line);
        });
        const std::size_t want = line.size() * static_cast<std::size_t>(lines);
        while (pane.host.get_text(IDC_OUTPUT).size() < want || pane.host.queued() > 0)
            QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
        loop.join();
    }
    state.SetItemsProcessed(state.iterations() * lines);
}
BENCHMARK(BM_LinesFromTheReceiveThread)->Arg(20000)->Unit(benchmark::kMillisecond);

}  // namespace

int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
