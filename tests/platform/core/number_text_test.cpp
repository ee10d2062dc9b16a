#include "platform/core/number_text.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <limits>
#include <random>
#include <string>
#include <vector>

#include "tests/support/test_helpers.h"

namespace {

// Text written with '.' as the mark, in the form for the given mark.
std::string WithMark(std::string text, char mark) {
    for (char& c : text) {
        if (c == '.') c = mark;
    }
    return text;
}

// The layout with either mark and the values outside the finite range; the
// digits at all scales are checked against a reference below.
TEST(FloatToStr, GeneralFormWithFifteenDigits) {
    const std::pair<double, const char*> cases[] = {
        {-0.125, "-0.125"},
        {0.00001, "1E-5"},
        {-0.0, "0"},
        {123456789012345678.0, "1.23456789012346E17"},
        {9.9999999999999999e14, "1E15"},
        {std::nan(""), "NAN"},
        {-std::numeric_limits<double>::infinity(), "-INF"}};
    for (char mark : {'.', ','}) {
        for (const auto& [value, text] : cases)
            EXPECT_EQ(FloatToStr(value, mark), WithMark(text, mark)) << value << " " << mark;
    }
}

// A plain reference for the 15-digit form: round with the C library, then lay
// the digits out (plain notation for decimal exponents from -3 to 15,
// exponent notation otherwise).
std::string ReferenceText(double v) {
    if (v == 0) return "0";
    char buf[64];
    std::snprintf(buf, sizeof buf, "%.14e", std::fabs(v));
    std::string digits;
    const char* p = buf;
    for (; *p != 'e'; ++p)
        if (*p != '.') digits.push_back(*p);
    const int e = std::atoi(p + 1) + 1;
    while (digits.size() > 1 && digits.back() == '0') digits.pop_back();
    const int n = static_cast<int>(digits.size());
    std::string out = v < 0 ? "-" : "";
    if (e >= -3 && e <= 15) {
        if (e <= 0) return out + "0." + std::string(static_cast<size_t>(-e), '0') + digits;
        if (n <= e) return out + digits + std::string(static_cast<size_t>(e - n), '0');
        return out + digits.substr(0, static_cast<size_t>(e)) + "." +
               digits.substr(static_cast<size_t>(e));
    }
    out += digits.substr(0, 1);
    if (n > 1) out += "." + digits.substr(1);
    return out + "E" + std::to_string(e - 1);
}

TEST(FloatToStr, AgreesWithARoundingReferenceAtAllScales) {
    std::vector<double> values = {0.1 + 0.2,
                                  1e15 - 1,
                                  1e15 + 2,
                                  999999999999999.5,
                                  1e14 + 0.5,
                                  0.001,
                                  0.0001,
                                  1e-300,
                                  5e-324,
                                  1.7976931348623157e308,
                                  1e21,
                                  -4503599627370497.0,
                                  12345.678901234567};
    std::mt19937_64 rng(7);
    for (int i = 0; i < 200000; ++i) {
        double v;
        if (i % 2) {
            const uint64_t bits = rng();
            std::memcpy(&v, &bits, sizeof v);
            if (!std::isfinite(v)) continue;
        } else {
            // Decimal-looking values of up to 17 digits at all scales.
            const int digits = static_cast<int>(rng() % 17) + 1;
            std::string text = std::to_string(rng() % 9 + 1);
            for (int d = 1; d < digits; ++d) text.push_back(static_cast<char>('0' + rng() % 10));
            text += "e" + std::to_string(static_cast<int>(rng() % 60) - 30);
            v = std::strtod(text.c_str(), nullptr) * (rng() % 2 ? -1 : 1);
        }
        values.push_back(v);
    }
    int mismatches = 0;
    for (const double v : values) {
        if (FloatToStr(v, '.') != ReferenceText(v) && ++mismatches < 10) {
            ADD_FAILURE() << std::hexfloat << v << ": " << FloatToStr(v, '.') << " vs "
                          << ReferenceText(v);
        }
    }
    EXPECT_EQ(mismatches, 0);
}

TEST(TryStrToFloat, AcceptsThePlatformSyntaxWithEitherMark) {
    const struct {
        const char* text;
        double value;
    } cases[] = {
        {" 12 ", 12}, {"+4.50", 4.5}, {".5", 0.5},        {"5.", 5},    {"1E5", 1e5}, {"1e", 1},
        {"1e+", 1},   {".", 0},       {"  -.25e1", -2.5}, {"1e-400", 0}  // nearer to zero than any
                                                                         // double
    };
    for (char mark : {'.', ','}) {
        for (const auto& c : cases) {
            const std::string text = WithMark(c.text, mark);
            double value = -99;
            EXPECT_TRUE(TryStrToFloat(text, value, mark)) << '"' << text << '"';
            EXPECT_EQ(value, c.value) << '"' << text << '"';
        }
    }
    // Longer than any stack buffer, at the very edge of the range.
    double value = 0;
    const std::string max = "17976931348623157" + std::string(292, '0');
    EXPECT_TRUE(TryStrToFloat(max, value, '.'));
    EXPECT_EQ(value, std::numeric_limits<double>::max());
    EXPECT_FALSE(TryStrToFloat(max + "0", value, '.'));
}

TEST(TryStrToFloat, RejectsEverythingElse) {
    const char* cases[] = {"",    "   ",   "1.2.3", "\t5", "1 000", "$1F",   "0x10", "1e5.0",
                           "abc", "1e400", "+",     "-",   "e5",    "1e++5", "inf",  "1,5."};
    for (char mark : {'.', ','}) {
        for (const char* c : cases) {
            const std::string text = WithMark(c, mark);
            double value = -99;
            EXPECT_FALSE(TryStrToFloat(text, value, mark)) << '"' << text << '"';
            EXPECT_EQ(value, -99) << "a failed conversion leaves the value alone";
        }
    }
    double value;
    EXPECT_FALSE(TryStrToFloat("1,5", value, '.'));
    EXPECT_FALSE(TryStrToFloat("1.5", value, ','));
}

TEST(TryStrToInt, WholeNumbers) {
    const struct {
        const char* text;
        bool ok;
        int value;
    } cases[] = {
        {"  42", true, 42},       {"-7", true, -7},   {"2147483647", true, 2147483647},
        {"$1F", true, 31},        {"0x10", true, 16}, {"-2147483648", true, -2147483647 - 1},
        {"$FFFFFFFF", true, -1},  {"", false, 0},     {"2147483648", false, 0},
        {"$100000000", false, 0}, {"-", false, 0},    {"42 ", false, 0},
        {"1.0", false, 0},        {"$1G", false, 0}};
    for (const auto& c : cases) {
        int value = -99;
        EXPECT_EQ(TryStrToInt(c.text, value), c.ok) << '"' << c.text << '"';
        EXPECT_EQ(value, c.ok ? c.value : -99) << '"' << c.text << '"';
    }
    EXPECT_EQ(IntToStr(std::numeric_limits<int64_t>::min()), "-9223372036854775808");
}

TEST(NumberText, ConversionErrorsNameTheTextInUtf8) {
    DecimalMark mark('.');
    EXPECT_EQ(MessageOf<EConvertError>([] { StrToFloat("x\xE4"); }),
              "'xä' ist kein gültiger Gleitkommawert");
    EXPECT_EQ(MessageOf<EConvertError>([] { StrToFloat("2,5"); }),
              "'2,5' ist kein gültiger Gleitkommawert");
    EXPECT_EQ(MessageOf<EConvertError>([] { StrToInt("1.000"); }),
              "'1.000' ist kein gültiger Integerwert");
    EXPECT_EQ(MessageOf<EConvertError>([] { StrToInt("\xDC"); }),
              "'Ü' ist kein gültiger Integerwert");
}

}  // namespace
