#include "platform/ui/up_down.h"

#include <QKeyEvent>
#include <QLineEdit>
#include <QToolButton>
#include <algorithm>

#include "platform/ui/application.h"

TUpDown::TUpDown(QWidget* parent) : QWidget(parent) {
    up_ = new QToolButton(this);
    down_ = new QToolButton(this);
    for (QToolButton* b : {up_, down_}) {
        b->setFocusPolicy(Qt::NoFocus);
        b->setAutoRepeat(true);
        b->setIconSize(QSize(7, 7));
    }
    up_->setArrowType(Qt::UpArrow);
    down_->setArrowType(Qt::DownArrow);
    connect(up_, &QToolButton::clicked, this, [this] { Guarded([this] { StepUp(); }); });
    connect(down_, &QToolButton::clicked, this, [this] { Guarded([this] { StepDown(); }); });
    resize(16, 21);
}

void TUpDown::SetMin(int v) {
    min_ = v;
    if (max_ < min_) max_ = min_;
    SetPosition(position_);
}

void TUpDown::SetMax(int v) {
    max_ = v;
    if (min_ > max_) min_ = max_;
    SetPosition(position_);
}

void TUpDown::SetPosition(int v) {
    position_ = std::clamp(v, min_, max_);
    WriteAssociate();
}

void TUpDown::SetAssociate(QLineEdit* edit) {
    if (associateObject_) associateObject_->removeEventFilter(this);
    associate_ = edit;
    associateObject_ = edit;
    if (associate_) {
        associate_->installEventFilter(this);
        WriteAssociate();
    }
}

void TUpDown::Step(int delta) {
    int next = std::clamp(position_ + delta, min_, max_);
    if (next == position_) return;
    position_ = next;
    WriteAssociate();
    if (OnClick) OnClick();
}

void TUpDown::WriteAssociate() {
    if (!associate_) return;
    QString text = QString::number(position_);
    if (associate_->text() != text) associate_->setText(text);
}

void TUpDown::resizeEvent(QResizeEvent* e) {
    QWidget::resizeEvent(e);
    int half = height() / 2;
    up_->setGeometry(0, 0, width(), half);
    down_->setGeometry(0, half, width(), height() - half);
}

bool TUpDown::eventFilter(QObject* watched, QEvent* e) {
    if (watched == associateObject_.data() && e->type() == QEvent::KeyPress && isEnabled()) {
        int key = static_cast<QKeyEvent*>(e)->key();
        if (key == Qt::Key_Up || key == Qt::Key_Down) {
            Guarded([&] { Step(key == Qt::Key_Up ? +1 : -1); });
            return true;
        }
    }
    return QWidget::eventFilter(watched, e);
}
