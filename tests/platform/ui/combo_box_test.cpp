#include "platform/ui/combo_box.h"

#include <gtest/gtest.h>

#include <QAbstractItemView>
#include <QApplication>
#include <QLineEdit>
#include <QTest>
#include <QVBoxLayout>

namespace {

using Indexes = std::vector<int>;

// The sort box as the main window fills it, in a shown window with another
// control to take the focus; changes records the item index at each change.
class ComboBoxTest : public ::testing::Test {
  protected:
    void SetUp() override {
        auto* layout = new QVBoxLayout(&window);
        layout->addWidget(box);
        layout->addWidget(other);
        box->OnChange = [this] { changes.push_back(box->ItemIndex()); };
        for (const char* s : {"[None]", "Alpha", "beta", "Beta2"}) box->AddItem(s);
        box->SetItemIndex(0);
        window.show();
        QApplication::setActiveWindow(&window);
        ASSERT_TRUE(QTest::qWaitForWindowActive(&window));
    }
    QString Text() const { return box->lineEdit()->text(); }
    void Type(const char* keys) { QTest::keyClicks(box, keys); }

    QWidget window;
    TComboBox* box = new TComboBox(&window);
    QLineEdit* other = new QLineEdit(&window);
    Indexes changes;
};

TEST_F(ComboBoxTest, TypingCompletesToTheFirstEntryThatBeginsWithTheText) {
    box->lineEdit()->clear();
    Type("b");
    EXPECT_EQ(Text(), "beta");
    EXPECT_EQ(box->lineEdit()->selectedText(), "eta");  // the completed rest is selected
    Type("eta2");  // "beta" is typed out, then "beta2" leads to "Beta2"
    EXPECT_EQ(Text(), "beta2");
    EXPECT_EQ(changes, (Indexes{2, 3}));

    box->lineEdit()->clear();
    Type("AL");  // the typed case is kept, the rest comes from the entry
    EXPECT_EQ(Text(), "ALpha");
    other->setFocus(Qt::TabFocusReason);  // leaving keeps the text and raises nothing
    EXPECT_EQ(Text(), "ALpha");
    EXPECT_EQ(changes, (Indexes{2, 3, 1}));

    box->lineEdit()->clear();
    changes.clear();
    Type("b");
    QTest::keyClick(box, Qt::Key_Backspace);  // takes the completion away: no entry
    EXPECT_EQ(Text(), "b");
    QTest::keyClick(box, Qt::Key_Backspace);  // deleting never completes
    EXPECT_EQ(Text(), "");
    EXPECT_EQ(changes, (Indexes{2, -1, -1}));
}

TEST_F(ComboBoxTest, PickingRaisesChangeEveryTimeSettingFromCodeNever) {
    box->showPopup();
    QAbstractItemView* view = box->view();
    const QRect rect = view->visualRect(view->model()->index(2, 0));
    QTest::mouseClick(view->viewport(), Qt::LeftButton, {}, rect.center());
    EXPECT_EQ(Text(), "beta");
    box->SetStyle(csDropDownList);  // takes no text, picks all the same
    EXPECT_FALSE(box->isEditable());
    QTest::keyClick(box, Qt::Key_Up);
    EXPECT_EQ(changes, (Indexes{2, 1}));

    box->SetItemIndex(7);
    EXPECT_EQ(box->ItemIndex(), -1);
    box->ClearAll();
    box->AddItem("[None]");  // adding to an empty box selects nothing
    EXPECT_EQ(box->ItemIndex(), -1);
    EXPECT_EQ(changes, (Indexes{2, 1}));
}

}  // namespace
