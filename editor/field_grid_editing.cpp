#include "editor/field_grid_editing.h"

#include "platform/ui/combo_box.h"
#include "platform/ui/qt_text.h"
#include "platform/ui/string_grid_view.h"

namespace {

int KindIndex(const AnsiString& kind) {
    if (kind == FieldKinds::Number) return 1;
    if (kind == FieldKinds::Boolean) return 2;
    return 0;  // "String" and every other text
}

AnsiString PickedText(const TComboBox* picker) {
    int index = picker->ItemIndex();
    return index < 0 ? AnsiString() : QStringToAnsi(picker->Item(index));
}

}  // namespace

TFieldGridEditing::TFieldGridEditing(TStringGridView* grid, TComboBox* types, TComboBox* sizes,
                                     int kindCol)
    : grid_(grid), types_(types), sizes_(sizes), kindCol_(kindCol), alive_(new bool(true)) {
    types_->SetStyle(csDropDownList);
    sizes_->SetStyle(csDropDownList);
    types_->ClearAll();
    for (const char* kind : {FieldKinds::String, FieldKinds::Number, FieldKinds::Boolean})
        types_->AddItem(QString::fromLatin1(kind));
    sizes_->ClearAll();
    for (const char* length : FieldKinds::Lengths) sizes_->AddItem(QString::fromLatin1(length));
    types_->hide();
    sizes_->hide();

    // Once the grid has moved its current cell (and scrolled it into view), the
    // cell of the last selection is no longer waiting for its picker.
    std::weak_ptr<bool> alive = alive_;
    grid_->Grid().AddChangeListener([this, alive] {
        if (alive.expired() || selecting_) return;
        typesCell_ = sizesCell_ = Pending();
    });
    QObject::connect(grid_, &TStringGridView::Scrolled, grid_, [this, alive] {
        if (!alive.expired()) ReLayPending();
    });
}

TFieldGridEditing::~TFieldGridEditing() = default;

void TFieldGridEditing::SelectCell(int col, int row, bool& canSelect) {
    (void)canSelect;  // no selection is ever refused
    TStringGrid& grid = grid_->Grid();
    struct Selecting {
        bool& flag;
        explicit Selecting(bool& f) : flag(f) { flag = true; }
        ~Selecting() { flag = false; }
    } selecting(selecting_);
    typesCell_ = sizesCell_ = Pending();

    if (col == KindCol()) {
        grid.SetOption(goEditing, true);
        if (row != 0) {
            types_->show();
            types_->SetItemIndex(KindIndex(grid.CellRef(col, row)));
        }
        PlaceTypeCombo(grid_->CellRect(col, row));
        typesCell_ = {col, row};
    } else if (col == LengthCol()) {
        if (row == 0) return;
        PlaceSizeCombo(grid_->CellRect(col, row));
        sizesCell_ = {col, row};
        if (grid.CellRef(KindCol(), row) != FieldKinds::String) {
            sizes_->hide();
            grid.SetOption(goEditing, false);
            grid.SetCells(col, row, FieldKinds::NoLength);
        } else {
            sizes_->show();
            grid.SetOption(goEditing, true);
            if (grid.CellRef(col, row) == FieldKinds::NoLength) {
                sizes_->SetItemIndex(FieldKinds::DefaultLengthIndex);
                grid.SetCells(col, row, FieldKinds::DefaultLength);
            } else {
                sizes_->SetItemIndex(sizes_->IndexOfItem(AnsiToQString(grid.CellRef(col, row))));
            }
        }
    } else {
        types_->hide();
        sizes_->hide();
        grid.SetOption(goEditing, true);
    }
}

void TFieldGridEditing::TypesChange() {
    TStringGrid& grid = grid_->Grid();
    sizes_->hide();
    const int row = grid.Row();
    const AnsiString kind = PickedText(types_);
    grid.SetCells(KindCol(), row, kind);
    grid.SetCells(LengthCol(), row,
                  kind == FieldKinds::String ? FieldKinds::DefaultLength : FieldKinds::NoLength);
}

void TFieldGridEditing::SizeChange() {
    TStringGrid& grid = grid_->Grid();
    types_->hide();
    const int row = grid.Row();
    if (grid.CellRef(KindCol(), row) == FieldKinds::String)
        grid.SetCells(LengthCol(), row, PickedText(sizes_));
    else
        grid.SetCells(LengthCol(), row, FieldKinds::NoLength);
}

void TFieldGridEditing::TypesEnter() {
    sizes_->hide();
}

void TFieldGridEditing::SizeEnter() {
    types_->hide();
}

void TFieldGridEditing::PlaceTypeCombo(const QRect& cellRect) {
    Place(types_, cellRect);
}

void TFieldGridEditing::PlaceSizeCombo(const QRect& cellRect) {
    Place(sizes_, cellRect);
}

void TFieldGridEditing::Place(TComboBox* picker, const QRect& cellRect) {
    // Both corners go from the grid's client area to the screen and from there
    // to the picker's parent; an empty rectangle gives the grid's origin and no size.
    QWidget* client = grid_->viewport();
    QWidget* parent = picker->parentWidget();
    const QRect r = cellRect;
    const QPoint bottomRight = parent->mapFromGlobal(
        client->mapToGlobal(QPoint(r.left() + r.width(), r.top() + r.height())));
    const QPoint topLeft = parent->mapFromGlobal(client->mapToGlobal(r.topLeft()));
    picker->setGeometry(topLeft.x(), topLeft.y(), bottomRight.x() - topLeft.x(),
                        bottomRight.y() - topLeft.y());
    picker->raise();
}

void TFieldGridEditing::ReLayPending() {
    if (typesCell_.row >= 0) PlaceTypeCombo(grid_->CellRect(typesCell_.col, typesCell_.row));
    if (sizesCell_.row >= 0) PlaceSizeCombo(grid_->CellRect(sizesCell_.col, sizesCell_.row));
}
