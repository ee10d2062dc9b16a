// The data grid's columns and geometry: the columns follow the dataset's
// fields, their widths, where cells, rows and the resize grips lie, and the
// scroll bars.
#include <QEvent>
#include <QScrollBar>
#include <algorithm>
#include <cmath>

#include "platform/ui/db_grid.h"
#include "platform/ui/db_grid_internal.h"
#include "platform/ui/qt_text.h"

using namespace db_grid_detail;

namespace {

constexpr int kIndicatorWidth = 12;
constexpr int kResizeGrip = 3;
constexpr int kMinColWidth = 8;
// A text column is sized for its length, but never wider than this many characters.
constexpr int kMaxDisplayChars = 64;

int DisplayChars(TFieldType t, int size) {
    switch (t) {
        case ftString:
        case ftFixedChar:
        case ftWideString:
            return std::clamp(size, 1, kMaxDisplayChars);
        case ftSmallint:
            return 6;
        case ftInteger:
        case ftWord:
        case ftAutoInc:
            return 11;
        case ftLargeint:
            return 15;
        case ftFloat:
        case ftCurrency:
        case ftBCD:
            return 12;
        case ftBoolean:
            return 5;
        default:
            return 10;
    }
}

}  // namespace

// ---------------------------------------------------------------- columns and geometry

QString TDBGrid::ColumnTitle(int col) const {
    return col >= 0 && col < ColCount() ? columns_[col].title : QString();
}

int TDBGrid::ColWidth(int col) const {
    return col >= 0 && col < ColCount() ? columns_[col].width : 0;
}

void TDBGrid::SetColWidth(int col, int width) {
    if (col < 0 || col >= ColCount()) return;
    columns_[col].width = std::max(kMinColWidth, width);
    columns_[col].sized = true;
    UpdateScrollBars();
    PlaceEditor();
    viewport()->update();
}

int TDBGrid::DefaultColWidth(const Column& c) const {
    // The title is measured exactly and rounded up, so that it fits its cell
    // (the text margins and the grid line beside) without being cut.
    const QFontMetricsF fm(font());
    const qreal title = fm.horizontalAdvance(c.title);
    const qreal byLength = DisplayChars(c.type, c.size) * fm.averageCharWidth();
    return static_cast<int>(std::ceil(std::max(title, byLength))) + 2 * kTextMargin + 1;
}

void TDBGrid::changeEvent(QEvent* e) {
    QAbstractScrollArea::changeEvent(e);
    if (e->type() != QEvent::FontChange) return;
    // Columns the user has not sized follow the new font.
    for (Column& c : columns_)
        if (!c.sized) c.width = DefaultColWidth(c);
    UpdateScrollBars();
    PlaceEditor();
    viewport()->update();
}

void TDBGrid::SyncColumns() {
    TClientDataSet* ds = ActiveDataSet();
    int count = ds ? ds->Fields().Count() : 0;
    bool same = count == ColCount();
    for (int i = 0; same && i < count; ++i) {
        const TField& f = ds->Fields()[i];
        const Column& c = columns_[i];
        same = c.name == f.FieldName() && c.type == f.DataType() && c.size == f.Size();
    }
    if (same) return;

    CloseEditor();
    std::vector<Column> cols;
    cols.reserve(count);
    for (int i = 0; i < count; ++i) {
        const TField& f = ds->Fields()[i];
        Column c{f.FieldName(), AnsiToQString(f.FieldName()), f.DataType(), f.Size(), 0, false};
        c.width = DefaultColWidth(c);
        cols.push_back(std::move(c));
    }
    columns_ = std::move(cols);
    col_ = std::clamp(col_, 0, std::max(0, ColCount() - 1));
    UpdateScrollBars();
    viewport()->update();
}

int TDBGrid::RowHeight() const {
    return fontMetrics().height() + 4;
}

int TDBGrid::IndicatorWidth() const {
    return kIndicatorWidth;
}

int TDBGrid::ColLeft(int col) const {
    int x = 0;
    for (int i = 0; i < col && i < ColCount(); ++i) x += columns_[i].width;
    return x;
}

int TDBGrid::TotalWidth() const {
    return ColLeft(ColCount());
}

int TDBGrid::DataWidth() const {
    return std::max(0, viewport()->width() - IndicatorWidth());
}

int TDBGrid::GripColAt(int x) const {
    if (x < IndicatorWidth()) return -1;
    int right = IndicatorWidth() - horizontalScrollBar()->value();
    for (int c = 0; c < ColCount(); ++c) {
        right += columns_[c].width;
        if (std::abs(x - right) <= kResizeGrip) return c;
    }
    return -1;
}

int TDBGrid::TopRow() const {
    return verticalScrollBar()->value();
}

int TDBGrid::VisibleRowCount() const {
    int rh = RowHeight();
    return std::max(0, (viewport()->height() - rh) / rh);
}

QRect TDBGrid::RawCellRect(int col, int viewPos) const {
    const int rh = RowHeight();
    const int y = rh * (1 + viewPos - TopRow());
    if (col < 0) return QRect(0, y, IndicatorWidth(), rh);
    const int x = IndicatorWidth() + ColLeft(col) - horizontalScrollBar()->value();
    return QRect(x, y, ColWidth(col), rh);
}

QRect TDBGrid::CellRect(int col, int viewPos) const {
    if (col >= ColCount() || viewPos < 0) return QRect();
    const QRect vr = viewport()->rect();
    const int rh = RowHeight();
    QRect area = col < 0
                     ? QRect(0, rh, IndicatorWidth(), vr.height() - rh)
                     : QRect(IndicatorWidth(), rh, vr.width() - IndicatorWidth(), vr.height() - rh);
    QRect r = RawCellRect(col, viewPos).intersected(area);
    return r.isEmpty() ? QRect() : r;
}

int TDBGrid::RowAt(int y) const {
    const int rh = RowHeight();
    TClientDataSet* ds = ActiveDataSet();
    if (!ds || y < rh) return -1;
    int r = TopRow() + (y - rh) / rh;
    return r < ds->ViewCount() ? r : -1;
}

bool TDBGrid::OnEmptyRow(int y) const {
    TClientDataSet* ds = ActiveDataSet();
    const int rh = RowHeight();
    return ds && ds->ViewCount() == 0 && ds->State() == dsBrowse && y >= rh && y < 2 * rh;
}

int TDBGrid::ColAt(int x) const {
    if (x < IndicatorWidth()) return -1;
    int cx = x - IndicatorWidth() + horizontalScrollBar()->value();
    int left = 0;
    for (int c = 0; c < ColCount(); ++c) {
        left += columns_[c].width;
        if (cx < left) return c;
    }
    return -2;
}

void TDBGrid::UpdateScrollBars() {
    TClientDataSet* ds = ActiveDataSet();
    const int n = ds ? ds->ViewCount() : 0;
    const int rows = std::max(1, VisibleRowCount());
    QScrollBar* v = verticalScrollBar();
    v->setRange(0, std::max(0, n - rows));
    v->setPageStep(rows);
    v->setSingleStep(1);
    const int avail = DataWidth();
    QScrollBar* h = horizontalScrollBar();
    h->setRange(0, std::max(0, TotalWidth() - avail));
    h->setPageStep(std::max(1, avail));
    h->setSingleStep(16);
}

void TDBGrid::EnsureCurrentVisible() {
    TClientDataSet* ds = ActiveDataSet();
    if (!ds) return;
    const int cur = ds->ViewPosition();
    if (cur < 0) return;
    const int rows = std::max(1, VisibleRowCount());
    QScrollBar* v = verticalScrollBar();
    if (cur < v->value())
        v->setValue(cur);
    else if (cur >= v->value() + rows)
        v->setValue(cur - rows + 1);
}

void TDBGrid::EnsureColVisible() {
    if (ColCount() == 0) return;
    const int x = ColLeft(col_);
    const int w = ColWidth(col_);
    const int avail = DataWidth();
    QScrollBar* h = horizontalScrollBar();
    if (x < h->value())
        h->setValue(x);
    else if (x + w > h->value() + avail)
        h->setValue(std::min(x, x + w - avail));
}

void TDBGrid::SetCol(int col) {
    if (col < 0 || col >= ColCount() || col == col_) return;
    if (!CommitCell()) return;
    CloseEditor();
    col_ = col;
    EnsureColVisible();
    viewport()->update();
}

void TDBGrid::resizeEvent(QResizeEvent* e) {
    QAbstractScrollArea::resizeEvent(e);
    UpdateScrollBars();
    EnsureCurrentVisible();
    PlaceEditor();
}

void TDBGrid::scrollContentsBy(int, int) {
    PlaceEditor();
    viewport()->update();
}
