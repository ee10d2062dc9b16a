#include "table_file/sy_standard.h"

#include <gtest/gtest.h>

#include <functional>

#include "platform/core/exceptions.h"

namespace {

struct SplitCase {
    std::string line;
    bool ok;
    std::vector<std::string> entries;
};

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
        SplitCase{"false,,", true, {"b=false"}},
        // quoted texts, pending text joining them
        SplitCase{"\"a\" \"b\",", true, {"s=a", "s=b"}}, SplitCase{"ab\"cd\",", true, {"s=abcd"}},
        SplitCase{"\"ab\"cd,", false, {"s=ab"}}, SplitCase{"\"it's\",", true, {"s=it's"}},
        SplitCase{"'say \"hi\"',", true, {"s=say \"hi\""}},
        // escapes inside quotes
        SplitCase{"\"a\\\\b\"", true, {"s=a\\b"}}, SplitCase{"\"a\\\"b\"", true, {"s=a\"b"}},
        SplitCase{"\"a\\'b\"", true, {"s=a'b"}}, SplitCase{"\"a\\,b\"", true, {"s=a\\,b"}},
        SplitCase{"\"\\ab\"", true, {"s=\\ab"}}, SplitCase{"\"a\\ b\"", true, {"s=a b"}},
        // unclosed quoted texts are dropped at the end of the line
        SplitCase{"\"abc", true, {}}, SplitCase{"1,\"abc", true, {"n=1"}},
        // a backslash outside quotes is always an error
        SplitCase{"1,\\", false, {"n=1"}},
        // empty and "null" texts, numbers as written
        SplitCase{"\"\",", true, {"s="}}, SplitCase{"\"null\",", true, {"s=null"}},
        SplitCase{".,E5,+4.50,", true, {"n=.", "n=E5", "n=+4.50"}}, SplitCase{"0x10,", false, {}},
        // bytes from 0x80 up and NUL are ordinary bytes
        SplitCase{"\"\xc4\xdf\",", true, {"s=\xc4\xdf"}}, SplitCase{"\xa0,", false, {}},
        SplitCase{std::string("\"a\0b\",", 6), true, {std::string("s=a\0b", 5)}}));

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
        {"delete the last row", "HABC", [](TStringGrid& g) { GridDeleteRow(g, 3); }, "HAB"},
        {"swap rows 3 and 1", "HABC", [](TStringGrid& g) { GridSwapRows(g, 3, 1); }, "HCBA"},
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

TEST(GridRowsTest, ANegativeRowIsRefused) {
    const struct {
        const char* what;
        std::function<void(TStringGrid&)> op;
    } cases[] = {{"delete row -1", [](TStringGrid& g) { GridDeleteRow(g, -1); }},
                 {"swap rows -1 and 2", [](TStringGrid& g) { GridSwapRows(g, -1, 2); }},
                 {"insert at row -1", [](TStringGrid& g) { GridInsertRow(g, -1); }},
                 {"insert at row 5", [](TStringGrid& g) { GridInsertRow(g, 5); }}};
    for (const auto& c : cases) {
        TStringGrid grid = MakeGrid("HABC");
        EXPECT_THROW(c.op(grid), EListError) << c.what;
        EXPECT_EQ(RowNames(grid), "HABC") << c.what;
        EXPECT_EQ(grid.RowCount(), 4) << c.what;
    }
}

}  // namespace
