#pragma once
// A view over the core's TStringGrid model: fixed rows and columns drawn as
// headings and never current; clicks, arrow keys and Tab move the current cell
// through the model (so OnSelectCell runs before the move) and then scroll it
// into view; the in-place editor is open only while goEditing is set and takes
// every typed change into the cell at once.
//
// The view scrolls by whole cells, as the platform's grid does: the fixed rows
// and columns always stay in place, and TopRow/LeftCol name the first
// scrollable row and column shown.

#include <QAbstractScrollArea>
#include <QRect>
#include <memory>
#include <vector>

#include "platform/core/string_grid.h"

class QLineEdit;
class QPainter;

class TStringGridView : public QAbstractScrollArea {
    Q_OBJECT
  public:
    explicit TStringGridView(QWidget* parent = nullptr);
    ~TStringGridView() override;
    TStringGrid& Grid() { return grid_; }
    const TStringGrid& Grid() const { return grid_; }

    // Setting the default width gives every column that width.
    void SetDefaultColWidth(int w);
    int DefaultColWidth() const { return defaultColWidth_; }
    void SetColWidth(int col, int w);
    int ColWidth(int col) const;
    void SetDefaultRowHeight(int h);
    int DefaultRowHeight() const { return rowHeight_; }

    int TopRow() const { return topRow_; }
    int LeftCol() const { return leftCol_; }

    // The rectangle of a cell in the viewport's coordinates as now displayed:
    // the visible part of a partly visible cell, an empty rectangle when out of view.
    QRect CellRect(int col, int row) const;
    // The cell under a viewport point; false when the point lies on no cell.
    bool CellAt(const QPoint& pos, int& col, int& row) const;
    // Scrolls so that the current cell is in view.
    void ScrollToCurrent();

    // The in-place editor (a line edit over the current cell; hidden while closed).
    QLineEdit* Editor() const;
    bool EditorMode() const { return editorMode_; }
    // Opens the editor on the current cell; nothing unless goEditing is set.
    void ShowEditor();
    void HideEditor();

  signals:
    // The first shown row or column changed (by the scroll bars or because the
    // current cell was scrolled into view).
    void Scrolled();

  protected:
    void paintEvent(QPaintEvent* e) override;
    void mousePressEvent(QMouseEvent* e) override;
    void mouseDoubleClickEvent(QMouseEvent* e) override;
    void mouseReleaseEvent(QMouseEvent* e) override;
    void keyPressEvent(QKeyEvent* e) override;
    void resizeEvent(QResizeEvent* e) override;
    void scrollContentsBy(int dx, int dy) override;
    void focusInEvent(QFocusEvent* e) override;
    bool focusNextPrevChild(bool next) override;
    bool eventFilter(QObject* watched, QEvent* e) override;

  private:
    // Left edge of a column / top edge of a row in viewport coordinates, or
    // -1 when it lies scrolled away to the left or above.
    int ColX(int col) const;
    int RowY(int row) const;
    int FixedWidth() const;
    int FixedHeight() const;
    bool CurrentExists() const;
    bool Navigate(int key, Qt::KeyboardModifiers mods);
    void ModelChanged();
    void UpdateScrollBars();
    void SetTopLeft(int topRow, int leftCol);
    void SyncFromBars();
    int FullyVisibleRows() const;
    void PlaceEditor();
    void Relayout();  // after a size change: scroll bars, editor place, repaint
    void Paint(QPainter& p);

    TStringGrid grid_;
    TSubscription gridChange_;  // ModelChanged on every change of grid_
    int rowHeight_ = 24;
    int defaultColWidth_ = 64;
    std::vector<int> colWidths_;  // explicit widths; missing or negative = default
    int topRow_ = 1;
    int leftCol_ = 1;
    int shownRow_ = -1;  // the current cell as the view last saw it
    int shownCol_ = -1;
    bool editorMode_ = false;
    bool syncing_ = false;
    QLineEdit* editor_ = nullptr;
};
