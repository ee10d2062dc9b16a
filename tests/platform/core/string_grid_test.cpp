#include "platform/core/string_grid.h"

#include <gtest/gtest.h>

#include <functional>

#include "platform/core/exceptions.h"

namespace {

// Records every OnSelectCell with the grid's state at that moment:
// target column, target row, current row, row count.
struct SelectLog {
    std::vector<std::vector<int>> entries;
    bool allow = true;
    void Attach(TStringGrid& grid) {
        grid.OnSelectCell = [this, &grid](int col, int row, bool& canSelect) {
            entries.push_back({col, row, grid.Row(), grid.RowCount()});
            canSelect = allow;
        };
    }
};

// The dialogs' grid: four columns, one fixed row and column; cells "c:r".
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

TEST(StringGrid, ChangeListenersHearUntilTheirSubscriptionGoes) {
    TStringGrid grid = MakeGrid(3);
    int changes = 0;
    TSubscription sub = grid.AddChangeListener([&] { ++changes; });
    grid.SetCells(1, 1, "x");
    grid.SetRow(2);
    EXPECT_EQ(changes, 2);
    TStringGrid copy = grid;  // a copy starts without listeners
    copy.SetCells(1, 1, "y");
    EXPECT_EQ(changes, 2);
    sub.Reset();
    grid.SetCells(1, 1, "z");
    EXPECT_EQ(changes, 2);
}

TEST(StringGrid, MovesOnlyToSelectableCells) {
    const struct {
        const char* name;
        int col, row;
        bool moves;
    } cases[] = {{"an ordinary cell", 2, 3, true},
                 {"the current cell", 1, 1, false},
                 {"a fixed row", 2, 0, false},
                 {"a fixed column", 0, 2, false}};
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
    EXPECT_EQ(log.entries[0], (std::vector<int>{1, 3, 1, 4})) << "still at the old cell";
    EXPECT_EQ(grid.Row(), 3);

    log.allow = false;
    grid.SetCol(2);
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
    const std::vector<int> e = log.entries[0];
    EXPECT_EQ((std::vector<int>{e[0], e[1], e[3]}), (std::vector<int>{2, 2, 3}))
        << "the rows are cut before the event";
    EXPECT_EQ(grid.Row(), 2);
    EXPECT_EQ(grid.Col(), 2);
}

// A negative column or row never reaches the cells: the write is refused with
// the list-index error and every cell stays as it was.
TEST(StringGrid, WritesToANegativeColumnOrRowAreRefused) {
    const struct {
        const char* name;
        std::function<void(TStringGrid&)> write;
        const char* message;
    } cases[] = {
        {"a cell in row -1", [](TStringGrid& g) { g.SetCells(1, -1, "x"); }, "(-1)"},
        {"a cell in column -2", [](TStringGrid& g) { g.SetCells(-2, 1, "x"); }, "(-2)"},
        {"row -1 as a whole", [](TStringGrid& g) { g.Rows(-1).Clear(); }, "(-1)"},
        {"row 2 from row -1", [](TStringGrid& g) { g.Rows(2).Assign(g.Rows(-1)); }, "(-1)"},
    };
    for (const auto& c : cases) {
        TStringGrid grid = MakeGrid(4);
        try {
            c.write(grid);
            ADD_FAILURE() << c.name << ": no error";
        } catch (const EListError& e) {
            EXPECT_EQ(e.Message(),
                      std::string("Listenindex überschreitet das Maximum ") + c.message)
                << c.name;
        }
        for (int r = 0; r < 4; ++r) {
            for (int col = 0; col < 4; ++col)
                EXPECT_EQ(grid.Cells(col, r), std::to_string(col) + ":" + std::to_string(r))
                    << c.name;
        }
        EXPECT_EQ(grid.Cells(1, -1), "") << "reading there stays harmless";
    }
}

}  // namespace
