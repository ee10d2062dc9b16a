// Typing into the sort box and deleting typed characters again.
#include <QLineEdit>

#include "test_main_support.h"

namespace {

const std::string kTags = TableFile({
    R"("Tag","Tags",)",
    R"("b","x",)",
    R"("c","z",)",
    R"("a","y",)",
    "2);",
});

}  // namespace

class SortBoxTextTest : public RoadTest {
  protected:
    void SetUp() override {
        RoadTest::SetUp();
        OpenFile("tags.qmt", kTags);
        MainForm->cbSort->setFocus(Qt::MouseFocusReason);
        MainForm->cbSort->lineEdit()->selectAll();
    }
    static QString BoxText() { return MainForm->cbSort->lineEdit()->text(); }
};

TEST_F(SortBoxTextTest, BackspaceToAnotherColumnsNameSortsByNothing) {
    Type("tag");  // completes to "Tag" at the first letter
    EXPECT_EQ(Sorting(), "TagIndex 1 asc");
    EXPECT_EQ(Column("Tag"), QStringList({"a", "b", "c"}));
    Type("s");
    EXPECT_EQ(Sorting(), "TagsIndex 2 asc");
    EXPECT_EQ(Column("Tags"), QStringList({"x", "y", "z"}));

    Key(Qt::Key_Backspace);  // "tag" is left, the name of the other column
    EXPECT_EQ(BoxText(), "tag");
    EXPECT_EQ(Sorting(), " -1 asc");
    EXPECT_EQ(Column("Tag"), QStringList({"b", "c", "a"}));  // natural order
    EXPECT_TRUE(ActiveTable->IndexDefs().Count() == 0);

    MainForm->sbDirDesc->Click();  // no entry selected: only the button goes down
    EXPECT_EQ(Sorting(), " -1 desc");
    Key(Qt::Key_Return);
    EXPECT_EQ(Sorting(), " -1 desc");
    Type("s");  // completing selects again, ascending
    EXPECT_EQ(Sorting(), "TagsIndex 2 asc");
    EXPECT_TRUE(messages.isEmpty() && errors.isEmpty());
}
