#pragma once
// Table text: 8-bit Windows-1252 bytes held in std::string. Everything that
// works on table values (tokenizer, sizes, writer) works on these bytes; text
// meets Unicode only at the edges (Qt, exception messages).

#include <string>
#include <string_view>

using AnsiString = std::string;

// Windows-1252 -> UTF-8. Every byte maps; the five bytes the code page leaves
// undefined (0x81, 0x8D, 0x8F, 0x90, 0x9D) map to the C1 controls of the same value.
std::string AnsiToUtf8(std::string_view ansi);
// UTF-8 -> Windows-1252. A character without an ANSI byte, and every invalid
// UTF-8 sequence, becomes "?". AnsiToUtf8 followed by Utf8ToAnsi gives back every byte.
AnsiString Utf8ToAnsi(std::string_view utf8);

// Windows-1252 byte -> Unicode code point, and back (-1 when there is no byte).
char32_t AnsiCharToUnicode(unsigned char c);
int UnicodeToAnsiChar(char32_t cp);

// Lower-casing as the platform's LowerCase does it: only the letters A to Z change.
AnsiString LowerCase(std::string_view s);
// Comparison without regard to the case of A to Z (the platform's SameText).
bool SameText(std::string_view a, std::string_view b);
// Removes every byte from 0x00 to 0x20 at both ends (the platform's Trim).
std::string_view TrimView(std::string_view s);
AnsiString Trim(std::string_view s);
// Every occurrence of from replaced by to (the platform's StringReplace with rfReplaceAll).
AnsiString ReplaceAll(std::string_view s, std::string_view from, std::string_view to);
