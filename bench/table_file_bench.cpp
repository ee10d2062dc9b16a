// Speed of reading and writing a large table file, against the floor of a
// plain pass that only reads the file and counts its lines.
//
// The table: 1,000,000 records of six columns (a text with blanks, quotes and
// backslashes; a text with umlauts; a whole number; a fractional number; a
// truth value; a mostly null number), about 80 MB.
//
// Run with --peak-rss to measure the peak memory of one load in a child
// process (printed as bytes and as a multiple of the file size).

#include <benchmark/benchmark.h>
#include <fcntl.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <memory>
#include <string>

#include "bench/bench_table.h"
#include "platform/core/show_message.h"
#include "table_file/sy_db.h"

namespace {

using bench_table::BenchDir;
using bench_table::RemoveBenchDir;

using bench_table::FileSize;
using bench_table::FillTable;
using bench_table::kRecords;
using bench_table::ReadAndCountLines;

std::string SourcePath() {
    return BenchDir() + "/big.qmt";
}

// Writes the table once for the whole run.
const std::string& SourceFile() {
    static const std::string path = [] {
        TClientDataSet ds;
        FillTable(ds);
        if (!SaveTableFile(SourcePath(), '"', ds)) std::abort();
        return SourcePath();
    }();
    return path;
}

void BM_Floor_ReadAndCountLines(benchmark::State& state) {
    const std::string& path = SourceFile();
    for (auto _ : state) benchmark::DoNotOptimize(ReadAndCountLines(path));
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * FileSize(path)));
    state.counters["records/s"] = benchmark::Counter(
        static_cast<double>(state.iterations()) * kRecords, benchmark::Counter::kIsRate);
}

void BM_LoadTableFile(benchmark::State& state) {
    const std::string& path = SourceFile();
    for (auto _ : state) {
        auto ds = std::make_unique<TClientDataSet>();
        if (!LoadTableFile(path, *ds)) state.SkipWithError("load failed");
        state.PauseTiming();
        ds.reset();  // the dataset is freed outside the timing
        state.ResumeTiming();
    }
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * FileSize(path)));
    state.counters["records/s"] = benchmark::Counter(
        static_cast<double>(state.iterations()) * kRecords, benchmark::Counter::kIsRate);
}

void BM_SaveTableFile(benchmark::State& state) {
    const std::string& path = SourceFile();
    TClientDataSet ds;
    if (!LoadTableFile(path, ds)) std::abort();
    const std::string out = BenchDir() + "/saved.qmt";
    for (auto _ : state) {
        if (!SaveTableFile(out, '"', ds)) state.SkipWithError("save failed");
    }
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * FileSize(out)));
    state.counters["records/s"] = benchmark::Counter(
        static_cast<double>(state.iterations()) * kRecords, benchmark::Counter::kIsRate);
}

BENCHMARK(BM_Floor_ReadAndCountLines)->Unit(benchmark::kMillisecond)->Iterations(5);
BENCHMARK(BM_LoadTableFile)->Unit(benchmark::kMillisecond)->Iterations(3);
BENCHMARK(BM_SaveTableFile)->Unit(benchmark::kMillisecond)->Iterations(3);

// In the child: loads path and reports the peak memory growth.
int LoadAndReportPeak(const char* path) {
    const bench_table::LoadPeak m = bench_table::MeasureLoadPeak(path);
    std::printf(
        "load %s: file %.1f MB, RSS before %.1f MB, peak %.1f MB, growth %.1f MB = %.2f x file "
        "size\n",
        m.ok ? "ok" : "FAILED", m.fileBytes / 1e6, m.beforeKb / 1e3, m.peakKb / 1e3, m.GrowthMb(),
        m.Ratio());
    return m.ok ? 0 : 1;
}

// Writes the file, then loads it in a fresh process of this program.
int MeasurePeakRss() {
    const std::string& path = SourceFile();
    return bench_table::RunLoadAndReport("table_file_bench", path);
}

}  // namespace

int main(int argc, char** argv) {
    SetShowMessageHandler([](const std::string&) {});
    if (argc == 3 && std::strcmp(argv[1], "--load-and-report") == 0)
        return LoadAndReportPeak(argv[2]);
    bool peakOnly = false;
    for (int i = 1; i < argc; ++i) peakOnly |= std::strcmp(argv[i], "--peak-rss") == 0;
    int rc = 0;
    if (peakOnly) {
        rc = MeasurePeakRss();
    } else {
        benchmark::Initialize(&argc, argv);
        benchmark::RunSpecifiedBenchmarks();
        benchmark::Shutdown();
    }
    RemoveBenchDir();
    return rc;
}
