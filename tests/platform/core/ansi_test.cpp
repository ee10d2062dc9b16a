#include "platform/core/ansi.h"

#include <gtest/gtest.h>

#include <set>

#include "platform/core/exceptions.h"

namespace {

TEST(Ansi, EveryByteHasItsOwnCharacterAndComesBack) {
    std::string all;
    std::set<char32_t> seen;
    for (int b = 0; b < 256; ++b) {
        all.push_back(static_cast<char>(b));
        const char32_t cp = AnsiCharToUnicode(static_cast<unsigned char>(b));
        EXPECT_TRUE(seen.insert(cp).second) << "byte " << b;
        EXPECT_EQ(UnicodeToAnsiChar(cp), b);
    }
    EXPECT_EQ(Utf8ToAnsi(AnsiToUtf8(all)), all);
    EXPECT_EQ(AnsiToUtf8("\x80\x81\x9F\xE4"), "\u20AC\u0081\u0178ä");
}

TEST(Ansi, FromUtf8WithoutAByteGivesQuestionMark) {
    const std::pair<std::string, std::string> cases[] = {
        {"Grüße €",
         "Gr\xFC\xDF"
         "e \x80"},
        {"\U0001F600x", "?x"},  // outside the basic plane
        {"\xC3"
         "a",
         "?a"},               // missing continuation
        {"\xC0\xAF", "??"}};  // overlong form
    for (const auto& [utf8, ansi] : cases) EXPECT_EQ(Utf8ToAnsi(utf8), ansi) << utf8;
}

TEST(Ansi, TextHelpers) {
    EXPECT_EQ(LowerCase("TRUE \xC4[@Z`"), "true \xC4[@z`");  // only A to Z change
    EXPECT_TRUE(SameText("Name", "nAME"));
    EXPECT_EQ(Trim("\t\x01 ab c \r\n"), "ab c");
    EXPECT_EQ(ReplaceAll("aaa", "aa", "b"), "ba");  // left to right, no overlaps
    EXPECT_EQ(FormatMessage("%s: 100%% von %d", {"a", "7"}), "a: 100% von 7");
    EXPECT_EQ(FormatMessage("%s und %s", {"%s"}), "%s und %s");  // missing argument stays
}

}  // namespace
