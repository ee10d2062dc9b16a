#include "platform/ui/labeled_edit.h"

#include <QEvent>
#include <QLabel>
#include <algorithm>

namespace {
constexpr int kLabelSpacing = 3;
}

TLabeledEdit::TLabeledEdit(QWidget* parent) : QLineEdit(parent) {
    label_ = new QLabel(parent);
    label_->setBuddy(this);
    label_->setAlignment(Qt::AlignLeft | Qt::AlignBottom);
    PlaceLabel();
}

void TLabeledEdit::PlaceLabel() {
    if (label_->parentWidget() != parentWidget()) {
        label_->setParent(parentWidget());
        if (parentWidget()) label_->show();
    }
    // The label reaches to the parent's right edge, so that a longer caption
    // set later still shows whole.
    const int h = label_->fontMetrics().height();
    const int w = parentWidget() ? std::max(width(), parentWidget()->width() - x()) : width();
    label_->setGeometry(x(), y() - h - kLabelSpacing, w, h);
}

void TLabeledEdit::moveEvent(QMoveEvent* e) {
    QLineEdit::moveEvent(e);
    PlaceLabel();
}

void TLabeledEdit::resizeEvent(QResizeEvent* e) {
    QLineEdit::resizeEvent(e);
    PlaceLabel();
}

void TLabeledEdit::changeEvent(QEvent* e) {
    QLineEdit::changeEvent(e);
    if (e->type() == QEvent::ParentChange) PlaceLabel();
}
