#pragma once
// The large table that the benchmarks read, write, sort and restructure:
// six columns (a text with blanks, quotes and backslashes; a text with
// umlauts; a whole number; a fractional number; a truth value; a mostly null
// number). A million records make a file of about 80 MB.

#include <fcntl.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <initializer_list>
#include <memory>
#include <string>

#include "platform/dataset/client_dataset.h"
#include "table_file/sy_db.h"

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

inline size_t FileSize(const std::string& path) {
    return std::filesystem::file_size(path);
}

// The floor of the machine: the file read in 1 MB reads, its lines counted
// with memchr.
inline size_t ReadAndCountLines(const std::string& path) {
    const int fd = ::open(path.c_str(), O_RDONLY);
    if (fd < 0) std::abort();
    constexpr size_t kChunk = 1 << 20;
    std::unique_ptr<char[]> buf(new char[kChunk]);
    size_t lines = 0;
    for (;;) {
        const ssize_t n = ::read(fd, buf.get(), kChunk);
        if (n <= 0) break;
        const char* p = buf.get();
        const char* const end = p + n;
        while ((p = static_cast<const char*>(std::memchr(p, '\n', static_cast<size_t>(end - p))))) {
            ++lines;
            ++p;
        }
    }
    ::close(fd);
    return lines;
}

// A field of /proc/self/status in kB.
inline long StatusKb(const char* field) {
    std::ifstream in("/proc/self/status");
    std::string line;
    const size_t n = std::strlen(field);
    while (std::getline(in, line)) {
        if (line.compare(0, n, field) == 0) return std::atol(line.c_str() + n + 1);
    }
    return -1;
}

// One load of path and the memory it took: the resident memory before it
// and at its peak, in kB (meant for a fresh process, see RunLoadAndReport).
struct LoadPeak {
    bool ok;
    long beforeKb;
    long peakKb;
    double fileBytes;
    double GrowthMb() const { return static_cast<double>(peakKb - beforeKb) / 1e3; }
    double Ratio() const { return static_cast<double>(peakKb - beforeKb) * 1024.0 / fileBytes; }
};

inline LoadPeak MeasureLoadPeak(const char* path) {
    LoadPeak m{};
    m.beforeKb = StatusKb("VmRSS:");
    {
        TClientDataSet ds;
        m.ok = LoadTableFile(path, ds);
        m.peakKb = StatusKb("VmHWM:");
    }
    m.fileBytes = static_cast<double>(FileSize(path));
    return m;
}

// Runs this program again in a fresh process with --load-and-report path, so
// that its peak memory is the load's alone; returns the child's exit status.
inline int RunLoadAndReport(const char* program, const std::string& path) {
    std::fflush(stdout);
    const pid_t pid = ::fork();
    if (pid == 0) {
        ::execl("/proc/self/exe", program, "--load-and-report", path.c_str(),
                static_cast<char*>(nullptr));
        ::_exit(127);
    }
    int status = 0;
    ::waitpid(pid, &status, 0);
    return WIFEXITED(status) ? WEXITSTATUS(status) : 1;
}

struct ColumnSpec {
    const char* name;
    TFieldType type;
    int size;  // 0: the type's own
};

// Defines the columns in ds and creates it.
inline void CreateColumns(TClientDataSet& ds, std::initializer_list<ColumnSpec> columns) {
    for (const auto& c : columns) {
        TFieldDef& d = ds.FieldDefs().AddFieldDef();
        d.SetName(c.name);
        d.SetDataType(c.type);
        if (c.size) d.SetSize(c.size);
    }
    ds.CreateDataSet();
}

// Defines the six columns in ds, creates it and appends records rows.
inline void FillTable(TClientDataSet& ds, int records = kRecords) {
    CreateColumns(ds, {{"Title", ftString, 64},
                       {"City", ftString, 64},
                       {"Count", ftFloat, 0},
                       {"Price", ftFloat, 0},
                       {"Paid", ftBoolean, 0},
                       {"Rare", ftFloat, 0}});
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
