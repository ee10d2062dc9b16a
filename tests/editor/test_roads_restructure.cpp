// Open or make a table, change its structure in the restructure dialog, save it.
#include "test_roads_support.h"

namespace {

const std::string kStock = MainWindowTest::TableFile({
    R"("Name","Qty","Ok","Note","Drop",)",
    R"("bravo",2.5,true,"12,5","x",)",
    R"("alpha",10,false,"abc","y",)",
    R"("charlie",-1,null,"7.5","z",)",
    "5);",
});

}  // namespace

class RestructureRoadTest : public RoadTest {
  protected:
    void OpenStock() {
        WriteFile("stock.qmt", kStock);
        openAnswers = {PathOf("stock.qmt")};
        MainForm->sbOpen->Click();
        ASSERT_TRUE(messages.isEmpty() && errors.isEmpty());
    }
    // Types text into a cell of the restructure dialog's grid, as the user does
    // after clicking the cell.
    static void TypeIntoCell(int col, int row, const QString& text) {
        fmEditTable->activateWindow();
        ASSERT_TRUE(QTest::qWaitForWindowActive(fmEditTable));
        fmEditTable->sgFields->setFocus(Qt::MouseFocusReason);
        SelectEditCell(col, row);
        Type(text);
    }
    // The kind picker's and the length picker's entries by their text.
    static void PickKind(int row, const char* kind) {
        SelectEditCell(2, row);
        Pick(fmEditTable->cbTypes, fmEditTable->cbTypes->IndexOfItem(kind));
    }
    static void PickLength(int row, const char* length) {
        SelectEditCell(3, row);
        Pick(fmEditTable->cbSize, fmEditTable->cbSize->IndexOfItem(length));
    }
};

TEST_F(RestructureRoadTest, EditedColumnsCarryConvertedValuesIntoTheSavedFile) {
    struct Case {
        char mark;
        std::string qtyText;   // the number 2.5 as the new text column holds it
        std::string noteNums;  // "12,5" and "7.5" as numbers: only the locale's mark converts
    } cases[] = {{',', "2,5", "12.5,null,null"}, {'.', "2.5", "null,null,7.5"}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.mark);
        FormatSettings.DecimalSeparator = c.mark;
        OpenStock();
        QStringList shown;
        Restructure([&] {
            shown = EditRows();
            TypeIntoCell(1, 1, "Title");  // rename
            PickLength(1, "4");           // and shorten
            SelectEditCell(1, 3);         // "Ok" to the top
            fmEditTable->sbRowUp->Click();
            fmEditTable->sbRowUp->Click();
            PickKind(1, "Number");  // truth values become numbers
            PickKind(3, "String");  // numbers become text
            PickLength(3, "8");
            PickKind(4, "Number");  // text becomes numbers
            SelectEditCell(1, 5);   // "Drop" goes
            fmEditTable->sbRowDelete->Click();
            SelectEditCell(1, 4);  // a new column before "Note"
            fmEditTable->sbRowInsert->Click();
            PickKind(4, "Boolean");
            SelectEditCell(1, 5);
            fmEditTable->sbRowDown->Click();  // "Note" down: nothing below, stays
        });
        EXPECT_EQ(shown,
                  QStringList({"Name|Name|String|23", "Qty|Qty|Number|-----", "Ok|Ok|Boolean|-----",
                               "Note|Note|String|20", "Drop|Drop|String|17"}));
        EXPECT_EQ(EditRows(),
                  QStringList({"Ok|Ok|Number|-----", "Name|Title|String|4", "Qty|Qty|String|8",
                               "|Field5|Boolean|-----", "Note|Note|Number|-----"}));
        ASSERT_TRUE(errors.isEmpty()) << errors.join("\n").toStdString();
        EXPECT_EQ(ActiveTable, dm1->cdsQMT2);
        EXPECT_EQ(SortItems(), QStringList({"[None]", "Ok", "Title", "Qty", "Field5", "Note"}));

        MainForm->sbSave->Click();
        const QStringList nums = QString::fromStdString(c.noteNums).split(',');
        EXPECT_EQ(
            ReadFile(PathOf("stock.qmt")),
            TableFile(
                {R"("Ok","Title","Qty","Field5","Note",)",
                 ("0,\"brav\",\"" + c.qtyText + "\",null," + nums[0].toStdString() + ",").c_str(),
                 ("0,\"alph\",\"10\",null," + nums[1].toStdString() + ",").c_str(),
                 ("null,\"char\",\"-1\",null," + nums[2].toStdString() + ",").c_str(), "5);"}));
        EXPECT_EQ(MainForm->windowTitle(), PathOf("stock.qmt") + " - QMT Editor 1.0.1");
    }
}

TEST_F(RestructureRoadTest, IntegerAndTruthColumnsTurnedIntoTextAndNumbers) {
    NewTable({{"N", "Integer", "-----"},
              {"M", "Integer", "-----"},
              {"B", "Boolean", "-----"},
              {"S", "String", "6"}});
    FocusGrid();
    TypeRecord({"42", "-5", "true", "Wahr"});
    Key(Qt::Key_Tab);
    TypeRecord({"-7", "", "false", "1,5"});
    Key(Qt::Key_Tab);
    TypeRecord({"", "3", "", "x"});
    QStringList shown;
    Restructure([&] {
        shown = EditRows();
        SetRows(fmEditTable->sgFields->Grid(), {{"N", "N", "Integer", "-----"},  // text of 20
                                                {"M", "MNum", "Number", "-----"},
                                                {"B", "BText", "String", "5"},
                                                {"S", "SBool", "Boolean", "-----"}});
    });
    EXPECT_EQ(shown, QStringList({"N|N|Integer|-----", "M|M|Integer|-----", "B|B|Boolean|-----",
                                  "S|S|String|6"}));
    ASSERT_TRUE(errors.isEmpty()) << errors.join("\n").toStdString();
    EXPECT_EQ(ActiveTable->FieldByName("N").DataType(), ftString);
    EXPECT_EQ(ActiveTable->FieldByName("N").Size(), 20);
    EXPECT_EQ(Column("N"), QStringList({"42", "-7", ""}));
    EXPECT_EQ(Column("MNum"), QStringList({"0", "", "0"}));
    EXPECT_EQ(Column("BText"), QStringList({"Wahr", "Falsc", ""}));
    EXPECT_EQ(Column("SBool"), QStringList({"", "", ""}));  // even the text "Wahr"

    // Back into the first dataset: text to number, text to truth value, number to text.
    Restructure([&] {
        SetRows(fmEditTable->sgFields->Grid(), {{"N", "Num", "Number", "-----"},
                                                {"BText", "T", "Boolean", "-----"},
                                                {"MNum", "MText", "String", "3"}});
    });
    EXPECT_EQ(ActiveTable, dm1->cdsQMT1);
    EXPECT_EQ(dm1->cdsQMT2->FieldDefs().Count(), 0);
    saveAnswers = {PathOf("conv.qmt")};
    MainForm->FileSaveAs();
    EXPECT_EQ(ReadFile(PathOf("conv.qmt")),
              TableFile({R"("Num","T","MText",)", R"(42,null,"0",)", R"(-7,null,null,)",
                         R"(null,null,"0",)", "3);"}));
}

TEST_F(RestructureRoadTest, SortedTableIsCopiedInTheShownOrderAndShownUnsorted) {
    OpenStock();
    PickSort(1);
    MainForm->sbDirDesc->Click();
    // A value typed into the grid and not yet stored is carried along.
    FocusGrid();
    Key(Qt::Key_Home, Qt::ControlModifier);
    Key(Qt::Key_Tab);
    Type("99");
    Restructure([] {});  // OK without a change
    ASSERT_TRUE(errors.isEmpty()) << errors.join("\n").toStdString();
    EXPECT_EQ(ActiveTable, dm1->cdsQMT2);
    EXPECT_EQ(ActiveTable->IndexName(), "");
    EXPECT_EQ(MainForm->cbSort->ItemIndex(), 0);
    EXPECT_TRUE(MainForm->sbDirDesc->Down());  // the buttons keep their state
    EXPECT_EQ(Column("Name"), QStringList({"charlie", "bravo", "alpha"}));
    EXPECT_EQ(Column("Qty"), QStringList({"99", "2,5", "10"}));
    MainForm->sbSave->Click();
    EXPECT_EQ(
        ReadFile(PathOf("stock.qmt")),
        TableFile({R"("Name","Qty","Ok","Note","Drop",)", R"("charlie",99,null,"7.5","z",)",
                   R"("bravo",2.5,true,"12,5","x",)", R"("alpha",10,false,"abc","y",)", "5);"}));
}

TEST_F(RestructureRoadTest, OnlyInsertedRowsGiveAnEmptyTable) {
    OpenStock();
    Restructure([] {
        for (int i = 0; i < 5; ++i) {
            SelectEditCell(1, 1);
            fmEditTable->sbRowDelete->Click();  // the last row stays
        }
        fmEditTable->sbRowInsert->Click();
        SelectEditCell(1, 2);
        fmEditTable->sbRowDelete->Click();
    });
    ASSERT_TRUE(errors.isEmpty()) << errors.join("\n").toStdString();
    EXPECT_EQ(SortItems(), QStringList({"[None]", "Field2"}));
    EXPECT_EQ(ActiveTable->RecordCount(), 0);
    MainForm->FileSave();
    EXPECT_EQ(ReadFile(PathOf("stock.qmt")), TableFile({R"("Field2",)", "1);"}));
}
