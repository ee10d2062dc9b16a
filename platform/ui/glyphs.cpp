#include "platform/ui/glyphs.h"

#include <QPainter>
#include <QPainterPath>
#include <QPolygonF>

QPixmap PaintGlyph(QSize size, qreal ratio, const std::function<void(QPainter&)>& paint) {
    QPixmap pm(size * ratio);
    pm.setDevicePixelRatio(ratio);
    pm.fill(Qt::transparent);
    QPainter p(&pm);
    paint(p);
    return pm;
}

QIcon PaintedIcon(QSize size, const std::function<void(QPainter&)>& paint,
                  const std::function<void(QPainter&)>& paintDisabled) {
    QIcon icon;
    for (qreal ratio : kGlyphPixelRatios) {
        icon.addPixmap(PaintGlyph(size, ratio, paint), QIcon::Normal);
        if (paintDisabled) icon.addPixmap(PaintGlyph(size, ratio, paintDisabled), QIcon::Disabled);
    }
    return icon;
}

void DrawRecordIndicator(QPainter& p, const QRect& r, TDataSetState state) {
    p.save();
    p.setRenderHint(QPainter::Antialiasing, true);
    const QPointF c = QRectF(r).center();
    QColor ink(Qt::black);
    switch (state) {
        case dsEdit: {
            // A pencil leaning to the right.
            QPen pen(ink, 2.2, Qt::SolidLine, Qt::FlatCap);
            p.setPen(pen);
            p.drawLine(QPointF(c.x() - 1.5, c.y() + 2.5), QPointF(c.x() + 3, c.y() - 4));
            QPainterPath tip;
            tip.moveTo(c.x() - 3, c.y() + 5);
            tip.lineTo(c.x() - 2.6, c.y() + 2.2);
            tip.lineTo(c.x() - 0.6, c.y() + 3.4);
            tip.closeSubpath();
            p.setPen(Qt::NoPen);
            p.setBrush(ink);
            p.drawPath(tip);
            break;
        }
        case dsInsert: {
            // An asterisk.
            p.setPen(QPen(ink, 1.4));
            const double a = 3.5;
            p.drawLine(QPointF(c.x(), c.y() - a), QPointF(c.x(), c.y() + a));
            p.drawLine(QPointF(c.x() - a * 0.87, c.y() - a / 2),
                       QPointF(c.x() + a * 0.87, c.y() + a / 2));
            p.drawLine(QPointF(c.x() - a * 0.87, c.y() + a / 2),
                       QPointF(c.x() + a * 0.87, c.y() - a / 2));
            break;
        }
        default: {
            // A triangle pointing at the current record.
            QPainterPath tri;
            tri.moveTo(c.x() - 2, c.y() - 4);
            tri.lineTo(c.x() + 2.5, c.y());
            tri.lineTo(c.x() - 2, c.y() + 4);
            tri.closeSubpath();
            p.setPen(Qt::NoPen);
            p.setBrush(ink);
            p.drawPath(tri);
            break;
        }
    }
    p.restore();
}

void DrawNavigatorGlyph(QPainter& p, TNavigateBtn b, const QColor& ink, const QColor& accent) {
    p.setRenderHint(QPainter::Antialiasing, true);
    auto triangle = [&](double tipX, bool pointsLeft) {
        QPainterPath path;
        const double w = 5.5;
        const double back = pointsLeft ? tipX + w : tipX - w;
        path.moveTo(tipX, 8);
        path.lineTo(back, 3);
        path.lineTo(back, 13);
        path.closeSubpath();
        p.setPen(Qt::NoPen);
        p.setBrush(ink);
        p.drawPath(path);
    };
    auto bar = [&](double x) { p.fillRect(QRectF(x, 3, 2, 10), ink); };
    switch (b) {
        case nbFirst:
            bar(3.5);
            triangle(6, true);
            break;
        case nbPrior:
            triangle(5, true);
            break;
        case nbNext:
            triangle(11, false);
            break;
        case nbLast:
            triangle(10, false);
            bar(10.5);
            break;
        case nbInsert:
            p.fillRect(QRectF(7, 3, 2, 10), ink);
            p.fillRect(QRectF(3, 7, 10, 2), ink);
            break;
        case nbDelete:
            p.fillRect(QRectF(3, 7, 10, 2), ink);
            break;
        case nbEdit: {
            QPainterPath path;
            path.moveTo(8, 4);
            path.lineTo(13, 11);
            path.lineTo(3, 11);
            path.closeSubpath();
            p.setPen(Qt::NoPen);
            p.setBrush(ink);
            p.drawPath(path);
            break;
        }
        case nbPost: {
            QPen pen(accent, 2.2, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin);
            p.setPen(pen);
            p.setBrush(Qt::NoBrush);
            QPainterPath path;
            path.moveTo(3.5, 8.5);
            path.lineTo(6.5, 11.5);
            path.lineTo(12.5, 4.5);
            p.drawPath(path);
            break;
        }
        case nbCancel: {
            QColor red = accent == ink ? ink : QColor(190, 0, 0);
            p.setPen(QPen(red, 2.2, Qt::SolidLine, Qt::RoundCap));
            p.drawLine(QPointF(4, 4), QPointF(12, 12));
            p.drawLine(QPointF(12, 4), QPointF(4, 12));
            break;
        }
        case nbRefresh: {
            p.setPen(QPen(ink, 1.8, Qt::SolidLine, Qt::FlatCap));
            p.setBrush(Qt::NoBrush);
            p.drawArc(QRectF(3.5, 3.5, 9, 9), 100 * 16, 280 * 16);
            QPainterPath head;
            head.moveTo(7, 1);
            head.lineTo(10.5, 3.8);
            head.lineTo(7, 6.3);
            head.closeSubpath();
            p.setPen(Qt::NoPen);
            p.setBrush(ink);
            p.drawPath(head);
            break;
        }
    }
}

QIcon NavigatorGlyph(TNavigateBtn b) {
    return PaintedIcon(
        QSize(kNavigatorGlyphSize, kNavigatorGlyphSize),
        [b](QPainter& p) { DrawNavigatorGlyph(p, b, QColor(0, 0, 0), QColor(0, 128, 0)); },
        [b](QPainter& p) {
            p.translate(1, 1);
            DrawNavigatorGlyph(p, b, QColor(255, 255, 255), QColor(255, 255, 255));
            p.translate(-1, -1);
            DrawNavigatorGlyph(p, b, QColor(128, 128, 128), QColor(128, 128, 128));
        });
}

namespace {

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

QIcon CheckMarkGlyph() {
    return PaintedIcon(kButtonGlyphSize, DrawCheck);
}

QIcon CrossGlyph() {
    return PaintedIcon(kButtonGlyphSize, DrawCross);
}

// disabled picture draws the same shapes in grey.
void DrawRowGlyph(QPainter& p, TRowGlyph kind, bool enabled) {
    p.setRenderHint(QPainter::Antialiasing);
    const QColor red = enabled ? QColor(204, 0, 0) : QColor(128, 128, 128);
    const QColor blue = enabled ? QColor(0, 0, 204) : QColor(160, 160, 160);
    const QColor dots = enabled ? QColor(64, 64, 64) : QColor(176, 176, 176);
    p.setPen(Qt::NoPen);

    auto verticalArrow = [&](bool up) {
        QPolygonF arrow;
        if (up)
            arrow << QPointF(8, 1) << QPointF(15, 8) << QPointF(11, 8) << QPointF(11, 15)
                  << QPointF(5, 15) << QPointF(5, 8) << QPointF(1, 8);
        else
            arrow << QPointF(8, 15) << QPointF(15, 8) << QPointF(11, 8) << QPointF(11, 1)
                  << QPointF(5, 1) << QPointF(5, 8) << QPointF(1, 8);
        p.setBrush(red);
        p.drawPolygon(arrow);
    };
    auto dottedLine = [&](int x) {
        for (int y = 1; y < 16; y += 2) p.fillRect(QRect(x, y, 1, 1), dots);
    };
    auto horizontalArrow = [&](bool right) {
        QPolygonF arrow;
        if (right)
            arrow << QPointF(12, 11) << QPointF(8, 7) << QPointF(8, 9.5) << QPointF(1, 9.5)
                  << QPointF(1, 12.5) << QPointF(8, 12.5) << QPointF(8, 15);
        else
            arrow << QPointF(1, 11) << QPointF(5, 7) << QPointF(5, 9.5) << QPointF(12, 9.5)
                  << QPointF(12, 12.5) << QPointF(5, 12.5) << QPointF(5, 15);
        p.setBrush(blue);
        p.drawPolygon(arrow);
    };

    switch (kind) {
        case TRowGlyph::Up:
            verticalArrow(true);
            break;
        case TRowGlyph::Down:
            verticalArrow(false);
            break;
        case TRowGlyph::Insert:
            dottedLine(14);
            horizontalArrow(true);
            p.fillRect(QRect(1, 3, 7, 2), red);  // plus sign
            p.fillRect(QRect(3, 1, 2, 6), red);
            break;
        case TRowGlyph::Delete:
            dottedLine(14);
            horizontalArrow(false);
            p.fillRect(QRect(1, 3, 7, 2), red);  // minus sign
            break;
    }
}
