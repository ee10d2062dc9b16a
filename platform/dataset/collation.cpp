#include "platform/dataset/detail/collation.h"

#include <algorithm>
#include <initializer_list>

namespace {

// Two weight tables over the 256 bytes of Windows-1252. The first ignores case
// and accents (every letter weighs as its base letter); the second ignores
// case only. Weight 0 is never given, so a key padded with 0 sorts a shorter
// text first.
struct Collation {
    uint8_t primary[256];
    uint8_t secondary[256];

    Collation() {
        char base[256] = {};
        for (int c = 'a'; c <= 'z'; ++c) {
            base[c] = static_cast<char>(c);
            base[c - 'a' + 'A'] = static_cast<char>(c);
        }
        auto set = [&](std::initializer_list<int> bytes, char letter) {
            for (int b : bytes) base[b] = letter;
        };
        set({0x83}, 'f');
        set({0x8A, 0x9A, 0xDF}, 's');
        set({0x8C, 0x9C, 0xD2, 0xD3, 0xD4, 0xD5, 0xD6, 0xD8, 0xF2, 0xF3, 0xF4, 0xF5, 0xF6, 0xF8},
            'o');
        set({0x8E, 0x9E}, 'z');
        set({0x9F, 0xDD, 0xFD, 0xFF}, 'y');
        set({0xC0, 0xC1, 0xC2, 0xC3, 0xC4, 0xC5, 0xC6, 0xE0, 0xE1, 0xE2, 0xE3, 0xE4, 0xE5, 0xE6},
            'a');
        set({0xC7, 0xE7}, 'c');
        set({0xC8, 0xC9, 0xCA, 0xCB, 0xE8, 0xE9, 0xEA, 0xEB}, 'e');
        set({0xCC, 0xCD, 0xCE, 0xCF, 0xEC, 0xED, 0xEE, 0xEF}, 'i');
        set({0xD0, 0xF0}, 'd');
        set({0xD1, 0xF1}, 'n');
        set({0xD9, 0xDA, 0xDB, 0xDC, 0xF9, 0xFA, 0xFB, 0xFC}, 'u');
        set({0xDE, 0xFE}, 't');

        int weight = 0;
        for (int b = 0; b < 256; ++b) {
            if (!base[b] && !(b >= '0' && b <= '9')) primary[b] = static_cast<uint8_t>(++weight);
        }
        for (int b = '0'; b <= '9'; ++b) primary[b] = static_cast<uint8_t>(++weight);
        for (int c = 'a'; c <= 'z'; ++c) {
            ++weight;
            for (int b = 0; b < 256; ++b) {
                if (base[b] == c) primary[b] = static_cast<uint8_t>(weight);
            }
        }

        for (int b = 0; b < 256; ++b) secondary[b] = static_cast<uint8_t>(b);
        for (int b = 'A'; b <= 'Z'; ++b) secondary[b] = static_cast<uint8_t>(b + 0x20);
        secondary[0x8A] = 0x9A;
        secondary[0x8C] = 0x9C;
        secondary[0x8E] = 0x9E;
        secondary[0x9F] = 0xFF;
        for (int b = 0xC0; b <= 0xDE; ++b) {
            if (b != 0xD7) secondary[b] = static_cast<uint8_t>(b + 0x20);
        }
    }
};

const Collation& Coll() {
    static const Collation collation;
    return collation;
}

int CompareLevel(std::string_view a, std::string_view b, const uint8_t* table) {
    const size_t n = std::min(a.size(), b.size());
    for (size_t i = 0; i < n; ++i) {
        const uint8_t wa = table[static_cast<unsigned char>(a[i])];
        const uint8_t wb = table[static_cast<unsigned char>(b[i])];
        if (wa != wb) return wa < wb ? -1 : 1;
    }
    if (a.size() != b.size()) return a.size() < b.size() ? -1 : 1;
    return 0;
}

}  // namespace

namespace dataset_detail {

bool SameName(std::string_view a, std::string_view b) {
    if (a.size() != b.size()) return false;
    const uint8_t* fold = Coll().secondary;
    for (size_t i = 0; i < a.size(); ++i) {
        if (fold[static_cast<unsigned char>(a[i])] != fold[static_cast<unsigned char>(b[i])]) {
            return false;
        }
    }
    return true;
}

std::string FoldName(std::string_view name) {
    const uint8_t* fold = Coll().secondary;
    std::string folded(name.size(), '\0');
    for (size_t i = 0; i < name.size(); ++i) {
        folded[i] = static_cast<char>(fold[static_cast<unsigned char>(name[i])]);
    }
    return folded;
}

int CollateText(std::string_view a, std::string_view b, bool caseInsensitive) {
    if (a == b) return 0;
    const Collation& c = Coll();
    if (int r = CompareLevel(a, b, c.primary)) return r;
    if (int r = CompareLevel(a, b, c.secondary)) return r;
    if (caseInsensitive) return 0;
    const int r = a.compare(b);
    return r < 0 ? -1 : (r > 0 ? 1 : 0);
}

void TextPrefix(std::string_view s, uint64_t& high, uint64_t& low) {
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
