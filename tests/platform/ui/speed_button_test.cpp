#include "platform/ui/speed_button.h"

#include <gtest/gtest.h>

#include <QImage>
#include <QPixmap>
#include <QTest>
#include <QWidget>

#include "platform/core/exceptions.h"
#include "platform/ui/application.h"

namespace {

// sbDirAsc and sbDirDesc as the main window has them, a button of another
// group, a plain one, and a button of group 1 on another parent.
struct Buttons {
    QWidget form;
    QWidget otherPanel;
    TSpeedButton* asc = new TSpeedButton(&form);
    TSpeedButton* desc = new TSpeedButton(&form);
    TSpeedButton* other = new TSpeedButton(&form);
    TSpeedButton* plain = new TSpeedButton(&form);
    TSpeedButton* elsewhere = new TSpeedButton(&otherPanel);
    std::vector<std::string> clicks;

    Buttons() {
        asc->SetGroupIndex(1);
        desc->SetGroupIndex(1);
        other->SetGroupIndex(2);
        elsewhere->SetGroupIndex(1);
        for (auto [b, name] : {std::pair{asc, "asc"},
                               {desc, "desc"},
                               {other, "other"},
                               {plain, "plain"},
                               {elsewhere, "elsewhere"}}) {
            b->OnClick = [this, name = std::string(name)] { clicks.push_back(name); };
            b->resize(20, 20);
        }
        asc->SetDown(true);
        other->SetDown(true);
        elsewhere->SetDown(true);
    }
    std::string DownState() const {
        std::string s;
        for (auto* b : {asc, desc, other, plain, elsewhere}) s += b->Down() ? '1' : '0';
        return s;
    }
};

TEST(SpeedButton, ClickPutsTheButtonDownAndReleasesItsGroupOnly) {
    Buttons b;
    EXPECT_EQ(b.DownState(), "10101");
    b.desc->Click();
    EXPECT_EQ(b.DownState(), "01101");
    EXPECT_EQ(b.clicks, std::vector<std::string>{"desc"});
    b.desc->Click();  // already down: stays down, the handler runs again
    EXPECT_EQ(b.DownState(), "01101");
    EXPECT_EQ(b.clicks.size(), 2u);
    b.asc->Click();
    EXPECT_EQ(b.DownState(), "10101");
}

TEST(SpeedButton, SetDownFromCodeRunsNoHandler) {
    Buttons b;
    b.desc->SetDown(true);
    EXPECT_EQ(b.DownState(), "01101");
    b.desc->SetDown(false);  // a group button is released only by another one
    EXPECT_TRUE(b.desc->Down());
    b.plain->SetDown(true);  // a plain button is never down
    EXPECT_FALSE(b.plain->Down());
    EXPECT_TRUE(b.clicks.empty());
    b.plain->Click();  // but its click runs the handler
    EXPECT_EQ(b.clicks, std::vector<std::string>{"plain"});
    EXPECT_EQ(b.DownState(), "01101");
}

TEST(SpeedButton, MouseClicksAndDisabledButtons) {
    Buttons b;
    b.form.show();
    QTest::mouseClick(b.desc, Qt::LeftButton, {}, QPoint(5, 5));
    EXPECT_EQ(b.clicks, std::vector<std::string>{"desc"});
    EXPECT_TRUE(b.desc->Down());

    // Pressed inside, released outside: no click.
    QTest::mousePress(b.asc, Qt::LeftButton, {}, QPoint(5, 5));
    QTest::mouseRelease(b.asc, Qt::LeftButton, {}, QPoint(50, 50));
    EXPECT_EQ(b.clicks.size(), 1u);
    EXPECT_TRUE(b.desc->Down());

    b.asc->setEnabled(false);
    b.asc->Click();
    QTest::mouseClick(b.asc, Qt::LeftButton, {}, QPoint(5, 5));
    EXPECT_EQ(b.clicks.size(), 1u);
    EXPECT_FALSE(b.asc->Down());
    EXPECT_EQ(b.asc->focusPolicy(), Qt::NoFocus);
}

TEST(SpeedButton, AFailingHandlerIsShownAndTheButtonStaysDown) {
    std::vector<QString> errors;
    auto saved = Application->SetErrorBoxHandler(
        [&](const QString&, const QString& text) { errors.push_back(text); });
    Buttons b;
    b.desc->OnClick = [] {
        throw EDatabaseError("cdsQMT1: Operation bei geschlossener Datenmenge nicht ausführbar");
    };
    EXPECT_NO_THROW(b.desc->Click());
    Application->SetErrorBoxHandler(saved);
    ASSERT_EQ(errors.size(), 1u);
    EXPECT_TRUE(errors[0].endsWith(QString::fromUtf8("ausführbar.")));
    EXPECT_TRUE(b.desc->Down());
}

QPixmap Filled(Qt::GlobalColor color) {
    QPixmap p(16, 16);
    p.fill(color);
    return p;
}

TEST(SpeedButton, DrawsTheGlyphOfItsState) {
    QWidget form;
    auto* button = new TSpeedButton(&form);
    button->resize(24, 24);
    button->SetGlyph(Filled(Qt::red), Filled(Qt::blue));
    EXPECT_EQ(button->iconSize(), QSize(16, 16));
    auto centre = [&] { return button->grab().toImage().pixelColor(12, 12); };
    EXPECT_EQ(centre(), QColor(Qt::red));
    button->setEnabled(false);
    EXPECT_EQ(centre(), QColor(Qt::blue));
}

}  // namespace
