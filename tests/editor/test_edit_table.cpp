// The restructure dialog on its own: filling, the row buttons, the pickers.
#include "test_main_support.h"

namespace {

const QString kName = "Name|Name|String|20", kPreis = "Preis|Preis|Number|-----",
              kDa = "Da|Da|Boolean|-----";

class EditTableTest : public ::testing::Test {
  protected:
    void SetUp() override {
        oldActive_ = ActiveTable;
        for (auto [name, type] : {std::pair{"Nr", ftInteger},
                                  {"Name", ftString},
                                  {"Preis", ftFloat},
                                  {"Da", ftBoolean}}) {
            TFieldDef& def = table.FieldDefs().AddFieldDef();
            def.SetName(name);
            def.SetDataType(type);
            if (type == ftString) def.SetSize(20);
        }
        table.CreateDataSet();
        ActiveTable = &table;
    }
    void TearDown() override {
        dlg.hide();
        ActiveTable = oldActive_;
    }
    void Show() {
        dlg.hide();
        dlg.show();  // fills the grid from the active table
        QApplication::processEvents();
    }
    TStringGrid& grid() { return dlg.sgFields->Grid(); }
    QStringList rows() { return GridRows(grid()); }

    TClientDataSet table;
    TfmEditTable dlg;

  private:
    TClientDataSet* oldActive_ = nullptr;
};

TEST_F(EditTableTest, WithoutFieldsOnlyTheFixedHeadingRemainsAndInsertAppends) {
    Show();
    table.Close();
    Show();
    EXPECT_EQ(grid().RowCount(), 1);
    EXPECT_EQ(grid().Cells(0, 0), "Alter Feldname");
    dlg.sbRowUp->Click();
    dlg.sbRowDelete->Click();
    EXPECT_EQ(grid().RowCount(), 1);
    dlg.sbRowInsert->Click();
    EXPECT_EQ(rows(), QStringList({"|Field1|String|32"}));
    EXPECT_EQ(grid().Row(), 1);
}

TEST_F(EditTableTest, RowButtons) {
    const QString kNr = "Nr|Nr|Integer|-----";
    struct Case {
        int startRow;
        TSpeedButton* TfmEditTable::*button;
        int row;  // current row afterwards
        QStringList rows;
    } const cases[] = {
        {1, &TfmEditTable::sbRowUp, 1, {kNr, kName, kPreis, kDa}},
        {4, &TfmEditTable::sbRowUp, 3, {kNr, kName, kDa, kPreis}},
        {4, &TfmEditTable::sbRowDown, 4, {kNr, kName, kPreis, kDa}},
        {2, &TfmEditTable::sbRowDown, 3, {kNr, kPreis, kName, kDa}},
        {4, &TfmEditTable::sbRowDelete, 3, {kNr, kName, kPreis}},
        {2, &TfmEditTable::sbRowInsert, 2, {kNr, "|Field5|String|32", kName, kPreis, kDa}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.rows.join(" ").toStdString());
        Show();  // every showing starts again from the table
        grid().MoveTo(1, c.startRow);
        (dlg.*c.button)->Click();
        EXPECT_EQ(grid().Row(), c.row);
        EXPECT_EQ(grid().Col(), 1);
        EXPECT_EQ(rows(), c.rows);
    }
    // A single definition row is never deleted.
    Show();
    for (int i = 0; i < 5; ++i) dlg.sbRowDelete->Click();
    EXPECT_EQ(grid().RowCount(), 2);
}

TEST_F(EditTableTest, ThePickersFollowTheRowAndWriteIt) {
    Show();
    grid().MoveTo(2, 4);       // Boolean
    dlg.sbRowDelete->Click();  // the last row: the cell moves up to the Number row
    EXPECT_EQ(dlg.cbTypes->ItemIndex(), 1);
    // An integer column shows the first kind and no length picker.
    grid().MoveTo(2, 1);
    EXPECT_EQ(dlg.cbTypes->ItemIndex(), 0);
    grid().MoveTo(3, 1);
    EXPECT_FALSE(grid().HasOption(goEditing));
    EXPECT_TRUE(dlg.cbSize->isHidden());
    grid().MoveTo(2, 1);
    Pick(dlg.cbTypes, 1);
    EXPECT_EQ(rows().value(0), "Nr|Nr|Number|-----");
    // A text column's own length is kept and matches no entry.
    grid().MoveTo(3, 2);
    EXPECT_EQ(dlg.cbSize->ItemIndex(), -1);
    EXPECT_EQ(grid().Cells(3, 2), "20");
    Pick(dlg.cbSize, 11);
    EXPECT_EQ(rows().value(1), "Name|Name|String|4096");
}

}  // namespace
