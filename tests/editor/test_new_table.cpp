#include <gtest/gtest.h>

#include <QApplication>
#include <QKeyEvent>
#include <QTest>
#include <QTimer>

#include "editor/new_table.h"
#include "platform/ui/application.h"

namespace {

// A user's pick of entry index in a drop-down list.
void Pick(TComboBox* box, int index) {
    box->setCurrentIndex(index);
    emit box->activated(index);
}

class NewTableTest : public ::testing::Test {
  protected:
    void SetUp() override {
        dlg.show();
        QApplication::processEvents();
    }
    void TearDown() override { dlg.hide(); }
    TStringGrid& grid() { return dlg.sgFields->Grid(); }
    void ExpectRow(int row, const char* name, const char* kind, const char* length) {
        SCOPED_TRACE(row);
        EXPECT_EQ(grid().Cells(0, row), name);
        EXPECT_EQ(grid().Cells(1, row), kind);
        EXPECT_EQ(grid().Cells(2, row), length);
    }
    // The cell rectangle the picker should cover, in the dialog's coordinates.
    QRect CellInDialog(int col, int row) {
        QRect r = dlg.sgFields->CellRect(col, row);
        return QRect(dlg.sgFields->viewport()->mapTo(&dlg, r.topLeft()), r.size());
    }

    TfmNewTable dlg;
};

TEST_F(NewTableTest, StartsWithOneDefaultRow) {
    EXPECT_EQ(dlg.leFieldCount->text(), "1");
    EXPECT_EQ(grid().RowCount(), 2);
    EXPECT_EQ(grid().Cells(2, 0), "L\xE4nge");
    ExpectRow(1, "Field1", "String", "32");
    EXPECT_EQ(grid().Col(), 0);  // the top-left cell that is not fixed
    EXPECT_EQ(grid().Row(), 1);
    EXPECT_TRUE(dlg.cbTypes->isHidden());
    EXPECT_TRUE(dlg.cbSize->isHidden());
}

TEST_F(NewTableTest, RaisingAndLoweringTheCountWritesTheNewLastRow) {
    grid().SetCells(0, 1, "Mine");
    dlg.udFieldCount->StepUp();
    dlg.udFieldCount->StepUp();
    EXPECT_EQ(dlg.leFieldCount->text(), "3");
    EXPECT_EQ(grid().RowCount(), 4);
    ExpectRow(1, "Mine", "String", "32");
    ExpectRow(2, "Field2", "String", "32");
    ExpectRow(3, "Field3", "String", "32");

    grid().SetCells(0, 2, "A");
    grid().SetCells(1, 2, "Number");
    grid().SetCells(2, 2, "-----");
    grid().SetCells(0, 3, "B");
    dlg.udFieldCount->StepDown();
    EXPECT_EQ(grid().RowCount(), 3);
    ExpectRow(2, "Field2", "String", "32");  // the new last row gets its defaults back
    dlg.udFieldCount->StepUp();
    ExpectRow(3, "Field3", "String", "32");  // not "B" again
    ExpectRow(1, "Mine", "String", "32");
}

TEST_F(NewTableTest, TheCountReaches1000Rows) {
    for (int i = 0; i < 1200; ++i) dlg.udFieldCount->StepUp();
    EXPECT_EQ(dlg.leFieldCount->text(), "1000");
    EXPECT_EQ(grid().RowCount(), 1001);
    ExpectRow(1000, "Field1000", "String", "32");
    ExpectRow(999, "Field999", "String", "32");
    ExpectRow(500, "Field500", "String", "32");
}

TEST_F(NewTableTest, ACountTextThatIsNoNumberShowsTheConversionError) {
    std::vector<QString> errors;
    auto old = Application->SetErrorBoxHandler(
        [&](const QString&, const QString& text) { errors.push_back(text); });
    dlg.leFieldCount->setText("zwei");
    Application->SetErrorBoxHandler(old);
    ASSERT_EQ(errors.size(), 1u);
    EXPECT_EQ(errors[0], QString::fromUtf8("'zwei' ist kein gültiger Integerwert."));
    EXPECT_EQ(grid().RowCount(), 2);
}

TEST_F(NewTableTest, LoweringTheCountBelowTheCurrentRowMovesThePickerAlong) {
    dlg.udFieldCount->StepUp();
    dlg.udFieldCount->StepUp();
    grid().SetCells(1, 2, "Boolean");
    grid().MoveTo(1, 3);  // kind column of the last row
    ASSERT_FALSE(dlg.cbTypes->isHidden());
    dlg.udFieldCount->StepDown();
    EXPECT_EQ(grid().Row(), 2);
    EXPECT_EQ(dlg.cbTypes->ItemIndex(), 2);  // the kind row 2 had when it was selected
    EXPECT_EQ(dlg.cbTypes->geometry(), CellInDialog(1, 2));
    ExpectRow(2, "Field2", "String", "32");
}

TEST_F(NewTableTest, SelectingACellSetsPickersAndEditing) {
    struct Case {
        const char* name;
        const char* kind;    // the row's kind cell before the selection
        const char* length;  // the row's length cell before the selection
        int col;             // the column selected
        bool typesShown, sizeShown;
        int typesIndex, sizeIndex;  // -2: not looked at
        const char* lengthAfter;
        bool editing;
    };
    const Case cases[] = {
        {"kind String", "String", "32", 1, true, false, 0, -2, "32", true},
        {"kind Boolean", "Boolean", "-----", 1, true, false, 2, -2, "-----", true},
        {"kind Number", "Number", "-----", 1, true, false, 1, -2, "-----", true},
        {"kind typed in small letters", "number", "-----", 1, true, false, 0, -2, "-----", true},
        {"empty kind", "", "32", 1, true, false, 0, -2, "32", true},
        {"length of a Number row", "Number", "32", 2, false, false, -2, -2, "-----", false},
        {"length of an empty kind", "", "32", 2, false, false, -2, -2, "-----", false},
        {"length of a small-letter kind", "string", "8", 2, false, false, -2, -2, "-----", false},
        {"length marker of a String row", "String", "-----", 2, false, true, -2, 6, "32", true},
        {"length from the list", "String", "128", 2, false, true, -2, 8, "128", true},
        {"length outside the list", "String", "20", 2, false, true, -2, -1, "20", true},
        {"name", "Number", "-----", 0, false, false, -2, -2, "-----", true},
    };
    dlg.udFieldCount->StepUp();
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        grid().OnSelectCell = nullptr;
        grid().MoveTo(0, 1);
        dlg.cbTypes->hide();
        dlg.cbSize->hide();
        grid().OnSelectCell = [this](int col, int row, bool& can) {
            dlg.sgFieldsSelectCell(dlg.sgFields, col, row, can);
        };
        grid().SetCells(1, 2, c.kind);
        grid().SetCells(2, 2, c.length);
        grid().SetOption(goEditing, !c.editing);
        grid().MoveTo(c.col, 2);
        EXPECT_EQ(!dlg.cbTypes->isHidden(), c.typesShown);
        EXPECT_EQ(!dlg.cbSize->isHidden(), c.sizeShown);
        if (c.typesIndex != -2) {
            EXPECT_EQ(dlg.cbTypes->ItemIndex(), c.typesIndex);
        }
        if (c.sizeIndex != -2) {
            EXPECT_EQ(dlg.cbSize->ItemIndex(), c.sizeIndex);
        }
        EXPECT_EQ(grid().Cells(1, 2), c.kind);  // the kind cell is never changed
        EXPECT_EQ(grid().Cells(2, 2), c.lengthAfter);
        EXPECT_EQ(grid().HasOption(goEditing), c.editing);
    }
}

TEST_F(NewTableTest, APickerForACellOutOfViewIsLaidOnceTheGridHasScrolledToIt) {
    for (int i = 0; i < 40; ++i) dlg.udFieldCount->StepUp();
    grid().MoveTo(1, 1);
    ASSERT_TRUE(dlg.sgFields->CellRect(1, 35).isNull());
    grid().MoveTo(1, 35);
    const QRect cell = CellInDialog(1, 35);
    ASSERT_FALSE(cell.isEmpty());
    EXPECT_EQ(dlg.cbTypes->geometry(), cell);
    EXPECT_FALSE(dlg.cbTypes->isHidden());

    // Typing moves through the same path: the length picker follows the arrow key.
    QTest::keyClick(dlg.sgFields, Qt::Key_Right);
    QTest::keyClick(dlg.sgFields, Qt::Key_Up);
    EXPECT_EQ(dlg.cbSize->geometry(), CellInDialog(2, 34));
}

TEST_F(NewTableTest, ChoosingAKindOrLengthWritesTheCurrentRow) {
    dlg.udFieldCount->StepUp();
    grid().MoveTo(1, 2);
    Pick(dlg.cbTypes, 1);  // Number
    ExpectRow(2, "Field2", "Number", "-----");
    Pick(dlg.cbTypes, 0);  // String brings the default length back
    ExpectRow(2, "Field2", "String", "32");

    grid().MoveTo(2, 2);
    Pick(dlg.cbSize, 10);
    ExpectRow(2, "Field2", "String", "1024");
    EXPECT_TRUE(dlg.cbTypes->isHidden());
    Pick(dlg.cbTypes, 0);  // String again: the default, not 1024
    EXPECT_EQ(grid().Cells(2, 2), "32");
    EXPECT_TRUE(dlg.cbSize->isHidden());
    ExpectRow(1, "Field1", "String", "32");
}

TEST_F(NewTableTest, APickerLeftOverAnEarlierRowWritesTheCurrentRow) {
    dlg.udFieldCount->StepUp();
    dlg.udFieldCount->StepUp();
    grid().SetCells(1, 3, "Boolean");
    grid().SetCells(2, 3, "-----");
    grid().MoveTo(2, 1);  // length cell of a String row: cbSize over row 1
    grid().MoveTo(1, 2);  // kind cell of row 2: cbTypes shown too
    EXPECT_FALSE(dlg.cbSize->isHidden());
    EXPECT_FALSE(dlg.cbTypes->isHidden());
    EXPECT_EQ(dlg.cbSize->geometry(), CellInDialog(2, 1));
    Pick(dlg.cbSize, 3);
    EXPECT_EQ(grid().Cells(2, 2), "4");  // the current row, not row 1
    EXPECT_EQ(grid().Cells(2, 1), "32");

    grid().MoveTo(2, 1);
    grid().MoveTo(1, 3);  // a Boolean row
    Pick(dlg.cbSize, 3);
    EXPECT_EQ(grid().Cells(2, 3), "-----");

    // Entering one picker hides the other.
    grid().MoveTo(2, 1);
    grid().MoveTo(1, 2);
    dlg.cbTypesEnter(dlg.cbTypes);
    EXPECT_TRUE(dlg.cbSize->isHidden());
    EXPECT_FALSE(dlg.cbTypes->isHidden());
    grid().MoveTo(2, 2);
    dlg.cbSizeEnter(dlg.cbSize);
    EXPECT_TRUE(dlg.cbTypes->isHidden());
}

TEST_F(NewTableTest, TypingReachesTheCellsExceptInALengthCellWithoutLength) {
    grid().MoveTo(1, 1);
    grid().MoveTo(0, 1);
    dlg.activateWindow();
    dlg.sgFields->setFocus();
    QTest::keyClick(dlg.sgFields, 'K');  // opens the editor
    ASSERT_TRUE(dlg.sgFields->EditorMode());
    QTest::keyClicks(dlg.sgFields->Editor(), "unde");
    EXPECT_EQ(grid().Cells(0, 1), "Kunde");
    grid().SetCells(1, 1, "Number");
    grid().MoveTo(2, 1);
    QTest::keyClicks(dlg.sgFields, "99");
    EXPECT_EQ(grid().Cells(2, 1), "-----");
}

TEST_F(NewTableTest, ModalResults) {
    struct Case {
        const char* name;
        std::function<void(TfmNewTable&)> action;
        int result;
    };
    const Case cases[] = {
        {"OK", [](TfmNewTable& d) { d.BitBtn1->click(); }, 1},
        {"Abbrechen", [](TfmNewTable& d) { d.BitBtn2->click(); }, 2},
        {"Escape", [](TfmNewTable& d) { QTest::keyClick(&d, Qt::Key_Escape); }, 2},
        {"closing the window", [](TfmNewTable& d) { d.close(); }, 2},
    };
    dlg.hide();
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        QTimer::singleShot(0, &dlg, [&] { c.action(dlg); });
        EXPECT_EQ(dlg.ShowModal(), c.result);
    }
    // The rows survive the showings.
    ExpectRow(1, "Field1", "String", "32");
    EXPECT_EQ(dlg.BitBtn1->text(), "OK");
    EXPECT_EQ(dlg.BitBtn2->text(), "Abbrechen");
}

}  // namespace
