// The failures of the file and restructure commands, met on a user's road, and
// the state each leaves.
#include "test_roads_support.h"

namespace {

const std::string kShop = MainWindowTest::TableFile({
    R"("Item","Price","Sold",)",
    R"("tea",3.5,true,)",
    R"("cup",12,false,)",
    "3);",
});

}  // namespace

class FailureRoadTest : public RoadTest {
  protected:
    void OpenShop() {
        WriteFile("shop.qmt", kShop);
        openAnswers = {PathOf("shop.qmt")};
        MainForm->sbOpen->Click();
        ASSERT_TRUE(messages.isEmpty() && errors.isEmpty());
    }
    // No command that acts on a table reaches it: clicking Save and Save As
    // writes nothing and asks for no file, restructure shows no dialog.
    void ExpectNoTableCommand() {
        EXPECT_EQ(TableCommands(), "000000000");
        const std::string before = ReadFile(PathOf("shop.qmt"));
        saveAnswers = {PathOf("shop.qmt")};
        MainForm->sbSave->Click();
        MainForm->FileSaveItem->trigger();
        MainForm->sbSaveAs->Click();
        MainForm->FileSaveAsItem->trigger();
        EXPECT_TRUE(proposed.isEmpty());
        EXPECT_EQ(ReadFile(PathOf("shop.qmt")), before);
        int dialogShown = 0;
        for (const auto& restructure :
             {std::function<void()>([] { MainForm->sbEditTable->Click(); }),
              std::function<void()>([] { MainForm->TabStructureItem->trigger(); })}) {
            QTimer::singleShot(0, fmEditTable, [&] {
                if (fmEditTable->isVisible()) ++dialogShown;
                fmEditTable->done(2);
            });
            restructure();
            QApplication::processEvents();
        }
        EXPECT_EQ(dialogShown, 0);
        saveAnswers.clear();
    }
};

TEST_F(FailureRoadTest, RefusedNewTableLeavesNoTableToSave) {
    struct Case {
        std::vector<std::vector<std::string>> rows;
        QString error;
    } cases[] = {
        {{{"A", "String", "-----"}}, "'-----' ist kein gültiger Integerwert."},
        {{{"A", "String", ""}}, "'' ist kein gültiger Integerwert."},
        {{{"A", "String", "-1"}}, "Ungültige Feldgröße."},
        {{{"Price", "Number", "-----"}, {"pRICE", "String", "8"}},
         "Komponente mit der Bezeichnung pRICE existiert bereits."},
        {{{"A", "String", "0"}}, "Invalid parameter."},
        {{{"A", "String", "70000"}}, "Invalid field type."},
        {{{"A", "Boolean", "-----"}, {std::string(32, 'x'), "String", "8"}},
         "Feldname " + QString(32, 'x') + " überschreitet 31 Zeichen."},
        {{{"A", "Boolean", "-----"}, {"", "Number", "-----"}}, "cdsQMT1: Feldname fehlt."},
    };
    OpenShop();
    const QString title = MainForm->windowTitle();
    const QStringList items = SortItems();
    for (const Case& c : cases) {
        SCOPED_TRACE(c.error.toStdString());
        errors.clear();
        NewByDialog(static_cast<int>(c.rows.size()), c.rows);
        EXPECT_EQ(errors, QStringList({"QMT Editor: " + c.error}));
        EXPECT_TRUE(messages.isEmpty());
        EXPECT_TRUE(MainForm->dbgQMT->isHidden());
        EXPECT_EQ(MainForm->dbgQMT->DataSource(), nullptr);
        EXPECT_FALSE(MainForm->DBNTable->isHidden());  // New leaves the navigator
        EXPECT_EQ(MainForm->windowTitle(), title);
        EXPECT_EQ(CurrentFileName, PathOf("shop.qmt"));
        EXPECT_EQ(SortItems(), items);
        EXPECT_EQ(ActiveTable, dm1->cdsQMT1);
        EXPECT_FALSE(ActiveTable->Active());
        ExpectNoTableCommand();
    }
    // The next New starts from the beginning and shows a table again; the
    // dialog kept the rows it was closed with.
    errors.clear();
    NewByDialog(2, {{"A", "string", "0"}, {"B", "", "-----"}});
    EXPECT_TRUE(errors.isEmpty()) << errors.join("\n").toStdString();
    EXPECT_FALSE(MainForm->dbgQMT->isHidden());
    EXPECT_EQ(TableCommands(), "001111111");
    EXPECT_EQ(MainForm->windowTitle(), "QMT Editor 1.0.1");
    EXPECT_EQ(ActiveTable->FieldByName("A").Size(), 20);  // an unknown kind: text of 20
    EXPECT_EQ(ActiveTable->FieldByName("B").Size(), 20);
    // Save As proposes the file that was opened last.
    saveAnswers = {""};
    MainForm->FileSaveAsItem->trigger();
    EXPECT_EQ(proposed, QStringList({PathOf("shop.qmt")}));
}

TEST_F(FailureRoadTest, RefusedOpenShowsItsMessageAndLeavesNoTable) {
    struct Case {
        const char* file;
        std::string bytes;  // empty: no such file
        QStringList messages;
        bool errorBox;  // the file cannot be read at all
    } cases[] = {
        {"three.qmt", Lines({"a", "b", "c"}), {"Fehler beim Öffnen der Datei: "}, false},
        {"header.qmt",
         TableFile({R"("Item",\Price,)", R"("tea",1,)", "2);"}),
         {"QMT Load Error", "Fehler beim Öffnen der Datei: "},
         false},
        {"record.qmt",
         TableFile({R"("Item",)", R"("tea",)", R"(\,)", "1);"}),
         {"Fehler beim Öffnen der Datei: "},
         false},
        {"missing.qmt", "", {}, true},
    };
    OpenShop();
    const QString title = MainForm->windowTitle();
    for (const Case& c : cases) {
        SCOPED_TRACE(c.file);
        messages.clear();
        errors.clear();
        if (!c.bytes.empty()) WriteFile(c.file, c.bytes);
        const QString path = PathOf(c.file);
        openAnswers = {path};
        MainForm->FileOpenItem->trigger();
        QStringList expected;
        for (const QString& m : c.messages)
            expected << "QMT Editor: " + m + (m.endsWith(": ") ? path : "");
        EXPECT_EQ(messages, expected);
        if (c.errorBox) {
            ASSERT_EQ(errors.size(), 1);
            EXPECT_TRUE(
                errors[0].startsWith("QMT Editor: Datei " + path + " kann nicht geöffnet werden. "))
                << errors[0].toStdString();
        } else {
            EXPECT_TRUE(errors.isEmpty()) << errors.join("\n").toStdString();
        }
        EXPECT_TRUE(MainForm->dbgQMT->isHidden());
        EXPECT_TRUE(MainForm->DBNTable->isHidden());
        EXPECT_EQ(MainForm->windowTitle(), title);
        EXPECT_EQ(CurrentFileName, PathOf("shop.qmt"));
        EXPECT_EQ(ActiveTable, dm1->cdsQMT1);
        ExpectNoTableCommand();
    }
    // Opening the good file again brings everything back.
    messages.clear();
    errors.clear();
    OpenShop();
    EXPECT_EQ(TableCommands(), "111111111");
    EXPECT_FALSE(MainForm->dbgQMT->isHidden());
    EXPECT_FALSE(MainForm->DBNTable->isHidden());
    EXPECT_EQ(Column("Item"), QStringList({"tea", "cup"}));
}

TEST_F(FailureRoadTest, FailedSaveKeepsTheOldFileAndTheState) {
    OpenShop();
    WriteFile("other.qmt", "other");
    // A text the format cannot hold (a line break, which the grid never
    // lets the user type) makes the table unwritable.
    ActiveTable->First();
    ActiveTable->Edit();
    ActiveTable->FieldByName("Item").SetAsString("te\r\na");
    ActiveTable->Post();
    const QString title = MainForm->windowTitle();
    struct Step {
        const char* what;
        std::function<void()> run;
        QString path;
    } steps[] = {
        {"save", [] { MainForm->sbSave->Click(); }, PathOf("shop.qmt")},
        {"save as over another file",
         [this] {
             saveAnswers = {PathOf("other.qmt")};
             MainForm->sbSaveAs->Click();
         },
         PathOf("other.qmt")},
        {"save as into a missing folder",
         [this] {
             saveAnswers = {PathOf("none/x.qmt")};
             MainForm->FileSaveAsItem->trigger();
         },
         PathOf("none/x.qmt")},
    };
    for (const Step& s : steps) {
        SCOPED_TRACE(s.what);
        messages.clear();
        s.run();
        EXPECT_EQ(messages,
                  QStringList({"QMT Editor: Fehler beim Speichern der Datei: " + s.path}));
        EXPECT_TRUE(errors.isEmpty()) << errors.join("\n").toStdString();
        EXPECT_EQ(ReadFile(PathOf("shop.qmt")), kShop);
        EXPECT_EQ(ReadFile(PathOf("other.qmt")), "other");
        EXPECT_EQ(ReadFile(PathOf("none/x.qmt")), "<missing>");
        EXPECT_EQ(CurrentFileName, PathOf("shop.qmt"));
        EXPECT_EQ(MainForm->windowTitle(), title);
        EXPECT_EQ(TableCommands(), "111111111");
        EXPECT_FALSE(MainForm->dbgQMT->isHidden());
        EXPECT_EQ(MainForm->dbgQMT->DataSource(), dm1->dsQMT);
    }
    // Once the text is typed over, the same save succeeds.
    FocusGrid();
    Key(Qt::Key_Home, Qt::ControlModifier);
    Key(Qt::Key_Home);
    Type("tee");
    messages.clear();
    MainForm->sbSave->Click();
    EXPECT_TRUE(messages.isEmpty()) << messages.join("\n").toStdString();
    EXPECT_EQ(ReadFile(PathOf("shop.qmt")),
              TableFile({R"("Item","Price","Sold",)", R"("tee",3.5,true,)", R"("cup",12,false,)",
                         "3);"}));
}

TEST_F(FailureRoadTest, FailedRestructureShowsTheUnchangedTable) {
    using Rows = std::vector<std::vector<std::string>>;
    struct Case {
        Rows rows;
        QString error;  // %1: the target dataset's name
    } cases[] = {
        {{{"Item", "Name", "String", "8"}, {"Price", "nAME", "Number", "-----"}},
         "Komponente mit der Bezeichnung nAME existiert bereits."},
        {{{"Item", "Item", "String", "-----"}}, "'-----' ist kein gültiger Integerwert."},
        {{{"Item", "Item", "String", "-3"}}, "Ungültige Feldgröße."},
        {{{"Item", std::string(31, 'y') + "z", "String", "8"}},
         "Feldname " + QString(31, 'y') + "z überschreitet 31 Zeichen."},
        {{}, "Es wurden keine Felder definiert.  Datenmenge kann nicht erzeugt werden."},
        {{{"Item", "Item", "String", "0"}}, "Invalid parameter."},
        {{{"Item", "Item", "String", "65531"}}, "Invalid field type."},
        {{{"Item", "Item", "String", "8"}, {"Price", "", "Number", "-----"}},
         "%1: Feldname fehlt."},
    };
    OpenShop();
    PickSort(2);
    MainForm->sbDirDesc->Click();
    // The failures are the same whichever dataset is the target.
    for (TClientDataSet* shown : {dm1->cdsQMT1, dm1->cdsQMT2}) {
        if (ActiveTable != shown) {
            Restructure([] {});
            PickSort(2);
            MainForm->sbDirDesc->Click();
        }
        ASSERT_EQ(ActiveTable, shown);
        TClientDataSet* target = shown == dm1->cdsQMT1 ? dm1->cdsQMT2 : dm1->cdsQMT1;
        for (const Case& c : cases) {
            SCOPED_TRACE(c.error.toStdString());
            errors.clear();
            Restructure([&] { SetRows(fmEditTable->sgFields->Grid(), c.rows); });
            EXPECT_EQ(errors, QStringList({"QMT Editor: " +
                                           c.error.arg(QString::fromStdString(target->Name()))}));
            EXPECT_EQ(ActiveTable, shown);
            EXPECT_EQ(dm1->dsQMT->DataSet(), shown);
            EXPECT_EQ(MainForm->dbgQMT->DataSource(), dm1->dsQMT);
            EXPECT_FALSE(MainForm->dbgQMT->isHidden());
            EXPECT_FALSE(target->Active());
            EXPECT_EQ(ActiveTable->IndexName(), "PriceIndex");
            EXPECT_EQ(MainForm->cbSort->ItemIndex(), 2);
            EXPECT_TRUE(MainForm->sbDirDesc->Down());
            EXPECT_EQ(Column("Item"), QStringList({"cup", "tea"}));
            EXPECT_EQ(TableCommands(), "111111111");
        }
        // The dialog shows the unchanged table again; Cancel changes nothing.
        QStringList rows;
        Restructure(
            [&] {
                rows = EditRows();
                SetRows(fmEditTable->sgFields->Grid(), {{"Item", "Gone", "String", "8"}});
            },
            2);
        EXPECT_EQ(rows, QStringList({"Item|Item|String|19", "Price|Price|Number|-----",
                                     "Sold|Sold|Boolean|-----"}));
        EXPECT_EQ(ActiveTable, shown);
        EXPECT_EQ(SortItems(), QStringList({"[None]", "Item", "Price", "Sold"}));
        EXPECT_EQ(ActiveTable->IndexName(), "PriceIndex");
    }
    MainForm->sbSave->Click();
    EXPECT_EQ(ReadFile(PathOf("shop.qmt")),
              TableFile({R"("Item","Price","Sold",)", R"("cup",12,false,)", R"("tea",3.5,true,)",
                         "3);"}));
}
