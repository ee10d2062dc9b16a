#include "platform/ui/combo_box.h"

#include <gtest/gtest.h>

#include <functional>

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

TEST_F(ComboBoxTest, DeletingCharactersSelectsNoEntryEvenWhenTheRestNamesOne) {
    // Each way of deleting the "2" of "beta2" leaves "beta", the text of entry
    // 2; the box selects no entry all the same, and typing on completes again.
    struct Case {
        const char* how;
        std::function<void()> deleteTheTwo;
    };
    const Case cases[] = {
        {"Backspace", [&] { QTest::keyClick(box, Qt::Key_Backspace); }},
        {"Delete",
         [&] {
             QTest::keyClick(box, Qt::Key_Left);
             QTest::keyClick(box, Qt::Key_Delete);
         }},
        {"cut",
         [&] {
             QTest::keyClick(box, Qt::Key_Left, Qt::ShiftModifier);
             QTest::keyClick(box, Qt::Key_X, Qt::ControlModifier);
         }},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.how);
        box->lineEdit()->clear();
        Type("beta2");
        ASSERT_EQ(box->ItemIndex(), 3);
        changes.clear();
        c.deleteTheTwo();
        EXPECT_EQ(Text(), "beta");
        EXPECT_EQ(box->ItemIndex(), -1);
        QTest::keyClick(box, Qt::Key_Return);  // Enter picks nothing either
        EXPECT_EQ(box->ItemIndex(), -1);
        box->lineEdit()->end(false);
        Type("2");
        EXPECT_EQ(changes, (Indexes{-1, 3}));
    }
}

}  // namespace
