#pragma once
// The large table that the benchmarks read, write, sort and restructure:
// six columns (a text with blanks, quotes and backslashes; a text with
// umlauts; a whole number; a fractional number; a truth value; a mostly null
// number). A million records make a file of about 80 MB.

#include <cstdlib>
#include <filesystem>
#include <string>

#include "platform/dataset/client_dataset.h"

namespace bench_table {

constexpr int kRecords = 1000000;

// A folder of the program's own under the temporary folder, made on first use.
inline const std::string& BenchDir() {
    static const std::string dir = [] {
        std::string pattern =
            (std::filesystem::temp_directory_path() / "qmt_bench_XXXXXX").string();
        if (::mkdtemp(pattern.data()) == nullptr) std::abort();
        return pattern;
    }();
    return dir;
}

inline void RemoveBenchDir() {
    std::error_code ec;
    std::filesystem::remove_all(BenchDir(), ec);
}

// Defines the six columns in ds, creates it and appends records rows.
inline void FillTable(TClientDataSet& ds, int records = kRecords) {
    const struct {
        const char* name;
        TFieldType type;
        int size;
    } cols[] = {{"Title", ftString, 64}, {"City", ftString, 64}, {"Count", ftFloat, 0},
                {"Price", ftFloat, 0},   {"Paid", ftBoolean, 0}, {"Rare", ftFloat, 0}};
    for (const auto& c : cols) {
        TFieldDef& d = ds.FieldDefs().AddFieldDef();
        d.SetName(c.name);
        d.SetDataType(c.type);
        if (c.size) d.SetSize(c.size);
    }
    ds.CreateDataSet();
    const char* cities[] = {"M\xfcnchen", "K\xf6ln", "D\xfcsseldorf", "G\xf6ttingen",
                            "Stra\xdf\x65 \xc4hren"};
    std::string title;
    std::string city;
    for (int r = 0; r < records; ++r) {
        ds.Append();
        title = "Item \"";
        title += std::to_string(r);
        title += "\" at C:\\data\\x ";
        ds.Fields()[0].SetAsString(title);
        city = cities[r % 5];
        city += " Nr. ";
        city += std::to_string(r % 997);
        ds.Fields()[1].SetAsString(city);
        ds.Fields()[2].SetAsFloat(r * 7 % 100000);
        ds.Fields()[3].SetAsFloat((r % 100003) / 64.0 + 0.125);
        ds.Fields()[4].SetAsBoolean(r % 3 == 0);
        if (r % 10 == 0) ds.Fields()[5].SetAsFloat(r / 10);
        ds.Post();
    }
}

}  // namespace bench_table
