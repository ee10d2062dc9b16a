#include <gtest/gtest.h>

#include <QLineEdit>
#include <QTest>
#include <QToolButton>

#include "platform/ui/up_down.h"

namespace {

TEST(UpDown, StepsStayInRangeAndWritePlainDigits) {
    QLineEdit edit;
    edit.setReadOnly(true);
    TUpDown ud;
    ud.SetMin(1);
    ud.SetMax(1000);
    ud.SetPosition(1);
    int clicks = 0;
    ud.OnClick = [&] { ++clicks; };
    QStringList texts;
    QObject::connect(&edit, &QLineEdit::textChanged, [&](const QString& t) { texts << t; });
    ud.SetAssociate(&edit);
    ud.StepDown();  // at Min: nothing, no wrap
    ud.SetPosition(999);
    QTest::mouseClick(ud.UpButton(), Qt::LeftButton);
    ud.StepUp();  // at Max: nothing
    EXPECT_EQ(clicks, 1);
    ud.SetPosition(5000);  // clamped
    EXPECT_EQ(ud.Position(), 1000);
    ud.SetPosition(-3);
    QTest::keyClick(&edit, Qt::Key_Up);  // arrow keys in the associated edit step it
    QTest::keyClick(&edit, Qt::Key_Down);
    EXPECT_EQ(texts, QStringList({"1", "999", "1000", "1", "2", "1"}));  // no digit grouping
}

}  // namespace
