#pragma once
// The cell model of the platform's string grid, without any window: cells,
// counts, fixed rows and columns, the current cell with its OnSelectCell
// event, and the Options set. The Qt view (platform/ui) draws and edits it.

#include <cstdint>
#include <functional>
#include <initializer_list>
#include <vector>

#include "platform/core/ansi.h"
#include "platform/core/subscription.h"

enum TGridOption : uint32_t {
    goFixedVertLine = 1u << 0,
    goFixedHorzLine = 1u << 1,
    goVertLine = 1u << 2,
    goHorzLine = 1u << 3,
    goRangeSelect = 1u << 4,
    goDrawFocusSelected = 1u << 5,
    goRowSizing = 1u << 6,
    goColSizing = 1u << 7,
    goRowMoving = 1u << 8,
    goColMoving = 1u << 9,
    goEditing = 1u << 10,
    goTabs = 1u << 11,
    goRowSelect = 1u << 12,
    goAlwaysShowEditor = 1u << 13,
    goThumbTracking = 1u << 14,
};

// A set of TGridOption values: opts.Contains(goEditing), opts.Include(goEditing)...
class TGridOptions {
  public:
    TGridOptions() = default;
    TGridOptions(std::initializer_list<TGridOption> list) {
        for (auto o : list) bits_ |= o;
    }
    bool Contains(TGridOption o) const { return (bits_ & o) != 0; }
    void Include(TGridOption o) { bits_ |= o; }
    void Exclude(TGridOption o) { bits_ &= ~static_cast<uint32_t>(o); }
    bool operator==(const TGridOptions&) const = default;

  private:
    uint32_t bits_ = 0;
};

class TStringGrid;

// One row's cells seen as a list: assign another row's cells to it, or empty it.
class TStringGridRow {
  public:
    // Raises EListError for a negative row number.
    TStringGridRow(TStringGrid& grid, int row);
    void Assign(const TStringGridRow& other);  // copies every cell of other's row
    void Clear();                              // sets every cell to the empty text
    int Count() const;
    AnsiString operator[](int col) const;

  private:
    TStringGrid& grid_;
    int row_;
};

class TStringGrid {
  public:
    // (col, row, canSelect): raised before the current cell moves to (col, row);
    // the move happens only if canSelect stays true.
    using TSelectCellEvent = std::function<void(int col, int row, bool& canSelect)>;
    // Raised after anything the view must redraw changed (cells, counts, current cell).
    using TChangeEvent = std::function<void()>;

    TStringGrid();

    int ColCount() const { return colCount_; }
    void SetColCount(int n);
    // Growing adds rows at the end (showing the texts they held when they were
    // cut, as the platform does). Cutting drops rows from the end and keeps
    // their texts; when the current row is cut, the current cell moves to the
    // same column of the new last row, raising OnSelectCell first. The fixed
    // rows stay fixed even when only they remain: then there is no row to be
    // current, and Row() names the first row below them until rows grow back.
    int RowCount() const { return rowCount_; }
    void SetRowCount(int n);
    int FixedRows() const { return fixedRows_; }
    void SetFixedRows(int n);
    int FixedCols() const { return fixedCols_; }
    void SetFixedCols(int n);

    // A cell never written reads as the empty text; cells outside the counts
    // read as empty and writes to them are kept (as the platform keeps them).
    // A negative column or row reads as empty; writing there raises EListError
    // "Listenindex überschreitet das Maximum (%d)" and changes nothing.
    AnsiString Cells(int col, int row) const;
    const AnsiString& CellRef(int col, int row) const;
    void SetCells(int col, int row, AnsiString text);
    // Raises EListError for a negative row number.
    TStringGridRow Rows(int row) { return TStringGridRow(*this, row); }

    // The current cell. SetRow/SetCol/MoveTo raise OnSelectCell before the move
    // and move only if CanSelect stays true; a move to the current cell, to a
    // fixed cell or outside the grid does nothing.
    int Row() const { return row_; }
    int Col() const { return col_; }
    void SetRow(int row) { MoveTo(col_, row); }
    void SetCol(int col) { MoveTo(col, row_); }
    bool MoveTo(int col, int row);  // true when the current cell moved

    const TGridOptions& Options() const { return options_; }
    void SetOptions(const TGridOptions& options);
    bool HasOption(TGridOption o) const { return options_.Contains(o); }
    void SetOption(TGridOption o, bool on);

    TSelectCellEvent OnSelectCell;
    // Listeners for the view; each gets every change for as long as its
    // subscription is kept.
    TSubscription AddChangeListener(TChangeEvent listener) {
        return listeners_.Subscribe(std::move(listener));
    }

  private:
    friend class TStringGridRow;
    void Changed();
    // The stored cell, created when missing; raises EListError for a negative
    // column or row.
    AnsiString& CellSlot(int col, int row);

    int colCount_ = 5;
    int rowCount_ = 5;
    int fixedRows_ = 1;
    int fixedCols_ = 1;
    int row_ = 1;
    int col_ = 1;
    TGridOptions options_{goFixedVertLine, goFixedHorzLine, goVertLine, goHorzLine, goRangeSelect};
    // cells_[row][col]; rows beyond rowCount_ keep the texts of cut rows.
    std::vector<std::vector<AnsiString>> cells_;
    TSignal<> listeners_;
};
