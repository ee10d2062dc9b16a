#pragma once
// Helpers shared by the dataset tests.

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "platform/dataset/client_dataset.h"
#include "tests/support/test_helpers.h"

using Texts = std::vector<std::string>;

struct FieldDecl {
    const char* name;
    TFieldType type;
    int size = -1;  // -1: the type's default
};

inline void DefineFields(TClientDataSet& ds, const std::vector<FieldDecl>& columns) {
    for (const auto& column : columns) {
        TFieldDef& def = ds.FieldDefs().AddFieldDef();
        def.SetName(column.name);
        def.SetDataType(column.type);
        if (column.size >= 0) def.SetSize(column.size);
    }
}

inline std::unique_ptr<TClientDataSet> MakeDataSet(const std::vector<FieldDecl>& columns) {
    auto ds = std::make_unique<TClientDataSet>();
    ds->SetName("cdsQMT1");
    DefineFields(*ds, columns);
    ds->CreateDataSet();
    return ds;
}

// Appends one record per row; "~" stands for null.
inline void AppendRows(TClientDataSet& ds, const std::vector<std::vector<std::string>>& rows) {
    for (const auto& row : rows) {
        ds.Append();
        for (size_t j = 0; j < row.size(); ++j) {
            if (row[j] == "~") {
                ds.Fields()[static_cast<int>(j)].Clear();
            } else {
                ds.Fields()[static_cast<int>(j)].SetAsString(row[j]);
            }
        }
        ds.Post();
    }
}

// The view from the first record on: field's text per record, "~" for null.
inline std::vector<std::string> Column(TClientDataSet& ds, const char* field) {
    std::vector<std::string> values;
    ds.First();
    while (!ds.Eof()) {
        TField& f = ds.FieldByName(field);
        values.push_back(f.IsNull() ? "~" : f.AsString());
        ds.Next();
    }
    return values;
}
