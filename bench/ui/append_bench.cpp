// Append throughput of the output pane on the headless host: 64-byte appends
// until the text holds 1 MiB, then on until 64 MiB; the mean cost per append
// of each stretch, side by side with rewriting the whole text per append at
// those sizes. Goals: the 64 MiB mean within 1.5 times the 1 MiB mean, and at
// least 1000 times faster than the rewrite at 64 MiB.
#include <benchmark/benchmark.h>

#include <chrono>
#include <cstdio>
#include <memory>
#include <string>

#include "ui/headless/headless_host.h"
#include "ui/orvane_dlg.h"
#include "usb/clock.h"

namespace {

class StillClock final : public Clock {
public:
    std::int64_t now_ms() override { return 0; }
    void sleep_for(std::int64_t) override {}
    bool wait_until(std::int64_t, const std::function<bool()>& ready) override { return ready(); }
    void notify() override {}
};

constexpr std::size_t kMiB = 1024 * 1024;
constexpr std::size_t kChunk = 64;

struct Pane {
    StillClock clock;
    HeadlessHost host;
    COrvaneDlg dlg{&host, &clock};
    Pane() { host.open(dlg); }
};

std::u16string chunk() {
    std::u16string c(kChunk - 2, u'x');
    return c + u"\r\n";
}

// Appends until the text holds target characters; mean ns per append.
double append_until(COrvaneDlg& dlg, std::size_t target) {
    const std::u16string piece = chunk();
    std::size_t n = 0;
    auto start = std::chrono::steady_clock::now();
    while (dlg.m_strOutput.size() < target) {
        dlg.AppendOutput(piece);
        ++n;
    }
    auto ns = std::chrono::duration<double, std::nano>(std::chrono::steady_clock::now() - start);
    return n ? ns.count() / static_cast<double>(n) : 0.0;
}

// The whole text rewritten, its lines counted and scrolled, per append.
double rewrite_at(std::size_t size, int appends) {
    HeadlessHost host;
    StillClock clock;
    COrvaneDlg dlg(&host, &clock);
    host.open(dlg);
    std::u16string text(size, u'x');
    const std::u16string piece = chunk();
    auto start = std::chrono::steady_clock::now();
    for (int i = 0; i < appends; ++i) {
        text += piece;
        host.set_text(IDC_OUTPUT, text);
        host.line_scroll(IDC_OUTPUT, host.line_count(IDC_OUTPUT));
    }
    auto ns = std::chrono::duration<double, std::nano>(std::chrono::steady_clock::now() - start);
    return ns.count() / appends;
}

struct Figures {
    double append_1m = 0, append_64m = 0, rewrite_1m = 0, rewrite_64m = 0;
} figures;

void BM_AppendTo1MiBThen64MiB(benchmark::State& state) {
    for (auto _ : state) {
        auto pane = std::make_unique<Pane>();
        figures.append_1m = append_until(pane->dlg, kMiB);
        figures.append_64m = append_until(pane->dlg, 64 * kMiB);
        benchmark::DoNotOptimize(pane->dlg.m_strOutput.data());
    }
    state.counters["ns_per_append_1MiB"] = figures.append_1m;
    state.counters["ns_per_append_64MiB"] = figures.append_64m;
    state.counters["ratio"] = figures.append_64m / figures.append_1m;
}
BENCHMARK(BM_AppendTo1MiBThen64MiB)->Iterations(1)->Unit(benchmark::kMillisecond);

void BM_RewritePerAppend(benchmark::State& state) {
    for (auto _ : state) {
        figures.rewrite_1m = rewrite_at(kMiB, 200);
        figures.rewrite_64m = rewrite_at(64 * kMiB, 5);
    }
    state.counters["ns_per_rewrite_1MiB"] = figures.rewrite_1m;
    state.counters["ns_per_rewrite_64MiB"] = figures.rewrite_64m;
}
BENCHMARK(BM_RewritePerAppend)->Iterations(1)->Unit(benchmark::kMillisecond);

}  // namespace

int main(int argc, char** argv) {
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    if (figures.append_1m <= 0 || figures.rewrite_64m <= 0) return 0;  // filtered out
    double ratio = figures.append_64m / figures.append_1m;
    double speedup = figures.rewrite_64m / figures.append_64m;
    std::printf("\n%-34s %14s %14s\n", "mean cost per 64-byte append", "to 1 MiB", "to 64 MiB");
    std::printf("%-34s %11.0f ns %11.0f ns\n", "append at the end (AppendOutput)",
                figures.append_1m, figures.append_64m);
    std::printf("%-34s %11.0f ns %11.0f ns\n", "whole-text rewrite", figures.rewrite_1m,
                figures.rewrite_64m);
    std::printf("ratio 64 MiB / 1 MiB: %.2f (goal < 1.5: %s)\n", ratio, ratio < 1.5 ? "met" : "MISSED");
    std::printf("rewrite / append at 64 MiB: %.0fx (goal >= 1000x: %s)\n", speedup,
                speedup >= 1000 ? "met" : "MISSED");
    return 0;
}
