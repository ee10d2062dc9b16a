// The data grid's editing: the in-place editor, moving the cursor, Insert,
// Ctrl+Del, Escape, typing into a cell and the keys and focus that drive them.
#include <QApplication>
#include <QKeyEvent>
#include <QLineEdit>
#include <QScopedValueRollback>
#include <algorithm>

#include "platform/ui/data_source.h"
#include "platform/ui/db_grid.h"
#include "platform/ui/db_grid_internal.h"
#include "platform/ui/qt_text.h"

using namespace db_grid_detail;

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
