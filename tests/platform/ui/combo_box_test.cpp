#include "platform/ui/combo_box.h"

#include <gtest/gtest.h>

#include <QAbstractItemView>
#include <QApplication>
#include <QLineEdit>
#include <QTest>
#include <QVBoxLayout>
#include <QWidget>

#include "platform/core/exceptions.h"
#include "platform/ui/application.h"

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
        box->OnEnter = [this] { ++enters; };
        for (const char* s : {"[None]", "Alpha", "beta", "Beta2"}) box->AddItem(s);
        box->SetItemIndex(0);
        window.show();
        QApplication::setActiveWindow(&window);
        ASSERT_TRUE(QTest::qWaitForWindowActive(&window));
    }
    QString Text() const { return box->lineEdit()->text(); }
    QString Selected() const { return box->lineEdit()->selectedText(); }
    void Type(const char* keys) { QTest::keyClicks(box, keys); }
    void Refocus(Qt::FocusReason reason) {
        other->setFocus(Qt::TabFocusReason);
        box->setFocus(reason);
    }

    QWidget window;
    TComboBox* box = new TComboBox(&window);
    QLineEdit* other = new QLineEdit(&window);
    Indexes changes;
    int enters = 0;
};

TEST_F(ComboBoxTest, SettingFromCodeRaisesNoChange) {
    EXPECT_TRUE(box->isEditable());
    EXPECT_EQ(Text(), "[None]");
    box->SetItemIndex(2);
    EXPECT_EQ(Text(), "beta");
    box->SetItemIndex(7);
    EXPECT_EQ(box->ItemIndex(), -1);
    EXPECT_EQ(Text(), "");
    box->ClearAll();
    box->AddItem("[None]");  // adding to an empty box selects nothing
    EXPECT_EQ(box->ItemIndex(), -1);
    EXPECT_EQ(Text(), "");
    EXPECT_TRUE(changes.empty());
}

TEST_F(ComboBoxTest, TypingCompletesToTheFirstEntryThatBeginsWithTheText) {
    box->lineEdit()->clear();
    Type("b");
    EXPECT_EQ(Text(), "beta");
    EXPECT_EQ(Selected(), "eta");  // the completed rest is selected
    EXPECT_EQ(box->ItemIndex(), 2);
    Type("e");  // the same entry, the same text: no change
    EXPECT_EQ(Selected(), "ta");
    EXPECT_EQ(changes, Indexes{2});
    Type("ta2");  // "beta" is typed out, then "beta2" leads to "Beta2"
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

TEST_F(ComboBoxTest, TextThatNamesNoEntryOrIsTypedInTheMiddle) {
    box->lineEdit()->setCursorPosition(6);
    Type("x");
    EXPECT_EQ(Text(), "[None]x");
    EXPECT_EQ(changes, Indexes{-1});
    box->lineEdit()->setText("eta");
    box->lineEdit()->setCursorPosition(0);
    Type("b");  // does not complete, but names an entry
    EXPECT_EQ(Text(), "beta");
    EXPECT_EQ(Selected(), "");
    EXPECT_EQ(box->ItemIndex(), 2);
}

TEST_F(ComboBoxTest, PickingFromTheListRaisesChangeEveryTime) {
    QTest::keyClick(box, Qt::Key_Down);
    EXPECT_EQ(Text(), "Alpha");
    box->showPopup();
    QAbstractItemView* view = box->view();
    const QRect rect = view->visualRect(view->model()->index(2, 0));
    QTest::mouseClick(view->viewport(), Qt::LeftButton, {}, rect.center());
    EXPECT_EQ(Text(), "beta");
    EXPECT_EQ(changes, (Indexes{1, 2}));

    box->SetStyle(csDropDownList);  // takes no text, picks all the same
    EXPECT_FALSE(box->isEditable());
    EXPECT_EQ(box->ItemIndex(), 2);
    QTest::keyClick(box, Qt::Key_Up);
    EXPECT_EQ(changes, (Indexes{1, 2, 1}));
}

TEST_F(ComboBoxTest, EnterRunsOnEveryFocusFromAnotherControl) {
    Refocus(Qt::TabFocusReason);
    enters = 0;
    Refocus(Qt::TabFocusReason);
    Refocus(Qt::MouseFocusReason);
    box->SetStyle(csDropDownList);
    Refocus(Qt::TabFocusReason);
    EXPECT_EQ(enters, 3);
}

TEST_F(ComboBoxTest, AFailingHandlerIsShown) {
    QStringList errors;
    auto saved = Application->SetErrorBoxHandler(
        [&](const QString&, const QString& text) { errors << text; });
    box->OnChange = [] { throw Exception("Index 'x' nicht gefunden"); };
    QTest::keyClick(box, Qt::Key_Down);
    Application->SetErrorBoxHandler(saved);
    EXPECT_EQ(errors, QStringList{"Index 'x' nicht gefunden."});
    EXPECT_EQ(box->ItemIndex(), 1);
}

}  // namespace
