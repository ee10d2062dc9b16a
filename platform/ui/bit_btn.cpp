#include "platform/ui/bit_btn.h"

#include <QDialog>
#include <QPainter>
#include <QPainterPath>

#include "platform/core/exceptions.h"
#include "platform/ui/speed_button.h"

namespace {

constexpr QSize kGlyphSize(16, 16);

void DrawCheck(QPainter& p) {
    p.setRenderHint(QPainter::Antialiasing);
    QPainterPath path;
    path.moveTo(2.5, 8.5);
    path.lineTo(6.5, 12.5);
    path.lineTo(13.5, 3.5);
    p.setPen(QPen(QColor(0, 128, 0), 2.6, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
    p.drawPath(path);
}

void DrawCross(QPainter& p) {
    p.setRenderHint(QPainter::Antialiasing);
    p.setPen(QPen(QColor(200, 0, 0), 2.6, Qt::SolidLine, Qt::RoundCap));
    p.drawLine(QPointF(3.5, 3.5), QPointF(12.5, 12.5));
    p.drawLine(QPointF(12.5, 3.5), QPointF(3.5, 12.5));
}

}  // namespace

TBitBtn::TBitBtn(QWidget* parent) : QPushButton(parent) {
    setIconSize(kGlyphSize);
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
            setIcon(PaintedIcon(kGlyphSize, DrawCheck));
            setDefault(true);
            modalResult_ = 1;
            break;
        case bkCancel:
            setText(QString::fromUtf8(Msg::ButtonCancel));
            setIcon(PaintedIcon(kGlyphSize, DrawCross));
            modalResult_ = 2;
            break;
        case bkCustom:
            break;
    }
}
