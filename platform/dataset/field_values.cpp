// The fields: reading and writing the current record's values in each kind,
// with the conversions between texts, numbers and truth values.

#include "platform/dataset/detail/field_values.h"

#include <cmath>
#include <limits>

#include "platform/core/exceptions.h"
#include "platform/core/number_text.h"
#include "platform/dataset/client_dataset.h"

using namespace dataset_detail;

namespace {

constexpr std::string_view kTrueText = "Wahr";
constexpr std::string_view kFalseText = "Falsch";

int64_t RoundToInt64(double d) {
    if (std::isnan(d)) return 0;
    if (d >= 9.2e18) return std::numeric_limits<int64_t>::max();
    if (d <= -9.2e18) return std::numeric_limits<int64_t>::min();
    return std::llround(d);
}

bool ParseBoolText(std::string_view text, bool& value) {
    if (SameText(text, kTrueText) || SameText(text, "true")) {
        value = true;
        return true;
    }
    if (SameText(text, kFalseText) || SameText(text, "false")) {
        value = false;
        return true;
    }
    return false;
}

void SetTextValue(Slot& slot, std::string_view text, int size) {
    slot.null = false;
    slot.s.assign(text.substr(0, static_cast<size_t>(std::max(size, 0))));
}

// Stores a number or truth value given in each form a column keeps: i for an
// integer column, d for a number column, b for a truth-value column; the text
// form is made only for a text column.
template <class MakeText>
void StoreConverted(Slot& slot, Kind kind, int size, int64_t i, double d, bool b,
                    MakeText makeText) {
    switch (kind) {
        case Kind::Text:
            SetTextValue(slot, makeText(), size);
            break;
        case Kind::Int:
            slot.i = i;
            break;
        case Kind::Float:
            slot.d = d;
            break;
        case Kind::Bool:
            slot.i = b ? 1 : 0;
            break;
    }
    slot.null = false;
}

// The text through OnGetText when it is set, else the field's own text form.
AnsiString HookedText(const TField& field, bool displayText) {
    if (!field.OnGetText) return field.AsString();
    AnsiString text;
    field.OnGetText(const_cast<TField&>(field), text, displayText);
    return text;
}

}  // namespace

namespace dataset_detail {

AnsiString TextForm(const ValueRef& v, Kind kind) {
    if (v.IsNull()) return AnsiString();
    switch (kind) {
        case Kind::Text:
            return AnsiString(v.Text());
        case Kind::Int:
            return IntToStr(v.Int());
        case Kind::Float:
            return FloatToStr(v.Float());
        case Kind::Bool:
            return AnsiString(v.Int() ? kTrueText : kFalseText);
    }
    return AnsiString();
}

int64_t ReadInteger(const ValueRef& v, Kind kind) {
    if (v.IsNull()) return 0;
    switch (kind) {
        case Kind::Int:
        case Kind::Bool:
            return v.Int();
        case Kind::Float:
            return RoundToInt64(v.Float());
        case Kind::Text:
            return StrToInt(v.Text());
    }
    return 0;
}

double ReadFloat(const ValueRef& v, Kind kind) {
    if (v.IsNull()) return 0;
    switch (kind) {
        case Kind::Int:
        case Kind::Bool:
            return static_cast<double>(v.Int());
        case Kind::Float:
            return v.Float();
        case Kind::Text:
            return StrToFloat(v.Text());
    }
    return 0;
}

bool ReadBoolean(const ValueRef& v, Kind kind, const AnsiString& name) {
    if (v.IsNull()) return false;
    switch (kind) {
        case Kind::Int:
        case Kind::Bool:
            return v.Int() != 0;
        case Kind::Float:
            return v.Float() != 0;
        case Kind::Text: {
            bool value = false;
            if (!ParseBoolText(v.Text(), value)) {
                throw EConvertError(FormatMessage(Msg::FieldInvalidBoolean,
                                                  {AnsiToUtf8(v.Text()), AnsiToUtf8(name)}));
            }
            return value;
        }
    }
    return false;
}

void WriteString(Slot& slot, const ColumnSchema& col, std::string_view text) {
    const Kind kind = col.kind;
    if (kind == Kind::Text) {
        SetTextValue(slot, text, col.size);
    } else if (text.empty()) {
        slot.null = true;
    } else if (kind == Kind::Int) {
        int value = 0;
        if (!TryStrToInt(text, value)) {
            throw EConvertError(
                FormatMessage(Msg::FieldInvalidInteger, {AnsiToUtf8(text), AnsiToUtf8(col.name)}));
        }
        slot.null = false;
        slot.i = value;
    } else if (kind == Kind::Float) {
        double value = 0;
        if (!TryStrToFloat(text, value)) {
            throw EConvertError(
                FormatMessage(Msg::FieldInvalidFloat, {AnsiToUtf8(text), AnsiToUtf8(col.name)}));
        }
        slot.null = false;
        slot.d = value;
    } else {
        bool value = false;
        if (!ParseBoolText(text, value)) {
            throw EConvertError(
                FormatMessage(Msg::FieldInvalidBoolean, {AnsiToUtf8(text), AnsiToUtf8(col.name)}));
        }
        slot.null = false;
        slot.i = value ? 1 : 0;
    }
}

void WriteInteger(Slot& slot, const ColumnSchema& col, int64_t value) {
    StoreConverted(slot, col.kind, col.size, value, static_cast<double>(value), value != 0,
                   [value] { return IntToStr(value); });
}

void WriteFloat(Slot& slot, const ColumnSchema& col, double value) {
    StoreConverted(slot, col.kind, col.size, col.kind == Kind::Int ? RoundToInt64(value) : 0, value,
                   value != 0, [value] { return FloatToStr(value); });
}

void WriteBoolean(Slot& slot, const ColumnSchema& col, bool value) {
    StoreConverted(slot, col.kind, col.size, value ? 1 : 0, value ? 1.0 : 0.0, value,
                   [value] { return AnsiString(value ? kTrueText : kFalseText); });
}

}  // namespace dataset_detail

// ---------------------------------------------------------------- fields

TField& TFields::operator[](int index) const {
    CheckListIndex(index, Count());
    return *fields_[index];
}

bool TField::IsNull() const {
    return dataSet_->impl_->Read(index_, dataSet_->state_).IsNull();
}

AnsiString TField::AsString() const {
    const Storage& impl = *dataSet_->impl_;
    return TextForm(impl.Read(index_, dataSet_->state_), impl.schema[index_].kind);
}

int64_t TField::AsInteger() const {
    const Storage& impl = *dataSet_->impl_;
    return ReadInteger(impl.Read(index_, dataSet_->state_), impl.schema[index_].kind);
}

double TField::AsFloat() const {
    const Storage& impl = *dataSet_->impl_;
    return ReadFloat(impl.Read(index_, dataSet_->state_), impl.schema[index_].kind);
}

bool TField::AsBoolean() const {
    const Storage& impl = *dataSet_->impl_;
    return ReadBoolean(impl.Read(index_, dataSet_->state_), impl.schema[index_].kind, name_);
}

// Every write: raises unless a record is being edited or inserted, lets write
// change the edit buffer's slot, then marks the record modified and tells the
// listeners.
template <class Write>
void TField::WriteValue(Write write) {
    dataSet_->CheckEditing();
    Storage& impl = *dataSet_->impl_;
    Slot& slot = impl.WritableSlot(index_);
    write(slot, impl.schema[index_]);
    impl.MarkWritten(index_);
    dataSet_->modified_ = true;
    dataSet_->Notify(TDataEvent::RecordChange);
}

void TField::Clear() {
    WriteValue([](Slot& slot, const ColumnSchema&) { slot.null = true; });
}

void TField::SetAsString(std::string_view text) {
    WriteValue([&](Slot& slot, const ColumnSchema& col) { WriteString(slot, col, text); });
}

void TField::SetAsInteger(int64_t value) {
    WriteValue([&](Slot& slot, const ColumnSchema& col) { WriteInteger(slot, col, value); });
}

void TField::SetAsFloat(double value) {
    WriteValue([&](Slot& slot, const ColumnSchema& col) { WriteFloat(slot, col, value); });
}

void TField::SetAsBoolean(bool value) {
    WriteValue([&](Slot& slot, const ColumnSchema& col) { WriteBoolean(slot, col, value); });
}

AnsiString TField::DisplayText() const {
    return HookedText(*this, true);
}

AnsiString TField::Text() const {
    return HookedText(*this, false);
}

void TField::SetText(const AnsiString& text) {
    if (OnSetText) {
        OnSetText(*this, text);
    } else {
        SetAsString(text);
    }
}
