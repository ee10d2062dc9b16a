#include "platform/ui/speed_button.h"

#include <gtest/gtest.h>

#include <QImage>
#include <QPixmap>
#include <QTest>
#include <QWidget>

#include "platform/core/exceptions.h"
#include "platform/ui/application.h"

namespace {

// sbDirAsc and sbDirDesc as the main window has them (group 1, asc down), a
// down button of group 2, a plain one, and a down button of group 1 on
// another parent; clicks records the handlers run.
class SpeedButtonTest : public ::testing::Test {
  protected:
    void SetUp() override {
        const int groups[] = {1, 1, 2, 0, 1};
        for (int i = 0; i < 5; ++i) {
            auto* b = new TSpeedButton(i == 4 ? &otherPanel : &form);
            b->SetGroupIndex(groups[i]);
            b->OnClick = [this, i] { clicks += "adopx"[i]; };
            b->resize(20, 20);
            b->SetDown(i != 1);
            buttons[i] = b;
        }
    }
    std::string DownState() const {
        std::string s;
        for (auto* b : buttons) s += b->Down() ? '1' : '0';
        return s;
    }

    QWidget form, otherPanel;
    TSpeedButton* buttons[5];
    TSpeedButton *&asc = buttons[0], *&desc = buttons[1], *&plain = buttons[3];
    std::string clicks;
};

TEST_F(SpeedButtonTest, ClickPutsTheButtonDownAndReleasesItsGroupOnly) {
    EXPECT_EQ(DownState(), "10101");  // a plain button is never down
    desc->Click();
    EXPECT_EQ(DownState(), "01101");
    desc->Click();  // already down: stays down, the handler runs again
    asc->Click();
    EXPECT_EQ(DownState(), "10101");
    plain->Click();
    EXPECT_EQ(clicks, "ddap");

    desc->SetDown(true);   // from code: no handler
    desc->SetDown(false);  // a group button is released only by another one
    EXPECT_EQ(DownState(), "01101");
    EXPECT_EQ(clicks, "ddap");
}

TEST_F(SpeedButtonTest, MouseClicksAndDisabledButtons) {
    form.show();
    QTest::mouseClick(desc, Qt::LeftButton, {}, QPoint(5, 5));
    // Pressed inside, released outside: no click.
    QTest::mousePress(asc, Qt::LeftButton, {}, QPoint(5, 5));
    QTest::mouseRelease(asc, Qt::LeftButton, {}, QPoint(50, 50));
    asc->setEnabled(false);
    asc->Click();
    QTest::mouseClick(asc, Qt::LeftButton, {}, QPoint(5, 5));
    EXPECT_EQ(clicks, "d");
    EXPECT_EQ(DownState(), "01101");
    EXPECT_EQ(asc->focusPolicy(), Qt::NoFocus);
}

TEST_F(SpeedButtonTest, AFailingHandlerIsShownAndTheButtonStaysDown) {
    QStringList errors;
    auto saved = Application->SetErrorBoxHandler(
        [&](const QString&, const QString& text) { errors << text; });
    desc->OnClick = [] {
        throw EDatabaseError("cdsQMT1: Operation bei geschlossener Datenmenge nicht ausführbar");
    };
    EXPECT_NO_THROW(desc->Click());
    Application->SetErrorBoxHandler(saved);
    EXPECT_EQ(errors, QStringList{QString::fromUtf8(
                          "cdsQMT1: Operation bei geschlossener Datenmenge nicht ausführbar.")});
    EXPECT_TRUE(desc->Down());
}

TEST_F(SpeedButtonTest, DrawsTheGlyphOfItsState) {
    auto filled = [](Qt::GlobalColor color) {
        QPixmap p(16, 16);
        p.fill(color);
        return p;
    };
    plain->resize(24, 24);
    plain->SetGlyph(filled(Qt::red), filled(Qt::blue));
    EXPECT_EQ(plain->iconSize(), QSize(16, 16));
    auto centre = [&] { return plain->grab().toImage().pixelColor(12, 12); };
    EXPECT_EQ(centre(), QColor(Qt::red));
    plain->setEnabled(false);
    EXPECT_EQ(centre(), QColor(Qt::blue));
}

}  // namespace
