#pragma once
// The cell editing shared by the new-table and the restructure dialog: a
// grid of column definitions (name columns, a kind column and, right of it, a
// length column) with two drop-down pickers that are laid over the selected
// cell, the kind picker and the length picker. Which cell shows which picker,
// when the grid lets the user type, and what a choice writes into the grid.
// The whole state lives in the grid's cells, its goEditing option and the
// pickers' visibility, bounds and selected entry.

#include <QRect>
#include <memory>

#include "platform/core/ansi.h"

class TComboBox;
class TStringGridView;
class QWidget;

namespace FieldKinds {
inline constexpr const char* String = "String";
inline constexpr const char* Number = "Number";
inline constexpr const char* Boolean = "Boolean";
inline constexpr const char* Integer = "Integer";
// Stands in the length cell of a row whose kind is not "String".
inline constexpr const char* NoLength = "-----";
inline constexpr const char* DefaultLength = "32";
// The lengths the length picker offers, in order; DefaultLength is entry 6.
inline constexpr const char* Lengths[] = {"0",  "1",  "2",   "4",   "8",    "16",
                                          "32", "64", "128", "256", "1024", "4096"};
inline constexpr int DefaultLengthIndex = 6;
}  // namespace FieldKinds

class TFieldGridEditing {
  public:
    // kindCol: the grid column of the kind names; the lengths lie in kindCol + 1.
    // The pickers are filled with their entries and hidden.
    TFieldGridEditing(TStringGridView* grid, TComboBox* types, TComboBox* sizes, int kindCol);
    ~TFieldGridEditing();
    TFieldGridEditing(const TFieldGridEditing&) = delete;
    TFieldGridEditing& operator=(const TFieldGridEditing&) = delete;

    int KindCol() const { return kindCol_; }
    int LengthCol() const { return kindCol_ + 1; }

    // Before the grid's current cell moves to (col, row); canSelect stays true.
    void SelectCell(int col, int row, bool& canSelect);
    // The user picked an entry of the kind picker / of the length picker.
    void TypesChange();
    void SizeChange();
    // A picker received the input focus: the other one is hidden.
    void TypesEnter();
    void SizeEnter();
    // Lays a picker over a cell rectangle given in the grid's viewport coordinates.
    void PlaceTypeCombo(const QRect& cellRect);
    void PlaceSizeCombo(const QRect& cellRect);

  private:
    struct Pending {
        int col = -1;
        int row = -1;
    };
    void Place(TComboBox* picker, const QRect& cellRect);
    void ReLayPending();

    TStringGridView* grid_;
    TComboBox* types_;
    TComboBox* sizes_;
    int kindCol_;
    // The cell over which each picker was laid by the last selection, until the
    // grid has finished moving there: a cell that was out of view when the
    // selection came gets its picker once the grid has scrolled it into view.
    Pending typesCell_;
    Pending sizesCell_;
    bool selecting_ = false;
    std::shared_ptr<bool> alive_;
};
