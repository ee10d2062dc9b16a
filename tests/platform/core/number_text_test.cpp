#include "platform/core/number_text.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>
#include <functional>
#include <limits>
#include <random>

#include "platform/core/exceptions.h"

namespace {

// Text written with '.' as the mark, in the form for the given mark.
std::string WithMark(std::string text, char mark) {
    for (char& c : text) {
        if (c == '.') c = mark;
    }
    return text;
}

TEST(FloatToStr, GeneralFormWithFifteenDigits) {
    const struct {
        double value;
        const char* text;
    } cases[] = {
        {2.5, "2.5"},
        {-0.125, "-0.125"},
        {1000000, "1000000"},
        {0.0001, "0.0001"},
        {0.00001, "1E-5"},
        {1e15, "1E15"},
        {999999999999999.0, "999999999999999"},
        {1.5e-7, "1.5E-7"},
        {0, "0"},
        {-0.0, "0"},
        {123456789012345678.0, "1.23456789012346E17"},
        {0.1 + 0.2, "0.3"},
        {2.0 / 3.0, "0.666666666666667"},
        {9.9999999999999999e14, "1E15"},  // rounding carries into a new digit
        {-2.5e-300, "-2.5E-300"},
        {std::numeric_limits<double>::denorm_min(), "4.94065645841247E-324"},
        {std::nan(""), "NAN"},
        {-std::numeric_limits<double>::infinity(), "-INF"},
    };
    for (char mark : {'.', ','}) {
        for (const auto& c : cases) {
            EXPECT_EQ(FloatToStr(c.value, mark), WithMark(c.text, mark)) << c.value << " " << mark;
        }
    }
}

// Whatever the layout, the digits must be those of the correctly rounded
// 15-digit value: reading the text back gives what "%.15g" gives.
TEST(FloatToStr, ReadsBackAsTheFifteenDigitValue) {
    std::mt19937_64 random(42);
    std::uniform_real_distribution<double> mantissa(1.0, 10.0);
    std::uniform_int_distribution<int> exponent(-30, 30);
    for (int i = 0; i < 20000; ++i) {
        const double value = (i % 2 ? -1 : 1) * mantissa(random) * std::pow(10.0, exponent(random));
        char reference[64];
        std::snprintf(reference, sizeof reference, "%.15g", value);
        const std::string text = FloatToStr(value, '.');
        double back = 0;
        ASSERT_TRUE(TryStrToFloat(text, back, '.')) << text;
        EXPECT_EQ(back, std::strtod(reference, nullptr)) << text << " vs " << reference;
    }
}

TEST(TryStrToFloat, AcceptsThePlatformSyntaxWithEitherMark) {
    const struct {
        const char* text;
        double value;
    } cases[] = {
        {" 12 ", 12}, {"+4.50", 4.5}, {".5", 0.5}, {"5.", 5},          {"1E5", 1e5},  {"1e", 1},
        {"1e+", 1},   {".", 0},       {"-0", 0},   {"  -.25e1", -2.5}, {"1e-400", 0},  // nearer to
                                                                                       // zero than
                                                                                       // any double
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
        {"  42", true, 42},
        {"-7", true, -7},
        {"2147483647", true, 2147483647},
        {"-2147483648", true, -2147483647 - 1},
        {"$1F", true, 31},
        {"0x10", true, 16},
        {"$FFFFFFFF", true, -1},
        {"2147483648", false, 0},
        {"$100000000", false, 0},
        {"", false, 0},
        {"-", false, 0},
        {"42 ", false, 0},
        {"1.0", false, 0},
        {"$1G", false, 0},
    };
    for (const auto& c : cases) {
        int value = -99;
        EXPECT_EQ(TryStrToInt(c.text, value), c.ok) << '"' << c.text << '"';
        EXPECT_EQ(value, c.ok ? c.value : -99) << '"' << c.text << '"';
    }
}

TEST(NumberText, ConversionErrorsNameTheTextInUtf8) {
    const char saved = FormatSettings.DecimalSeparator;
    FormatSettings.DecimalSeparator = '.';
    const struct {
        std::function<void()> convert;
        const char* message;
    } cases[] = {
        {[] { StrToFloat("x\xE4"); }, "'xä' ist kein gültiger Gleitkommawert"},
        {[] { StrToFloat("2,5"); }, "'2,5' ist kein gültiger Gleitkommawert"},
        {[] { StrToInt("1.000"); }, "'1.000' ist kein gültiger Integerwert"},
        {[] { StrToInt("\xDC"); }, "'Ü' ist kein gültiger Integerwert"},
    };
    for (const auto& c : cases) {
        try {
            c.convert();
            ADD_FAILURE() << "no exception for " << c.message;
        } catch (const EConvertError& e) {
            EXPECT_EQ(e.Message(), c.message);
        }
    }
    FormatSettings.DecimalSeparator = saved;
    EXPECT_EQ(IntToStr(std::numeric_limits<int64_t>::min()), "-9223372036854775808");
}

}  // namespace

namespace {

// A plain reference for the 15-digit form: round with the C library, then
// lay the digits out by the rules (plain notation for decimal exponents from
// -3 to 15, exponent notation otherwise).
std::string ReferenceText(double v) {
    if (v == 0) return "0";
    char buf[64];
    std::snprintf(buf, sizeof buf, "%.14e", std::fabs(v));
    std::string digits;
    const char* p = buf;
    for (; *p != 'e'; ++p)
        if (*p != '.') digits.push_back(*p);
    const int exp10 = std::atoi(p + 1);
    while (digits.size() > 1 && digits.back() == '0') digits.pop_back();
    const int n = static_cast<int>(digits.size());
    const int e = exp10 + 1;
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

TEST(FloatToStrTest, AgreesWithARoundingReferenceAtAllScales) {
    std::vector<double> values = {0.0,
                                  -0.0,
                                  1,
                                  -1,
                                  2.5,
                                  -0.125,
                                  0.1,
                                  1.0 / 3,
                                  123.456,
                                  1e15,
                                  1e15 - 1,
                                  1e15 + 2,
                                  999999999999999.5,
                                  1e14 + 0.5,
                                  0.001,
                                  0.0001,
                                  0.00001,
                                  1.5e-7,
                                  1e-300,
                                  5e-324,
                                  1.7976931348623157e308,
                                  1e21,
                                  123456789012345678.0,
                                  0.30000000000000004,
                                  9.87654321e-4,
                                  -4503599627370497.0,
                                  1e16,
                                  1e-5,
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

}  // namespace
