#pragma once
// The data-aware grid: titles = field names, an indicator column, in-place
// editing through the fields' text hooks, Insert before the current record,
// appending by moving down past the last record, Escape (cell, then record),
// Ctrl+Del with the confirmation "Datensatz löschen?", Tab between cells.
// It asks the dataset only for the rows it shows.

#include <QWidget>

class TDataSource;

class TDBGrid : public QWidget {
    Q_OBJECT
public:
    explicit TDBGrid(QWidget* parent = nullptr);
    ~TDBGrid() override;
    TDataSource* DataSource() const;
    void SetDataSource(TDataSource* source);  // nullptr detaches

    struct Impl;

private:
    Impl* d_;
};
