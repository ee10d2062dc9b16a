// The data-aware controls, a grid and a navigator, on one small client dataset
// behind a data source, with the error display and the delete confirmation
// replaced by recorders.

#include <gtest/gtest.h>

#include <QAbstractButton>
#include <QApplication>
#include <QClipboard>
#include <QKeySequence>
#include <QLineEdit>
#include <QPixmap>
#include <QTest>

#include "platform/dataset/client_dataset.h"
#include "platform/ui/application.h"
#include "platform/ui/data_source.h"
#include "platform/ui/db_grid.h"
#include "platform/ui/db_navigator.h"

namespace {

constexpr int kName = 0, kN = 1, kB = 2;
// The table at the start, as Rows() shows it.
constexpr const char* kStart = "anna,1,true|bert,2,false|carl,3,";

class DataAwareTest : public ::testing::Test {
  protected:
    // Name (text, 20), N (integer), B (truth value) with anna/1/true,
    // bert/2/false, carl/3/null; shown in a grid, the navigator attached.
    void SetUp() override {
        oldError_ = Application->SetErrorBoxHandler(
            [this](const QString&, const QString& text) { errors << text; });
        oldQuestion_ = Application->SetQuestionHandler([this](const QString& c, const QString& t) {
            questions << c + " / " + t;
            return answer;
        });
        for (auto [name, type] :
             {std::pair{"Name", ftString}, {"N", ftInteger}, {"B", ftBoolean}}) {
            TFieldDef& d = ds.FieldDefs().AddFieldDef();
            d.SetName(name);
            d.SetDataType(type);
            if (type == ftString) d.SetSize(20);
        }
        ds.CreateDataSet();
        for (auto [name, n, flag] : {std::tuple{"anna", 1, 1}, {"bert", 2, 0}, {"carl", 3, -1}}) {
            ds.Append();
            ds.Fields()[kName].SetAsString(name);
            ds.Fields()[kN].SetAsInteger(n);
            if (flag >= 0) ds.Fields()[kB].SetAsBoolean(flag == 1);
            ds.Post();
        }
        // B shows and takes its value through hooks like the editor's ("1" ->
        // true), recording the texts it is given.
        ds.Fields()[kB].OnGetText = [](TField& f, AnsiString& text, bool) {
            text = f.IsNull() ? "" : (f.AsBoolean() ? "true" : "false");
        };
        ds.Fields()[kB].OnSetText = [this](TField& f, const AnsiString& text) {
            hook << QString::fromStdString(text);
            f.SetAsBoolean(text == "1");
        };
        ds.First();
        source.SetDataSet(&ds);
        grid.resize(400, 300);
        grid.SetDataSource(&source);
        nav.SetDataSource(&source);
        grid.show();
    }

    void TearDown() override {
        Application->SetErrorBoxHandler(oldError_);
        Application->SetQuestionHandler(oldQuestion_);
    }

    // The whole view, fields joined by ',' and records by '|'.
    std::string Rows() {
        std::string out;
        for (int i = 0; i < ds.ViewCount(); ++i) {
            if (i > 0) out += '|';
            for (int f = 0; f < 3; ++f) out += (f > 0 ? "," : "") + ds.ViewDisplayText(i, f);
        }
        return out;
    }

    // Keys go where the focus would be: the cell editor while it is open.
    // Key names ("Down", "Ins", "Ctrl+Del", "Shift+Backtab") are pressed,
    // anything else is typed.
    void Press(const QString& k) {
        auto target = [&] {
            return grid.EditorMode() ? static_cast<QWidget*>(grid.InplaceEditor()) : &grid;
        };
        const QKeyCombination key = QKeySequence::fromString(k)[0];
        if (key.key() >= Qt::Key_Escape && key.key() != Qt::Key_unknown)
            QTest::keyClick(target(), key.key(), key.keyboardModifiers());
        else
            for (QChar c : k) QTest::keyClick(target(), c.toLatin1());
    }

    TClientDataSet ds;  // declared first: outlives the source and the controls
    TDataSource source;
    TDBGrid grid;
    TDBNavigator nav;
    QStringList errors, questions, hook;
    bool answer = true;

  private:
    TApplication::MessageHandler oldError_;
    TApplication::QuestionHandler oldQuestion_;
};

TEST_F(DataAwareTest, GridColumnsAreTheFieldsOfTheOpenDataSet) {
    EXPECT_EQ(grid.ColumnTitle(kB), "B");
    EXPECT_GT(grid.ColWidth(kName), grid.ColWidth(kB));  // a text column is sized for its length
    ds.Close();
    EXPECT_EQ(grid.ColCount(), 0);

    // A source that goes away leaves the grid empty, not dangling.
    auto* other = new TDataSource;
    other->SetDataSet(&ds);
    grid.SetDataSource(other);
    delete other;
    EXPECT_EQ(grid.DataSource(), nullptr);
    Press("x");
}

struct KeyCase {
    const char* keys;  // key names as Press() knows them; anything else is typed
    TDataSetState state;
    int pos, col;
    std::string rows;
    const char* editor = nullptr;  // the cell editor's text; nullptr: closed
    const char* hook = "";         // the texts given to B's input hook, joined by ' '
    friend void PrintTo(const KeyCase& c, std::ostream* os) { *os << c.keys; }
};

class GridKeysTest : public DataAwareTest, public ::testing::WithParamInterface<KeyCase> {};

TEST_P(GridKeysTest, LeaveTheTableAndTheCursorAsExpected) {
    const KeyCase& c = GetParam();
    for (const QString& k : QString(c.keys).split(' ')) Press(k);
    EXPECT_EQ(ds.State(), c.state);
    EXPECT_EQ(ds.ViewPosition(), c.pos);
    EXPECT_EQ(grid.Col(), c.col);
    EXPECT_EQ(Rows(), c.rows);
    EXPECT_EQ(grid.EditorMode() ? grid.InplaceEditor()->text().toStdString() : "<closed>",
              c.editor ? c.editor : "<closed>");
    EXPECT_EQ(hook.join(' '), c.hook);
    EXPECT_TRUE(errors.isEmpty());
}

INSTANTIATE_TEST_SUITE_P(
    DataAware, GridKeysTest,
    ::testing::Values(
        // Typed text goes through the input hook only when the cell is left.
        KeyCase{"Down Tab Tab 1", dsEdit, 1, kB, kStart, "1"},
        KeyCase{"Down Tab Tab 1 Down", dsBrowse, 2, kB, "anna,1,true|bert,2,true|carl,3,", {}, "1"},
        KeyCase{"Tab Tab F2 Tab", dsBrowse, 1, kName, kStart},  // unchanged: no hook
        KeyCase{"Down Ins", dsInsert, 1, kName, "anna,1,true|,,|bert,2,false|carl,3,"},
        KeyCase{"Down Ins neu Down", dsBrowse, 2, kName, "anna,1,true|neu,,|bert,2,false|carl,3,"},
        // An unchanged inserted record is dropped; the cursor lands on the row shown.
        KeyCase{"Down Ins Up", dsBrowse, 0, kName, kStart},
        KeyCase{"Down Ins Down", dsBrowse, 1, kName, kStart},
        KeyCase{"Ctrl+End Down Down", dsInsert, 3, kName, std::string(kStart) + "|,,"},
        KeyCase{"Ctrl+End Down Down Up", dsBrowse, 2, kName, kStart},
        // Escape undoes the cell, then the record.
        KeyCase{"xaver Tab 9 Esc", dsEdit, 0, kN, "xaver,1,true|bert,2,false|carl,3,", "1"},
        KeyCase{"xaver Tab 9 Esc Esc", dsBrowse, 0, kN, kStart}));

// Text the field refuses stops a move by key or by the navigator, through
// the error display, and keeps the editor open.
TEST_F(DataAwareTest, RefusedTextStopsTheMove) {
    grid.SetCol(kN);
    for (bool byNavigator : {false, true}) {
        errors.clear();
        Press("x");
        byNavigator ? nav.BtnClick(nbNext) : Press("Down");
        EXPECT_EQ(errors,
                  QStringList{QString::fromUtf8("'x' ist kein gültiger Integerwert für Feld 'N'")});
        EXPECT_EQ(ds.ViewPosition(), 0);
        EXPECT_EQ(ds.State(), dsEdit);
        EXPECT_EQ(grid.InplaceEditor()->text(), "x");
        Press("Esc");
    }
}

TEST_F(DataAwareTest, GridLineBreaksBecomeBlanks) {
    Press("F2");
    grid.InplaceEditor()->selectAll();
    QApplication::clipboard()->setText("a\r\nb\nc");
    grid.InplaceEditor()->paste();
    Press("Down");
    EXPECT_EQ(Rows(), "a  b c,1,true|bert,2,false|carl,3,");
}

TEST_F(DataAwareTest, GridAsksForOnlyTheRowsItDraws) {
    constexpr int kRecords = 1'000'000;
    source.SetDataSet(nullptr);  // filled without the grid looking on
    for (int i = 3; i < kRecords; ++i) {
        ds.Append();
        ds.Fields()[kN].SetAsInteger(i);
        ds.Post();
    }
    ds.First();
    int calls = 0;
    ds.Fields()[kN].OnGetText = [&](TField& f, AnsiString& text, bool) {
        ++calls;
        text = f.AsString();
    };
    source.SetDataSet(&ds);
    Press("Ctrl+End");
    QPixmap pm(grid.viewport()->size());  // one repaint of the rows shown
    grid.viewport()->render(&pm);
    EXPECT_GT(calls, 0);
    EXPECT_LE(calls, 2 * (grid.VisibleRowCount() + 1));
    EXPECT_EQ(ds.ViewPosition(), kRecords - 1);
    EXPECT_EQ(grid.TopRow(), kRecords - grid.VisibleRowCount());
    ds.First();  // moved by someone else: the grid follows
    EXPECT_EQ(grid.TopRow(), 0);
}

TEST_F(DataAwareTest, DeletingAsksFirst) {
    // No, then yes, by the grid's Ctrl+Del and by the navigator.
    const char* left[] = {kStart, "anna,1,true|carl,3,", "anna,1,true|carl,3,", "anna,1,true"};
    for (int i = 0; i < 4; ++i) {
        questions.clear();
        answer = i % 2 == 1;
        ds.First();
        ds.Next();
        i < 2 ? Press("Ctrl+Del") : nav.BtnClick(nbDelete);
        EXPECT_EQ(questions, QStringList{"Bestätigung / Datensatz löschen?"}) << i;
        EXPECT_EQ(Rows(), left[i]) << i;
    }
}

TEST_F(DataAwareTest, NavigatorButtonsFollowTheDataSetState) {
    // The enabled buttons as their initials in button order: F(irst) P(rior)
    // N(ext) L(ast) I(nsert) D(elete) E(dit) p(ost) C(ancel) R(efresh).
    QStringList seen;
    auto look = [&] {
        QString out;
        for (int i = 0; i < TDBNavigator::ButtonCount; ++i)
            if (nav.Button(static_cast<TNavigateBtn>(i))->isEnabled()) out += "FPNLIDEpCR"[i];
        seen << out;
    };
    look();
    ds.Next(), look();
    ds.Last(), look();
    ds.Edit(), look();
    ds.Insert(), look();
    ds.Cancel(), look();
    while (!ds.IsEmpty()) ds.Delete();
    look();
    ds.Close(), look();
    EXPECT_EQ(seen, QStringList({"NLIDER", "FPNLIDER", "FPIDER", "FPIDpC", "FPNLIDpC", "FPNLIDER",
                                 "IER", ""}));
}

TEST_F(DataAwareTest, NavigatorHintsReplaceTheDefaultsEntryByEntry) {
    auto tip = [&](TNavigateBtn b) { return nav.Button(b)->toolTip(); };
    EXPECT_EQ(tip(nbNext), "Nächster Datensatz");
    nav.SetHints({"", "Vorheriger Datensatz", "Next Record|Go to the next record"});
    EXPECT_EQ(tip(nbFirst), "Erster Datensatz");  // an empty entry keeps the default
    EXPECT_EQ(tip(nbNext), "Next Record");
    nav.SetVisibleButtons({nbFirst, nbPrior, nbNext, nbLast});
    nav.SetHint(9, "Refresh Data");  // a hidden button takes its hint all the same
    EXPECT_EQ(tip(nbRefresh), "Refresh Data");
}

}  // namespace
