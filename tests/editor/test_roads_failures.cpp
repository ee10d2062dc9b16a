// The failures of the file and restructure commands met on a user's road,
// the cancelled dialogs, and the state each leaves.
#include <gmock/gmock.h>

#include <QDir>

#include "test_main_support.h"

namespace {

const std::string kShop = TableFile({
    R"("Item","Price","Sold",)",
    R"("tea",3.5,true,)",
    R"("cup",12,false,)",
    "3);",
});
const char* const kNoTable = "000000000 grid hidden unfed, navigator shown, cdsQMT1 closed";
const char* const kShown = "111111111 grid shown fed, navigator shown, cdsQMT1 open";

using ::testing::StartsWith;

}  // namespace

class FailureRoadTest : public RoadTest {
  protected:
    void SetUp() override {
        RoadTest::SetUp();
        OpenFile("shop.qmt", kShop);
    }
    // No command that acts on a table reaches it: clicking Save and Save As
    // writes nothing and asks for no file, restructure shows no dialog.
    void ExpectNoTableCommand() {
        EXPECT_EQ(TableCommands(), "000000000");
        saveAnswers = {PathOf("shop.qmt")};
        MainForm->sbSave->Click();
        MainForm->FileSaveItem->trigger();
        MainForm->sbSaveAs->Click();
        MainForm->FileSaveAsItem->trigger();
        EXPECT_TRUE(proposed.isEmpty());
        EXPECT_EQ(ReadFile(PathOf("shop.qmt")), kShop);
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
        Rows rows;
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
    const QStringList items = SortItems();
    for (const Case& c : cases) {
        SCOPED_TRACE(c.error.toStdString());
        errors.clear();
        NewTable(c.rows);
        EXPECT_EQ(errors, QStringList({"QMT Editor: " + c.error}));
        EXPECT_TRUE(messages.isEmpty());
        EXPECT_EQ(View(), kNoTable);  // New leaves the navigator
        EXPECT_EQ(TitleAndFile(), OpenedAs("shop.qmt"));
        EXPECT_EQ(SortItems(), items);
        ExpectNoTableCommand();
    }
    // The next New starts from the beginning and shows a table again; the
    // dialog kept the rows it was closed with.
    errors.clear();
    NewTable({{"A", "string", "0"}, {"B", "", "-----"}});
    EXPECT_TRUE(errors.isEmpty()) << errors.join("\n").toStdString();
    EXPECT_EQ(View(), "001111111 grid shown fed, navigator shown, cdsQMT1 open");
    EXPECT_EQ(MainForm->windowTitle(), "QMT Editor 1.0.1");
    EXPECT_EQ(ActiveTable->FieldByName("A").Size(), 20);  // an unknown kind: text of 20
    EXPECT_EQ(ActiveTable->FieldByName("B").Size(), 20);
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
        // The dataset stays as the reader left it.
        EXPECT_THAT(View(), StartsWith("000000000 grid hidden unfed, navigator hidden, cdsQMT1 "));
        EXPECT_EQ(TitleAndFile(), OpenedAs("shop.qmt"));
        ExpectNoTableCommand();
    }
    // New shows the grid again; the navigator waits for the next open.
    NewTable({{"A", "String", "4"}});
    EXPECT_EQ(View(), "001111111 grid shown fed, navigator hidden, cdsQMT1 open");
    // Opening the good file again brings everything back.
    messages.clear();
    errors.clear();
    OpenFile("shop.qmt", kShop);
    EXPECT_EQ(View(), kShown);
    EXPECT_EQ(Column("Item"), QStringList({"tea", "cup"}));
}

TEST_F(FailureRoadTest, CancelledDialogsChangeNothing) {
    openAnswers = {""};
    MainForm->FileOpen();
    saveAnswers = {""};
    MainForm->FileSaveAs();
    EXPECT_EQ(proposed, QStringList({PathOf("shop.qmt")}));
    WithDialog(fmNewTable, nullptr, 0, [] { MainForm->FileNew(); });
    EXPECT_EQ(View(), kShown);
    EXPECT_EQ(TitleAndFile(), OpenedAs("shop.qmt"));
    EXPECT_EQ(SortItems(), QStringList({"[None]", "Item", "Price", "Sold"}));
    EXPECT_EQ(Column("Item"), QStringList({"tea", "cup"}));
    EXPECT_TRUE(messages.isEmpty() && errors.isEmpty());
}

TEST_F(FailureRoadTest, FailedSaveKeepsTheOldFileAndTheState) {
    WriteFile("other.qmt", "other");
    QDir(dir.path()).mkdir("folder.qmt");
    // Save As asks before it replaces a file; a "no" changes nothing.
    answerYes = false;
    saveAnswers = {PathOf("other.qmt")};
    MainForm->FileSaveAs();
    EXPECT_EQ(questions.size(), 1);
    answerYes = true;
    // A text the format cannot hold (a line break, which the grid never
    // lets the user type) makes the table unwritable.
    ActiveTable->First();
    ActiveTable->Edit();
    ActiveTable->FieldByName("Item").SetAsString("te\r\na");
    ActiveTable->Post();
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
        EXPECT_EQ(TitleAndFile(), OpenedAs("shop.qmt"));
        EXPECT_EQ(View(), kShown);
    }
    // Once the text is typed over, the same save succeeds; Save As with a
    // "yes" replaces the other file and takes its name.
    FocusGrid();
    Key(Qt::Key_Home, Qt::ControlModifier);
    Key(Qt::Key_Home);
    Type("tee");
    messages.clear();
    MainForm->sbSave->Click();
    const std::string saved =
        TableFile({R"("Item","Price","Sold",)", R"("tee",3.5,true,)", R"("cup",12,false,)", "3);"});
    EXPECT_EQ(ReadFile(PathOf("shop.qmt")), saved);
    saveAnswers = {PathOf("other.qmt")};
    MainForm->FileSaveAs();
    EXPECT_EQ(questions.size(), 3);  // the failed save as over it asked too
    EXPECT_EQ(ReadFile(PathOf("other.qmt")), saved);
    EXPECT_EQ(TitleAndFile(), OpenedAs("other.qmt"));
    EXPECT_TRUE(messages.isEmpty()) << messages.join("\n").toStdString();
    // A path that names a folder cannot be written either.
    saveAnswers = {PathOf("folder.qmt")};
    MainForm->FileSaveAs();
    EXPECT_EQ(messages, QStringList({"QMT Editor: Fehler beim Speichern der Datei: " +
                                     PathOf("folder.qmt")}));
    EXPECT_EQ(TitleAndFile(), OpenedAs("other.qmt"));
}

TEST_F(FailureRoadTest, FailedRestructureShowsTheUnchangedTable) {
    struct Case {
        Rows rows;
        QString error;  // "%1: " stands for the target dataset's name
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
        const std::string view = View();
        for (const Case& c : cases) {
            SCOPED_TRACE(c.error.toStdString());
            errors.clear();
            Restructure([&] { SetRows(fmEditTable->sgFields->Grid(), c.rows); });
            QString error = c.error;
            error.replace("%1", QString::fromStdString(target->Name()));
            EXPECT_EQ(errors, QStringList({"QMT Editor: " + error}));
            EXPECT_EQ(View(), view);
            EXPECT_FALSE(target->Active());
            EXPECT_EQ(Sorting(), "PriceIndex 2 desc");
            EXPECT_EQ(Column("Item"), QStringList({"cup", "tea"}));
        }
        // The dialog shows the unchanged table again; Cancel drops what was changed in it.
        QStringList rows;
        Restructure(
            [&] {
                rows = EditRows();
                SetRows(fmEditTable->sgFields->Grid(), {{"Item", "Gone", "String", "8"}});
            },
            2);
        EXPECT_EQ(rows, QStringList({"Item|Item|String|19", "Price|Price|Number|-----",
                                     "Sold|Sold|Boolean|-----"}));
        EXPECT_EQ(View(), view);
        EXPECT_EQ(Sorting(), "PriceIndex 2 desc");
    }
    MainForm->sbSave->Click();
    EXPECT_EQ(ReadFile(PathOf("shop.qmt")),
              TableFile({R"("Item","Price","Sold",)", R"("cup",12,false,)", R"("tea",3.5,true,)",
                         "3);"}));
}
