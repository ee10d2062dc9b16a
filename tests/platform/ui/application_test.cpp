#include "platform/ui/application.h"

#include <gtest/gtest.h>

#include <QAbstractButton>
#include <QAction>
#include <QApplication>
#include <QComboBox>
#include <QCursor>
#include <QDialog>
#include <QEnterEvent>
#include <QFontDatabase>
#include <QFontInfo>
#include <QMessageBox>
#include <QTest>
#include <QTimer>
#include <QToolButton>
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

// Counts the leave events a widget gets.
class LeaveCounter : public QObject {
  public:
    int leaves = 0;

  protected:
    bool eventFilter(QObject*, QEvent* e) override {
        if (e->type() == QEvent::Leave) ++leaves;
        return false;
    }
};

// Shows a modal box that closes at once, as a dialog closed with Enter does.
void RunModalBox(QWidget* parent) {
    QDialog box(parent);
    box.setGeometry(parent->geometry().right() + 20, parent->y(), 50, 50);
    QTimer::singleShot(0, &box, [&box] { box.done(1); });
    box.exec();
    QApplication::processEvents();
}

TEST_F(ApplicationTest, AfterAModalBoxThePointersPlaceIsLookedAtAgain) {
    QWidget window;
    window.setGeometry(40, 40, 200, 100);
    auto* hinted = new QToolButton(&window);
    hinted->setAutoRaise(true);
    hinted->setGeometry(10, 10, 25, 25);
    auto* plain = new QToolButton(&window);
    plain->setGeometry(60, 10, 25, 25);
    SetHint(hinted, "Neu|Neue Datei erzeugen");
    LeaveCounter counter;
    hinted->installEventFilter(&counter);
    window.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&window));

    // The pointer went on to the plain button while a box held it: Qt still
    // counts the hinted button as under the pointer and shows its hint.
    QCursor::setPos(plain->mapToGlobal(QPoint(5, 5)));
    QApplication::processEvents();
    hinted->setAttribute(Qt::WA_UnderMouse, true);
    Application->SetHint("Neue Datei erzeugen");
    RunModalBox(&window);
    EXPECT_FALSE(hinted->underMouse());
    EXPECT_EQ(counter.leaves, 1);
    EXPECT_TRUE(plain->underMouse());
    EXPECT_EQ(Application->Hint(), "");  // neither the button nor its window has a hint

    // The pointer came onto the hinted button while a box held it.
    QCursor::setPos(hinted->mapToGlobal(QPoint(5, 5)));
    hinted->setAttribute(Qt::WA_UnderMouse, false);
    Application->SetHint(QString());
    RunModalBox(&window);
    EXPECT_TRUE(hinted->underMouse());
    EXPECT_EQ(Application->Hint(), "Neue Datei erzeugen");
}

TEST_F(ApplicationTest, MessageBoxesAreWideEnoughForTheirCaption) {
    const QString caption = "QMT Editor";
    EXPECT_GT(CaptionWidth(caption), QFontMetrics(QApplication::font()).horizontalAdvance(caption));
    Application->SetTitle(caption);
    auto savedQuestion = Application->SetQuestionHandler(nullptr);
    Application->SetErrorBoxHandler(nullptr);
    Application->SetMessageBoxHandler(nullptr);
    const std::pair<const char*, std::function<void()>> boxes[] = {
        {"message", [] { Application->MessageBox("x"); }},
        {"error", [] { Application->ShowException("x"); }},
        {"question", [] { Application->Confirm("QMT Editor", "x"); }},
    };
    for (const auto& [kind, show] : boxes) {
        int width = 0;
        QTimer::singleShot(0, [&width] {
            auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
            ASSERT_NE(box, nullptr);
            width = box->width();
            box->buttons().first()->click();
        });
        show();
        EXPECT_GE(width, CaptionWidth(caption)) << kind;
    }
    Application->SetQuestionHandler(savedQuestion);
}

TEST(ApplicationFonts, TheDesignFaceHasAnArialMetricStandIn) {
    const QFont font = FormFont("MS Sans Serif", 11);
    EXPECT_EQ(font.pixelSize(), 11);
    if (QFontDatabase::hasFamily("Liberation Sans")) {
        EXPECT_EQ(QFontInfo(font).family(), "Liberation Sans");
    }
    const QFont saved = QApplication::font();
    SetApplicationFont("MS Sans Serif", 11);
    for (const char* cls : {"QMenu", "QMenuBar", "QTipLabel", "QMessageBoxLabel", "QPushButton"})
        EXPECT_EQ(QApplication::font(cls).pixelSize(), 11) << cls;
    QApplication::setFont(saved);
}

TEST(ApplicationPickers, APickerAsWideAsItNeedsShowsEveryEntryWhole) {
    QComboBox picker;
    picker.setFont(FormFont("MS Sans Serif", 11));
    picker.addItems({"String", "Number", "Boolean"});
    const int widest = QFontMetrics(picker.font()).horizontalAdvance("Boolean");
    const int need = PickerWidth(&picker, 18);
    EXPECT_GE(PickerTextRoom(&picker, QSize(need, 18)), widest);
    EXPECT_LT(PickerTextRoom(&picker, QSize(need - 1, 18)), widest);
}

TEST(ApplicationWindows, TheOuterSizeIsKeptUntilTheUserSizesTheWindow) {
    QWidget window;
    SetOuterSize(&window, QSize(300, 200));
    window.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&window));
    EXPECT_EQ(window.frameGeometry().size(), QSize(300, 200));  // no frame without a window manager
    window.resize(250, 150);
    QApplication::processEvents();
    EXPECT_EQ(window.size(), QSize(250, 150));
}

}  // namespace
