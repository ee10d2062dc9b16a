// The data-aware controls, a grid and a navigator, on one small client dataset
// behind a data source, with the error display and the delete confirmation
// replaced by recorders.

#include <gtest/gtest.h>

#include <QAbstractButton>
#include <QApplication>
#include <QClipboard>
#include <QLineEdit>
#include <QPixmap>
#include <QTest>
#include <algorithm>
#include <functional>
#include <map>

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
    // bert/2/false, carl/3/null; shown in a grid and a navigator.
    void SetUp() override {
        oldError_ = Application->SetErrorBoxHandler(
            [this](const QString&, const QString& text) { errors << text; });
        oldQuestion_ = Application->SetQuestionHandler([this](const QString& c, const QString& t) {
            questions << c + " / " + t;
            return answer;
        });
        ds.SetName("cds");
        for (auto [name, type, size] :
             {std::tuple{"Name", ftString, 20}, {"N", ftInteger, 0}, {"B", ftBoolean, 0}}) {
            TFieldDef& d = ds.FieldDefs().AddFieldDef();
            d.SetName(name);
            d.SetDataType(type);
            if (size > 0) d.SetSize(size);
        }
        ds.CreateDataSet();
        for (auto [name, n, flag] : {std::tuple{"anna", 1, 1}, {"bert", 2, 0}, {"carl", 3, -1}}) {
            ds.Append();
            ds.Fields()[kName].SetAsString(name);
            ds.Fields()[kN].SetAsInteger(n);
            if (flag >= 0) ds.Fields()[kB].SetAsBoolean(flag == 1);
            ds.Post();
        }
        InstallHooks();
        ds.First();
        source.SetDataSet(&ds);
        grid.resize(400, 300);
        grid.SetDataSource(&source);
        grid.show();
    }

    void TearDown() override {
        grid.SetDataSource(nullptr);
        nav.SetDataSource(nullptr);
        Application->SetErrorBoxHandler(oldError_);
        Application->SetQuestionHandler(oldQuestion_);
    }

    // B shows and takes its value through hooks like the editor's ("1" ->
    // true), recording the texts it is given.
    void InstallHooks() {
        TField& b = ds.Fields()[kB];
        b.OnGetText = [](TField& f, AnsiString& text, bool) {
            text = f.IsNull() ? "" : (f.AsBoolean() ? "true" : "false");
        };
        b.OnSetText = [this](TField& f, const AnsiString& text) {
            hook << QString::fromStdString(text);
            if (text == "1" || text == "0")
                f.SetAsBoolean(text == "1");
            else
                f.Clear();
        };
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
    // Down, Up, Ins, Esc, Tab, BackTab, Home, F2, ^End and ^Del are keys,
    // anything else is typed.
    void Press(const QString& k) {
        static const std::map<QString, std::pair<Qt::Key, Qt::KeyboardModifiers>> keys = {
            {"Down", {Qt::Key_Down, {}}},
            {"Up", {Qt::Key_Up, {}}},
            {"Ins", {Qt::Key_Insert, {}}},
            {"Esc", {Qt::Key_Escape, {}}},
            {"Tab", {Qt::Key_Tab, {}}},
            {"BackTab", {Qt::Key_Backtab, Qt::ShiftModifier}},
            {"Home", {Qt::Key_Home, {}}},
            {"F2", {Qt::Key_F2, {}}},
            {"^End", {Qt::Key_End, Qt::ControlModifier}},
            {"^Del", {Qt::Key_Delete, Qt::ControlModifier}},
        };
        auto target = [&] {
            return grid.EditorMode() ? static_cast<QWidget*>(grid.InplaceEditor()) : &grid;
        };
        if (auto it = keys.find(k); it != keys.end())
            QTest::keyClick(target(), it->second.first, it->second.second);
        else
            for (QChar c : k) QTest::keyClick(target(), c.toLatin1());
    }

    // The navigator's enabled buttons as their initials in button order:
    // F(irst) P(rior) N(ext) L(ast) I(nsert) D(elete) E(dit) p(ost) C(ancel) R(efresh).
    std::string Enabled() const {
        std::string out;
        for (int i = 0; i < TDBNavigator::ButtonCount; ++i)
            if (nav.Button(static_cast<TNavigateBtn>(i))->isEnabled()) out += "FPNLIDEpCR"[i];
        return out;
    }

    TClientDataSet ds;  // declared first: outlives the source and the controls
    TDataSource source;
    TDBGrid grid;
    TDBNavigator nav;
    QStringList errors, questions;
    bool answer = true;
    QStringList hook;

  private:
    TApplication::MessageHandler oldError_;
    TApplication::QuestionHandler oldQuestion_;
};

TEST_F(DataAwareTest, GridColumnsAreTheFieldsOfTheOpenDataSet) {
    ASSERT_EQ(grid.ColCount(), 3);
    for (int c = 0; c < 3; ++c) {
        EXPECT_EQ(grid.ColumnTitle(c), QString("Name|N|B").split('|')[c]);
        EXPECT_GE(grid.ColWidth(c), grid.fontMetrics().horizontalAdvance(grid.ColumnTitle(c)));
    }
    EXPECT_GT(grid.ColWidth(kName), grid.ColWidth(kB));  // a text column is sized for its length

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
    Press("x");
}

struct KeyCase {
    const char* keys;  // key names as Press() knows them; anything else is typed
    TDataSetState state;
    int pos, col;
    std::string rows;
    const char* editor = nullptr;  // the cell editor's text; nullptr: closed
    QStringList hook = {};         // the texts given to B's input hook
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
    EXPECT_EQ(hook, c.hook);
    EXPECT_TRUE(errors.isEmpty());
}

INSTANTIATE_TEST_SUITE_P(
    DataAware, GridKeysTest,
    ::testing::Values(
        // Typed text goes through the input hook only when the cell is left.
        KeyCase{"Down Tab Tab 1", dsEdit, 1, kB, kStart, "1"},
        KeyCase{"Down Tab Tab 1 Down",
                dsBrowse,
                2,
                kB,
                "anna,1,true|bert,2,true|carl,3,",
                nullptr,
                {"1"}},
        KeyCase{"Tab Tab F2 Tab", dsBrowse, 1, kName, kStart},  // unchanged: no hook
        KeyCase{"Down Ins", dsInsert, 1, kName, "anna,1,true|,,|bert,2,false|carl,3,"},
        KeyCase{"Down Ins neu Down", dsBrowse, 2, kName, "anna,1,true|neu,,|bert,2,false|carl,3,"},
        // An unchanged inserted record is dropped; the cursor lands on the row shown.
        KeyCase{"Down Ins Up", dsBrowse, 0, kName, kStart},
        KeyCase{"Down Ins Down", dsBrowse, 1, kName, kStart},
        KeyCase{"^End Down Down", dsInsert, 3, kName, std::string(kStart) + "|,,"},
        KeyCase{"^End Down Down Up", dsBrowse, 2, kName, kStart},
        // Escape undoes the cell, then the record.
        KeyCase{"xaver Tab 9 Esc", dsEdit, 0, kN, "xaver,1,true|bert,2,false|carl,3,", "1"},
        KeyCase{"xaver Tab 9 Esc Esc", dsBrowse, 0, kN, kStart},
        KeyCase{"Tab x Esc Esc Down", dsBrowse, 1, kN, kStart},
        KeyCase{"Tab Tab BackTab Home BackTab", dsBrowse, 0, kName, kStart}));  // nothing before

// Text the field refuses stops a move by key or by the navigator, through
// the error display, and keeps the editor open.
TEST_F(DataAwareTest, RefusedTextStopsTheMove) {
    nav.SetDataSource(&source);
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
    EXPECT_EQ(grid.InplaceEditor()->text(), "a  b c");
    Press("Down");
    EXPECT_EQ(Rows(), "a  b c,1,true|bert,2,false|carl,3,");
}

TEST_F(DataAwareTest, GridFollowsClicksAndTheCursor) {
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
    int64_t lowest = kRecords;
    ds.Fields()[kN].OnGetText = [&](TField& f, AnsiString& text, bool) {
        ++calls;
        lowest = std::min(lowest, f.AsInteger());
        text = f.AsString();
    };
    source.SetDataSet(&ds);
    for (bool atEnd : {false, true}) {
        calls = 0;
        lowest = kRecords;
        if (atEnd) Press("^End");
        QPixmap pm(grid.viewport()->size());  // one repaint of the rows shown
        grid.viewport()->render(&pm);
        EXPECT_GT(calls, 0);
        EXPECT_LE(calls, 2 * (grid.VisibleRowCount() + 1));
    }
    EXPECT_EQ(ds.ViewPosition(), kRecords - 1);
    EXPECT_GE(lowest, kRecords - grid.VisibleRowCount() - 1);
    EXPECT_EQ(grid.TopRow(), kRecords - grid.VisibleRowCount());
}

TEST_F(DataAwareTest, DeletingAsksFirst) {
    nav.SetDataSource(&source);
    const struct {
        bool byGrid, yes;
        const char* left;
    } cases[] = {
        {true, false, kStart},
        {true, true, "anna,1,true|carl,3,"},
        {false, false, "anna,1,true|carl,3,"},
        {false, true, "anna,1,true"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.left);
        questions.clear();
        answer = c.yes;
        ds.First();
        ds.Next();
        c.byGrid ? Press("^Del") : nav.BtnClick(nbDelete);
        EXPECT_EQ(questions, QStringList{"Bestätigung / Datensatz löschen?"});
        EXPECT_EQ(Rows(), c.left);
    }
}

TEST_F(DataAwareTest, NavigatorButtonsFollowTheDataSetState) {
    EXPECT_EQ(Enabled(), "");  // no source
    ds.Close();
    nav.SetDataSource(&source);
    EXPECT_EQ(Enabled(), "");  // closed
    ds.Open();
    InstallHooks();
    const struct {
        const char* what;
        std::function<void()> act;
        const char* enabled;
    } cases[] = {
        {"at the first record", [&] { ds.First(); }, "NLIDER"},
        {"in the middle", [&] { ds.Next(); }, "FPNLIDER"},
        {"at the end", [&] { ds.Last(); }, "FPIDER"},
        {"editing", [&] { ds.Edit(); }, "FPIDpC"},
        {"inserting", [&] { ds.Insert(); }, "FPNLIDpC"},
        {"cancelled", [&] { ds.Cancel(); }, "FPNLIDER"},
        {"emptied",
         [&] {
             while (!ds.IsEmpty()) ds.Delete();
         },
         "IER"},
        {"detached", [&] { source.SetDataSet(nullptr); }, ""},
    };
    for (const auto& c : cases) {
        c.act();
        EXPECT_EQ(Enabled(), c.enabled) << c.what;
    }
}

TEST_F(DataAwareTest, NavigatorClicksDriveTheDataSet) {
    nav.SetDataSource(&source);
    Press("zz");  // Post takes the text typed into the grid
    nav.BtnClick(nbPost);
    EXPECT_EQ(ds.State(), dsBrowse);
    nav.BtnClick(nbLast);
    EXPECT_EQ(ds.ViewPosition(), 2);
    nav.BtnClick(nbPrior);
    EXPECT_EQ(ds.ViewPosition(), 1);
    nav.BtnClick(nbInsert);
    EXPECT_EQ(ds.State(), dsInsert);
    ds.Fields()[kName].SetAsString("neu");
    nav.BtnClick(nbPost);
    EXPECT_EQ(Rows(), "zz,1,true|neu,,|bert,2,false|carl,3,");

    nav.BtnClick(nbEdit);
    EXPECT_EQ(ds.State(), dsEdit);
    ds.Fields()[kName].SetAsString("weg");
    nav.BtnClick(nbCancel);
    EXPECT_EQ(ds.Fields()[kName].AsString(), "neu");

    nav.BtnClick(nbFirst);
    nav.BtnClick(nbPrior);  // disabled at the first record: nothing happens
    EXPECT_EQ(ds.ViewPosition(), 0);
    EXPECT_TRUE(errors.isEmpty());
}

TEST_F(DataAwareTest, NavigatorHintsReplaceTheDefaultsEntryByEntry) {
    auto tip = [&](TNavigateBtn b) { return nav.Button(b)->toolTip(); };
    EXPECT_EQ(tip(nbNext), "Nächster Datensatz");
    nav.SetHints({"", "Vorheriger Datensatz", "Next Record|Go to the next record"});
    EXPECT_EQ(tip(nbFirst), "Erster Datensatz");  // an empty entry keeps the default
    EXPECT_EQ(tip(nbNext), "Next Record");
    EXPECT_EQ(HintOf(nav.Button(nbNext)), "Next Record|Go to the next record");
    nav.SetVisibleButtons({nbFirst, nbPrior, nbNext, nbLast});
    nav.SetHint(9, "Refresh Data");  // a hidden button takes its hint all the same
    EXPECT_EQ(tip(nbRefresh), "Refresh Data");
    EXPECT_EQ(nav.Hints().size(), 10);
}

TEST_F(DataAwareTest, NavigatorVisibleButtonsShareTheWidth) {
    const struct {
        std::set<TNavigateBtn> visible;
        int width;
    } cases[] = {
        {{nbFirst, nbPrior, nbNext, nbLast, nbInsert, nbDelete, nbPost, nbCancel}, 232},
        {{nbFirst, nbLast, nbRefresh}, 100},
    };
    nav.show();
    for (const auto& c : cases) {
        SCOPED_TRACE(c.width);
        nav.SetVisibleButtons(c.visible);
        nav.resize(c.width, 24);
        int x = 0, minW = c.width, maxW = 0;
        for (int i = 0; i < TDBNavigator::ButtonCount; ++i) {
            QAbstractButton* button = nav.Button(static_cast<TNavigateBtn>(i));
            EXPECT_EQ(button->isVisible(), c.visible.count(static_cast<TNavigateBtn>(i)) > 0);
            if (!button->isVisible()) continue;
            EXPECT_EQ(button->x(), x) << i;  // in button order, side by side
            x += button->width();
            minW = std::min(minW, button->width());
            maxW = std::max(maxW, button->width());
        }
        EXPECT_EQ(x, c.width);
        EXPECT_LE(maxW - minW, 1);
    }
}

}  // namespace
