#pragma once
// Helpers shared by the table file tests: a scratch folder, file bytes, the
// decimal mark, captured messages and a readable dump of a dataset.

#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "platform/core/number_text.h"
#include "platform/core/show_message.h"
#include "platform/dataset/client_dataset.h"

namespace table_file_test {

// A fresh folder under the system's temporary folder, removed afterwards.
class ScratchDir {
  public:
    // inMemory: under /dev/shm when it can be written, where the writer's
    // flushing to disk costs nothing (for tests that save many files).
    explicit ScratchDir(bool inMemory = false) {
        const std::filesystem::path base = inMemory && ::access("/dev/shm", W_OK) == 0
                                               ? std::filesystem::path("/dev/shm")
                                               : std::filesystem::temp_directory_path();
        std::string pattern = (base / "qmt_tf_XXXXXX").string();
        if (::mkdtemp(pattern.data()) == nullptr) throw std::runtime_error("mkdtemp failed");
        path_ = pattern;
    }
    ~ScratchDir() {
        std::error_code ec;
        std::filesystem::permissions(path_, std::filesystem::perms::owner_all, ec);
        std::filesystem::remove_all(path_, ec);
    }
    std::string File(const std::string& name) const { return (path_ / name).string(); }
    const std::filesystem::path& Path() const { return path_; }

  private:
    std::filesystem::path path_;
};

inline void WriteBytes(const std::string& path, const std::string& bytes) {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
}

inline std::string ReadBytes(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

// Sets the decimal mark for one test and restores it afterwards.
class DecimalMark {
  public:
    explicit DecimalMark(char mark) : saved_(FormatSettings.DecimalSeparator) {
        FormatSettings.DecimalSeparator = mark;
    }
    ~DecimalMark() { FormatSettings.DecimalSeparator = saved_; }

  private:
    char saved_;
};

// Records every message shown while it lives.
class MessageRecorder {
  public:
    MessageRecorder() {
        saved_ =
            SetShowMessageHandler([this](const std::string& text) { messages.push_back(text); });
    }
    ~MessageRecorder() { SetShowMessageHandler(saved_); }
    std::vector<std::string> messages;

  private:
    ShowMessageHandler saved_;
};

// "name:kind:size" per field definition; kind S, I, F, B or a number.
inline std::vector<std::string> DefsOf(TClientDataSet& ds) {
    std::vector<std::string> out;
    for (int i = 0; i < ds.FieldDefs().Count(); ++i) {
        const TFieldDef& d = ds.FieldDefs()[i];
        std::string kind;
        switch (d.DataType()) {
            case ftString:
                kind = "S";
                break;
            case ftInteger:
                kind = "I";
                break;
            case ftFloat:
                kind = "F";
                break;
            case ftBoolean:
                kind = "B";
                break;
            default:
                kind = std::to_string(static_cast<int>(d.DataType()));
        }
        out.push_back(d.Name() + ":" + kind + ":" + std::to_string(d.Size()));
    }
    return out;
}

// One text per value, in view order: null, 'text, a number written with "."
// in 17 significant digits, true or false. Opens the dataset.
inline std::vector<std::vector<std::string>> RecordsOf(TClientDataSet& ds) {
    std::vector<std::vector<std::string>> rows;
    ds.Open();
    for (ds.First(); !ds.Eof(); ds.Next()) {
        std::vector<std::string> row;
        for (int j = 0; j < ds.Fields().Count(); ++j) {
            TField& f = ds.Fields()[j];
            if (f.IsNull()) {
                row.push_back("null");
                continue;
            }
            switch (f.DataType()) {
                case ftString:
                    row.push_back("'" + f.AsString());
                    break;
                case ftBoolean:
                    row.push_back(f.AsBoolean() ? "true" : "false");
                    break;
                case ftInteger:
                    row.push_back(std::to_string(f.AsInteger()));
                    break;
                default: {
                    char buf[64];
                    std::snprintf(buf, sizeof buf, "%.17g", f.AsFloat());
                    row.push_back(buf);
                }
            }
        }
        rows.push_back(row);
    }
    return rows;
}

// Field definitions as (name, type, size) for MakeDataSet.
struct ColumnDef {
    std::string name;
    TFieldType type;
    int size = 0;
};

inline void MakeDataSet(TClientDataSet& ds, const std::vector<ColumnDef>& columns) {
    ds.Close();
    ds.FieldDefs().Clear();
    for (const auto& c : columns) {
        TFieldDef& d = ds.FieldDefs().AddFieldDef();
        d.SetName(c.name);
        d.SetDataType(c.type);
        if (c.type == ftString) d.SetSize(c.size);
    }
    ds.CreateDataSet();
}

}  // namespace table_file_test
