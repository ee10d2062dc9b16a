// The new-table dialog on its own: the count, the rows, the pickers.
#include "test_main_support.h"

namespace {

class NewTableTest : public ::testing::Test {
  protected:
    void SetUp() override {
        dlg.show();
        QApplication::processEvents();
    }
    void TearDown() override { dlg.hide(); }
    TStringGrid& grid() { return dlg.sgFields->Grid(); }
    QStringList rows() { return GridRows(grid()); }
    // The cell rectangle the picker should cover, in the dialog's coordinates.
    QRect CellInDialog(int col, int row) {
        QRect r = dlg.sgFields->CellRect(col, row);
        return QRect(dlg.sgFields->viewport()->mapTo(&dlg, r.topLeft()), r.size());
    }

    TfmNewTable dlg;
};

TEST_F(NewTableTest, TheCountSetsTheRowsAndWritesTheNewLastRow) {
    EXPECT_EQ(dlg.leFieldCount->text(), "1");
    EXPECT_EQ(grid().Cells(2, 0), "L\xE4nge");
    EXPECT_EQ(rows(), QStringList({"Field1|String|32"}));
    EXPECT_EQ(grid().Col(), 0);  // the top-left cell that is not fixed
    EXPECT_EQ(grid().Row(), 1);
    EXPECT_TRUE(dlg.cbTypes->isHidden() && dlg.cbSize->isHidden());

    grid().SetCells(0, 1, "Mine");
    dlg.udFieldCount->StepUp();
    dlg.udFieldCount->StepUp();
    EXPECT_EQ(dlg.leFieldCount->text(), "3");
    EXPECT_EQ(rows(), QStringList({"Mine|String|32", "Field2|String|32", "Field3|String|32"}));
    SetRows(grid(), {{"Mine", "String", "32"}, {"A", "Boolean", "-----"}, {"B", "String", "32"}});
    grid().MoveTo(1, 3);  // kind column of the last row
    ASSERT_FALSE(dlg.cbTypes->isHidden());
    dlg.udFieldCount->StepDown();  // the new last row gets its defaults back
    EXPECT_EQ(rows(), QStringList({"Mine|String|32", "Field2|String|32"}));
    // The current cell and its picker move along to the new last row; the
    // picker keeps the kind the row had when it was selected.
    EXPECT_EQ(grid().Row(), 2);
    EXPECT_EQ(dlg.cbTypes->ItemIndex(), 2);
    EXPECT_EQ(dlg.cbTypes->geometry(), CellInDialog(1, 2));
    dlg.udFieldCount->StepUp();  // not "B" again
    EXPECT_EQ(rows(), QStringList({"Mine|String|32", "Field2|String|32", "Field3|String|32"}));

    for (int i = 0; i < 1200; ++i) dlg.udFieldCount->StepUp();
    EXPECT_EQ(dlg.leFieldCount->text(), "1000");
    const QStringList all = rows();
    ASSERT_EQ(all.size(), 1000);
    EXPECT_EQ(all[999], "Field1000|String|32");
    EXPECT_EQ(all[998], "Field999|String|32");
    EXPECT_EQ(all[499], "Field500|String|32");

    // A count text that is no number shows the conversion error; the rows stay.
    QStringList errors;
    auto old = Application->SetErrorBoxHandler(
        [&](const QString&, const QString& text) { errors << text; });
    dlg.leFieldCount->setText("zwei");
    Application->SetErrorBoxHandler(old);
    EXPECT_EQ(errors, QStringList({"'zwei' ist kein gültiger Integerwert."}));
    EXPECT_EQ(grid().RowCount(), 1001);
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
    EXPECT_EQ(rows().value(1), "Field2|Number|-----");
    Pick(dlg.cbTypes, 0);  // String brings the default length back
    EXPECT_EQ(rows().value(1), "Field2|String|32");

    grid().MoveTo(2, 2);
    Pick(dlg.cbSize, 10);
    EXPECT_EQ(rows().value(1), "Field2|String|1024");
    EXPECT_TRUE(dlg.cbTypes->isHidden());
    Pick(dlg.cbTypes, 0);  // String again: the default, not 1024
    EXPECT_TRUE(dlg.cbSize->isHidden());
    EXPECT_EQ(rows(), QStringList({"Field1|String|32", "Field2|String|32"}));
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
    EXPECT_EQ(rows(), QStringList({"Field1|String|32"}));  // the rows survive the showings
}

}  // namespace
