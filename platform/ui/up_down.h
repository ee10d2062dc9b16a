#pragma once
// The platform's up-down control: two arrow buttons that step a position
// between Min and Max by one, without wrapping at the ends. With an associated
// line edit it writes every new position into the edit's text as plain
// decimal digits (no digit grouping), and the Up and Down keys pressed in that
// edit step it as the arrows do.

#include <QPointer>
#include <QWidget>
#include <functional>

class QLineEdit;
class QToolButton;

class TUpDown : public QWidget {
    Q_OBJECT
  public:
    explicit TUpDown(QWidget* parent = nullptr);

    int Min() const { return min_; }
    void SetMin(int v);
    int Max() const { return max_; }
    void SetMax(int v);
    int Position() const { return position_; }
    // Kept between Min and Max; writes the position into the associated edit.
    void SetPosition(int v);

    QLineEdit* Associate() const { return associate_; }
    // Takes over the edit: writes the position into it and steps on its arrow keys.
    void SetAssociate(QLineEdit* edit);

    // As a click on the up or down arrow: one step, nothing at the end of the range.
    void StepUp() { Step(+1); }
    void StepDown() { Step(-1); }
    // Raised after the user changed the position (arrow click or key).
    std::function<void()> OnClick;

    QToolButton* UpButton() const { return up_; }
    QToolButton* DownButton() const { return down_; }

  protected:
    void resizeEvent(QResizeEvent* e) override;
    bool eventFilter(QObject* watched, QEvent* e) override;

  private:
    void Step(int delta);
    void WriteAssociate();

    int min_ = 0;
    int max_ = 100;
    int position_ = 0;
    QPointer<QLineEdit> associate_;
    // The same edit seen as a plain object: the event filter compares with it,
    // also while the edit is being destroyed.
    QPointer<QObject> associateObject_;
    QToolButton* up_;
    QToolButton* down_;
};
