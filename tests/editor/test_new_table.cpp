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
    grid().MoveTo(1, 3);           // kind column of the last row
    dlg.udFieldCount->StepDown();  // the new last row gets its defaults back
    EXPECT_EQ(rows(), QStringList({"Mine|String|32", "Field2|String|32"}));
    // The current cell and its picker move along to the new last row; the
    // picker keeps the kind the row had when it was selected.
    EXPECT_EQ(grid().Row(), 2);
    EXPECT_EQ(dlg.cbTypes->ItemIndex(), 2);
    dlg.udFieldCount->StepUp();  // not "B" again
    EXPECT_EQ(rows().value(2), "Field3|String|32");

    for (int i = 0; i < 1200; ++i) dlg.udFieldCount->StepUp();
    EXPECT_EQ(dlg.leFieldCount->text(), "1000");
    ASSERT_EQ(rows().size(), 1000);
    EXPECT_EQ(rows()[999], "Field1000|String|32");

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
        int index;  // the shown picker's entry
        const char* lengthAfter;
        bool editing;
    };
    const Case cases[] = {
        {"kind String", "String", "32", 1, true, false, 0, "32", true},
        {"kind Boolean", "Boolean", "-----", 1, true, false, 2, "-----", true},
        {"kind typed in small letters", "number", "-----", 1, true, false, 0, "-----", true},
        {"length of a Number row", "Number", "32", 2, false, false, 0, "-----", false},
        {"length marker of a String row", "String", "-----", 2, false, true, 6, "32", true},
        {"length from the list", "String", "128", 2, false, true, 8, "128", true},
        {"length outside the list", "String", "20", 2, false, true, -1, "20", true},
        {"name", "Number", "-----", 0, false, false, 0, "-----", true},
    };
    dlg.udFieldCount->StepUp();
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        grid().MoveTo(0, 1);
        dlg.cbTypes->hide();
        dlg.cbSize->hide();
        grid().SetCells(1, 2, c.kind);
        grid().SetCells(2, 2, c.length);
        grid().SetOption(goEditing, !c.editing);
        grid().MoveTo(c.col, 2);
        EXPECT_EQ(!dlg.cbTypes->isHidden(), c.typesShown);
        EXPECT_EQ(!dlg.cbSize->isHidden(), c.sizeShown);
        if (TComboBox* box = c.typesShown ? dlg.cbTypes : c.sizeShown ? dlg.cbSize : nullptr) {
            EXPECT_EQ(box->ItemIndex(), c.index);
        }
        EXPECT_EQ(grid().Cells(1, 2), c.kind);  // the kind cell is never changed
        EXPECT_EQ(grid().Cells(2, 2), c.lengthAfter);
        EXPECT_EQ(grid().HasOption(goEditing), c.editing);
    }
}

TEST_F(NewTableTest, ChoosingAKindOrLengthWritesTheCurrentRow) {
    dlg.udFieldCount->StepUp();
    dlg.udFieldCount->StepUp();
    grid().MoveTo(2, 2);
    Pick(dlg.cbSize, 10);
    EXPECT_EQ(rows().value(1), "Field2|String|1024");
    Pick(dlg.cbTypes, 1);  // Number
    EXPECT_EQ(rows().value(1), "Field2|Number|-----");
    Pick(dlg.cbTypes, 0);  // String again: the default, not 1024
    EXPECT_EQ(rows().value(1), "Field2|String|32");

    // A length picker left over an earlier row writes the current row.
    grid().MoveTo(2, 1);
    grid().MoveTo(1, 2);
    ASSERT_FALSE(dlg.cbSize->isHidden());
    Pick(dlg.cbSize, 3);
    EXPECT_EQ(rows(), QStringList({"Field1|String|32", "Field2|String|4", "Field3|String|32"}));
}

}  // namespace
