// The restructure dialog on its own: filling, the row buttons, the pickers.
#include "test_main_support.h"

namespace {

struct FieldDesc {
    const char* name;
    TFieldType type;
    int size;
};

void MakeTable(TClientDataSet& ds, std::initializer_list<FieldDesc> fields) {
    for (const FieldDesc& f : fields) {
        TFieldDef& def = ds.FieldDefs().AddFieldDef();
        def.SetName(f.name);
        def.SetDataType(f.type);
        if (f.size > 0) def.SetSize(f.size);
    }
    ds.CreateDataSet();
}

const QString kName = "Name|Name|String|20", kPreis = "Preis|Preis|Number|-----",
              kDa = "Da|Da|Boolean|-----";

class EditTableTest : public ::testing::Test {
  protected:
    void SetUp() override {
        oldActive_ = ActiveTable;
        MakeTable(table, {{"Name", ftString, 20}, {"Preis", ftFloat, 0}, {"Da", ftBoolean, 0}});
        ActiveTable = &table;
    }
    void TearDown() override {
        dlg.hide();
        ActiveTable = oldActive_;
    }
    void Show() {
        dlg.hide();
        dlg.show();  // runs FormShow
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
    for (bool closed : {false, true}) {  // no dataset, or a closed one
        SCOPED_TRACE(closed);
        Show();  // three rows first
        if (closed)
            table.Close();
        else
            ActiveTable = nullptr;
        Show();
        EXPECT_EQ(grid().RowCount(), 1);
        EXPECT_EQ(grid().FixedRows(), 1);
        EXPECT_EQ(grid().Cells(0, 0), "Alter Feldname");
        dlg.sbRowUp->Click();
        dlg.sbRowDown->Click();
        dlg.sbRowDelete->Click();
        EXPECT_EQ(grid().RowCount(), 1);
        dlg.sbRowInsert->Click();
        EXPECT_EQ(rows(), QStringList({"|Field1|String|32"}));
        EXPECT_EQ(grid().Row(), 1);
        EXPECT_EQ(grid().Cells(1, 0), "Neuer Feldname");
        table.Open();
        ActiveTable = &table;
    }
}

TEST_F(EditTableTest, RowButtons) {
    struct Case {
        const char* name;
        int startRow;
        TSpeedButton* TfmEditTable::*button;
        int row;  // current row afterwards
        QStringList rows;
    };
    const Case cases[] = {
        {"up at row 1", 1, &TfmEditTable::sbRowUp, 1, {kName, kPreis, kDa}},
        {"up at row 3", 3, &TfmEditTable::sbRowUp, 2, {kName, kDa, kPreis}},
        {"down at the last row", 3, &TfmEditTable::sbRowDown, 3, {kName, kPreis, kDa}},
        {"down at row 1", 1, &TfmEditTable::sbRowDown, 2, {kPreis, kName, kDa}},
        {"delete row 1", 1, &TfmEditTable::sbRowDelete, 1, {kPreis, kDa}},
        {"delete the last row", 3, &TfmEditTable::sbRowDelete, 2, {kName, kPreis}},
        {"insert at row 2",
         2,
         &TfmEditTable::sbRowInsert,
         2,
         {kName, "|Field4|String|32", kPreis, kDa}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        Show();  // every showing starts again from the table
        grid().MoveTo(1, c.startRow);
        (dlg.*c.button)->Click();
        EXPECT_EQ(grid().Row(), c.row);
        EXPECT_EQ(grid().Col(), 1);
        EXPECT_EQ(rows(), c.rows);
    }
    // A single definition row is never deleted.
    Show();
    for (int i = 0; i < 4; ++i) dlg.sbRowDelete->Click();
    EXPECT_EQ(grid().RowCount(), 2);
}

TEST_F(EditTableTest, TheKindPickerFollowsAMovedRow) {
    Show();
    grid().MoveTo(2, 3);  // Boolean
    EXPECT_EQ(dlg.cbTypes->ItemIndex(), 2);
    dlg.sbRowUp->Click();
    EXPECT_EQ(grid().Row(), 2);
    EXPECT_EQ(dlg.cbTypes->ItemIndex(), 2);
    const QRect r = dlg.sgFields->CellRect(2, 2);
    EXPECT_EQ(dlg.cbTypes->geometry(),
              QRect(dlg.sgFields->viewport()->mapTo(&dlg, r.topLeft()), r.size()));

    dlg.sbRowDown->Click();
    dlg.sbRowDelete->Click();  // the last row: the cell moves up to the Number row
    EXPECT_EQ(grid().Row(), 2);
    EXPECT_EQ(dlg.cbTypes->ItemIndex(), 1);
}

TEST_F(EditTableTest, AnIntegerRowAndAnOddLengthInThePickers) {
    TClientDataSet ints;
    MakeTable(ints, {{"Nr", ftInteger, 0}, {"Name", ftString, 20}});
    ActiveTable = &ints;
    Show();
    grid().MoveTo(2, 1);
    EXPECT_FALSE(dlg.cbTypes->isHidden());
    EXPECT_EQ(dlg.cbTypes->ItemIndex(), 0);
    grid().MoveTo(3, 1);
    EXPECT_EQ(rows().value(0), "Nr|Nr|Integer|-----");
    EXPECT_FALSE(grid().HasOption(goEditing));
    EXPECT_TRUE(dlg.cbSize->isHidden());
    grid().MoveTo(2, 1);
    Pick(dlg.cbTypes, 1);
    EXPECT_EQ(rows().value(0), "Nr|Nr|Number|-----");

    // A text column's own length is kept and matches no entry.
    grid().MoveTo(3, 2);
    EXPECT_FALSE(dlg.cbSize->isHidden());
    EXPECT_EQ(dlg.cbSize->ItemIndex(), -1);
    EXPECT_EQ(grid().Cells(3, 2), "20");
    Pick(dlg.cbSize, 11);
    EXPECT_EQ(rows().value(1), "Name|Name|String|4096");
}

TEST_F(EditTableTest, ShowModalFillsAndEscapeCancels) {
    grid().SetRowCount(7);
    QTimer::singleShot(0, &dlg, [this] { QTest::keyClick(&dlg, Qt::Key_Escape); });
    EXPECT_EQ(dlg.ShowModal(), 2);
    EXPECT_EQ(rows(), QStringList({kName, kPreis, kDa}));
}

}  // namespace
