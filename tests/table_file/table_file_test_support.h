#pragma once
// Helpers shared by the table file tests: captured messages, a readable dump
// of a dataset and a quick way to build one.

#include <gtest/gtest.h>

#include <cstdio>
#include <string>
#include <vector>

#include "platform/core/show_message.h"
#include "platform/dataset/client_dataset.h"
#include "tests/support/test_helpers.h"

namespace table_file_test {

using Rows = std::vector<std::vector<std::string>>;
using Defs = std::vector<std::string>;

// The first two lines of every table file.
inline const std::string kHead =
    "/* Quimbly Table Format 0.9 */\r\nquiTables[quiTables.length] = new Array(\r\n";

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
inline Defs DefsOf(TClientDataSet& ds) {
    Defs out;
    for (int i = 0; i < ds.FieldDefs().Count(); ++i) {
        const TFieldDef& d = ds.FieldDefs()[i];
        const TFieldType t = d.DataType();
        const std::string kind = t == ftString    ? "S"
                                 : t == ftInteger ? "I"
                                 : t == ftFloat   ? "F"
                                 : t == ftBoolean ? "B"
                                                  : std::to_string(static_cast<int>(t));
        out.push_back(d.Name() + ":" + kind + ":" + std::to_string(d.Size()));
    }
    return out;
}

// One text per value, in view order: null, 'text, a number written with "."
// in 17 significant digits, true or false. Opens the dataset.
inline Rows RecordsOf(TClientDataSet& ds) {
    Rows rows;
    ds.Open();
    for (ds.First(); !ds.Eof(); ds.Next()) {
        std::vector<std::string> row;
        for (int j = 0; j < ds.Fields().Count(); ++j) {
            TField& f = ds.Fields()[j];
            if (f.IsNull() || f.DataType() == ftString || f.DataType() == ftBoolean) {
                row.push_back(f.IsNull()                 ? "null"
                              : f.DataType() == ftString ? "'" + f.AsString()
                              : f.AsBoolean()            ? "true"
                                                         : "false");
                continue;
            }
            char number[64];
            std::snprintf(number, sizeof number, "%.17g", f.AsFloat());
            row.push_back(number);
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

// Replaces the dataset's table by an empty one of the given columns.
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

// Appends one record per row, values in column order; nullptr leaves a null.
inline void AddRecords(TClientDataSet& ds, const std::vector<std::vector<const char*>>& rows) {
    for (const auto& row : rows) {
        ds.Append();
        for (size_t j = 0; j < row.size(); ++j) {
            if (row[j]) ds.Fields()[static_cast<int>(j)].SetAsString(row[j]);
        }
        ds.Post();
    }
}

}  // namespace table_file_test
