#include "table_file/sy_standard.h"

#include "platform/core/number_text.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <functional>
#include <random>

#include <string>
#include <vector>

namespace {

struct SplitCase {
    std::string line;
    bool ok;
    std::vector<std::string> entries;
};

std::vector<std::string> Entries(const TStringList& list) {
    return std::vector<std::string>(list.Items().begin(), list.Items().end());
}

void PrintTo(const SplitCase& c, std::ostream* os) {
    *os << "line [" << c.line << "]";
}

class SplitTableLineTest : public testing::TestWithParam<SplitCase> {};

TEST_P(SplitTableLineTest, GivesEntriesAndResult) {
    const SplitCase& c = GetParam();
    TStringList tokens;
    tokens.Add("left over from before");
    EXPECT_EQ(SplitTableLine(c.line, tokens), c.ok);
    EXPECT_EQ(Entries(tokens), c.entries);

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
        {"1E5E5", false}, {"+-1", false},   {"1e5.5", false}, {"E", false},   {"1 ", false},
    };
    for (const auto& c : cases) EXPECT_EQ(table_line::IsNumberText(c.text), c.isNumber) << c.text;
}

// ---------------------------------------------------------------- grid rows

// A grid whose rows hold the given texts in every column ("A" -> A0, A1, A2).
TStringGrid MakeGrid(const std::vector<std::string>& rows, int cols = 3) {
    TStringGrid grid;
    grid.SetColCount(cols);
    grid.SetRowCount(static_cast<int>(rows.size()));
    for (int r = 0; r < static_cast<int>(rows.size()); ++r) {
        for (int c = 0; c < cols; ++c)
            grid.SetCells(c, r, rows[r].empty() ? "" : rows[r] + std::to_string(c));
    }
    return grid;
}

std::vector<std::string> Rows(const TStringGrid& grid) {
    std::vector<std::string> rows;
    for (int r = 0; r < grid.RowCount(); ++r) {
        std::string row;
        for (int c = 0; c < grid.ColCount(); ++c) row += (c ? "|" : "") + grid.Cells(c, r);
        rows.push_back(row);
    }
    return rows;
}

using RowList = std::vector<std::string>;

TEST(GridRowsTest, InsertDeleteSwap) {
    struct Case {
        const char* what;
        RowList before;
        std::function<void(TStringGrid&)> op;
        RowList after;
    };
    const Case cases[] = {
        {"insert at row 1",
         {"H", "A", "B"},
         [](TStringGrid& g) { GridInsertRow(g, 1); },
         {"H0|H1|H2", "||", "A0|A1|A2", "B0|B1|B2"}},
        {"insert one past the last row",
         {"H", "A", "B"},
         [](TStringGrid& g) { GridInsertRow(g, 3); },
         {"H0|H1|H2", "A0|A1|A2", "B0|B1|B2", "||"}},
        {"insert at row 0",
         {"H", "A"},
         [](TStringGrid& g) { GridInsertRow(g, 0); },
         {"||", "H0|H1|H2", "A0|A1|A2"}},
        {"delete row 1",
         {"H", "A", "B", "C"},
         [](TStringGrid& g) { GridDeleteRow(g, 1); },
         {"H0|H1|H2", "B0|B1|B2", "C0|C1|C2"}},
        {"delete the last row",
         {"H", "A", "B", "C"},
         [](TStringGrid& g) { GridDeleteRow(g, 3); },
         {"H0|H1|H2", "A0|A1|A2", "B0|B1|B2"}},
        {"swap rows 1 and 2",
         {"H", "A", "B"},
         [](TStringGrid& g) { GridSwapRows(g, 1, 2); },
         {"H0|H1|H2", "B0|B1|B2", "A0|A1|A2"}},
        {"swap rows 2 and 1",
         {"H", "A", "B", "C"},
         [](TStringGrid& g) { GridSwapRows(g, 3, 1); },
         {"H0|H1|H2", "C0|C1|C2", "B0|B1|B2", "A0|A1|A2"}},
        {"swap a row with itself",
         {"H", "A", "B"},
         [](TStringGrid& g) { GridSwapRows(g, 2, 2); },
         {"H0|H1|H2", "A0|A1|A2", "B0|B1|B2"}},
    };
    for (const auto& c : cases) {
        TStringGrid grid = MakeGrid(c.before);
        c.op(grid);
        EXPECT_EQ(Rows(grid), c.after) << c.what;
    }
}

TEST(GridRowsTest, InsertNeverShowsTextsOfRowsCutBefore) {
    TStringGrid grid = MakeGrid({"H", "A", "B", "C"});
    grid.SetRowCount(3);  // keeps C's texts out of sight
    GridInsertRow(grid, 3);
    EXPECT_EQ(Rows(grid), (RowList{"H0|H1|H2", "A0|A1|A2", "B0|B1|B2", "||"}));
}

TEST(GridRowsTest, CurrentRowKeepsItsNumberOrMovesUpWhenCut) {
    TStringGrid grid = MakeGrid({"H", "A", "B"});
    grid.SetRow(1);
    GridInsertRow(grid, 1);
    EXPECT_EQ(grid.Row(), 1);
    EXPECT_EQ(grid.Cells(0, 1), "");

    grid.SetRow(3);
    GridDeleteRow(grid, 3);
    EXPECT_EQ(grid.RowCount(), 3);
    EXPECT_EQ(grid.Row(), 2);

    GridSwapRows(grid, 1, 2);
    EXPECT_EQ(grid.Row(), 2);
    EXPECT_EQ(grid.Cells(0, 1), "A0");
    EXPECT_EQ(grid.Cells(0, 2), "");
}

}  // namespace
