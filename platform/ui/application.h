#pragma once
// The application object: title, the plain message box behind ShowMessage,
// the default error display, the guard through which every command handler is
// entered, and the application's hint event.

#include <QObject>
#include <QString>
#include <functional>
#include <string>

class QAction;
class QMenuBar;
class QWidget;

class TApplication : public QObject {
    Q_OBJECT
  public:
    TApplication();
    ~TApplication() override;

    const QString& Title() const { return title_; }
    void SetTitle(const QString& title);

    // The current hint (the long part of the hint of what the pointer rests on).
    const QString& Hint() const { return hint_; }
    void SetHint(const QString& hint);  // raises OnHint when it changes
    std::function<void()> OnHint;

    // The default error display: a modal box captioned with the title, an error
    // icon, and the message with a full stop added when its last character sorts
    // after "." (character-code order).
    void ShowException(const std::string& utf8Message);
    static std::string ErrorText(const std::string& utf8Message);

    // Seams for tests: replace the modal boxes by recorders. Each returns the
    // handler it replaces. A handler gets the caption, the text and, for
    // questions, returns true for OK.
    using MessageHandler = std::function<void(const QString& caption, const QString& text)>;
    MessageHandler SetMessageBoxHandler(MessageHandler h);
    MessageHandler SetErrorBoxHandler(MessageHandler h);
    using QuestionHandler = std::function<bool(const QString& caption, const QString& text)>;
    QuestionHandler SetQuestionHandler(QuestionHandler h);
    // A confirmation with the buttons "OK" and "Abbrechen"; true for OK.
    bool Confirm(const QString& caption, const QString& text, QWidget* parent = nullptr);
    void MessageBox(const QString& text, QWidget* parent = nullptr);

  private:
    QString title_;
    QString hint_;
    MessageHandler messageBox_;
    MessageHandler errorBox_;
    QuestionHandler question_;
};

// The one application object (created by the program block, or by a test).
extern TApplication* Application;

// Runs handler; an exception that leaves it is shown by the default error
// display and goes no further, so no exception ever unwinds through Qt.
void Guarded(const std::function<void()>& handler);

// Splits a hint at the first "|": the short part (tooltip) and the long part
// (status text). A hint without "|" serves as both.
QString GetShortHint(const QString& hint);
QString GetLongHint(const QString& hint);
// Gives a widget (or a menu action) a platform hint: tooltip = short part,
// and the long part reaches Application->SetHint while the pointer rests on it.
void SetHint(QWidget* widget, const QString& hint);
QString HintOf(const QWidget* widget);
// A menu item's hint: its status tip, and Application->SetHint(long part)
// while the item is highlighted.
void SetActionHint(QAction* action, const QString& hint);
// Routes a menu bar's hints to the application, as the platform does for a
// window's main menu: highlighting any item (a top-level menu too) makes its
// long hint the application's hint, empty for an item without one, and
// closing a menu empties it.
void RouteMenuHints(QMenuBar* menuBar);

// Gives a form the font of its design: a family and the character height in
// pixels. The platform substitutes a family that it lacks.
void SetFormFont(QWidget* form, const QString& family, int pixelHeight);
