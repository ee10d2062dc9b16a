// The text the grid shows for field values and the values typed text becomes.
#include "platform/core/exceptions.h"
#include "test_main_support.h"

TEST_F(MainWindowTest, TypedTextBecomesValueOrNull) {
    struct Case {
        const char* column;
        std::string typed;
        std::string comma;  // shown with "," as decimal mark; "<null>" for a null value
        std::string point;  // shown with "." as decimal mark
    } const cases[] = {
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
    NewTable(
        {{"B", "Boolean", ""}, {"F", "Number", ""}, {"S", "String", "4"}, {"I", "Integer", ""}});
    ActiveTable->Append();
    EXPECT_EQ(ActiveTable->FieldByName("B").DisplayText(), "");  // a null truth value
    for (char mark : {',', '.'}) {
        FormatSettings.DecimalSeparator = mark;
        for (const Case& c : cases) {
            TField& f = ActiveTable->FieldByName(c.column);
            // A value shown empty must not be a stale one: start from a known value.
            f.Clear();
            f.SetText(c.typed);
            EXPECT_EQ(f.DisplayText(), f.Text());
            EXPECT_EQ(f.IsNull() ? "<null>" : f.DisplayText(), mark == ',' ? c.comma : c.point)
                << c.column << " <- \"" << c.typed << "\" with " << mark;
        }
    }
    // Text that is no whole number is refused and the value stays.
    TField& i = ActiveTable->FieldByName("I");
    i.SetText("7");
    EXPECT_THROW(i.SetText("x"), Exception);
    EXPECT_EQ(i.AsInteger(), 7);
}
