#pragma once
// The dataset's text order and name comparison over Windows-1252 bytes: texts
// compare ignoring case and accents first, then ignoring case only, then by
// bytes; names of fields and indexes compare ignoring case.

#include <algorithm>
#include <cstdint>
#include <string>
#include <string_view>

namespace dataset_detail {

// Two weight tables over the 256 bytes of Windows-1252. The first ignores case
// and accents (every letter weighs as its base letter); the second ignores
// case only. Weight 0 is never given, so a key padded with 0 sorts a shorter
// text first.
struct Collation {
    uint8_t primary[256];
    uint8_t secondary[256];
    Collation();
};

inline const Collation& Coll() {
    static const Collation collation;
    return collation;
}

// Names of fields and indexes compare without regard to case, umlauts included.
bool SameName(std::string_view a, std::string_view b);
// A name in the form under which SameName finds it equal to others: every
// byte replaced by its case-folded one.
std::string FoldName(std::string_view name);

// The order and the sort keys of texts, used while sorting, kept inline.

inline int CompareLevel(std::string_view a, std::string_view b, const uint8_t* table) {
    const size_t n = std::min(a.size(), b.size());
    for (size_t i = 0; i < n; ++i) {
        const uint8_t wa = table[static_cast<unsigned char>(a[i])];
        const uint8_t wb = table[static_cast<unsigned char>(b[i])];
        if (wa != wb) return wa < wb ? -1 : 1;
    }
    if (a.size() != b.size()) return a.size() < b.size() ? -1 : 1;
    return 0;
}

// -1, 0 or 1. caseInsensitive stops after the second level.
inline int CollateText(std::string_view a, std::string_view b, bool caseInsensitive) {
    if (a == b) return 0;
    const Collation& c = Coll();
    if (int r = CompareLevel(a, b, c.primary)) return r;
    if (int r = CompareLevel(a, b, c.secondary)) return r;
    if (caseInsensitive) return 0;
    const int r = a.compare(b);
    return r < 0 ? -1 : (r > 0 ? 1 : 0);
}

// The first sixteen primary weights of s, most significant first, as two
// numbers (a shorter text padded with weight 0).
inline void TextPrefix(std::string_view s, uint64_t& high, uint64_t& low) {
    const Collation& c = Coll();
    uint64_t key[2] = {0, 0};
    for (size_t i = 0; i < 16; ++i) {
        key[i / 8] <<= 8;
        if (i < s.size()) key[i / 8] |= c.primary[static_cast<unsigned char>(s[i])];
    }
    high = key[0];
    low = key[1];
}

}  // namespace dataset_detail
