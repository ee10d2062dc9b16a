#pragma once
// A view over the core's TStringGrid model: fixed rows and columns drawn as
// headings and never current; clicks, arrow keys and Tab move the current cell
// through the model (so OnSelectCell runs before the move); the in-place
// editor is open only while goEditing is set and takes every typed change
// into the cell at once.

#include <QAbstractScrollArea>
#include <QRect>
#include <vector>

#include "platform/core/string_grid.h"

class TStringGridView : public QAbstractScrollArea {
    Q_OBJECT
public:
    explicit TStringGridView(QWidget* parent = nullptr);
    ~TStringGridView() override;
    TStringGrid& Grid() { return grid_; }
    void SetDefaultColWidth(int w);
    void SetColWidth(int col, int w);
    int ColWidth(int col) const;
    void SetDefaultRowHeight(int h);
    int DefaultRowHeight() const { return rowHeight_; }
    // The rectangle of a cell in the viewport's coordinates as now displayed:
    // the visible part of a partly visible cell, an empty rectangle when out of view.
    QRect CellRect(int col, int row) const;
    // Scrolls so that the current cell is in view.
    void ScrollToCurrent();
    QWidget* Editor() const;  // the in-place editor (may be hidden)

    struct Impl;

protected:
    void paintEvent(QPaintEvent* e) override;
    void mousePressEvent(QMouseEvent* e) override;
    void keyPressEvent(QKeyEvent* e) override;
    void resizeEvent(QResizeEvent* e) override;
    bool focusNextPrevChild(bool next) override;

private:
    TStringGrid grid_;
    int rowHeight_ = 24;
    int defaultColWidth_ = 64;
    std::vector<int> colWidths_;
    Impl* d_;
};
