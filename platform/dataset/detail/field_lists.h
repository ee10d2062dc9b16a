#pragma once
// Field lists of index definitions, shared by the definitions and the dataset.

#include <string_view>
#include <vector>

#include "platform/core/ansi.h"

class TClientDataSet;

namespace dataset_detail {

// The fields of an index's field list: the whole text when it names a field of
// the dataset as it stands (a column name may hold ";" or begin or end with a
// blank), otherwise the parts of the ";"-separated list, blanks trimmed,
// empty entries skipped.
std::vector<AnsiString> FieldList(TClientDataSet& dataSet, const AnsiString& list);
// names holds name (compared as names are).
bool ListContains(const std::vector<AnsiString>& names, std::string_view name);

}  // namespace dataset_detail
