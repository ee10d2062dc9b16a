#include <gtest/gtest.h>

#include <random>

#include "dataset_test_util.h"
#include "platform/core/ansi.h"

namespace {

std::unique_ptr<TClientDataSet> SampleTable() {
    auto ds = MakeDataSet(
        {{"Id", ftInteger}, {"Name", ftString}, {"Amount", ftFloat}, {"Flag", ftBoolean}});
    DecimalMark mark('.');
    AppendRows(*ds, {{"1", "b", "2.5", "true"},
                     {"2", "~", "~", "~"},
                     {"3", "\xC4pfel", "-1", "false"},
                     {"4", "apfel", "10", "true"},
                     {"5", "B", "2.5", "~"},
                     {"6", "\xE4pfel", "0", "false"},
                     {"7", "Apfel", "-1", "true"},
                     {"8", "~", "3", "false"},
                     {"9", "b", "~", "true"}});
    return ds;
}

TEST(IndexOrderTest, EachKindBothWays) {
    struct Case {
        const char* field;
        bool descending;
        Texts ids;
    };
    const std::vector<Case> cases = {
        {"Name", false, {"2", "8", "7", "4", "3", "6", "5", "1", "9"}},
        {"Name", true, {"1", "9", "5", "6", "3", "4", "7", "2", "8"}},
        {"Amount", false, {"2", "9", "3", "7", "6", "1", "5", "8", "4"}},
        {"Amount", true, {"4", "8", "1", "5", "6", "3", "7", "2", "9"}},
        {"Flag", false, {"2", "5", "3", "6", "8", "1", "4", "7", "9"}},
        {"Flag", true, {"1", "4", "7", "9", "3", "6", "8", "2", "5"}},
        {"Id", true, {"9", "8", "7", "6", "5", "4", "3", "2", "1"}}};
    for (const auto& c : cases) {
        SCOPED_TRACE(std::string(c.field) + (c.descending ? " descending" : " ascending"));
        auto ds = SampleTable();
        const std::string name = std::string(c.field) + "Index";
        ds->AddIndex(name, c.field, c.descending ? TIndexOptions{ixDescending} : TIndexOptions{});
        EXPECT_EQ(ds->IndexName(), "");  // adding does not select
        ds->SetIndexName(name);
        EXPECT_EQ(Column(*ds, "Id"), c.ids);
        ds->SetIndexName("");
        EXPECT_EQ(Column(*ds, "Id"), (Texts{"1", "2", "3", "4", "5", "6", "7", "8", "9"}));
    }
}

TEST(IndexOrderTest, TextCollation) {
    const std::vector<std::pair<Texts, Texts>> cases = {
        {{"b", "A", "a", "B"}, {"A", "a", "B", "b"}},
        {{"Äb", "Ab", "ab", "äa"}, {"äa", "Ab", "ab", "Äb"}},
        {{"a", "_", "1"}, {"_", "1", "a"}},
        {{"ab", "a", ""}, {"", "a", "ab"}},
        {{"zebra", "Éclair", "Zebra", "eclair"}, {"eclair", "Éclair", "Zebra", "zebra"}},
        {{"Straße", "Strasse", "Strase"}, {"Strase", "Straße", "Strasse"}},
        {{"aaaaaaaaab", "aaaaaaaaaB", "aaaaaaaaa"}, {"aaaaaaaaa", "aaaaaaaaaB", "aaaaaaaaab"}}};
    for (const auto& [input, expected] : cases) {
        auto ds = MakeDataSet({{"T", ftString}});
        for (const auto& text : input) AppendRows(*ds, {{Utf8ToAnsi(text)}});
        ds->AddIndex("ix", "T", {});
        ds->SetIndexName("ix");
        Texts got;
        for (const auto& text : Column(*ds, "T")) got.push_back(AnsiToUtf8(text));
        EXPECT_EQ(got, expected);
    }
}

TEST(IndexOrderTest, SeveralFieldsWithTheirOwnDirections) {
    auto ds = SampleTable();
    ds->AddIndex("ix", " Flag ; Name", {}, "Name");
    ds->SetIndexName("ix");
    EXPECT_EQ(Column(*ds, "Id"), (Texts{"5", "2", "6", "3", "8", "1", "9", "4", "7"}));
    ds->AddIndex("ci", "Name", {}, "", "Name");  // case-insensitive: Apfel and apfel tie
    ds->SetIndexName("ci");
    EXPECT_EQ(Column(*ds, "Id"), (Texts{"2", "8", "4", "7", "3", "6", "1", "5", "9"}));
}

TEST(IndexTest, CursorFollowsTheRecord) {
    auto ds = SampleTable();
    ds->AddIndex("ix", "Amount", {ixDescending});
    ds->SetRecNo(4);  // Id 4
    ds->SetIndexName("ix");
    EXPECT_EQ(ds->FieldByName("Id").AsString(), "4");
    EXPECT_EQ(ds->RecNo(), 1);
    ds->SetIndexName("ix");  // the same name: nothing moves
    EXPECT_EQ(ds->RecNo(), 1);
    ds->Next();
    ds->SetIndexName("");
    EXPECT_EQ(ds->FieldByName("Id").AsString(), "8");
    EXPECT_EQ(ds->RecNo(), 8);
}

TEST(IndexTest, PostedRecordsMoveToTheirSortedPlace) {
    auto ds = SampleTable();
    ds->AddIndex("ix", "Id", {});
    ds->SetIndexName("ix");
    ds->First();
    ds->Edit();
    ds->FieldByName("Id").SetAsInteger(50);
    ds->Post();
    EXPECT_EQ(ds->RecNo(), 9);
    EXPECT_EQ(ds->FieldByName("Id").AsInteger(), 50);

    ds->SetRecNo(3);  // Id 4
    ds->Insert();
    EXPECT_EQ(ds->ViewPosition(), 2);
    ds->FieldByName("Id").SetAsInteger(0);
    ds->Post();
    EXPECT_EQ(ds->RecNo(), 1);
    ds->Append();
    ds->FieldByName("Id").SetAsInteger(5);
    ds->Post();
    EXPECT_EQ(Column(*ds, "Id"), (Texts{"0", "2", "3", "4", "5", "5", "6", "7", "8", "9", "50"}));
    // In natural order the inserted record stands before the record that was current.
    ds->SetIndexName("");
    EXPECT_EQ(Column(*ds, "Id"), (Texts{"50", "2", "3", "0", "4", "5", "6", "7", "8", "9", "5"}));
}

TEST(IndexTest, ManagingIndexes) {
    auto ds = SampleTable();
    EXPECT_EQ(MessageOf<EDatabaseError>([&] { ds->AddIndex("ix", "Nope", {}); }),
              "cdsQMT1: Feld 'Nope' nicht gefunden");
    EXPECT_EQ(MessageOf<EDatabaseError>([&] { ds->AddIndex("ix", "Name", {}, "Nope"); }),
              "cdsQMT1: Feld 'Nope' nicht gefunden");
    EXPECT_EQ(ds->IndexDefs().Count(), 0);
    ds->AddIndex("NameIndex", "Name", {});
    EXPECT_THROW(ds->AddIndex("nameindex", "Id", {}), EDatabaseError);
    EXPECT_EQ(MessageOf<EDatabaseError>([&] { ds->SetIndexName("Other"); }),
              "cdsQMT1: Index 'Other' nicht gefunden");
    EXPECT_EQ(MessageOf<EDatabaseError>([&] { ds->DeleteIndex("Other"); }),
              "cdsQMT1: Index 'Other' nicht gefunden");
    EXPECT_EQ(ds->IndexName(), "");

    ds->SetIndexName("NameIndex");
    ds->DeleteIndex("NAMEINDEX");  // the selected one: back to natural order
    EXPECT_EQ(ds->IndexName(), "");
    EXPECT_EQ(ds->IndexDefs().Count(), 0);
    EXPECT_EQ(Column(*ds, "Id").front(), "1");

    ds->AddIndex("a", "Amount", {});
    ds->AddIndex("b", "Flag", {});
    ds->SetIndexName("b");
    ds->DeleteIndex("a");  // not the selected one
    EXPECT_EQ(ds->IndexName(), "b");
    EXPECT_EQ(ds->IndexDefs()[0].Name, "b");
    ds->IndexDefs().Clear();
    EXPECT_EQ(ds->IndexName(), "");
    EXPECT_EQ(Column(*ds, "Id").front(), "1");
}

TEST(IndexTest, SelectionWhileClosed) {
    auto ds = SampleTable();
    ds->AddIndex("ix", "Amount", {ixDescending});
    ds->Close();
    ds->SetIndexName("ix");  // only stored
    EXPECT_EQ(ds->IndexName(), "ix");
    ds->Open();
    EXPECT_EQ(ds->FieldByName("Id").AsString(), "4");
    ds->Close();
    ds->SetIndexName("unknown");
    EXPECT_THROW(ds->Open(), EDatabaseError);
    EXPECT_FALSE(ds->Active());
    ds->SetIndexName("");
    ds->Open();
    EXPECT_EQ(ds->FieldByName("Id").AsString(), "1");
}

// Random edits while an index is selected keep the same order that building
// the index afresh gives.
TEST(IndexTest, KeptOrderMatchesARebuild) {
    std::mt19937 rng(12345);
    const Texts words = {"a", "A", "\xE4", "\xC4", "b", "ab", "aB", "", "~", "~"};
    auto pick = [&] { return words[rng() % words.size()]; };
    void (TClientDataSet::*const ops[])() = {&TClientDataSet::Delete, &TClientDataSet::Insert,
                                             &TClientDataSet::Append, &TClientDataSet::Edit};
    for (bool descending : {false, true}) {
        SCOPED_TRACE(descending ? "descending" : "ascending");
        auto ds = MakeDataSet({{"Id", ftInteger}, {"T", ftString}, {"N", ftInteger}});
        int nextId = 0;
        for (int i = 0; i < 300; ++i)
            AppendRows(*ds, {{std::to_string(nextId++), pick(), std::to_string(rng() % 5)}});
        ds->AddIndex("ix", "T;N", descending ? TIndexOptions{ixDescending} : TIndexOptions{});
        ds->SetIndexName("ix");
        for (int step = 0; step < 400; ++step) {
            if (ds->IsEmpty()) AppendRows(*ds, {{std::to_string(nextId++), "a", "0"}});
            ds->SetRecNo(1 + static_cast<int>(rng() % ds->RecordCount()));
            (ds.get()->*ops[rng() % 4])();
            if (ds->State() == dsBrowse) continue;
            if (ds->State() == dsInsert) ds->FieldByName("Id").SetAsInteger(nextId++);
            const std::string t = pick();
            t == "~" ? ds->FieldByName("T").Clear() : ds->FieldByName("T").SetAsString(t);
            ds->FieldByName("N").SetAsInteger(rng() % 5);
            ds->Post();
        }
        const Texts kept = Column(*ds, "Id");
        ds->SetIndexName("");
        ds->SetIndexName("ix");
        EXPECT_EQ(Column(*ds, "Id"), kept);
    }
}

TEST(ViewTest, DisplayTextOfAnyViewRecord) {
    auto ds = MakeDataSet({{"Name", ftString}});
    AppendRows(*ds, {{"a"}, {"b"}, {"c"}});
    ds->Fields()[0].OnGetText = [](TField& f, AnsiString& text, bool display) {
        text = (display ? "<" : "[") + (f.IsNull() ? std::string("null") : f.AsString()) + ">";
    };
    ds->First();
    auto row = [&](int k) { return ds->ViewDisplayText(k, 0); };
    EXPECT_EQ(row(2), "<c>");
    EXPECT_EQ(ds->RecNo(), 1);
    EXPECT_EQ(ds->Fields()[0].Text(), "[a>");

    ds->Next();
    ds->Insert();  // shown at position 1, before b
    EXPECT_EQ(ds->ViewCount(), 4);
    ds->Fields()[0].SetAsString("x");
    EXPECT_EQ((Texts{row(0), row(1), row(2), row(3)}), (Texts{"<a>", "<x>", "<b>", "<c>"}));
    EXPECT_EQ(ds->Fields()[0].AsString(), "x");  // reads return to the inserted record
    ds->Cancel();

    ds->Last();
    ds->Edit();
    ds->Fields()[0].SetAsString("C");
    EXPECT_EQ((Texts{row(0), row(1), row(2)}), (Texts{"<a>", "<b>", "<C>"}));
    EXPECT_EQ(ds->ViewPosition(), 2);
    EXPECT_THROW(row(3), EListError);
    EXPECT_THROW(ds->ViewDisplayText(0, 1), EListError);

    ds->Post();
    ds->Fields()[0].OnGetText = [](TField&, AnsiString&, bool) { throw EConvertError("x"); };
    EXPECT_THROW(row(0), EConvertError);
    ds->Fields()[0].OnGetText = nullptr;
    EXPECT_EQ(ds->Fields()[0].AsString(), "C");  // not left pointing at record 0
}

}  // namespace
