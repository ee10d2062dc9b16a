#pragma once
// Column definitions from the rows of a table dialog's grid, and the
// restructure that rebuilds a table with new columns and carries the values
// of the columns it keeps. No window: the grid is the cell model that the
// dialogs edit.

#include "platform/core/ansi.h"

class TClientDataSet;
class TField;
class TFieldDef;
class TFieldDefs;
class TStringGrid;

// The kind names a definition grid knows. New makes an integer column of the
// kind "Integer"; the restructure takes "Integer" as an unknown kind.
enum class TKindNames { WithInteger, WithoutInteger };

// Sets type and length of a new field definition from a kind name, compared
// exactly: "String" takes lengthText as a whole number, "Number" and
// "Boolean" have no length, and every unknown kind gives a text column of
// length 20. The length text is read for "String" only.
void SetKind(TFieldDef& def, const AnsiString& kind, const AnsiString& lengthText,
             TKindNames kinds);

// Adds one field definition per grid row below the headings, top to bottom:
// the name in column nameCol, the kind right of it and the length right of
// that. A refused name or length stops at that row; the earlier rows stay
// defined.
void AddFieldDefs(TFieldDefs& defs, const TStringGrid& rows, int nameCol, TKindNames kinds);

// Writes a source value into a column of the restructured table, converted to
// the new column's kind: any value as its text into a text column; a truth
// value only into a truth column; into a number column a number, a text that
// converts with the locale's decimal mark, or 0 for every other kind. The
// source value is not null.
void CopyConverted(const TField& from, TField& to);

// Rebuilds target with the columns of the restructure dialog's rows (old
// name, new name, kind, length) and copies every carried column of source,
// converted, record by record in source's view order. A source column goes to
// the first row whose old name is exactly its name; a column no row names is
// dropped; a row no column goes to starts null. Target's former records and
// indexes are given up. A refused definition leaves target closed with the
// definitions made so far and source as it was.
void Restructure(TClientDataSet& source, TClientDataSet& target, const TStringGrid& rows);
