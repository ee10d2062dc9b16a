// One report of the table file's speed against the floor of the machine, in
// one run: the floor (reading the file in 1 MB reads and counting its lines,
// warm cache), LoadTableFile, SaveTableFile, sorting by a text column with
// many equal values and by a number column (at 100,000 and at 1,000,000
// records), an edit of one column over every record, and the peak memory of
// one load as a multiple of the file size.
//
// The table: 1,000,000 records of seven columns (a text with quotes,
// backslashes and umlauts; a city out of five names with umlauts; a whole
// number; a fractional number; a truth value; a mostly null number; a mostly
// null text), about 68 MB. Each time is the best of a few runs (five for the
// load and the save, whose first touches of fresh memory vary the most).
//
// Options: --records=N for a smaller table.

#include <fcntl.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <functional>
#include <memory>
#include <string>

#include "bench/bench_table.h"
#include "platform/core/show_message.h"
#include "platform/dataset/client_dataset.h"
#include "table_file/sy_db.h"

namespace {

using Clock = std::chrono::steady_clock;
using bench_table::FileSize;
using bench_table::ReadAndCountLines;

int gRecords = 1000000;

double Seconds(Clock::time_point start) {
    return std::chrono::duration<double>(Clock::now() - start).count();
}

// The best of runs timings of body; prepare runs untimed before each.
double Best(
    int runs, const std::function<void()>& body, const std::function<void()>& prepare = [] {}) {
    double best = 1e30;
    for (int i = 0; i < runs; ++i) {
        prepare();
        const auto start = Clock::now();
        body();
        best = std::min(best, Seconds(start));
    }
    return best;
}

// Defines the seven columns and appends records rows the way an editor user's
// table grows: Append, the values, Post.
void FillTable(TClientDataSet& ds, int records) {
    bench_table::CreateColumns(ds, {{"Title", ftString, 40},
                                    {"City", ftString, 20},
                                    {"Count", ftFloat, 0},
                                    {"Price", ftFloat, 0},
                                    {"Paid", ftBoolean, 0},
                                    {"Rare", ftFloat, 0},
                                    {"Note", ftString, 20}});
    const char* cities[] = {"M\xfcnchen", "K\xf6ln", "D\xfcsseldorf", "G\xf6ttingen",
                            "N\xfcrnberg"};
    std::string title;
    TFields& f = ds.Fields();
    for (int r = 0; r < records; ++r) {
        ds.Append();
        title.assign(1, '"');
        title += std::to_string(r);
        title += "\" f\xfcr C:\\x";
        f[0].SetAsString(title);
        f[1].SetAsString(cities[(r * 7 + r / 3) % 5]);
        f[2].SetAsFloat(static_cast<int64_t>(r) * 7919 % 100000);
        f[3].SetAsFloat((r % 100003) / 64.0 + 0.125);
        f[4].SetAsBoolean(r % 3 == 0);
        if (r % 10 == 0) f[5].SetAsFloat(r / 10);
        if (r % 7 == 0) f[6].SetAsString("\xc4nderung");
        ds.Post();
    }
}

// In the child: loads path and prints the peak memory growth as a multiple of
// the file size.
int LoadAndReportPeak(const char* path) {
    const bench_table::LoadPeak m = bench_table::MeasureLoadPeak(path);
    std::printf(
        "peak memory of a load   %8.1f MB growth   %6.2f x file size (target < 2.5 x: %s)%s\n",
        m.GrowthMb(), m.Ratio(), m.Ratio() < 2.5 ? "met" : "MISSED", m.ok ? "" : " (FAILED)");
    return m.ok ? 0 : 1;
}

int MeasurePeakRss(const std::string& path) {
    return bench_table::RunLoadAndReport("floor_report", path);
}

// The time of selecting a new index on field, ascending.
double SortTime(TClientDataSet& ds, const char* field, bool descending = false) {
    const std::string name = std::string(field) + (descending ? "Desc" : "Index");
    if (ds.IndexDefs().IndexOf(name) < 0)
        ds.AddIndex(name, field, descending ? TIndexOptions{ixDescending} : TIndexOptions{});
    return Best(
        3, [&] { ds.SetIndexName(name); }, [&] { ds.SetIndexName(""); });
}

// One measurement against the floor, and against its target when it has one.
void Line(const char* what, double seconds, double floor, double target = 0) {
    std::printf("%-24s %8.1f ms   %6.1f x floor", what, seconds * 1e3, seconds / floor);
    if (target > 0)
        std::printf("   (target %4.1f x: %s)", target,
                    seconds / floor <= target ? "met" : "MISSED");
    std::printf("\n");
}

}  // namespace

int main(int argc, char** argv) {
    SetShowMessageHandler([](const std::string&) {});
    if (argc == 3 && std::strcmp(argv[1], "--load-and-report") == 0)
        return LoadAndReportPeak(argv[2]);
    for (int i = 1; i < argc; ++i) {
        if (std::strncmp(argv[i], "--records=", 10) == 0) gRecords = std::atoi(argv[i] + 10);
    }
    if (gRecords < 10) gRecords = 10;

    const std::string path = bench_table::BenchDir() + "/floor.qmt";
    const std::string out = bench_table::BenchDir() + "/saved.qmt";
    {
        TClientDataSet ds;
        FillTable(ds, gRecords);
        if (!SaveTableFile(path, '"', ds)) std::abort();
    }
    const double size = static_cast<double>(FileSize(path));
    std::printf("table: %d records, %.1f MB\n", gRecords, size / 1e6);
    if (gRecords != 1000000)
        std::printf("(the targets are for 1,000,000 records; smaller tables miss some)\n");

    size_t lines = 0;
    const double floor = Best(5, [&] { lines = ReadAndCountLines(path); });
    std::printf("%-24s %8.1f ms   (%zu lines)\n", "floor", floor * 1e3, lines);

    std::unique_ptr<TClientDataSet> loaded;
    bool ok = true;
    const double load = Best(
        5, [&] { ok &= LoadTableFile(path, *loaded); },
        [&] {
            loaded.reset();
            loaded = std::make_unique<TClientDataSet>();
        });
    if (!ok) std::printf("LoadTableFile FAILED\n");
    Line("LoadTableFile", load, floor, 18);

    TClientDataSet& ds = *loaded;
    const double save = Best(5, [&] { ok &= SaveTableFile(out, '"', ds); });
    if (!ok) std::printf("SaveTableFile FAILED\n");
    Line("SaveTableFile", save, floor, 14);
    if (FileSize(out) != FileSize(path)) std::printf("saved file differs in size\n");

    ds.Open();
    const double city = SortTime(ds, "City");
    const double cityDesc = SortTime(ds, "City", true);
    const double title = SortTime(ds, "Title");
    const double price = SortTime(ds, "Price");
    const double count = SortTime(ds, "Count");
    Line("sort by City", city, floor);
    Line("sort by City descending", cityDesc, floor);
    Line("sort by Title", title, floor);
    Line("sort by Price", price, floor);
    Line("sort by Count", count, floor);
    std::printf("City / Price sort        %8.2f                     (target  1.5: %s)\n",
                city / price, city / price <= 1.5 ? "met" : "MISSED");
    ds.SetIndexName("");

    // One column rewritten over every record, the way a restructure copies.
    const double edit = Best(1, [&] {
        TField& f = ds.Fields()[2];
        ds.DisableControls();
        for (ds.First(); !ds.Eof(); ds.Next()) {
            ds.Edit();
            f.SetAsFloat(f.AsFloat() + 1);
            ds.Post();
        }
        ds.EnableControls();
    });
    Line("Edit/SetAs/Post a column", edit, floor);

    if (gRecords >= 100000) {
        TClientDataSet small;
        FillTable(small, gRecords / 10);
        const double citySmall = SortTime(small, "City");
        const double priceSmall = SortTime(small, "Price");
        std::printf("growth from %d records: City sort %.1f x, Price sort %.1f x\n", gRecords / 10,
                    city / citySmall, price / priceSmall);
    }
    loaded.reset();

    const int rc = MeasurePeakRss(path);
    bench_table::RemoveBenchDir();
    return rc;
}
