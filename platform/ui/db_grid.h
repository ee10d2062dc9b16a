#pragma once
// The data-aware grid: titles = field names, an indicator column, in-place
// editing through the fields' text hooks, Insert before the current record,
// appending by moving down past the last record, Escape (cell, then record),
// Ctrl+Del with the confirmation "Datensatz löschen?", Tab between cells.
//
// The grid's current row is always the dataset's current record. Drawing asks
// the dataset only for the rows shown (ViewDisplayText); the cursor moves only
// when the user moves the current row. A table without records shows one
// empty row, marked as current; typing into it appends the first record.
//
// A column is at least as wide as its title; text columns are sized for their
// length (up to a limit), the other kinds for their usual values.
//
// No exception leaves an event handler of the grid: painting swallows what a
// field's text hook raises, input shows it through the application's error
// display.
//
// The grid's code lies in four files: db_grid.cpp (the data source, its
// notifications and the mouse), db_grid_layout.cpp (columns and geometry),
// db_grid_paint.cpp (drawing) and db_grid_editing.cpp (the in-place editor,
// moving, keys and focus).

#include <QAbstractScrollArea>
#include <QPointer>
#include <QString>
#include <vector>

#include "platform/dataset/client_dataset.h"

class QLineEdit;
class QPainter;
class TDataSource;

class TDBGrid : public QAbstractScrollArea {
    Q_OBJECT
  public:
    explicit TDBGrid(QWidget* parent = nullptr);
    ~TDBGrid() override;
    TDataSource* DataSource() const;
    void SetDataSource(TDataSource* source);  // nullptr detaches

    // Data columns, one per field of the open dataset (none without one).
    int ColCount() const { return static_cast<int>(columns_.size()); }
    QString ColumnTitle(int col) const;
    int ColWidth(int col) const;
    void SetColWidth(int col, int width);
    // The current column (a field index), -1 without columns.
    int Col() const { return columns_.empty() ? -1 : col_; }
    void SetCol(int col);  // takes a changed cell's text first, like Tab
    // The view position of the first row shown, and how many rows fit.
    int TopRow() const;
    int VisibleRowCount() const;
    // A cell's rectangle in viewport coordinates (col -1: the indicator),
    // for the view position viewPos; empty when that row is not shown.
    QRect CellRect(int col, int viewPos) const;

    // The in-place editor; open while EditorMode() is true.
    QLineEdit* InplaceEditor() const { return editor_; }
    bool EditorMode() const;
    void SetEditorMode(bool on);

  protected:
    void paintEvent(QPaintEvent* e) override;
    void changeEvent(QEvent* e) override;
    void keyPressEvent(QKeyEvent* e) override;
    void mousePressEvent(QMouseEvent* e) override;
    void mouseMoveEvent(QMouseEvent* e) override;
    void mouseReleaseEvent(QMouseEvent* e) override;
    void mouseDoubleClickEvent(QMouseEvent* e) override;
    void resizeEvent(QResizeEvent* e) override;
    void scrollContentsBy(int dx, int dy) override;
    void focusOutEvent(QFocusEvent* e) override;
    bool focusNextPrevChild(bool next) override;
    bool eventFilter(QObject* watched, QEvent* e) override;

  private:
    struct Column {
        AnsiString name;
        QString title;
        TFieldType type;
        int size;
        int width;
        bool sized;  // the width was set (by the user's drag or by code)
    };

    TClientDataSet* ActiveDataSet() const;  // nullptr unless set and open
    void OnDataEvent(TDataEvent e);
    void OnDataSetChanged();
    void SyncColumns();
    int DefaultColWidth(const Column& c) const;
    int RowHeight() const;
    int IndicatorWidth() const;
    int ColLeft(int col) const;  // in content coordinates (before scrolling)
    int TotalWidth() const;
    int DataWidth() const;       // the viewport's width right of the indicator column
    int GripColAt(int x) const;  // the column whose title border lies at x, or -1
    void UpdateScrollBars();
    void EnsureCurrentVisible();
    void EnsureColVisible();
    int RowAt(int y) const;  // view position, -1 for none/title
    // Whether y lies on the empty row shown for a table without records.
    bool OnEmptyRow(int y) const;
    void Paint(QPainter& p);
    int ColAt(int x) const;  // field index, -1 for the indicator, -2 for none
    QRect RawCellRect(int col, int viewPos) const;  // unclipped
    void LeftGrid(Qt::FocusReason reason);
    void MousePress(QMouseEvent* e);
    void MouseDoubleClick(QMouseEvent* e);

    // Key handling shared by the grid and its in-place editor; true when taken.
    bool HandleKey(QKeyEvent* e);
    bool GoToRow(int target);  // moves the cursor to a view position
    void MoveRows(int delta);
    bool MoveDown();  // true when the cursor moved or a record was appended
    void MoveCol(int delta, bool wrap);
    void InsertRecord();
    void DeleteRecord();
    void Escape();
    void StartTyping(QKeyEvent* e);

    void OpenEditor(bool selectAll);
    void CloseEditor();
    void PlaceEditor();
    void ReloadEditor();
    void OnEditorTextEdited(const QString& text);
    // Hands a changed cell's text to the field (raises what the hook raises).
    void CommitCellOrThrow();
    bool CommitCell();  // the same through the error display; false on failure

    QPointer<TDataSource> source_;
    QMetaObject::Connection eventConn_, changeConn_, destroyConn_;
    TSubscription updateHandler_;
    std::vector<Column> columns_;
    int col_ = 0;
    QLineEdit* editor_;
    bool editorOpen_ = false;
    bool editorModified_ = false;
    int busy_ = 0;  // > 0 while the grid itself drives the dataset
    bool committing_ = false;
    int resizingCol_ = -1;
    int resizeStartX_ = 0;
    int resizeStartWidth_ = 0;
};
