#include <gtest/gtest.h>

#include "dataset_test_util.h"
#include "platform/core/ansi.h"

namespace {

const std::string kClosed = "cdsQMT1: Operation bei geschlossener Datenmenge nicht ausführbar";
const std::string kNotEditing =
    "cdsQMT1: Datenmenge befindet sich nicht im Editier- oder Einfügemodus";

// ---------------------------------------------------------------- definitions

TEST(FieldDefsTest, UniqueNamesAndSizesByType) {
    TClientDataSet ds;
    DefineFields(ds, {{"Name", ftString}, {"", ftString}, {"", ftFloat}});
    TFieldDef& extra = ds.FieldDefs().AddFieldDef();
    EXPECT_EQ(MessageOf<EDatabaseError>([&] { extra.SetName("nAME"); }),
              "Komponente mit der Bezeichnung nAME existiert bereits");
    EXPECT_EQ(extra.Name(), "");
    extra.SetName("Name2");
    ds.FieldDefs()[0].SetName("NAME");  // renaming a definition to itself in other case
    EXPECT_EQ(ds.FieldDefs().IndexOf("name"), 0);
    EXPECT_EQ(ds.FieldDefs().IndexOf("missing"), -1);
    EXPECT_THROW(ds.FieldDefs()[4], EListError);

    // Setting the type resets the size to the type's default.
    extra.SetDataType(ftString);
    EXPECT_EQ(extra.Size(), 20);
    extra.SetSize(7);
    extra.SetDataType(ftFloat);
    EXPECT_EQ(extra.Size(), 0);
    extra.SetSize(3);
    extra.SetDataType(ftString);
    EXPECT_EQ(extra.Size(), 20);
    EXPECT_EQ(MessageOf<EDatabaseError>([&] { extra.SetSize(-1); }), "Ungültige Feldgröße");
    EXPECT_EQ(extra.Size(), 20);
}

TEST(CreateDataSetTest, RefusalsComeInTheirOrder) {
    const std::string longName(32, 'x');
    const std::string longest(31, 'y');
    struct Case {
        const char* what;
        std::vector<FieldDecl> columns;
        std::string message;  // empty: created
    };
    const std::vector<Case> cases = {
        {"long name beats all",
         {{"", ftString, 0}, {longName.c_str(), ftString}},
         "Feldname " + longName + " überschreitet 31 Zeichen"},
        {"no definitions",
         {},
         "Es wurden keine Felder definiert.  Datenmenge kann nicht erzeugt werden"},
        {"size 0 before empty name", {{"", ftString}, {"A", ftString, 0}}, "Invalid parameter."},
        {"too long a text", {{"A", ftString, 65531}}, "Invalid field type."},
        {"sizes in definition order",
         {{"A", ftString, 70000}, {"B", ftString, 0}},
         "Invalid field type."},
        {"unsupported type", {{"A", ftBlob}}, "Invalid field type."},
        {"empty name", {{"A", ftFloat}, {"", ftBoolean}}, "cdsQMT1: Feldname fehlt"},
        {"limits", {{longest.c_str(), ftString, 65530}, {"B", ftString, 1}}, ""},
        {"all kinds", {{"S", ftString}, {"I", ftInteger}, {"F", ftFloat}, {"B", ftBoolean}}, ""}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        TClientDataSet ds;
        ds.SetName("cdsQMT1");
        DefineFields(ds, c.columns);
        if (c.message.empty()) {
            ds.CreateDataSet();
            EXPECT_EQ(ds.State(), dsBrowse);
            EXPECT_EQ(ds.Fields().Count(), static_cast<int>(c.columns.size()));
        } else {
            EXPECT_EQ(MessageOf<EDatabaseError>([&] { ds.CreateDataSet(); }), c.message);
            EXPECT_FALSE(ds.Active());
        }
    }
}

// ---------------------------------------------------------------- open and close

TEST(OpenCloseTest, CreateOpenAndClose) {
    TClientDataSet bare;
    bare.SetName("cdsQMT1");
    EXPECT_EQ(MessageOf<EDatabaseError>([&] { bare.Open(); }),
              "cdsQMT1: Fehlender Datenprovider oder Datenpaket");
    bare.Close();  // nothing when closed
    EXPECT_FALSE(bare.Active());

    auto ds = MakeDataSet({{"Name", ftString, 10}, {"Amount", ftFloat}});
    EXPECT_TRUE(ds->Active() && ds->IsEmpty() && ds->Bof() && ds->Eof());
    EXPECT_EQ(ds->Fields()[0].Size(), 10);
    AppendRows(*ds, {{"x", "~"}});
    ds->CreateDataSet();  // creating again drops the records
    EXPECT_EQ(ds->RecordCount(), 0);

    // Definitions may change without touching the open table.
    AppendRows(*ds, {{"a", "1"}, {"b", "2"}});
    ds->FieldDefs().Clear();
    ds->IndexDefs().Clear();
    EXPECT_EQ(Column(*ds, "Amount"), (Texts{"1", "2"}));

    // Closing keeps the records; opening again makes new fields of the
    // structure the table was created with.
    ds->Fields()[0].OnGetText = [](TField&, AnsiString& text, bool) { text = "hooked"; };
    ds->Last();
    ds->Close();
    EXPECT_FALSE(ds->Active());
    EXPECT_EQ(ds->Fields().Count(), 0);
    EXPECT_EQ(ds->FindField("Name"), nullptr);
    ds->Open();
    ds->Open();  // nothing when open
    EXPECT_EQ(ds->RecordCount(), 2);
    EXPECT_EQ(ds->RecNo(), 1);
    EXPECT_TRUE(ds->Bof());
    EXPECT_EQ(ds->Fields()[1].FieldName(), "Amount");
    EXPECT_EQ(ds->Fields()[0].DisplayText(), "a");  // the new field carries no hook
}

TEST(OpenCloseTest, CloseDiscardsAnInsertionAndCancelsAnEdit) {
    auto ds = MakeDataSet({{"Name", ftString}});
    AppendRows(*ds, {{"a"}});
    for (const bool inserting : {true, false}) {
        inserting ? ds->Append() : ds->Edit();
        ds->Fields()[0].SetAsString("changed");
        ds->Close();
        ds->Open();
        EXPECT_EQ(Column(*ds, "Name"), (Texts{"a"})) << inserting;
    }
}

TEST(OpenCloseTest, OperationsOnAClosedDataSetRaise) {
    auto ds = MakeDataSet({{"Name", ftString}});
    ds->Close();
    const std::vector<std::pair<const char*, std::function<void()>>> ops = {
        {"First", [&] { ds->First(); }},
        {"Last", [&] { ds->Last(); }},
        {"Next", [&] { ds->Next(); }},
        {"Prior", [&] { ds->Prior(); }},
        {"MoveBy", [&] { ds->MoveBy(2); }},
        {"SetRecNo", [&] { ds->SetRecNo(1); }},
        {"Append", [&] { ds->Append(); }},
        {"Insert", [&] { ds->Insert(); }},
        {"Edit", [&] { ds->Edit(); }},
        {"Post", [&] { ds->Post(); }},
        {"Delete", [&] { ds->Delete(); }},
        {"CheckBrowseMode", [&] { ds->CheckBrowseMode(); }},
        {"AddIndex", [&] { ds->AddIndex("i", "Name", {}); }},
        {"DeleteIndex", [&] { ds->DeleteIndex("i"); }}};
    for (const auto& [name, op] : ops) EXPECT_EQ(MessageOf<EDatabaseError>(op), kClosed) << name;
    EXPECT_EQ(MessageOf<EDatabaseError>([&] { ds->FieldByName("Name"); }),
              "cdsQMT1: Feld 'Name' nicht gefunden");
    EXPECT_EQ(ds->RecordCount(), 0);
    EXPECT_EQ(ds->ViewCount(), 0);
}

// ---------------------------------------------------------------- states and posting

TEST(EditingTest, AppendPostCancel) {
    auto ds = MakeDataSet({{"Name", ftString}});
    ds->Edit();  // on an empty dataset: appends
    EXPECT_EQ(ds->State(), dsInsert);
    ds->Post();  // an explicit post keeps even an unchanged record
    EXPECT_EQ(ds->RecordCount(), 1);
    EXPECT_TRUE(ds->Fields()[0].IsNull());
    ds->Edit();
    ds->Fields()[0].SetAsString("a");
    ds->Post();
    AppendRows(*ds, {{"b"}});

    ds->First();
    ds->Append();
    EXPECT_EQ(ds->State(), dsInsert);
    EXPECT_TRUE(ds->Fields()[0].IsNull());
    EXPECT_EQ(ds->RecordCount(), 2);
    EXPECT_EQ(ds->ViewCount(), 3);
    EXPECT_EQ(ds->ViewPosition(), 2);
    ds->Fields()[0].SetAsString("c");
    EXPECT_TRUE(ds->Modified());
    ds->Cancel();
    EXPECT_EQ(ds->State(), dsBrowse);
    EXPECT_EQ(ds->Fields()[0].AsString(), "a");  // back on the record current before
    EXPECT_EQ(ds->RecordCount(), 2);

    EXPECT_EQ(MessageOf<EDatabaseError>([&] { ds->Post(); }), kNotEditing);
    EXPECT_EQ(MessageOf<EDatabaseError>([&] { ds->Fields()[0].SetAsString("x"); }), kNotEditing);
    EXPECT_EQ(MessageOf<EDatabaseError>([&] { ds->Fields()[0].Clear(); }), kNotEditing);

    ds->Edit();
    EXPECT_EQ(ds->State(), dsEdit);
    EXPECT_FALSE(ds->Modified());
    ds->Fields()[0].SetAsString("A");
    EXPECT_EQ(ds->Fields()[0].AsString(), "A");
    ds->Cancel();
    EXPECT_EQ(ds->Fields()[0].AsString(), "a");
    ds->Edit();
    ds->Fields()[0].SetAsString("A");
    ds->Post();
    EXPECT_EQ(Column(*ds, "Name"), (Texts{"A", "b"}));
}

TEST(EditingTest, InsertGoesBeforeTheCurrentRecord) {
    auto ds = MakeDataSet({{"Name", ftString}});
    auto insert = [&](const char* text) {
        ds->Insert();
        ds->Fields()[0].SetAsString(text);
        ds->Post();
    };
    insert("c");  // into an empty dataset
    insert("a");  // before the first record
    ds->Last();
    ds->Insert();
    EXPECT_EQ(ds->ViewPosition(), 1);
    EXPECT_EQ(ds->RecNo(), 2);
    ds->Fields()[0].SetAsString("b");
    ds->Post();
    EXPECT_EQ(ds->RecNo(), 2);
    EXPECT_EQ(Column(*ds, "Name"), (Texts{"a", "b", "c"}));
}

TEST(EditingTest, MovingEndsAnEditInProgress) {
    const std::vector<std::pair<const char*, std::function<void(TClientDataSet&)>>> moves = {
        {"First", [](TClientDataSet& ds) { ds.First(); }},
        {"Last", [](TClientDataSet& ds) { ds.Last(); }},
        {"Next", [](TClientDataSet& ds) { ds.Next(); }},
        {"Prior", [](TClientDataSet& ds) { ds.Prior(); }},
        {"SetRecNo", [](TClientDataSet& ds) { ds.SetRecNo(1); }},
        {"AddIndex",
         [](TClientDataSet& ds) {
             ds.AddIndex("iy", "Name", {});
             ds.DeleteIndex("iy");
         }},
        {"SetIndexName",
         [](TClientDataSet& ds) { ds.SetIndexName(ds.IndexName().empty() ? "ix" : ""); }},
        {"CheckBrowseMode", [](TClientDataSet& ds) { ds.CheckBrowseMode(); }}};
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

        ds->SetIndexName("");
        ds->First();
        ds->Edit();
        ds->Fields()[0].SetAsString("z");
        move(*ds);
        EXPECT_EQ(ds->State(), dsBrowse);
        ds->SetIndexName("");
        EXPECT_EQ(Column(*ds, "Name"), (Texts{"z", "a", "c"}));
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
    EXPECT_FALSE(ds->Eof());
    ds->Edit();
    ds->Fields()[0].SetAsString("edited");
    ds->Delete();  // deletes the edited record, changes and all
    EXPECT_TRUE(ds->IsEmpty() && ds->Eof() && ds->Bof());
    EXPECT_EQ(ds->State(), dsBrowse);
    EXPECT_EQ(ds->RecNo(), 0);
}

TEST(NavigationTest, EofAndBofFollowTheMoves) {
    auto ds = MakeDataSet({{"Name", ftString}});
    // Record number and current text, then " bof" and " eof" when set.
    auto where = [&] {
        return std::to_string(ds->RecNo()) + (ds->IsEmpty() ? "" : ds->Fields()[0].AsString()) +
               (ds->Bof() ? " bof" : "") + (ds->Eof() ? " eof" : "");
    };
    ds->First();
    EXPECT_EQ(where(), "0 bof eof");
    ds->Next();
    EXPECT_EQ(where(), "0 bof eof");

    AppendRows(*ds, {{"a"}, {"b"}, {"c"}});
    const std::vector<std::pair<std::function<void()>, const char*>> steps = {
        {[&] { ds->First(); }, "1a bof"},
        {[&] { ds->Next(); }, "2b"},
        {[&] { ds->Next(); }, "3c"},
        {[&] { ds->Next(); }, "3c eof"},  // past the last: still on the last
        {[&] { EXPECT_EQ(ds->MoveBy(1), 0); }, "3c eof"},
        {[&] { EXPECT_EQ(ds->MoveBy(-5), -2); }, "1a bof"},
        {[&] { EXPECT_EQ(ds->MoveBy(5), 2); }, "3c eof"},
        {[&] { ds->Prior(); }, "2b"},
        {[&] { ds->Last(); }, "3c eof"},
        {[&] { ds->SetRecNo(9); }, "3c eof"},  // outside: ignored
        {[&] { ds->SetRecNo(1); }, "1a"}};
    for (size_t i = 0; i < steps.size(); ++i) {
        steps[i].first();
        EXPECT_EQ(where(), steps[i].second) << "step " << i;
    }
}

// ---------------------------------------------------------------- fields

TEST(FieldTest, AccessByPositionAndName) {
    auto ds = MakeDataSet({{"Name", ftString}, {Utf8ToAnsi("Größe").c_str(), ftFloat}});
    EXPECT_EQ(&ds->FieldByName("NAME"), &ds->Fields()[0]);
    EXPECT_EQ(ds->FieldByName(Utf8ToAnsi("größe")).Index(), 1);
    EXPECT_EQ(&ds->FieldByName(Utf8ToAnsi("GRÖßE")), &ds->Fields()[1]);
    EXPECT_EQ(MessageOf<EListError>([&] { ds->Fields()[2]; }),
              "Listenindex überschreitet das Maximum (2)");
    EXPECT_EQ(MessageOf<EListError>([&] { ds->Fields()[-1]; }),
              "Listenindex überschreitet das Maximum (-1)");
    EXPECT_EQ(MessageOf<EDatabaseError>([&] { ds->FieldByName("Gr\xF6sse"); }),
              "cdsQMT1: Feld 'Grösse' nicht gefunden");
}

TEST(FieldTest, TextFormsOfEachKind) {
    auto ds = MakeDataSet({{"S", ftString, 5}, {"I", ftInteger}, {"F", ftFloat}, {"B", ftBoolean}});
    const struct {
        char mark;
        const char* field;
        const char* typed;
        const char* shown;                         // "~" null
    } cases[] = {{',', "S", "abcdefgh", "abcde"},  // cut to the size
                 {',', "S", "", ""},               // an empty text is not null
                 {',', "S", "\xE4\xF6\xFC", "\xE4\xF6\xFC"},
                 {',', "I", "-42", "-42"},
                 {',', "I", "", "~"},
                 {',', "F", "2,5", "2,5"},
                 {'.', "F", "2.5", "2.5"},
                 {',', "F", "-1E-5", "-1E-5"},
                 {',', "F", "", "~"},
                 {',', "B", "TRUE", "Wahr"},
                 {',', "B", "falsch", "Falsch"},
                 {',', "B", "", "~"}};
    for (const auto& c : cases) {
        SCOPED_TRACE(std::string(c.field) + " <- " + c.typed);
        DecimalMark mark(c.mark);
        ds->Append();
        TField& f = ds->FieldByName(c.field);
        f.SetAsString(c.typed);
        EXPECT_EQ(f.IsNull() ? "~" : f.AsString(), c.shown);
        ds->Post();
        EXPECT_EQ(f.IsNull() ? "~" : f.AsString(), c.shown);
    }
}

TEST(FieldTest, RefusedTexts) {
    auto ds = MakeDataSet({{"Num", ftInteger}, {"F", ftFloat}, {"B", ftBoolean}});
    DecimalMark mark(',');
    ds->Append();
    ds->Fields()[0].SetAsInteger(7);
    EXPECT_EQ(MessageOf<EConvertError>([&] { ds->Fields()[0].SetAsString("abc"); }),
              "'abc' ist kein gültiger Integerwert für Feld 'Num'");
    EXPECT_EQ(MessageOf<EConvertError>([&] { ds->Fields()[0].SetAsString("1,5"); }),
              "'1,5' ist kein gültiger Integerwert für Feld 'Num'");
    EXPECT_EQ(ds->Fields()[0].AsInteger(), 7);  // the value stays
    EXPECT_THROW(ds->Fields()[1].SetAsString("2.5"), EConvertError);
    EXPECT_THROW(ds->Fields()[1].SetAsString("x"), EConvertError);
    EXPECT_THROW(ds->Fields()[2].SetAsString("ja"), EConvertError);
    EXPECT_TRUE(ds->Fields()[2].IsNull());
}

TEST(FieldTest, TypedAccessAcrossKinds) {
    auto ds = MakeDataSet({{"S", ftString, 4}, {"I", ftInteger}, {"B", ftBoolean}});
    DecimalMark mark('.');
    ds->Append();
    TField& s = ds->Fields()[0];
    EXPECT_EQ(ds->Fields()[1].AsInteger(), 0);  // null reads zero
    s.SetAsFloat(0.125);
    EXPECT_EQ(s.AsString(), "0.12");  // the number's text, cut to the size
    s.SetAsBoolean(false);
    EXPECT_EQ(s.AsString(), "Fals");
    s.SetAsString("xy");
    EXPECT_THROW(s.AsInteger(), EConvertError);
    EXPECT_THROW(s.AsFloat(), EConvertError);
    ds->Fields()[1].SetAsInteger(5000000000);
    ds->Fields()[2].SetAsFloat(0);
    ds->Post();
    EXPECT_EQ(ds->Fields()[1].AsString(), "5000000000");
    EXPECT_EQ(ds->Fields()[2].AsString(), "Falsch");
}

TEST(FieldTest, HooksServeTextAndDisplayText) {
    auto ds = MakeDataSet({{"B", ftBoolean}});
    TField& f = ds->Fields()[0];
    std::vector<bool> asked;
    f.OnGetText = [&](TField& sender, AnsiString& text, bool display) {
        asked.push_back(display);
        text = sender.IsNull() ? "" : (sender.AsBoolean() ? "true" : "false");
    };
    f.OnSetText = [](TField& sender, const AnsiString& text) {
        text == "1" ? sender.SetAsBoolean(true) : sender.Clear();
    };
    ds->Append();
    f.SetText("1");
    EXPECT_EQ(f.DisplayText(), "true");
    EXPECT_EQ(f.Text(), "true");
    EXPECT_EQ(f.AsString(), "Wahr");
    EXPECT_EQ(asked, (std::vector<bool>{true, false}));
    f.SetText("yes");
    EXPECT_EQ(f.DisplayText(), "");
}

TEST(NotificationTest, ListenersHearWhatHappened) {
    auto ds = MakeDataSet({{"Name", ftString}});
    std::vector<TDataEvent> events;
    const int id = ds->AddListener([&](TDataEvent e) { events.push_back(e); });
    using E = std::vector<TDataEvent>;
    const std::vector<std::pair<std::function<void()>, E>> steps = {
        {[&] { ds->Append(); }, {TDataEvent::StateChange, TDataEvent::DataSetChange}},
        {[&] { ds->Fields()[0].SetAsString("a"); }, {TDataEvent::RecordChange}},
        {[&] { ds->Post(); }, {TDataEvent::StateChange, TDataEvent::DataSetChange}},
        {[&] { ds->First(); }, {TDataEvent::Scroll}},
        // Disabled controls hear nothing until the outermost enabling, then one change.
        {[&] {
             ds->DisableControls();
             ds->DisableControls();
             ds->Append();
             ds->Post();
             ds->EnableControls();
         },
         {}},
        {[&] { ds->EnableControls(); }, {TDataEvent::DataSetChange}},
        {[&] {
             ds->DisableControls();
             ds->EnableControls();
         },
         {}},
        {[&] {
             ds->RemoveListener(id);
             ds->Close();
         },
         {}}};
    for (size_t i = 0; i < steps.size(); ++i) {
        events.clear();
        steps[i].first();
        EXPECT_EQ(events, steps[i].second) << "step " << i;
    }
}

}  // namespace
