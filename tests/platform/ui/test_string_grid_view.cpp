#include <gtest/gtest.h>

#include <QApplication>
#include <QKeyEvent>
#include <QLineEdit>
#include <QSignalSpy>
#include <QTest>

#include "platform/ui/string_grid_view.h"

namespace {

// A 5 x 5 grid with one fixed row and column, 40 x 20 cells, shown 300 x 200.
// OnSelectCell is answered with allow and recorded as "col,row<-current",
// followed by " unseen" when the target had no CellRect at the time.
class GridViewTest : public ::testing::Test {
  protected:
    void SetUp() override {
        view.SetDefaultColWidth(40);
        view.SetDefaultRowHeight(20);
        view.resize(300, 200);
        view.show();
        QApplication::processEvents();
        grid().OnSelectCell = [this](int col, int row, bool& canSelect) {
            calls << QString::asprintf("%d,%d<-%d,%d%s", col, row, grid().Col(), grid().Row(),
                                       view.CellRect(col, row).isNull() ? " unseen" : "");
            canSelect = allow;
        };
    }
    TStringGrid& grid() { return view.Grid(); }
    void Key(Qt::Key key, QWidget* to = nullptr) { QTest::keyClick(to ? to : &view, key); }
    void Click(int col, int row) {
        QTest::mouseClick(view.viewport(), Qt::LeftButton, {}, view.CellRect(col, row).center());
    }
    std::pair<int, int> Current() { return {grid().Col(), grid().Row()}; }

    TStringGridView view;
    QStringList calls;
    bool allow = true;
};

TEST_F(GridViewTest, ClickAsksOnSelectCellBeforeTheMove) {
    Click(0, 3);  // fixed column
    Click(2, 0);  // fixed row
    allow = false;
    Click(2, 2);
    EXPECT_EQ(Current(), std::pair(1, 1));
    allow = true;
    Click(3, 2);
    EXPECT_EQ(calls, QStringList({"2,2<-1,1", "3,2<-1,1"}));
    EXPECT_EQ(Current(), std::pair(3, 2));
}

TEST_F(GridViewTest, KeysMoveTheCurrentCell) {
    const struct {
        int startCol, startRow;
        bool tabs;
        Qt::Key key;
        int col, row;  // the current cell afterwards
        bool event;    // whether OnSelectCell ran
    } cases[] = {
        {1, 1, false, Qt::Key_Right, 2, 1, true},  {2, 1, false, Qt::Key_Up, 2, 1, false},
        {1, 2, false, Qt::Key_End, 4, 2, true},    {3, 2, false, Qt::Key_Home, 1, 2, true},
        {4, 2, true, Qt::Key_Tab, 1, 3, true},     {4, 4, true, Qt::Key_Tab, 1, 1, true},
        {1, 3, true, Qt::Key_Backtab, 4, 2, true}, {2, 2, false, Qt::Key_Tab, 2, 2, false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::Message() << c.startCol << c.startRow << " key " << c.key);
        auto saved = std::move(grid().OnSelectCell);
        grid().MoveTo(c.startCol, c.startRow);  // from code, without an event
        grid().OnSelectCell = std::move(saved);
        calls.clear();
        grid().SetOption(goTabs, c.tabs);
        Key(c.key);
        EXPECT_EQ(Current(), std::pair(c.col, c.row));
        EXPECT_EQ(!calls.empty(), c.event);
    }
}

TEST_F(GridViewTest, EditorOpensOnlyWithGoEditingAndWritesThrough) {
    grid().SetCells(1, 1, "old");
    Key(Qt::Key_X);
    Key(Qt::Key_F2);
    EXPECT_FALSE(view.EditorMode());
    EXPECT_EQ(grid().Cells(1, 1), "old");

    grid().SetOption(goEditing, true);
    Key(Qt::Key_X);  // a printable key opens the editor with it
    ASSERT_TRUE(view.EditorMode());
    QTest::keyClicks(view.Editor(), "yz");
    Key(Qt::Key_Backspace, view.Editor());
    EXPECT_EQ(grid().Cells(1, 1), "xy");       // every typed change reaches the cell at once
    for (QChar ch : QString::fromUtf8("ä")) {  // carried as Windows-1252
        QKeyEvent press(QEvent::KeyPress, Qt::Key_unknown, Qt::NoModifier, QString(ch));
        QApplication::sendEvent(view.Editor(), &press);
    }
    EXPECT_EQ(grid().Cells(1, 1), "xy\xE4");
    grid().SetCells(1, 1, "from code");
    EXPECT_EQ(view.Editor()->text(), "from code");

    // Keys in the editor navigate; moving closes it, clicking the current
    // cell opens it again.
    Key(Qt::Key_Down, view.Editor());
    EXPECT_EQ(Current(), std::pair(1, 2));
    EXPECT_FALSE(view.EditorMode());
    Click(1, 2);
    EXPECT_TRUE(view.EditorMode());
    grid().SetOption(goEditing, false);
    EXPECT_FALSE(view.EditorMode());
}

TEST_F(GridViewTest, ScrollingAnOutOfViewCellIn) {
    view.SetColWidth(1, 60);
    grid().SetRowCount(40);
    QSignalSpy scrolled(&view, &TStringGridView::Scrolled);
    Key(Qt::Key_PageDown);
    Key(Qt::Key_PageDown);
    ASSERT_EQ(calls.size(), 2);
    EXPECT_TRUE(calls[1].endsWith(" unseen"));  // the event ran before the scrolling
    EXPECT_GE(scrolled.count(), 1);
    EXPECT_EQ(view.CellRect(1, grid().Row()).height(), 20);  // fully in view
    // Cells are followed by a one-pixel grid line; the heading stays in place.
    EXPECT_EQ(view.CellRect(1, 0), QRect(41, 0, 60, 20));
    EXPECT_TRUE(view.CellRect(5, 0).isNull());  // outside the grid
}

}  // namespace
