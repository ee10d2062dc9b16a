#include <QApplication>
#include <QClipboard>
#include <QLineEdit>
#include <QPixmap>
#include <QScrollBar>
#include <QTest>

#include "platform/ui/db_grid.h"
#include "tests/platform/ui/data_aware_fixture.h"

namespace {

constexpr int kName = 0, kN = 1, kB = 2;

class DBGridTest : public DataAwareTest {
  protected:
    void SetUp() override {
        DataAwareTest::SetUp();
        MakeTable({{"anna", 1, "true"}, {"bert", 2, "false"}, {"carl", 3, ""}});
        grid.resize(400, 300);
        grid.SetDataSource(&source);
        grid.show();
    }

    void TearDown() override {
        grid.SetDataSource(nullptr);
        DataAwareTest::TearDown();
    }

    // Keys go where the focus would be: the cell editor while it is open.
    QWidget* Target() {
        return grid.EditorMode() ? static_cast<QWidget*>(grid.InplaceEditor()) : &grid;
    }
    void Key(Qt::Key key, Qt::KeyboardModifiers mods = Qt::NoModifier) {
        QTest::keyClick(Target(), key, mods);
    }
    void Type(const char* text) {
        for (const char* c = text; *c; ++c) QTest::keyClick(Target(), *c);
    }
    std::string Value(int viewPos, int field) { return ds.ViewDisplayText(viewPos, field); }

    TDBGrid grid;
};

TEST_F(DBGridTest, ColumnsAreTheFieldsOfTheOpenDataSet) {
    ASSERT_EQ(grid.ColCount(), 3);
    EXPECT_EQ(grid.ColumnTitle(0), "Name");
    EXPECT_EQ(grid.ColumnTitle(1), "N");
    EXPECT_EQ(grid.ColumnTitle(2), "B");
    // Every column is at least as wide as its title.
    for (int c = 0; c < 3; ++c)
        EXPECT_GE(grid.ColWidth(c), grid.fontMetrics().horizontalAdvance(grid.ColumnTitle(c)));
    // A text column is sized for its length.
    EXPECT_GT(grid.ColWidth(kName), grid.ColWidth(kB));

    ds.Close();
    EXPECT_EQ(grid.ColCount(), 0);
    ds.Open();
    InstallHooks();
    EXPECT_EQ(grid.ColCount(), 3);

    grid.SetDataSource(nullptr);
    EXPECT_EQ(grid.ColCount(), 0);
    EXPECT_EQ(grid.Col(), -1);

    // A source that goes away leaves the grid empty, not dangling.
    auto* other = new TDataSource;
    other->SetDataSet(&ds);
    grid.SetDataSource(other);
    EXPECT_EQ(grid.ColCount(), 3);
    delete other;
    EXPECT_EQ(grid.DataSource(), nullptr);
    EXPECT_EQ(grid.ColCount(), 0);
    Type("x");
}

TEST_F(DBGridTest, TypedTextIsPostedThroughTheInputHookWhenMovingDown) {
    grid.SetCol(kB);
    Type("1");
    EXPECT_EQ(ds.State(), dsEdit);  // typing starts the edit
    EXPECT_TRUE(setTexts.empty());  // the text is taken only when the cell is left
    Key(Qt::Key_Down);
    EXPECT_EQ(ds.State(), dsBrowse);
    EXPECT_EQ(ds.ViewPosition(), 1);
    EXPECT_EQ(setTexts, std::vector<std::string>{"1"});
    EXPECT_EQ(Value(0, kB), "true");

    // The editor starts with the field's text, and typing replaces it.
    Key(Qt::Key_F2);
    EXPECT_EQ(grid.InplaceEditor()->text(), "false");
    Key(Qt::Key_Escape);
    Type("bogus");
    Key(Qt::Key_Up);
    EXPECT_EQ(Value(1, kB), "");  // the hook made it null
    EXPECT_EQ(ds.ViewPosition(), 0);
}

TEST_F(DBGridTest, CellLeftWithoutChangeCallsNoInputHook) {
    grid.SetCol(kB);
    Key(Qt::Key_F2);
    ASSERT_TRUE(grid.EditorMode());
    Key(Qt::Key_Tab);
    Key(Qt::Key_Down);
    EXPECT_TRUE(setTexts.empty());
    EXPECT_EQ(ds.State(), dsBrowse);
    EXPECT_EQ(Values(kB), (std::vector<std::string>{"true", "false", ""}));
}

TEST_F(DBGridTest, InsertKeyInsertsBeforeTheCurrentRecord) {
    Key(Qt::Key_Down);
    Key(Qt::Key_Insert);
    EXPECT_EQ(ds.State(), dsInsert);
    EXPECT_EQ(ds.ViewPosition(), 1);
    Type("neu");
    Key(Qt::Key_Down);
    EXPECT_EQ(ds.State(), dsBrowse);
    EXPECT_EQ(Values(kName), (std::vector<std::string>{"anna", "neu", "bert", "carl"}));
    EXPECT_EQ(ds.ViewPosition(), 2);
}

TEST_F(DBGridTest, DownOnTheLastRecordAppendsAndAnUnchangedOneIsDropped) {
    Key(Qt::Key_End, Qt::ControlModifier);
    ASSERT_EQ(ds.ViewPosition(), 2);
    Key(Qt::Key_Down);
    EXPECT_EQ(ds.State(), dsInsert);
    EXPECT_EQ(ds.ViewPosition(), 3);
    Key(Qt::Key_Down);  // no second empty record
    EXPECT_EQ(ds.ViewCount(), 4);
    Key(Qt::Key_Up);
    EXPECT_EQ(ds.State(), dsBrowse);
    EXPECT_EQ(ds.RecordCount(), 3);
    EXPECT_EQ(ds.ViewPosition(), 2);

    // An appended record with a value is posted, and Down appends the next.
    Key(Qt::Key_Down);
    Type("dora");
    Key(Qt::Key_Down);
    EXPECT_EQ(ds.RecordCount(), 4);
    EXPECT_EQ(ds.State(), dsInsert);
    EXPECT_EQ(ds.ViewPosition(), 4);
}

TEST_F(DBGridTest, LeavingAnUnchangedInsertedRecordLandsOnTheRowShown) {
    struct Case {
        Qt::Key key;
        const char* expected;
    } cases[] = {{Qt::Key_Up, "anna"}, {Qt::Key_Down, "bert"}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.expected);
        ds.First();
        Key(Qt::Key_Down);
        Key(Qt::Key_Insert);  // an empty row between anna and bert
        Key(c.key);
        EXPECT_EQ(ds.State(), dsBrowse);
        EXPECT_EQ(ds.ViewCount(), 3);
        EXPECT_EQ(ds.Fields()[kName].AsString(), c.expected);
    }
}

TEST_F(DBGridTest, EscapeUndoesTheCellThenTheRecord) {
    Type("xaver");
    Key(Qt::Key_Tab);  // the name is taken into the record
    Type("9");
    Key(Qt::Key_Escape);
    EXPECT_EQ(grid.InplaceEditor()->text(), "1");
    EXPECT_EQ(ds.State(), dsEdit);
    EXPECT_EQ(ds.Fields()[kName].AsString(), "xaver");
    Key(Qt::Key_Escape);
    EXPECT_EQ(ds.State(), dsBrowse);
    EXPECT_FALSE(grid.EditorMode());
    EXPECT_EQ(Value(0, kName), "anna");
    EXPECT_EQ(Value(0, kN), "1");
}

TEST_F(DBGridTest, CtrlDelAsksBeforeDeleting) {
    struct Case {
        bool answer;
        std::vector<std::string> names;
    } cases[] = {{false, {"anna", "bert", "carl"}}, {true, {"anna", "carl"}}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.answer);
        questions.clear();
        answer = c.answer;
        ds.First();
        Key(Qt::Key_Down);
        Key(Qt::Key_Delete, Qt::ControlModifier);
        EXPECT_EQ(questions, QStringList{"Bestätigung / Datensatz löschen?"});
        EXPECT_EQ(Values(kName), c.names);
    }
}

TEST_F(DBGridTest, LineBreaksBecomeBlanks) {
    Key(Qt::Key_F2);
    QLineEdit* editor = grid.InplaceEditor();
    editor->selectAll();
    QApplication::clipboard()->setText("a\r\nb\nc");
    editor->paste();
    EXPECT_EQ(editor->text(), "a  b c");
    Key(Qt::Key_Down);
    EXPECT_EQ(Value(0, kName), "a  b c");
}

TEST_F(DBGridTest, RefusedTextKeepsTheEditorAndTheRow) {
    grid.SetCol(kN);
    Type("x");
    Key(Qt::Key_Down);
    ASSERT_EQ(errors.size(), 1);
    EXPECT_EQ(errors[0].toStdString(), "'x' ist kein gültiger Integerwert für Feld 'N'");
    EXPECT_EQ(ds.ViewPosition(), 0);
    EXPECT_EQ(ds.State(), dsEdit);
    EXPECT_TRUE(grid.EditorMode());
    EXPECT_EQ(grid.InplaceEditor()->text(), "x");
    Key(Qt::Key_Escape);
    Key(Qt::Key_Escape);
    Key(Qt::Key_Down);
    EXPECT_EQ(errors.size(), 1);
    EXPECT_EQ(ds.ViewPosition(), 1);
    EXPECT_EQ(Value(0, kN), "1");
}

TEST_F(DBGridTest, TabMovesThroughTheCellsAndRecords) {
    grid.SetCol(kB);
    Key(Qt::Key_Tab);
    EXPECT_EQ(ds.ViewPosition(), 1);
    EXPECT_EQ(grid.Col(), kName);
    Key(Qt::Key_Backtab, Qt::ShiftModifier);
    EXPECT_EQ(ds.ViewPosition(), 0);
    EXPECT_EQ(grid.Col(), kB);
    Key(Qt::Key_Home);
    EXPECT_EQ(grid.Col(), kName);
    Key(Qt::Key_Backtab, Qt::ShiftModifier);  // nothing before the first cell
    EXPECT_EQ(ds.ViewPosition(), 0);
    EXPECT_EQ(grid.Col(), kName);
}

TEST_F(DBGridTest, TypingIntoAnEmptyTableAppendsItsFirstRecord) {
    while (!ds.IsEmpty()) ds.Delete();
    Type("erste");
    EXPECT_EQ(ds.State(), dsInsert);
    Key(Qt::Key_Return);
    Key(Qt::Key_Down);  // posts, then appends the next
    EXPECT_EQ(ds.RecordCount(), 1);
    EXPECT_EQ(Value(0, kName), "erste");
    EXPECT_EQ(ds.State(), dsInsert);
}

TEST_F(DBGridTest, ClicksSelectCellsAndTheGridFollowsTheCursor) {
    QRect cell = grid.CellRect(kN, 2);
    ASSERT_FALSE(cell.isEmpty());
    QTest::mouseClick(grid.viewport(), Qt::LeftButton, Qt::NoModifier, cell.center());
    EXPECT_EQ(ds.ViewPosition(), 2);
    EXPECT_EQ(grid.Col(), kN);

    // Moved by someone else: the grid shows the record that is now current.
    for (int i = 0; i < 200; ++i) {
        ds.Append();
        ds.Fields()[kName].SetAsString("r" + std::to_string(i));
        ds.Post();
    }
    ds.Last();
    EXPECT_FALSE(grid.CellRect(kName, ds.ViewPosition()).isEmpty());
    ds.First();
    EXPECT_EQ(grid.TopRow(), 0);
}

// Paints the grid's rows once, as a repaint of the screen would.
void Draw(TDBGrid& grid) {
    QPixmap pm(grid.viewport()->size());
    grid.viewport()->render(&pm);
}

TEST(DBGridLarge, DrawsOnlyTheRowsShown) {
    TClientDataSet ds;
    TFieldDef& def = ds.FieldDefs().AddFieldDef();
    def.SetName("N");
    def.SetDataType(ftInteger);
    ds.CreateDataSet();
    constexpr int kRecords = 1'000'000;
    for (int i = 0; i < kRecords; ++i) {
        ds.Append();
        ds.Fields()[0].SetAsInteger(i);
        ds.Post();
    }
    ds.First();
    int calls = 0;
    int64_t lowest = kRecords;
    ds.Fields()[0].OnGetText = [&](TField& f, AnsiString& text, bool) {
        ++calls;
        lowest = std::min(lowest, f.AsInteger());
        text = f.AsString();
    };
    TDataSource source;
    source.SetDataSet(&ds);
    {
        TDBGrid grid;
        grid.resize(300, 400);
        grid.SetDataSource(&source);
        grid.show();
        Draw(grid);
        EXPECT_GT(calls, 0);
        EXPECT_LE(calls, 2 * (grid.VisibleRowCount() + 1));

        calls = 0;
        lowest = kRecords;
        QTest::keyClick(&grid, Qt::Key_End, Qt::ControlModifier);
        Draw(grid);
        EXPECT_EQ(ds.ViewPosition(), kRecords - 1);
        EXPECT_GT(calls, 0);
        EXPECT_LE(calls, 2 * (grid.VisibleRowCount() + 1));
        EXPECT_GE(lowest, kRecords - grid.VisibleRowCount() - 1);
        EXPECT_EQ(grid.TopRow(), kRecords - grid.VisibleRowCount());

        grid.SetDataSource(nullptr);
    }
    source.SetDataSet(nullptr);
}

}  // namespace
