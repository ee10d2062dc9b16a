// Speed of the editor's commands on a large table, driven as the user drives
// them: open through the open command (the dialog answers the path), sort by
// picking a column in the sort box and clicking the direction buttons,
// restructure through the restructure dialog, save, and paint the grid at the
// top, the middle and the end of the table.
//
// The table: the million records of the table-file benchmark (about 80 MB),
// written once to a temporary folder. Each figure is the time until the
// command has returned and the pending events (the grid's repaint) are done.
//
// Options: --records=N for a smaller table (for profiling). Every benchmark
// reports the resident memory at its end (RSS_MB) and the peak while it ran
// (peak_MB); the open benchmark also reports its time as a multiple of
// LoadTableFile alone (x_load), the save benchmark as a multiple of
// SaveTableFile alone (x_save), each the best run of one against the best of
// the other.

#include <benchmark/benchmark.h>
#include <unistd.h>

#include <QApplication>
#include <QFile>
#include <QKeyEvent>
#include <QPixmap>
#include <QScrollBar>
#include <QTimer>
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "bench/bench_table.h"
#include "editor/Main.h"
#include "editor/data_module.h"
#include "editor/edit_table.h"
#include "editor/startup.h"
#include "platform/core/number_text.h"
#include "platform/dataset/client_dataset.h"
#include "platform/ui/application.h"
#include "platform/ui/combo_box.h"
#include "platform/ui/db_grid.h"
#include "platform/ui/speed_button.h"
#include "platform/ui/string_grid_view.h"
#include "table_file/sy_db.h"

namespace {

using bench_table::BenchDir;
using bench_table::RemoveBenchDir;

using Clock = std::chrono::steady_clock;

int gRecords = bench_table::kRecords;

// What the message boxes of the editor said during the run; any text there
// makes the running benchmark fail.
QStringList gMessages;

// The times of the library calls alone, for the ratios.
double gLoadSeconds = 0;
double gSaveSeconds = 0;

double Seconds(Clock::time_point from) {
    return std::chrono::duration<double>(Clock::now() - from).count();
}

// ---------------------------------------------------------------- files

// The generated table, written once for the whole run.
const std::string& SourceFile() {
    static const std::string path = [] {
        const std::string p = BenchDir() + "/big.qmt";
        TClientDataSet ds;
        bench_table::FillTable(ds, gRecords);
        if (!SaveTableFile(p, '"', ds)) std::abort();
        return p;
    }();
    return path;
}

// The copy that the editor opens and saves over.
std::string WorkFile() {
    const std::string work = BenchDir() + "/work.qmt";
    if (!std::filesystem::exists(work))
        std::filesystem::copy_file(SourceFile(), work,
                                   std::filesystem::copy_options::overwrite_existing);
    return work;
}

int64_t FileSize(const std::string& path) {
    return static_cast<int64_t>(std::filesystem::file_size(path));
}

// ---------------------------------------------------------------- memory

// A field of /proc/self/status in kB, -1 when missing.
long StatusKb(const char* field) {
    std::ifstream in("/proc/self/status");
    std::string line;
    const size_t n = std::strlen(field);
    while (std::getline(in, line))
        if (line.compare(0, n, field) == 0 && line.size() > n)
            return std::atol(line.c_str() + n + 1);
    return -1;
}

// Starts a new peak: the kernel resets the peak resident size to the current
// one on "5" written to clear_refs. Returns false where that is not allowed.
bool ResetPeakRss() {
    std::ofstream out("/proc/self/clear_refs");
    out << "5";
    out.flush();
    return static_cast<bool>(out);
}

// The highest peak seen over the run, across the resets.
long gPeakKb = 0;

void NotePeak() {
    gPeakKb = std::max(gPeakKb, StatusKb("VmHWM:"));
}

// Resets the peak at the start of a benchmark and reports the memory at its end.
class MemoryCounters {
  public:
    explicit MemoryCounters(benchmark::State& state) : state_(state) {
        NotePeak();
        ResetPeakRss();
    }
    ~MemoryCounters() {
        NotePeak();
        state_.counters["RSS_MB"] = StatusKb("VmRSS:") / 1024.0;
        state_.counters["peak_MB"] = StatusKb("VmHWM:") / 1024.0;
    }
    MemoryCounters(const MemoryCounters&) = delete;
    MemoryCounters& operator=(const MemoryCounters&) = delete;

  private:
    benchmark::State& state_;
};

// ---------------------------------------------------------------- driving the editor

// Runs the pending events: layout, the grid's repaint of what changed.
void Settle() {
    QApplication::processEvents();
}

// Paints the whole grid once, as the screen would show it.
void PaintGrid() {
    const QPixmap shot = MainForm->dbgQMT->grab();
    benchmark::DoNotOptimize(shot.cacheKey());
}

// Fails the benchmark when a message box was shown; true when none was.
bool NoMessages(benchmark::State& state) {
    if (gMessages.isEmpty()) return true;
    const std::string text = gMessages.join(" | ").toStdString();
    gMessages.clear();
    state.SkipWithError(text.c_str());
    return false;
}

// Picks entry index of the sort box as the user does (the change event runs).
void PickSort(int index) {
    MainForm->cbSort->SetItemIndex(index);
    if (MainForm->cbSort->OnChange) MainForm->cbSort->OnChange();
}

int SortEntry(const char* column) {
    return MainForm->cbSort->IndexOfItem(column);
}

// What the shown table holds now.
enum class Shown { Nothing, Opened, Restructured };
Shown gShown = Shown::Nothing;

// Opens path through the open command; the open dialog answers the path.
void OpenCommand(const std::string& path) {
    const QString answer = QFile::decodeName(path.c_str());
    MainForm->OpenDialogExecute = [answer](QString& name) {
        name = answer;
        return true;
    };
    MainForm->FileOpenItem->trigger();
    gShown = Shown::Opened;
}

// Makes the freshly opened work file the shown table, unsorted.
bool EnsureOpened(benchmark::State& state) {
    if (gShown != Shown::Opened || ActiveTable == nullptr) {
        OpenCommand(WorkFile());
        Settle();
    }
    if (!NoMessages(state)) return false;
    if (ActiveTable == nullptr || ActiveTable->RecordCount() != gRecords) {
        state.SkipWithError("the table was not opened");
        return false;
    }
    if (!ActiveTable->IndexName().empty()) {
        PickSort(0);
        Settle();
    }
    return NoMessages(state);
}

// Whether the view is ordered by one column: a number column checked at a
// thousand places through the view, a text column at its two ends only (the
// dataset's text order is its own business).
bool ViewLooksSorted(const char* column, bool descending) {
    TFields& fields = ActiveTable->Fields();
    int col = -1;
    for (int i = 0; i < fields.Count(); ++i)
        if (fields[i].FieldName() == column) col = i;
    if (col < 0) return false;
    const int n = ActiveTable->ViewCount();
    if (fields[col].DataType() == ftFloat) {
        bool seen = false;
        double prev = 0;
        for (int pos = 0; pos < n; pos += std::max(1, n / 1000)) {
            double v;
            if (!TryStrToFloat(ActiveTable->ViewDisplayText(pos, col), v)) continue;
            if (seen && (descending ? v > prev : v < prev)) return false;
            seen = true;
            prev = v;
        }
        return seen;
    }
    const AnsiString first = ActiveTable->ViewDisplayText(0, col);
    const AnsiString last = ActiveTable->ViewDisplayText(n - 1, col);
    return descending ? first != last && !(first < last) : first != last && first < last;
}

// Sends a key press with modifiers to the grid.
void PressKey(Qt::Key key, Qt::KeyboardModifiers mods = Qt::NoModifier) {
    QKeyEvent press(QEvent::KeyPress, key, mods);
    QApplication::sendEvent(MainForm->dbgQMT, &press);
    QKeyEvent release(QEvent::KeyRelease, key, mods);
    QApplication::sendEvent(MainForm->dbgQMT, &release);
}

// ---------------------------------------------------------------- the library alone

void BM_LoadTableFile(benchmark::State& state) {
    const std::string& path = SourceFile();
    MemoryCounters memory(state);
    double best = 1e30;
    for (auto _ : state) {
        auto ds = std::make_unique<TClientDataSet>();
        const auto start = Clock::now();
        if (!LoadTableFile(path, *ds)) state.SkipWithError("load failed");
        const double s = Seconds(start);
        state.SetIterationTime(s);
        best = std::min(best, s);
    }
    gLoadSeconds = best;
    state.SetBytesProcessed(state.iterations() * FileSize(path));
}

// ---------------------------------------------------------------- open

// From the open command to a painted grid: load, open the dataset, bind the
// grid, fill the sort box and hook the fields.
void BM_OpenCommand(benchmark::State& state) {
    const std::string path = WorkFile();
    MemoryCounters memory(state);
    double best = 1e30;
    for (auto _ : state) {
        const auto start = Clock::now();
        OpenCommand(path);
        Settle();
        PaintGrid();
        const double s = Seconds(start);
        state.SetIterationTime(s);
        best = std::min(best, s);
        if (!NoMessages(state)) break;
    }
    if (ActiveTable == nullptr || ActiveTable->RecordCount() != gRecords)
        state.SkipWithError("the table was not opened");
    if (gLoadSeconds > 0) state.counters["x_load"] = best / gLoadSeconds;
    state.SetBytesProcessed(state.iterations() * FileSize(path));
}

// ---------------------------------------------------------------- sorting

// The sort box's entry of column, or 0 (the benchmark skipped) when there is none.
int RequireSortEntry(benchmark::State& state, const char* column) {
    const int entry = SortEntry(column);
    if (entry <= 0) state.SkipWithError("no such entry in the sort box");
    return entry;
}

// Times action, with the events it causes, once per iteration.
template <class Action>
void TimeEach(benchmark::State& state, Action action) {
    for (auto _ : state) {
        const auto start = Clock::now();
        action();
        Settle();
        state.SetIterationTime(Seconds(start));
        if (!NoMessages(state)) break;
    }
}

// Picks a column in the sort box (the index is built ascending).
void BM_SortPick(benchmark::State& state, const char* column) {
    if (!EnsureOpened(state)) return;
    MemoryCounters memory(state);
    const int entry = RequireSortEntry(state, column);
    if (entry <= 0) return;
    TimeEach(state, [&] { PickSort(entry); });
    if (!ViewLooksSorted(column, false)) state.SkipWithError("the view is not sorted ascending");
}

// The descending button on a column picked before (outside the timing).
void BM_SortDescending(benchmark::State& state, const char* column) {
    if (!EnsureOpened(state)) return;
    MemoryCounters memory(state);
    const int entry = RequireSortEntry(state, column);
    if (entry <= 0) return;
    if (MainForm->cbSort->ItemIndex() != entry) PickSort(entry);
    Settle();
    TimeEach(state, [] { MainForm->sbDirDesc->Click(); });
    if (!ViewLooksSorted(column, true)) state.SkipWithError("the view is not sorted descending");
}

// The no-sort entry: the index goes, the natural order comes back.
void BM_SortNone(benchmark::State& state, const char* column) {
    if (!EnsureOpened(state)) return;
    MemoryCounters memory(state);
    for (auto _ : state) {
        state.PauseTiming();
        PickSort(SortEntry(column));
        Settle();
        state.ResumeTiming();
        const auto start = Clock::now();
        PickSort(0);
        Settle();
        state.SetIterationTime(Seconds(start));
        if (!NoMessages(state)) break;
    }
    if (!ActiveTable->IndexName().empty()) state.SkipWithError("the sort index stayed");
}

// ---------------------------------------------------------------- restructure

// The dialog's rows as it filled them: old name -> (old, new, kind, length).
using Row = std::vector<std::string>;

// Rename Title, drop Rare, move Paid to the front, turn the number column
// Count into text and the text column City into numbers.
std::vector<Row> EditedRows(const std::vector<Row>& shown) {
    auto find = [&](const char* name) {
        for (const Row& r : shown)
            if (r[0] == name) return r;
        return Row{name, name, "String", "32"};
    };
    Row paid = find("Paid");
    Row title = find("Title");
    title[1] = "Name";
    Row city = find("City");
    city[2] = "Number";
    city[3] = "-----";
    Row count = find("Count");
    count[2] = "String";
    count[3] = "16";
    Row price = find("Price");
    return {paid, title, city, count, price};
}

// Answers the restructure dialog with the edited rows and OK.
void AnswerRestructureDialog() {
    QTimer::singleShot(0, fmEditTable, [] {
        TStringGrid& g = fmEditTable->sgFields->Grid();
        std::vector<Row> shown;
        for (int r = 1; r < g.RowCount(); ++r)
            shown.push_back({g.Cells(0, r), g.Cells(1, r), g.Cells(2, r), g.Cells(3, r)});
        const std::vector<Row> rows = EditedRows(shown);
        g.SetRowCount(static_cast<int>(rows.size()) + 1);
        for (size_t r = 0; r < rows.size(); ++r)
            for (size_t c = 0; c < rows[r].size(); ++c)
                g.SetCells(static_cast<int>(c), static_cast<int>(r) + 1, rows[r][c]);
        fmEditTable->done(1);
    });
}

bool RestructuredAsAsked() {
    TFields& f = ActiveTable->Fields();
    if (f.Count() != 5 || ActiveTable->RecordCount() != gRecords) return false;
    const char* names[] = {"Paid", "Name", "City", "Count", "Price"};
    const TFieldType types[] = {ftBoolean, ftString, ftFloat, ftString, ftFloat};
    for (int i = 0; i < 5; ++i)
        if (f[i].FieldName() != names[i] || f[i].DataType() != types[i]) return false;
    // The first record's number became text.
    ActiveTable->First();
    return ActiveTable->FieldByName("Count").AsString() == "0";
}

void BM_Restructure(benchmark::State& state) {
    MemoryCounters memory(state);
    for (auto _ : state) {
        state.PauseTiming();
        const bool opened = EnsureOpened(state);
        state.ResumeTiming();
        if (!opened) break;
        const auto start = Clock::now();
        AnswerRestructureDialog();
        MainForm->sbEditTable->Click();
        Settle();
        PaintGrid();
        state.SetIterationTime(Seconds(start));
        gShown = Shown::Restructured;
        if (!NoMessages(state)) break;
        if (!RestructuredAsAsked()) {
            state.SkipWithError("the table was not restructured as asked");
            break;
        }
    }
}

// ---------------------------------------------------------------- save

// The library alone, on a dataset that no grid or navigator shows.
void BM_SaveTableFile(benchmark::State& state) {
    TClientDataSet ds;
    if (!LoadTableFile(WorkFile(), ds)) {
        state.SkipWithError("load failed");
        return;
    }
    ds.Open();
    MemoryCounters memory(state);
    const std::string out = BenchDir() + "/plain_save.qmt";
    double best = 1e30;
    for (auto _ : state) {
        const auto start = Clock::now();
        if (!SaveTableFile(out, '"', ds)) state.SkipWithError("save failed");
        const double s = Seconds(start);
        state.SetIterationTime(s);
        best = std::min(best, s);
        ds.Open();
    }
    gSaveSeconds = best;
    state.SetBytesProcessed(state.iterations() * FileSize(out));
}

// The save command over the opened work file, until the grid shows again.
void BM_SaveCommand(benchmark::State& state) {
    if (!EnsureOpened(state)) return;
    MemoryCounters memory(state);
    double best = 1e30;
    for (auto _ : state) {
        const auto start = Clock::now();
        MainForm->FileSaveItem->trigger();
        Settle();
        const double s = Seconds(start);
        state.SetIterationTime(s);
        best = std::min(best, s);
        if (!NoMessages(state)) break;
    }
    if (FileSize(WorkFile()) != FileSize(SourceFile()))
        state.SkipWithError("the saved file differs in size from the opened one");
    if (gSaveSeconds > 0) state.counters["x_save"] = best / gSaveSeconds;
    state.SetBytesProcessed(state.iterations() * FileSize(WorkFile()));
}

// ---------------------------------------------------------------- painting and moving

enum Position { kTop, kMiddle, kEnd };

// Brings the grid to a position: the top by Ctrl+Home, the middle by the
// scroll bar, the end by Ctrl+End.
void GoTo(Position where) {
    switch (where) {
        case kTop:
            PressKey(Qt::Key_Home, Qt::ControlModifier);
            break;
        case kMiddle: {
            QScrollBar* bar = MainForm->dbgQMT->verticalScrollBar();
            bar->setValue(bar->maximum() / 2);
            break;
        }
        case kEnd:
            PressKey(Qt::Key_End, Qt::ControlModifier);
            break;
    }
    Settle();
}

// One full paint of the grid at a position; args: position, sorted (by City).
void BM_GridPaint(benchmark::State& state) {
    if (!EnsureOpened(state)) return;
    MemoryCounters memory(state);
    PickSort(state.range(1) ? SortEntry("City") : 0);
    GoTo(static_cast<Position>(state.range(0)));
    for (auto _ : state) {
        const auto start = Clock::now();
        PaintGrid();
        state.SetIterationTime(Seconds(start));
    }
    state.counters["top_row"] = MainForm->dbgQMT->TopRow();
    NoMessages(state);
}

// Moving there, with the repaint: Ctrl+End, Ctrl+Home, the scroll bar to the
// middle; arg: sorted (by City).
void BM_GridMove(benchmark::State& state) {
    if (!EnsureOpened(state)) return;
    MemoryCounters memory(state);
    PickSort(state.range(1) ? SortEntry("City") : 0);
    const Position where = static_cast<Position>(state.range(0));
    for (auto _ : state) {
        state.PauseTiming();
        GoTo(where == kTop ? kEnd : kTop);
        state.ResumeTiming();
        const auto start = Clock::now();
        GoTo(where);
        PaintGrid();
        state.SetIterationTime(Seconds(start));
    }
    NoMessages(state);
}

void PositionArgs(benchmark::internal::Benchmark* b) {
    b->ArgNames({"pos", "sorted"});
    for (int sorted : {0, 1})
        for (int pos : {kTop, kMiddle, kEnd}) b->Args({pos, sorted});
}

constexpr auto kMs = benchmark::kMillisecond;

BENCHMARK(BM_LoadTableFile)->Unit(kMs)->UseManualTime()->Iterations(5);
BENCHMARK(BM_OpenCommand)->Unit(kMs)->UseManualTime()->Iterations(5);
BENCHMARK_CAPTURE(BM_SortPick, Title, "Title")->Unit(kMs)->UseManualTime()->Iterations(3);
BENCHMARK_CAPTURE(BM_SortPick, City, "City")->Unit(kMs)->UseManualTime()->Iterations(3);
BENCHMARK_CAPTURE(BM_SortDescending, City, "City")->Unit(kMs)->UseManualTime()->Iterations(3);
BENCHMARK_CAPTURE(BM_SortPick, Price, "Price")->Unit(kMs)->UseManualTime()->Iterations(3);
BENCHMARK_CAPTURE(BM_SortDescending, Count, "Count")->Unit(kMs)->UseManualTime()->Iterations(3);
BENCHMARK_CAPTURE(BM_SortNone, City, "City")->Unit(kMs)->UseManualTime()->Iterations(3);
BENCHMARK(BM_GridPaint)
    ->Apply(PositionArgs)
    ->Unit(benchmark::kMicrosecond)
    ->UseManualTime()
    ->Iterations(20);
BENCHMARK(BM_GridMove)
    ->Apply(PositionArgs)
    ->Unit(benchmark::kMicrosecond)
    ->UseManualTime()
    ->Iterations(5);
BENCHMARK(BM_SaveTableFile)->Unit(kMs)->UseManualTime()->Iterations(3);
BENCHMARK(BM_SaveCommand)->Unit(kMs)->UseManualTime()->Iterations(3);
BENCHMARK(BM_Restructure)->Unit(kMs)->UseManualTime()->Iterations(1);

// Takes --records=N out of the arguments.
void TakeOwnFlags(int& argc, char** argv) {
    int kept = 1;
    for (int i = 1; i < argc; ++i) {
        if (std::strncmp(argv[i], "--records=", 10) == 0) {
            gRecords = std::max(1, std::atoi(argv[i] + 10));
            continue;
        }
        argv[kept++] = argv[i];
    }
    argc = kept;
}

}  // namespace

int main(int argc, char** argv) {
    if (!std::getenv("QT_QPA_PLATFORM")) setenv("QT_QPA_PLATFORM", "offscreen", 1);
    TakeOwnFlags(argc, argv);
    QApplication app(argc, argv);
    TApplication application;
    Application->SetTitle("QMT Editor");
    // The German decimal mark, as the editor's users have it.
    const char oldMark = FormatSettings.DecimalSeparator;
    FormatSettings.DecimalSeparator = ',';
    auto record = [](const QString& caption, const QString& text) {
        gMessages.append(caption + ": " + text);
    };
    Application->SetMessageBoxHandler(record);
    Application->SetErrorBoxHandler(record);
    Application->SetQuestionHandler([](const QString& caption, const QString& text) {
        gMessages.append(caption + ": " + text);
        return true;
    });
    CreateForms();
    SetEnglishTexts();
    MainForm->show();
    Settle();

    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
    std::printf("table: %d records, %.1f MB\n", gRecords,
                static_cast<double>(FileSize(SourceFile())) / 1e6);
    std::fflush(stdout);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();

    DestroyForms();
    FormatSettings.DecimalSeparator = oldMark;
    NotePeak();
    std::printf("peak RSS of the whole run: %.1f MB\n", gPeakKb / 1024.0);
    RemoveBenchDir();
    return 0;
}
