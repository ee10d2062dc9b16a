// The sort index steps of the sort box and the direction buttons, without a window.
#include <gtest/gtest.h>

#include "editor/sort_index.h"
#include "tests/support/dataset_helpers.h"

namespace {

std::unique_ptr<TClientDataSet> Fruit() {
    auto ds = MakeDataSet({{"Name", ftString}, {"Qty", ftFloat}});
    DecimalMark mark('.');
    AppendRows(*ds, {{"pear", "3"}, {"apple", "12"}, {"fig", "-1"}, {"date", "7.5"}});
    return ds;
}

Texts Indexes(TClientDataSet& ds) {
    Texts names;
    for (int i = 0; i < ds.IndexDefs().Count(); ++i) names.push_back(ds.IndexDefs()[i].Name);
    return names;
}

const Texts kNatural{"pear", "apple", "fig", "date"};

}  // namespace

TEST(SortIndexTest, AChosenColumnReplacesTheSortAscending) {
    auto ds = Fruit();
    EXPECT_EQ(SortIndexName("Qty"), "QtyIndex");
    SortByColumn(*ds, "Name");
    RebuildSortIndex(*ds, "Name", true);
    SortByColumn(*ds, "Qty");  // from a descending sort by another column
    EXPECT_EQ(ds->IndexName(), "QtyIndex");
    EXPECT_EQ(Indexes(*ds), Texts{"QtyIndex"});
    EXPECT_EQ(Column(*ds, "Name"), (Texts{"fig", "pear", "date", "apple"}));
    SortByColumn(*ds, "Qty");  // the same column again: built afresh
    EXPECT_EQ(Indexes(*ds), Texts{"QtyIndex"});
}

TEST(SortIndexTest, DirectionRebuildsTheIndexEachTime) {
    auto ds = Fruit();
    SortByColumn(*ds, "Qty");
    for (bool descending : {true, true, false, false}) {
        RebuildSortIndex(*ds, "Qty", descending);
        EXPECT_EQ(ds->IndexName(), "QtyIndex");
        EXPECT_EQ(Indexes(*ds), Texts{"QtyIndex"});
        EXPECT_EQ(ds->IndexDefs()[0].Options.Contains(ixDescending), descending);
        EXPECT_EQ(Column(*ds, "Name"), descending ? (Texts{"apple", "date", "pear", "fig"})
                                                  : (Texts{"fig", "pear", "date", "apple"}));
    }
}

TEST(SortIndexTest, DroppingTheSortReturnsToNaturalOrder) {
    auto ds = Fruit();
    DropSortIndex(*ds);  // nothing sorted: nothing happens
    EXPECT_EQ(ds->IndexName(), "");
    SortByColumn(*ds, "Name");
    DropSortIndex(*ds);
    EXPECT_EQ(ds->IndexName(), "");
    EXPECT_TRUE(Indexes(*ds).empty());
    EXPECT_EQ(Column(*ds, "Name"), kNatural);
}

TEST(SortIndexTest, AnEditInProgressIsStoredBeforeTheSort) {
    auto ds = Fruit();
    ds->First();
    ds->Edit();
    ds->FieldByName("Qty").SetAsFloat(100);
    SortByColumn(*ds, "Qty");
    EXPECT_EQ(ds->State(), dsBrowse);
    EXPECT_EQ(Column(*ds, "Name"), (Texts{"fig", "date", "apple", "pear"}));
}

TEST(SortIndexTest, FailuresKeepTheStepsAlreadyDone) {
    const std::string closed = std::string("cdsQMT1: ") + Msg::DataSetClosed;
    auto ds = Fruit();
    ds->Close();
    EXPECT_EQ(MessageOf([&] { SortByColumn(*ds, "Qty"); }), closed);
    EXPECT_EQ(MessageOf([&] { RebuildSortIndex(*ds, "Qty", true); }), closed);

    // A column that the table lacks: the old sort is gone, the view natural.
    ds->Open();
    SortByColumn(*ds, "Qty");
    EXPECT_EQ(MessageOf([&] { SortByColumn(*ds, "Gone"); }),
              "cdsQMT1: " + FormatMessage(Msg::FieldNotFound, {"Gone"}));
    EXPECT_EQ(ds->IndexName(), "");
    EXPECT_TRUE(Indexes(*ds).empty());
    EXPECT_EQ(Column(*ds, "Name"), kNatural);
    // A direction click without the column's index.
    EXPECT_EQ(MessageOf([&] { RebuildSortIndex(*ds, "Qty", false); }),
              "cdsQMT1: " + FormatMessage(Msg::IndexNotFound, {"QtyIndex"}));
}
