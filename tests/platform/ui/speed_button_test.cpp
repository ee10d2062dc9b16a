#include "platform/ui/speed_button.h"

#include <gtest/gtest.h>

#include <QTest>

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
    form.show();
    QTest::mouseClick(desc, Qt::LeftButton, {}, QPoint(5, 5));
    EXPECT_EQ(DownState(), "01101");
    desc->Click();  // already down: stays down, the handler runs again
    asc->Click();
    EXPECT_EQ(DownState(), "10101");
    plain->Click();
    desc->SetDown(true);   // from code: no handler
    desc->SetDown(false);  // a group button is released only by another one
    EXPECT_EQ(DownState(), "01101");
    asc->setEnabled(false);
    asc->Click();
    EXPECT_EQ(clicks, "ddap");
}

}  // namespace
