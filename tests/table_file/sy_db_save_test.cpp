#include <gtest/gtest.h>

#include <limits>
#include <string>
#include <vector>

#include "table_file/sy_db.h"
#include "tests/support/read_only_folder.h"
#include "tests/table_file/table_file_test_support.h"

namespace {

using namespace table_file_test;

class SaveTableFileTest : public testing::Test {
  protected:
    std::string Save(char quote = '"') {
        const std::string path = dir_.File("out.qmt");
        EXPECT_TRUE(SaveTableFile(path, quote, ds_));
        return ReadBytes(path);
    }
    // Tries to save over a file with known bytes; the file must stay as it
    // was and no other file may be left behind.
    void ExpectRefusedAndOldFileKept(const std::string& what) {
        const std::string path = dir_.File("keep.qmt");
        WriteBytes(path, "old bytes");
        EXPECT_FALSE(SaveTableFile(path, '"', ds_)) << what;
        EXPECT_EQ(ReadBytes(path), "old bytes") << what;
        EXPECT_EQ(dir_.Entries(), std::vector<std::string>{"keep.qmt"}) << what;
    }
    ScratchDir dir_;
    TClientDataSet ds_;
    DecimalMark mark_{'.'};  // for filling in numbers as text
};

TEST_F(SaveTableFileTest, WritesTheExampleByteForByte) {
    MakeDataSet(ds_, {{"Name", ftString, 32}, {"Paid", ftBoolean}, {"Amount", ftFloat}});
    AddRecords(
        ds_,
        {{"a \"b\" c\\d", "true", "2.5"}, {nullptr, "false", "-0.125"}, {"", nullptr, "1000000"}});
    const std::string expected = kHead +
                                 "\"Name\",\"Paid\",\"Amount\",\r\n"
                                 "\"a \\\"b\\\" c\\\\d\",true,2.5,\r\n"
                                 "null,false,-0.125,\r\n"
                                 "\"\",null,1000000,\r\n"
                                 "3);\r\n";
    for (const char mark : {',', '.'}) {
        DecimalMark m(mark);
        const std::string bytes = Save();
        EXPECT_EQ(bytes.size(), 168u);
        EXPECT_EQ(bytes, expected);
        EXPECT_TRUE(ds_.Active());
        EXPECT_TRUE(ds_.Eof());
    }
}

TEST_F(SaveTableFileTest, EscapesBackslashesThenQuotes) {
    const struct {
        const char* text;
        char quote;
        const char* written;
    } cases[] = {
        {"a\\\"b", '"', "\"a\\\\\\\"b\""},  // a, three backslashes, quote, b
        {"it's", '"', "\"it's\""},
        {"it's \"x\"", '\'', "'it\\'s \"x\"'"},
        {"  blanks  ", '"', "\"  blanks  \""},
        {"null", '"', "\"null\""},
        {"\\\\", '"', "\"\\\\\\\\\""},
        {"a,b\t\xe4", '"', "\"a,b\t\xe4\""},
        {"a\\b", '\\', "\\a\\\\\\\\b\\"},  // the backslash as quote character: four of them
        {"axb", 'x', "xa\\xbx"}};
    for (const auto& c : cases) {
        MakeDataSet(ds_, {{"t", ftString, 40}});
        AddRecords(ds_, {{c.text}});
        const std::string q(1, c.quote);
        EXPECT_EQ(Save(c.quote), kHead + q + "t" + q + ",\r\n" + c.written + ",\r\n1);\r\n")
            << c.text;
    }
}

TEST_F(SaveTableFileTest, WritesEveryKindNullsAndNamesUnescaped) {
    MakeDataSet(ds_, {{"i", ftInteger}, {"b", ftBoolean}, {"s", ftString, 5}, {"n", ftFloat}});
    AddRecords(ds_, {{"-42", "false"}, {"7", "true", nullptr, "1e-5"}});
    EXPECT_EQ(Save(), kHead +
                          "\"i\",\"b\",\"s\",\"n\",\r\n-42,false,null,null,\r\n"
                          "7,true,null,1E-5,\r\n4);\r\n");

    MakeDataSet(ds_, {{"a\\b", ftString, 5}, {"it's", ftFloat}});  // no records: four lines
    EXPECT_EQ(Save(), kHead + "\"a\\b\",\"it's\",\r\n2);\r\n");
    EXPECT_EQ(Save('\''), kHead + "'a\\b','it's',\r\n2);\r\n");
}

TEST_F(SaveTableFileTest, WritesInViewOrderAndPostsAPendingEdit) {
    MakeDataSet(ds_, {{"t", ftString, 5}});
    AddRecords(ds_, {{"b"}, {"c"}, {"a"}});
    ds_.AddIndex("tIndex", "t", {ixDescending});
    ds_.SetIndexName("tIndex");
    ds_.First();
    ds_.Edit();
    ds_.Fields()[0].SetAsString("d");  // c becomes d, not yet posted
    EXPECT_EQ(Save(), kHead + "\"t\",\r\n\"d\",\r\n\"b\",\r\n\"a\",\r\n1);\r\n");
    EXPECT_EQ(ds_.State(), dsBrowse);
    EXPECT_EQ(ds_.IndexName(), "tIndex");
}

TEST_F(SaveTableFileTest, WhatTheFormatCannotHoldWritesNothing) {
    for (const char* text : {"a\rb", "a\nb", "\r\n"}) {
        MakeDataSet(ds_, {{"t", ftString, 5}});
        AddRecords(ds_, {{"fine"}, {text}});
        ExpectRefusedAndOldFileKept(text);
    }
    for (const char* name : {"a\rb", "a\nb"}) {
        MakeDataSet(ds_, {{name, ftString, 5}});
        ExpectRefusedAndOldFileKept(name);
    }
    for (const double v :
         {std::numeric_limits<double>::infinity(), -std::numeric_limits<double>::infinity(),
          std::numeric_limits<double>::quiet_NaN()}) {
        MakeDataSet(ds_, {{"n", ftFloat}});
        ds_.Append();
        ds_.Fields()[0].SetAsFloat(v);
        ds_.Post();
        ExpectRefusedAndOldFileKept(std::to_string(v));
    }
}

TEST_F(SaveTableFileTest, FailuresReturnFalseWithoutRaising) {
    TClientDataSet neverCreated;
    TFieldDef& d = neverCreated.FieldDefs().AddFieldDef();
    d.SetName("never created");
    d.SetDataType(ftString);
    const std::string path = dir_.File("keep.qmt");
    WriteBytes(path, "old bytes");
    EXPECT_FALSE(SaveTableFile(path, '"', neverCreated));
    EXPECT_FALSE(neverCreated.Active());
    EXPECT_EQ(ReadBytes(path), "old bytes");

    MakeDataSet(ds_, {{"t", ftString, 5}});
    AddRecords(ds_, {{"x"}});
    EXPECT_FALSE(SaveTableFile(dir_.File("no/such/folder/t.qmt"), '"', ds_));
    EXPECT_FALSE(SaveTableFile(path + "/t.qmt", '"', ds_)) << "below a plain file";
    EXPECT_FALSE(SaveTableFile(dir_.Path().string(), '"', ds_)) << "over a folder";
    EXPECT_EQ(ReadBytes(path), "old bytes");
    EXPECT_EQ(dir_.Entries(), std::vector<std::string>{"keep.qmt"});

    ReadOnlyFolder readOnly(dir_.Path().string());
    if (!readOnly.Blocks()) GTEST_SKIP() << "this file system cannot make a folder read-only";
    EXPECT_FALSE(SaveTableFile(path, '"', ds_)) << "a read-only folder";
    EXPECT_EQ(ReadBytes(path), "old bytes");
}

}  // namespace
