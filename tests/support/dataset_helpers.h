#pragma once
// Building small datasets in tests and reading their values back.

#include <memory>
#include <string>
#include <vector>

#include "platform/dataset/client_dataset.h"
#include "tests/support/test_helpers.h"

using Texts = std::vector<std::string>;

struct FieldDecl {
    std::string name;
    TFieldType type;
    int size = -1;  // -1: the type's default
};

inline void DefineFields(TClientDataSet& ds, const std::vector<FieldDecl>& fields) {
    for (const auto& field : fields) {
        TFieldDef& def = ds.FieldDefs().AddFieldDef();
        def.SetName(field.name);
        def.SetDataType(field.type);
        if (field.size >= 0) def.SetSize(field.size);
    }
}

// Replaces the dataset's table by an empty one of the given fields.
inline void MakeTable(TClientDataSet& ds, const std::vector<FieldDecl>& fields) {
    ds.Close();
    ds.FieldDefs().Clear();
    ds.SetName("cdsQMT1");
    DefineFields(ds, fields);
    ds.CreateDataSet();
}

inline std::unique_ptr<TClientDataSet> MakeDataSet(const std::vector<FieldDecl>& fields) {
    auto ds = std::make_unique<TClientDataSet>();
    MakeTable(*ds, fields);
    return ds;
}

// Appends one record per row, values in field order; "~" stands for null.
inline void AppendRows(TClientDataSet& ds, const std::vector<Texts>& rows) {
    for (const auto& row : rows) {
        ds.Append();
        for (size_t j = 0; j < row.size(); ++j) {
            if (row[j] != "~") ds.Fields()[static_cast<int>(j)].SetAsString(row[j]);
        }
        ds.Post();
    }
}

// The view from the first record on: the field's text per record, "~" for null.
inline Texts Column(TClientDataSet& ds, const std::string& field) {
    Texts values;
    for (ds.First(); !ds.Eof(); ds.Next()) {
        TField& f = ds.FieldByName(field);
        values.push_back(f.IsNull() ? "~" : f.AsString());
    }
    return values;
}
