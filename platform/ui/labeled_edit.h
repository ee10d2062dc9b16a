#pragma once
// The platform's labelled edit: a line edit with its own label (EditLabel)
// placed above it, left-aligned, three pixels apart. The label is a sibling
// of the edit in the same parent and follows the edit when it moves.

#include <QLabel>
#include <QLineEdit>

class TLabeledEdit : public QLineEdit {
    Q_OBJECT
  public:
    explicit TLabeledEdit(QWidget* parent = nullptr);
    QLabel* EditLabel() const { return label_; }

  protected:
    void moveEvent(QMoveEvent* e) override;
    void resizeEvent(QResizeEvent* e) override;
    void changeEvent(QEvent* e) override;

  private:
    void PlaceLabel();
    QLabel* label_;
};
