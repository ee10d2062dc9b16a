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
    ud.SetAssociate(&edit);
    int clicks = 0;
    ud.OnClick = [&] { ++clicks; };
    EXPECT_EQ(edit.text(), "1");

    ud.StepDown();  // at Min: nothing, no wrap
    EXPECT_EQ(ud.Position(), 1);
    EXPECT_EQ(clicks, 0);

    ud.SetPosition(999);
    QTest::mouseClick(ud.UpButton(), Qt::LeftButton);
    EXPECT_EQ(ud.Position(), 1000);
    EXPECT_EQ(edit.text(), "1000");  // no digit grouping
    EXPECT_EQ(clicks, 1);
    ud.StepUp();  // at Max: nothing
    EXPECT_EQ(ud.Position(), 1000);
    EXPECT_EQ(clicks, 1);

    ud.SetPosition(5000);  // clamped
    EXPECT_EQ(ud.Position(), 1000);
    ud.SetPosition(-3);
    EXPECT_EQ(edit.text(), "1");
}

TEST(UpDown, ArrowKeysInTheAssociatedEditStepIt) {
    QLineEdit edit;
    edit.setReadOnly(true);
    TUpDown ud;
    ud.SetMin(1);
    ud.SetMax(3);
    ud.SetAssociate(&edit);
    std::vector<QString> texts;
    QObject::connect(&edit, &QLineEdit::textChanged, [&](const QString& t) { texts.push_back(t); });
    QTest::keyClick(&edit, Qt::Key_Up);
    QTest::keyClick(&edit, Qt::Key_Up);
    QTest::keyClick(&edit, Qt::Key_Up);
    QTest::keyClick(&edit, Qt::Key_Down);
    EXPECT_EQ(texts, (std::vector<QString>{"2", "3", "2"}));
}

}  // namespace
