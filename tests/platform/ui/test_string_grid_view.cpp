#include <gtest/gtest.h>

#include <QApplication>
#include <QKeyEvent>
#include <QLineEdit>
#include <QScrollBar>
#include <QSignalSpy>
#include <QTest>
#include <vector>

#include "platform/ui/string_grid_view.h"

namespace {

struct SelectCall {
    int col, row;
    int rowBefore, colBefore;  // the current cell while the event ran
    QRect rect;                // CellRect of the target as the event saw it
};

// A 5 x 5 grid with one fixed row and column, 40 x 20 cells, shown 300 x 200.
class GridViewTest : public ::testing::Test {
  protected:
    void SetUp() override {
        view.SetDefaultColWidth(40);
        view.SetDefaultRowHeight(20);
        view.resize(300, 200);
        view.show();
        QApplication::processEvents();
        grid().OnSelectCell = [this](int col, int row, bool& canSelect) {
            calls.push_back({col, row, grid().Row(), grid().Col(), view.CellRect(col, row)});
            canSelect = allow;
        };
    }
    TStringGrid& grid() { return view.Grid(); }
    QPoint CenterOf(int col, int row) { return view.CellRect(col, row).center(); }

    TStringGridView view;
    std::vector<SelectCall> calls;
    bool allow = true;
};

TEST_F(GridViewTest, ClickMovesThroughOnSelectCellBeforeTheMove) {
    QTest::mouseClick(view.viewport(), Qt::LeftButton, {}, CenterOf(3, 2));
    ASSERT_EQ(calls.size(), 1u);
    EXPECT_EQ(calls[0].col, 3);
    EXPECT_EQ(calls[0].row, 2);
    EXPECT_EQ(calls[0].rowBefore, 1);
    EXPECT_EQ(calls[0].colBefore, 1);
    EXPECT_EQ(grid().Col(), 3);
    EXPECT_EQ(grid().Row(), 2);
}

TEST_F(GridViewTest, ClicksOnFixedCellsAndRefusedSelectionsLeaveTheCurrentCell) {
    QTest::mouseClick(view.viewport(), Qt::LeftButton, {}, CenterOf(0, 3));  // fixed column
    QTest::mouseClick(view.viewport(), Qt::LeftButton, {}, CenterOf(2, 0));  // fixed row
    EXPECT_TRUE(calls.empty());
    allow = false;
    QTest::mouseClick(view.viewport(), Qt::LeftButton, {}, CenterOf(2, 2));
    EXPECT_EQ(calls.size(), 1u);
    EXPECT_EQ(grid().Col(), 1);
    EXPECT_EQ(grid().Row(), 1);
}

TEST_F(GridViewTest, KeysMoveTheCurrentCell) {
    struct Case {
        const char* name;
        int startCol, startRow;
        bool tabs;
        int key;
        Qt::KeyboardModifiers mods;
        int col, row;  // expected current cell afterwards
        bool event;    // whether OnSelectCell ran
    };
    const Case cases[] = {
        {"right", 1, 1, false, Qt::Key_Right, {}, 2, 1, true},
        {"down", 1, 1, false, Qt::Key_Down, {}, 1, 2, true},
        {"up at the first row", 2, 1, false, Qt::Key_Up, {}, 2, 1, false},
        {"left at the first column", 1, 3, false, Qt::Key_Left, {}, 1, 3, false},
        {"down at the last row", 2, 4, false, Qt::Key_Down, {}, 2, 4, false},
        {"end", 1, 2, false, Qt::Key_End, {}, 4, 2, true},
        {"home", 3, 2, false, Qt::Key_Home, {}, 1, 2, true},
        {"ctrl+end", 1, 1, false, Qt::Key_End, Qt::ControlModifier, 4, 4, true},
        {"tab", 2, 2, true, Qt::Key_Tab, {}, 3, 2, true},
        {"tab at the row's end", 4, 2, true, Qt::Key_Tab, {}, 1, 3, true},
        {"tab at the last cell", 4, 4, true, Qt::Key_Tab, {}, 1, 1, true},
        {"backtab at the row's start", 1, 3, true, Qt::Key_Backtab, {}, 4, 2, true},
        {"tab without goTabs", 2, 2, false, Qt::Key_Tab, {}, 2, 2, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        grid().OnSelectCell = nullptr;
        grid().MoveTo(c.startCol, c.startRow);
        grid().SetOption(goTabs, c.tabs);
        calls.clear();
        grid().OnSelectCell = [this](int col, int row, bool&) {
            calls.push_back({col, row, grid().Row(), grid().Col(), QRect()});
        };
        QTest::keyClick(&view, static_cast<Qt::Key>(c.key), c.mods);
        EXPECT_EQ(grid().Col(), c.col);
        EXPECT_EQ(grid().Row(), c.row);
        EXPECT_EQ(!calls.empty(), c.event);
    }
}

TEST_F(GridViewTest, EditorOpensOnlyWithGoEditing) {
    grid().SetCells(1, 1, "old");
    QTest::keyClick(&view, Qt::Key_X);
    QTest::keyClick(&view, Qt::Key_F2);
    EXPECT_FALSE(view.EditorMode());
    EXPECT_EQ(grid().Cells(1, 1), "old");

    grid().SetOption(goEditing, true);
    QTest::keyClick(&view, Qt::Key_X);  // a printable key opens the editor with it
    ASSERT_TRUE(view.EditorMode());
    EXPECT_EQ(grid().Cells(1, 1), "x");
    QTest::keyClicks(view.Editor(), "yz");
    EXPECT_EQ(grid().Cells(1, 1), "xyz");  // every typed change reaches the cell at once
    QTest::keyClick(view.Editor(), Qt::Key_Backspace);
    EXPECT_EQ(grid().Cells(1, 1), "xy");

    grid().SetCells(1, 1, "from code");
    EXPECT_EQ(view.Editor()->text(), "from code");

    grid().SetOption(goEditing, false);
    EXPECT_FALSE(view.EditorMode());
    EXPECT_TRUE(view.Editor()->isHidden());
}

TEST_F(GridViewTest, EditorCarriesUmlautsAsWindows1252) {
    grid().SetOption(goEditing, true);
    view.ShowEditor();
    for (QChar ch : QString::fromUtf8("Länge")) {
        QKeyEvent press(QEvent::KeyPress, Qt::Key_unknown, Qt::NoModifier, QString(ch));
        QApplication::sendEvent(view.Editor(), &press);
    }
    EXPECT_EQ(grid().Cells(1, 1), "L\xE4nge");
}

TEST_F(GridViewTest, MovingTheCurrentCellClosesTheEditorAndKeysInItNavigate) {
    grid().SetOptions({goEditing, goTabs});
    grid().SetCells(2, 1, "next");
    view.ShowEditor();
    ASSERT_TRUE(view.EditorMode());
    QTest::keyClick(view.Editor(), Qt::Key_Tab);
    EXPECT_EQ(grid().Col(), 2);
    EXPECT_FALSE(view.EditorMode());

    view.ShowEditor();
    EXPECT_EQ(view.Editor()->text(), "next");
    QTest::keyClick(view.Editor(), Qt::Key_Down);
    EXPECT_EQ(grid().Row(), 2);
    EXPECT_FALSE(view.EditorMode());

    // Clicking the current cell opens the editor.
    QTest::mouseClick(view.viewport(), Qt::LeftButton, {}, CenterOf(2, 2));
    EXPECT_TRUE(view.EditorMode());
}

TEST_F(GridViewTest, CellRectFollowsWidthsAndScrolling) {
    view.SetColWidth(1, 60);
    // Cells are followed by a one-pixel grid line.
    EXPECT_EQ(view.CellRect(0, 0), QRect(0, 0, 40, 20));
    EXPECT_EQ(view.CellRect(1, 1), QRect(41, 21, 60, 20));
    EXPECT_EQ(view.CellRect(2, 3), QRect(102, 63, 40, 20));
    EXPECT_TRUE(view.CellRect(5, 1).isNull());  // outside the grid

    grid().SetRowCount(40);
    EXPECT_TRUE(view.CellRect(1, 30).isNull());  // out of view
    // A partly visible cell reports its visible part.
    view.SetDefaultRowHeight(19);  // rows every 20 pixels
    const int viewH = view.viewport()->height();
    if (viewH % 20 != 0) {
        EXPECT_EQ(view.CellRect(1, viewH / 20), QRect(41, viewH / 20 * 20, 60, viewH % 20));
    }
    view.SetDefaultRowHeight(20);

    // Reaching an out-of-view cell: the event sees no rectangle; afterwards the
    // view has scrolled it into view and says so.
    QSignalSpy scrolled(&view, &TStringGridView::Scrolled);
    grid().OnSelectCell = nullptr;
    grid().MoveTo(1, 29);
    grid().OnSelectCell = [this](int col, int row, bool&) {
        calls.push_back({col, row, grid().Row(), grid().Col(), view.CellRect(col, row)});
    };
    calls.clear();
    scrolled.clear();
    QTest::keyClick(&view, Qt::Key_PageDown);
    ASSERT_EQ(calls.size(), 1u);
    EXPECT_TRUE(calls[0].rect.isNull());
    EXPECT_GE(scrolled.count(), 1);
    const QRect now = view.CellRect(1, grid().Row());
    EXPECT_FALSE(now.isNull());
    EXPECT_EQ(now.height(), 20);                               // fully in view
    EXPECT_EQ(view.CellRect(1, 0), QRect(0 + 41, 0, 60, 20));  // the heading stays in place
}

TEST_F(GridViewTest, CuttingRowsToTheFixedRowLeavesNothingCurrent) {
    grid().SetOption(goEditing, true);
    grid().MoveTo(2, 3);
    grid().SetRowCount(1);
    EXPECT_EQ(grid().RowCount(), 1);
    QTest::keyClick(&view, Qt::Key_X);
    QTest::keyClick(&view, Qt::Key_Down);
    EXPECT_FALSE(view.EditorMode());
    EXPECT_EQ(grid().Cells(2, 1), "");
    grid().SetRowCount(2);
    QTest::keyClick(&view, Qt::Key_X);
    EXPECT_EQ(grid().Cells(2, 1), "x");
}

}  // namespace
