#pragma once
// The platform's bitmap button of kind OK or Cancel: the kind brings the
// caption ("OK" / "Abbrechen"), a glyph (a green check mark / a red cross) and
// the modal result (1 / 2) with which a click ends the dialog that holds it.
// An OK button is the dialog's default button (Enter); Escape reaches the
// Cancel button through the dialog's own rejection.

#include <QPushButton>

enum TBitBtnKind { bkCustom, bkOK, bkCancel };

class TBitBtn : public QPushButton {
    Q_OBJECT
  public:
    explicit TBitBtn(QWidget* parent = nullptr);
    TBitBtnKind Kind() const { return kind_; }
    void SetKind(TBitBtnKind kind);
    // 0 = none: a click leaves the dialog open.
    int ModalResult() const { return modalResult_; }
    void SetModalResult(int result) { modalResult_ = result; }

  private:
    TBitBtnKind kind_ = bkCustom;
    int modalResult_ = 0;
};
