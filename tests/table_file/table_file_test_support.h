#pragma once
// Helpers shared by the table file tests: captured messages and a readable
// dump of a dataset's definitions and records.

#include <gtest/gtest.h>

#include <cstdio>
#include <string>
#include <vector>

#include "platform/core/show_message.h"
#include "tests/support/dataset_helpers.h"

namespace table_file_test {

using Rows = std::vector<Texts>;

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
    Texts messages;

  private:
    ShowMessageHandler saved_;
};

// "name:kind:size" per field definition; kind S, I, F, B or a number.
inline Texts DefsOf(TClientDataSet& ds) {
    Texts out;
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
        Texts row;
        for (int j = 0; j < ds.Fields().Count(); ++j) {
            TField& f = ds.Fields()[j];
            char number[64];
            if (!f.IsNull() && f.DataType() != ftString && f.DataType() != ftBoolean)
                std::snprintf(number, sizeof number, "%.17g", f.AsFloat());
            row.push_back(f.IsNull()                  ? "null"
                          : f.DataType() == ftString  ? "'" + f.AsString()
                          : f.DataType() == ftBoolean ? (f.AsBoolean() ? "true" : "false")
                                                      : std::string(number));
        }
        rows.push_back(row);
    }
    return rows;
}

}  // namespace table_file_test
