// New table, values typed into the grid, saved under a new name.
#include "test_main_support.h"

TEST_F(RoadTest, NewTypedValuesSavedAsFileBytes) {
    struct Case {
        char mark;
        QString amount1, amount2, wrongMark;  // typed with the mark, and with the other one
        bool viaSave;  // Save without a file name asks for one as Save As does
        QString proposed;
    } cases[] = {{',', "2,5", "-1,25e2", "3.5", true, ""},
                 {'.', "2.5", "-1.25E2", "3,5", false, "typedcomma.qmt"}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.mark);
        FormatSettings.DecimalSeparator = c.mark;
        NewTable({{"Name", "String", "5"},
                  {"Paid", "Boolean", "-----"},
                  {"Amount", "Number", "-----"},
                  {"Count", "Integer", "-----"}});
        ASSERT_TRUE(errors.isEmpty()) << errors.join("\n").toStdString();
        EXPECT_EQ(View(), "001111111 grid shown fed, navigator shown, cdsQMT1 open");
        EXPECT_EQ(SortItems(), QStringList({"[None]", "Name", "Paid", "Amount", "Count"}));

        FocusGrid();
        TypeRecord({"alphabet", "true", c.amount1, "7"});
        Key(Qt::Key_Tab);  // from the last column on to a new record
        TypeRecord({"b\"\\", "FALSE", c.amount2, "-3"});
        Key(Qt::Key_Down);  // a new record, in the same column
        Key(Qt::Key_Home);
        TypeRecord({"", "yes", c.wrongMark, ""});
        Key(Qt::Key_Tab);
        TypeRecord({"x", "abc", "4"});
        // The last record is still being edited when the file is saved.
        EXPECT_EQ(ActiveTable->RecordCount(), 3);
        EXPECT_TRUE(errors.isEmpty()) << errors.join("\n").toStdString();

        const QString name = c.mark == ',' ? "typedcomma" : "typedpoint";
        saveAnswers = {PathOf(name)};
        proposed.clear();
        if (c.viaSave)
            MainForm->FileSave();
        else
            MainForm->sbSaveAs->Click();
        ASSERT_TRUE(messages.isEmpty()) << messages.join("\n").toStdString();
        EXPECT_EQ(proposed, QStringList({c.proposed.isEmpty() ? "" : PathOf(c.proposed)}));
        EXPECT_EQ(ReadFile(PathOf(name + ".qmt")),
                  TableFile({R"("Name","Paid","Amount","Count",)", R"("alpha",true,2.5,7,)",
                             R"("b\"\\",false,-125,-3,)", R"(null,null,null,null,)",
                             R"("x",null,4,null,)", "4);"}));
        EXPECT_EQ(TitleAndFile(), OpenedAs(name + ".qmt"));
        EXPECT_EQ(TableCommands(), "111111111");
        // What the grid shows, through the text hooks.
        EXPECT_EQ(Column("Paid"), QStringList({"true", "false", "", ""}));
        EXPECT_EQ(Column("Amount"), QStringList({c.amount1, "-125", "", "4"}));
    }
}
