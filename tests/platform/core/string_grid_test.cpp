#include "platform/core/string_grid.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

// Records every OnSelectCell with the grid's state at that moment.
struct SelectLog {
    struct Entry {
        int col, row;
        int currentCol, currentRow, rowCount;
    };
    std::vector<Entry> entries;
    bool allow = true;

    void Attach(TStringGrid& grid) {
        grid.OnSelectCell = [this, &grid](int col, int row, bool& canSelect) {
            entries.push_back({col, row, grid.Col(), grid.Row(), grid.RowCount()});
            canSelect = allow;
        };
    }
};

// The dialogs' grid: four columns, one fixed row and column.
TStringGrid MakeGrid(int rows) {
    TStringGrid grid;
    grid.SetColCount(4);
    grid.SetRowCount(rows);
    for (int r = 0; r < rows; ++r) {
        for (int c = 0; c < 4; ++c)
            grid.SetCells(c, r, std::to_string(c) + ":" + std::to_string(r));
    }
    return grid;
}

TEST(StringGrid, MovesOnlyToSelectableCells) {
    const struct {
        const char* name;
        int col, row;
        bool moves;
    } cases[] = {{"an ordinary cell", 2, 3, true},    {"the current cell", 1, 1, false},
                 {"a fixed row", 2, 0, false},        {"a fixed column", 0, 2, false},
                 {"below the last row", 1, 4, false}, {"right of the last column", 4, 1, false},
                 {"negative", -1, -1, false}};
    for (const auto& c : cases) {
        TStringGrid grid = MakeGrid(4);
        SelectLog log;
        log.Attach(grid);
        EXPECT_EQ(grid.MoveTo(c.col, c.row), c.moves) << c.name;
        EXPECT_EQ(log.entries.size(), c.moves ? 1u : 0u) << c.name;
        EXPECT_EQ(grid.Col(), c.moves ? c.col : 1) << c.name;
        EXPECT_EQ(grid.Row(), c.moves ? c.row : 1) << c.name;
    }
}

TEST(StringGrid, SelectCellComesBeforeTheMoveAndCanRefuseIt) {
    TStringGrid grid = MakeGrid(4);
    SelectLog log;
    log.Attach(grid);
    grid.SetRow(3);
    ASSERT_EQ(log.entries.size(), 1u);
    EXPECT_EQ(log.entries[0].col, 1);
    EXPECT_EQ(log.entries[0].row, 3);
    EXPECT_EQ(log.entries[0].currentRow, 1) << "still at the old cell during the event";
    EXPECT_EQ(grid.Row(), 3);

    log.allow = false;
    grid.SetCol(2);
    EXPECT_EQ(log.entries.size(), 2u);
    EXPECT_EQ(grid.Col(), 1);
    EXPECT_EQ(grid.Row(), 3);
}

TEST(StringGrid, CuttingTheCurrentRowMovesToTheNewLastRow) {
    TStringGrid grid = MakeGrid(5);
    grid.MoveTo(2, 4);
    SelectLog log;
    log.Attach(grid);
    grid.SetRowCount(3);
    ASSERT_EQ(log.entries.size(), 1u);
    EXPECT_EQ(log.entries[0].col, 2);
    EXPECT_EQ(log.entries[0].row, 2);
    EXPECT_EQ(log.entries[0].rowCount, 3) << "the rows are cut before the event";
    EXPECT_EQ(grid.Row(), 2);
    EXPECT_EQ(grid.Col(), 2);

    // Cutting rows below the current one, or growing, moves nothing.
    grid.SetRowCount(6);
    grid.SetRowCount(4);
    EXPECT_EQ(log.entries.size(), 1u);
    EXPECT_EQ(grid.Row(), 2);

    // Cutting down to the fixed row leaves no current row and raises no event.
    grid.SetRowCount(1);
    EXPECT_EQ(log.entries.size(), 1u);
    EXPECT_EQ(grid.FixedRows(), 1) << "the heading row stays fixed";
    EXPECT_EQ(grid.Row(), 1);
    EXPECT_FALSE(grid.MoveTo(2, 0));
    grid.SetRowCount(3);
    EXPECT_EQ(grid.Row(), 1);
    EXPECT_EQ(log.entries.size(), 1u);
    EXPECT_TRUE(grid.MoveTo(2, 2));
}

TEST(StringGrid, CutRowsKeepTheirTexts) {
    TStringGrid grid = MakeGrid(4);
    grid.SetRowCount(2);
    EXPECT_EQ(grid.Cells(1, 3), "1:3") << "cells outside the counts keep their texts";
    grid.SetCells(3, 6, "far");  // a write beyond the counts is kept as well
    grid.SetRowCount(7);
    EXPECT_EQ(grid.Cells(0, 2), "0:2");
    EXPECT_EQ(grid.Cells(3, 3), "3:3");
    EXPECT_EQ(grid.Cells(3, 6), "far");
    EXPECT_EQ(grid.Cells(0, 5), "");
    EXPECT_EQ(grid.CellRef(3, 6), "far");
}

TEST(StringGrid, RowAssignAndClearCoverEveryColumn) {
    TStringGrid grid = MakeGrid(4);
    grid.Rows(1).Assign(grid.Rows(3));
    for (int c = 0; c < 4; ++c) EXPECT_EQ(grid.Cells(c, 1), std::to_string(c) + ":3");
    EXPECT_EQ(grid.Cells(0, 3), "0:3") << "the source row is unchanged";
    grid.Rows(2).Assign(grid.Rows(2));
    EXPECT_EQ(grid.Cells(3, 2), "3:2");

    int changes = 0;
    grid.AddChangeListener([&] { ++changes; });
    grid.Rows(3).Clear();
    for (int c = 0; c < 4; ++c) EXPECT_EQ(grid.Cells(c, 3), "");
    EXPECT_EQ(changes, 1);
}

}  // namespace
