#pragma once
// The one sort index of the shown table: named after its column followed by
// "Index", on that column alone, and the selected index while it exists.
// Every step lets the dataset's errors pass; the steps done stay done.

#include "platform/core/ansi.h"

class TClientDataSet;

// The name of the sort index of a column: the column's name followed by "Index".
AnsiString SortIndexName(const AnsiString& column);

// Back to natural order: deletes the selected index and clears IndexName.
// Nothing happens when no index is selected.
void DropSortIndex(TClientDataSet& table);

// Replaces the sort by an ascending one on column: a selected index is first
// deselected, then deleted; then the column's sort index is added and
// selected. When adding fails the view stays in natural order.
void SortByColumn(TClientDataSet& table, const AnsiString& column);

// Rebuilds the column's sort index in the given direction and selects it. The
// index must exist (a column sort is shown).
void RebuildSortIndex(TClientDataSet& table, const AnsiString& column, bool descending);
