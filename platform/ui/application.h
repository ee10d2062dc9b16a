#pragma once
// The application object: title, the plain message box behind ShowMessage,
// the default error display, the guard through which every command handler is
// entered, and the application's hint event.

#include <QFont>
#include <QObject>
#include <QPoint>
#include <QSize>
#include <QString>
#include <functional>
#include <string>

class QAction;
class QComboBox;
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
// long hint the application's hint, empty for an item without one. A disabled
// item is highlighted like any other and shows its hint; a separator has none,
// so the hint is empty over it. Closing a menu empties the hint until the
// pointer's place is looked at again.
void RouteMenuHints(QMenuBar* menuBar);

// Gives a form the font of its design: a family and the character height in
// pixels. The platform substitutes a family that it lacks (see FormFont).
void SetFormFont(QWidget* form, const QString& family, int pixelHeight);
// The font of a design: family at pixelHeight. The design family "MS Sans
// Serif" is drawn with a sans face of the same character widths (Liberation
// Sans, then Arial) where the system lacks it.
QFont FormFont(const QString& family, int pixelHeight);
// Makes the font of the design the font of everything the application shows:
// forms, menu bar, drop-down menus, tooltips, message boxes and dialogs.
void SetApplicationFont(const QString& family, int pixelHeight);

// The room a drop-down list (not editable) of the given size leaves for the
// text of its entry, and the width it needs to show each of its entries whole
// at the given height.
int PickerTextRoom(const QComboBox* picker, const QSize& size);
int PickerWidth(const QComboBox* picker, int height);

// Keeps a window's outer size, frame included, at outer: the inside gets outer
// less the frame that the window manager draws, once that frame is known. A
// window without a frame (no window manager) gets outer as its inside.
void SetOuterSize(QWidget* window, const QSize& outer);

// Moves a window to its designed place, moved back onto the primary screen
// where the screen is smaller, leaving room for the frame that the window
// manager adds.
void MoveToDesignedPlace(QWidget* window, QPoint place);

// The width a message box needs to show its whole caption in the title bar:
// the caption's width in a title face and room for the frame's buttons.
int CaptionWidth(const QString& caption);

// Looks again at what the pointer rests on, as after a menu or a modal box
// has closed: widgets that the pointer has left while the box held it get a
// leave, the widget under it (and its parents) an enter, and the application's
// hint becomes that widget's long hint (the nearest hint of it or its parents),
// empty over a control without one. Runs by itself when a menu or a modal box
// closes, and on every mouse move that reaches another widget.
void TrackPointer();
