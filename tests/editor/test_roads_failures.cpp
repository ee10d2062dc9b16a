// The failures of the file and restructure commands met on a user's road,
// the cancelled dialogs, and the state each leaves.
#include <gmock/gmock.h>

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
    // No command that acts on a table reaches it: Save and Save As write
    // nothing and ask for no file.
    void ExpectNoTableCommand() {
        EXPECT_EQ(TableCommands(), "000000000");
        saveAnswers = {PathOf("shop.qmt")};
        MainForm->sbSave->Click();
        MainForm->sbSaveAs->Click();
        EXPECT_TRUE(proposed.isEmpty());
        EXPECT_EQ(ReadFile(PathOf("shop.qmt")), kShop);
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
    for (const Case& c : cases) {
        SCOPED_TRACE(c.error.toStdString());
        errors.clear();
        NewTable(c.rows);
        EXPECT_EQ(errors, QStringList({"QMT Editor: " + c.error}));
        EXPECT_TRUE(messages.isEmpty());
        EXPECT_EQ(View(), kNoTable);  // New leaves the navigator
        EXPECT_EQ(TitleAndFile(), OpenedAs("shop.qmt"));
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
        const QString cannotOpen = "QMT Editor: Datei " + path + " kann nicht geöffnet werden. ";
        EXPECT_EQ(errors.size(), c.errorBox ? 1 : 0);
        EXPECT_TRUE(!c.errorBox || errors.value(0).startsWith(cannotOpen))
            << errors.value(0).toStdString();
        // The dataset stays as the reader left it.
        EXPECT_THAT(View(), StartsWith("000000000 grid hidden unfed, navigator hidden, cdsQMT1 "));
        EXPECT_EQ(TitleAndFile(), OpenedAs("shop.qmt"));
        ExpectNoTableCommand();
    }
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
    EXPECT_TRUE(messages.isEmpty() && errors.isEmpty());
}

TEST_F(FailureRoadTest, FailedSaveKeepsTheOldFileAndTheState) {
    WriteFile("other.qmt", "other");
    // A text the format cannot hold (a line break, which the grid never
    // lets the user type) makes the table unwritable.
    ActiveTable->First();
    ActiveTable->Edit();
    ActiveTable->FieldByName("Item").SetAsString("te\r\na");
    ActiveTable->Post();
    for (const QString name : {"shop.qmt", "other.qmt", "none/x.qmt"}) {
        SCOPED_TRACE(name.toStdString());
        messages.clear();
        saveAnswers = {PathOf(name)};
        if (name == "shop.qmt")
            MainForm->sbSave->Click();
        else
            MainForm->sbSaveAs->Click();
        EXPECT_EQ(messages,
                  QStringList({"QMT Editor: Fehler beim Speichern der Datei: " + PathOf(name)}));
        EXPECT_TRUE(errors.isEmpty()) << errors.join("\n").toStdString();
        EXPECT_EQ(ReadFile(PathOf("shop.qmt")), kShop);
        EXPECT_EQ(ReadFile(PathOf("other.qmt")), "other");
        EXPECT_EQ(ReadFile(PathOf("none/x.qmt")), "<missing>");
        EXPECT_EQ(TitleAndFile(), OpenedAs("shop.qmt"));
        EXPECT_EQ(View(), kShown);
    }
    // Once the text is written over, Save As with a "yes" replaces the other
    // file and takes its name.
    ActiveTable->Edit();
    ActiveTable->FieldByName("Item").SetAsString("tee");
    messages.clear();
    saveAnswers = {PathOf("other.qmt")};
    MainForm->FileSaveAs();
    EXPECT_EQ(questions.size(), 2);  // the failed save as over it asked too
    EXPECT_EQ(ReadFile(PathOf("other.qmt")),
              TableFile({R"("Item","Price","Sold",)", R"("tee",3.5,true,)", R"("cup",12,false,)",
                         "3);"}));
    EXPECT_EQ(TitleAndFile(), OpenedAs("other.qmt"));
    EXPECT_TRUE(messages.isEmpty()) << messages.join("\n").toStdString();
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
    Restructure([] {});  // the second dataset is shown: the first is the target
    Pick(MainForm->cbSort, 2);
    MainForm->sbDirDesc->Click();
    const std::string view = View();
    for (const Case& c : cases) {
        SCOPED_TRACE(c.error.toStdString());
        errors.clear();
        Restructure([&] { SetRows(fmEditTable->sgFields->Grid(), c.rows); });
        EXPECT_EQ(errors,
                  QStringList({"QMT Editor: " + QString(c.error).replace("%1", "cdsQMT1")}));
        EXPECT_EQ(View(), view);
        EXPECT_FALSE(dm1->cdsQMT1->Active());
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
    MainForm->sbSave->Click();
    EXPECT_EQ(ReadFile(PathOf("shop.qmt")),
              TableFile({R"("Item","Price","Sold",)", R"("cup",12,false,)", R"("tea",3.5,true,)",
                         "3);"}));
}
