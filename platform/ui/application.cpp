#include "platform/ui/application.h"

#include <QAction>
#include <QApplication>
#include <QComboBox>
#include <QCursor>
#include <QEnterEvent>
#include <QEvent>
#include <QFont>
#include <QFontDatabase>
#include <QFontInfo>
#include <QFontMetrics>
#include <QGridLayout>
#include <QMenu>
#include <QMenuBar>
#include <QMessageBox>
#include <QMouseEvent>
#include <QPointer>
#include <QPushButton>
#include <QScreen>
#include <QSpacerItem>
#include <QStyle>
#include <QStyleOptionComboBox>
#include <QTimer>
#include <QToolTip>
#include <QVariant>
#include <QWidget>
#include <QWindow>
#include <algorithm>
#include <cstdio>
#include <exception>
#include <vector>

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

// The long hint of a widget, or of the nearest of its parents within its
// window that has one; empty when none has.
QString LongHintAt(const QWidget* widget) {
    for (const QWidget* w = widget; w != nullptr; w = w->isWindow() ? nullptr : w->parentWidget()) {
        const QVariant hint = w->property(kHintProperty);
        if (hint.isValid()) return GetLongHint(hint.toString());
    }
    return QString();
}

// Watches, for the whole application, what the pointer rests on. Qt delivers
// no leave to a widget that the pointer left while a menu or a modal box held
// it, so the widget keeps its hover look and the status line its hint; when
// such a box closes, and whenever a mouse move reaches another widget, the
// widget under the pointer is looked at again.
class PointerTracker : public QObject {
  public:
    void Track(const QPoint& global) {
        // An open menu routes its own hints; while a modal box is up the
        // windows behind it take no part.
        if (QApplication::activePopupWidget() != nullptr) return;
        QWidget* under = QApplication::widgetAt(global);
        if (const QWidget* modal = QApplication::activeModalWidget()) {
            if (under == nullptr || (under != modal && !modal->isAncestorOf(under))) return;
        }
        last_ = under;
        std::vector<QWidget*> chain;  // under and its parents, innermost first
        for (QWidget* w = under; w != nullptr; w = w->isWindow() ? nullptr : w->parentWidget())
            chain.push_back(w);
        const QList<QWidget*> all = QApplication::allWidgets();
        for (QWidget* w : all) {
            if (!w->testAttribute(Qt::WA_UnderMouse) || !w->isVisible()) continue;
            if (std::find(chain.begin(), chain.end(), w) != chain.end()) continue;
            w->setAttribute(Qt::WA_UnderMouse, false);
            QEvent leave(QEvent::Leave);
            QCoreApplication::sendEvent(w, &leave);
            w->update();
        }
        for (auto it = chain.rbegin(); it != chain.rend(); ++it) {
            QWidget* w = *it;
            if (w->testAttribute(Qt::WA_UnderMouse)) continue;
            w->setAttribute(Qt::WA_UnderMouse, true);
            const QPointF local = w->mapFromGlobal(QPointF(global));
            QEnterEvent enter(local, local, QPointF(global));
            QCoreApplication::sendEvent(w, &enter);
            w->update();
        }
        if (Application != nullptr) Application->SetHint(LongHintAt(under));
    }

    // Looks once, after the events now waiting, at the pointer's place.
    void TrackSoon() {
        if (pending_) return;
        pending_ = true;
        QTimer::singleShot(0, this, [this] {
            pending_ = false;
            Track(QCursor::pos());
        });
    }

  protected:
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (!watched->isWidgetType()) return false;
        switch (event->type()) {
            case QEvent::Hide: {
                const auto* w = static_cast<QWidget*>(watched);
                if (w->isWindow() && (w->windowType() == Qt::Popup || w->isModal())) TrackSoon();
                break;
            }
            case QEvent::MouseMove: {
                const auto* move = static_cast<QMouseEvent*>(event);
                if (move->buttons() != Qt::NoButton) break;
                const QPoint global = move->globalPosition().toPoint();
                if (QApplication::widgetAt(global) != last_) Track(global);
                break;
            }
            default:
                break;
        }
        return false;
    }

  private:
    QPointer<QWidget> last_;
    bool pending_ = false;
};

PointerTracker* pointerTracker = nullptr;

// The design family that the system lacks and the faces of the same widths
// that stand in for it.
void InstallFontSubstitutes() {
    static const bool installed = [] {
        QFont::insertSubstitutions("MS Sans Serif", {"Liberation Sans", "Arial"});
        return true;
    }();
    (void)installed;
}

// Widens a message box so that its title bar shows the whole caption.
void FitCaption(QMessageBox& box) {
    auto* grid = qobject_cast<QGridLayout*>(box.layout());
    if (grid == nullptr) return;
    const QMargins m = grid->contentsMargins();
    const int room = CaptionWidth(box.windowTitle()) - m.left() - m.right();
    grid->addItem(new QSpacerItem(std::max(0, room), 0, QSizePolicy::Fixed, QSizePolicy::Minimum),
                  grid->rowCount(), 0, 1, std::max(1, grid->columnCount()));
}

// Keeps a window's outer size: see SetOuterSize.
class OuterSizeKeeper : public QObject {
  public:
    OuterSizeKeeper(QWidget* window, const QSize& outer) : QObject(window), outer_(outer) {}

    void Apply() {
        auto* window = static_cast<QWidget*>(parent());
        const QWindow* handle = window->windowHandle();
        const QMargins frame = handle != nullptr ? handle->frameMargins() : QMargins();
        if (applied_ && frame == frame_) return;
        // Once the user has sized the window, its size is left alone.
        if (applied_ && window->size() != Inside(frame_)) return;
        applied_ = true;
        frame_ = frame;
        window->resize(Inside(frame));
    }

  protected:
    bool eventFilter(QObject*, QEvent* event) override {
        switch (event->type()) {
            case QEvent::Show:
            case QEvent::Move:
            case QEvent::Resize:
            case QEvent::WindowActivate:
            case QEvent::UpdateRequest:
                Apply();
                break;
            default:
                break;
        }
        return false;
    }

  private:
    QSize Inside(const QMargins& frame) const {
        return QSize(outer_.width() - frame.left() - frame.right(),
                     outer_.height() - frame.top() - frame.bottom());
    }

    QSize outer_;
    QMargins frame_;
    bool applied_ = false;
};

}  // namespace

TApplication::TApplication() {
    Application = this;
    if (QCoreApplication::instance() != nullptr) title_ = QCoreApplication::applicationName();
    InstallFontSubstitutes();
    if (qobject_cast<QApplication*>(QCoreApplication::instance()) != nullptr &&
        pointerTracker == nullptr) {
        pointerTracker = new PointerTracker();
        QCoreApplication::instance()->installEventFilter(pointerTracker);
    }
    previousShowMessage = SetShowMessageHandler(
        [this](const std::string& text) { MessageBox(QString::fromUtf8(text)); });
}

TApplication::~TApplication() {
    if (Application == this) {
        Application = nullptr;
        delete pointerTracker;
        pointerTracker = nullptr;
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
    FitCaption(box);
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
    FitCaption(box);
    box.exec();
    return box.clickedButton() == ok;
}

void TApplication::MessageBox(const QString& text, QWidget* parent) {
    if (messageBox_) {
        messageBox_(title_, text);
        return;
    }
    QMessageBox box(QMessageBox::NoIcon, title_, text, QMessageBox::Ok, parent);
    FitCaption(box);
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

namespace {

// Follows the item that the pointer or the keys highlight in a drop-down menu.
// Qt reports only enabled items as hovered; a disabled item is highlighted all
// the same and shows its hint, and a separator shows none.
class MenuHintWatcher : public QObject {
  public:
    explicit MenuHintWatcher(QMenu* menu) : QObject(menu) {}

  protected:
    bool eventFilter(QObject* watched, QEvent* event) override {
        auto* menu = static_cast<QMenu*>(watched);
        if (event->type() == QEvent::MouseMove) {
            const QPoint pos = static_cast<QMouseEvent*>(event)->position().toPoint();
            // Outside the menu (the pointer on the menu bar, say) nothing is highlighted anew.
            if (menu->rect().contains(pos)) {
                if (QAction* item = menu->actionAt(pos)) ShowActionHint(item);
            }
        } else if (event->type() == QEvent::KeyPress) {
            // The keys move the highlight once the menu has handled them.
            QTimer::singleShot(0, menu, [menu] {
                if (menu->isVisible() && menu->activeAction() != nullptr)
                    ShowActionHint(menu->activeAction());
            });
        }
        return false;
    }
};

void RouteHintsOf(QMenu* menu) {
    QObject::connect(menu, &QMenu::hovered, menu, [](QAction* action) {
        if (action != nullptr) ShowActionHint(action);
    });
    QObject::connect(menu, &QMenu::aboutToHide, menu, [] {
        if (Application != nullptr) Application->SetHint(QString());
    });
    menu->installEventFilter(new MenuHintWatcher(menu));
    for (QAction* item : menu->actions())
        if (item->menu() != nullptr) RouteHintsOf(item->menu());
}

}  // namespace

void RouteMenuHints(QMenuBar* menuBar) {
    if (menuBar == nullptr) return;
    QObject::connect(menuBar, &QMenuBar::hovered, menuBar, [](QAction* action) {
        if (action != nullptr) ShowActionHint(action);
    });
    for (QAction* top : menuBar->actions())
        if (top->menu() != nullptr) RouteHintsOf(top->menu());
}

void TrackPointer() {
    if (pointerTracker != nullptr) pointerTracker->Track(QCursor::pos());
}

// ---------------------------------------------------------------------------
// Fonts and windows

QFont FormFont(const QString& family, int pixelHeight) {
    InstallFontSubstitutes();
    QFont font(family);
    font.setPixelSize(pixelHeight);
    return font;
}

void SetFormFont(QWidget* form, const QString& family, int pixelHeight) {
    if (form == nullptr) return;
    form->setFont(FormFont(family, pixelHeight));
}

void SetApplicationFont(const QString& family, int pixelHeight) {
    const QFont font = FormFont(family, pixelHeight);
    // Without a class name this also drops the platform's own fonts for menus,
    // message boxes and the like, so that every class draws with this one.
    QApplication::setFont(font);
    QToolTip::setFont(font);
}

int PickerTextRoom(const QComboBox* picker, const QSize& size) {
    QStyleOptionComboBox option;
    option.initFrom(picker);
    option.rect = QRect(QPoint(0, 0), size);
    option.editable = false;
    const QRect field = picker->style()->subControlRect(QStyle::CC_ComboBox, &option,
                                                        QStyle::SC_ComboBoxEditField, picker);
    // The entry's text keeps one pixel off either side of the field.
    return field.width() - 2;
}

int PickerWidth(const QComboBox* picker, int height) {
    const QFontMetrics metrics(picker->font());
    int widest = 0;
    for (int i = 0; i < picker->count(); ++i)
        widest = std::max(widest, metrics.horizontalAdvance(picker->itemText(i)));
    // The frame and the drop-down button take the same room at every width.
    const int probe = 200;
    return widest + probe - PickerTextRoom(picker, QSize(probe, height));
}

void SetOuterSize(QWidget* window, const QSize& outer) {
    if (window == nullptr) return;
    for (QObject* child : window->children()) {
        if (auto* old = dynamic_cast<OuterSizeKeeper*>(child)) {
            delete old;
            break;
        }
    }
    auto* keeper = new OuterSizeKeeper(window, outer);
    window->installEventFilter(keeper);
    keeper->Apply();
}

void MoveToDesignedPlace(QWidget* window, QPoint place) {
    if (const QScreen* screen = QGuiApplication::primaryScreen()) {
        const QRect area = screen->availableGeometry();
        const int border = 8;
        const int titleBar = window->style()->pixelMetric(QStyle::PM_TitleBarHeight) + border;
        place.setX(std::max(area.left(),
                            std::min(place.x(), area.right() + 1 - window->width() - 2 * border)));
        place.setY(std::max(area.top(), std::min(place.y(), area.bottom() + 1 - window->height() -
                                                                titleBar - border)));
    }
    window->move(place);
}

int CaptionWidth(const QString& caption) {
    // The window manager draws the caption in a bold face of its own, mostly
    // larger than the forms' one: the platform's title font or the forms' font
    // a fifth larger, whichever is wider. The frame's buttons (icon, minimise,
    // maximise, close), its edges and the caption's padding take about six
    // title-bar heights.
    QFont font = QFontDatabase::systemFont(QFontDatabase::TitleFont);
    const QFont forms = QApplication::font();
    const int formsPixels =
        forms.pixelSize() > 0 ? forms.pixelSize() : QFontInfo(forms).pixelSize();
    if (QFontInfo(font).pixelSize() < formsPixels * 6 / 5) font.setPixelSize(formsPixels * 6 / 5);
    font.setBold(true);
    const QFontMetrics metrics(font);
    const int bar = std::max(metrics.height() + 6,
                             QApplication::style()->pixelMetric(QStyle::PM_TitleBarHeight));
    return metrics.horizontalAdvance(caption) + 6 * bar;
}
