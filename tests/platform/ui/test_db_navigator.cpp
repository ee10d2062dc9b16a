#include <QAbstractButton>
#include <QLineEdit>
#include <QTest>

#include "platform/ui/db_grid.h"
#include "platform/ui/db_navigator.h"
#include "tests/platform/ui/data_aware_fixture.h"

namespace {

class DBNavigatorTest : public DataAwareTest {
  protected:
    void TearDown() override {
        nav.SetDataSource(nullptr);
        DataAwareTest::TearDown();
    }

    // The enabled buttons as a string of their initials, in button order:
    // F(irst) P(rior) N(ext) L(ast) I(nsert) D(elete) E(dit) p(ost) C(ancel) R(efresh).
    std::string Enabled() const {
        static const char letters[] = "FPNLIDEpCR";
        std::string out;
        for (int i = 0; i < TDBNavigator::ButtonCount; ++i)
            if (nav.Button(static_cast<TNavigateBtn>(i))->isEnabled()) out += letters[i];
        return out;
    }

    TDBNavigator nav;
};

TEST_F(DBNavigatorTest, ButtonsFollowTheDataSetState) {
    EXPECT_EQ(Enabled(), "");  // no source
    MakeTable({{"anna", 1, "true"}, {"bert", 2, "false"}, {"carl", 3, ""}});
    ds.Close();
    nav.SetDataSource(&source);
    EXPECT_EQ(Enabled(), "");  // closed
    ds.Open();
    InstallHooks();

    struct Case {
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
    for (const Case& c : cases) {
        c.act();
        EXPECT_EQ(Enabled(), c.enabled) << c.what;
    }
}

TEST_F(DBNavigatorTest, ClicksDriveTheDataSet) {
    MakeTable({{"anna", 1, "true"}, {"bert", 2, "false"}, {"carl", 3, ""}});
    nav.SetDataSource(&source);
    nav.BtnClick(nbLast);
    EXPECT_EQ(ds.ViewPosition(), 2);
    nav.BtnClick(nbPrior);
    EXPECT_EQ(ds.ViewPosition(), 1);
    nav.BtnClick(nbInsert);
    EXPECT_EQ(ds.State(), dsInsert);
    ds.Fields()[0].SetAsString("neu");
    nav.BtnClick(nbPost);
    EXPECT_EQ(Values(0), (std::vector<std::string>{"anna", "neu", "bert", "carl"}));

    nav.BtnClick(nbEdit);
    EXPECT_EQ(ds.State(), dsEdit);
    ds.Fields()[0].SetAsString("weg");
    nav.BtnClick(nbCancel);
    EXPECT_EQ(ds.Fields()[0].AsString(), "neu");

    answer = false;
    nav.BtnClick(nbDelete);
    EXPECT_EQ(questions, QStringList{"Bestätigung / Datensatz löschen?"});
    EXPECT_EQ(ds.RecordCount(), 4);
    answer = true;
    nav.BtnClick(nbDelete);
    EXPECT_EQ(Values(0), (std::vector<std::string>{"anna", "bert", "carl"}));

    nav.BtnClick(nbFirst);
    nav.BtnClick(nbPrior);  // disabled at the first record: nothing happens
    EXPECT_EQ(ds.ViewPosition(), 0);
    EXPECT_TRUE(errors.isEmpty());
}

TEST_F(DBNavigatorTest, PostTakesTheTextTypedIntoTheGrid) {
    MakeTable({{"anna", 1, "true"}, {"bert", 2, "false"}});
    nav.SetDataSource(&source);
    TDBGrid grid;
    grid.SetDataSource(&source);
    grid.resize(300, 200);
    grid.show();
    QTest::keyClick(&grid, 'z');
    QTest::keyClick(grid.InplaceEditor(), 'z');
    nav.BtnClick(nbPost);
    EXPECT_EQ(ds.State(), dsBrowse);
    EXPECT_EQ(Values(0), (std::vector<std::string>{"zz", "bert"}));

    // Text the field refuses stops the move, through the error display.
    grid.SetCol(1);
    QTest::keyClick(&grid, 'q');
    nav.BtnClick(nbNext);
    EXPECT_EQ(errors.size(), 1);
    EXPECT_EQ(ds.ViewPosition(), 0);
    EXPECT_EQ(ds.State(), dsEdit);
    grid.SetDataSource(nullptr);
}

TEST_F(DBNavigatorTest, HintsReplaceTheDefaultsEntryByEntry) {
    EXPECT_EQ(nav.Button(nbFirst)->toolTip(), "Erster Datensatz");
    EXPECT_EQ(nav.Button(nbNext)->toolTip(), "Nächster Datensatz");

    nav.SetHints({"", "Vorheriger Datensatz", "Next Record|Go to the next record"});
    EXPECT_EQ(nav.Button(nbFirst)->toolTip(), "Erster Datensatz");
    EXPECT_EQ(nav.Button(nbNext)->toolTip(), "Next Record");
    EXPECT_EQ(HintOf(nav.Button(nbNext)), "Next Record|Go to the next record");
    EXPECT_EQ(nav.Button(nbLast)->toolTip(), "Letzter Datensatz");

    nav.SetVisibleButtons({nbFirst, nbPrior, nbNext, nbLast});
    nav.SetHint(9, "Refresh Data");  // a hidden button takes its hint all the same
    nav.SetHint(0, "First Record");
    EXPECT_EQ(nav.Button(nbRefresh)->toolTip(), "Refresh Data");
    EXPECT_EQ(nav.Button(nbFirst)->toolTip(), "First Record");
    ASSERT_EQ(nav.Hints().size(), 10);
    EXPECT_EQ(nav.Hints()[2], "Next Record|Go to the next record");
    EXPECT_EQ(nav.Hints()[5], "");
}

TEST_F(DBNavigatorTest, VisibleButtonsShareTheWidth) {
    struct Case {
        std::set<TNavigateBtn> visible;
        int width;
    } cases[] = {
        {{nbFirst, nbPrior, nbNext, nbLast, nbInsert, nbDelete, nbPost, nbCancel}, 232},
        {{nbFirst, nbLast, nbRefresh}, 100},
    };
    nav.show();
    for (const Case& c : cases) {
        SCOPED_TRACE(c.width);
        nav.SetVisibleButtons(c.visible);
        nav.resize(c.width, 24);
        int x = 0;
        int minW = c.width, maxW = 0;
        for (int i = 0; i < TDBNavigator::ButtonCount; ++i) {
            auto b = static_cast<TNavigateBtn>(i);
            QAbstractButton* button = nav.Button(b);
            EXPECT_EQ(button->isVisible(), c.visible.count(b) > 0) << i;
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
