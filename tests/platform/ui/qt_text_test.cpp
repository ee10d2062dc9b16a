#include "platform/ui/qt_text.h"

#include <gtest/gtest.h>

namespace {

TEST(QtText, EveryByteRoundTripsAndAgreesWithUtf8) {
    AnsiString all;
    for (int b = 0; b < 256; ++b) all.push_back(static_cast<char>(b));
    const QString text = AnsiToQString(all);
    ASSERT_EQ(text.size(), 256);
    EXPECT_EQ(text.toStdString(), AnsiToUtf8(all));
    EXPECT_EQ(QStringToAnsi(text), all);
    EXPECT_EQ(AnsiToQString("plain"), QString("plain"));
}

TEST(QtText, CharactersWithoutAByteBecomeQuestionMarks) {
    const struct {
        QString text;
        AnsiString ansi;
    } cases[] = {
        {QString::fromUtf8("日本"), "??"},
        {QString::fromUtf8("a\U0001F600b"), "a?b"},  // one mark for the surrogate pair
        {QString(QChar(0xD800)) + "x", "?x"},        // a lone surrogate
        {QString::fromUtf8("€ŠŽ"), "\x80\x8A\x8E"},
    };
    for (const auto& c : cases) EXPECT_EQ(QStringToAnsi(c.text), c.ansi) << c.text.toStdString();
}

}  // namespace
