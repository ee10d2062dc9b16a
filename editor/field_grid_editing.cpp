#include "editor/field_grid_editing.h"

#include <QScopedValueRollback>

#include "platform/ui/application.h"
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

TFieldGridDialog::TFieldGridDialog(QWidget* parent) : QDialog(parent) {}

TFieldGridDialog::~TFieldGridDialog() {
    // The grid outlives this part of the dialog while the child windows are
    // destroyed: it must not reach the handlers below any more.
    gridChange_.Reset();
    disconnect(scrolled_);
}

void TFieldGridDialog::SetFixedFrame(int width, int height) {
    setWindowFlags(Qt::Dialog | Qt::WindowTitleHint | Qt::WindowCloseButtonHint |
                   Qt::MSWindowsFixedSizeDialogHint);
    setFixedSize(width, height);
    SetFormFont(this, "MS Sans Serif", 11);
}

void TFieldGridDialog::SetUpCellEditing(int kindCol) {
    kindCol_ = kindCol;
    cbTypes->SetStyle(csDropDownList);
    cbSize->SetStyle(csDropDownList);
    cbTypes->ClearAll();
    for (const char* kind : {FieldKinds::String, FieldKinds::Number, FieldKinds::Boolean})
        cbTypes->AddItem(QString::fromLatin1(kind));
    cbSize->ClearAll();
    for (const char* length : FieldKinds::Lengths) cbSize->AddItem(QString::fromLatin1(length));
    cbTypes->hide();
    cbSize->hide();

    // Once the grid has moved its current cell (and scrolled it into view), the
    // cell of the last selection is no longer waiting for its picker.
    gridChange_ = sgFields->Grid().AddChangeListener([this] {
        if (selecting_) return;
        typesCell_ = sizesCell_ = Pending();
    });
    scrolled_ = connect(sgFields, &TStringGridView::Scrolled, this, [this] { ReLayPending(); });
}

void TFieldGridDialog::BindCellEditing() {
    sgFields->Grid().OnSelectCell = [this](int col, int row, bool& canSelect) {
        Guarded([&] { sgFieldsSelectCell(sgFields, col, row, canSelect); });
    };
    cbTypes->OnChange = [this] { Guarded([this] { cbTypesChange(cbTypes); }); };
    cbSize->OnChange = [this] { Guarded([this] { cbSizeChange(cbSize); }); };
    cbTypes->OnEnter = [this] { Guarded([this] { cbTypesEnter(cbTypes); }); };
    cbSize->OnEnter = [this] { Guarded([this] { cbSizeEnter(cbSize); }); };
}

void TFieldGridDialog::FillNewRow(int row, const AnsiString& name) {
    TStringGrid& grid = sgFields->Grid();
    grid.SetCells(KindCol() - 1, row, name);
    grid.SetCells(KindCol(), row, FieldKinds::String);
    grid.SetCells(LengthCol(), row, FieldKinds::DefaultLength);
}

void TFieldGridDialog::reject() {
    done(2);
}

void TFieldGridDialog::sgFieldsSelectCell(QObject*, int ACol, int ARow, bool&) {
    // No selection is ever refused.
    TStringGrid& grid = sgFields->Grid();
    QScopedValueRollback<bool> selecting(selecting_, true);
    typesCell_ = sizesCell_ = Pending();

    if (ACol == KindCol()) {
        grid.SetOption(goEditing, true);
        if (ARow != 0) {
            cbTypes->show();
            cbTypes->SetItemIndex(KindIndex(grid.CellRef(ACol, ARow)));
        }
        PlaceTypeCombo(sgFields->CellRect(ACol, ARow));
        typesCell_ = {ACol, ARow};
    } else if (ACol == LengthCol()) {
        if (ARow == 0) return;
        PlaceSizeCombo(sgFields->CellRect(ACol, ARow));
        sizesCell_ = {ACol, ARow};
        if (grid.CellRef(KindCol(), ARow) != FieldKinds::String) {
            cbSize->hide();
            grid.SetOption(goEditing, false);
            grid.SetCells(ACol, ARow, FieldKinds::NoLength);
        } else {
            cbSize->show();
            grid.SetOption(goEditing, true);
            if (grid.CellRef(ACol, ARow) == FieldKinds::NoLength) {
                cbSize->SetItemIndex(FieldKinds::DefaultLengthIndex);
                grid.SetCells(ACol, ARow, FieldKinds::DefaultLength);
            } else {
                cbSize->SetItemIndex(cbSize->IndexOfItem(AnsiToQString(grid.CellRef(ACol, ARow))));
            }
        }
    } else {
        cbTypes->hide();
        cbSize->hide();
        grid.SetOption(goEditing, true);
    }
}

void TFieldGridDialog::cbTypesChange(QObject*) {
    TStringGrid& grid = sgFields->Grid();
    cbSize->hide();
    const int row = grid.Row();
    const AnsiString kind = PickedText(cbTypes);
    grid.SetCells(KindCol(), row, kind);
    grid.SetCells(LengthCol(), row,
                  kind == FieldKinds::String ? FieldKinds::DefaultLength : FieldKinds::NoLength);
}

void TFieldGridDialog::cbSizeChange(QObject*) {
    TStringGrid& grid = sgFields->Grid();
    cbTypes->hide();
    const int row = grid.Row();
    grid.SetCells(LengthCol(), row,
                  grid.CellRef(KindCol(), row) == FieldKinds::String ? PickedText(cbSize)
                                                                     : FieldKinds::NoLength);
}

void TFieldGridDialog::cbTypesEnter(QObject*) {
    cbSize->hide();
}

void TFieldGridDialog::cbSizeEnter(QObject*) {
    cbTypes->hide();
}

void TFieldGridDialog::PlaceTypeCombo(const QRect& cellRect) {
    Place(cbTypes, cellRect);
}

void TFieldGridDialog::PlaceSizeCombo(const QRect& cellRect) {
    Place(cbSize, cellRect);
}

void TFieldGridDialog::Place(TComboBox* picker, const QRect& cellRect) {
    // Both corners go from the grid's client area to the screen and from there
    // to the picker's parent; an empty rectangle gives the grid's origin and no size.
    QWidget* client = sgFields->viewport();
    QWidget* parent = picker->parentWidget();
    const QRect& r = cellRect;
    const QPoint bottomRight = parent->mapFromGlobal(
        client->mapToGlobal(QPoint(r.left() + r.width(), r.top() + r.height())));
    const QPoint topLeft = parent->mapFromGlobal(client->mapToGlobal(r.topLeft()));
    picker->setGeometry(topLeft.x(), topLeft.y(), bottomRight.x() - topLeft.x(),
                        bottomRight.y() - topLeft.y());
    picker->raise();
}

void TFieldGridDialog::ReLayPending() {
    if (typesCell_.row >= 0) PlaceTypeCombo(sgFields->CellRect(typesCell_.col, typesCell_.row));
    if (sizesCell_.row >= 0) PlaceSizeCombo(sgFields->CellRect(sizesCell_.col, sizesCell_.row));
}
