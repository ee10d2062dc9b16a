#include "platform/ui/application.h"

#include <gtest/gtest.h>

#include <QAbstractButton>
#include <QAction>
#include <QApplication>
#include <QEnterEvent>
#include <QMessageBox>
#include <QPushButton>
#include <QTimer>
#include <QWidget>
#include <stdexcept>

#include "platform/core/exceptions.h"
#include "platform/core/show_message.h"

namespace {

struct Box {
    QString caption, text;
};

// Puts recorders in place of the modal boxes and restores the real ones.
class ApplicationTest : public ::testing::Test {
  protected:
    void SetUp() override {
        ASSERT_NE(Application, nullptr);
        savedTitle_ = Application->Title();
        Application->SetTitle("QMT Editor");
        savedError_ = Application->SetErrorBoxHandler([this](const QString& c, const QString& t) {
            errors.push_back({c, t});
        });
        savedMessage_ =
            Application->SetMessageBoxHandler([this](const QString& c, const QString& t) {
                messages.push_back({c, t});
            });
    }
    void TearDown() override {
        Application->SetErrorBoxHandler(savedError_);
        Application->SetMessageBoxHandler(savedMessage_);
        Application->SetTitle(savedTitle_);
        Application->OnHint = nullptr;
        Application->SetHint(QString());
    }

    std::vector<Box> errors, messages;

  private:
    QString savedTitle_;
    TApplication::MessageHandler savedError_, savedMessage_;
};

TEST(ApplicationErrorText, AddsAFullStopAfterCharactersSortingAfterIt) {
    const struct {
        const char* message;
        const char* shown;
    } cases[] = {
        {"abc", "abc."},
        {"abc.", "abc."},
        {"abc!", "abc!"},  // '!' sorts before '.'
        {"a)", "a)"},
        {"a-", "a-"},
        {"a/", "a/."},  // '/' directly after '.'
        {"a1", "a1."},
        {"Fehler: ", "Fehler: "},
        {"Größe", "Größe."},
        {"Maß", "Maß."},  // the last byte of a non-ASCII character sorts after '.'
        {"", ""},
    };
    for (const auto& c : cases) EXPECT_EQ(TApplication::ErrorText(c.message), c.shown) << c.message;
}

TEST_F(ApplicationTest, ShowMessageReachesTheMessageBox) {
    ShowMessage("Grüße");
    ASSERT_EQ(messages.size(), 1u);
    EXPECT_EQ(messages[0].caption, "QMT Editor");
    EXPECT_EQ(messages[0].text, QString::fromUtf8("Grüße")) << "no full stop for plain messages";
    EXPECT_TRUE(errors.empty());
}

TEST_F(ApplicationTest, GuardedShowsWhateverLeavesTheHandler) {
    bool ran = false;
    Guarded([&] { ran = true; });
    EXPECT_TRUE(ran);
    EXPECT_TRUE(errors.empty());

    Guarded([] { throw EConvertError("'x' ist kein gültiger Integerwert"); });
    Guarded([] { throw std::runtime_error("boom!"); });
    Guarded([] { throw 42; });
    Guarded(nullptr);
    ASSERT_EQ(errors.size(), 3u);
    EXPECT_EQ(errors[0].caption, "QMT Editor");
    EXPECT_EQ(errors[0].text, QString::fromUtf8("'x' ist kein gültiger Integerwert."));
    EXPECT_EQ(errors[1].text, "boom!");
    EXPECT_EQ(errors[2].text, "Unbekannte Exception.");
}

// Looks at the modal box that the next call opens, then presses a button.
void OnNextModalBox(std::function<void(QMessageBox*)> inspect) {
    QTimer::singleShot(0, [inspect] {
        auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
        ASSERT_NE(box, nullptr);
        inspect(box);
    });
}

QAbstractButton* ButtonWithText(QMessageBox* box, const QString& text) {
    for (QAbstractButton* b : box->buttons()) {
        if (b->text() == text) return b;
    }
    return nullptr;
}

TEST_F(ApplicationTest, ConfirmAsksWithOkAndAbbrechen) {
    auto saved = Application->SetQuestionHandler(nullptr);
    for (const char* press : {"OK", "Abbrechen"}) {
        OnNextModalBox([press](QMessageBox* box) {
            EXPECT_EQ(box->windowTitle(), QString::fromUtf8("Bestätigung"));
            EXPECT_EQ(box->text(), QString::fromUtf8("Datensatz löschen?"));
            EXPECT_EQ(box->icon(), QMessageBox::Question);
            EXPECT_EQ(box->buttons().size(), 2);
            ASSERT_NE(ButtonWithText(box, "OK"), nullptr);
            ASSERT_NE(ButtonWithText(box, "Abbrechen"), nullptr);
            ButtonWithText(box, press)->click();
        });
        const bool ok = Application->Confirm(QString::fromUtf8("Bestätigung"),
                                             QString::fromUtf8("Datensatz löschen?"));
        EXPECT_EQ(ok, QString(press) == "OK");
    }
    Application->SetQuestionHandler(saved);
}

TEST_F(ApplicationTest, TheRealErrorBoxHasTheErrorIcon) {
    Application->SetErrorBoxHandler(nullptr);
    OnNextModalBox([](QMessageBox* box) {
        EXPECT_EQ(box->windowTitle(), "QMT Editor");
        EXPECT_EQ(box->text(), "Kaputt.");
        EXPECT_EQ(box->icon(), QMessageBox::Critical);
        box->button(QMessageBox::Ok)->click();
    });
    Application->ShowException("Kaputt");
}

TEST(ApplicationHints, ShortAndLongParts) {
    const struct {
        const char* hint;
        const char* shortPart;
        const char* longPart;
    } cases[] = {
        {"New|", "New", ""},
        {"Table Configuration...", "Table Configuration...", "Table Configuration..."},
        {"Neu|Neue Datei|erzeugen", "Neu", "Neue Datei|erzeugen"},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(GetShortHint(c.hint), c.shortPart) << c.hint;
        EXPECT_EQ(GetLongHint(c.hint), c.longPart) << c.hint;
    }
}

void Enter(QWidget* w) {
    QEnterEvent enter(QPointF(1, 1), QPointF(1, 1), QPointF(1, 1));
    QCoreApplication::sendEvent(w, &enter);
}

void Leave(QWidget* w) {
    QEvent leave(QEvent::Leave);
    QCoreApplication::sendEvent(w, &leave);
}

TEST_F(ApplicationTest, AWidgetsHintReachesTheApplicationWhileThePointerRestsOnIt) {
    QWidget parent;
    auto* sbNew = new QWidget(&parent);
    auto* sbEditTable = new QWidget(&parent);
    SetHint(sbNew, "New|");
    SetHint(sbEditTable, "Tabellenstruktur ändern|");
    SetHint(sbEditTable, "Table Configuration...");  // replaced, as start-up does
    sbEditTable->setEnabled(false);
    EXPECT_EQ(sbNew->toolTip(), "New");
    EXPECT_EQ(HintOf(sbNew), "New|");
    EXPECT_EQ(sbEditTable->toolTip(), "Table Configuration...");

    std::vector<QString> heard;
    Application->OnHint = [&] { heard.push_back(Application->Hint()); };
    Enter(sbEditTable);
    EXPECT_EQ(Application->Hint(), "Table Configuration...") << "also on a disabled widget";
    Leave(sbEditTable);
    Enter(sbNew);  // the long part is empty: no change after the leave
    Leave(sbNew);
    EXPECT_EQ(heard, (std::vector<QString>{"Table Configuration...", ""}));

    SetHint(sbNew, "|");
    EXPECT_TRUE(sbNew->toolTip().isEmpty()) << "an empty short part shows no tooltip";
}

TEST_F(ApplicationTest, AMenuItemsHintReachesTheApplicationWhenHighlighted) {
    QAction item("Table Configuration...");
    SetActionHint(&item, "Tabellenstruktur");
    SetActionHint(&item, "Table Configuration");
    EXPECT_EQ(item.statusTip(), "Table Configuration");
    int changes = 0;
    Application->OnHint = [&] { ++changes; };
    item.hover();
    EXPECT_EQ(Application->Hint(), "Table Configuration");
    item.hover();
    EXPECT_EQ(changes, 1);
}

}  // namespace
