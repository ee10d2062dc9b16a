#include <gtest/gtest.h>

#include <QApplication>
#include <QTest>
#include <QTimer>

#include "editor/Main.h"
#include "editor/edit_table.h"
#include "platform/dataset/client_dataset.h"
#include "platform/ui/application.h"

namespace {

void Pick(TComboBox* box, int index) {
    box->setCurrentIndex(index);
    emit box->activated(index);
}

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
    void ExpectRow(int row, const char* oldName, const char* newName, const char* kind,
                   const char* length) {
        SCOPED_TRACE(row);
        EXPECT_EQ(grid().Cells(0, row), oldName);
        EXPECT_EQ(grid().Cells(1, row), newName);
        EXPECT_EQ(grid().Cells(2, row), kind);
        EXPECT_EQ(grid().Cells(3, row), length);
    }

    TClientDataSet table;
    TfmEditTable dlg;

  private:
    TClientDataSet* oldActive_ = nullptr;
};

TEST_F(EditTableTest, ShowingFillsOneRowPerField) {
    TClientDataSet ints;
    MakeTable(ints, {{"Nr", ftInteger, 0}, {"Text", ftString, 4096}});
    Show();
    EXPECT_EQ(grid().RowCount(), 4);
    ExpectRow(1, "Name", "Name", "String", "20");
    ExpectRow(2, "Preis", "Preis", "Number", "-----");
    ExpectRow(3, "Da", "Da", "Boolean", "-----");

    ActiveTable = &ints;
    Show();
    EXPECT_EQ(grid().RowCount(), 3);
    ExpectRow(1, "Nr", "Nr", "Integer", "-----");
    ExpectRow(2, "Text", "Text", "String", "4096");
}

TEST_F(EditTableTest, EveryShowingForgetsTheChangesOfTheLastOne) {
    Show();
    grid().SetCells(1, 1, "Umbenannt");
    dlg.sbRowInsert->Click();
    dlg.sbRowDown->Click();
    Show();
    EXPECT_EQ(grid().RowCount(), 4);
    ExpectRow(1, "Name", "Name", "String", "20");
    ExpectRow(2, "Preis", "Preis", "Number", "-----");
}

TEST_F(EditTableTest, WithoutFieldsOnlyTheFixedHeadingRemainsAndInsertAppends) {
    struct Case {
        const char* name;
        bool closed;  // a closed dataset instead of none
    };
    for (Case c : {Case{"no dataset", false}, Case{"closed dataset", true}}) {
        SCOPED_TRACE(c.name);
        Show();  // three rows first
        if (c.closed) {
            table.Close();
        } else {
            ActiveTable = nullptr;
        }
        Show();
        EXPECT_EQ(grid().RowCount(), 1);
        EXPECT_EQ(grid().FixedRows(), 1);
        EXPECT_EQ(grid().Cells(0, 0), "Alter Feldname");
        dlg.sbRowUp->Click();
        dlg.sbRowDown->Click();
        dlg.sbRowDelete->Click();
        EXPECT_EQ(grid().RowCount(), 1);
        EXPECT_EQ(grid().Cells(1, 0), "Neuer Feldname");
        dlg.sbRowInsert->Click();
        EXPECT_EQ(grid().RowCount(), 2);
        ExpectRow(1, "", "Field1", "String", "32");
        EXPECT_EQ(grid().Row(), 1);
        EXPECT_EQ(grid().Cells(1, 0), "Neuer Feldname");
        table.Open();
        ActiveTable = &table;
    }
}

TEST_F(EditTableTest, InsertMakesANewRowAtTheCurrentOne) {
    Show();
    grid().MoveTo(1, 2);
    dlg.sbRowInsert->Click();
    EXPECT_EQ(grid().RowCount(), 5);
    EXPECT_EQ(grid().Row(), 2);
    ExpectRow(1, "Name", "Name", "String", "20");
    ExpectRow(2, "", "Field4", "String", "32");
    ExpectRow(3, "Preis", "Preis", "Number", "-----");
    ExpectRow(4, "Da", "Da", "Boolean", "-----");
    dlg.sbRowInsert->Click();
    ExpectRow(2, "", "Field5", "String", "32");
    ExpectRow(3, "", "Field4", "String", "32");
}

TEST_F(EditTableTest, RowButtons) {
    struct Case {
        const char* name;
        int startRow;
        TSpeedButton* TfmEditTable::*button;
        int row;               // current row afterwards
        const char* order[3];  // old names of rows 1.. afterwards
        int rows;              // RowCount afterwards
    };
    const Case cases[] = {
        {"up at row 1", 1, &TfmEditTable::sbRowUp, 1, {"Name", "Preis", "Da"}, 4},
        {"up at row 3", 3, &TfmEditTable::sbRowUp, 2, {"Name", "Da", "Preis"}, 4},
        {"down at the last row", 3, &TfmEditTable::sbRowDown, 3, {"Name", "Preis", "Da"}, 4},
        {"down at row 1", 1, &TfmEditTable::sbRowDown, 2, {"Preis", "Name", "Da"}, 4},
        {"delete row 1", 1, &TfmEditTable::sbRowDelete, 1, {"Preis", "Da", nullptr}, 3},
        {"delete the last row", 3, &TfmEditTable::sbRowDelete, 2, {"Name", "Preis", nullptr}, 3},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        Show();
        grid().MoveTo(1, c.startRow);
        (dlg.*c.button)->Click();
        EXPECT_EQ(grid().Row(), c.row);
        EXPECT_EQ(grid().Col(), 1);
        ASSERT_EQ(grid().RowCount(), c.rows);
        for (int r = 1; r < c.rows; ++r) {
            EXPECT_EQ(grid().Cells(0, r), c.order[r - 1]);
            EXPECT_EQ(grid().Cells(0, r), grid().Cells(1, r));  // the old name moves along
        }
    }
    // A single definition row is never deleted.
    dlg.sbRowDelete->Click();
    dlg.sbRowDelete->Click();
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

TEST_F(EditTableTest, AnIntegerRowInThePickers) {
    TClientDataSet ints;
    MakeTable(ints, {{"Nr", ftInteger, 0}, {"Name", ftString, 20}});
    ActiveTable = &ints;
    Show();
    grid().MoveTo(2, 1);
    EXPECT_FALSE(dlg.cbTypes->isHidden());
    EXPECT_EQ(dlg.cbTypes->ItemIndex(), 0);
    EXPECT_EQ(grid().Cells(2, 1), "Integer");
    grid().MoveTo(3, 1);
    EXPECT_EQ(grid().Cells(3, 1), "-----");
    EXPECT_FALSE(grid().HasOption(goEditing));
    EXPECT_TRUE(dlg.cbSize->isHidden());
    grid().MoveTo(2, 1);
    Pick(dlg.cbTypes, 1);
    ExpectRow(1, "Nr", "Nr", "Number", "-----");

    // A text column's own length is kept and matches no entry.
    grid().MoveTo(3, 2);
    EXPECT_FALSE(dlg.cbSize->isHidden());
    EXPECT_EQ(dlg.cbSize->ItemIndex(), -1);
    EXPECT_EQ(grid().Cells(3, 2), "20");
    Pick(dlg.cbSize, 11);
    ExpectRow(2, "Name", "Name", "String", "4096");
}

TEST_F(EditTableTest, ShowModalFillsAndReturnsTheButtonsResult) {
    grid().SetRowCount(7);
    QTimer::singleShot(0, &dlg, [this] { dlg.BitBtn1->click(); });
    EXPECT_EQ(dlg.ShowModal(), 1);
    EXPECT_EQ(grid().RowCount(), 4);
    QTimer::singleShot(0, &dlg, [this] { QTest::keyClick(&dlg, Qt::Key_Escape); });
    EXPECT_EQ(dlg.ShowModal(), 2);
}

}  // namespace
