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
    EXPECT_EQ(View(), "111111111 grid shown fed, navigator shown, cdsQMT1 open");
    EXPECT_EQ(SortItems(), QStringList({"[None]", "Name", "Qty", "Ok"}));
    MainForm->sbDirDesc->Click();  // no column chosen yet: only the button goes down
    EXPECT_EQ(Sorting(), " 0 desc");
    EXPECT_EQ(Column("Name"), natural);

    MainForm->cbSort->setFocus(Qt::MouseFocusReason);
    MainForm->cbSort->lineEdit()->selectAll();
    Type("q");  // completes to "Qty" and sorts by it, ascending whatever was down
    EXPECT_EQ(MainForm->cbSort->lineEdit()->text(), "qty");
    EXPECT_EQ(Sorting(), "QtyIndex 2 asc");
    EXPECT_EQ(Column("Name"), QStringList({"fig", "pear", "date", "apple"}));

    MainForm->sbDirDesc->Click();
    MainForm->sbDirDesc->Click();  // already down: rebuilt, same order
    EXPECT_EQ(Column("Name"), QStringList({"apple", "date", "pear", "fig"}));
    EXPECT_EQ(Indexes(), QStringList({"QtyIndex"}));
    EXPECT_EQ(Column("Qty"), QStringList({"12", "7,5", "3", "-1"}));

    MainForm->sbSave->Click();
    EXPECT_TRUE(proposed.isEmpty());
    EXPECT_EQ(ReadFile(PathOf("fruit.qmt")),
              TableFile({R"("Name","Qty","Ok",)", R"("apple",12,false,)", R"("date",7.5,true,)",
                         R"("pear",3,true,)", R"("fig",-1,null,)", "3);"}));
    EXPECT_EQ(Sorting(), "QtyIndex 2 desc");  // the save leaves the view as it was

    MainForm->sbDirAsc->Click();
    MainForm->FileSave();
    EXPECT_EQ(ReadFile(PathOf("fruit.qmt")),
              TableFile({R"("Name","Qty","Ok",)", R"("fig",-1,null,)", R"("pear",3,true,)",
                         R"("date",7.5,true,)", R"("apple",12,false,)", "3);"}));
    Pick(MainForm->cbSort, 0);  // "[None]" takes the sort away
    EXPECT_EQ(Sorting(), " 0 asc");
    EXPECT_TRUE(Indexes().isEmpty());
    EXPECT_EQ(Column("Name"), natural);
    EXPECT_TRUE(messages.isEmpty() && errors.isEmpty());
}

TEST_F(SortRoadTest, AValueTypedIntoTheGridIsStoredBeforeTheSort) {
    // A value typed into a cell, then a direction button clicked at once: the
    // typed value counts for the new order.
    Pick(MainForm->cbSort, 2);
    FocusGrid();
    Key(Qt::Key_Home, Qt::ControlModifier);  // the first record of the view: "fig"
    Key(Qt::Key_Tab);
    Type("100");
    MainForm->sbDirDesc->Click();
    EXPECT_EQ(Column("Name"), QStringList({"fig", "apple", "date", "pear"}));
    EXPECT_EQ(Column("Qty"), QStringList({"100", "12", "7,5", "3"}));
    EXPECT_EQ(ActiveTable->State(), dsBrowse);
    EXPECT_TRUE(messages.isEmpty() && errors.isEmpty());
}
