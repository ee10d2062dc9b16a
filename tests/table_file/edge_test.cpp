#include <gtest/gtest.h>

#include <cmath>
#include <limits>

#include "table_file/sy_db.h"
#include "table_file/sy_standard.h"
#include "tests/table_file/table_file_test_support.h"

namespace {

using namespace table_file_test;

class TableFileEdgeTest : public testing::Test {
  protected:
    std::string Save(TClientDataSet& ds) {
        EXPECT_TRUE(SaveTableFile(Path(), '"', ds));
        return ReadBytes(Path());
    }
    bool Load(TClientDataSet& ds) { return LoadTableFile(Path(), ds); }
    std::string Path() const { return dir_.File("t.qmt"); }
    ScratchDir dir_;
    DecimalMark mark_{','};
};

// Column names are escaped as texts are, so that every name reads back; a
// name without backslash and quote character is written as it stands.
TEST_F(TableFileEdgeTest, ColumnNamesWithQuotesAndBackslashesReadBack) {
    const struct {
        std::string name;
        std::string written;
    } cases[] = {{"a\"b", "\"a\\\"b\""},   {"d\\", "\"d\\\\\""},
                 {"\\\"", "\"\\\\\\\"\""},  // backslash, quote: three backslashes, quote
                 {"x\\ny", "\"x\\\\ny\""}, {"it's", "\"it's\""},
                 {" a;b ", "\" a;b \""},   {"\"", "\"\\\"\""}};
    std::string header;
    std::vector<FieldDecl> decls;
    Texts names;
    for (const auto& c : cases) {
        decls.push_back({c.name, ftString, 10});
        names.push_back(c.name + ":S:17");
        header += c.written + ",";
    }
    TClientDataSet ds;
    MakeTable(ds, decls);
    AppendRows(ds, {Texts(decls.size(), "v")});
    const std::string bytes = Save(ds);
    EXPECT_EQ(bytes.substr(kHead.size(), header.size() + 2), header + "\r\n");

    TClientDataSet back;
    ASSERT_TRUE(Load(back));
    EXPECT_EQ(DefsOf(back), names);
    EXPECT_EQ(RecordsOf(back), (Rows{Texts(decls.size(), "'v")}));
}

// The largest doubles are written with 15 digits as 1.79769313486232E308,
// which reads back as the largest double; numbers truly out of range are
// still refused.
TEST_F(TableFileEdgeTest, TheLargestDoublesReadBack) {
    constexpr double kMax = std::numeric_limits<double>::max();
    const double values[] = {kMax,
                             -kMax,
                             std::nextafter(kMax, 0.0),
                             -std::nextafter(kMax, 0.0),
                             std::nextafter(std::nextafter(kMax, 0.0), 0.0),
                             1.79769313486231e308,
                             std::numeric_limits<double>::denorm_min()};
    TClientDataSet ds;
    MakeTable(ds, {{"x", ftFloat}});
    for (const double v : values) {
        ds.Append();
        ds.Fields()[0].SetAsFloat(v);
        ds.Post();
    }
    const std::string bytes = Save(ds);
    EXPECT_NE(bytes.find("\r\n1.79769313486232E308,\r\n-1.79769313486232E308,\r\n"),
              std::string::npos);

    TClientDataSet back;
    ASSERT_TRUE(Load(back));
    back.Open();
    size_t i = 0;
    for (back.First(); !back.Eof(); back.Next(), ++i) {
        const double read = back.Fields()[0].AsFloat();
        const double written = values[i];
        EXPECT_TRUE(std::isfinite(read)) << i;
        EXPECT_LE(std::fabs(read - written), std::fabs(written) * 1e-14) << i;
    }
    EXPECT_EQ(i, std::size(values));

    for (const char* number : {"1e400", "-1e400", "1e309", "1.7976931348624E308"}) {
        WriteBytes(Path(), kHead + "\"x\",\r\n" + number + ",\r\n1);\r\n");
        EXPECT_FALSE(Load(back)) << number;
    }
}

// The writer reserves nothing beyond what it knows: large texts in the first
// records of a long table do not make the save fail.
TEST_F(TableFileEdgeTest, LargeFirstRecordsOfALongTableAreWritten) {
    TClientDataSet ds;
    MakeTable(ds, {{"a", ftString, 60000}, {"b", ftString, 60000}});
    const std::string large(60000, 'x');
    constexpr int kRecords = 300000;
    ds.DisableControls();
    for (int r = 0; r < kRecords; ++r) {
        ds.Append();
        ds.Fields()[0].SetAsString(r < 64 ? std::string_view(large) : "s");
        ds.Fields()[1].SetAsString(r < 64 ? std::string_view(large) : "t");
        ds.Post();
    }
    ds.EnableControls();
    ASSERT_TRUE(SaveTableFile(Path(), '"', ds));
    const std::string bytes = ReadBytes(Path());
    EXPECT_EQ(bytes.size(),
              kHead.size() + 10 + 64 * (2 * 60003 + 2) + (kRecords - 64) * size_t{10} + 5);
    EXPECT_EQ(bytes.substr(bytes.size() - 15), "\"s\",\"t\",\r\n2);\r\n");
}

// Every column of a loaded table can be sorted as the editor sorts: an index
// named after the column plus "Index", on the column's name.
TEST_F(TableFileEdgeTest, EveryColumnOfALoadedTableSorts) {
    WriteBytes(Path(), kHead +
                           "\"a;b\",\" lead\",\"trail \",\"Preis\",\"q\\\"\",\"s\\\\\",\"a\",\r\n"
                           "2,3,1,1,3,2,9,\r\n"
                           "1,1,3,3,2,3,9,\r\n"
                           "3,2,2,2,1,1,9,\r\n"
                           "7);\r\n");
    TClientDataSet ds;
    ds.SetName("cdsQMT1");
    ASSERT_TRUE(Load(ds));
    ds.Open();
    for (int j = 0; j < ds.Fields().Count() - 1; ++j) {
        const std::string column = ds.Fields()[j].FieldName();
        SCOPED_TRACE(column);
        ds.AddIndex(column + "Index", column, {});
        ds.SetIndexName(column + "Index");
        EXPECT_EQ(ds.IndexName(), column + "Index");
        EXPECT_EQ(Column(ds, column), (Texts{"1", "2", "3"}));
    }
}

// With a limit the splitter keeps at most that many tokens and tells when the
// line held more; the result and the tokens kept are those of a split
// without limit.
TEST(LineSplitterLimitTest, TokensPastTheLimitAreCheckedButNotKept) {
    const struct {
        std::string line;
        size_t limit;
        bool ok;
        size_t count;
        bool tooMany;
    } cases[] = {{"1,2,3,", 3, true, 3, false},
                 {"1,2,3,4,", 3, true, 3, true},
                 {"\"a\",\"b\",\"c\\\"\",", 2, true, 2, true},
                 {"1,2,bad,", 1, false, 1, true},
                 {"1,bad,2,", 1, false, 1, false},
                 {"1,2,", 0, true, 0, true},
                 {"", 0, true, 0, false}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.line + " limit " + std::to_string(c.limit));
        table_line::LineSplitter unlimited;
        const bool unlimitedOk = unlimited.Split(c.line);
        for (const bool keepTexts : {true, false}) {
            table_line::LineSplitter splitter;
            const bool ok =
                keepTexts ? splitter.Split(c.line, c.limit) : splitter.Scan(c.line, c.limit);
            EXPECT_EQ(ok, c.ok);
            EXPECT_EQ(ok, unlimitedOk);
            EXPECT_EQ(splitter.Count(), c.count);
            EXPECT_EQ(splitter.TooMany(), c.tooMany);
            for (size_t i = 0; i < splitter.Count(); ++i) {
                EXPECT_EQ(splitter.Kind(i), unlimited.Kind(i));
                EXPECT_EQ(splitter.Length(i), unlimited.Length(i));
                if (keepTexts) {
                    EXPECT_EQ(splitter.Value(i), unlimited.Value(i));
                }
            }
        }
        table_line::LineSplitter reused;
        reused.Split(c.line, c.limit);
        reused.Split("1,", c.limit + 1);
        EXPECT_FALSE(reused.TooMany()) << "each split starts afresh";
    }
}

// A record line of many more tokens than columns fails the load; the tokens
// up to the last column still count for the kinds.
TEST_F(TableFileEdgeTest, ALineOfManyTokensFailsTheLoad) {
    std::string line = "\"abc\",";
    for (int i = 0; i < 100000; ++i) line += "1,";
    WriteBytes(Path(), kHead + "\"a\",\r\n" + line + "\r\n1);\r\n");
    TClientDataSet ds;
    EXPECT_FALSE(Load(ds));
    EXPECT_EQ(DefsOf(ds), (Texts{"a:S:19"}));
}

}  // namespace
