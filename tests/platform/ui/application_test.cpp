#include "platform/ui/application.h"

#include <gtest/gtest.h>

#include <QAbstractButton>
#include <QAction>
#include <QApplication>
#include <QEnterEvent>
#include <QMessageBox>
#include <QTimer>
#include <QWidget>
#include <stdexcept>

#include "platform/core/exceptions.h"
#include "platform/core/show_message.h"

namespace {

// Puts recorders ("caption|text") in place of the modal boxes and restores
// the real ones.
class ApplicationTest : public ::testing::Test {
  protected:
    void SetUp() override {
        savedTitle_ = Application->Title();
        Application->SetTitle("QMT Editor");
        auto into = [](QStringList& list) {
            return [&list](const QString& c, const QString& t) { list << c + "|" + t; };
        };
        savedError_ = Application->SetErrorBoxHandler(into(errors));
        savedMessage_ = Application->SetMessageBoxHandler(into(messages));
    }
    void TearDown() override {
        Application->SetErrorBoxHandler(savedError_);
        Application->SetMessageBoxHandler(savedMessage_);
        Application->SetTitle(savedTitle_);
        Application->OnHint = nullptr;
        Application->SetHint(QString());
    }

    QStringList errors, messages;

  private:
    QString savedTitle_;
    TApplication::MessageHandler savedError_, savedMessage_;
};

TEST(ApplicationErrorText, AddsAFullStopAfterCharactersSortingAfterIt) {
    const char* cases[][2] = {
        {"abc", "abc."}, {"abc.", "abc."}, {"abc!", "abc!"},  // '!' sorts before '.'
        {"a-", "a-"},    {"a/", "a/."},    {"Fehler: ", "Fehler: "},
        {"Maß", "Maß."},  // the last byte of a non-ASCII character sorts after '.'
        {"", ""},
    };
    for (const auto& c : cases) EXPECT_EQ(TApplication::ErrorText(c[0]), c[1]) << c[0];
}

TEST_F(ApplicationTest, MessagesAndGuardedFailuresReachTheirBoxes) {
    ShowMessage("Grüße");  // no full stop for plain messages
    EXPECT_EQ(messages, QStringList{QString::fromUtf8("QMT Editor|Grüße")});

    bool ran = false;
    Guarded([&] { ran = true; });
    EXPECT_TRUE(ran);
    Guarded([] { throw EConvertError("'x' ist kein gültiger Integerwert"); });
    Guarded([] { throw std::runtime_error("boom!"); });
    Guarded([] { throw 42; });
    Guarded(nullptr);
    EXPECT_EQ(errors,
              QStringList({QString::fromUtf8("QMT Editor|'x' ist kein gültiger Integerwert."),
                           "QMT Editor|boom!", "QMT Editor|Unbekannte Exception."}));
}

// Looks at the modal box that the next call opens, then presses the button
// with the given text.
void OnNextModalBox(const QString& title, const QString& text, QMessageBox::Icon icon,
                    const QStringList& buttons, const QString& press) {
    QTimer::singleShot(0, [=] {
        auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
        ASSERT_NE(box, nullptr);
        EXPECT_EQ(box->windowTitle(), title);
        EXPECT_EQ(box->text(), text);
        EXPECT_EQ(box->icon(), icon);
        QStringList shown;
        for (QAbstractButton* b : box->buttons()) shown << b->text();
        shown.sort();
        EXPECT_EQ(shown, buttons);
        for (QAbstractButton* b : box->buttons())
            if (b->text() == press) return b->click();
        box->reject();
    });
}

TEST_F(ApplicationTest, TheRealBoxes) {
    auto saved = Application->SetQuestionHandler(nullptr);
    const QString caption = QString::fromUtf8("Bestätigung"),
                  question = QString::fromUtf8("Datensatz löschen?");
    for (const char* press : {"OK", "Abbrechen"}) {
        OnNextModalBox(caption, question, QMessageBox::Question, {"Abbrechen", "OK"}, press);
        EXPECT_EQ(Application->Confirm(caption, question), QString(press) == "OK");
    }
    Application->SetQuestionHandler(saved);

    Application->SetErrorBoxHandler(nullptr);
    OnNextModalBox("QMT Editor", "Kaputt.", QMessageBox::Critical, {"OK"}, "OK");
    Application->ShowException("Kaputt");
}

TEST_F(ApplicationTest, HintsReachTheApplicationWhilePointedAtOrHighlighted) {
    EXPECT_EQ(GetShortHint("Neu|Neue Datei|erzeugen"), "Neu");  // only the first bar splits
    EXPECT_EQ(GetLongHint("Neu|Neue Datei|erzeugen"), "Neue Datei|erzeugen");
    QWidget parent;
    auto* sbNew = new QWidget(&parent);
    auto* sbEditTable = new QWidget(&parent);
    SetHint(sbNew, "New|");
    SetHint(sbEditTable, "Tabellenstruktur ändern|");
    SetHint(sbEditTable, "Table Configuration...");  // replaced, as start-up does
    sbEditTable->setEnabled(false);
    EXPECT_EQ(sbEditTable->toolTip(), "Table Configuration...");

    QStringList heard;
    Application->OnHint = [&] { heard << Application->Hint(); };
    auto enterAndLeave = [](QWidget* w) {
        QEnterEvent enter(QPointF(1, 1), QPointF(1, 1), QPointF(1, 1));
        QCoreApplication::sendEvent(w, &enter);
        QEvent leave(QEvent::Leave);
        QCoreApplication::sendEvent(w, &leave);
    };
    enterAndLeave(sbEditTable);  // also on a disabled widget
    enterAndLeave(sbNew);        // the long part is empty: no change after the leave
    EXPECT_EQ(heard, QStringList({"Table Configuration...", ""}));
    SetHint(sbNew, "|");
    EXPECT_TRUE(sbNew->toolTip().isEmpty()) << "an empty short part shows no tooltip";

    QAction item("Table Configuration...");
    SetActionHint(&item, "Tabellenstruktur");
    SetActionHint(&item, "Table Configuration");
    heard.clear();
    item.hover();
    item.hover();
    EXPECT_EQ(heard, QStringList{"Table Configuration"});
}

}  // namespace
