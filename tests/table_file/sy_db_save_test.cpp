#include <gtest/gtest.h>

#include "tests/support/read_only_folder.h"
#include <sys/stat.h>
#include <unistd.h>

#include <cmath>
#include <limits>
#include <string>
#include <vector>

#include "table_file/sy_db.h"
#include "tests/table_file/table_file_test_support.h"

namespace {

using namespace table_file_test;

const std::string kHead =
    "/* Quimbly Table Format 0.9 */\r\nquiTables[quiTables.length] = new Array(\r\n";

class SaveTableFileTest : public testing::Test {
  protected:
    std::string Save(char quote = '"') {
        const std::string path = dir_.File("out.qmt");
        EXPECT_TRUE(SaveTableFile(path, quote, ds_));
        return ReadBytes(path);
    }
    // Appends one record; an empty optional value is null.
    void AddText(const char* text) {
        ds_.Append();
        if (text) ds_.Fields()[0].SetAsString(text);
        ds_.Post();
    }
    ScratchDir dir_;
    TClientDataSet ds_;
};

TEST_F(SaveTableFileTest, WritesTheExampleByteForByte) {
    MakeDataSet(ds_, {{"Name", ftString, 32}, {"Paid", ftBoolean}, {"Amount", ftFloat}});
    ds_.Append();
    ds_.Fields()[0].SetAsString("a \"b\" c\\d");
    ds_.Fields()[1].SetAsBoolean(true);
    ds_.Fields()[2].SetAsFloat(2.5);
    ds_.Post();
    ds_.Append();
    ds_.Fields()[1].SetAsBoolean(false);
    ds_.Fields()[2].SetAsFloat(-0.125);
    ds_.Post();
    ds_.Append();
    ds_.Fields()[0].SetAsString("");
    ds_.Fields()[2].SetAsFloat(1000000);
    ds_.Post();
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
    struct Case {
        const char* text;
        char quote;
        const char* written;
    };
    const Case cases[] = {
        {"a\\\"b", '"', "\"a\\\\\\\"b\""},  // a, three backslashes, quote, b
        {"it's", '"', "\"it's\""},
        {"it's \"x\"", '\'', "'it\\'s \"x\"'"},
        {"  blanks  ", '"', "\"  blanks  \""},
        {"null", '"', "\"null\""},
        {"", '"', "\"\""},
        {"\\\\", '"', "\"\\\\\\\\\""},
        {"a,b\t\xe4", '"', "\"a,b\t\xe4\""},
        {"a\\b", '\\', "\\a\\\\\\\\b\\"},  // the backslash as quote character: four of them
        {"axb", 'x', "xa\\xbx"},
    };
    for (const auto& c : cases) {
        MakeDataSet(ds_, {{"t", ftString, 40}});
        AddText(c.text);
        const std::string q(1, c.quote);
        EXPECT_EQ(Save(c.quote), kHead + q + "t" + q + ",\r\n" + c.written + ",\r\n1);\r\n")
            << c.text;
    }
}

TEST_F(SaveTableFileTest, NumberTextWithAFullStopInBothLocales) {
    struct Case {
        double value;
        const char* written;
    };
    const Case cases[] = {
        {2.5, "2.5"},
        {-0.125, "-0.125"},
        {1000000, "1000000"},
        {0.0001, "0.0001"},
        {0.00001, "1E-5"},
        {1e15, "1E15"},
        {1.5e-7, "1.5E-7"},
        {0, "0"},
        {123456789012345, "123456789012345"},
        {1.0 / 3, "0.333333333333333"},
        {-1e100, "-1E100"},
    };
    for (const char mark : {',', '.'}) {
        DecimalMark m(mark);
        for (const auto& c : cases) {
            MakeDataSet(ds_, {{"n", ftFloat}});
            ds_.Append();
            ds_.Fields()[0].SetAsFloat(c.value);
            ds_.Post();
            EXPECT_EQ(Save(), kHead + "\"n\",\r\n" + c.written + ",\r\n1);\r\n")
                << c.written << " mark " << mark;
        }
    }
}

TEST_F(SaveTableFileTest, WritesEveryKindAndNulls) {
    MakeDataSet(ds_, {{"i", ftInteger}, {"b", ftBoolean}, {"s", ftString, 5}, {"n", ftFloat}});
    ds_.Append();
    ds_.Fields()[0].SetAsInteger(-42);
    ds_.Fields()[1].SetAsBoolean(false);
    ds_.Post();
    ds_.Append();
    ds_.Fields()[0].SetAsInteger(7);
    ds_.Fields()[1].SetAsBoolean(true);
    ds_.Fields()[3].SetAsFloat(-3);
    ds_.Post();
    EXPECT_EQ(
        Save(),
        kHead + "\"i\",\"b\",\"s\",\"n\",\r\n-42,false,null,null,\r\n7,true,null,-3,\r\n4);\r\n");
}

TEST_F(SaveTableFileTest, ATableWithoutRecordsIsFourLines) {
    MakeDataSet(ds_, {{"a", ftString, 5}, {"b", ftFloat}, {"c", ftBoolean}});
    EXPECT_EQ(Save(), kHead + "\"a\",\"b\",\"c\",\r\n3);\r\n");
}

TEST_F(SaveTableFileTest, NamesAreWrittenUnescaped) {
    MakeDataSet(ds_, {{"a\\b", ftString, 5}, {"it's", ftString, 5}});
    EXPECT_EQ(Save(), kHead + "\"a\\b\",\"it's\",\r\n2);\r\n");
    EXPECT_EQ(Save('\''), kHead + "'a\\b','it's',\r\n2);\r\n");
}

TEST_F(SaveTableFileTest, WritesInViewOrderAndPostsAPendingEdit) {
    MakeDataSet(ds_, {{"t", ftString, 5}});
    for (const char* t : {"b", "c", "a"}) AddText(t);
    ds_.AddIndex("tIndex", "t", {ixDescending});
    ds_.SetIndexName("tIndex");
    ds_.First();
    ds_.Edit();
    ds_.Fields()[0].SetAsString("d");  // c becomes d, not yet posted
    EXPECT_EQ(Save(), kHead + "\"t\",\r\n\"d\",\r\n\"b\",\r\n\"a\",\r\n1);\r\n");
    EXPECT_EQ(ds_.State(), dsBrowse);
    EXPECT_EQ(ds_.IndexName(), "tIndex");
}

// ---------------------------------------------------------------- refusals and faults

class SaveRefusalTest : public SaveTableFileTest {
  protected:
    // Tries to save over a file with known bytes; the file must stay as it was.
    void ExpectRefusedAndOldFileKept(const char* what) {
        const std::string path = dir_.File("keep.qmt");
        WriteBytes(path, "old bytes");
        EXPECT_FALSE(SaveTableFile(path, '"', ds_)) << what;
        EXPECT_EQ(ReadBytes(path), "old bytes") << what;
        ExpectNoStrayFiles(what);
    }
    void ExpectNoStrayFiles(const char* what) {
        int count = 0;
        for ([[maybe_unused]] const auto& e : std::filesystem::directory_iterator(dir_.Path()))
            ++count;
        EXPECT_EQ(count, 1) << what;
    }
};

TEST_F(SaveRefusalTest, LineBreaksAndNonFiniteNumbersWriteNothing) {
    for (const char* text : {"a\rb", "a\nb", "\r\n"}) {
        MakeDataSet(ds_, {{"t", ftString, 5}});
        AddText("fine");
        AddText(text);
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
        ExpectRefusedAndOldFileKept("non-finite number");
    }
}

TEST_F(SaveRefusalTest, ADatasetThatCannotOpenWritesNothing) {
    TFieldDef& d = ds_.FieldDefs().AddFieldDef();
    d.SetName("never created");
    d.SetDataType(ftString);
    ExpectRefusedAndOldFileKept("never created");
    EXPECT_FALSE(ds_.Active());
}

TEST_F(SaveRefusalTest, PathsThatCannotBeWritten) {
    MakeDataSet(ds_, {{"t", ftString, 5}});
    AddText("x");
    const std::string inMissingFolder = dir_.File("no/such/folder/t.qmt");
    EXPECT_FALSE(SaveTableFile(inMissingFolder, '"', ds_));
    EXPECT_FALSE(std::filesystem::exists(inMissingFolder));

    const std::string plainFile = dir_.File("plain");
    WriteBytes(plainFile, "x");
    EXPECT_FALSE(SaveTableFile(plainFile + "/t.qmt", '"', ds_));
    EXPECT_EQ(ReadBytes(plainFile), "x");

    EXPECT_FALSE(SaveTableFile(dir_.Path().string(), '"', ds_));
    EXPECT_TRUE(std::filesystem::is_directory(dir_.Path()));
}

TEST_F(SaveRefusalTest, AReadOnlyFolderKeepsTheOldFile) {
    MakeDataSet(ds_, {{"t", ftString, 5}});
    AddText("x");
    const std::string path = dir_.File("keep.qmt");
    WriteBytes(path, "old bytes");
    {
        ReadOnlyFolder readOnly(dir_.Path().string());
        if (!readOnly.Blocks()) GTEST_SKIP() << "this file system cannot make a folder read-only";
        EXPECT_FALSE(SaveTableFile(path, '"', ds_));
    }
    EXPECT_EQ(ReadBytes(path), "old bytes");
    ExpectNoStrayFiles("read-only folder");
}

}  // namespace
