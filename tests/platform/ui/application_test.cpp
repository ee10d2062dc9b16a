#include "platform/ui/application.h"

#include <gtest/gtest.h>

#include <QAbstractButton>
#include <QAction>
#include <QApplication>
#include <QEnterEvent>
#include <QMessageBox>
#include <QTimer>
#include <stdexcept>

#include "platform/core/exceptions.h"
#include "platform/core/show_message.h"

namespace {

// Puts recorders ("caption|text") in place of the modal boxes and restores
// the real ones.
class ApplicationTest : public ::testing::Test {
  protected:
    void SetUp() override {
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
        Application->OnHint = nullptr;
        Application->SetHint(QString());
    }

    QStringList errors, messages;

  private:
    TApplication::MessageHandler savedError_, savedMessage_;
};

TEST(ApplicationErrorText, AddsAFullStopAfterCharactersSortingAfterIt) {
    const char* cases[][2] = {
        {"abc", "abc."}, {"abc.", "abc."}, {"a-", "a-"},  // '-' sorts before '.'
        {"a/", "a/."},   {"Maß", "Maß."},  // the last byte of a non-ASCII character sorts after '.'
        {"", ""},
    };
    for (const auto& c : cases) EXPECT_EQ(TApplication::ErrorText(c[0]), c[1]) << c[0];
}

TEST_F(ApplicationTest, MessagesAndGuardedFailuresReachTheirBoxes) {
    ShowMessage("Grüße");  // no full stop for plain messages
    EXPECT_EQ(messages, QStringList{QString::fromUtf8("QMT Editor|Grüße")});
    Guarded([] { throw EConvertError("'x' ist kein gültiger Integerwert"); });
    Guarded([] { throw std::runtime_error("boom!"); });
    Guarded([] { throw 42; });
    EXPECT_EQ(errors,
              QStringList({QString::fromUtf8("QMT Editor|'x' ist kein gültiger Integerwert."),
                           "QMT Editor|boom!", "QMT Editor|Unbekannte Exception."}));
}

// Describes the modal box that the next call opens as "title|text|icon|
// buttons", then presses OK.
void OnNextModalBox(QString& seen) {
    QTimer::singleShot(0, [&seen] {
        auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
        ASSERT_NE(box, nullptr);
        QStringList buttons;
        QAbstractButton* ok = nullptr;
        for (QAbstractButton* b : box->buttons()) {
            buttons << b->text();
            if (b->text() == "OK") ok = b;
        }
        buttons.sort();
        seen = QString("%1|%2|%3|%4")
                   .arg(box->windowTitle(), box->text())
                   .arg(box->icon())
                   .arg(buttons.join(' '));
        ok->click();
    });
}

TEST_F(ApplicationTest, TheRealBoxes) {
    QString seen;
    auto saved = Application->SetQuestionHandler(nullptr);
    OnNextModalBox(seen);
    EXPECT_TRUE(Application->Confirm(QString::fromUtf8("Bestätigung"),
                                     QString::fromUtf8("Datensatz löschen?")));
    Application->SetQuestionHandler(saved);
    EXPECT_EQ(seen, QString::fromUtf8("Bestätigung|Datensatz löschen?|%1|Abbrechen OK")
                        .arg(QMessageBox::Question));

    Application->SetErrorBoxHandler(nullptr);
    OnNextModalBox(seen);
    Application->ShowException("Kaputt");
    EXPECT_EQ(seen, QString("QMT Editor|Kaputt.|%1|OK").arg(QMessageBox::Critical));
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

    QStringList heard;
    Application->OnHint = [&] { heard << Application->Hint(); };
    for (QWidget* w : {sbEditTable, sbNew}) {  // also on a disabled widget
        QEnterEvent enter(QPointF(1, 1), QPointF(1, 1), QPointF(1, 1));
        QCoreApplication::sendEvent(w, &enter);
        QEvent leave(QEvent::Leave);
        QCoreApplication::sendEvent(w, &leave);
    }
    // sbNew's long part is empty: no change after the leave.
    EXPECT_EQ(heard, QStringList({"Table Configuration...", ""}));
    EXPECT_EQ(sbEditTable->toolTip(), "Table Configuration...");

    QAction item("Table Configuration...");
    SetActionHint(&item, "Table Configuration");
    heard.clear();
    item.hover();
    EXPECT_EQ(heard, QStringList{"Table Configuration"});
}

}  // namespace
