#include <gtest/gtest.h>

#include "platform/core/ansi.h"
#include "tests/support/dataset_helpers.h"

namespace {

const std::string kNotEditing =
    "cdsQMT1: Datenmenge befindet sich nicht im Editier- oder Einfügemodus";

TEST(CreateDataSetTest, RefusalsComeInTheirOrder) {
    const std::string longName(32, 'x');
    const struct {
        const char* what;
        std::vector<FieldDecl> fields;
        std::string message;  // empty: created
    } cases[] = {
        {"long name beats all",
         {{"", ftString, 0}, {longName, ftString}},
         "Feldname " + longName + " überschreitet 31 Zeichen"},
        {"no definitions",
         {},
         "Es wurden keine Felder definiert.  Datenmenge kann nicht erzeugt werden"},
        {"size 0 before empty name", {{"", ftString}, {"A", ftString, 0}}, "Invalid parameter."},
        {"too long a text", {{"A", ftString, 65531}}, "Invalid field type."},
        {"empty name", {{"A", ftFloat}, {"", ftBoolean}}, "cdsQMT1: Feldname fehlt"},
        {"limits", {{std::string(31, 'y'), ftString, 65530}, {"B", ftString, 1}}, ""}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        TClientDataSet ds;
        ds.SetName("cdsQMT1");
        DefineFields(ds, c.fields);
        if (c.message.empty()) {
            ds.CreateDataSet();
            EXPECT_EQ(ds.State(), dsBrowse);
        } else {
            EXPECT_EQ(MessageOf<EDatabaseError>([&] { ds.CreateDataSet(); }), c.message);
            EXPECT_FALSE(ds.Active());
        }
    }
}

TEST(EditingTest, AppendPostCancel) {
    auto ds = MakeDataSet({{"Name", ftString}});
    ds->Edit();  // on an empty dataset: appends
    EXPECT_EQ(ds->State(), dsInsert);
    ds->Post();  // an explicit post keeps even an unchanged record
    EXPECT_EQ(ds->RecordCount(), 1);
    EXPECT_TRUE(ds->Fields()[0].IsNull());
    ds->Delete();
    AppendRows(*ds, {{"a"}, {"b"}});

    ds->First();
    ds->Append();
    EXPECT_EQ(ds->ViewPosition(), 2);
    ds->Fields()[0].SetAsString("c");
    ds->Cancel();
    EXPECT_EQ(ds->Fields()[0].AsString(), "a");  // back on the record current before
    EXPECT_EQ(ds->RecordCount(), 2);

    EXPECT_EQ(MessageOf<EDatabaseError>([&] { ds->Post(); }), kNotEditing);
    EXPECT_EQ(MessageOf<EDatabaseError>([&] { ds->Fields()[0].SetAsString("x"); }), kNotEditing);
}

TEST(EditingTest, MovingEndsAnEditInProgress) {
    const std::pair<const char*, std::function<void(TClientDataSet&)>> moves[] = {
        {"Next", [](TClientDataSet& ds) { ds.Next(); }},
        {"SetIndexName",
         [](TClientDataSet& ds) { ds.SetIndexName(ds.IndexName().empty() ? "ix" : ""); }},
    };
    for (const auto& [name, move] : moves) {
        SCOPED_TRACE(name);
        auto ds = MakeDataSet({{"Name", ftString}});
        AppendRows(*ds, {{"b"}, {"a"}});
        ds->AddIndex("ix", "Name", {});

        ds->Append();  // unchanged: dropped
        move(*ds);
        EXPECT_EQ(ds->State(), dsBrowse);
        EXPECT_EQ(ds->RecordCount(), 2);

        ds->Append();  // changed: posted
        ds->Fields()[0].SetAsString("c");
        move(*ds);
        EXPECT_EQ(ds->State(), dsBrowse);
        EXPECT_EQ(ds->RecordCount(), 3);
    }
}

TEST(EditingTest, DeleteMakesTheNextRecordCurrent) {
    auto ds = MakeDataSet({{"Name", ftString}});
    EXPECT_EQ(MessageOf<EDatabaseError>([&] { ds->Delete(); }),
              "cdsQMT1: Operation nicht zulässig bei einer leeren Datenmenge");
    AppendRows(*ds, {{"a"}, {"b"}, {"c"}});
    ds->SetRecNo(2);
    ds->Delete();
    EXPECT_EQ(ds->Fields()[0].AsString(), "c");
    ds->Delete();  // the last one: the new last becomes current
    EXPECT_EQ(ds->Fields()[0].AsString(), "a");
    ds->Edit();
    ds->Fields()[0].SetAsString("edited");
    ds->Delete();  // deletes the edited record, changes and all
    EXPECT_TRUE(ds->IsEmpty() && ds->Eof() && ds->Bof());
    EXPECT_EQ(ds->State(), dsBrowse);
    EXPECT_EQ(ds->RecNo(), 0);
}

TEST(FieldTest, TextFormsOfEachKind) {
    auto ds = MakeDataSet({{"S", ftString, 5}, {"I", ftInteger}, {"F", ftFloat}, {"B", ftBoolean}});
    const struct {
        char mark;
        const char* field;
        const char* typed;
        const char* shown;                         // "~" null
    } cases[] = {{',', "S", "abcdefgh", "abcde"},  // cut to the size
                 {',', "I", "", "~"},
                 {',', "F", "2,5", "2,5"},
                 {'.', "F", "2.5", "2.5"},
                 {',', "B", "TRUE", "Wahr"},
                 {',', "B", "falsch", "Falsch"}};
    for (const auto& c : cases) {
        SCOPED_TRACE(std::string(c.field) + " <- " + c.typed);
        DecimalMark mark(c.mark);
        ds->Append();
        TField& f = ds->FieldByName(c.field);
        f.SetAsString(c.typed);
        ds->Post();
        EXPECT_EQ(f.IsNull() ? "~" : f.AsString(), c.shown);
    }
}

TEST(FieldTest, RefusedTexts) {
    auto ds = MakeDataSet({{"Num", ftInteger}, {"F", ftFloat}, {"B", ftBoolean}});
    DecimalMark mark(',');
    ds->Append();
    ds->Fields()[0].SetAsInteger(7);
    EXPECT_EQ(MessageOf<EConvertError>([&] { ds->Fields()[0].SetAsString("1,5"); }),
              "'1,5' ist kein gültiger Integerwert für Feld 'Num'");
    EXPECT_EQ(ds->Fields()[0].AsInteger(), 7);  // the value stays
    EXPECT_THROW(ds->Fields()[2].SetAsString("ja"), EConvertError);
    EXPECT_TRUE(ds->Fields()[2].IsNull());
}

}  // namespace

namespace {

TEST(ListenerTest, ListenersHearUntilTheirSubscriptionGoes) {
    auto ds = MakeDataSet({{"Name", ftString}});
    AppendRows(*ds, {{"a"}, {"b"}});
    std::vector<TDataEvent> first, second;
    TSubscription a = ds->AddListener([&](TDataEvent e) { first.push_back(e); });
    TSubscription b;
    {
        const TSubscription scoped = ds->AddListener([&](TDataEvent e) { second.push_back(e); });
        ds->First();
    }
    ds->Next();
    EXPECT_EQ(first, (std::vector<TDataEvent>{TDataEvent::Scroll, TDataEvent::Scroll}));
    EXPECT_EQ(second, std::vector<TDataEvent>{TDataEvent::Scroll});

    // A listener that drops itself on its first notice hears nothing more,
    // also not the rest of the same change.
    b = ds->AddListener([&](TDataEvent e) {
        second.push_back(e);
        b.Reset();
    });
    ds->Append();  // DataSetChange after StateChange
    EXPECT_EQ(second, (std::vector<TDataEvent>{TDataEvent::Scroll, TDataEvent::StateChange}));
    a.Reset();
    ds->Cancel();
    EXPECT_EQ(first.size(), 4u);
    // A subscription outliving its dataset is harmless.
    b = ds->AddListener([](TDataEvent) {});
    ds.reset();
    b.Reset();
}

// A structure given up takes its records along: nothing of the old table can
// be opened under the new definitions, and the new table starts empty.
TEST(ClientDataSetTest, AGivenUpStructureKeepsNoRecords) {
    auto ds = MakeDataSet({{"a", ftString, 5}, {"b", ftFloat}});
    AppendRows(*ds, {{"x", "1"}, {"y", "2"}});
    ds->ResetStructure();
    EXPECT_FALSE(ds->Active());
    EXPECT_EQ(ds->FieldDefs().Count(), 0);
    DefineFields(*ds, {{"c", ftBoolean}});
    EXPECT_EQ(MessageOf<EDatabaseError>([&] { ds->Open(); }),
              "cdsQMT1: Fehlender Datenprovider oder Datenpaket");
    ds->CreateDataSet();
    EXPECT_EQ(ds->RecordCount(), 0);
    EXPECT_EQ(Column(*ds, "c"), Texts{});
}

}  // namespace
