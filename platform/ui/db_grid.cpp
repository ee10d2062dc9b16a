#include "platform/ui/db_grid.h"

#include <QLineEdit>
#include <QMouseEvent>
#include <QScopedValueRollback>

#include "platform/ui/application.h"
#include "platform/ui/data_source.h"
#include "platform/ui/db_grid_internal.h"

using namespace db_grid_detail;

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
    updateHandler_.Reset();
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
    }
    updateHandler_.Reset();
    source_ = source;
    if (source) {
        eventConn_ = connect(source, &TDataSource::dataEvent, this, &TDBGrid::OnDataEvent);
        changeConn_ =
            connect(source, &TDataSource::dataSetChanged, this, &TDBGrid::OnDataSetChanged);
        destroyConn_ = connect(source, &QObject::destroyed, this, [this] {
            source_ = nullptr;
            updateHandler_.Reset();
            OnDataSetChanged();
        });
        updateHandler_ = source->AddUpdateHandler([this] {
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
