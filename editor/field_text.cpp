#include "editor/field_text.h"

#include "platform/core/number_text.h"
#include "platform/dataset/client_dataset.h"

AnsiString FieldValueText(const TField& field) {
    if (field.DataType() != ftBoolean) return field.AsString();
    if (field.IsNull()) return AnsiString();
    return field.AsBoolean() ? "true" : "false";
}

void SetFieldValueFromText(TField& field, const AnsiString& text) {
    const AnsiString lower = LowerCase(text);
    if (field.DataType() == ftBoolean) {
        if (lower == "true" || lower == "t" || lower == "1")
            field.SetAsBoolean(true);
        else if (lower == "false" || lower == "f" || lower == "0")
            field.SetAsBoolean(false);
        else
            field.Clear();
    } else if (field.DataType() == ftFloat) {
        double value;
        if (TryStrToFloat(lower, value))
            field.SetAsFloat(value);
        else
            field.Clear();
    } else {
        field.SetAsString(text);
    }
}
