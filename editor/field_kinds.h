#pragma once
// The kind names of the table dialogs' kind column and the texts of their
// length column.

namespace FieldKinds {
inline constexpr const char* String = "String";
inline constexpr const char* Number = "Number";
inline constexpr const char* Boolean = "Boolean";
inline constexpr const char* Integer = "Integer";
// Stands in the length cell of a row whose kind is not "String".
inline constexpr const char* NoLength = "-----";
inline constexpr const char* DefaultLength = "32";
// The lengths the length picker offers, in order; DefaultLength is entry 6.
inline constexpr const char* Lengths[] = {"0",  "1",  "2",   "4",   "8",    "16",
                                          "32", "64", "128", "256", "1024", "4096"};
inline constexpr int DefaultLengthIndex = 6;
}  // namespace FieldKinds
