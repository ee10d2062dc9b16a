#include <gtest/gtest.h>

#include <QLineEdit>
#include <QTest>
#include <QToolButton>

#include "platform/ui/up_down.h"

namespace {

TEST(UpDown, StepsStayInRangeAndWritePlainDigits) {
    QLineEdit edit;
    TUpDown ud;
    ud.SetMin(1);
    ud.SetMax(1000);
    ud.SetPosition(1);
    QStringList texts;
    QObject::connect(&edit, &QLineEdit::textChanged, [&](const QString& t) { texts << t; });
    ud.SetAssociate(&edit);
    ud.StepDown();  // at Min: nothing, no wrap
    ud.SetPosition(999);
    QTest::mouseClick(ud.UpButton(), Qt::LeftButton);
    ud.StepUp();                         // at Max: nothing
    ud.SetPosition(-3);                  // clamped
    QTest::keyClick(&edit, Qt::Key_Up);  // arrow keys in the associated edit step it
    EXPECT_EQ(texts, QStringList({"1", "999", "1000", "1", "2"}));  // no digit grouping
}

}  // namespace
