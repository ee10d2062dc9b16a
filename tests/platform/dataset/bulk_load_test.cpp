#include <gtest/gtest.h>

#include <random>

#include "platform/core/exceptions.h"
#include "tests/support/dataset_helpers.h"

namespace {

const std::vector<FieldDecl> kFields = {
    {"Name", ftString, 5}, {"Amount", ftFloat}, {"Paid", ftBoolean}, {"Count", ftInteger}};

// One value to store: kind 'n' null, 't' text, 'f' number, 'b' truth value, 'i' integer.
struct Value {
    char kind;
    std::string text;
    double number = 0;
};

using Record = std::vector<Value>;

const std::vector<Record> kRecords = {
    {{'t', "short"}, {'f', "", 1.5}, {'b', "", 1}, {'i', "", 7}},
    {{'t', "far too long"}, {'n', ""}, {'b', "", 0}, {'n', ""}},
    {{'t', ""}, {'f', "", -2}, {'n', ""}, {'i', "", -3}},
    {{'n', ""}, {'n', ""}, {'n', ""}, {'n', ""}},
    // Values of another kind than the column's are converted.
    {{'f', "", 2.5}, {'i', "", 4}, {'t', "wahr"}, {'t', "12"}},
    {{'b', "", 1}, {'b', "", 1}, {'f', "", 0}, {'f', "", 2.6}},
    {{'t', "ab"}, {'t', ""}, {'i', "", 3}, {'b', "", 1}},
};

void SetOld(TField& f, const Value& v) {
    switch (v.kind) {
        case 'n':
            f.Clear();
            break;
        case 't':
            f.SetAsString(v.text);
            break;
        case 'f':
            f.SetAsFloat(v.number);
            break;
        case 'b':
            f.SetAsBoolean(v.number != 0);
            break;
        case 'i':
            f.SetAsInteger(static_cast<int64_t>(v.number));
            break;
    }
}

void SetBulk(TBulkLoader& loader, int field, const Value& v) {
    switch (v.kind) {
        case 'n':
            loader.SetNull(field);
            break;
        case 't':
            loader.SetText(field, v.text);
            break;
        case 'f':
            loader.SetFloat(field, v.number);
            break;
        case 'b':
            loader.SetBoolean(field, v.number != 0);
            break;
        case 'i':
            loader.SetInteger(field, static_cast<int64_t>(v.number));
            break;
    }
}

// Everything a reader of the dataset can see: state, cursor and the view.
std::string Snapshot(TClientDataSet& ds) {
    std::string s = std::to_string(ds.State()) + " rec " + std::to_string(ds.RecNo()) + " of " +
                    std::to_string(ds.RecordCount()) + (ds.Bof() ? " bof" : "") +
                    (ds.Eof() ? " eof" : "") + (ds.Modified() ? " modified" : "") + "\n";
    for (int k = 0; k < ds.ViewCount(); ++k) {
        for (int j = 0; j < ds.Fields().Count(); ++j) {
            s += ds.ViewIsNull(k, j) ? std::string("~") : ds.ViewDisplayText(k, j);
            s += '|';
        }
        s += '\n';
    }
    return s;
}

TEST(BulkLoaderTest, SameRecordsAndStateAsAppendAndPost) {
    for (const char* index : {"", "ByName", "ByCountDesc"}) {
        for (const bool hadRecords : {false, true}) {
            SCOPED_TRACE(std::string(index) + (hadRecords ? " after records" : ""));
            auto old = MakeDataSet(kFields);
            auto bulk = MakeDataSet(kFields);
            for (TClientDataSet* ds : {old.get(), bulk.get()}) {
                ds->AddIndex("ByName", "Name", {});
                ds->AddIndex("ByCountDesc", "Count", {ixDescending});
                ds->SetIndexName(index);
                if (hadRecords) AppendRows(*ds, {{"zz", "1", "", "5"}, {"a", "", "Wahr", "9"}});
                ds->First();
            }
            for (const Record& r : kRecords) {
                old->Append();
                for (size_t j = 0; j < r.size(); ++j)
                    SetOld(old->Fields()[static_cast<int>(j)], r[j]);
                old->Post();
            }
            int notices = 0;
            const TSubscription sub = bulk->AddListener([&](TDataEvent) { ++notices; });
            {
                TBulkLoader loader(*bulk, kRecords.size());
                loader.ReserveText(0, 100);
                for (const Record& r : kRecords) {
                    loader.AddRecord();
                    for (size_t j = 0; j < r.size(); ++j)
                        SetBulk(loader, static_cast<int>(j), r[j]);
                }
                EXPECT_EQ(notices, 0);
                loader.Finish();
                loader.Finish();
            }
            EXPECT_EQ(notices, 1);
            EXPECT_EQ(Snapshot(*bulk), Snapshot(*old));
            EXPECT_EQ(bulk->Fields()[0].AsString(), old->Fields()[0].AsString());
            // Reopened, both show the records the same way.
            old->Close();
            bulk->Close();
            old->Open();
            bulk->Open();
            EXPECT_EQ(Snapshot(*bulk), Snapshot(*old));
        }
    }
}

TEST(BulkLoaderTest, RefusalsAndUnfinishedLoads) {
    auto ds = MakeDataSet(kFields);
    ds->SetName("cdsQMT1");
    {
        TBulkLoader loader(*ds);
        EXPECT_EQ(MessageOf<EDatabaseError>([&] { loader.SetText(0, "x"); }),
                  "cdsQMT1: Datenmenge befindet sich nicht im Editier- oder Einfügemodus");
        loader.AddRecord();
        EXPECT_THROW(loader.SetText(4, "x"), EListError);
        EXPECT_THROW(loader.SetText(-1, "x"), EListError);
        loader.SetInteger(3, 5);
        EXPECT_THROW(loader.SetText(3, "x"), EConvertError);  // the value stays
        EXPECT_THROW(loader.SetText(2, "vielleicht"), EConvertError);
        loader.SetText(0, "first");
        loader.SetText(0, "2nd");
        loader.AddRecord();
        loader.SetText(0, "last");
        // Destroyed without Finish: the records stay, the last one current.
    }
    EXPECT_EQ(ds->RecordCount(), 2);
    EXPECT_EQ(ds->RecNo(), 2);
    EXPECT_EQ(Column(*ds, "Name"), (Texts{"2nd", "last"}));
    EXPECT_EQ(Column(*ds, "Count"), (Texts{"5", "~"}));
    EXPECT_EQ(Column(*ds, "Paid"), (Texts{"~", "~"}));

    // A pending edit is ended first; a closed dataset is refused.
    ds->Edit();
    ds->Fields()[0].SetAsString("edit");
    TBulkLoader(*ds).Finish();
    EXPECT_EQ(ds->State(), dsBrowse);
    EXPECT_EQ(Column(*ds, "Name"), (Texts{"2nd", "edit"}));
    ds->Close();
    EXPECT_THROW(TBulkLoader loader(*ds), EDatabaseError);
}

TEST(BulkLoaderTest, UncheckedSettersStoreWhatTheSettersStore) {
    auto checked = MakeDataSet(kFields);
    auto unchecked = MakeDataSet(kFields);
    {
        TBulkLoader a(*checked, 3);
        TBulkLoader b(*unchecked, 3);
        EXPECT_TRUE(b.Keeps(0, ftString));
        EXPECT_TRUE(b.Keeps(1, ftFloat));
        EXPECT_TRUE(b.Keeps(2, ftBoolean));
        EXPECT_FALSE(b.Keeps(0, ftFloat));
        EXPECT_FALSE(b.Keeps(3, ftFloat));  // an integer column
        EXPECT_FALSE(b.Keeps(4, ftString));
        EXPECT_FALSE(b.Keeps(-1, ftString));
        // Texts longer than the field are cut, an emptied text stays a text.
        const char* texts[] = {"far too long", "", "abc"};
        for (int r = 0; r < 3; ++r) {
            a.AddRecord();
            b.AddRecord();
            a.SetText(0, texts[r]);
            b.PutText(0, texts[r]);
            a.SetFloat(1, r - 0.5);
            b.PutFloat(1, r - 0.5);
            a.SetBoolean(2, r == 1);
            b.PutBoolean(2, r == 1);
        }
    }
    EXPECT_EQ(Snapshot(*unchecked), Snapshot(*checked));
}

TEST(ViewValueTest, StoredValuesInViewOrder) {
    auto ds = MakeDataSet(kFields);
    AppendRows(*ds, {{"b", "15", "Wahr", "3"}, {"a", "~", "Falsch", "~"}, {"c", "-2", "~", "7"}});
    ds->AddIndex("ByName", "Name", {});
    ds->SetIndexName("ByName");
    const Texts names{"a", "b", "c"};
    for (int k = 0; k < 3; ++k) {
        EXPECT_EQ(ds->ViewText(k, 0), names[k]);
        ds->SetRecNo(k + 1);
        for (int j = 0; j < 4; ++j) {
            TField& f = ds->Fields()[j];
            SCOPED_TRACE(k * 10 + j);
            EXPECT_EQ(ds->ViewIsNull(k, j), f.IsNull());
            EXPECT_EQ(std::string(ds->ViewText(k, j)), f.AsString());
            if (j != 0) {
                EXPECT_EQ(ds->ViewFloat(k, j), f.AsFloat());
                EXPECT_EQ(ds->ViewInteger(k, j), f.AsInteger());
                EXPECT_EQ(ds->ViewBoolean(k, j), f.AsBoolean());
            }
        }
    }
    EXPECT_THROW(ds->ViewFloat(0, 0), EConvertError);  // "a" is no number
    EXPECT_THROW(ds->ViewIsNull(3, 0), EListError);
    EXPECT_THROW(ds->ViewIsNull(0, 4), EListError);

    // An edit in progress and an inserted record are not seen.
    ds->First();
    ds->Edit();
    ds->Fields()[0].SetAsString("x");
    EXPECT_EQ(ds->ViewText(0, 0), "a");
    ds->Cancel();
    ds->Append();
    EXPECT_EQ(ds->ViewCount(), 4);
    EXPECT_THROW(ds->ViewText(3, 0), EListError);
    ds->Cancel();
    ds->Close();
    EXPECT_THROW(ds->ViewText(0, 0), EDatabaseError);
}

TEST(ViewValueTest, ColumnReadsAgreeWithTheViewReaders) {
    using TKind = TClientDataSet::TViewColumn::TKind;
    auto ds = MakeDataSet(kFields);
    AppendRows(*ds, {{"b", "15", "Wahr", "3"},
                     {"a", "~", "Falsch", "~"},
                     {"c", "-2.5", "~", "7"},
                     {"~", "0", "Wahr", "-9"}});
    // A text edited to a longer one moves in its arena; in order and by an index.
    ds->First();
    ds->Edit();
    ds->Fields()[0].SetAsString("bbbb");
    ds->Post();
    ds->AddIndex("ByCountDesc", "Count", {ixDescending});
    for (const char* index : {"", "ByCountDesc"}) {
        ds->SetIndexName(index);
        SCOPED_TRACE(index);
        const TKind kinds[] = {TKind::Text, TKind::Float, TKind::Boolean, TKind::Integer};
        for (int j = 0; j < 4; ++j) {
            const TClientDataSet::TViewColumn column = ds->ViewColumn(j);
            ASSERT_EQ(column.kind, kinds[j]);
            for (int k = 0; k < ds->RecordCount(); ++k) {
                SCOPED_TRACE(k * 10 + j);
                ASSERT_EQ(column.IsNull(k), ds->ViewIsNull(k, j));
                if (column.IsNull(k)) continue;
                switch (column.kind) {
                    case TKind::Text:
                        EXPECT_EQ(column.Text(k), ds->ViewText(k, j));
                        break;
                    case TKind::Float:
                        EXPECT_EQ(column.Float(k), ds->ViewFloat(k, j));
                        break;
                    case TKind::Boolean:
                        EXPECT_EQ(column.Boolean(k), ds->ViewBoolean(k, j));
                        break;
                    case TKind::Integer:
                        EXPECT_EQ(column.Integer(k), ds->ViewInteger(k, j));
                        break;
                }
            }
        }
    }
    EXPECT_THROW(ds->ViewColumn(4), EListError);
    EXPECT_THROW(ds->ViewColumn(-1), EListError);
    ds->Close();
    EXPECT_THROW(ds->ViewColumn(0), EDatabaseError);
}

TEST(EditBufferTest, UnwrittenColumnsReadAndKeepTheStoredValues) {
    auto ds = MakeDataSet(kFields);
    AppendRows(*ds, {{"a", "1", "Wahr", "3"}, {"b", "~", "Falsch", "4"}});
    int recordChanges = 0;
    const TSubscription sub =
        ds->AddListener([&](TDataEvent e) { recordChanges += e == TDataEvent::RecordChange; });
    ds->Last();
    ds->Edit();
    EXPECT_FALSE(ds->Modified());
    EXPECT_EQ(ds->Fields()[0].AsString(), "b");
    EXPECT_EQ(ds->ViewDisplayText(1, 3), "4");
    EXPECT_THROW(ds->Fields()[3].SetAsString("x"), EConvertError);
    EXPECT_FALSE(ds->Modified());
    EXPECT_EQ(ds->Fields()[3].AsString(), "4");
    ds->Fields()[3].SetAsInteger(5);
    ds->Fields()[3].SetAsInteger(6);
    ds->Fields()[0].Clear();
    EXPECT_TRUE(ds->Modified());
    EXPECT_EQ(recordChanges, 3);
    EXPECT_EQ(ds->ViewDisplayText(1, 3), "6");
    EXPECT_EQ(ds->ViewDisplayText(0, 3), "3");
    EXPECT_EQ(ds->Fields()[2].AsString(), "Falsch");
    ds->Post();
    EXPECT_EQ(Column(*ds, "Name"), (Texts{"a", "~"}));
    EXPECT_EQ(Column(*ds, "Count"), (Texts{"3", "6"}));
    EXPECT_EQ(Column(*ds, "Paid"), (Texts{"Wahr", "Falsch"}));

    // Cancel keeps the stored values; the next edit starts from them.
    ds->First();
    ds->Edit();
    ds->Fields()[0].SetAsString("zz");
    ds->Cancel();
    ds->Edit();
    EXPECT_EQ(ds->Fields()[0].AsString(), "a");
    ds->Fields()[1].SetAsFloat(2);
    ds->Post();
    EXPECT_EQ(Column(*ds, "Name"), (Texts{"a", "~"}));
    EXPECT_EQ(Column(*ds, "Amount"), (Texts{"2", "~"}));

    // An insertion after an edit starts from nulls.
    ds->Append();
    for (int j = 0; j < 4; ++j) EXPECT_TRUE(ds->Fields()[j].IsNull());
    ds->Fields()[2].SetAsBoolean(true);
    ds->Post();
    EXPECT_EQ(Column(*ds, "Paid"), (Texts{"Wahr", "Falsch", "Wahr"}));
    EXPECT_EQ(Column(*ds, "Name"), (Texts{"a", "~", "~"}));
}

// Building an index at once must give the order that posting the records one
// by one into the selected index gives (that path compares whole records).
TEST(IndexBuildTest, AgreesWithPlacingRecordByRecord) {
    const char* texts[] = {"M\xfcnchen",
                           "m\xfcnchen",
                           "M\xdcNCHEN",
                           "Munchen",
                           "",
                           "abcdefghijklmnopX",
                           "ABCDEFGHIJKLMNOPx",
                           "abcdefghijklmnop",
                           "abcdefghijklmnopx",
                           "~",
                           "K\xf6ln",
                           "koln"};
    std::mt19937 rng(7);
    std::vector<Texts> rows;
    for (int i = 0; i < 600; ++i) {
        const int t = static_cast<int>(rng() % 12);
        // Long runs of one text, as a city column has them.
        rows.push_back({texts[i % 3 == 0 ? t : 0], std::to_string(rng() % 4),
                        rng() % 5 == 0 ? "~" : std::to_string(rng() % 3)});
    }
    const struct {
        const char* fields;
        TIndexOptions options;
        const char* desc;
        const char* caseIns;
    } cases[] = {{"Name", {}, "", ""},
                 {"Name", {ixDescending}, "", ""},
                 {"Name", {}, "", "Name"},
                 {"Name;Count", {}, "Count", ""},
                 {"Name;Amount;Count", {}, "Name", "Name"},
                 {"Count;Name", {}, "", ""},
                 {"Amount;Count", {ixDescending}, "", ""}};
    for (const auto& c : cases) {
        SCOPED_TRACE(std::string(c.fields) + " " + c.desc + " " + c.caseIns);
        auto placed =
            MakeDataSet({{"Name", ftString, 30}, {"Count", ftInteger}, {"Amount", ftFloat}});
        auto built =
            MakeDataSet({{"Name", ftString, 30}, {"Count", ftInteger}, {"Amount", ftFloat}});
        for (TClientDataSet* ds : {placed.get(), built.get()})
            ds->AddIndex("I", c.fields, c.options, c.desc, c.caseIns);
        placed->SetIndexName("I");
        AppendRows(*placed, rows);
        AppendRows(*built, rows);
        built->SetIndexName("I");
        EXPECT_EQ(Snapshot(*built).substr(Snapshot(*built).find('\n')),
                  Snapshot(*placed).substr(Snapshot(*placed).find('\n')));
    }
}

}  // namespace

namespace {

const std::vector<FieldDecl> kTakenFields = {
    {"Name", ftString, 4}, {"Amount", ftFloat}, {"Paid", ftBoolean}};

// Three records: ("ab", 1.5, true), (null, null, null), ("longer", -2, false).
std::vector<TColumnValues> ThreeRecords() {
    std::vector<TColumnValues> columns(3);
    TColumnValues& name = columns[0];
    name.texts = "ablonger";
    name.nulls = {0, 1, 0};
    name.offsets = {0, 0, 2};
    name.lengths = {2, 0, 6};
    columns[1].nulls = {0, 1, 0};
    columns[1].floats = {1.5, 0, -2};
    columns[2].nulls = {0, 1, 0};
    columns[2].bools = {1, 0, 0};
    return columns;
}

TEST(BulkLoaderTest, TakenColumnsGiveWhatTheSettersGive) {
    for (const char* index : {"", "ByName"}) {
        SCOPED_TRACE(index);
        auto set = MakeDataSet(kTakenFields);
        auto taken = MakeDataSet(kTakenFields);
        for (TClientDataSet* ds : {set.get(), taken.get()}) {
            ds->AddIndex("ByName", "Name", {});
            ds->SetIndexName(index);
        }
        {
            TBulkLoader loader(*set, 3);
            loader.AddRecord();
            loader.SetText(0, "ab");
            loader.SetFloat(1, 1.5);
            loader.SetBoolean(2, true);
            loader.AddRecord();
            loader.AddRecord();
            loader.SetText(0, "longer");  // cut to the field's size
            loader.SetFloat(1, -2);
            loader.SetBoolean(2, false);
        }
        int notices = 0;
        const TSubscription sub = taken->AddListener([&](TDataEvent) { ++notices; });
        {
            TBulkLoader loader(*taken);
            std::vector<TColumnValues> columns = ThreeRecords();
            loader.TakeColumns(columns, 3);
            EXPECT_EQ(notices, 0);
        }
        EXPECT_EQ(notices, 1);
        EXPECT_EQ(Snapshot(*taken), Snapshot(*set));
        // The records take edits as any others do.
        taken->First();
        taken->Edit();
        taken->Fields()[0].SetAsString("zzz");
        taken->Post();
        taken->Append();
        taken->Fields()[0].SetAsString("c");
        taken->Post();
        EXPECT_EQ(taken->RecordCount(), 4);
    }
}

TEST(BulkLoaderTest, ColumnsThatDoNotFitAreRefusedAndNothingChanges) {
    const struct {
        const char* what;
        void (*spoil)(std::vector<TColumnValues>&);
    } cases[] = {
        {"a column too few", [](std::vector<TColumnValues>& c) { c.pop_back(); }},
        {"nulls too short", [](std::vector<TColumnValues>& c) { c[1].nulls.pop_back(); }},
        {"values too short", [](std::vector<TColumnValues>& c) { c[1].floats.pop_back(); }},
        {"truth values too long", [](std::vector<TColumnValues>& c) { c[2].bools.push_back(0); }},
        {"lengths too short", [](std::vector<TColumnValues>& c) { c[0].lengths.pop_back(); }},
        {"a text past the end", [](std::vector<TColumnValues>& c) { c[0].lengths[2] = 7; }},
        {"an offset past the end", [](std::vector<TColumnValues>& c) { c[0].offsets[2] = 9; }},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        auto ds = MakeDataSet(kTakenFields);
        std::vector<TColumnValues> columns = ThreeRecords();
        c.spoil(columns);
        TBulkLoader loader(*ds);
        EXPECT_EQ(MessageOf<EDatabaseError>([&] { loader.TakeColumns(columns, 3); }),
                  "cdsQMT1: Invalid parameter.");
        loader.Finish();
        EXPECT_EQ(ds->RecordCount(), 0);
    }
    // Only into a dataset without records, and before any record is added.
    auto ds = MakeDataSet(kTakenFields);
    AppendRows(*ds, {{"x", "1", "true"}});
    {
        TBulkLoader loader(*ds);
        std::vector<TColumnValues> columns = ThreeRecords();
        EXPECT_THROW(loader.TakeColumns(columns, 3), EDatabaseError);
    }
    EXPECT_EQ(ds->RecordCount(), 1);
    auto empty = MakeDataSet(kTakenFields);
    TBulkLoader loader(*empty);
    loader.AddRecord();
    std::vector<TColumnValues> columns = ThreeRecords();
    EXPECT_THROW(loader.TakeColumns(columns, 3), EDatabaseError);
}

}  // namespace
