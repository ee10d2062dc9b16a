#include "platform/core/number_text.h"

#include <array>
#include <charconv>
#include <clocale>
#include <cmath>
#include <cstring>
#include <limits>

#include "platform/core/exceptions.h"

TFormatSettings FormatSettings;

void InitFormatSettingsFromLocale() {
    if (std::setlocale(LC_NUMERIC, "") != nullptr) {
        const std::lconv* conv = std::localeconv();
        // Only a one-byte mark can stand in table text; anything else keeps the default.
        if (conv != nullptr && conv->decimal_point != nullptr && conv->decimal_point[0] != '\0' &&
            conv->decimal_point[1] == '\0' &&
            static_cast<unsigned char>(conv->decimal_point[0]) < 0x80) {
            FormatSettings.DecimalSeparator = conv->decimal_point[0];
        }
    }
    // Number text never goes through the C library's locale; keep it neutral.
    std::setlocale(LC_NUMERIC, "C");
}

// ---------------------------------------------------------------------------
// Number to text

namespace {

// The powers of ten that a double holds exactly, 10^0 to 10^15.
constexpr double kPowersOfTen[] = {1e0, 1e1, 1e2,  1e3,  1e4,  1e5,  1e6,  1e7,
                                   1e8, 1e9, 1e10, 1e11, 1e12, 1e13, 1e14, 1e15};

// The digits d1d2...dn (no trailing zeros) and the exponent of value =
// d1.d2...dn x 10^exp10, value rounded to 15 significant digits. value is
// finite and positive.
int SignificantDigits(double value, char (&digits)[17], int& exp10) {
    char sci[40];
    int n = 0;
    const char* p = sci;
    const char* end;
    // For a normal value whose shortest exact form has at most 15 digits,
    // that form is also the value rounded to 15 digits, and it is much
    // cheaper to get than a rounding to 15 digits.
    bool shortest = false;
    if (std::isnormal(value)) {
        end = std::to_chars(sci, sci + sizeof sci, value, std::chars_format::scientific).ptr;
        for (; p < end && *p != 'e'; ++p) {
            if (*p == '.') continue;
            if (n == 16) break;
            digits[n++] = *p;
        }
        shortest = n <= 15;
    }
    if (!shortest) {
        end = std::to_chars(sci, sci + sizeof sci, value, std::chars_format::scientific, 14).ptr;
        n = 0;
        for (p = sci; p < end && *p != 'e'; ++p) {
            if (*p != '.') digits[n++] = *p;
        }
    }
    ++p;  // the 'e'
    const bool negative = *p == '-';
    exp10 = 0;
    for (++p; p < end; ++p) exp10 = exp10 * 10 + (*p - '0');
    if (negative) exp10 = -exp10;
    while (n > 1 && digits[n - 1] == '0') --n;
    return n;
}

// The pairs of decimal digits "00" to "99", one after another.
constexpr auto kDigitPairs = [] {
    std::array<char, 200> pairs{};
    for (int i = 0; i < 100; ++i) {
        pairs[2 * i] = static_cast<char>('0' + i / 10);
        pairs[2 * i + 1] = static_cast<char>('0' + i % 10);
    }
    return pairs;
}();

// The n digits of value (below 10^n, leading zeros kept) at out, the last
// one first, two at a time.
void WriteDigits(char* out, int n, uint32_t value) {
    while (n >= 2) {
        const uint32_t pair = value % 100;
        value /= 100;
        n -= 2;
        std::memcpy(out + n, kDigitPairs.data() + 2 * pair, 2);
    }
    if (n == 1) out[0] = static_cast<char>('0' + value);
}

}  // namespace

char* WriteFloatText(char* out, double value, char decimalMark) {
    auto put = [&out](std::string_view text) {
        std::memcpy(out, text.data(), text.size());
        out += text.size();
    };
    if (std::isnan(value)) {
        put("NAN");
        return out;
    }
    if (std::isinf(value)) {
        put(value < 0 ? "-INF" : "INF");
        return out;
    }
    if (value == 0) {  // negative zero too
        *out++ = '0';
        return out;
    }
    if (std::fabs(value) < 1e15 && value == std::trunc(value)) {
        return std::to_chars(out, out + kMaxFloatTextLength, static_cast<int64_t>(value)).ptr;
    }
    if (value < 0) {
        *out++ = '-';
        value = -value;
    }

    char digits[17];
    int exp10 = 0;
    int n = 0;
    if (value >= 1 && value < 1e15) {
        // A value from 1 up with at most 15 significant digits: scaled to 15
        // digits before the decimal mark it lands on a whole number. That
        // number, within half a unit of the last place of the value, is then
        // the nearest 15-digit number to it (no tie is that close), so its
        // digits are the rounded ones, found without the general conversion.
        int whole = 1;  // digits before the mark
        while (value >= kPowersOfTen[whole]) ++whole;
        const double scaled = value * kPowersOfTen[15 - whole];
        if (scaled == std::trunc(scaled) && scaled >= 1e14 && scaled < 1e15) {
            const auto whole15 = static_cast<uint64_t>(scaled);
            WriteDigits(digits, 7, static_cast<uint32_t>(whole15 / 100000000));
            WriteDigits(digits + 7, 8, static_cast<uint32_t>(whole15 % 100000000));
            n = 15;
            while (n > 1 && digits[n - 1] == '0') --n;
            exp10 = whole - 1;
        }
    }
    if (n == 0) n = SignificantDigits(value, digits, exp10);
    // value = 0.d1d2... x 10^e
    const int e = exp10 + 1;

    if (e >= -3 && e <= 15) {
        if (e <= 0) {
            *out++ = '0';
            *out++ = decimalMark;
            for (int i = 0; i < -e; ++i) *out++ = '0';
            put(std::string_view(digits, static_cast<size_t>(n)));
        } else if (n <= e) {
            put(std::string_view(digits, static_cast<size_t>(n)));
            for (int i = n; i < e; ++i) *out++ = '0';
        } else {
            put(std::string_view(digits, static_cast<size_t>(e)));
            *out++ = decimalMark;
            put(std::string_view(digits + e, static_cast<size_t>(n - e)));
        }
        return out;
    }
    *out++ = digits[0];
    if (n > 1) {
        *out++ = decimalMark;
        put(std::string_view(digits + 1, static_cast<size_t>(n - 1)));
    }
    *out++ = 'E';
    return std::to_chars(out, out + 8, e - 1).ptr;
}

void AppendFloatText(std::string& out, double value, char decimalMark) {
    char text[kMaxFloatTextLength];
    out.append(text, WriteFloatText(text, value, decimalMark));
}

AnsiString FloatToStr(double value, char decimalMark) {
    AnsiString out;
    AppendFloatText(out, value, decimalMark);
    return out;
}

void AppendIntText(std::string& out, int64_t value) {
    char buf[24];
    const auto res = std::to_chars(buf, buf + sizeof buf, value);
    out.append(buf, res.ptr);
}

AnsiString IntToStr(int64_t value) {
    AnsiString out;
    AppendIntText(out, value);
    return out;
}

// ---------------------------------------------------------------------------
// Text to number

namespace {

bool IsDigit(char c) {
    return c >= '0' && c <= '9';
}

// The largest double rounded to 15 significant digits, 1.79769313486232E308,
// is what the 15-digit number text makes of every value from about
// 1.7976931348623155E308 up: its digits and the power of ten of its first digit.
constexpr std::string_view kLargestDigits15 = "179769313486232";
constexpr long kLargestMagnitude = 308;

// True when the digits (leading zeros stripped, at most 15 significant ones)
// with their first digit at 10^magnitude stand for a value no larger than the
// 15-digit text of the largest double, that is, one that exceeds the largest
// double by less than half a unit in its 15th digit.
bool WithinLargestStep(std::string_view digits, long magnitude) {
    if (magnitude != kLargestMagnitude) return false;
    while (!digits.empty() && digits.back() == '0') digits.remove_suffix(1);
    if (digits.size() > kLargestDigits15.size()) return false;
    char padded[16];
    std::memset(padded, '0', kLargestDigits15.size());
    std::memcpy(padded, digits.data(), digits.size());
    return std::string_view(padded, kLargestDigits15.size()) <= kLargestDigits15;
}

// The value of a number whose conversion reported a result outside the range
// of a double: too large fails, except a value within the last 15-digit step
// above the largest double, which is the largest double (the number text of
// that double reads back); too small (nearer to zero than the smallest double)
// is zero.
bool OutOfRangeValue(std::string_view intDigits, std::string_view fracDigits,
                     std::string_view expDigits, bool expNegative, bool negative, double& value) {
    long exp = 0;
    for (char c : expDigits) {
        exp = exp * 10 + (c - '0');
        if (exp > 1000000) break;
    }
    if (expNegative) exp = -exp;
    size_t lead = 0;
    while (lead < intDigits.size() && intDigits[lead] == '0') ++lead;
    long magnitude;
    if (lead < intDigits.size()) {
        magnitude = static_cast<long>(intDigits.size() - lead) - 1 + exp;
    } else {
        size_t zeros = 0;
        while (zeros < fracDigits.size() && fracDigits[zeros] == '0') ++zeros;
        magnitude = exp - static_cast<long>(zeros) - 1;
    }
    if (magnitude > 0) {
        // The significant digits, from the first non-zero one.
        std::string digits;
        digits.reserve(intDigits.size() + fracDigits.size());
        digits.append(intDigits.substr(lead));
        digits.append(fracDigits);
        const size_t first = digits.find_first_not_of('0');
        if (first == std::string::npos ||
            !WithinLargestStep(std::string_view(digits).substr(first), magnitude)) {
            return false;
        }
        value = negative ? -std::numeric_limits<double>::max() : std::numeric_limits<double>::max();
        return true;
    }
    value = negative ? -0.0 : 0.0;
    return true;
}

}  // namespace

bool TryPlainDecimalToFloat(std::string_view text, double& value) {
    const char* p = text.data();
    const char* const e = p + text.size();
    const bool negative = p < e && *p == '-';
    if (negative) ++p;
    uint64_t whole = 0;
    size_t digits = 0;
    size_t fraction = 0;
    for (; p < e && static_cast<unsigned>(*p - '0') < 10; ++p, ++digits) {
        whole = whole * 10 + static_cast<unsigned>(*p - '0');
    }
    if (p < e && *p == '.') {
        for (++p; p < e && static_cast<unsigned>(*p - '0') < 10; ++p, ++fraction) {
            whole = whole * 10 + static_cast<unsigned>(*p - '0');
        }
    }
    digits += fraction;
    if (p != e || digits == 0 || digits > 15) return false;
    // As in TryStrToFloat: at most 15 digits and the powers of ten up to
    // 10^22 are exact, so one division gives the correctly rounded value.
    const double magnitude = static_cast<double>(whole) / kPowersOfTen[fraction];
    value = negative ? -magnitude : magnitude;
    return true;
}

bool TryStrToFloat(std::string_view text, double& value, char decimalMark) {
    return TryStrToFloat(text, value, decimalMark, decimalMark);
}

bool TryStrToFloat(std::string_view text, double& value, char decimalMark, char otherMark) {
    size_t b = 0;
    size_t e = text.size();
    while (b < e && text[b] == ' ') ++b;
    while (e > b && text[e - 1] == ' ') --e;
    if (b == e) return false;

    size_t i = b;
    bool negative = false;
    if (text[i] == '+' || text[i] == '-') {
        negative = text[i] == '-';
        ++i;
    }
    const size_t intBegin = i;
    while (i < e && IsDigit(text[i])) ++i;
    const std::string_view intDigits = text.substr(intBegin, i - intBegin);
    bool hasMark = false;
    std::string_view fracDigits;
    if (i < e && (text[i] == decimalMark || text[i] == otherMark)) {
        hasMark = true;
        const size_t fracBegin = ++i;
        while (i < e && IsDigit(text[i])) ++i;
        fracDigits = text.substr(fracBegin, i - fracBegin);
    }
    if (intDigits.empty() && fracDigits.empty() && !hasMark) return false;
    bool expNegative = false;
    std::string_view expDigits;
    if (i < e && (text[i] == 'E' || text[i] == 'e')) {
        ++i;
        if (i < e && (text[i] == '+' || text[i] == '-')) {
            expNegative = text[i] == '-';
            ++i;
        }
        const size_t expBegin = i;
        while (i < e && IsDigit(text[i])) ++i;
        expDigits = text.substr(expBegin, i - expBegin);
    }
    if (i != e) return false;

    if (intDigits.empty() && fracDigits.empty()) {  // a lone decimal mark
        value = negative ? -0.0 : 0.0;
        return true;
    }
    if (expDigits.empty() && intDigits.size() + fracDigits.size() <= 15) {
        // At most 15 digits make a whole number below 2^53, which a double
        // holds exactly, as it holds every power of ten up to 10^22; one
        // division of the two is then the correctly rounded value, the same
        // one that the general conversion below finds.
        uint64_t whole = 0;
        for (const char c : intDigits) whole = whole * 10 + static_cast<unsigned>(c - '0');
        for (const char c : fracDigits) whole = whole * 10 + static_cast<unsigned>(c - '0');
        const double magnitude = static_cast<double>(whole) / kPowersOfTen[fracDigits.size()];
        value = negative ? -magnitude : magnitude;
        return true;
    }

    // The same number in the form the standard conversion reads: "-" only,
    // "." as the mark, no exponent without digits.
    const size_t needed = intDigits.size() + fracDigits.size() + expDigits.size() + 4;
    char stackBuf[128];
    std::string heapBuf;
    char* buf = stackBuf;
    if (needed > sizeof stackBuf) {
        heapBuf.resize(needed);
        buf = heapBuf.data();
    }
    char* w = buf;
    if (negative) *w++ = '-';
    std::memcpy(w, intDigits.data(), intDigits.size());
    w += intDigits.size();
    if (!fracDigits.empty()) {
        *w++ = '.';
        std::memcpy(w, fracDigits.data(), fracDigits.size());
        w += fracDigits.size();
    }
    if (!expDigits.empty()) {
        *w++ = 'e';
        if (expNegative) *w++ = '-';
        std::memcpy(w, expDigits.data(), expDigits.size());
        w += expDigits.size();
    }

    double result = 0;
    const auto res = std::from_chars(buf, w, result, std::chars_format::general);
    if (res.ec == std::errc::result_out_of_range) {
        return OutOfRangeValue(intDigits, fracDigits, expDigits, expNegative, negative, value);
    }
    if (res.ec != std::errc() || res.ptr != w || std::isinf(result)) return false;
    value = result;
    return true;
}

double StrToFloat(std::string_view text) {
    double value;
    if (!TryStrToFloat(text, value)) {
        throw EConvertError(FormatMessage(Msg::InvalidFloat, {AnsiToUtf8(text)}));
    }
    return value;
}

bool TryStrToInt(std::string_view text, int& value) {
    size_t i = 0;
    const size_t e = text.size();
    while (i < e && text[i] == ' ') ++i;
    bool negative = false;
    if (i < e && (text[i] == '+' || text[i] == '-')) {
        negative = text[i] == '-';
        ++i;
    }
    bool hex = false;
    if (i < e && text[i] == '$') {
        hex = true;
        ++i;
    } else if (i + 1 < e && text[i] == '0' && (text[i + 1] == 'x' || text[i + 1] == 'X')) {
        hex = true;
        i += 2;
    } else if (i < e && (text[i] == 'x' || text[i] == 'X')) {
        hex = true;
        ++i;
    }
    if (i == e) return false;

    uint64_t acc = 0;
    if (hex) {
        for (; i < e; ++i) {
            const char c = text[i];
            unsigned d;
            if (c >= '0' && c <= '9') {
                d = static_cast<unsigned>(c - '0');
            } else if (c >= 'a' && c <= 'f') {
                d = static_cast<unsigned>(c - 'a' + 10);
            } else if (c >= 'A' && c <= 'F') {
                d = static_cast<unsigned>(c - 'A' + 10);
            } else {
                return false;
            }
            acc = acc * 16 + d;
            if (acc > 0xFFFFFFFFu) return false;
        }
        // Hex digits give the 32-bit pattern; $FFFFFFFF is -1.
        auto bits = static_cast<uint32_t>(acc);
        if (negative) bits = 0u - bits;
        value = static_cast<int32_t>(bits);
        return true;
    }
    const uint64_t limit = negative ? 2147483648u : 2147483647u;
    for (; i < e; ++i) {
        const char c = text[i];
        if (!IsDigit(c)) return false;
        acc = acc * 10 + static_cast<unsigned>(c - '0');
        if (acc > limit) return false;
    }
    value = negative ? static_cast<int>(-static_cast<int64_t>(acc)) : static_cast<int>(acc);
    return true;
}

int StrToInt(std::string_view text) {
    int value;
    if (!TryStrToInt(text, value)) {
        throw EConvertError(FormatMessage(Msg::InvalidInteger, {AnsiToUtf8(text)}));
    }
    return value;
}
