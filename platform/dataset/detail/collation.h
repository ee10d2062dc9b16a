#pragma once
// The dataset's text order and name comparison over Windows-1252 bytes: texts
// compare ignoring case and accents first, then ignoring case only, then by
// bytes; names of fields and indexes compare ignoring case.

#include <cstdint>
#include <string>
#include <string_view>

namespace dataset_detail {

// Names of fields and indexes compare without regard to case, umlauts included.
bool SameName(std::string_view a, std::string_view b);
// A name in the form under which SameName finds it equal to others: every
// byte replaced by its case-folded one.
std::string FoldName(std::string_view name);
// -1, 0 or 1. caseInsensitive stops after the second level.
int CollateText(std::string_view a, std::string_view b, bool caseInsensitive);
// The first sixteen primary weights of s, most significant first, as two
// numbers (a shorter text padded with weight 0).
void TextPrefix(std::string_view s, uint64_t& high, uint64_t& low);

}  // namespace dataset_detail
