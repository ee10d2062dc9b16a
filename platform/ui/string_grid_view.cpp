#include "platform/ui/string_grid_view.h"

#include <QFocusEvent>
#include <QKeyEvent>
#include <QLineEdit>
#include <QMouseEvent>
#include <QPainter>
#include <QScopedValueRollback>
#include <QScrollBar>
#include <QStyle>
#include <QStyleOptionFocusRect>
#include <algorithm>

#include "platform/ui/application.h"
#include "platform/ui/qt_text.h"

namespace {
// Every cell is followed by a grid line of this width, to its right and below it.
constexpr int kLine = 1;
}  // namespace

TStringGridView::TStringGridView(QWidget* parent) : QAbstractScrollArea(parent) {
    setFocusPolicy(Qt::StrongFocus);
    viewport()->setBackgroundRole(QPalette::Base);
    verticalScrollBar()->setSingleStep(1);
    horizontalScrollBar()->setSingleStep(1);

    editor_ = new QLineEdit(viewport());
    editor_->setObjectName("InplaceEditor");
    editor_->setFrame(false);
    editor_->setTextMargins(1, 0, 0, 0);
    editor_->hide();
    editor_->installEventFilter(this);
    connect(editor_, &QLineEdit::textEdited, this, [this](const QString& text) {
        if (syncing_ || !editorMode_ || !CurrentExists()) return;
        Guarded([&] { grid_.SetCells(grid_.Col(), grid_.Row(), QStringToAnsi(text)); });
    });

    topRow_ = grid_.FixedRows();
    leftCol_ = grid_.FixedCols();
    shownRow_ = grid_.Row();
    shownCol_ = grid_.Col();
    gridChange_ = grid_.AddChangeListener([this] { ModelChanged(); });
    UpdateScrollBars();
}

TStringGridView::~TStringGridView() = default;

// ---------------------------------------------------------------- geometry

void TStringGridView::Relayout() {
    UpdateScrollBars();
    PlaceEditor();
    viewport()->update();
}

void TStringGridView::SetDefaultColWidth(int w) {
    defaultColWidth_ = w;
    colWidths_.clear();
    Relayout();
}

void TStringGridView::SetColWidth(int col, int w) {
    if (col < 0) return;
    if (static_cast<size_t>(col) >= colWidths_.size()) colWidths_.resize(col + 1, -1);
    colWidths_[col] = w;
    Relayout();
}

int TStringGridView::ColWidth(int col) const {
    if (col >= 0 && static_cast<size_t>(col) < colWidths_.size() && colWidths_[col] >= 0)
        return colWidths_[col];
    return defaultColWidth_;
}

void TStringGridView::SetDefaultRowHeight(int h) {
    rowHeight_ = h;
    Relayout();
}

int TStringGridView::FixedWidth() const {
    int w = 0;
    for (int c = 0; c < std::min(grid_.FixedCols(), grid_.ColCount()); ++c)
        w += ColWidth(c) + kLine;
    return w;
}

int TStringGridView::FixedHeight() const {
    return std::min(grid_.FixedRows(), grid_.RowCount()) * (rowHeight_ + kLine);
}

int TStringGridView::ColX(int col) const {
    if (col < grid_.FixedCols()) {
        int x = 0;
        for (int c = 0; c < col; ++c) x += ColWidth(c) + kLine;
        return x;
    }
    if (col < leftCol_) return -1;
    int x = FixedWidth();
    for (int c = leftCol_; c < col; ++c) x += ColWidth(c) + kLine;
    return x;
}

int TStringGridView::RowY(int row) const {
    if (row < grid_.FixedRows()) return row * (rowHeight_ + kLine);
    if (row < topRow_) return -1;
    return FixedHeight() + (row - topRow_) * (rowHeight_ + kLine);
}

int TStringGridView::FullyVisibleRows() const {
    int avail = viewport()->height() - FixedHeight();
    return std::max(1, avail / (rowHeight_ + kLine));
}

QRect TStringGridView::CellRect(int col, int row) const {
    if (col < 0 || row < 0 || col >= grid_.ColCount() || row >= grid_.RowCount()) return QRect();
    int x = ColX(col);
    int y = RowY(row);
    if (x < 0 || y < 0) return QRect();
    QRect visible = QRect(x, y, ColWidth(col), rowHeight_).intersected(viewport()->rect());
    return visible.isEmpty() ? QRect() : visible;
}

bool TStringGridView::CellAt(const QPoint& pos, int& col, int& row) const {
    col = row = -1;
    auto findCol = [&](int first, int last, int x) {
        for (int c = first; c < last && x < viewport()->width(); ++c) {
            int w = ColWidth(c) + kLine;
            if (pos.x() >= x && pos.x() < x + w) return c;
            x += w;
        }
        return -1;
    };
    int fixedCols = std::min(grid_.FixedCols(), grid_.ColCount());
    col = findCol(0, fixedCols, 0);
    if (col < 0) col = findCol(leftCol_, grid_.ColCount(), FixedWidth());

    int fixedRows = std::min(grid_.FixedRows(), grid_.RowCount());
    int h = rowHeight_ + kLine;
    if (pos.y() >= 0 && pos.y() < fixedRows * h) {
        row = pos.y() / h;
    } else if (pos.y() >= fixedRows * h) {
        int r = topRow_ + (pos.y() - fixedRows * h) / h;
        if (r < grid_.RowCount()) row = r;
    }
    return col >= 0 && row >= 0;
}

bool TStringGridView::CurrentExists() const {
    int r = grid_.Row();
    int c = grid_.Col();
    return r >= grid_.FixedRows() && r < grid_.RowCount() && c >= grid_.FixedCols() &&
           c < grid_.ColCount();
}

// ---------------------------------------------------------------- scrolling

void TStringGridView::UpdateScrollBars() {
    int fixedRows = grid_.FixedRows();
    int maxTop = std::max(fixedRows, grid_.RowCount() - FullyVisibleRows());
    verticalScrollBar()->setRange(0, maxTop - fixedRows);
    verticalScrollBar()->setPageStep(FullyVisibleRows());

    int fixedCols = grid_.FixedCols();
    int maxLeft = grid_.ColCount() - 1;
    if (maxLeft >= fixedCols) {
        int avail = viewport()->width() - FixedWidth();
        int used = ColWidth(maxLeft) + kLine;
        while (maxLeft - 1 >= fixedCols && used + ColWidth(maxLeft - 1) + kLine <= avail) {
            --maxLeft;
            used += ColWidth(maxLeft) + kLine;
        }
    }
    maxLeft = std::max(maxLeft, fixedCols);
    horizontalScrollBar()->setRange(0, maxLeft - fixedCols);
    horizontalScrollBar()->setPageStep(1);
    SyncFromBars();
}

void TStringGridView::SyncFromBars() {
    int top = grid_.FixedRows() + verticalScrollBar()->value();
    int left = grid_.FixedCols() + horizontalScrollBar()->value();
    if (top == topRow_ && left == leftCol_) return;
    topRow_ = top;
    leftCol_ = left;
    PlaceEditor();
    viewport()->update();
    emit Scrolled();
}

void TStringGridView::SetTopLeft(int topRow, int leftCol) {
    verticalScrollBar()->setValue(topRow - grid_.FixedRows());
    horizontalScrollBar()->setValue(leftCol - grid_.FixedCols());
    SyncFromBars();
}

void TStringGridView::ScrollToCurrent() {
    if (!CurrentExists()) return;
    int r = grid_.Row();
    int c = grid_.Col();
    int top = topRow_;
    int left = leftCol_;
    if (r < top) {
        top = r;
    } else {
        int rows = FullyVisibleRows();
        if (r >= top + rows) top = r - rows + 1;
    }
    if (c < left) {
        left = c;
    } else {
        int x = FixedWidth();
        for (int i = left; i < c; ++i) x += ColWidth(i) + kLine;
        while (left < c && x + ColWidth(c) > viewport()->width()) {
            x -= ColWidth(left) + kLine;
            ++left;
        }
    }
    SetTopLeft(top, left);
}

void TStringGridView::scrollContentsBy(int, int) {
    SyncFromBars();
}

void TStringGridView::resizeEvent(QResizeEvent* e) {
    QAbstractScrollArea::resizeEvent(e);
    UpdateScrollBars();
    PlaceEditor();
}

// ---------------------------------------------------------------- model

void TStringGridView::ModelChanged() {
    UpdateScrollBars();
    if (grid_.Row() != shownRow_ || grid_.Col() != shownCol_) {
        shownRow_ = grid_.Row();
        shownCol_ = grid_.Col();
        if (!grid_.HasOption(goAlwaysShowEditor)) HideEditor();
        ScrollToCurrent();
    }
    if (editorMode_ && (!grid_.HasOption(goEditing) || !CurrentExists())) HideEditor();
    if (editorMode_) {
        QString text = AnsiToQString(grid_.CellRef(grid_.Col(), grid_.Row()));
        if (editor_->text() != text) {
            int pos = editor_->cursorPosition();
            QScopedValueRollback<bool> syncing(syncing_, true);
            editor_->setText(text);
            editor_->setCursorPosition(std::min<int>(pos, text.size()));
        }
        PlaceEditor();
    }
    viewport()->update();
}

// ---------------------------------------------------------------- editor

QLineEdit* TStringGridView::Editor() const {
    return editor_;
}

void TStringGridView::ShowEditor() {
    if (!grid_.HasOption(goEditing) || !CurrentExists()) return;
    editorMode_ = true;
    {
        QScopedValueRollback<bool> syncing(syncing_, true);
        editor_->setText(AnsiToQString(grid_.CellRef(grid_.Col(), grid_.Row())));
    }
    PlaceEditor();
    if (editor_->isVisibleTo(this)) editor_->setFocus(Qt::OtherFocusReason);
}

void TStringGridView::HideEditor() {
    if (!editorMode_) return;
    editorMode_ = false;
    if (editor_->hasFocus()) setFocus(Qt::OtherFocusReason);
    editor_->hide();
}

void TStringGridView::PlaceEditor() {
    if (!editorMode_) return;
    QRect r = CellRect(grid_.Col(), grid_.Row());
    if (r.isEmpty()) {
        // Scrolled out of view: the editor waits hidden until its cell comes back.
        if (editor_->hasFocus()) setFocus(Qt::OtherFocusReason);
        editor_->hide();
        return;
    }
    editor_->setGeometry(r);
    if (editor_->isHidden()) {
        editor_->show();
        if (hasFocus()) editor_->setFocus(Qt::OtherFocusReason);
    }
}

void TStringGridView::focusInEvent(QFocusEvent* e) {
    QAbstractScrollArea::focusInEvent(e);
    if (editorMode_ && !editor_->isHidden()) editor_->setFocus(Qt::OtherFocusReason);
    viewport()->update();
}

bool TStringGridView::eventFilter(QObject* watched, QEvent* e) {
    if (watched == editor_ && e->type() == QEvent::KeyPress) {
        auto* k = static_cast<QKeyEvent*>(e);
        int key = k->key();
        bool toGrid = key == Qt::Key_Up || key == Qt::Key_Down || key == Qt::Key_PageUp ||
                      key == Qt::Key_PageDown;
        if ((key == Qt::Key_Tab || key == Qt::Key_Backtab) && grid_.HasOption(goTabs))
            toGrid = true;
        // At the ends of the text Left and Right leave the cell.
        if (!editor_->hasSelectedText() && k->modifiers() == Qt::NoModifier) {
            if (key == Qt::Key_Left && editor_->cursorPosition() == 0) toGrid = true;
            if (key == Qt::Key_Right && editor_->cursorPosition() == editor_->text().size())
                toGrid = true;
        }
        if (toGrid) {
            bool done = false;
            Guarded([&] { done = Navigate(key, k->modifiers()); });
            if (done) return true;
        }
    }
    return QAbstractScrollArea::eventFilter(watched, e);
}

// ---------------------------------------------------------------- input

bool TStringGridView::Navigate(int key, Qt::KeyboardModifiers mods) {
    const int fr = grid_.FixedRows();
    const int fc = grid_.FixedCols();
    const int rows = grid_.RowCount();
    const int cols = grid_.ColCount();
    int c = grid_.Col();
    int r = grid_.Row();
    const bool ctrl = mods & Qt::ControlModifier;
    switch (key) {
        case Qt::Key_Up:
            --r;
            break;
        case Qt::Key_Down:
            ++r;
            break;
        case Qt::Key_Left:
            --c;
            break;
        case Qt::Key_Right:
            ++c;
            break;
        case Qt::Key_PageUp:
            r = std::max(fr, r - FullyVisibleRows());
            break;
        case Qt::Key_PageDown:
            r = std::min(rows - 1, r + FullyVisibleRows());
            break;
        case Qt::Key_Home:
            c = fc;
            if (ctrl) r = fr;
            break;
        case Qt::Key_End:
            c = cols - 1;
            if (ctrl) r = rows - 1;
            break;
        case Qt::Key_Tab:
        case Qt::Key_Backtab: {
            if (!grid_.HasOption(goTabs) || (mods & Qt::AltModifier)) return false;
            bool back = key == Qt::Key_Backtab || (mods & Qt::ShiftModifier);
            if (back) {
                if (--c < fc) {
                    c = cols - 1;
                    if (--r < fr) r = rows - 1;
                }
            } else if (++c >= cols) {
                c = fc;
                if (++r >= rows) r = fr;
            }
            break;
        }
        default:
            return false;
    }
    if (r >= fr && r < rows && c >= fc && c < cols) grid_.MoveTo(c, r);
    return true;
}

void TStringGridView::keyPressEvent(QKeyEvent* e) {
    bool handled = false;
    Guarded([&] {
        if (Navigate(e->key(), e->modifiers())) {
            handled = true;
            return;
        }
        if (!grid_.HasOption(goEditing) || !CurrentExists()) return;
        if (e->key() == Qt::Key_F2) {
            ShowEditor();
            handled = true;
            return;
        }
        // A printable character opens the editor with that character as the cell's text.
        QString text = e->text();
        if (!text.isEmpty() && text.at(0).isPrint() &&
            !(e->modifiers() & (Qt::ControlModifier | Qt::AltModifier))) {
            ShowEditor();
            grid_.SetCells(grid_.Col(), grid_.Row(), QStringToAnsi(text));
            editor_->end(false);
            handled = true;
        }
    });
    if (handled)
        e->accept();
    else
        e->ignore();
}

void TStringGridView::mousePressEvent(QMouseEvent* e) {
    if (e->button() != Qt::LeftButton) {
        QAbstractScrollArea::mousePressEvent(e);
        return;
    }
    setFocus(Qt::MouseFocusReason);
    int col, row;
    if (!CellAt(e->position().toPoint(), col, row)) return;
    if (col < grid_.FixedCols() || row < grid_.FixedRows()) return;
    Guarded([&] {
        if (col == grid_.Col() && row == grid_.Row())
            ShowEditor();
        else
            grid_.MoveTo(col, row);
    });
}

void TStringGridView::mouseDoubleClickEvent(QMouseEvent* e) {
    int col, row;
    if (e->button() == Qt::LeftButton && CellAt(e->position().toPoint(), col, row) &&
        col == grid_.Col() && row == grid_.Row())
        Guarded([&] { ShowEditor(); });
}

void TStringGridView::mouseReleaseEvent(QMouseEvent* e) {
    e->accept();
}

bool TStringGridView::focusNextPrevChild(bool next) {
    // With goTabs, Tab moves from cell to cell instead of leaving the grid.
    if (grid_.HasOption(goTabs)) return false;
    return QAbstractScrollArea::focusNextPrevChild(next);
}

// ---------------------------------------------------------------- painting

void TStringGridView::paintEvent(QPaintEvent*) {
    // Nothing may leave a paint event: a picture that cannot be drawn stays as
    // far as it got.
    try {
        QPainter p(viewport());
        Paint(p);
    } catch (...) {
    }
}

void TStringGridView::Paint(QPainter& p) {
    const QPalette& pal = palette();
    const QRect area = viewport()->rect();
    p.fillRect(area, pal.base());

    // The shown columns with their left edges, the fixed ones first.
    std::vector<std::pair<int, int>> cols;
    int x = 0;
    for (int c = 0; c < std::min(grid_.FixedCols(), grid_.ColCount()); ++c) {
        cols.emplace_back(c, x);
        x += ColWidth(c) + kLine;
    }
    for (int c = leftCol_; c < grid_.ColCount() && x < area.width(); ++c) {
        cols.emplace_back(c, x);
        x += ColWidth(c) + kLine;
    }
    std::vector<int> rows;
    for (int r = 0; r < std::min(grid_.FixedRows(), grid_.RowCount()); ++r) rows.push_back(r);
    for (int r = topRow_, y = FixedHeight(); r < grid_.RowCount() && y < area.height(); ++r) {
        rows.push_back(r);
        y += rowHeight_ + kLine;
    }

    const bool focused = hasFocus() || editor_->hasFocus();
    for (int r : rows) {
        for (const auto& [c, cx] : cols) {
            const QRect cell(cx, RowY(r), ColWidth(c), rowHeight_);
            const bool fixed = c < grid_.FixedCols() || r < grid_.FixedRows();
            const bool current = !fixed && c == grid_.Col() && r == grid_.Row();
            QColor textColor = pal.color(QPalette::Text);
            if (fixed) {
                p.fillRect(cell, pal.button());
                // Raised look: light edges top and left, dark edges bottom and right.
                p.setPen(pal.color(QPalette::Light));
                p.drawLine(cell.topLeft(), cell.topRight());
                p.drawLine(cell.topLeft(), cell.bottomLeft());
                p.setPen(pal.color(QPalette::Mid));
                p.drawLine(cell.bottomLeft(), cell.bottomRight());
                p.drawLine(cell.topRight(), cell.bottomRight());
                textColor = pal.color(QPalette::ButtonText);
            } else if (current) {
                p.fillRect(cell, pal.highlight());
                textColor = pal.color(QPalette::HighlightedText);
            }
            p.save();
            p.setClipRect(cell);
            p.setPen(textColor);
            p.drawText(cell.adjusted(2, 0, -2, 0), Qt::AlignLeft | Qt::AlignVCenter,
                       AnsiToQString(grid_.CellRef(c, r)));
            p.restore();
            if (current && focused) {
                QStyleOptionFocusRect opt;
                opt.initFrom(this);
                opt.rect = cell;
                opt.backgroundColor = pal.color(QPalette::Highlight);
                style()->drawPrimitive(QStyle::PE_FrameFocusRect, &opt, &p, this);
            }

            const bool vert = grid_.HasOption(fixed ? goFixedVertLine : goVertLine);
            const bool horz = grid_.HasOption(fixed ? goFixedHorzLine : goHorzLine);
            p.setPen(fixed ? pal.color(QPalette::Shadow) : pal.color(QPalette::Button));
            if (vert) p.drawLine(cell.right() + 1, cell.top(), cell.right() + 1, cell.bottom() + 1);
            if (horz)
                p.drawLine(cell.left(), cell.bottom() + 1, cell.right() + 1, cell.bottom() + 1);
        }
    }
}
