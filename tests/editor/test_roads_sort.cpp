// Open a file, sort it through the sort box and the direction buttons, save it.
#include <QLineEdit>

#include "test_main_support.h"

namespace {

const std::string kFruit = TableFile({
    R"("Name","Qty","Ok",)",
    R"("pear",3,true,)",
    R"("apple",12,false,)",
    R"("fig",-1,null,)",
    R"("date",7.5,true,)",
    "3);",
});

}  // namespace

class SortRoadTest : public RoadTest {
  protected:
    void SetUp() override {
        RoadTest::SetUp();
        OpenFile("fruit.qmt", kFruit);
    }
    void TearDown() override {
        EXPECT_TRUE(messages.isEmpty() && errors.isEmpty());
        RoadTest::TearDown();
    }
    // Puts the focus into the sort box's edit field with its whole text selected.
    static void FocusSortBox() {
        MainForm->activateWindow();
        ASSERT_TRUE(QTest::qWaitForWindowActive(MainForm));
        MainForm->cbSort->setFocus(Qt::MouseFocusReason);
        MainForm->cbSort->lineEdit()->selectAll();
    }
    static QString SortText() { return MainForm->cbSort->lineEdit()->text(); }
    static QStringList Names() { return Column("Name"); }
    // The sort indexes the dataset holds (the design's stored one never shows here).
    static QStringList Indexes() {
        QStringList names;
        for (int i = 0; i < ActiveTable->IndexDefs().Count(); ++i)
            names << QString::fromStdString(ActiveTable->IndexDefs()[i].Name);
        return names;
    }
    const QStringList natural{"pear", "apple", "fig", "date"};
};

TEST_F(SortRoadTest, TypedColumnSortsBothWaysAndSaveWritesTheShownOrder) {
    EXPECT_EQ(TitleAndFile(), OpenedAs("fruit.qmt"));
    EXPECT_EQ(View(), "111111111 grid shown fed, navigator shown, cdsQMT1 open");
    EXPECT_EQ(SortItems(), QStringList({"[None]", "Name", "Qty", "Ok"}));
    EXPECT_EQ(Sorting(), " 0 asc");
    EXPECT_EQ(Column("Ok"), QStringList({"true", "false", "", "true"}));
    MainForm->sbDirDesc->Click();  // no column chosen yet: only the button goes down
    EXPECT_EQ(Sorting(), " 0 desc");
    EXPECT_EQ(Names(), natural);

    FocusSortBox();
    Type("q");  // completes to "Qty" and sorts by it, ascending whatever was down
    EXPECT_EQ(SortText(), "qty");
    EXPECT_EQ(Sorting(), "QtyIndex 2 asc");
    EXPECT_EQ(Names(), QStringList({"fig", "pear", "date", "apple"}));

    MainForm->sbDirDesc->Click();
    EXPECT_EQ(Names(), QStringList({"apple", "date", "pear", "fig"}));
    MainForm->sbDirDesc->Click();  // already down: rebuilt, same order
    EXPECT_EQ(Names(), QStringList({"apple", "date", "pear", "fig"}));
    EXPECT_EQ(Indexes(), QStringList({"QtyIndex"}));
    EXPECT_EQ(Column("Qty"), QStringList({"12", "7,5", "3", "-1"}));

    MainForm->sbSave->Click();
    EXPECT_TRUE(proposed.isEmpty());
    EXPECT_EQ(ReadFile(PathOf("fruit.qmt")),
              TableFile({R"("Name","Qty","Ok",)", R"("apple",12,false,)", R"("date",7.5,true,)",
                         R"("pear",3,true,)", R"("fig",-1,null,)", "3);"}));
    // The save leaves the view as it was.
    EXPECT_EQ(Sorting(), "QtyIndex 2 desc");
    EXPECT_EQ(Names(), QStringList({"apple", "date", "pear", "fig"}));

    MainForm->sbDirAsc->Click();
    MainForm->FileSave();
    EXPECT_EQ(ReadFile(PathOf("fruit.qmt")),
              TableFile({R"("Name","Qty","Ok",)", R"("fig",-1,null,)", R"("pear",3,true,)",
                         R"("date",7.5,true,)", R"("apple",12,false,)", "3);"}));
}

TEST_F(SortRoadTest, AnotherColumnReplacesTheSortAndBackspaceEndsIt) {
    FocusSortBox();
    Type("ok");
    MainForm->sbDirDesc->Click();
    EXPECT_EQ(Names(), QStringList({"pear", "date", "apple", "fig"}));

    FocusSortBox();
    Type("na");  // another column: only its index, ascending
    EXPECT_EQ(SortText(), "name");
    EXPECT_EQ(Indexes(), QStringList({"NameIndex"}));
    EXPECT_EQ(Sorting(), "NameIndex 1 asc");
    EXPECT_EQ(Names(), QStringList({"apple", "date", "fig", "pear"}));

    Key(Qt::Key_Backspace);  // takes the completed part away: no entry is selected
    EXPECT_EQ(SortText(), "na");
    EXPECT_EQ(Sorting(), " -1 asc");
    EXPECT_TRUE(Indexes().isEmpty());
    EXPECT_EQ(Names(), natural);

    // Without an entry the direction buttons only change their state.
    MainForm->sbDirDesc->Click();
    EXPECT_EQ(Sorting(), " -1 desc");
    EXPECT_TRUE(Indexes().isEmpty());
    Key(Qt::Key_Backspace);  // still no entry, still unsorted, no message
    EXPECT_EQ(SortText(), "n");
    EXPECT_TRUE(Indexes().isEmpty());

    // Typing the whole name of an entry selects it again.
    Type("ame");
    EXPECT_EQ(Sorting(), "NameIndex 1 asc");
    EXPECT_EQ(Names(), QStringList({"apple", "date", "fig", "pear"}));
}

TEST_F(SortRoadTest, NoSortEntryWithAndWithoutASort) {
    struct Step {
        int pick;  // entry picked from the list
        QString index;
        QStringList names;
    } steps[] = {
        {0, "", natural},  // unsorted: nothing happens
        {3, "OkIndex", {"fig", "apple", "pear", "date"}},
        {0, "", natural},  // the sort goes
        {0, "", natural},
        {1, "NameIndex", {"apple", "date", "fig", "pear"}},  // a fresh index
        {0, "", natural},
    };
    for (const Step& s : steps) {
        SCOPED_TRACE(s.pick);
        PickSort(s.pick);
        EXPECT_EQ(ActiveTable->IndexName(), s.index.toStdString());
        EXPECT_EQ(Indexes(), s.index.isEmpty() ? QStringList() : QStringList({s.index}));
        EXPECT_EQ(Names(), s.names);
    }
}

TEST_F(SortRoadTest, AValueTypedIntoTheGridIsStoredBeforeTheSort) {
    // A value typed into a cell, then a direction button clicked at once: the
    // typed value counts for the new order.
    PickSort(2);
    FocusGrid();
    Key(Qt::Key_Home, Qt::ControlModifier);  // the first record of the view: "fig"
    Key(Qt::Key_Tab);
    Type("100");
    MainForm->sbDirDesc->Click();
    EXPECT_EQ(Names(), QStringList({"fig", "apple", "date", "pear"}));
    EXPECT_EQ(Column("Qty"), QStringList({"100", "12", "7,5", "3"}));
    EXPECT_EQ(ActiveTable->State(), dsBrowse);

    // The same with the sort box: choosing a column stores the edit first.
    FocusGrid();
    Key(Qt::Key_Home, Qt::ControlModifier);
    Key(Qt::Key_Home);
    Type("zucchini");
    FocusSortBox();
    Type("N");
    EXPECT_EQ(Names(), QStringList({"apple", "date", "pear", "zucchini"}));
    EXPECT_EQ(ActiveTable->State(), dsBrowse);
}
