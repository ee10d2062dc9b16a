#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "platform/core/exceptions.h"
#include "table_file/sy_db.h"
#include "tests/table_file/table_file_test_support.h"

namespace {

using namespace table_file_test;
using Rows = std::vector<std::vector<std::string>>;
using Defs = std::vector<std::string>;

const std::string kHead =
    "/* Quimbly Table Format 0.9 */\r\nquiTables[quiTables.length] = new Array(\r\n";

struct LoadCase {
    const char* what;
    std::string file;
    Defs defs;
    Rows records;
};

class LoadTableFileTest : public testing::Test {
  protected:
    bool Load(const std::string& bytes) {
        WriteBytes(dir_.File("t.qmt"), bytes);
        return LoadTableFile(dir_.File("t.qmt"), ds_);
    }
    ScratchDir dir_;
    TClientDataSet ds_;
    MessageRecorder messages_;
    DecimalMark mark_{','};
};

TEST_F(LoadTableFileTest, LoadsWhatTheRulesPrescribe) {
    const LoadCase cases[] = {
        {"four lines: columns and no records",
         kHead + "\"a\",\"b\",\r\n2);\r\n",
         {"a:S:16", "b:S:16"},
         {}},
        {"lines 1, 2 and the last are not examined",
         "anything\r\n\\\\,x,\r\n\"a\",\r\n\"x\",\r\n99 wrong);\r\n",
         {"a:S:17"},
         {{"'x"}}},
        {"a blank record line gives nulls",
         kHead + "\"a\",\"b\",\r\n\r\n2);\r\n",
         {"a:S:16", "b:S:16"},
         {{"null", "null"}}},
        {"a line after the closing line turns it into a record",
         kHead + "\"a\",\r\n1,\r\n1);\r\nextra,\r\n",
         {"a:F:0"},
         {{"1"}, {"null"}}},
        {"text sizes: 16 plus the longest text",
         kHead + "\"a\",\"n\",\"e\",\r\n\"abc\",null,\"\",\r\n\"hello\",null,\"\",\r\n3);\r\n",
         {"a:S:21", "n:S:16", "e:S:16"},
         {{"'abc", "null", "'"}, {"'hello", "null", "'"}}},
        {"a number after texts makes a number column",
         kHead + "\"a\",\r\n\"12\",\r\n\" 7 \",\r\n3.5,\r\n1);\r\n",
         {"a:F:0"},
         {{"12"}, {"7"}, {"3.5"}}},
        {"the first truth value fixes the kind",
         kHead + "\"a\",\r\n\"x\",\r\nfalse,\r\n5,\r\n\"true\",\r\ntrue,\r\n1);\r\n",
         {"a:B:0"},
         {{"false"}, {"false"}, {"false"}, {"true"}, {"true"}}},
        {"null, quoted or not, is null in every kind",
         kHead + "\"s\",\"n\",\"b\",\r\n\"null\",null,\"null\",\r\nnull,1,true,\r\n3);\r\n",
         {"s:S:20", "n:F:0", "b:B:0"},
         {{"null", "null", "null"}, {"null", "1", "true"}}},
        {"fewer tokens than columns leave nulls",
         kHead + "\"a\",\"b\",\r\n1,\r\nnull,2,\r\n2);\r\n",
         {"a:F:0", "b:F:0"},
         {{"1", "null"}, {"null", "2"}}},
        {"unquoted header words name columns",
         kHead + "12,true,null,\r\n1);\r\n",
         {"12:S:16", "true:S:16", "null:S:16"},
         {}},
        {"header escapes are resolved",
         kHead + "\"a\\\"b\",'c\\'d',\r\n1);\r\n",
         {"a\"b:S:16", "c'd:S:16"},
         {}},
        {"lone LF, lone CR and a missing last break",
         "1\n2\r\"a\",\r\"x\",\n\r\n1);",
         {"a:S:17"},
         {{"'x"}, {"null"}}},
        {"the text ends at a NUL byte",
         kHead + "\"a\",\r\n\"x\",\r\n1);\r\n" + std::string(1, '\0') + "\"y\",\r\n1);\r\n",
         {"a:S:17"},
         {{"'x"}}},
        {"numbers of every form",
         kHead + "\"a\",\r\n1E5,\r\n-0.125,\r\n.,\r\n+4.50,\r\n1.5e-7,\r\n1);\r\n",
         {"a:F:0"},
         {{"100000"}, {"-0.125"}, {"0"}, {"4.5"}, {"1.4999999999999999e-07"}}},
        {"bytes from 0x80 up and texts holding quotes and commas",
         kHead + "\"\xc4rger\",\r\n\"\xe4 \\\\ \\\" ' , =\",\r\n1);\r\n",
         {"\xc4rger:S:27"},
         {{"'\xe4 \\ \" ' , ="}}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        ASSERT_TRUE(Load(c.file));
        EXPECT_FALSE(ds_.Active());
        EXPECT_EQ(DefsOf(ds_), c.defs);
        EXPECT_EQ(RecordsOf(ds_), c.records);
        ds_.Close();
    }
    EXPECT_TRUE(messages_.messages.empty());
}

struct FailCase {
    const char* what;
    std::string file;
    Defs defsAfter;
    bool loadError;  // "QMT Load Error" shown
};

TEST_F(LoadTableFileTest, FailuresReturnFalseWithTheDefinitionsBuiltSoFar) {
    const std::string name31(31, 'n');
    const std::string name32(32, 'n');
    const FailCase cases[] = {
        {"header cannot be split", kHead + "\"a\",b,\r\n1,\r\n1);\r\n", {}, true},
        {"header with a backslash", kHead + "\\\r\n1);\r\n", {}, true},
        {"header without tokens", kHead + "\r\n1,\r\n1);\r\n", {}, false},
        {"header without tokens, no records", kHead + "\r\n1);\r\n", {}, false},
        {"names equal without regard to case",
         kHead + "\"Name\",\"x\",\"NAME\",\r\n3);\r\n",
         {"Name:S:16", "x:S:16", ":0:0"},
         false},
        {"an empty name", kHead + "\"a\",\"\",\r\n2);\r\n", {"a:S:16", ":S:16"}, false},
        {"a name of 32 characters",
         kHead + "\"" + name32 + "\",\r\n1);\r\n",
         {name32 + ":S:16"},
         false},
        {"a text size of 65531",
         kHead + "\"a\",\r\n\"" + std::string(65515, 'x') + "\",\r\n1);\r\n",
         {"a:S:65531"},
         false},
        {"a record line that cannot be split",
         kHead + "\"a\",\r\n1,\r\nabc,\r\n1);\r\n",
         {"a:F:0"},
         false},
        {"more tokens than columns, after the earlier tokens of the line",
         kHead + "\"a\",\"b\",\r\n1,\"xyz\",\r\n\"q\",\"longer text\",3,\r\n2);\r\n",
         {"a:F:0", "b:S:27"},
         false},
        {"more tokens than columns in a line that the load pass would reject first",
         kHead + "\"a\",\r\nbad,\r\n1,2,\r\n1);\r\n",
         {"a:F:0"},
         false},
        {"a text in a number column that does not convert",
         kHead + "\"a\",\r\n\"x\",\r\n\"y\",\r\n1,\r\n1);\r\n",
         {"a:F:0"},
         false},
        {"a truth value in a number column",
         kHead + "\"a\",\r\n1,\r\ntrue,\r\n1);\r\n",
         {"a:F:0"},
         false},
        {"E5 does not convert", kHead + "\"a\",\r\nE5,\r\n1);\r\n", {"a:F:0"}, false},
        {"a number outside the range of a double",
         kHead + "\"a\",\r\n1E999,\r\n1);\r\n",
         {"a:F:0"},
         false},
        {"a backslash after the last comma",
         kHead + "\"a\",\r\n\"x\",\\\r\n1);\r\n",
         {"a:S:16"},
         false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        messages_.messages.clear();
        // A dataset with a table, records and an index to be dropped.
        MakeDataSet(ds_, {{"old", ftString, 10}});
        ds_.Append();
        ds_.Fields()[0].SetAsString("v");
        ds_.Post();
        ds_.IndexDefs().Add(TIndexDef{"oldIndex", "old", {}});

        EXPECT_FALSE(Load(c.file));
        EXPECT_FALSE(ds_.Active());
        EXPECT_EQ(ds_.IndexDefs().Count(), 0);
        EXPECT_EQ(ds_.IndexName(), "");
        EXPECT_EQ(DefsOf(ds_), c.defsAfter);
        EXPECT_EQ(messages_.messages, c.loadError ? std::vector<std::string>{"QMT Load Error"}
                                                  : std::vector<std::string>{});
    }
    // The limits themselves still load.
    ASSERT_TRUE(
        Load(kHead + "\"" + name31 + "\",\r\n\"" + std::string(65514, 'x') + "\",\r\n1);\r\n"));
    EXPECT_EQ(DefsOf(ds_), (Defs{name31 + ":S:65530"}));
}

TEST_F(LoadTableFileTest, ShortFilesLeaveTheDatasetUntouched) {
    for (const std::string& file :
         {std::string(), kHead + "\"a\",\r\n", std::string("\r\n\r\n\r\n"),
          kHead + "\"a\"," + std::string(1, '\0') + "\r\n1,\r\n1);\r\n"}) {
        MakeDataSet(ds_, {{"old", ftString, 10}});
        ds_.Append();
        ds_.Fields()[0].SetAsString("v");
        ds_.Post();
        EXPECT_FALSE(Load(file));
        EXPECT_TRUE(ds_.Active());
        EXPECT_EQ(DefsOf(ds_), (Defs{"old:S:10"}));
        EXPECT_EQ(RecordsOf(ds_), (Rows{{"'v"}}));
    }
    EXPECT_TRUE(messages_.messages.empty());
}

TEST_F(LoadTableFileTest, OpenErrorPassesOutAndLeavesTheDatasetUntouched) {
    MakeDataSet(ds_, {{"old", ftString, 10}});
    const std::string missing = dir_.File("missing.qmt");
    try {
        LoadTableFile(missing, ds_);
        FAIL() << "no error raised";
    } catch (const EFOpenError& e) {
        EXPECT_NE(e.Message().find("Datei " + missing +
                                   " kann nicht ge\xc3\xb6"
                                   "ffnet werden."),
                  std::string::npos)
            << e.Message();
    }
    EXPECT_TRUE(ds_.Active());
    EXPECT_EQ(DefsOf(ds_), (Defs{"old:S:10"}));
    EXPECT_THROW(LoadTableFile(dir_.Path().string(), ds_), EFOpenError);
    EXPECT_EQ(DefsOf(ds_), (Defs{"old:S:10"}));
}

TEST_F(LoadTableFileTest, SuccessDropsTheIndexAndKeepsFileOrder) {
    MakeDataSet(ds_, {{"a", ftString, 10}});
    ds_.IndexDefs().Add(TIndexDef{"cdsQMT1Index1", "a", {}});
    ASSERT_TRUE(Load(kHead + "\"a\",\r\n3,\r\n1,\r\n2,\r\n1);\r\n"));
    EXPECT_EQ(ds_.IndexDefs().Count(), 0);
    EXPECT_EQ(ds_.IndexName(), "");
    EXPECT_EQ(RecordsOf(ds_), (Rows{{"3"}, {"1"}, {"2"}}));
}

TEST_F(LoadTableFileTest, NumbersLoadUnderBothDecimalMarks) {
    const std::string file =
        kHead + "\"a\",\r\n2.5,\r\n25,\r\n1E5,\r\n\"1.5e3\",\r\n\"2,25\",\r\n.,\r\n1);\r\n";
    const Rows expected{{"2.5"}, {"25"}, {"100000"}, {"1500"}, {"2.25"}, {"0"}};
    for (const char mark : {',', '.'}) {
        DecimalMark m(mark);
        ASSERT_TRUE(Load(file)) << mark;
        EXPECT_EQ(RecordsOf(ds_), expected) << mark;
        ds_.Close();
    }
}

}  // namespace
