// The data source's subscriptions: to its dataset, and the update handlers
// of the controls that keep typed text.

#include <gtest/gtest.h>

#include <memory>

#include "platform/ui/data_source.h"
#include "tests/support/dataset_helpers.h"

namespace {

TEST(DataSourceSubscription, UpdateHandlersRunUntilTheirSubscriptionGoes) {
    TDataSource source;
    int grid = 0, other = 0;
    TSubscription a = source.AddUpdateHandler([&] { ++grid; });
    {
        const TSubscription b = source.AddUpdateHandler([&] { ++other; });
        source.UpdateRecord();
    }
    source.UpdateRecord();
    a.Reset();
    source.UpdateRecord();
    EXPECT_EQ(grid, 2);
    EXPECT_EQ(other, 1);

    // A control that outlives its source drops its subscription harmlessly.
    auto shortLived = std::make_unique<TDataSource>();
    a = shortLived->AddUpdateHandler([&] { ++grid; });
    shortLived.reset();
    a.Reset();
}

TEST(DataSourceSubscription, ForwardsTheDataSetsNoticesOnlyWhileAttached) {
    auto ds = MakeDataSet({{"Name", ftString}});
    AppendRows(*ds, {{"a"}, {"b"}});
    auto other = MakeDataSet({{"Name", ftString}});
    AppendRows(*other, {{"c"}});
    int events = 0;
    {
        TDataSource source;
        QObject::connect(&source, &TDataSource::dataEvent, [&](TDataEvent) { ++events; });
        source.SetDataSet(ds.get());
        ds->First();
        EXPECT_EQ(events, 1);
        source.SetDataSet(other.get());
        ds->Next();
        EXPECT_EQ(events, 1);
        other->First();
        EXPECT_EQ(events, 2);
    }
    other->Last();  // the source is gone: nothing reaches it
    EXPECT_EQ(events, 2);
}

}  // namespace
