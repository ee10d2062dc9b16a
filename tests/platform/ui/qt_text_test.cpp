#include "platform/ui/qt_text.h"

#include <gtest/gtest.h>

namespace {

TEST(QtText, EveryByteRoundTripsAndCharactersWithoutAByteBecomeQuestionMarks) {
    AnsiString all;
    for (int b = 0; b < 256; ++b) all.push_back(static_cast<char>(b));
    const QString text = AnsiToQString(all);
    ASSERT_EQ(text.size(), 256);
    EXPECT_EQ(text.toStdString(), AnsiToUtf8(all));
    EXPECT_EQ(QStringToAnsi(text), all);

    const QString noByte[] = {
        QString::fromUtf8("日本"),
        QString::fromUtf8("\U0001F600b"),  // one mark for the surrogate pair
        QString(QChar(0xD800)) + "b",      // a lone surrogate
    };
    const AnsiString marks[] = {"??", "?b", "?b"};
    for (int i = 0; i < 3; ++i) EXPECT_EQ(QStringToAnsi(noByte[i]), marks[i]) << i;
}

}  // namespace
