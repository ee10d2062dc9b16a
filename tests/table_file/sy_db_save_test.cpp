#include <gtest/gtest.h>

#include <unistd.h>

#include <limits>

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
        EXPECT_EQ(dir_.Entries(), Texts{"keep.qmt"}) << what;
    }
    ScratchDir dir_;
    TClientDataSet ds_;
    DecimalMark mark_{'.'};  // for filling in numbers as text
};

TEST_F(SaveTableFileTest, WritesTheExampleByteForByte) {
    MakeTable(ds_, {{"Name", ftString, 32}, {"Paid", ftBoolean}, {"Amount", ftFloat}});
    AppendRows(ds_,
               {{"a \"b\" c\\d", "true", "2.5"}, {"~", "false", "-0.125"}, {"", "~", "1000000"}});
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
    } cases[] = {{"a\\\"b", '"', "\"a\\\\\\\"b\""},  // a, three backslashes, quote, b
                 {"it's \"x\"", '\'', "'it\\'s \"x\"'"},
                 {"a\\b", '\\', "\\a\\\\\\\\b\\"}};  // the backslash as quote: four of them
    for (const auto& c : cases) {
        MakeTable(ds_, {{"t", ftString, 40}});
        AppendRows(ds_, {{c.text}});
        const std::string q(1, c.quote);
        EXPECT_EQ(Save(c.quote), kHead + q + "t" + q + ",\r\n" + c.written + ",\r\n1);\r\n")
            << c.text;
    }
}

TEST_F(SaveTableFileTest, WritesInViewOrderAndPostsAPendingEdit) {
    MakeTable(ds_, {{"t", ftString, 5}});
    AppendRows(ds_, {{"b"}, {"c"}, {"a"}});
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
    for (const char* text : {"a\rb", "a\nb"}) {
        MakeTable(ds_, {{"t", ftString, 5}});
        AppendRows(ds_, {{"fine"}, {text}});
        ExpectRefusedAndOldFileKept(text);
        MakeTable(ds_, {{text, ftString, 5}});
        ExpectRefusedAndOldFileKept(std::string("name ") + text);
    }
    MakeTable(ds_, {{"n", ftFloat}});
    ds_.Append();
    ds_.Fields()[0].SetAsFloat(std::numeric_limits<double>::quiet_NaN());
    ds_.Post();
    ExpectRefusedAndOldFileKept("not a number");
}

TEST_F(SaveTableFileTest, FailuresReturnFalseWithoutRaising) {
    const std::string path = dir_.File("keep.qmt");
    WriteBytes(path, "old bytes");
    EXPECT_FALSE(SaveTableFile(path, '"', ds_)) << "a dataset never created";
    MakeTable(ds_, {{"t", ftString, 5}});
    AppendRows(ds_, {{"x"}});
    EXPECT_FALSE(SaveTableFile(dir_.File("no/such/folder/t.qmt"), '"', ds_));
    EXPECT_FALSE(SaveTableFile(dir_.Path().string(), '"', ds_)) << "over a folder";
    EXPECT_EQ(ReadBytes(path), "old bytes");
    EXPECT_EQ(dir_.Entries(), Texts{"keep.qmt"});

    ReadOnlyFolder readOnly(dir_.Path().string());
    if (!readOnly.Blocks()) GTEST_SKIP() << "this file system cannot make a folder read-only";
    EXPECT_FALSE(SaveTableFile(path, '"', ds_)) << "a read-only folder";
    EXPECT_EQ(ReadBytes(path), "old bytes");
}

// A table whose text is many pieces long, with a value the format cannot
// hold in its last record: the file is written as its text is made, so most
// of it has gone out when the value comes.
void MakeLongTableWithALineBreakAtTheEnd(TClientDataSet& ds) {
    MakeTable(ds, {{"t", ftString, 40}, {"n", ftFloat}});
    for (int r = 0; r < 100000; ++r) {
        ds.Append();
        ds.Fields()[0].SetAsString("a text of some length " + std::to_string(r));
        ds.Fields()[1].SetAsFloat(r / 8.0);
        ds.Post();
    }
    ds.Append();
    ds.Fields()[0].SetAsString("a\nb");
    ds.Post();
}

TEST_F(SaveTableFileTest, AValueTheFormatCannotHoldLateInALongTableWritesNothing) {
    MakeLongTableWithALineBreakAtTheEnd(ds_);
    ExpectRefusedAndOldFileKept("replacing the file");
    // A file with a second hard link is written where it stands: not a byte
    // of it may change either.
    const std::string path = dir_.File("keep.qmt");
    const std::string link = dir_.File("link.qmt");
    ASSERT_EQ(::link(path.c_str(), link.c_str()), 0);
    EXPECT_FALSE(SaveTableFile(path, '"', ds_));
    EXPECT_EQ(ReadBytes(path), "old bytes");
    EXPECT_EQ(ReadBytes(link), "old bytes");
    EXPECT_EQ(dir_.Entries(), (Texts{"keep.qmt", "link.qmt"}));
}

// A failed save leaves the dataset at its last record when the text could be
// made (the file could not be written), and where the save found it (at the
// first record) when a value could not be written.
TEST_F(SaveTableFileTest, AFailedSaveLeavesTheCursorWhereTheTextLeftIt) {
    const struct {
        const char* what;
        bool goodText;
        bool goodTarget;
        int recNo;
    } cases[] = {{"good text, no such folder", true, false, 3},
                 {"a line break, good target", false, true, 1},
                 {"a line break, no such folder", false, false, 1},
                 {"good text, good target", true, true, 3}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        MakeTable(ds_, {{"t", ftString, 5}});
        AppendRows(ds_, {{"a"}, {c.goodText ? "b" : "b\rc"}, {"d"}});
        ds_.SetRecNo(2);
        const std::string path = c.goodTarget ? dir_.File("t.qmt") : dir_.File("no/t.qmt");
        EXPECT_EQ(SaveTableFile(path, '"', ds_), c.goodText && c.goodTarget);
        EXPECT_EQ(ds_.RecNo(), c.recNo);
    }
}

}  // namespace
