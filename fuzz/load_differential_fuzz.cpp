// Arbitrary bytes as a table file, read by the reader and by its plain
// earlier form: both must give the same outcome, messages, definitions and
// values.

#include <unistd.h>

#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>

#include "platform/core/show_message.h"
#include "table_file/sy_db.h"
#include "tests/table_file/reference_table_file.h"

namespace {

std::string TempPath() {
    const std::string dir = ::access("/dev/shm", W_OK) == 0 ? "/dev/shm" : "/tmp";
    return dir + "/qmt_fuzz_diff_" + std::to_string(::getpid()) + ".qmt";
}

std::string gMessages;

// Everything observable after a load, as text.
std::string Outcome(bool (*load)(const std::string&, TClientDataSet&), const std::string& path) {
    TClientDataSet ds;
    TFieldDef& def = ds.FieldDefs().AddFieldDef();
    def.SetName("old");
    def.SetDataType(ftString);
    ds.CreateDataSet();
    ds.IndexDefs().Add(TIndexDef{"oldIndex", "old", {}});
    gMessages.clear();
    const bool loaded = load(path, ds);
    std::string out = loaded ? "loaded" : "failed";
    out += gMessages;
    out += ds.Active() ? " open" : " closed";
    out += " '" + ds.IndexName() + "' " + std::to_string(ds.IndexDefs().Count());
    for (int i = 0; i < ds.FieldDefs().Count(); ++i) {
        const TFieldDef& d = ds.FieldDefs()[i];
        out += " " + d.Name() + ":" + std::to_string(d.DataType()) + ":" + std::to_string(d.Size());
    }
    if (!loaded) return out;
    ds.Open();
    for (ds.First(); !ds.Eof(); ds.Next()) {
        out += "\n";
        for (int j = 0; j < ds.Fields().Count(); ++j) {
            TField& f = ds.Fields()[j];
            if (f.IsNull()) {
                out += "~|";
            } else if (f.DataType() == ftFloat) {
                char buf[40];
                std::snprintf(buf, sizeof buf, "%a|", f.AsFloat());
                out += buf;
            } else {
                out += f.AsString() + "|";
            }
        }
    }
    return out;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    static const std::string path = TempPath();
    static bool quiet = [] {
        SetShowMessageHandler([](const std::string& text) { gMessages += " [" + text + "]"; });
        return true;
    }();
    (void)quiet;
    if (FILE* f = std::fopen(path.c_str(), "wb")) {
        std::fwrite(data, 1, size, f);
        std::fclose(f);
    } else {
        return 0;
    }
    if (Outcome(reference::LoadTableFile, path) != Outcome(LoadTableFile, path)) std::abort();
    return 0;
}
