// Column definitions from dialog rows and the restructure copy, without a window.
#include <gtest/gtest.h>

#include "editor/table_structure.h"
#include "platform/core/string_grid.h"
#include "tests/support/dataset_helpers.h"

namespace {

// The rows below the headings of a dialog's grid.
void SetGridRows(TStringGrid& g, const std::vector<Texts>& rows) {
    g.SetColCount(4);
    g.SetRowCount(static_cast<int>(rows.size()) + 1);
    for (size_t r = 0; r < rows.size(); ++r)
        for (size_t c = 0; c < rows[r].size(); ++c)
            g.SetCells(static_cast<int>(c), static_cast<int>(r) + 1, rows[r][c]);
}

Texts FieldNames(TClientDataSet& ds) {
    Texts names;
    for (int i = 0; i < ds.Fields().Count(); ++i) names.push_back(ds.Fields()[i].FieldName());
    return names;
}

constexpr TKindNames kNew = TKindNames::WithInteger;
constexpr TKindNames kRestructure = TKindNames::WithoutInteger;

}  // namespace

TEST(SetKindTest, KindNamesGiveTypeAndLength) {
    const struct {
        const char* kind;
        const char* length;
        TKindNames kinds;
        TFieldType type;
        int size;
    } cases[] = {
        {"String", "32", kNew, ftString, 32},     {"String", "4096", kRestructure, ftString, 4096},
        {"Integer", "-----", kNew, ftInteger, 0}, {"Integer", "8", kRestructure, ftString, 20},
        {"Number", "abc", kNew, ftFloat, 0},      {"Boolean", "", kRestructure, ftBoolean, 0},
        {"string", "8", kNew, ftString, 20},      {"BOOLEAN", "", kNew, ftString, 20},
        {"", "", kRestructure, ftString, 20},     {" Number", "", kNew, ftString, 20},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(std::string(c.kind) + "/" + c.length);
        TFieldDefs defs;
        TFieldDef& def = defs.AddFieldDef();
        SetKind(def, c.kind, c.length, c.kinds);
        EXPECT_EQ(def.DataType(), c.type);
        EXPECT_EQ(def.Size(), c.size);
    }
}

TEST(SetKindTest, LengthOfAStringRowMustBeAWholeNumberNotBelowZero) {
    for (const char* length : {"-----", ""}) {
        TFieldDefs defs;
        EXPECT_EQ(MessageOf([&] { SetKind(defs.AddFieldDef(), "String", length, kNew); }),
                  FormatMessage(Msg::InvalidInteger, {length}));
    }
    TFieldDefs defs;
    EXPECT_EQ(MessageOf([&] { SetKind(defs.AddFieldDef(), "String", "-1", kRestructure); }),
              Msg::InvalidFieldSize);
}

TEST(AddFieldDefsTest, OneDefinitionPerRowFromTheNameColumnOn) {
    TStringGrid g;
    SetGridRows(g, {{"old", "A", "String", "4"}, {"", "B", "Integer", "-----"}});
    TFieldDefs defs;
    AddFieldDefs(defs, g, 1, kNew);
    ASSERT_EQ(defs.Count(), 2);
    EXPECT_EQ(defs[0].Name(), "A");
    EXPECT_EQ(defs[0].Size(), 4);
    EXPECT_EQ(defs[1].Name(), "B");
    EXPECT_EQ(defs[1].DataType(), ftInteger);
}

class RestructureTest : public ::testing::Test {
  protected:
    void SetUp() override {
        source =
            MakeDataSet({{"S", ftString, 10}, {"F", ftFloat}, {"B", ftBoolean}, {"I", ftInteger}});
        AppendRows(*source, {{"12,5", "2,5", "true", "42"},
                             {"abc", "-1", "false", "~"},
                             {"~", "~", "~", "-7"},
                             {"7.5", "0,1", "true", "0"},
                             {"", "100", "false", "5"}});
        target.SetName("cdsQMT2");
    }
    void Run(const std::vector<Texts>& rows) {
        SetGridRows(grid, rows);
        Restructure(*source, target, grid);
    }

    DecimalMark mark{','};
    std::unique_ptr<TClientDataSet> source;
    TClientDataSet target;
    TStringGrid grid;
};

TEST_F(RestructureTest, EachValueIsConvertedToTheKindOfItsNewColumn) {
    const struct {
        char mark;
        const char* from;
        const char* kind;
        const char* length;
        Texts values;  // "~" for null
    } cases[] = {
        {',', "S", "String", "3", {"12,", "abc", "~", "7.5", ""}},
        {',', "S", "Number", "", {"12,5", "~", "~", "~", "~"}},
        {'.', "S", "Number", "", {"~", "~", "~", "7.5", "~"}},
        {',', "S", "Boolean", "", {"~", "~", "~", "~", "~"}},
        {',', "S", "Integer", "", {"12,5", "abc", "~", "7.5", ""}},  // a text column of 20
        {',', "F", "String", "20", {"2,5", "-1", "~", "0,1", "100"}},
        {'.', "F", "String", "20", {"2.5", "-1", "~", "0.1", "100"}},
        {',', "F", "Number", "", {"2,5", "-1", "~", "0,1", "100"}},
        {',', "F", "Boolean", "", {"~", "~", "~", "~", "~"}},
        {',', "B", "String", "5", {"Wahr", "Falsc", "~", "Wahr", "Falsc"}},
        {',', "B", "Number", "", {"0", "0", "~", "0", "0"}},
        {',', "B", "Boolean", "", {"Wahr", "Falsch", "~", "Wahr", "Falsch"}},
        {',', "I", "String", "8", {"42", "~", "-7", "0", "5"}},
        {',', "I", "Number", "", {"0", "~", "0", "0", "0"}},
        {',', "I", "Boolean", "", {"~", "~", "~", "~", "~"}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(std::string(c.from) + " -> " + c.kind + " with " + c.mark);
        DecimalMark scoped(c.mark);
        Run({{c.from, "New", c.kind, c.length}});
        EXPECT_EQ(Column(target, "New"), c.values);
    }
    Run({{"S", "New", "Integer", "4"}});
    EXPECT_EQ(target.FieldByName("New").DataType(), ftString);
    EXPECT_EQ(target.FieldByName("New").Size(), 20);
}

TEST_F(RestructureTest, RowsDecideColumnsAndTheSourceViewDecidesRecordOrder) {
    source->AddIndex("IIndex", "I", {ixDescending});
    source->SetIndexName("IIndex");
    Run({{"F", "S", "Number", ""},         // renamed to a name the source has elsewhere
         {"S", "Text", "String", "10"},    // the old name moves to a new one
         {"", "Fresh", "Boolean", ""},     // inserted in the dialog
         {"S", "Again", "String", "10"},   // an old name used twice: only the first row gets it
         {"b", "Lower", "Boolean", ""}});  // names compare exactly: "b" is not "B"
    EXPECT_EQ(FieldNames(target), (Texts{"S", "Text", "Fresh", "Again", "Lower"}));
    EXPECT_EQ(Column(target, "S"), (Texts{"2,5", "100", "0,1", "~", "-1"}));
    EXPECT_EQ(Column(target, "Text"), (Texts{"12,5", "", "7.5", "~", "abc"}));
    for (const char* empty : {"Fresh", "Again", "Lower"})
        EXPECT_EQ(Column(target, empty), Texts(5, "~")) << empty;
    EXPECT_EQ(target.IndexName(), "");
    EXPECT_EQ(source->IndexName(), "IIndex");  // the source is read, not changed
    EXPECT_EQ(source->RecordCount(), 5);
}

TEST_F(RestructureTest, TargetGivesUpItsFormerTable) {
    Run({{"S", "S", "String", "10"}});
    target.AddIndex("SIndex", "S", {});
    target.SetIndexName("SIndex");
    // Only inserted rows: no column is carried, so no records either.
    Run({{"", "A", "String", "4"}, {"", "B", "Number", ""}});
    EXPECT_TRUE(target.Active());
    EXPECT_EQ(FieldNames(target), (Texts{"A", "B"}));
    EXPECT_EQ(target.RecordCount(), 0);
    EXPECT_EQ(target.IndexDefs().Count(), 0);
    EXPECT_EQ(target.IndexName(), "");

    auto empty = MakeDataSet({{"X", ftString}});
    SetGridRows(grid, {{"X", "X", "String", "4"}});
    Restructure(*empty, target, grid);  // a source without records
    EXPECT_EQ(target.RecordCount(), 0);
}

TEST_F(RestructureTest, ARecordBeingInsertedIsStoredAndCopied) {
    source->Append();
    source->FieldByName("S").SetAsString("typed");
    Run({{"S", "S", "String", "10"}});
    EXPECT_EQ(source->State(), dsBrowse);
    EXPECT_EQ(Column(target, "S"), (Texts{"12,5", "abc", "~", "7.5", "", "typed"}));
}

TEST_F(RestructureTest, ARefusedDefinitionLeavesTheSourceAsItWas) {
    const struct {
        std::vector<Texts> rows;
        std::string message;
    } cases[] = {
        {{{"S", "a", "String", "4"}, {"F", "A", "Number", ""}},
         FormatMessage(Msg::DuplicateName, {"A"})},
        {{{"S", "a", "String", "-----"}}, FormatMessage(Msg::InvalidInteger, {"-----"})},
        {{{"S", std::string(32, 'n'), "Number", ""}},
         FormatMessage(Msg::FieldNameTooLong, {std::string(32, 'n'), "31"})},
        {{}, Msg::NoFieldsDefined},
        {{{"S", "", "Number", ""}}, std::string("cdsQMT2: ") + Msg::FieldNameMissing},
    };
    source->AddIndex("SIndex", "S", {});
    source->SetIndexName("SIndex");
    for (const auto& c : cases) {
        SCOPED_TRACE(c.message);
        Run({{"S", "S", "String", "10"}});  // target open with records
        SetGridRows(grid, c.rows);
        EXPECT_EQ(MessageOf([&] { Restructure(*source, target, grid); }), c.message);
        EXPECT_FALSE(target.Active());
        EXPECT_EQ(target.IndexDefs().Count(), 0);
        EXPECT_EQ(source->IndexName(), "SIndex");
        EXPECT_EQ(Column(*source, "S"), (Texts{"~", "", "12,5", "7.5", "abc"}));
    }
}
