#include "platform/core/number_text.h"

#include <gtest/gtest.h>

#include <bit>
#include <cmath>
#include <vector>
#include <random>
#include <cstring>
#include <cstdlib>
#include <cstdio>
#include <limits>
#include <string>

#include "tests/support/test_helpers.h"

namespace {

// Text written with '.' as the mark, in the form for the given mark.
std::string WithMark(std::string text, char mark) {
    for (char& c : text) {
        if (c == '.') c = mark;
    }
    return text;
}

TEST(FloatToStr, GeneralFormWithFifteenDigits) {
    const std::pair<double, const char*> cases[] = {
        {-0.125, "-0.125"},
        {0.1 + 0.2, "0.3"},
        {0.0001, "0.0001"},
        {999999999999999.0, "999999999999999"},
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

// -99 marks a text that does not convert; the value is then left alone.
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
    std::vector<double> values = {0.1,
                                  1.0 / 3,
                                  999999999999999.5,
                                  1e14 + 0.5,
                                  1e-300,
                                  5e-324,
                                  1.7976931348623157e308,
                                  0.30000000000000004,
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
    const std::pair<const char*, double> cases[] = {
        {" 12 ", 12}, {"+4.50", 4.5},     {".5", 0.5},   {"5.", 5},      {"1e+", 1},
        {".", 0},     {"  -.25e1", -2.5}, {"1e-400", 0}, {"", -99},      {"1.2.3", -99},
        {"\t5", -99}, {"1 000", -99},     {"$1F", -99},  {"1e400", -99}, {"+", -99},
        {"e5", -99},  {"inf", -99}};
    for (char mark : {'.', ','}) {
        for (const auto& [text, expected] : cases) {
            double value = -99;
            EXPECT_EQ(TryStrToFloat(WithMark(text, mark), value, mark), expected != -99) << text;
            EXPECT_EQ(value, expected) << text << mark;
        }
    }
    double value = 0;
    EXPECT_FALSE(TryStrToFloat("1,5", value, '.'));
    EXPECT_FALSE(TryStrToFloat("1.5", value, ','));
}

TEST(TryStrToFloat, TheLargestDoublesFifteenDigitTextReadsBackAsTheLargestDouble) {
    constexpr double kMax = std::numeric_limits<double>::max();
    // Within the last 15-digit step above the largest double: the largest double.
    // Beyond it, or more digits than the number text writes: out of range.
    const std::pair<const char*, double> cases[] = {{"1.79769313486232E308", kMax},
                                                    {"-1.79769313486232E308", -kMax},
                                                    {"179769313486232E294", kMax},
                                                    {"0.000179769313486232E312", kMax},
                                                    {"1.797693134862320000E308", kMax},
                                                    {"1.7976931348623157E308", kMax},
                                                    {"1.79769313486231E308", 1.79769313486231E308},
                                                    {"1.7976931348624E308", -99},
                                                    {"1.797693134862321E308", -99},
                                                    {"1.8E308", -99},
                                                    {"-1.79769313486233E308", -99},
                                                    {"1.79769313486232E309", -99},
                                                    {"1e309", -99},
                                                    {"1e400", -99},
                                                    {"-1e400", -99}};
    for (char mark : {'.', ','}) {
        for (const auto& [text, expected] : cases) {
            double value = -99;
            EXPECT_EQ(TryStrToFloat(WithMark(text, mark), value, mark), expected != -99) << text;
            EXPECT_EQ(value, expected) << text << mark;
        }
    }
    // Every double whose number text is the 15-digit text of the largest one
    // reads back from that text.
    for (double v = kMax; FloatToStr(v, '.') == "1.79769313486232E308";
         v = std::nextafter(v, 0.0)) {
        double back = 0;
        ASSERT_TRUE(TryStrToFloat(FloatToStr(-v, '.'), back, '.')) << v;
        EXPECT_EQ(back, -kMax);
    }
}

TEST(TryStrToInt, WholeNumbers) {
    const std::pair<const char*, int> cases[] = {
        {"  42", 42},      {"$1F", 31}, {"0x10", 16},        {"-2147483648", -2147483647 - 1},
        {"$FFFFFFFF", -1}, {"", -99},   {"2147483648", -99}, {"-", -99},
        {"42 ", -99},      {"1.0", -99}};
    for (const auto& [text, expected] : cases) {
        int value = -99;
        EXPECT_EQ(TryStrToInt(text, value), expected != -99) << text;
        EXPECT_EQ(value, expected) << text;
    }
    EXPECT_EQ(IntToStr(std::numeric_limits<int64_t>::min()), "-9223372036854775808");
}

TEST(NumberText, ConversionErrorsNameTheTextInUtf8) {
    DecimalMark mark('.');
    EXPECT_EQ(MessageOf<EConvertError>([] { StrToFloat("2,5\xE4"); }),
              "'2,5ä' ist kein gültiger Gleitkommawert");
    EXPECT_EQ(MessageOf<EConvertError>([] { StrToInt("1.0\xDC"); }),
              "'1.0Ü' ist kein gültiger Integerwert");
}

// The fast form takes the plain number texts only, and gives exactly what the
// full conversion gives for them.
TEST(TryPlainDecimalToFloat, TakesPlainTextsOnlyAndAgreesWithTheFullConversion) {
    const struct {
        const char* text;
        bool plain;
    } cases[] = {{"0", true},
                 {"-0", true},
                 {"12", true},
                 {"-3.25", true},
                 {"5.", true},
                 {".5", true},
                 {"0.1", true},
                 {"1562.609375", true},
                 {"123456789012345", true},
                 {"12345678.9012345", true},
                 {"1234567890123456", false},
                 {"0000000000000001", false},
                 {"", false},
                 {"-", false},
                 {".", false},
                 {"+1", false},
                 {"1e5", false},
                 {"1,5", false},
                 {" 1", false},
                 {"1 ", false},
                 {"1.2.3", false},
                 {"--1", false}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.text);
        double fast = 42;
        EXPECT_EQ(TryPlainDecimalToFloat(c.text, fast), c.plain);
        if (!c.plain) {
            EXPECT_EQ(fast, 42);
            continue;
        }
        double full = 0;
        ASSERT_TRUE(TryStrToFloat(c.text, full, '.', ','));
        EXPECT_EQ(std::bit_cast<uint64_t>(fast), std::bit_cast<uint64_t>(full));
    }
}

}  // namespace
