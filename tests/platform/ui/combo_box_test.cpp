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

// The sort box as the main window fills it, in a shown window with another
// control to take the focus.
class ComboBoxTest : public ::testing::Test {
  protected:
    void SetUp() override {
        auto* layout = new QVBoxLayout(&window);
        layout->addWidget(box);
        layout->addWidget(other);
        box->OnChange = [this] {
            ++changes;
            indexAtChange.push_back(box->ItemIndex());
        };
        box->OnEnter = [this] { ++enters; };
        Fill();
        window.show();
        QApplication::setActiveWindow(&window);
        ASSERT_TRUE(QTest::qWaitForWindowActive(&window));
    }
    void Fill() {
        box->ClearAll();
        for (const char* s : {"[None]", "Alpha", "beta", "Beta2"}) box->AddItem(s);
        box->SetItemIndex(0);
    }
    QString Text() const { return box->lineEdit()->text(); }
    QString Selected() const { return box->lineEdit()->selectedText(); }
    void Type(const char* keys) { QTest::keyClicks(box, keys); }

    QWidget window;
    TComboBox* box = new TComboBox(&window);
    QLineEdit* other = new QLineEdit(&window);
    int changes = 0;
    int enters = 0;
    std::vector<int> indexAtChange;
};

TEST_F(ComboBoxTest, FillingAndSettingFromCodeRaiseNoChange) {
    EXPECT_EQ(box->Style(), csDropDown);
    EXPECT_TRUE(box->isEditable());
    EXPECT_EQ(box->ItemCount(), 4);
    EXPECT_EQ(box->ItemIndex(), 0);
    EXPECT_EQ(Text(), "[None]");
    box->SetItemIndex(2);
    EXPECT_EQ(Text(), "beta");
    box->SetItemIndex(7);
    EXPECT_EQ(box->ItemIndex(), -1);
    EXPECT_EQ(Text(), "");
    EXPECT_EQ(changes, 0);

    // Adding entries to an empty box selects none of them.
    box->ClearAll();
    box->AddItem("[None]");
    EXPECT_EQ(box->ItemIndex(), -1);
    EXPECT_EQ(Text(), "");
    EXPECT_EQ(changes, 0);
}

TEST_F(ComboBoxTest, TypingCompletesToTheFirstEntryThatBeginsWithTheText) {
    box->lineEdit()->clear();
    Type("b");
    EXPECT_EQ(Text(), "beta");
    EXPECT_EQ(Selected(), "eta") << "the completed rest is selected";
    EXPECT_EQ(box->ItemIndex(), 2);
    EXPECT_EQ(changes, 1);

    Type("e");  // the same entry, the same text: no change
    EXPECT_EQ(Text(), "beta");
    EXPECT_EQ(Selected(), "ta");
    EXPECT_EQ(changes, 1);

    Type("ta2");  // "beta" is typed out, then "beta2" leads to "Beta2"
    EXPECT_EQ(Text(), "beta2");
    EXPECT_EQ(box->ItemIndex(), 3);
    EXPECT_EQ(indexAtChange.back(), 3);

    box->SetItemIndex(0);  // from code: replaces the typed text, silently
    EXPECT_EQ(Text(), "[None]");
    EXPECT_EQ(indexAtChange.size(), 2u);
}

TEST_F(ComboBoxTest, TypedCaseIsKeptAndTheRestComesFromTheEntry) {
    box->lineEdit()->clear();
    Type("AL");
    EXPECT_EQ(Text(), "ALpha");
    EXPECT_EQ(box->ItemIndex(), 1);
    // Leaving the box keeps the typed text and raises nothing.
    other->setFocus(Qt::TabFocusReason);
    EXPECT_EQ(Text(), "ALpha");
    EXPECT_EQ(box->ItemIndex(), 1);
    EXPECT_EQ(indexAtChange, std::vector<int>({1}));
}

TEST_F(ComboBoxTest, BackspaceAfterACompletionSelectsNoEntry) {
    box->lineEdit()->clear();
    Type("b");
    QTest::keyClick(box, Qt::Key_Backspace);
    EXPECT_EQ(Text(), "b");
    EXPECT_EQ(box->ItemIndex(), -1);
    EXPECT_EQ(indexAtChange, std::vector<int>({2, -1}));

    QTest::keyClick(box, Qt::Key_Backspace);  // deleting never completes
    EXPECT_EQ(Text(), "");
    EXPECT_EQ(box->ItemIndex(), -1);
    EXPECT_EQ(changes, 3);
}

TEST_F(ComboBoxTest, TextThatNamesNoEntry) {
    box->lineEdit()->setText("[None]");
    box->lineEdit()->setCursorPosition(6);
    changes = 0;
    indexAtChange.clear();
    Type("x");
    EXPECT_EQ(Text(), "[None]x");
    EXPECT_EQ(box->ItemIndex(), -1);
    EXPECT_EQ(indexAtChange, std::vector<int>({-1}));
    // Typing in the middle does not complete.
    box->lineEdit()->setText("eta");
    box->lineEdit()->setCursorPosition(0);
    Type("b");
    EXPECT_EQ(Text(), "beta");
    EXPECT_EQ(Selected(), "");
    EXPECT_EQ(box->ItemIndex(), 2) << "the text names an entry";
}

TEST_F(ComboBoxTest, PickingFromTheListRaisesChangeEveryTime) {
    QTest::keyClick(box, Qt::Key_Down);
    EXPECT_EQ(box->ItemIndex(), 1);
    EXPECT_EQ(Text(), "Alpha");
    EXPECT_EQ(changes, 1);

    box->showPopup();
    QAbstractItemView* view = box->view();
    const QRect rect = view->visualRect(view->model()->index(2, 0));
    QTest::mouseClick(view->viewport(), Qt::LeftButton, {}, rect.center());
    EXPECT_EQ(box->ItemIndex(), 2);
    EXPECT_EQ(Text(), "beta");
    EXPECT_EQ(indexAtChange, std::vector<int>({1, 2}));
}

TEST_F(ComboBoxTest, EnterRunsOnEveryFocusFromAnotherControl) {
    other->setFocus(Qt::TabFocusReason);
    enters = 0;
    box->setFocus(Qt::TabFocusReason);
    EXPECT_EQ(enters, 1);
    other->setFocus(Qt::TabFocusReason);
    box->setFocus(Qt::MouseFocusReason);
    EXPECT_EQ(enters, 2);

    box->SetStyle(csDropDownList);
    other->setFocus(Qt::TabFocusReason);
    box->setFocus(Qt::TabFocusReason);
    EXPECT_EQ(enters, 3);
}

TEST_F(ComboBoxTest, DropDownListTakesNoText) {
    box->SetStyle(csDropDownList);
    EXPECT_FALSE(box->isEditable());
    EXPECT_EQ(box->ItemIndex(), 0);
    box->SetItemIndex(2);
    EXPECT_EQ(changes, 0);
    QTest::keyClick(box, Qt::Key_Up);
    EXPECT_EQ(box->ItemIndex(), 1);
    EXPECT_EQ(indexAtChange, std::vector<int>({1}));
}

TEST_F(ComboBoxTest, AFailingHandlerIsShown) {
    std::vector<QString> errors;
    auto saved = Application->SetErrorBoxHandler(
        [&](const QString&, const QString& text) { errors.push_back(text); });
    box->OnChange = [] { throw Exception("Index 'x' nicht gefunden"); };
    QTest::keyClick(box, Qt::Key_Down);
    Application->SetErrorBoxHandler(saved);
    EXPECT_EQ(errors, std::vector<QString>({"Index 'x' nicht gefunden."}));
    EXPECT_EQ(box->ItemIndex(), 1);
}

}  // namespace
