#include <gtest/gtest.h>

#include "tests/support/dataset_helpers.h"

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

// Nulls first, ties in natural order, both ways round.
TEST(IndexOrderTest, EachKindBothWays) {
    const struct {
        const char* field;
        bool descending;
        Texts ids;
    } cases[] = {{"Name", false, {"2", "8", "7", "4", "3", "6", "5", "1", "9"}},
                 {"Name", true, {"1", "9", "5", "6", "3", "4", "7", "2", "8"}},
                 {"Amount", false, {"2", "9", "3", "7", "6", "1", "5", "8", "4"}},
                 {"Amount", true, {"4", "8", "1", "5", "6", "3", "7", "2", "9"}},
                 {"Flag", false, {"2", "5", "3", "6", "8", "1", "4", "7", "9"}},
                 {"Flag", true, {"1", "4", "7", "9", "3", "6", "8", "2", "5"}}};
    for (const auto& c : cases) {
        SCOPED_TRACE(std::string(c.field) + (c.descending ? " descending" : " ascending"));
        auto ds = SampleTable();
        ds->AddIndex("ix", c.field, c.descending ? TIndexOptions{ixDescending} : TIndexOptions{});
        EXPECT_EQ(ds->IndexName(), "");  // adding does not select
        ds->SetIndexName("ix");
        EXPECT_EQ(Column(*ds, "Id"), c.ids);
        ds->SetIndexName("");
        EXPECT_EQ(Column(*ds, "Id"), (Texts{"1", "2", "3", "4", "5", "6", "7", "8", "9"}));
    }
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

    ds->SetRecNo(3);  // Id 4
    ds->Insert();
    EXPECT_EQ(ds->ViewPosition(), 2);
    ds->FieldByName("Id").SetAsInteger(0);
    ds->Post();
    EXPECT_EQ(ds->RecNo(), 1);
    EXPECT_EQ(Column(*ds, "Id"), (Texts{"0", "2", "3", "4", "5", "6", "7", "8", "9", "50"}));
    // In natural order the inserted record stands before the record that was current.
    ds->SetIndexName("");
    EXPECT_EQ(Column(*ds, "Id"), (Texts{"50", "2", "3", "0", "4", "5", "6", "7", "8", "9"}));
}

TEST(IndexTest, ManagingIndexes) {
    auto ds = SampleTable();
    EXPECT_EQ(MessageOf<EDatabaseError>([&] { ds->AddIndex("ix", "Name", {}, "Nope"); }),
              "cdsQMT1: Feld 'Nope' nicht gefunden");
    ds->AddIndex("NameIndex", "Name", {});
    EXPECT_EQ(MessageOf<EDatabaseError>([&] { ds->SetIndexName("Other"); }),
              "cdsQMT1: Index 'Other' nicht gefunden");
    ds->SetIndexName("NameIndex");
    ds->DeleteIndex("NAMEINDEX");  // the selected one: back to natural order
    EXPECT_EQ(ds->IndexName(), "");
    EXPECT_EQ(Column(*ds, "Id").front(), "1");
}

TEST(ViewTest, DisplayTextOfAnyViewRecord) {
    auto ds = MakeDataSet({{"Name", ftString}});
    AppendRows(*ds, {{"a"}, {"b"}, {"c"}});
    ds->Fields()[0].OnGetText = [](TField& f, AnsiString& text, bool display) {
        text = (display ? "<" : "[") + f.AsString() + ">";
    };
    ds->First();
    auto row = [&](int k) { return ds->ViewDisplayText(k, 0); };
    ds->Next();
    ds->Insert();  // shown at position 1, before b
    ds->Fields()[0].SetAsString("x");
    EXPECT_EQ((Texts{row(0), row(1), row(2), row(3)}), (Texts{"<a>", "<x>", "<b>", "<c>"}));
    EXPECT_EQ(ds->Fields()[0].Text(), "[x>");  // reads return to the inserted record
    EXPECT_THROW(row(4), EListError);
}

}  // namespace

namespace {

// A table of records with values drawn from `distinct` choices per column:
// few enough, or one too many, for an index over them to be built by
// counting its keys. Texts include ones that collate equal but differ in
// case or accents; every column has nulls.
std::vector<Texts> FewValueRows(size_t distinct, size_t records) {
    const Texts names = {"K\xf6ln",  "K\xd6LN", "koln", "Koeln", "",  "M\xfcnchen",
                         "muenchen", "b",       "B",    "\xe4",  "a", "A"};
    std::vector<Texts> rows;
    uint64_t state = 88172645463325252ull;
    auto next = [&] {
        state ^= state << 13;
        state ^= state >> 7;
        state ^= state << 17;
        return state;
    };
    for (size_t r = 0; r < records; ++r) {
        const size_t pick = next() % (distinct + 1);  // distinct choices and null
        Texts row = {std::to_string(r)};
        if (pick == distinct) {
            row.insert(row.end(), {"~", "~", "~", "~"});
        } else {
            row.push_back(pick < names.size() ? names[pick] : "name " + std::to_string(pick));
            row.push_back(std::to_string(static_cast<double>(pick) - 2.5));
            row.push_back(pick % 2 ? "true" : "false");
            // Long texts that part only after 16 or 32 bytes, some only in
            // case or accents, some only in length.
            const std::string stem =
                pick % 3 ? "Stra\xdf\x65 \xc4hren Nr. " : "a common beginning, long enough ";
            std::string tail = std::to_string(pick % 7);
            if (pick % 4 == 1) tail += pick % 8 == 1 ? "\xc4" : "a";
            if (pick % 5 == 2) tail = "";
            row.push_back(stem + tail);
        }
        rows.push_back(row);
    }
    return rows;
}

// An index built over the whole table lists the records as one kept up to
// date record by record does (each posted record placed at its sorted place).
TEST(IndexOrderTest, BuiltOverManyRecordsOfFewValuesAsPlacedOneByOne) {
    const std::vector<FieldDecl> fields = {{"Id", ftInteger},
                                           {"Name", ftString, 20},
                                           {"Amount", ftFloat},
                                           {"Flag", ftBoolean},
                                           {"Long", ftString, 60}};
    DecimalMark mark('.');
    for (const size_t distinct : {1, 3, 12, 63, 64, 65, 200}) {
        const std::vector<Texts> rows = FewValueRows(distinct, 1000);
        for (const char* field :
             {"Name", "Amount", "Flag", "Long", "Flag;Name", "Name;Amount", "Long;Flag"}) {
            for (int variant = 0; variant < 4; ++variant) {
                const TIndexOptions options = variant == 0   ? TIndexOptions{}
                                              : variant == 1 ? TIndexOptions{ixDescending}
                                              : variant == 2
                                                  ? TIndexOptions{ixCaseInsensitive}
                                                  : TIndexOptions{ixDescending, ixCaseInsensitive};
                SCOPED_TRACE(std::to_string(distinct) + " values, " + field + ", options " +
                             std::to_string(variant));
                auto built = MakeDataSet(fields);
                AppendRows(*built, rows);
                built->AddIndex("ix", field, options);
                built->SetIndexName("ix");

                auto placed = MakeDataSet(fields);
                placed->AddIndex("ix", field, options);
                placed->SetIndexName("ix");
                AppendRows(*placed, rows);

                ASSERT_EQ(Column(*built, "Id"), Column(*placed, "Id"));
            }
        }
    }
}

}  // namespace
