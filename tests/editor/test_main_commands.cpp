// The main window's file, sort and restructure commands, walked as a user does.
#include "test_main_support.h"

namespace {

const std::string kSample = MainWindowTest::TableFile({
    R"("Name","Qty","Ok","Note","Drop",)",
    R"("bravo",2.5,true,"12,5","x",)",
    R"("alpha",10,false,"abc","y",)",
    R"("charlie",-1,null,"7","z",)",
    "5);",
});

}  // namespace

TEST_F(MainWindowTest, NewEditSaveAsWritesTheTypedValues) {
    NewTable({{"Name", "String", "8"},
              {"Paid", "Boolean", "-----"},
              {"Amount", "Number", "-----"},
              {"Count", "Integer", "-----"},
              {"Misc", "string", "4"}});
    ASSERT_EQ(ActiveTable, dm1->cdsQMT1);
    EXPECT_EQ(TableCommands(), "001111111");  // Save off, everything else on
    EXPECT_EQ(SortItems(), QStringList({"[None]", "Name", "Paid", "Amount", "Count", "Misc"}));
    EXPECT_EQ(ActiveTable->FieldByName("Count").DataType(), ftInteger);
    EXPECT_EQ(ActiveTable->FieldByName("Misc").Size(), 20);  // an unknown kind gives text of 20

    // Typing goes through the field text hooks, as the grid's editor does.
    const char* rows[][5] = {{"a \"q\" \\", "TRUE", "2,5", "7", "mixed"},
                             {"Zeilenumbruch", "0", "1,5e3", "", "y"},
                             {"3", "yes", "1.5", "-3", "x"}};
    for (auto& row : rows) {
        ActiveTable->Append();
        for (int f = 0; f < 5; ++f) ActiveTable->Fields()[f].SetText(row[f]);
        ActiveTable->Post();
    }
    saveAnswers = {PathOf("new")};
    MainForm->sbSaveAs->Click();
    EXPECT_EQ(proposed, QStringList({""}));
    const QString path = PathOf("new.qmt");
    EXPECT_EQ(ReadFile(path),
              TableFile({R"("Name","Paid","Amount","Count","Misc",)",
                         R"("a \"q\" \\",true,2.5,7,"mixed",)",
                         R"("Zeilenum",false,1500,null,"y",)", R"("3",null,null,-3,"x",)", "5);"}));
    EXPECT_EQ(CurrentFileName, path);
    EXPECT_EQ(MainForm->windowTitle(), path + " - QMT Editor 1.0.1");
    EXPECT_EQ(TableCommands(), "111111111");
    EXPECT_FALSE(MainForm->dbgQMT->isHidden());
}

TEST_F(MainWindowTest, OpenSortBothWaysThenSaveWritesTheViewOrder) {
    WriteFile("t.qmt", kSample);
    Open(PathOf("t.qmt"));
    ASSERT_TRUE(messages.isEmpty()) << messages.join("\n").toStdString();
    EXPECT_EQ(MainForm->windowTitle(), PathOf("t.qmt") + " - QMT Editor 1.0.1");
    EXPECT_EQ(TableCommands(), "111111111");
    EXPECT_EQ(SortItems(), QStringList({"[None]", "Name", "Qty", "Ok", "Note", "Drop"}));
    EXPECT_EQ(MainForm->cbSort->ItemIndex(), 0);
    EXPECT_EQ(Column("Ok"), QStringList({"true", "false", ""}));
    EXPECT_EQ(Column("Qty"), QStringList({"2,5", "10", "-1"}));

    MainForm->sbDirDesc->Click();  // no column chosen: only the button goes down
    EXPECT_TRUE(MainForm->sbDirDesc->Down());
    EXPECT_EQ(ActiveTable->IndexName(), "");
    PickSort(1);  // a chosen column sorts ascending
    EXPECT_TRUE(MainForm->sbDirAsc->Down());
    EXPECT_EQ(ActiveTable->IndexName(), "NameIndex");
    EXPECT_EQ(Column("Name"), QStringList({"alpha", "bravo", "charlie"}));
    MainForm->sbDirDesc->Click();
    EXPECT_EQ(Column("Name"), QStringList({"charlie", "bravo", "alpha"}));
    PickSort(2);  // another column: only its index, ascending
    EXPECT_EQ(Column("Qty"), QStringList({"-1", "2,5", "10"}));
    EXPECT_EQ(ActiveTable->IndexDefs().IndexOf("NameIndex"), -1);
    MainForm->sbDirDesc->Click();
    MainForm->sbDirDesc->Click();  // again: the order stays
    EXPECT_EQ(Column("Qty"), QStringList({"10", "2,5", "-1"}));

    MainForm->sbSave->Click();
    EXPECT_TRUE(proposed.isEmpty());  // no dialog
    EXPECT_EQ(
        ReadFile(PathOf("t.qmt")),
        TableFile({R"("Name","Qty","Ok","Note","Drop",)", R"("alpha",10,false,"abc","y",)",
                   R"("bravo",2.5,true,"12,5","x",)", R"("charlie",-1,null,"7","z",)", "5);"}));
    PickSort(0);
    EXPECT_EQ(ActiveTable->IndexName(), "");
    EXPECT_EQ(ActiveTable->IndexDefs().IndexOf("QtyIndex"), -1);
    EXPECT_EQ(Column("Name"), QStringList({"bravo", "alpha", "charlie"}));
}

TEST_F(MainWindowTest, RestructureConvertsCarriedValuesInTheShownOrder) {
    WriteFile("t.qmt", kSample);
    Open(PathOf("t.qmt"));
    PickSort(1);  // shown sorted by Name: the copy follows that order
    WithDialog(
        fmEditTable,
        [&] {
            SetRows(fmEditTable->sgFields->Grid(),
                    {{"Qty", "Amount", "String", "8"},        // moved, number to text
                     {"Name", "Title", "String", "3"},        // renamed and shortened
                     {"", "Extra", "Boolean", "-----"},       // inserted
                     {"Ok", "OkNum", "Number", "-----"},      // truth value to number
                     {"Qty", "Again", "Number", "-----"},     // an old name used twice
                     {"Note", "NoteNum", "Number", "-----"},  // text to number
                     {"Ok", "OkText", "String", "8"}});       // second use: stays null
            // "Drop" is named by no row and goes.
        },
        1, [] { MainForm->sbEditTable->Click(); });
    ASSERT_TRUE(errors.isEmpty()) << errors.join("\n").toStdString();
    EXPECT_EQ(ActiveTable, dm1->cdsQMT2);
    EXPECT_EQ(dm1->dsQMT->DataSet(), dm1->cdsQMT2);
    EXPECT_EQ(MainForm->dbgQMT->DataSource(), dm1->dsQMT);
    EXPECT_EQ(dm1->cdsQMT1->FieldDefs().Count(), 0);
    EXPECT_EQ(ActiveTable->IndexName(), "");
    EXPECT_EQ(SortItems(), QStringList({"[None]", "Amount", "Title", "Extra", "OkNum", "Again",
                                        "NoteNum", "OkText"}));
    EXPECT_EQ(Column("Title"), QStringList({"alp", "bra", "cha"}));
    EXPECT_EQ(Column("Amount"), QStringList({"10", "2,5", "-1"}));

    FormatSettings.DecimalSeparator = '.';  // the file is written with "." whatever the mark
    MainForm->FileSave();
    EXPECT_EQ(
        ReadFile(PathOf("t.qmt")),
        TableFile({R"("Amount","Title","Extra","OkNum","Again","NoteNum","OkText",)",
                   R"("10","alp",null,0,null,null,null,)", R"("2,5","bra",null,0,null,12.5,null,)",
                   R"("-1","cha",null,null,null,7,null,)", "7);"}));

    // A second restructure moves the table back.
    WithDialog(
        fmEditTable,
        [&] {
            SetRows(fmEditTable->sgFields->Grid(), {{"OkNum", "T", "String", "6"}});
        },
        1, [] { MainForm->sbEditTable->Click(); });
    EXPECT_EQ(ActiveTable, dm1->cdsQMT1);
    EXPECT_EQ(Column("T"), QStringList({"0", "0", ""}));
}

TEST_F(MainWindowTest, CancelledDialogsChangeNothing) {
    WriteFile("t.qmt", kSample);
    Open(PathOf("t.qmt"));
    const QString title = MainForm->windowTitle();
    openAnswers = {""};
    MainForm->FileOpen();
    saveAnswers = {""};
    MainForm->FileSaveAs();
    EXPECT_EQ(proposed, QStringList({PathOf("t.qmt")}));
    WithDialog(fmNewTable, nullptr, 0, [] { MainForm->FileNew(); });
    WithDialog(fmEditTable, nullptr, 0, [] { MainForm->sbEditTableClick(); });
    EXPECT_EQ(MainForm->windowTitle(), title);
    EXPECT_EQ(ActiveTable, dm1->cdsQMT1);
    EXPECT_EQ(MainForm->dbgQMT->DataSource(), dm1->dsQMT);
    EXPECT_FALSE(MainForm->DBNTable->isHidden());
    EXPECT_EQ(ActiveTable->RecordCount(), 3);
    EXPECT_TRUE(messages.isEmpty() && errors.isEmpty());
}

TEST_F(MainWindowTest, RefusedOpenLeavesNoTableToSave) {
    WriteFile("good.qmt", kSample);
    WriteFile("short.qmt", Lines({"a", "b", "c"}));
    Open(PathOf("good.qmt"));
    const std::string before = ReadFile(PathOf("good.qmt"));
    const QString title = MainForm->windowTitle();
    for (const QString& bad : {PathOf("short.qmt"), PathOf("missing.qmt")}) {
        messages.clear();
        errors.clear();
        Open(bad);
        if (bad.endsWith("short.qmt"))
            EXPECT_EQ(messages, QStringList({"QMT Editor: Fehler beim Öffnen der Datei: " + bad}));
        else
            EXPECT_TRUE(errors.size() == 1 && errors[0].contains("kann nicht geöffnet werden"))
                << errors.join("\n").toStdString();
        EXPECT_TRUE(MainForm->dbgQMT->isHidden());
        EXPECT_TRUE(MainForm->DBNTable->isHidden());
        EXPECT_EQ(MainForm->dbgQMT->DataSource(), nullptr);
        EXPECT_EQ(MainForm->windowTitle(), title);
        EXPECT_EQ(CurrentFileName, PathOf("good.qmt"));
        EXPECT_EQ(TableCommands(), "000000000");
    }
    EXPECT_EQ(ReadFile(PathOf("good.qmt")), before);

    // New shows the grid again; the navigator waits for the next open.
    NewTable({{"A", "String", "4"}});
    EXPECT_FALSE(MainForm->dbgQMT->isHidden());
    EXPECT_TRUE(MainForm->DBNTable->isHidden());
    EXPECT_EQ(TableCommands(), "001111111");
    EXPECT_EQ(MainForm->windowTitle(), "QMT Editor 1.0.1");
}

TEST_F(MainWindowTest, RefusedNewTableStopsWithItsMessage) {
    struct Case {
        std::vector<std::vector<std::string>> rows;
        QString error;
    } cases[] = {
        {{{"A", "String", "-----"}}, "'-----' ist kein gültiger Integerwert."},
        {{{"A", "String", "-4"}}, "Ungültige Feldgröße."},
        {{{"Abc", "Number", ""}, {"aBC", "Boolean", ""}},
         "Komponente mit der Bezeichnung aBC existiert bereits."},
        {{{"A", "String", "0"}}, "Invalid parameter."},
        {{{"A", "String", "65531"}}, "Invalid field type."},
        {{{std::string(32, 'n'), "Number", ""}},
         QString("Feldname %1 überschreitet 31 Zeichen.").arg(QString(32, 'n'))},
        {{{"", "Number", ""}}, "cdsQMT1: Feldname fehlt."},
    };
    NewTable({{"Old", "String", "4"}});
    const QStringList items = SortItems();
    for (const Case& c : cases) {
        errors.clear();
        WithDialog(
            fmNewTable, [&] { SetRows(fmNewTable->sgFields->Grid(), c.rows); }, 1,
            [] { MainForm->sbNew->Click(); });
        EXPECT_EQ(errors, QStringList({"QMT Editor: " + c.error}));
        EXPECT_TRUE(MainForm->dbgQMT->isHidden());
        EXPECT_EQ(MainForm->dbgQMT->DataSource(), nullptr);
        EXPECT_FALSE(dm1->cdsQMT1->Active());
        EXPECT_EQ(TableCommands(), "000000000");
        EXPECT_EQ(SortItems(), items);
    }
}

TEST_F(MainWindowTest, SaveFailuresAndReplacingAFile) {
    WriteFile("t.qmt", kSample);
    WriteFile("other.qmt", "keep");
    Open(PathOf("t.qmt"));
    // Save As asks before it replaces a file; a "no" changes nothing.
    answerYes = false;
    saveAnswers = {PathOf("other.qmt")};
    MainForm->FileSaveAs();
    EXPECT_EQ(questions.size(), 1);
    EXPECT_EQ(ReadFile(PathOf("other.qmt")), "keep");
    EXPECT_EQ(CurrentFileName, PathOf("t.qmt"));
    answerYes = true;
    saveAnswers = {PathOf("other.qmt")};
    MainForm->FileSaveAs();
    EXPECT_EQ(ReadFile(PathOf("other.qmt")), kSample);
    EXPECT_EQ(CurrentFileName, PathOf("other.qmt"));

    // A file that cannot be written: the message, and nothing else changes.
    const QString bad = PathOf("no/such/dir/x.qmt");
    saveAnswers = {bad};
    MainForm->FileSaveAs();
    EXPECT_EQ(messages, QStringList({"QMT Editor: Fehler beim Speichern der Datei: " + bad}));
    EXPECT_EQ(CurrentFileName, PathOf("other.qmt"));
    EXPECT_FALSE(MainForm->dbgQMT->isHidden());
    EXPECT_EQ(MainForm->windowTitle(), PathOf("other.qmt") + " - QMT Editor 1.0.1");
    QFile::remove(PathOf("other.qmt"));
    QDir(dir.path()).mkdir("other.qmt");  // now a folder: Save fails the same way
    messages.clear();
    MainForm->FileSave();
    EXPECT_EQ(messages,
              QStringList({"QMT Editor: Fehler beim Speichern der Datei: " + PathOf("other.qmt")}));
}

TEST_F(MainWindowTest, SaveWithoutFileNameActsAsSaveAs) {
    NewTable({{"A", "Boolean", ""}});
    saveAnswers = {PathOf("a.qmt")};
    MainForm->FileSave();
    EXPECT_EQ(proposed, QStringList({""}));
    EXPECT_EQ(ReadFile(PathOf("a.qmt")), TableFile({R"("A",)", "1);"}));
    EXPECT_TRUE(MainForm->sbSave->isEnabled());
}

TEST_F(MainWindowTest, FailedRestructureShowsTheUnchangedTableAgain) {
    WriteFile("t.qmt", kSample);
    Open(PathOf("t.qmt"));
    PickSort(1);
    WithDialog(
        fmEditTable,
        [&] {
            SetRows(fmEditTable->sgFields->Grid(),
                    {{"Name", "Same", "String", "8"}, {"Qty", "sAME", "Number", ""}});
        },
        1, [] { MainForm->TabStructureItem->trigger(); });
    EXPECT_EQ(errors,
              QStringList({"QMT Editor: Komponente mit der Bezeichnung sAME existiert bereits."}));
    EXPECT_EQ(ActiveTable, dm1->cdsQMT1);
    EXPECT_EQ(dm1->dsQMT->DataSet(), dm1->cdsQMT1);
    EXPECT_EQ(MainForm->dbgQMT->DataSource(), dm1->dsQMT);
    EXPECT_FALSE(dm1->cdsQMT2->Active());
    EXPECT_EQ(ActiveTable->IndexName(), "NameIndex");
    EXPECT_EQ(Column("Name"), QStringList({"alpha", "bravo", "charlie"}));
    EXPECT_EQ(TableCommands(), "111111111");

    // A repeated restructure starts afresh; a truth value becomes "Wahr"/"Falsch" as text.
    errors.clear();
    WithDialog(
        fmEditTable,
        [&] {
            SetRows(fmEditTable->sgFields->Grid(),
                    {{"Ok", "OkText", "String", "6"}, {"Name", "Name", "String", "8"}});
        },
        1, [] { MainForm->sbEditTable->Click(); });
    EXPECT_TRUE(errors.isEmpty()) << errors.join("\n").toStdString();
    EXPECT_EQ(ActiveTable, dm1->cdsQMT2);
    EXPECT_EQ(Column("OkText"), QStringList({"Falsch", "Wahr", ""}));
}
