#include "platform/ui/db_grid.h"

#include <QApplication>
#include <QKeyEvent>
#include <QLineEdit>
#include <QMouseEvent>
#include <QPainter>
#include <QScopedValueRollback>
#include <QScrollBar>
#include <algorithm>
#include <cmath>
#include <functional>

#include "platform/ui/application.h"
#include "platform/ui/data_source.h"
#include "platform/ui/glyphs.h"
#include "platform/ui/qt_text.h"

namespace {

constexpr int kIndicatorWidth = 12;
constexpr int kTextMargin = 2;
constexpr int kResizeGrip = 3;
constexpr int kMinColWidth = 8;
// A text column is sized for its length, but never wider than this many characters.
constexpr int kMaxDisplayChars = 64;

// Runs an action through the application's error display; false when it raised.
bool TryRun(const std::function<void()>& action) {
    bool ok = false;
    Guarded([&] {
        action();
        ok = true;
    });
    return ok;
}

class BusyScope {
  public:
    explicit BusyScope(int& counter) : counter_(counter) { ++counter_; }
    ~BusyScope() { --counter_; }
    BusyScope(const BusyScope&) = delete;
    BusyScope& operator=(const BusyScope&) = delete;

  private:
    int& counter_;
};

// A value's text never holds a line break: CR and LF become blanks.
QString WithoutLineBreaks(QString text) {
    for (QChar& ch : text)
        if (ch == u'\r' || ch == u'\n') ch = u' ';
    return text;
}

bool IsNumeric(TFieldType t) {
    switch (t) {
        case ftSmallint:
        case ftInteger:
        case ftWord:
        case ftFloat:
        case ftCurrency:
        case ftBCD:
        case ftAutoInc:
        case ftLargeint:
            return true;
        default:
            return false;
    }
}

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

TDBGrid::TDBGrid(QWidget* parent)
    : QAbstractScrollArea(parent), editor_(new QLineEdit(viewport())) {
    setFocusPolicy(Qt::StrongFocus);
    setAttribute(Qt::WA_InputMethodEnabled, true);
    viewport()->setMouseTracking(true);
    viewport()->setAutoFillBackground(false);
    setHorizontalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    setVerticalScrollBarPolicy(Qt::ScrollBarAsNeeded);

    editor_->setFrame(false);
    editor_->hide();
    editor_->installEventFilter(this);
    connect(editor_, &QLineEdit::textEdited, this, &TDBGrid::OnEditorTextEdited);
    UpdateScrollBars();
}

TDBGrid::~TDBGrid() {
    if (source_ && updateHandlerId_) source_->RemoveUpdateHandler(updateHandlerId_);
}

TDataSource* TDBGrid::DataSource() const {
    return source_.data();
}

void TDBGrid::SetDataSource(TDataSource* source) {
    if (source == source_.data()) return;
    CloseEditor();
    if (source_) {
        disconnect(eventConn_);
        disconnect(changeConn_);
        disconnect(destroyConn_);
        if (updateHandlerId_) source_->RemoveUpdateHandler(updateHandlerId_);
    }
    updateHandlerId_ = 0;
    source_ = source;
    if (source) {
        eventConn_ = connect(source, &TDataSource::dataEvent, this, &TDBGrid::OnDataEvent);
        changeConn_ =
            connect(source, &TDataSource::dataSetChanged, this, &TDBGrid::OnDataSetChanged);
        destroyConn_ = connect(source, &QObject::destroyed, this, [this] {
            source_ = nullptr;
            updateHandlerId_ = 0;
            OnDataSetChanged();
        });
        updateHandlerId_ = source->AddUpdateHandler([this] {
            if (committing_) return;
            QScopedValueRollback<bool> committing(committing_, true);
            CommitCellOrThrow();
        });
    }
    OnDataSetChanged();
}

TClientDataSet* TDBGrid::ActiveDataSet() const {
    if (!source_) return nullptr;
    TClientDataSet* ds = source_->DataSet();
    return ds && ds->Active() ? ds : nullptr;
}

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

// ---------------------------------------------------------------- notifications

void TDBGrid::OnDataSetChanged() {
    CloseEditor();
    SyncColumns();
    UpdateScrollBars();
    EnsureCurrentVisible();
    viewport()->update();
}

void TDBGrid::OnDataEvent(TDataEvent e) {
    SyncColumns();
    UpdateScrollBars();
    TClientDataSet* ds = ActiveDataSet();
    if (!ds) CloseEditor();
    if (!busy_ && editorOpen_ && ds) {
        // Another control changed the dataset. The navigator hands the typed
        // text over (UpdateRecord) before it posts or moves, so what is left
        // in the editor now belongs to a record that was left or abandoned.
        switch (e) {
            case TDataEvent::Scroll:
            case TDataEvent::DataSetChange:
                CloseEditor();
                break;
            case TDataEvent::StateChange:
                if (ds->State() == dsBrowse) CloseEditor();
                break;
            case TDataEvent::RecordChange:
                if (!editorModified_) ReloadEditor();
                break;
        }
    }
    if (e == TDataEvent::Scroll || e == TDataEvent::DataSetChange) EnsureCurrentVisible();
    PlaceEditor();
    viewport()->update();
}

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

// ---------------------------------------------------------------- the in-place editor

bool TDBGrid::EditorMode() const {
    return editorOpen_;
}

void TDBGrid::SetEditorMode(bool on) {
    if (on) {
        if (!editorOpen_) OpenEditor(false);
    } else if (editorOpen_ && CommitCell()) {
        CloseEditor();
    }
}

void TDBGrid::OpenEditor(bool selectAll) {
    TClientDataSet* ds = ActiveDataSet();
    if (!ds || ColCount() == 0) return;
    if (ds->ViewCount() == 0 && ds->State() == dsBrowse) {
        // The empty row of a table without records: editing it appends the
        // first record, which goes away again when it is left unchanged.
        BusyScope busy(busy_);
        if (!TryRun([&] { ds->Append(); })) return;
    }
    if (ds->ViewPosition() < 0) return;
    EnsureCurrentVisible();
    EnsureColVisible();
    QString text;
    if (!TryRun([&] { text = AnsiToQString(ds->Fields()[col_].Text()); })) return;
    editor_->setFont(font());
    editor_->setAlignment(IsNumeric(columns_[col_].type) ? Qt::AlignRight : Qt::AlignLeft);
    editor_->setText(WithoutLineBreaks(text));
    editorModified_ = false;
    editorOpen_ = true;
    PlaceEditor();
    editor_->show();
    editor_->setFocus(Qt::OtherFocusReason);
    if (selectAll)
        editor_->selectAll();
    else
        editor_->end(false);
}

void TDBGrid::CloseEditor() {
    editorModified_ = false;
    if (!editorOpen_) return;
    editorOpen_ = false;
    if (editor_->hasFocus()) setFocus(Qt::OtherFocusReason);
    editor_->hide();
    viewport()->update();
}

void TDBGrid::PlaceEditor() {
    if (!editorOpen_) return;
    TClientDataSet* ds = ActiveDataSet();
    if (!ds) return;
    QRect r = RawCellRect(col_, ds->ViewPosition());
    editor_->setGeometry(r.adjusted(0, 0, -1, -1));
}

void TDBGrid::ReloadEditor() {
    TClientDataSet* ds = ActiveDataSet();
    if (!editorOpen_ || !ds || ColCount() == 0) return;
    QString text;
    try {
        text = AnsiToQString(ds->Fields()[col_].Text());
    } catch (...) {
    }
    editor_->setText(WithoutLineBreaks(text));
    editor_->selectAll();
    editorModified_ = false;
}

void TDBGrid::OnEditorTextEdited(const QString& text) {
    QString clean = WithoutLineBreaks(text);
    if (clean != text) {
        const int pos = editor_->cursorPosition();
        editor_->setText(clean);
        editor_->setCursorPosition(pos);
    }
    editorModified_ = true;
    TClientDataSet* ds = ActiveDataSet();
    if (ds && ds->State() == dsBrowse) {
        BusyScope busy(busy_);
        if (!TryRun([&] { ds->Edit(); })) ReloadEditor();
    }
    viewport()->update();
}

void TDBGrid::CommitCellOrThrow() {
    if (!editorOpen_ || !editorModified_) return;
    TClientDataSet* ds = ActiveDataSet();
    if (!ds || col_ < 0 || col_ >= ColCount()) return;
    BusyScope busy(busy_);
    if (ds->State() == dsBrowse) ds->Edit();
    TField& field = ds->Fields()[col_];
    field.SetText(QStringToAnsi(WithoutLineBreaks(editor_->text())));
    editorModified_ = false;
    // The field may show the stored value differently ("1" becomes "true").
    editor_->setText(WithoutLineBreaks(AnsiToQString(field.Text())));
    viewport()->update();
}

bool TDBGrid::CommitCell() {
    if (!editorOpen_ || !editorModified_) return true;
    if (committing_) return false;
    QScopedValueRollback<bool> committing(committing_, true);
    return TryRun([&] { CommitCellOrThrow(); });
}

// ---------------------------------------------------------------- moving and editing

bool TDBGrid::GoToRow(int target) {
    TClientDataSet* ds = ActiveDataSet();
    if (!ds) return false;
    const int n = ds->ViewCount();
    if (n == 0) return false;
    target = std::clamp(target, 0, n - 1);
    if (!CommitCell()) return false;
    const int cur = ds->ViewPosition();
    if (target == cur) return true;
    BusyScope busy(busy_);
    bool ok = TryRun([&] {
        if (ds->State() == dsInsert && !ds->Modified()) {
            // The inserted record, left without a change, goes away; the
            // target is the row the user saw, so the rows below it move up.
            int t = cur >= 0 && target > cur ? target - 1 : target;
            ds->Cancel();
            const int m = ds->ViewCount();
            if (m == 0) return;
            t = std::clamp(t, 0, m - 1);
            int p = ds->ViewPosition();
            if (p < 0) {
                ds->First();
                p = 0;
            }
            ds->MoveBy(t - p);
        } else {
            if (ds->State() != dsBrowse) ds->CheckBrowseMode();  // posts a changed record
            ds->MoveBy(target - cur);
        }
    });
    CloseEditor();
    EnsureCurrentVisible();
    viewport()->update();
    return ok;
}

void TDBGrid::MoveRows(int delta) {
    TClientDataSet* ds = ActiveDataSet();
    if (!ds) return;
    GoToRow(std::max(0, ds->ViewPosition()) + delta);
}

bool TDBGrid::MoveDown() {
    TClientDataSet* ds = ActiveDataSet();
    if (!ds) return false;
    const int n = ds->ViewCount();
    const int cur = ds->ViewPosition();
    if (n > 0 && cur < n - 1) return GoToRow(cur + 1);
    // On the last record: moving down appends a new one, unless the last one
    // is an appended record that nothing was typed into yet.
    if (!CommitCell()) return false;
    if (ds->State() == dsInsert && !ds->Modified()) return false;
    BusyScope busy(busy_);
    bool ok = TryRun([&] {
        if (ds->State() != dsBrowse) ds->CheckBrowseMode();
        ds->Append();
    });
    CloseEditor();
    EnsureCurrentVisible();
    viewport()->update();
    return ok;
}

void TDBGrid::MoveCol(int delta, bool wrap) {
    TClientDataSet* ds = ActiveDataSet();
    if (!ds || ColCount() == 0) return;
    const int target = col_ + delta;
    if (target >= 0 && target < ColCount()) {
        SetCol(target);
        return;
    }
    if (!wrap) return;
    if (delta > 0) {
        if (MoveDown()) col_ = 0;
    } else {
        const int cur = ds->ViewPosition();
        if (cur > 0 && GoToRow(cur - 1)) col_ = ColCount() - 1;
    }
    EnsureColVisible();
    viewport()->update();
}

void TDBGrid::InsertRecord() {
    TClientDataSet* ds = ActiveDataSet();
    if (!ds) return;
    if (!CommitCell()) return;
    CloseEditor();
    BusyScope busy(busy_);
    TryRun([&] { ds->Insert(); });
    EnsureCurrentVisible();
    viewport()->update();
}

void TDBGrid::DeleteRecord() {
    TClientDataSet* ds = ActiveDataSet();
    if (!ds || ds->ViewCount() == 0 || !ConfirmRecordDelete(this)) return;
    CloseEditor();
    BusyScope busy(busy_);
    TryRun([&] { DeleteCurrentRecord(*ds); });
    EnsureCurrentVisible();
    viewport()->update();
}

void TDBGrid::Escape() {
    TClientDataSet* ds = ActiveDataSet();
    if (editorOpen_ && editorModified_) {
        ReloadEditor();  // the typing in this cell is undone
        return;
    }
    if (ds && ds->State() != dsBrowse) {
        CloseEditor();
        BusyScope busy(busy_);
        TryRun([&] { ds->Cancel(); });
        EnsureCurrentVisible();
        viewport()->update();
        return;
    }
    CloseEditor();
}

void TDBGrid::StartTyping(QKeyEvent* e) {
    TClientDataSet* ds = ActiveDataSet();
    if (!ds || ColCount() == 0) return;
    if (ds->State() == dsBrowse) {
        BusyScope busy(busy_);
        // On an empty dataset this appends the first record.
        if (!TryRun([&] { ds->Edit(); })) return;
    }
    if (ds->ViewPosition() < 0) return;
    OpenEditor(true);
    if (!editorOpen_) return;
    // The typed key replaces the selected text.
    QKeyEvent copy(e->type(), e->key(), e->modifiers(), e->text(), e->isAutoRepeat(), e->count());
    QCoreApplication::sendEvent(editor_, &copy);
}

bool TDBGrid::HandleKey(QKeyEvent* e) {
    TClientDataSet* ds = ActiveDataSet();
    if (!ds || ColCount() == 0) return false;
    const Qt::KeyboardModifiers mods = e->modifiers() & (Qt::ControlModifier | Qt::ShiftModifier |
                                                         Qt::AltModifier | Qt::MetaModifier);
    const bool ctrl = mods & Qt::ControlModifier;
    const bool alt = mods & (Qt::AltModifier | Qt::MetaModifier);
    if (alt) return false;
    switch (e->key()) {
        case Qt::Key_Up:
            MoveRows(-1);
            return true;
        case Qt::Key_Down:
            MoveDown();
            return true;
        case Qt::Key_PageUp:
            MoveRows(-std::max(1, VisibleRowCount()));
            return true;
        case Qt::Key_PageDown:
            MoveRows(std::max(1, VisibleRowCount()));
            return true;
        case Qt::Key_Home:
            if (ctrl) {
                GoToRow(0);
                return true;
            }
            if (editorOpen_) return false;
            SetCol(0);
            return true;
        case Qt::Key_End:
            if (ctrl) {
                GoToRow(ds->ViewCount() - 1);
                return true;
            }
            if (editorOpen_) return false;
            SetCol(ColCount() - 1);
            return true;
        case Qt::Key_Left:
        case Qt::Key_Right:
            if (editorOpen_ || ctrl) return false;
            MoveCol(e->key() == Qt::Key_Left ? -1 : 1, false);
            return true;
        case Qt::Key_Tab:
            if (ctrl) return false;
            MoveCol(mods & Qt::ShiftModifier ? -1 : 1, true);
            return true;
        case Qt::Key_Backtab:
            if (ctrl) return false;
            MoveCol(-1, true);
            return true;
        case Qt::Key_Return:
        case Qt::Key_Enter:
            if (editorOpen_) {
                if (CommitCell()) CloseEditor();
            } else {
                OpenEditor(true);
            }
            return true;
        case Qt::Key_F2:
            if (!editorOpen_) OpenEditor(false);
            return true;
        case Qt::Key_Escape:
            Escape();
            return true;
        case Qt::Key_Insert:
            if (mods) return false;
            InsertRecord();
            return true;
        case Qt::Key_Delete:
            if (!ctrl) return false;
            DeleteRecord();
            return true;
        default:
            break;
    }
    if (editorOpen_ || ctrl) return false;
    const QString text = e->text();
    if (text.isEmpty() || !text.at(0).isPrint()) return false;
    StartTyping(e);
    return true;
}

void TDBGrid::keyPressEvent(QKeyEvent* e) {
    bool taken = false;
    Guarded([&] { taken = HandleKey(e); });
    if (taken)
        e->accept();
    else
        QAbstractScrollArea::keyPressEvent(e);
}

bool TDBGrid::focusNextPrevChild(bool next) {
    // Tab moves between the cells, not out of the grid.
    if (ColCount() > 0) return false;
    return QAbstractScrollArea::focusNextPrevChild(next);
}

bool TDBGrid::eventFilter(QObject* watched, QEvent* e) {
    if (watched == editor_) {
        if (e->type() == QEvent::KeyPress) {
            bool taken = false;
            Guarded([&] { taken = HandleKey(static_cast<QKeyEvent*>(e)); });
            return taken;
        }
        if (e->type() == QEvent::FocusOut)
            Guarded([&] { LeftGrid(static_cast<QFocusEvent*>(e)->reason()); });
    }
    return QAbstractScrollArea::eventFilter(watched, e);
}

void TDBGrid::focusOutEvent(QFocusEvent* e) {
    QAbstractScrollArea::focusOutEvent(e);
    Guarded([&] { LeftGrid(e->reason()); });
    viewport()->update();
}

void TDBGrid::LeftGrid(Qt::FocusReason reason) {
    // A message box or a menu takes the focus only for a moment.
    if (reason == Qt::ActiveWindowFocusReason || reason == Qt::PopupFocusReason) return;
    QWidget* now = QApplication::focusWidget();
    if (now && (now == this || isAncestorOf(now))) return;
    if (busy_ || committing_) return;
    // Leaving the grid takes the typed text, and drops an inserted record
    // left without a change.
    if (!CommitCell()) return;
    TClientDataSet* ds = ActiveDataSet();
    if (ds && ds->State() == dsInsert && !ds->Modified()) {
        CloseEditor();
        BusyScope busy(busy_);
        TryRun([&] { ds->Cancel(); });
    }
}

// ---------------------------------------------------------------- mouse

void TDBGrid::mousePressEvent(QMouseEvent* e) {
    Guarded([&] { MousePress(e); });
}

void TDBGrid::MousePress(QMouseEvent* e) {
    if (e->button() != Qt::LeftButton) return;
    const QPoint pos = e->position().toPoint();
    const int rh = RowHeight();
    if (pos.y() < rh) {
        // A title's right border starts resizing its column.
        const int c = GripColAt(pos.x());
        if (c >= 0) {
            resizingCol_ = c;
            resizeStartX_ = pos.x();
            resizeStartWidth_ = ColWidth(c);
        }
        return;
    }
    TClientDataSet* ds = ActiveDataSet();
    if (!ds) return;
    const int r = RowAt(pos.y());
    const int c = ColAt(pos.x());
    if (c >= 0 && OnEmptyRow(pos.y())) {
        SetCol(c);
        return;
    }
    if (r < 0 || c == -2) return;
    if (r == ds->ViewPosition()) {
        if (c >= 0) SetCol(c);
        return;
    }
    if (GoToRow(r) && c >= 0 && ds->ViewPosition() >= 0) {
        col_ = c;
        EnsureColVisible();
        viewport()->update();
    }
}

void TDBGrid::mouseMoveEvent(QMouseEvent* e) {
    const QPoint pos = e->position().toPoint();
    if (resizingCol_ >= 0) {
        SetColWidth(resizingCol_, resizeStartWidth_ + pos.x() - resizeStartX_);
        return;
    }
    if (pos.y() < RowHeight() && GripColAt(pos.x()) >= 0)
        viewport()->setCursor(Qt::SplitHCursor);
    else
        viewport()->unsetCursor();
}

void TDBGrid::mouseReleaseEvent(QMouseEvent*) {
    resizingCol_ = -1;
}

void TDBGrid::mouseDoubleClickEvent(QMouseEvent* e) {
    Guarded([&] { MouseDoubleClick(e); });
}

void TDBGrid::MouseDoubleClick(QMouseEvent* e) {
    if (e->button() != Qt::LeftButton) return;
    TClientDataSet* ds = ActiveDataSet();
    if (!ds) return;
    const QPoint pos = e->position().toPoint();
    const int r = RowAt(pos.y());
    const int c = ColAt(pos.x());
    const bool current = (r >= 0 && r == ds->ViewPosition()) || OnEmptyRow(pos.y());
    if (current && c == col_ && !editorOpen_) OpenEditor(true);
}
