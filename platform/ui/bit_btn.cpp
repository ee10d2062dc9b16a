#include "platform/ui/bit_btn.h"

#include <QDialog>
#include <QPainter>
#include <QPainterPath>

#include "platform/core/exceptions.h"

namespace {

QPixmap CheckGlyph() {
    QPixmap pm(16, 16);
    pm.fill(Qt::transparent);
    QPainter p(&pm);
    p.setRenderHint(QPainter::Antialiasing);
    QPainterPath path;
    path.moveTo(2.5, 8.5);
    path.lineTo(6.5, 12.5);
    path.lineTo(13.5, 3.5);
    p.setPen(QPen(QColor(0, 128, 0), 2.6, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
    p.drawPath(path);
    return pm;
}

QPixmap CrossGlyph() {
    QPixmap pm(16, 16);
    pm.fill(Qt::transparent);
    QPainter p(&pm);
    p.setRenderHint(QPainter::Antialiasing);
    p.setPen(QPen(QColor(200, 0, 0), 2.6, Qt::SolidLine, Qt::RoundCap));
    p.drawLine(QPointF(3.5, 3.5), QPointF(12.5, 12.5));
    p.drawLine(QPointF(12.5, 3.5), QPointF(3.5, 12.5));
    return pm;
}

}  // namespace

TBitBtn::TBitBtn(QWidget* parent) : QPushButton(parent) {
    setIconSize(QSize(16, 16));
    connect(this, &QPushButton::clicked, this, [this] {
        if (modalResult_ == 0) return;
        if (auto* dialog = qobject_cast<QDialog*>(window())) dialog->done(modalResult_);
    });
}

void TBitBtn::SetKind(TBitBtnKind kind) {
    kind_ = kind;
    switch (kind) {
        case bkOK:
            setText(QString::fromUtf8(Msg::ButtonOK));
            setIcon(QIcon(CheckGlyph()));
            setDefault(true);
            modalResult_ = 1;
            break;
        case bkCancel:
            setText(QString::fromUtf8(Msg::ButtonCancel));
            setIcon(QIcon(CrossGlyph()));
            modalResult_ = 2;
            break;
        case bkCustom:
            break;
    }
}
