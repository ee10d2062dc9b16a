#pragma once
// The base of the new-table and the restructure dialog: a grid of column
// definitions (name columns, a kind column and, right of it, a length column)
// with two drop-down pickers that are laid over the selected cell, the kind
// picker and the length picker. Which cell shows which picker, when the grid
// lets the user type, and what a choice writes into the grid. The whole state
// lives in the grid's cells, its goEditing option and the pickers'
// visibility, bounds and selected entry.

#include <QDialog>
#include <QMetaObject>
#include <QRect>

#include "editor/field_kinds.h"
#include "platform/core/ansi.h"
#include "platform/core/subscription.h"

class TComboBox;
class TStringGridView;

class TFieldGridDialog : public QDialog {
    Q_OBJECT
  public:
    ~TFieldGridDialog() override;

    TStringGridView* sgFields = nullptr;
    TComboBox* cbTypes = nullptr;
    TComboBox* cbSize = nullptr;

    // Before the grid's current cell moves to (ACol, ARow); CanSelect stays true.
    void sgFieldsSelectCell(QObject* Sender, int ACol, int ARow, bool& CanSelect);
    // The user picked an entry of the kind picker / of the length picker.
    void cbTypesChange(QObject* Sender);
    void cbSizeChange(QObject* Sender);
    // A picker received the input focus: the other one is hidden.
    void cbTypesEnter(QObject* Sender);
    void cbSizeEnter(QObject* Sender);

  public slots:
    // Abbrechen, Escape and closing the window give the modal result 2.
    void reject() override;

  protected:
    explicit TFieldGridDialog(QWidget* parent);

    // A dialog frame of a fixed size: no resizing, no help button.
    void SetFixedFrame(int width, int height);
    // Needs sgFields, cbTypes and cbSize. kindCol: the grid column of the kind
    // names; the lengths lie in kindCol + 1. The pickers are filled with their
    // entries and hidden.
    void SetUpCellEditing(int kindCol);
    // Routes the grid's cell selection and the pickers' events to the handlers.
    void BindCellEditing();
    // Fills a row as a new column definition: the name left of the kind
    // column, the kind "String" and the default length.
    void FillNewRow(int row, const AnsiString& name);
    // Lay a picker over a cell rectangle given in the grid's viewport coordinates.
    void PlaceTypeCombo(const QRect& cellRect);
    void PlaceSizeCombo(const QRect& cellRect);

  private:
    struct Pending {
        int col = -1;
        int row = -1;
    };
    int KindCol() const { return kindCol_; }
    int LengthCol() const { return kindCol_ + 1; }
    void Place(TComboBox* picker, const QRect& cellRect);
    void ReLayPending();

    int kindCol_ = 0;
    // The cell over which each picker was laid by the last selection, until the
    // grid has finished moving there: a cell that was out of view when the
    // selection came gets its picker once the grid has scrolled it into view.
    Pending typesCell_;
    Pending sizesCell_;
    bool selecting_ = false;
    // Both end with the dialog, before its child windows go.
    TSubscription gridChange_;
    QMetaObject::Connection scrolled_;
};
