// The client dataset at scale: appending a million records of six columns,
// sorting them by a text and by a number column, and walking the view.

#include <benchmark/benchmark.h>

#include <memory>
#include <random>
#include <string>
#include <vector>

#include "platform/dataset/client_dataset.h"

namespace {

constexpr int kRecords = 1000000;

struct Values {
    std::vector<std::string> names;   // plain texts
    std::vector<std::string> cities;  // texts with umlauts and mixed case
    std::vector<double> amounts;
    std::vector<double> prices;
    std::vector<bool> paid;
    std::vector<std::string> notes;  // mostly null ("" here)

    Values() {
        std::mt19937 rng(42);
        const char* stems[] = {"M\xFCller", "m\xFCller",     "Mueller", "\xC4rger",     "arger",
                               "Zander",    "\xD6sterreich", "Oster",   "stra\xDF\x65", "Strasse"};
        for (int i = 0; i < kRecords; ++i) {
            names.push_back("Name " + std::to_string(rng() % 100000));
            cities.push_back(std::string(stems[rng() % 10]) + " " + std::to_string(rng() % 1000));
            amounts.push_back(static_cast<double>(rng() % 1000000) / 100.0);
            prices.push_back(static_cast<double>(rng()) / 7.0);
            paid.push_back(rng() % 2 == 0);
            notes.push_back(rng() % 10 == 0 ? "note " + std::to_string(i) : std::string());
        }
    }
};

const Values& TestValues() {
    static const Values values;
    return values;
}

std::unique_ptr<TClientDataSet> FilledDataSet() {
    const Values& v = TestValues();
    auto ds = std::make_unique<TClientDataSet>();
    ds->SetName("cdsBench");
    auto define = [&](const char* name, TFieldType type, int size) {
        TFieldDef& def = ds->FieldDefs().AddFieldDef();
        def.SetName(name);
        def.SetDataType(type);
        if (size > 0) def.SetSize(size);
    };
    define("Name", ftString, 32);
    define("City", ftString, 32);
    define("Amount", ftFloat, 0);
    define("Price", ftFloat, 0);
    define("Paid", ftBoolean, 0);
    define("Note", ftString, 32);
    ds->CreateDataSet();
    TFields& f = ds->Fields();
    for (int i = 0; i < kRecords; ++i) {
        ds->Append();
        f[0].SetAsString(v.names[i]);
        f[1].SetAsString(v.cities[i]);
        f[2].SetAsFloat(v.amounts[i]);
        f[3].SetAsFloat(v.prices[i]);
        f[4].SetAsBoolean(v.paid[i]);
        if (!v.notes[i].empty()) f[5].SetAsString(v.notes[i]);
        ds->Post();
    }
    return ds;
}

TClientDataSet& SharedDataSet() {
    static std::unique_ptr<TClientDataSet> ds = FilledDataSet();
    return *ds;
}

void BM_Append1M(benchmark::State& state) {
    TestValues();
    for (auto _ : state) {
        auto ds = FilledDataSet();
        benchmark::DoNotOptimize(ds->RecordCount());
    }
    state.SetItemsProcessed(state.iterations() * kRecords);
}
BENCHMARK(BM_Append1M)->Unit(benchmark::kMillisecond)->Iterations(3);

void SortBy(benchmark::State& state, const char* field) {
    TClientDataSet& ds = SharedDataSet();
    const bool descending = state.range(0) != 0;
    for (auto _ : state) {
        ds.AddIndex("ix", field, descending ? TIndexOptions{ixDescending} : TIndexOptions{});
        ds.SetIndexName("ix");
        state.PauseTiming();
        ds.DeleteIndex("ix");
        state.ResumeTiming();
    }
    state.SetItemsProcessed(state.iterations() * kRecords);
}

void BM_SortByText(benchmark::State& state) {
    SortBy(state, "City");
}
BENCHMARK(BM_SortByText)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond)->Iterations(3);

void BM_SortByNumber(benchmark::State& state) {
    SortBy(state, "Amount");
}
BENCHMARK(BM_SortByNumber)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond)->Iterations(3);

void BM_WalkView(benchmark::State& state) {
    TClientDataSet& ds = SharedDataSet();
    TFields& f = ds.Fields();
    const int fieldCount = f.Count();
    for (auto _ : state) {
        size_t bytes = 0;
        ds.First();
        while (!ds.Eof()) {
            for (int j = 0; j < fieldCount; ++j) bytes += f[j].AsString().size();
            ds.Next();
        }
        benchmark::DoNotOptimize(bytes);
    }
    state.SetItemsProcessed(state.iterations() * kRecords);
}
BENCHMARK(BM_WalkView)->Unit(benchmark::kMillisecond)->Iterations(3);

void BM_ViewDisplayText(benchmark::State& state) {
    TClientDataSet& ds = SharedDataSet();
    const int fieldCount = ds.Fields().Count();
    for (auto _ : state) {
        size_t bytes = 0;
        const int count = ds.ViewCount();
        for (int k = 0; k < count; ++k) {
            for (int j = 0; j < fieldCount; ++j) bytes += ds.ViewDisplayText(k, j).size();
        }
        benchmark::DoNotOptimize(bytes);
    }
    state.SetItemsProcessed(state.iterations() * kRecords);
}
BENCHMARK(BM_ViewDisplayText)->Unit(benchmark::kMillisecond)->Iterations(3);

}  // namespace

BENCHMARK_MAIN();
