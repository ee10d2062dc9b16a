// The text the grid shows for field values and the values typed text becomes.
#include "platform/core/exceptions.h"
#include "test_main_support.h"

namespace {

class FieldTextTest : public MainWindowTest {
  protected:
    void SetUp() override {
        MainWindowTest::SetUp();
        NewTable({{"B", "Boolean", ""},
                  {"F", "Number", ""},
                  {"S", "String", "4"},
                  {"I", "Integer", ""}});
        ActiveTable->Append();
    }
    // Types text into a column and reads back what the grid shows and its
    // editor starts with; "<null>" for a null value.
    std::string Type(const char* column, const std::string& text) {
        TField& f = ActiveTable->FieldByName(column);
        f.SetText(text);
        EXPECT_EQ(f.DisplayText(), f.Text());
        return f.IsNull() ? "<null>" : f.DisplayText();
    }
};

struct TypedCase {
    const char* column;
    std::string typed;
    std::string comma;  // shown with "," as decimal mark
    std::string point;  // shown with "." as decimal mark
};

TEST_F(FieldTextTest, TypedTextBecomesValueOrNull) {
    const TypedCase cases[] = {
        {"B", "true", "true", "true"},        {"B", "TRUE", "true", "true"},
        {"B", "T", "true", "true"},           {"B", "1", "true", "true"},
        {"B", "False", "false", "false"},     {"B", "f", "false", "false"},
        {"B", "0", "false", "false"},         {"B", "yes", "<null>", "<null>"},
        {"B", "2", "<null>", "<null>"},       {"B", " true", "<null>", "<null>"},
        {"B", "", "<null>", "<null>"},        {"B", "Wahr", "<null>", "<null>"},
        {"F", "2,5", "2,5", "<null>"},        {"F", "2.5", "<null>", "2.5"},
        {"F", " -1E3 ", "-1000", "-1000"},    {"F", "1,5e-2", "0,015", "<null>"},
        {"F", "abc", "<null>", "<null>"},     {"F", "", "<null>", "<null>"},
        {"F", "1.000,5", "<null>", "<null>"}, {"S", "MiX", "MiX", "MiX"},
        {"S", "abcdef", "abcd", "abcd"},      {"I", "42", "42", "42"},
        {"I", "", "<null>", "<null>"},
    };
    for (char mark : {',', '.'}) {
        FormatSettings.DecimalSeparator = mark;
        for (const TypedCase& c : cases) {
            // A value shown empty must not be a stale one: start from a known value.
            ActiveTable->FieldByName(c.column).Clear();
            EXPECT_EQ(Type(c.column, c.typed), mark == ',' ? c.comma : c.point)
                << c.column << " <- \"" << c.typed << "\" with " << mark;
        }
    }
}

TEST_F(FieldTextTest, NullTruthValueShowsEmptyAndIntegerTextIsRefused) {
    TField& b = ActiveTable->FieldByName("B");
    EXPECT_EQ(b.DisplayText(), "");
    b.SetAsBoolean(false);
    EXPECT_EQ(b.DisplayText(), "false");
    TField& i = ActiveTable->FieldByName("I");
    i.SetText("7");
    EXPECT_THROW(i.SetText("x"), Exception);
    EXPECT_EQ(i.AsInteger(), 7);
}

}  // namespace
