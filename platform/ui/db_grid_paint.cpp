// The data grid's drawing: titles, cells, grid lines, the record indicator
// and the empty row of a table without records.
#include <QLineEdit>
#include <QPainter>
#include <QScrollBar>
#include <algorithm>

#include "platform/ui/db_grid.h"
#include "platform/ui/db_grid_internal.h"
#include "platform/ui/glyphs.h"
#include "platform/ui/qt_text.h"

using namespace db_grid_detail;

// ---------------------------------------------------------------- drawing

void TDBGrid::paintEvent(QPaintEvent*) {
    // Nothing may leave a paint event: whatever a field's text hook raises,
    // the grid is drawn as far as it got and the program goes on.
    try {
        QPainter p(viewport());
        Paint(p);
    } catch (...) {
    }
}

void TDBGrid::Paint(QPainter& p) {
    const QRect vr = viewport()->rect();
    const QPalette& pal = palette();
    const int rh = RowHeight();
    const int iw = IndicatorWidth();
    const int hx = horizontalScrollBar()->value();
    const QColor fixedColor = pal.color(QPalette::Button);
    const QColor lineColor = pal.color(QPalette::Mid);
    const QColor darkLine = pal.color(QPalette::Dark);

    p.fillRect(vr, pal.color(QPalette::Base));
    TClientDataSet* ds = ActiveDataSet();

    // The title row.
    p.fillRect(QRect(0, 0, vr.width(), rh), fixedColor);
    p.setPen(darkLine);
    p.drawLine(0, rh - 1, vr.width(), rh - 1);
    p.drawLine(iw - 1, 0, iw - 1, vr.height());
    const QRect dataArea(iw, 0, std::max(0, vr.width() - iw), vr.height());

    // The first column whose right edge lies right of the scrolled-away part.
    int firstCol = 0;
    int firstLeft = 0;
    while (firstCol < ColCount() && firstLeft + columns_[firstCol].width <= hx)
        firstLeft += columns_[firstCol++].width;
    auto visibleCols = [&](auto&& fn) {
        int x = iw + firstLeft - hx;
        for (int c = firstCol; c < ColCount() && x < vr.width(); ++c) {
            fn(c, x, columns_[c].width);
            x += columns_[c].width;
        }
    };

    p.save();
    p.setClipRect(dataArea);
    visibleCols([&](int c, int x, int w) {
        QRect cell(x, 0, w, rh);
        p.setPen(darkLine);
        p.drawLine(cell.right(), 0, cell.right(), rh - 1);
        p.setPen(pal.color(QPalette::ButtonText));
        QRect tr = cell.adjusted(kTextMargin, 0, -kTextMargin - 1, 0);
        p.drawText(tr, Qt::AlignVCenter | Qt::AlignLeft,
                   p.fontMetrics().elidedText(columns_[c].title, Qt::ElideRight, tr.width()));
    });
    p.restore();

    if (!ds || ColCount() == 0) return;

    const int n = ds->ViewCount();
    const int cur = ds->ViewPosition();
    const TDataSetState state = ds->State();
    const bool focused = hasFocus() || editor_->hasFocus();
    const QPalette::ColorGroup group = focused ? QPalette::Active : QPalette::Inactive;

    int y = rh;
    for (int r = TopRow(); r < n && y < vr.height(); ++r, y += rh) {
        // The indicator cell.
        QRect ind(0, y, iw, rh);
        p.fillRect(ind, fixedColor);
        p.setPen(darkLine);
        p.drawLine(ind.right(), ind.top(), ind.right(), ind.bottom());
        p.drawLine(ind.left(), ind.bottom(), ind.right(), ind.bottom());
        if (r == cur) DrawRecordIndicator(p, ind, state);

        p.save();
        p.setClipRect(dataArea);
        visibleCols([&](int c, int x, int w) {
            QRect cell(x, y, w, rh);
            QString text;
            try {
                // The current record comes from the fields, which show the
                // edit buffer while it is edited or inserted.
                AnsiString raw = (r == cur && state != dsBrowse) ? ds->Fields()[c].DisplayText()
                                                                 : ds->ViewDisplayText(r, c);
                text = WithoutLineBreaks(AnsiToQString(raw));
            } catch (...) {
                text.clear();
            }
            const bool current = r == cur && c == col_;
            if (current)
                p.fillRect(cell.adjusted(0, 0, -1, -1), pal.color(group, QPalette::Highlight));
            p.setPen(lineColor);
            p.drawLine(cell.right(), cell.top(), cell.right(), cell.bottom());
            p.drawLine(cell.left(), cell.bottom(), cell.right(), cell.bottom());
            p.setPen(current ? pal.color(group, QPalette::HighlightedText)
                             : pal.color(QPalette::Text));
            QRect tr = cell.adjusted(kTextMargin, 0, -kTextMargin - 1, -1);
            Qt::Alignment align =
                Qt::AlignVCenter | (IsNumeric(columns_[c].type) ? Qt::AlignRight : Qt::AlignLeft);
            p.drawText(tr, align, p.fontMetrics().elidedText(text, Qt::ElideRight, tr.width()));
        });
        p.restore();
    }

    if (n == 0 && state == dsBrowse && y < vr.height()) {
        // A table without records shows one empty row to type into, marked
        // as the current one; typing into it appends the first record.
        QRect ind(0, y, iw, rh);
        p.fillRect(ind, fixedColor);
        p.setPen(darkLine);
        p.drawLine(ind.right(), ind.top(), ind.right(), ind.bottom());
        p.drawLine(ind.left(), ind.bottom(), ind.right(), ind.bottom());
        DrawRecordIndicator(p, ind, dsBrowse);
        p.save();
        p.setClipRect(dataArea);
        visibleCols([&](int c, int x, int w) {
            QRect cell(x, y, w, rh);
            if (c == col_)
                p.fillRect(cell.adjusted(0, 0, -1, -1), pal.color(group, QPalette::Highlight));
            p.setPen(lineColor);
            p.drawLine(cell.right(), cell.top(), cell.right(), cell.bottom());
            p.drawLine(cell.left(), cell.bottom(), cell.right(), cell.bottom());
        });
        p.restore();
    }
}
