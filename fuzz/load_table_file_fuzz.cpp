// Arbitrary bytes as a table file. The reader must not crash and must not
// raise; a table it loads must have only the kinds the reader makes, and
// (when its names survive the writer) must be written and read back with the
// same kinds and values.

#include <unistd.h>

#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "platform/core/show_message.h"
#include "table_file/sy_db.h"

namespace {

// In memory when /dev/shm exists: the writer flushes every file to disk.
std::string TempPath(const char* tag) {
    const std::string dir = ::access("/dev/shm", W_OK) == 0 ? "/dev/shm" : "/tmp";
    return dir + "/qmt_fuzz_" + std::to_string(::getpid()) + "_" + tag + ".qmt";
}

// Values as comparable texts, in view order; extreme numbers are flagged.
std::vector<std::string> Dump(TClientDataSet& ds, bool& extreme) {
    std::vector<std::string> out;
    ds.Open();
    for (ds.First(); !ds.Eof(); ds.Next()) {
        for (int j = 0; j < ds.Fields().Count(); ++j) {
            TField& f = ds.Fields()[j];
            if (f.IsNull()) {
                out.push_back("~");
            } else if (f.DataType() == ftFloat) {
                const double v = f.AsFloat();
                if (std::fabs(v) > 1e308 || (v != 0 && std::fabs(v) < 1e-306)) extreme = true;
                char buf[40];
                std::snprintf(buf, sizeof buf, "%.15g", v == 0 ? 0.0 : v);  // -0 is written 0
                out.push_back(buf);
            } else if (f.DataType() == ftBoolean) {
                out.push_back(f.AsBoolean() ? "T" : "F");
            } else {
                out.push_back("'" + f.AsString());
            }
        }
        out.push_back("|");
    }
    ds.Close();
    return out;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    static const std::string input = TempPath("in");
    static const std::string output = TempPath("out");
    static bool quiet = [] {
        SetShowMessageHandler([](const std::string&) {});
        return true;
    }();
    (void)quiet;

    if (FILE* f = std::fopen(input.c_str(), "wb")) {
        std::fwrite(data, 1, size, f);
        std::fclose(f);
    } else {
        return 0;
    }

    TClientDataSet ds;
    bool loaded = false;
    try {
        loaded = LoadTableFile(input, ds);
    } catch (...) {
        std::abort();  // the file exists: nothing may pass out
    }
    if (!loaded) return 0;
    if (ds.Active()) std::abort();

    bool namesSurvive = true;
    std::vector<int> kinds;
    for (int i = 0; i < ds.FieldDefs().Count(); ++i) {
        const TFieldDef& d = ds.FieldDefs()[i];
        if (d.DataType() != ftString && d.DataType() != ftBoolean && d.DataType() != ftFloat)
            std::abort();
        if (d.DataType() == ftString && d.Size() < 16) std::abort();
        if (d.Name().find_first_of("\"\\") != std::string::npos) namesSurvive = false;
        kinds.push_back(d.DataType());
    }
    bool extreme = false;
    const std::vector<std::string> first = Dump(ds, extreme);
    if (!namesSurvive) return 0;

    if (!SaveTableFile(output, '"', ds)) std::abort();
    TClientDataSet again;
    if (!LoadTableFile(output, again)) {
        if (extreme) return 0;  // 15 digits may round past the range of a double
        std::abort();
    }
    for (int i = 0; i < again.FieldDefs().Count(); ++i) {
        // A text column stays one; the others keep their kind.
        if (again.FieldDefs()[i].DataType() != kinds[static_cast<size_t>(i)]) std::abort();
    }
    bool ignored = false;
    if (Dump(again, ignored) != first) std::abort();
    return 0;
}
