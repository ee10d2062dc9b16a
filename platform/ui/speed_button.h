#pragma once
// The platform's speed button: flat, takes no focus, a glyph with an enabled
// and a disabled picture, GroupIndex/Down semantics. A click on a grouped
// button puts it down (releasing the others of its group) and runs OnClick,
// also when it was down already; SetDown from code runs no handler.

#include <QIcon>
#include <QToolButton>
#include <functional>

class TSpeedButton : public QToolButton {
    Q_OBJECT
  public:
    explicit TSpeedButton(QWidget* parent = nullptr);
    int GroupIndex() const { return groupIndex_; }
    void SetGroupIndex(int g) { groupIndex_ = g; }
    bool Down() const { return down_; }
    // Down releases the other buttons of the group; no OnClick. A plain button
    // (GroupIndex 0) is never down, and a grouped one goes up only when another
    // button of its group goes down (all up is not allowed).
    void SetDown(bool down);
    // Glyph: the picture shown while enabled, and the one shown while disabled.
    // The icon size is the pictures' device-independent size.
    void SetGlyph(const QPixmap& enabled, const QPixmap& disabled);
    // The same glyph at another device pixel ratio; the button shows the
    // pictures that suit the screen it is on.
    void AddGlyph(const QPixmap& enabled, const QPixmap& disabled);
    // A glyph file holds the enabled and the disabled picture side by side;
    // a file of the same name with "@2x" before the extension, when there is
    // one, holds them at twice the resolution. False when the file does not load.
    bool LoadGlyph(const QString& fileName);
    void Click();                   // as a user's click (nothing when disabled)
    std::function<void()> OnClick;  // run through the application's guard

  protected:
    void paintEvent(QPaintEvent* e) override;

  private:
    void ReleaseSiblings();
    QIcon glyph_;
    int groupIndex_ = 0;
    bool down_ = false;
};
