#include "platform/core/string_grid.h"

#include <algorithm>

#include "platform/core/exceptions.h"

namespace {
const AnsiString kEmpty;
}

// ---------------------------------------------------------------------------
// TStringGridRow

TStringGridRow::TStringGridRow(TStringGrid& grid, int row) : grid_(grid), row_(row) {
    if (row < 0) RaiseListIndexError(row);
}

void TStringGridRow::Assign(const TStringGridRow& other) {
    const int count = std::min(Count(), other.Count());
    // Read all first: other may be this very row.
    std::vector<AnsiString> texts;
    texts.reserve(static_cast<size_t>(count));
    for (int c = 0; c < count; ++c) texts.push_back(other.grid_.Cells(c, other.row_));
    for (int c = 0; c < count; ++c)
        grid_.CellSlot(c, row_) = std::move(texts[static_cast<size_t>(c)]);
    grid_.Changed();
}

void TStringGridRow::Clear() {
    const int count = Count();
    for (int c = 0; c < count; ++c) {
        if (!grid_.CellRef(c, row_).empty()) grid_.CellSlot(c, row_).clear();
    }
    grid_.Changed();
}

int TStringGridRow::Count() const {
    return grid_.ColCount();
}

AnsiString TStringGridRow::operator[](int col) const {
    return grid_.Cells(col, row_);
}

// ---------------------------------------------------------------------------
// TStringGrid

TStringGrid::TStringGrid() = default;

const AnsiString& TStringGrid::CellRef(int col, int row) const {
    if (row < 0 || col < 0) return kEmpty;
    const auto r = static_cast<size_t>(row);
    const auto c = static_cast<size_t>(col);
    if (r >= cells_.size() || c >= cells_[r].size()) return kEmpty;
    return cells_[r][c];
}

AnsiString TStringGrid::Cells(int col, int row) const {
    return CellRef(col, row);
}

AnsiString& TStringGrid::CellSlot(int col, int row) {
    if (col < 0) RaiseListIndexError(col);
    if (row < 0) RaiseListIndexError(row);
    const auto r = static_cast<size_t>(row);
    const auto c = static_cast<size_t>(col);
    if (r >= cells_.size()) cells_.resize(r + 1);
    auto& line = cells_[r];
    if (c >= line.size()) line.resize(c + 1);
    return line[c];
}

void TStringGrid::SetCells(int col, int row, AnsiString text) {
    CellSlot(col, row) = std::move(text);
    Changed();
}

void TStringGrid::SetColCount(int n) {
    n = std::max(n, 1);
    if (n == colCount_) return;
    colCount_ = n;
    if (col_ >= colCount_) {
        if (colCount_ > fixedCols_ && row_ >= fixedRows_ && row_ < rowCount_) {
            bool canSelect = true;
            if (OnSelectCell) OnSelectCell(colCount_ - 1, row_, canSelect);
            // The old column is gone: the current cell cannot stay there.
            col_ = colCount_ - 1;
        } else {
            col_ = std::max(fixedCols_, std::min(col_, colCount_ - 1));
        }
    }
    Changed();
}

void TStringGrid::SetRowCount(int n) {
    n = std::max(n, 1);
    if (n == rowCount_) return;
    rowCount_ = n;
    if (row_ >= rowCount_) {
        if (rowCount_ > fixedRows_ && col_ >= fixedCols_ && col_ < colCount_) {
            bool canSelect = true;
            if (OnSelectCell) OnSelectCell(col_, rowCount_ - 1, canSelect);
            // The old row is gone: the current cell cannot stay there.
            row_ = rowCount_ - 1;
        } else {
            // Only fixed rows remain: no row is current; Row() names the
            // first row below them until rows grow back.
            row_ = fixedRows_;
        }
    }
    Changed();
}

void TStringGrid::SetFixedRows(int n) {
    n = std::max(n, 0);
    if (n == fixedRows_) return;
    fixedRows_ = n;
    if (row_ < fixedRows_) row_ = fixedRows_;
    Changed();
}

void TStringGrid::SetFixedCols(int n) {
    n = std::max(n, 0);
    if (n == fixedCols_) return;
    fixedCols_ = n;
    if (col_ < fixedCols_) col_ = fixedCols_;
    Changed();
}

bool TStringGrid::MoveTo(int col, int row) {
    if (col == col_ && row == row_) return false;
    if (col < fixedCols_ || col >= colCount_ || row < fixedRows_ || row >= rowCount_) return false;
    bool canSelect = true;
    if (OnSelectCell) OnSelectCell(col, row, canSelect);
    if (!canSelect) return false;
    col_ = col;
    row_ = row;
    Changed();
    return true;
}

void TStringGrid::SetOptions(const TGridOptions& options) {
    if (options == options_) return;
    options_ = options;
    Changed();
}

void TStringGrid::SetOption(TGridOption o, bool on) {
    TGridOptions next = options_;
    if (on) {
        next.Include(o);
    } else {
        next.Exclude(o);
    }
    SetOptions(next);
}

void TStringGrid::Changed() {
    listeners_.Emit();
}
