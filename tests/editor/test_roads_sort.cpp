// Open a file, sort it through the sort box and the direction buttons, save it.
#include "test_roads_support.h"

namespace {

const std::string kFruit = MainWindowTest::TableFile({
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
        WriteFile("fruit.qmt", kFruit);
        openAnswers = {PathOf("fruit.qmt")};
        MainForm->sbOpen->Click();
        ASSERT_TRUE(messages.isEmpty() && errors.isEmpty());
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
};

TEST_F(SortRoadTest, TypedColumnSortsBothWaysAndSaveWritesTheShownOrder) {
    MainForm->sbDirDesc->Click();  // down from before; no column chosen yet
    EXPECT_EQ(Names(), QStringList({"pear", "apple", "fig", "date"}));

    FocusSortBox();
    Type("q");  // completes to "Qty" and sorts by it, ascending whatever was down
    EXPECT_EQ(SortText(), "qty");
    EXPECT_EQ(MainForm->cbSort->ItemIndex(), 2);
    EXPECT_TRUE(MainForm->sbDirAsc->Down());
    EXPECT_FALSE(MainForm->sbDirDesc->Down());
    EXPECT_EQ(ActiveTable->IndexName(), "QtyIndex");
    EXPECT_EQ(Names(), QStringList({"fig", "pear", "date", "apple"}));

    MainForm->sbDirDesc->Click();
    EXPECT_EQ(Names(), QStringList({"apple", "date", "pear", "fig"}));
    MainForm->sbDirDesc->Click();  // already down: rebuilt, same order
    EXPECT_EQ(Names(), QStringList({"apple", "date", "pear", "fig"}));
    EXPECT_EQ(Indexes(), QStringList({"QtyIndex"}));

    MainForm->sbSave->Click();
    EXPECT_TRUE(proposed.isEmpty());
    EXPECT_EQ(ReadFile(PathOf("fruit.qmt")),
              TableFile({R"("Name","Qty","Ok",)", R"("apple",12,false,)", R"("date",7.5,true,)",
                         R"("pear",3,true,)", R"("fig",-1,null,)", "3);"}));
    // The save leaves the view as it was.
    EXPECT_EQ(ActiveTable->IndexName(), "QtyIndex");
    EXPECT_EQ(Names(), QStringList({"apple", "date", "pear", "fig"}));

    MainForm->sbDirAsc->Click();
    MainForm->FileSave();
    EXPECT_EQ(ReadFile(PathOf("fruit.qmt")),
              TableFile({R"("Name","Qty","Ok",)", R"("fig",-1,null,)", R"("pear",3,true,)",
                         R"("date",7.5,true,)", R"("apple",12,false,)", "3);"}));
    EXPECT_TRUE(messages.isEmpty() && errors.isEmpty());
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
    EXPECT_TRUE(MainForm->sbDirAsc->Down());
    EXPECT_EQ(Names(), QStringList({"apple", "date", "fig", "pear"}));

    Key(Qt::Key_Backspace);  // takes the completed part away: no entry is selected
    EXPECT_EQ(SortText(), "na");
    EXPECT_EQ(MainForm->cbSort->ItemIndex(), -1);
    EXPECT_EQ(ActiveTable->IndexName(), "");
    EXPECT_TRUE(Indexes().isEmpty());
    EXPECT_EQ(Names(), QStringList({"pear", "apple", "fig", "date"}));

    // Without an entry the direction buttons only change their state.
    MainForm->sbDirDesc->Click();
    EXPECT_TRUE(MainForm->sbDirDesc->Down());
    EXPECT_TRUE(Indexes().isEmpty());
    Key(Qt::Key_Backspace);  // still no entry, still unsorted, no message
    EXPECT_EQ(SortText(), "n");
    EXPECT_TRUE(Indexes().isEmpty());

    // Typing the whole name of an entry selects it again.
    Type("ame");
    EXPECT_EQ(MainForm->cbSort->ItemIndex(), 1);
    EXPECT_EQ(Names(), QStringList({"apple", "date", "fig", "pear"}));
    EXPECT_TRUE(MainForm->sbDirAsc->Down());
    EXPECT_TRUE(messages.isEmpty() && errors.isEmpty());
}

TEST_F(SortRoadTest, NoSortEntryWithAndWithoutASort) {
    struct Step {
        int pick;  // entry picked from the list
        QString index;
        QStringList names;
    } steps[] = {
        {0, "", {"pear", "apple", "fig", "date"}},  // unsorted: nothing happens
        {3, "OkIndex", {"fig", "apple", "pear", "date"}},
        {0, "", {"pear", "apple", "fig", "date"}},  // the sort goes
        {0, "", {"pear", "apple", "fig", "date"}},
        {1, "NameIndex", {"apple", "date", "fig", "pear"}},  // a fresh index
    };
    for (const Step& s : steps) {
        SCOPED_TRACE(s.pick);
        PickSort(s.pick);
        EXPECT_EQ(ActiveTable->IndexName(), s.index.toStdString());
        EXPECT_EQ(Indexes(), s.index.isEmpty() ? QStringList() : QStringList({s.index}));
        EXPECT_EQ(Names(), s.names);
    }
    // The direction buttons with the no-sort entry: the view stays natural.
    PickSort(0);
    for (TSpeedButton* b : {MainForm->sbDirDesc, MainForm->sbDirAsc, MainForm->sbDirDesc}) {
        b->Click();
        EXPECT_TRUE(b->Down());
        EXPECT_TRUE(Indexes().isEmpty());
        EXPECT_EQ(Names(), QStringList({"pear", "apple", "fig", "date"}));
    }
    EXPECT_TRUE(messages.isEmpty() && errors.isEmpty());
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
    EXPECT_TRUE(messages.isEmpty() && errors.isEmpty());
}
