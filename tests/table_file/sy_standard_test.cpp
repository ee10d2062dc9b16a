#include "table_file/sy_standard.h"

#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

namespace {

struct SplitCase {
    std::string line;
    bool ok;
    std::vector<std::string> entries;
};

void PrintTo(const SplitCase& c, std::ostream* os) {
    *os << "line [" << c.line << "]";
}

class SplitTableLineTest : public testing::TestWithParam<SplitCase> {};

TEST_P(SplitTableLineTest, GivesEntriesAndResult) {
    const SplitCase& c = GetParam();
    TStringList tokens;
    tokens.Add("left over from before");
    EXPECT_EQ(SplitTableLine(c.line, tokens), c.ok);
    EXPECT_EQ(tokens.Items(), c.entries);

    // The scan without texts agrees on result, kinds and lengths.
    table_line::LineSplitter splitter;
    EXPECT_EQ(splitter.Scan(c.line), c.ok);
    ASSERT_EQ(splitter.Count(), c.entries.size());
    for (size_t i = 0; i < c.entries.size(); ++i) {
        EXPECT_EQ(splitter.Kind(i), c.entries[i][0]);
        EXPECT_EQ(splitter.Length(i), c.entries[i].size() - 2);
    }
}

// Lines as they stand in files, with what the tokenizer makes of them.
INSTANTIATE_TEST_SUITE_P(
    Lines, SplitTableLineTest,
    testing::Values(
        // empty lines, the closing line, values after the last comma
        SplitCase{"", true, {}}, SplitCase{"3);", true, {}},
        SplitCase{"\"a\",\"b\",", true, {"s=a", "s=b"}}, SplitCase{"1,2", true, {"n=1"}},
        SplitCase{"1,x", true, {"n=1"}},
        // bad unquoted tokens stop the scan, keeping what came before
        SplitCase{"x,1,", false, {}}, SplitCase{"1,x,", false, {"n=1"}},
        SplitCase{"True,", false, {}}, SplitCase{"NULL,", false, {}},
        // blanks outside quotes are dropped, control bytes trimmed at the ends
        SplitCase{"tr ue,", true, {"b=true"}}, SplitCase{"1 000,", true, {"n=1000"}},
        SplitCase{"\t5\t,", true, {"n=5"}}, SplitCase{"\x01null\x1f,", true, {"u=null"}},
        SplitCase{"1\t2,", false, {}},
        // keywords
        SplitCase{"true,false,null,", true, {"b=true", "b=false", "u=null"}},
        // empty tokens add nothing
        SplitCase{",,\t,", true, {}}, SplitCase{"\"a\",,", true, {"s=a"}},
        // quoted texts, pending text joining them
        SplitCase{"\"a\" \"b\",", true, {"s=a", "s=b"}}, SplitCase{"ab\"cd\",", true, {"s=abcd"}},
        SplitCase{"\"ab\"cd,", false, {"s=ab"}}, SplitCase{"\t\"x\",", true, {"s=\tx"}},
        SplitCase{"\"it's\",", true, {"s=it's"}},
        SplitCase{"'say \"hi\"',", true, {"s=say \"hi\""}},
        SplitCase{"\"a, b = c\",", true, {"s=a, b = c"}}, SplitCase{"\" x \",", true, {"s= x "}},
        // escapes inside quotes
        SplitCase{"\"a\\\\b\"", true, {"s=a\\b"}}, SplitCase{"\"a\\\"b\"", true, {"s=a\"b"}},
        SplitCase{"\"a\\'b\"", true, {"s=a'b"}}, SplitCase{"'a\\'b'", true, {"s=a'b"}},
        SplitCase{"\"a\\,b\"", true, {"s=a\\,b"}}, SplitCase{"\"\\ab\"", true, {"s=\\ab"}},
        SplitCase{"\"a\\ b\"", true, {"s=a b"}}, SplitCase{"\"a\\\xe4\"", true, {"s=a\\\xe4"}},
        SplitCase{"\"a\\\\\\\"b\",", true, {"s=a\\\"b"}},
        // unclosed quoted texts are dropped at the end of the line
        SplitCase{"\"abc", true, {}}, SplitCase{"1,\"abc", true, {"n=1"}},
        SplitCase{"\"ab\\", true, {}},
        // a backslash outside quotes is always an error
        SplitCase{"1,\\", false, {"n=1"}}, SplitCase{"\\\"a\",", false, {}},
        // empty and "null" texts
        SplitCase{"\"\",", true, {"s="}}, SplitCase{"\"null\",", true, {"s=null"}},
        // numbers are kept as written
        SplitCase{".,E5,+4.50,1.5e-7,", true, {"n=.", "n=E5", "n=+4.50", "n=1.5e-7"}},
        SplitCase{"0x10,", false, {}},
        // bytes from 0x80 up are ordinary bytes
        SplitCase{"\"\xc4\xd6\xdc\xdf\",", true, {"s=\xc4\xd6\xdc\xdf"}},
        SplitCase{"\xa0,", false, {}},
        // an embedded NUL is an ordinary byte
        SplitCase{std::string("\"a\0b\",", 6), true, {std::string("s=a\0b", 5)}}));

struct NumberCase {
    const char* text;
    bool isNumber;
};

TEST(IsNumberTextTest, AcceptsOnlyTheNumberForm) {
    const NumberCase cases[] = {
        {"12", true},     {"-3", true},     {"+4.50", true},  {".5", true},   {"5.", true},
        {"1E5", true},    {"1.5e-7", true}, {"E5", true},     {".", true},    {"-.", true},
        {"1e+5", true},   {"007", true},    {"-", false},     {"+", false},   {"1e", false},
        {"1e+", false},   {"e", false},     {"1.2.3", false}, {"$1F", false}, {"0x10", false},
        {"1-2", false},   {"True", false},  {"NULL", false},  {"", false},    {"1,5", false},
        {"1E5E5", false}, {"+-1", false},   {"1e5.5", false}, {"E", false},   {"1 ", false}};
    for (const auto& c : cases) EXPECT_EQ(table_line::IsNumberText(c.text), c.isNumber) << c.text;
}

// ---------------------------------------------------------------- grid rows

// A grid of three columns whose rows are named by letters: row "A" holds A0,
// A1, A2; "." is an empty row.
TStringGrid MakeGrid(const std::string& rows) {
    TStringGrid grid;
    grid.SetColCount(3);
    grid.SetRowCount(static_cast<int>(rows.size()));
    for (int r = 0; r < grid.RowCount(); ++r) {
        for (int c = 0; c < 3 && rows[r] != '.'; ++c)
            grid.SetCells(c, r, rows[r] + std::to_string(c));
    }
    return grid;
}

// The grid's rows as MakeGrid takes them; "?" for a row that is neither.
std::string RowNames(const TStringGrid& grid) {
    std::string names;
    for (int r = 0; r < grid.RowCount(); ++r) {
        const std::string first = grid.Cells(0, r);
        const char name = first.empty() ? '.' : first[0];
        bool whole = grid.ColCount() == 3;
        for (int c = 0; c < 3; ++c)
            whole = whole && grid.Cells(c, r) == (name == '.' ? "" : name + std::to_string(c));
        names.push_back(whole ? name : '?');
    }
    return names;
}

TEST(GridRowsTest, InsertDeleteSwap) {
    const struct {
        const char* what;
        const char* before;
        std::function<void(TStringGrid&)> op;
        const char* after;
    } cases[] = {
        {"insert at row 1", "HAB", [](TStringGrid& g) { GridInsertRow(g, 1); }, "H.AB"},
        {"insert past the last row", "HAB", [](TStringGrid& g) { GridInsertRow(g, 3); }, "HAB."},
        {"insert at row 0", "HA", [](TStringGrid& g) { GridInsertRow(g, 0); }, ".HA"},
        {"delete row 1", "HABC", [](TStringGrid& g) { GridDeleteRow(g, 1); }, "HBC"},
        {"delete the last row", "HABC", [](TStringGrid& g) { GridDeleteRow(g, 3); }, "HAB"},
        {"swap rows 1 and 2", "HAB", [](TStringGrid& g) { GridSwapRows(g, 1, 2); }, "HBA"},
        {"swap rows 3 and 1", "HABC", [](TStringGrid& g) { GridSwapRows(g, 3, 1); }, "HCBA"},
        {"swap a row with itself", "HAB", [](TStringGrid& g) { GridSwapRows(g, 2, 2); }, "HAB"},
        {"insert after rows were cut",  // never shows the texts of cut rows
         "HABC",
         [](TStringGrid& g) {
             g.SetRowCount(3);
             GridInsertRow(g, 3);
         },
         "HAB."}};
    for (const auto& c : cases) {
        TStringGrid grid = MakeGrid(c.before);
        c.op(grid);
        EXPECT_EQ(RowNames(grid), c.after) << c.what;
    }
}

TEST(GridRowsTest, CurrentRowKeepsItsNumberOrMovesUpWhenCut) {
    TStringGrid grid = MakeGrid("HAB");
    grid.SetRow(1);
    GridInsertRow(grid, 1);
    EXPECT_EQ(grid.Row(), 1);
    grid.SetRow(3);
    GridDeleteRow(grid, 3);
    EXPECT_EQ(RowNames(grid), "H.A");
    EXPECT_EQ(grid.Row(), 2);
    GridSwapRows(grid, 1, 2);
    EXPECT_EQ(grid.Row(), 2);
    EXPECT_EQ(RowNames(grid), "HA.");
}

}  // namespace
