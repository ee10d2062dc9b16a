#pragma once
// Number text: conversions between numbers and text that honour one settable
// decimal mark, like the platform's format settings. The mark is read once
// from the user's locale at start-up (InitFormatSettingsFromLocale); tests set it.

#include <cstdint>
#include <string>
#include <string_view>

#include "platform/core/ansi.h"

struct TFormatSettings {
    char DecimalSeparator = '.';
};
extern TFormatSettings FormatSettings;

// Reads the decimal mark of the user's locale (LC_NUMERIC, LC_ALL, LANG) into
// FormatSettings. Called once at start-up; never per value.
void InitFormatSettingsFromLocale();

// The general form with 15 significant digits: plain notation for decimal
// exponents from -3 to 15 (2.5, -0.125, 1000000, 0.0001), otherwise exponent
// notation (1E-5, 1E15, 1.5E-7); zero is "0". Uses decimalMark.
AnsiString FloatToStr(double value, char decimalMark);
inline AnsiString FloatToStr(double value) {
    return FloatToStr(value, FormatSettings.DecimalSeparator);
}
// Appends the same text to out (no allocation beyond out's growth).
void AppendFloatText(std::string& out, double value, char decimalMark);
// The most bytes that the text of one number takes.
inline constexpr size_t kMaxFloatTextLength = 32;
// Writes the same text at out, which has room for kMaxFloatTextLength bytes;
// returns the end of what was written.
char* WriteFloatText(char* out, double value, char decimalMark);

// The platform's text-to-number syntax: blanks (0x20) around; an optional sign;
// digits with at most one decimal mark, at least one digit or the mark (a lone
// mark gives 0); then optionally E or e, an optional sign and digits, which may
// be missing. A value outside the range of a double fails, except a text of at
// most 15 significant digits that exceeds the largest double by less than half
// a unit in its 15th digit (1.79769313486232E308, what FloatToStr writes for
// the largest doubles): it gives the largest double with its sign. A value
// nearer to zero than the smallest double gives zero.
bool TryStrToFloat(std::string_view text, double& value, char decimalMark);
// As above with two characters that both serve as the decimal mark (still at
// most one mark in the text): what the text converts to once every
// otherMark in it is replaced by decimalMark.
bool TryStrToFloat(std::string_view text, double& value, char decimalMark, char otherMark);
// The fast form of that for the plain number texts that table files mostly
// hold, "[-]digits[.digits]" with at most 15 digits: the value TryStrToFloat
// gives with "." as a mark. False, value untouched, for every other text.
bool TryPlainDecimalToFloat(std::string_view text, double& value);
inline bool TryStrToFloat(std::string_view text, double& value) {
    return TryStrToFloat(text, value, FormatSettings.DecimalSeparator);
}
// Raises EConvertError "'%s' ist kein gültiger Gleitkommawert".
double StrToFloat(std::string_view text);

// Whole numbers: optional blanks before, optional sign, decimal digits (or "$"
// and hex digits, as the platform also takes); 32-bit range.
bool TryStrToInt(std::string_view text, int& value);
// Raises EConvertError "'%s' ist kein gültiger Integerwert".
int StrToInt(std::string_view text);
AnsiString IntToStr(int64_t value);
void AppendIntText(std::string& out, int64_t value);
