#include <gtest/gtest.h>

#include <QApplication>
#include <QKeyEvent>
#include <QLineEdit>
#include <QSignalSpy>
#include <QTest>
#include <vector>

#include "platform/ui/string_grid_view.h"

namespace {

struct SelectCall {
    int col, row;
    int colBefore, rowBefore;  // the current cell while the event ran
    QRect rect;                // CellRect of the target as the event saw it
};

// A 5 x 5 grid with one fixed row and column, 40 x 20 cells, shown 300 x 200;
// OnSelectCell is recorded and answered with allow.
class GridViewTest : public ::testing::Test {
  protected:
    void SetUp() override {
        view.SetDefaultColWidth(40);
        view.SetDefaultRowHeight(20);
        view.resize(300, 200);
        view.show();
        QApplication::processEvents();
        Record();
    }
    void Record() {
        calls.clear();
        grid().OnSelectCell = [this](int col, int row, bool& canSelect) {
            calls.push_back({col, row, grid().Col(), grid().Row(), view.CellRect(col, row)});
            canSelect = allow;
        };
    }
    // Moves from code, without an event.
    void MoveTo(int col, int row) {
        grid().OnSelectCell = nullptr;
        grid().MoveTo(col, row);
        Record();
    }
    TStringGrid& grid() { return view.Grid(); }
    void Click(int col, int row) {
        QTest::mouseClick(view.viewport(), Qt::LeftButton, {}, view.CellRect(col, row).center());
    }
    void ExpectCurrent(int col, int row) {
        EXPECT_EQ(grid().Col(), col);
        EXPECT_EQ(grid().Row(), row);
    }

    TStringGridView view;
    std::vector<SelectCall> calls;
    bool allow = true;
};

TEST_F(GridViewTest, ClickAsksOnSelectCellBeforeTheMove) {
    Click(0, 3);  // fixed column
    Click(2, 0);  // fixed row
    EXPECT_TRUE(calls.empty());
    allow = false;
    Click(2, 2);
    ExpectCurrent(1, 1);
    allow = true;
    Click(3, 2);
    ASSERT_EQ(calls.size(), 2u);
    EXPECT_EQ(calls[1].col, 3);
    EXPECT_EQ(calls[1].row, 2);
    EXPECT_EQ(calls[1].colBefore, 1);
    EXPECT_EQ(calls[1].rowBefore, 1);
    ExpectCurrent(3, 2);
}

TEST_F(GridViewTest, KeysMoveTheCurrentCell) {
    const struct {
        const char* name;
        int startCol, startRow;
        bool tabs;
        Qt::Key key;
        Qt::KeyboardModifiers mods;
        int col, row;  // the current cell afterwards
        bool event;    // whether OnSelectCell ran
    } cases[] = {
        {"right", 1, 1, false, Qt::Key_Right, {}, 2, 1, true},
        {"up at the first row", 2, 1, false, Qt::Key_Up, {}, 2, 1, false},
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
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        MoveTo(c.startCol, c.startRow);
        grid().SetOption(goTabs, c.tabs);
        QTest::keyClick(&view, c.key, c.mods);
        ExpectCurrent(c.col, c.row);
        EXPECT_EQ(!calls.empty(), c.event);
    }
}

TEST_F(GridViewTest, EditorOpensOnlyWithGoEditingAndWritesThrough) {
    grid().SetCells(1, 1, "old");
    QTest::keyClick(&view, Qt::Key_X);
    QTest::keyClick(&view, Qt::Key_F2);
    EXPECT_FALSE(view.EditorMode());
    EXPECT_EQ(grid().Cells(1, 1), "old");

    grid().SetOption(goEditing, true);
    QTest::keyClick(&view, Qt::Key_X);  // a printable key opens the editor with it
    ASSERT_TRUE(view.EditorMode());
    QTest::keyClicks(view.Editor(), "yz");
    EXPECT_EQ(grid().Cells(1, 1), "xyz");  // every typed change reaches the cell at once
    QTest::keyClick(view.Editor(), Qt::Key_Backspace);
    EXPECT_EQ(grid().Cells(1, 1), "xy");
    for (QChar ch : QString::fromUtf8("ä")) {  // carried as Windows-1252
        QKeyEvent press(QEvent::KeyPress, Qt::Key_unknown, Qt::NoModifier, QString(ch));
        QApplication::sendEvent(view.Editor(), &press);
    }
    EXPECT_EQ(grid().Cells(1, 1), "xy\xE4");

    grid().SetCells(1, 1, "from code");
    EXPECT_EQ(view.Editor()->text(), "from code");
    grid().SetOption(goEditing, false);
    EXPECT_FALSE(view.EditorMode());
    EXPECT_TRUE(view.Editor()->isHidden());
}

TEST_F(GridViewTest, MovingTheCurrentCellClosesTheEditorAndKeysInItNavigate) {
    grid().SetOptions({goEditing, goTabs});
    grid().SetCells(2, 1, "next");
    view.ShowEditor();
    QTest::keyClick(view.Editor(), Qt::Key_Tab);
    EXPECT_EQ(grid().Col(), 2);
    EXPECT_FALSE(view.EditorMode());
    view.ShowEditor();
    EXPECT_EQ(view.Editor()->text(), "next");
    QTest::keyClick(view.Editor(), Qt::Key_Down);
    EXPECT_EQ(grid().Row(), 2);
    EXPECT_FALSE(view.EditorMode());
    Click(2, 2);  // clicking the current cell opens the editor
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
    view.SetDefaultRowHeight(19);                // rows every 20 pixels
    const int viewH = view.viewport()->height();
    if (viewH % 20 != 0) {  // a partly visible cell reports its visible part
        EXPECT_EQ(view.CellRect(1, viewH / 20), QRect(41, viewH / 20 * 20, 60, viewH % 20));
    }
    view.SetDefaultRowHeight(20);

    // Reaching an out-of-view cell: the event sees no rectangle; afterwards the
    // view has scrolled it into view and says so.
    QSignalSpy scrolled(&view, &TStringGridView::Scrolled);
    MoveTo(1, 29);
    scrolled.clear();
    QTest::keyClick(&view, Qt::Key_PageDown);
    ASSERT_EQ(calls.size(), 1u);
    EXPECT_TRUE(calls[0].rect.isNull());
    EXPECT_GE(scrolled.count(), 1);
    EXPECT_EQ(view.CellRect(1, grid().Row()).height(), 20);  // fully in view
    EXPECT_EQ(view.CellRect(1, 0), QRect(41, 0, 60, 20));    // the heading stays in place
}

TEST_F(GridViewTest, CuttingRowsToTheFixedRowLeavesNothingCurrent) {
    grid().SetOption(goEditing, true);
    grid().MoveTo(2, 3);
    grid().SetRowCount(1);
    QTest::keyClick(&view, Qt::Key_X);
    QTest::keyClick(&view, Qt::Key_Down);
    EXPECT_FALSE(view.EditorMode());
    grid().SetRowCount(2);
    EXPECT_EQ(grid().Cells(2, 1), "");
    QTest::keyClick(&view, Qt::Key_X);
    EXPECT_EQ(grid().Cells(2, 1), "x");
}

}  // namespace
