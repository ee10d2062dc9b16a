// The text shown for field values and the values that typed text becomes.
#include <gtest/gtest.h>

#include "editor/field_text.h"
#include "tests/support/dataset_helpers.h"

TEST(FieldTextTest, TypedTextBecomesValueOrNull) {
    const struct {
        const char* column;
        std::string typed;
        std::string comma;  // shown with "," as decimal mark; "<null>" for a null value
        std::string point;  // shown with "." as decimal mark
    } cases[] = {
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
    auto ds = MakeDataSet({{"B", ftBoolean}, {"F", ftFloat}, {"S", ftString, 4}, {"I", ftInteger}});
    ds->Append();
    EXPECT_EQ(FieldValueText(ds->FieldByName("B")), "");  // a null truth value
    for (char mark : {',', '.'}) {
        DecimalMark scoped(mark);
        for (const auto& c : cases) {
            TField& f = ds->FieldByName(c.column);
            // A value shown empty must not be a stale one: start from a known value.
            f.SetAsString(c.column == std::string("B") ? "true" : "1");
            SetFieldValueFromText(f, c.typed);
            EXPECT_EQ(f.IsNull() ? "<null>" : FieldValueText(f), mark == ',' ? c.comma : c.point)
                << c.column << " <- \"" << c.typed << "\" with " << mark;
        }
    }
    // Text that is no whole number is refused and the value stays.
    TField& i = ds->FieldByName("I");
    SetFieldValueFromText(i, "7");
    EXPECT_EQ(MessageOf([&] { SetFieldValueFromText(i, "x"); }),
              FormatMessage(Msg::FieldInvalidInteger, {"x", "I"}));
    EXPECT_EQ(i.AsInteger(), 7);
}
