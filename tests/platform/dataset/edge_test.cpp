#include <gtest/gtest.h>

#include "platform/core/ansi.h"
#include "tests/support/dataset_helpers.h"

namespace {

const std::string kDuplicate = "Komponente mit der Bezeichnung %s existiert bereits";

std::string DuplicateOf(const std::string& name) {
    return FormatMessage(kDuplicate, {AnsiToUtf8(name)});
}

// Names equal without regard to case, in the folding of Windows-1252 letters.
TEST(FieldDefNamesTest, DuplicatesAreFoundThroughRenamesClearAndCaseFolding) {
    TClientDataSet ds;
    TFieldDefs& defs = ds.FieldDefs();
    TFieldDef& a = defs.AddFieldDef();
    TFieldDef& b = defs.AddFieldDef();
    TFieldDef& c = defs.AddFieldDef();
    a.SetName("Preis");
    b.SetName("\xC4rger");  // Ärger
    c.SetName("");
    defs.AddFieldDef().SetName("");  // empty names are never compared

    const struct {
        const char* what;
        std::string name;
        bool refused;
    } cases[] = {{"other case", "PREIS", true},
                 {"umlaut in the other case", "\xE4RGER", true},  // äRGER
                 {"y with diaeresis folds to its lower case", "\x9F", false},
                 {"sharp s is not ss", "Prei\xDF", false},
                 {"a prefix", "Prei", false},
                 {"a longer name", "Preise", false}};
    for (const auto& k : cases) {
        SCOPED_TRACE(k.what);
        if (k.refused) {
            EXPECT_EQ(MessageOf<EDatabaseError>([&] { c.SetName(k.name); }), DuplicateOf(k.name));
            EXPECT_EQ(c.Name(), "") << "a refused name leaves the definition as it was";
        } else {
            c.SetName(k.name);
            EXPECT_EQ(c.Name(), k.name);
        }
    }
    // 0x9F and 0xFF are one letter in two cases.
    c.SetName("\x9F");
    EXPECT_EQ(MessageOf<EDatabaseError>([&] { defs.AddFieldDef().SetName("\xFF"); }),
              DuplicateOf("\xFF"));

    a.SetName("PREIS");  // a definition may take its own name in another case
    EXPECT_EQ(MessageOf<EDatabaseError>([&] { b.SetName("preis"); }), DuplicateOf("preis"));
    a.SetName("Menge");  // the old name is free again
    b.SetName("preis");
    EXPECT_EQ(MessageOf<EDatabaseError>([&] { c.SetName("MENGE"); }), DuplicateOf("MENGE"));
    a.SetName("");  // an emptied name frees its old one
    c.SetName("MENGE");
    EXPECT_EQ(b.Name(), "preis");

    defs.Clear();
    TFieldDef& fresh = defs.AddFieldDef();
    fresh.SetName("Preis");
    defs.AddFieldDef().SetName("menge");
    EXPECT_EQ(MessageOf<EDatabaseError>([&] { defs.AddFieldDef().SetName("MENGE"); }),
              DuplicateOf("MENGE"));
}

TEST(FieldDefNamesTest, EachDataSetKeepsItsOwnNames) {
    TClientDataSet first, second;
    first.FieldDefs().AddFieldDef().SetName("x");
    second.FieldDefs().AddFieldDef().SetName("X");
    EXPECT_EQ(second.FieldDefs()[0].Name(), "X");
}

// The name of a column may hold ";" and begin or end with a blank; the whole
// field-list text then names that field.
TEST(IndexOnSpecialNamesTest, AWholeFieldListThatNamesAFieldIndexesOnIt) {
    auto ds = MakeDataSet({{"a;b", ftInteger},
                           {" lead", ftInteger},
                           {"trail ", ftInteger},
                           {"a", ftInteger},
                           {"b", ftInteger},
                           {"lead", ftInteger}});
    AppendRows(*ds, {{"2", "3", "1", "1", "3", "2"},
                     {"1", "1", "3", "3", "2", "3"},
                     {"3", "2", "2", "2", "1", "1"}});
    const struct {
        std::string fields;
        std::string ordered;  // the key column
        Texts order;
    } cases[] = {{"a;b", "a;b", {"1", "2", "3"}},
                 {" lead", " lead", {"1", "2", "3"}},
                 {"trail ", "trail ", {"1", "2", "3"}},
                 {"A;B", "a;b", {"1", "2", "3"}},       // names compare without regard to case
                 {"b;a", "b", {"1", "2", "3"}},         // no field of that name: a list
                 {" lead ", "lead", {"1", "2", "3"}}};  // no field of that name: trimmed
    int n = 0;
    for (const auto& c : cases) {
        SCOPED_TRACE(c.fields);
        const std::string name = c.fields + "Index" + std::to_string(++n);
        ds->AddIndex(name, c.fields, {});
        ds->SetIndexName(name);
        EXPECT_EQ(ds->IndexName(), name);
        EXPECT_EQ(Column(*ds, c.ordered), c.order);
        ds->AddIndex(name + "D", c.fields, {}, c.fields);
        ds->SetIndexName(name + "D");
        EXPECT_EQ(Column(*ds, c.ordered), (Texts{c.order.rbegin(), c.order.rend()}))
            << "the descending list names the field the same way";
    }
    EXPECT_EQ(MessageOf<EDatabaseError>([&] { ds->AddIndex("x", "a;c", {}); }),
              "cdsQMT1: Feld 'c' nicht gefunden");
}

TEST(RecordRoomTest, CountsAndPositionsStayInts) {
    TClientDataSet ds;
    ds.SetName("cdsQMT1");
    const int64_t limit = TClientDataSet::kMaxRecords;
    EXPECT_EQ(limit, 2147483646);
    ds.CheckRoomForRecord(0);
    ds.CheckRoomForRecord(limit - 1);
    for (const int64_t stored : {limit, limit + 1, int64_t{1} << 40}) {
        EXPECT_EQ(MessageOf<EDatabaseError>([&] { ds.CheckRoomForRecord(stored); }),
                  "cdsQMT1: Die Datenmenge kann nicht mehr als 2147483646 Datens\xC3\xA4tze "
                  "aufnehmen")
            << stored;
    }
}

}  // namespace
