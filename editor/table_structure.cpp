#include "editor/table_structure.h"

#include "editor/field_kinds.h"
#include "platform/core/number_text.h"
#include "platform/core/string_grid.h"
#include "platform/dataset/client_dataset.h"

namespace {

// Columns of the restructure dialog's grid: old name, new name, kind, length.
constexpr int OldNameCol = 0;
constexpr int NewNameCol = 1;

// The first row below the headings whose old name is exactly name; RowCount when none.
int RowOfOldName(const TStringGrid& rows, const AnsiString& name) {
    int row = 1;
    while (row < rows.RowCount() && rows.CellRef(OldNameCol, row) != name) ++row;
    return row;
}

void CopyCarriedColumns(TClientDataSet& source, TClientDataSet& target, const TStringGrid& rows) {
    // A record still being edited in the shown table is stored first, so that
    // it is counted and copied like every other.
    if (source.Active()) source.CheckBrowseMode();
    for (int i = 0; i < source.FieldDefs().Count(); ++i) {
        const AnsiString name = source.FieldDefs()[i].Name();
        const int row = RowOfOldName(rows, name);
        if (row >= rows.RowCount()) continue;  // dropped with its values

        // The first carried column makes the empty records that every column
        // fills. They are all alike, so appending them gives the same table as
        // inserting each at the current position, without moving the others.
        if (target.RecordCount() < source.RecordCount()) {
            for (int k = source.RecordCount(); k > 0; --k) {
                target.Append();
                target.Post();
            }
        }
        TField& from = source.FieldByName(name);
        TField& to = target.FieldByName(rows.CellRef(NewNameCol, row));
        source.First();
        target.First();
        while (!source.Eof() && !target.Eof()) {
            target.Edit();
            if (!from.IsNull()) CopyConverted(from, to);
            target.Post();
            source.Next();
            target.Next();
        }
    }
}

}  // namespace

void SetKind(TFieldDef& def, const AnsiString& kind, const AnsiString& lengthText,
             TKindNames kinds) {
    if (kind == FieldKinds::String) {
        def.SetDataType(ftString);
        def.SetSize(StrToInt(lengthText));
    } else if (kinds == TKindNames::WithInteger && kind == FieldKinds::Integer) {
        def.SetDataType(ftInteger);
    } else if (kind == FieldKinds::Number) {
        def.SetDataType(ftFloat);
    } else if (kind == FieldKinds::Boolean) {
        def.SetDataType(ftBoolean);
    } else {
        def.SetDataType(ftString);
    }
}

void AddFieldDefs(TFieldDefs& defs, const TStringGrid& rows, int nameCol, TKindNames kinds) {
    for (int r = 1; r < rows.RowCount(); ++r) {
        TFieldDef& def = defs.AddFieldDef();
        def.SetName(rows.CellRef(nameCol, r));
        SetKind(def, rows.CellRef(nameCol + 1, r), rows.CellRef(nameCol + 2, r), kinds);
    }
}

void CopyConverted(const TField& from, TField& to) {
    switch (to.DataType()) {
        case ftString:
            to.SetAsString(from.AsString());
            break;
        case ftBoolean:
            if (from.DataType() == ftBoolean) to.SetAsBoolean(from.AsBoolean());
            break;
        case ftFloat:
            if (from.DataType() == ftFloat) {
                to.SetAsFloat(from.AsFloat());
            } else if (from.DataType() == ftString) {
                double value;
                if (TryStrToFloat(from.AsString(), value)) to.SetAsFloat(value);
            } else {
                to.SetAsFloat(0);
            }
            break;
        default:
            break;
    }
}

void Restructure(TClientDataSet& source, TClientDataSet& target, const TStringGrid& rows) {
    target.ResetStructure();
    AddFieldDefs(target.FieldDefs(), rows, NewNameCol, TKindNames::WithoutInteger);
    target.CreateDataSet();
    CopyCarriedColumns(source, target, rows);
}
