// The weight tables of the text order and the comparison of names.

#include "platform/dataset/detail/collation.h"

#include <initializer_list>

namespace dataset_detail {

Collation::Collation() {
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
    set({0x8C, 0x9C, 0xD2, 0xD3, 0xD4, 0xD5, 0xD6, 0xD8, 0xF2, 0xF3, 0xF4, 0xF5, 0xF6, 0xF8}, 'o');
    set({0x8E, 0x9E}, 'z');
    set({0x9F, 0xDD, 0xFD, 0xFF}, 'y');
    set({0xC0, 0xC1, 0xC2, 0xC3, 0xC4, 0xC5, 0xC6, 0xE0, 0xE1, 0xE2, 0xE3, 0xE4, 0xE5, 0xE6}, 'a');
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

}  // namespace dataset_detail
