// Cost of reading an init script, per line: a full 1024-line "memory"
// script (KT410's capacity) and a full 512-line "setmem" script (KT310 to
// KT350), each from memory (a stream over a buffer, POSIX only) and from a
// file in the temp folder. The stream is rewound for every iteration, so
// opening the file is not counted. Goal: under 1 us per line.
//
// Counter ns_per_line: processor time per script line in nanoseconds (the
// reader is single-threaded work; processor time keeps the figure steady on
// a machine shared with other jobs).
#include <benchmark/benchmark.h>

#include <cstdio>
#include <ctime>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "catalogue/script_reader.h"

#if defined(__unix__) || defined(__APPLE__)
#define ORVANE_BENCH_HAVE_FMEMOPEN 1
#endif

namespace {

struct Script {
    ScriptFormat format;
    int capacity;
    int lines;
    std::string text;
};

// A full script: one register write per line, as a real script has them,
// with a trailing comment on every fourth line.
Script make_script(ScriptFormat format, int writes) {
    Script s{format, writes, 0, {}};
    const bool setmem = format == SCRIPT_SETMEM;
    char line[128];
    for (int i = 0; i < writes; ++i) {
        const unsigned addr = (setmem ? 0x021B0000u : 0x30400000u) + 4u * static_cast<unsigned>(i % 4096);
        const unsigned value = 0x9E3779B9u * static_cast<unsigned>(i + 1);
        const char* comment = (i % 4 == 0) ? (setmem ? "   // timing" : "   # timing") : "";
        if (setmem)
            std::snprintf(line, sizeof line, "setmem /32 0x%08X = 0x%08X%s\n", addr, value, comment);
        else
            std::snprintf(line, sizeof line, "memory set 0x%08X 32 0x%08X%s\n", addr, value, comment);
        s.text += line;
        ++s.lines;
    }
    return s;
}

void parse_stream(benchmark::State& state, const Script& script, std::FILE* file) {
    std::vector<DcdItem> items(static_cast<std::size_t>(script.capacity));
    const std::clock_t start = std::clock();
    for (auto _ : state) {
        std::rewind(file);
        int count = script.capacity;
        const int rc = script.format == SCRIPT_SETMEM ? parse_setmem_script(file, items.data(), &count)
                                                      : parse_memory_script(file, items.data(), &count);
        if (rc != 0 || count != script.capacity) {
            state.SkipWithError(script_msg);
            break;
        }
        benchmark::DoNotOptimize(items.data());
        benchmark::ClobberMemory();
    }
    const double elapsed_ns = 1e9 * static_cast<double>(std::clock() - start) / CLOCKS_PER_SEC;
    if (state.iterations() > 0)
        state.counters["ns_per_line"] = elapsed_ns / (static_cast<double>(state.iterations()) * script.lines);
    state.counters["lines"] = script.lines;
}

void parse_from_memory(benchmark::State& state, ScriptFormat format, int writes) {
#ifdef ORVANE_BENCH_HAVE_FMEMOPEN
    Script script = make_script(format, writes);
    std::FILE* file = ::fmemopen(script.text.data(), script.text.size(), "r");
    if (file == nullptr) {
        state.SkipWithError("fmemopen failed");
        return;
    }
    parse_stream(state, script, file);
    std::fclose(file);
#else
    (void)format;
    (void)writes;
    state.SkipWithError("no stream over memory on this platform");
#endif
}

void parse_from_file(benchmark::State& state, ScriptFormat format, int writes) {
    const Script script = make_script(format, writes);
    const std::filesystem::path path =
        std::filesystem::temp_directory_path() /
        ("orvane-parse-bench-" + std::to_string(writes) + (format == SCRIPT_SETMEM ? ".inc" : ".ds"));
    {
        std::ofstream out(path, std::ios::binary | std::ios::trunc);
        out << script.text;
    }
    std::FILE* file = std::fopen(path.string().c_str(), "r");
    if (file == nullptr) {
        state.SkipWithError("cannot open the script file");
        return;
    }
    parse_stream(state, script, file);
    std::fclose(file);
    std::error_code ec;
    std::filesystem::remove(path, ec);
}

void BM_Memory1024_FromMemory(benchmark::State& state) {
    parse_from_memory(state, SCRIPT_MEMORY, 1024);
}
void BM_Memory1024_FromFile(benchmark::State& state) {
    parse_from_file(state, SCRIPT_MEMORY, 1024);
}
void BM_Setmem512_FromMemory(benchmark::State& state) {
    parse_from_memory(state, SCRIPT_SETMEM, 512);
}
void BM_Setmem512_FromFile(benchmark::State& state) {
    parse_from_file(state, SCRIPT_SETMEM, 512);
}

BENCHMARK(BM_Memory1024_FromMemory)->Name("ParseScript/memory1024/from_memory");
BENCHMARK(BM_Memory1024_FromFile)->Name("ParseScript/memory1024/from_file");
BENCHMARK(BM_Setmem512_FromMemory)->Name("ParseScript/setmem512/from_memory");
BENCHMARK(BM_Setmem512_FromFile)->Name("ParseScript/setmem512/from_file");

}  // namespace

BENCHMARK_MAIN();
