#include "platform/ui/application.h"

#include <QAction>
#include <QCoreApplication>
#include <QEvent>
#include <QFont>
#include <QMenu>
#include <QMenuBar>
#include <QMessageBox>
#include <QPushButton>
#include <QVariant>
#include <QWidget>
#include <cstdio>
#include <exception>

#include "platform/core/exceptions.h"
#include "platform/core/show_message.h"

TApplication* Application = nullptr;

namespace {

// The dynamic properties that carry a widget's or an action's full hint.
constexpr const char* kHintProperty = "qmtHint";
constexpr const char* kHintWatched = "qmtHintWatched";

// The message box behind ShowMessage, as installed by the first application
// object; restored when that object goes.
ShowMessageHandler previousShowMessage;

void PrintToStderr(const std::string& text) {
    std::fprintf(stderr, "%s\n", text.c_str());
}

// Passes an action's long hint to the application.
void ShowActionHint(const QAction* action) {
    if (Application != nullptr)
        Application->SetHint(GetLongHint(action->property(kHintProperty).toString()));
}

// Passes a widget's long hint to the application while the pointer rests on it.
class HintWatcher : public QObject {
  public:
    explicit HintWatcher(QWidget* widget) : QObject(widget) {}

  protected:
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (Application != nullptr) {
            if (event->type() == QEvent::Enter) {
                Application->SetHint(GetLongHint(HintOf(static_cast<QWidget*>(watched))));
            } else if (event->type() == QEvent::Leave) {
                Application->SetHint(QString());
            }
        }
        return false;
    }
};

}  // namespace

TApplication::TApplication() {
    Application = this;
    if (QCoreApplication::instance() != nullptr) title_ = QCoreApplication::applicationName();
    previousShowMessage = SetShowMessageHandler(
        [this](const std::string& text) { MessageBox(QString::fromUtf8(text)); });
}

TApplication::~TApplication() {
    if (Application == this) {
        Application = nullptr;
        SetShowMessageHandler(std::move(previousShowMessage));
        previousShowMessage = nullptr;
    }
}

void TApplication::SetTitle(const QString& title) {
    title_ = title;
}

void TApplication::SetHint(const QString& hint) {
    if (hint == hint_) return;
    hint_ = hint;
    if (OnHint) Guarded(OnHint);
}

std::string TApplication::ErrorText(const std::string& utf8Message) {
    std::string text = utf8Message;
    if (!text.empty() && static_cast<unsigned char>(text.back()) > '.') text.push_back('.');
    return text;
}

void TApplication::ShowException(const std::string& utf8Message) {
    const QString text = QString::fromStdString(ErrorText(utf8Message));
    if (errorBox_) {
        errorBox_(title_, text);
        return;
    }
    QMessageBox box(QMessageBox::Critical, title_, text, QMessageBox::Ok);
    box.exec();
}

TApplication::MessageHandler TApplication::SetMessageBoxHandler(MessageHandler h) {
    return std::exchange(messageBox_, std::move(h));
}

TApplication::MessageHandler TApplication::SetErrorBoxHandler(MessageHandler h) {
    return std::exchange(errorBox_, std::move(h));
}

TApplication::QuestionHandler TApplication::SetQuestionHandler(QuestionHandler h) {
    return std::exchange(question_, std::move(h));
}

bool TApplication::Confirm(const QString& caption, const QString& text, QWidget* parent) {
    if (question_) return question_(caption, text);
    QMessageBox box(QMessageBox::Question, caption, text, QMessageBox::NoButton, parent);
    QPushButton* ok = box.addButton(QString::fromUtf8(Msg::ButtonOK), QMessageBox::AcceptRole);
    QPushButton* cancel =
        box.addButton(QString::fromUtf8(Msg::ButtonCancel), QMessageBox::RejectRole);
    box.setDefaultButton(ok);
    box.setEscapeButton(cancel);
    box.exec();
    return box.clickedButton() == ok;
}

void TApplication::MessageBox(const QString& text, QWidget* parent) {
    if (messageBox_) {
        messageBox_(title_, text);
        return;
    }
    QMessageBox box(QMessageBox::NoIcon, title_, text, QMessageBox::Ok, parent);
    box.exec();
}

// ---------------------------------------------------------------------------

namespace {
void ShowCaught(const std::string& message) {
    if (Application != nullptr) {
        try {
            Application->ShowException(message);
            return;
        } catch (...) {
            // The error display itself failed: fall back to the console.
        }
    }
    PrintToStderr(TApplication::ErrorText(message));
}
}  // namespace

void Guarded(const std::function<void()>& handler) {
    if (!handler) return;
    try {
        handler();
    } catch (const Exception& e) {
        ShowCaught(e.Message());
    } catch (const std::exception& e) {
        ShowCaught(e.what());
    } catch (...) {
        ShowCaught(Msg::UnknownException);
    }
}

// ---------------------------------------------------------------------------
// Hints

QString GetShortHint(const QString& hint) {
    const qsizetype bar = hint.indexOf(u'|');
    return bar < 0 ? hint : hint.left(bar);
}

QString GetLongHint(const QString& hint) {
    const qsizetype bar = hint.indexOf(u'|');
    return bar < 0 ? hint : hint.mid(bar + 1);
}

void SetHint(QWidget* widget, const QString& hint) {
    if (widget == nullptr) return;
    widget->setProperty(kHintProperty, hint);
    const QString tip = GetShortHint(hint);
    widget->setToolTip(tip.isEmpty() ? QString() : tip);
    if (!widget->property(kHintWatched).toBool()) {
        widget->setProperty(kHintWatched, true);
        widget->installEventFilter(new HintWatcher(widget));
    }
}

QString HintOf(const QWidget* widget) {
    return widget == nullptr ? QString() : widget->property(kHintProperty).toString();
}

void SetActionHint(QAction* action, const QString& hint) {
    if (action == nullptr) return;
    action->setProperty(kHintProperty, hint);
    action->setStatusTip(hint);
    if (!action->property(kHintWatched).toBool()) {
        action->setProperty(kHintWatched, true);
        QObject::connect(action, &QAction::hovered, action, [action] { ShowActionHint(action); });
    }
}

void RouteMenuHints(QMenuBar* menuBar) {
    if (menuBar == nullptr) return;
    auto highlighted = [](QAction* action) {
        if (action != nullptr) ShowActionHint(action);
    };
    QObject::connect(menuBar, &QMenuBar::hovered, menuBar, highlighted);
    for (QAction* top : menuBar->actions()) {
        QMenu* menu = top->menu();
        if (menu == nullptr) continue;
        QObject::connect(menu, &QMenu::hovered, menu, highlighted);
        QObject::connect(menu, &QMenu::aboutToHide, menu, [] {
            if (Application != nullptr) Application->SetHint(QString());
        });
    }
}

void SetFormFont(QWidget* form, const QString& family, int pixelHeight) {
    if (form == nullptr) return;
    QFont font(family);
    font.setPixelSize(pixelHeight);
    form->setFont(font);
}
