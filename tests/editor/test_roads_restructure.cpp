// Open or make a table, change its structure in the restructure dialog, save it.
#include "test_main_support.h"

namespace {

const std::string kStock = TableFile({
    R"("Name","Qty","Ok","Note","Drop",)",
    R"("bravo",2.5,true,"12,5","x",)",
    R"("alpha",10,false,"abc","y",)",
    R"("charlie",-1,null,"7.5","z",)",
    "5);",
});

}  // namespace

class RestructureRoadTest : public RoadTest {
  protected:
    // Types text into a cell of the restructure dialog's grid, as the user does
    // after clicking the cell.
    static void TypeIntoCell(int col, int row, const QString& text) {
        fmEditTable->activateWindow();
        ASSERT_TRUE(WaitForFocus(fmEditTable));
        fmEditTable->sgFields->setFocus(Qt::MouseFocusReason);
        SelectEditCell(col, row);
        Type(text);
    }
    // Picks an entry of the kind (column 2) or length (column 3) picker by its text.
    static void PickIn(int col, int row, const char* text) {
        SelectEditCell(col, row);
        TComboBox* box = col == 2 ? fmEditTable->cbTypes : fmEditTable->cbSize;
        Pick(box, box->IndexOfItem(text));
    }
};

TEST_F(RestructureRoadTest, EditedColumnsCarryConvertedValuesIntoTheSavedFile) {
    struct Case {
        char mark;
        std::string qtyText;     // the number 2.5 as the new text column holds it
        std::string noteNum[3];  // "12,5" and "7.5" as numbers: only the locale's mark converts
    } cases[] = {{',', "2,5", {"12.5", "null", "null"}}, {'.', "2.5", {"null", "null", "7.5"}}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.mark);
        FormatSettings.DecimalSeparator = c.mark;
        OpenFile("stock.qmt", kStock);
        QStringList shown;
        Restructure([&] {
            shown = EditRows();
            TypeIntoCell(1, 1, "Title");  // rename
            PickIn(3, 1, "4");            // and shorten
            SelectEditCell(1, 3);         // "Ok" to the top
            fmEditTable->sbRowUp->Click();
            fmEditTable->sbRowUp->Click();
            PickIn(2, 1, "Number");  // truth values become numbers
            PickIn(2, 3, "String");  // numbers become text
            PickIn(3, 3, "8");
            PickIn(2, 4, "Number");  // text becomes numbers
            SelectEditCell(1, 5);    // "Drop" goes
            fmEditTable->sbRowDelete->Click();
            SelectEditCell(1, 4);  // a new column before "Note"
            fmEditTable->sbRowInsert->Click();
            PickIn(2, 4, "Boolean");
            SelectEditCell(1, 5);
            fmEditTable->sbRowDown->Click();  // "Note" down: nothing below, stays
        });
        EXPECT_EQ(shown,
                  QStringList({"Name|Name|String|23", "Qty|Qty|Number|-----", "Ok|Ok|Boolean|-----",
                               "Note|Note|String|20", "Drop|Drop|String|17"}));
        EXPECT_EQ(EditRows(),
                  QStringList({"Ok|Ok|Number|-----", "Name|Title|String|4", "Qty|Qty|String|8",
                               "|Field5|Boolean|-----", "Note|Note|Number|-----"}));
        EXPECT_EQ(View(), "111111111 grid shown fed, navigator shown, cdsQMT2 open");
        EXPECT_EQ(dm1->cdsQMT1->FieldDefs().Count(), 0);
        EXPECT_EQ(SortItems(), QStringList({"[None]", "Ok", "Title", "Qty", "Field5", "Note"}));

        MainForm->sbSave->Click();
        EXPECT_EQ(ReadFile(PathOf("stock.qmt")),
                  TableFile({R"("Ok","Title","Qty","Field5","Note",)",
                             "0,\"brav\",\"" + c.qtyText + "\",null," + c.noteNum[0] + ",",
                             "0,\"alph\",\"10\",null," + c.noteNum[1] + ",",
                             "null,\"char\",\"-1\",null," + c.noteNum[2] + ",", "5);"}));
        EXPECT_EQ(TitleAndFile(), OpenedAs("stock.qmt"));
        EXPECT_TRUE(errors.isEmpty()) << errors.join("\n").toStdString();
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
    EXPECT_EQ(ActiveTable->FieldByName("N").DataType(), ftString);
    EXPECT_EQ(ActiveTable->FieldByName("N").Size(), 20);
    EXPECT_EQ(Column("N"), QStringList({"42", "-7", ""}));
    EXPECT_EQ(Column("MNum"), QStringList({"0", "", "0"}));
    EXPECT_EQ(Column("BText"), QStringList({"Wahr", "Falsc", ""}));
    EXPECT_EQ(Column("SBool"), QStringList({"", "", ""}));  // even the text "Wahr"

    // Back into the first dataset: text to number, text to truth value, number
    // to text; an old name used a second time carries nothing.
    Restructure([&] {
        SetRows(fmEditTable->sgFields->Grid(), {{"N", "Num", "Number", "-----"},
                                                {"BText", "T", "Boolean", "-----"},
                                                {"MNum", "MText", "String", "3"},
                                                {"N", "Again", "String", "4"}});
    });
    EXPECT_EQ(View(), "001111111 grid shown fed, navigator shown, cdsQMT1 open");
    EXPECT_EQ(dm1->cdsQMT2->FieldDefs().Count(), 0);
    saveAnswers = {PathOf("conv.qmt")};
    MainForm->FileSaveAs();
    EXPECT_EQ(ReadFile(PathOf("conv.qmt")),
              TableFile({R"("Num","T","MText","Again",)", R"(42,null,"0",null,)",
                         R"(-7,null,null,null,)", R"(null,null,"0",null,)", "4);"}));
}
