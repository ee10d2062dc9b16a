#include <gtest/gtest.h>

#include "table_file/sy_db.h"
#include "tests/table_file/table_file_test_support.h"

namespace {

using namespace table_file_test;
using Defs = Texts;

class LoadTableFileTest : public testing::Test {
  protected:
    bool Load(const std::string& bytes) {
        WriteBytes(dir_.File("t.qmt"), bytes);
        return LoadTableFile(dir_.File("t.qmt"), ds_);
    }
    // An open table with a record and an index, all to be replaced.
    void MakeOldTable() {
        MakeTable(ds_, {{"old", ftString, 10}});
        AppendRows(ds_, {{"v"}});
        ds_.IndexDefs().Clear();
        ds_.IndexDefs().Add(TIndexDef{"oldIndex", "old", {}});
    }
    ScratchDir dir_;
    TClientDataSet ds_;
    MessageRecorder messages_;
    DecimalMark mark_{','};
};

// A table file: the two opening lines, then the given lines ("|" between
// them), each ended by CR LF.
std::string File(std::string lines) {
    for (size_t at = lines.find('|'); at != std::string::npos; at = lines.find('|', at))
        lines.replace(at, 1, "\r\n");
    return kHead + lines + "\r\n";
}

TEST_F(LoadTableFileTest, LoadsWhatTheRulesPrescribe) {
    const struct {
        const char* what;
        std::string file;
        Defs defs;
        Rows records;
    } cases[] = {
        {"four lines: columns and no records", File(R"("a","b",|2);)"), {"a:S:16", "b:S:16"}, {}},
        {"lines 1, 2 and the last are not examined",
         "anything\r\n\\\\,x,\r\n\"a\",\r\n\"x\",\r\n99 wrong);\r\n",
         {"a:S:17"},
         {{"'x"}}},
        {"a line after the closing line turns it into a record",
         File("\"a\",|1,|1);|extra,"),
         {"a:F:0"},
         {{"1"}, {"null"}}},
        {"text sizes: 16 plus the longest text",
         File(R"("a","n","e",|"abc",null,"",|"hello",null,"",|3);)"),
         {"a:S:21", "n:S:16", "e:S:16"},
         {{"'abc", "null", "'"}, {"'hello", "null", "'"}}},
        {"a number after texts makes a number column",
         File(R"("a",|"12",|" 7 ",|3.5,|1);)"),
         {"a:F:0"},
         {{"12"}, {"7"}, {"3.5"}}},
        {"the first truth value fixes the kind",
         File(R"("a",|"x",|false,|5,|"true",|true,|1);)"),
         {"a:B:0"},
         {{"false"}, {"false"}, {"false"}, {"true"}, {"true"}}},
        {"null, quoted or not, is null in every kind",
         File(R"("s","n","b",|"null",null,"null",|null,1,true,|3);)"),
         {"s:S:20", "n:F:0", "b:B:0"},
         {{"null", "null", "null"}, {"null", "1", "true"}}},
        {"lone LF, lone CR and a missing last break",
         "1\n2\r\"a\",\r\"x\",\n\r\n1);",
         {"a:S:17"},
         {{"'x"}, {"null"}}},
        {"texts in a number column convert with a full stop",
         File(R"("a",|2.5,|"1.5e3",|"2,25",|1,|1);)"),
         {"a:F:0"},
         {{"2.5"}, {"1500"}, {"2.25"}, {"1"}}}};

    // Numbers are read with "." whatever the decimal mark.
    for (const char mark : {',', '.'}) {
        DecimalMark m(mark);
        for (const auto& c : cases) {
            SCOPED_TRACE(std::string(c.what) + " mark " + mark);
            MakeOldTable();
            ASSERT_TRUE(Load(c.file));
            EXPECT_FALSE(ds_.Active());
            EXPECT_EQ(ds_.IndexDefs().Count(), 0);
            EXPECT_EQ(DefsOf(ds_), c.defs);
            EXPECT_EQ(RecordsOf(ds_), c.records) << "in file order";
        }
    }
    EXPECT_TRUE(messages_.messages.empty());
}

TEST_F(LoadTableFileTest, FailuresReturnFalseWithTheDefinitionsBuiltSoFar) {
    const std::string name31(31, 'n');
    const std::string name32(32, 'n');
    const struct {
        const char* what;
        std::string file;
        Defs defsAfter;
        bool loadError;  // "QMT Load Error" shown
    } cases[] = {
        {"header cannot be split", File("\"a\",b,|1,|1);"), {}, true},
        {"header with a backslash", File("\\|1);"), {}, true},
        {"header without tokens", File("|1,|1);"), {}, false},
        {"names equal without regard to case",
         File(R"("Name","x","NAME",|3);)"),
         {"Name:S:16", "x:S:16", ":0:0"},
         false},
        {"an empty name", File(R"("a","",|2);)"), {"a:S:16", ":S:16"}, false},
        {"a name of 32 characters", File("\"" + name32 + "\",|1);"), {name32 + ":S:16"}, false},
        {"a text size of 65531",
         File("\"a\",|\"" + std::string(65515, 'x') + "\",|1);"),
         {"a:S:65531"},
         false},
        {"a record line that cannot be split", File("\"a\",|1,|abc,|1);"), {"a:F:0"}, false},
        {"more tokens than columns, after the earlier tokens of the line",
         File(R"("a","b",|1,"xyz",|"q","longer text",3,|2);)"),
         {"a:F:0", "b:S:27"},
         false},
        {"more tokens than columns in a line that the load pass would reject first",
         File("\"a\",|bad,|1,2,|1);"),
         {"a:F:0"},
         false},
        {"a text in a number column that does not convert",
         File(R"("a",|"x",|"y",|1,|1);)"),
         {"a:F:0"},
         false},
        {"a truth value in a number column", File("\"a\",|1,|true,|1);"), {"a:F:0"}, false},
        {"a number outside the range of a double", File("\"a\",|1E999,|1);"), {"a:F:0"}, false},
        {"a backslash after the last comma", File(R"("a",|"x",\|1);)"), {"a:S:16"}, false}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        messages_.messages.clear();
        MakeOldTable();

        EXPECT_FALSE(Load(c.file));
        EXPECT_FALSE(ds_.Active());
        EXPECT_EQ(ds_.IndexDefs().Count(), 0);
        EXPECT_EQ(ds_.IndexName(), "");
        EXPECT_EQ(DefsOf(ds_), c.defsAfter);
        EXPECT_EQ(messages_.messages, c.loadError ? std::vector<std::string>{"QMT Load Error"}
                                                  : std::vector<std::string>{});
    }
    // The limits themselves still load.
    ASSERT_TRUE(Load(File("\"" + name31 + "\",|\"" + std::string(65514, 'x') + "\",|1);")));
    EXPECT_EQ(DefsOf(ds_), (Defs{name31 + ":S:65530"}));
}

TEST_F(LoadTableFileTest, ShortOrUnreadableFilesLeaveTheDatasetUntouched) {
    for (const std::string& file :
         {std::string(), File("\"a\","), std::string("\r\n\r\n\r\n"),
          File("\"a\"," + std::string(1, '\0') + "|1,|1);"), std::string("unreadable")}) {
        MakeOldTable();
        if (file == "unreadable") {
            EXPECT_THROW(LoadTableFile(dir_.File("missing.qmt"), ds_), EFOpenError);
        } else {
            EXPECT_FALSE(Load(file));
        }
        EXPECT_TRUE(ds_.Active());
        EXPECT_EQ(ds_.IndexDefs().Count(), 1);
        EXPECT_EQ(DefsOf(ds_), (Defs{"old:S:10"}));
        EXPECT_EQ(RecordsOf(ds_), (Rows{{"'v"}}));
    }
    EXPECT_TRUE(messages_.messages.empty());
}

}  // namespace
