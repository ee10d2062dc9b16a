#include "editor/sort_index.h"

#include "platform/dataset/client_dataset.h"

AnsiString SortIndexName(const AnsiString& column) {
    return column + "Index";
}

void DropSortIndex(TClientDataSet& table) {
    const AnsiString current = table.IndexName();
    if (current.empty()) return;
    table.DeleteIndex(current);
    table.SetIndexName("");
}

void SortByColumn(TClientDataSet& table, const AnsiString& column) {
    if (!table.IndexName().empty()) {
        const AnsiString old = table.IndexName();
        table.SetIndexName("");
        table.DeleteIndex(old);
    }
    table.AddIndex(SortIndexName(column), column, {});
    table.SetIndexName(SortIndexName(column));
}

void RebuildSortIndex(TClientDataSet& table, const AnsiString& column, bool descending) {
    const AnsiString name = SortIndexName(column);
    table.DeleteIndex(name);
    table.AddIndex(name, column, descending ? TIndexOptions{ixDescending} : TIndexOptions{});
    table.SetIndexName(name);
}
