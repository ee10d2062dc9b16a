#pragma once
// The readers and writers of one value, shared by the fields, the view access
// and the bulk loader: how each kind of column gives and takes texts,
// numbers and truth values.

#include <cstdint>
#include <string_view>

#include "platform/core/ansi.h"
#include "platform/dataset/detail/column_storage.h"

namespace dataset_detail {

// The field's own text form of a value (the empty text for null).
AnsiString TextForm(const ValueRef& v, Kind kind);
// The typed reads; null reads 0 or false. A text converts, raising
// EConvertError when it does not (name is the field's, for the message).
int64_t ReadInteger(const ValueRef& v, Kind kind);
double ReadFloat(const ValueRef& v, Kind kind);
bool ReadBoolean(const ValueRef& v, Kind kind, const AnsiString& name);

// Stores a value into a slot as the field's setter of that name does; a
// conversion that fails raises and leaves the slot as it was.
void WriteString(Slot& slot, const ColumnSchema& col, std::string_view text);
void WriteInteger(Slot& slot, const ColumnSchema& col, int64_t value);
void WriteFloat(Slot& slot, const ColumnSchema& col, double value);
void WriteBoolean(Slot& slot, const ColumnSchema& col, bool value);

}  // namespace dataset_detail
