#include "editor/edit_table.h"

#include <QPainter>
#include <QShowEvent>

#include "editor/Main.h"
#include "platform/core/number_text.h"
#include "platform/dataset/client_dataset.h"
#include "platform/ui/application.h"
#include "platform/ui/bit_btn.h"
#include "platform/ui/combo_box.h"
#include "platform/ui/glyphs.h"
#include "platform/ui/qt_text.h"
#include "platform/ui/speed_button.h"
#include "platform/ui/string_grid_view.h"
#include "table_file/sy_standard.h"
#include "ui_edit_table.h"

TfmEditTable* fmEditTable = nullptr;

namespace {

// The pictures are painted at every ratio a screen may have.
void SetRowGlyph(TSpeedButton* button, TRowGlyph kind) {
    bool first = true;
    for (qreal ratio : kGlyphPixelRatios) {
        const QPixmap enabled =
            PaintGlyph(kRowGlyphSize, ratio, [kind](QPainter& p) { DrawRowGlyph(p, kind, true); });
        const QPixmap disabled =
            PaintGlyph(kRowGlyphSize, ratio, [kind](QPainter& p) { DrawRowGlyph(p, kind, false); });
        if (first)
            button->SetGlyph(enabled, disabled);
        else
            button->AddGlyph(enabled, disabled);
        first = false;
    }
}

// The kind name a column of the table shows with; every kind that is neither
// a number nor a truth value is shown as text.
const char* KindName(TFieldType type) {
    switch (type) {
        case ftSmallint:
        case ftInteger:
        case ftWord:
        case ftAutoInc:
        case ftLargeint:
            return FieldKinds::Integer;
        case ftBoolean:
            return FieldKinds::Boolean;
        case ftFloat:
        case ftCurrency:
        case ftBCD:
            return FieldKinds::Number;
        default:
            return FieldKinds::String;
    }
}

}  // namespace

TfmEditTable::TfmEditTable(QWidget* parent) : TFieldGridDialog(parent), ui_(new Ui::TfmEditTable) {
    ui_->setupUi(this);
    SetFixedFrame(367, 321);
    sbRowUp = ui_->sbRowUp;
    sbRowInsert = ui_->sbRowInsert;
    sbRowDelete = ui_->sbRowDelete;
    sbRowDown = ui_->sbRowDown;
    sgFields = ui_->sgFields;
    BitBtn1 = ui_->BitBtn1;
    BitBtn2 = ui_->BitBtn2;
    cbTypes = ui_->cbTypes;
    cbSize = ui_->cbSize;

    SetRowGlyph(sbRowUp, TRowGlyph::Up);
    SetRowGlyph(sbRowInsert, TRowGlyph::Insert);
    SetRowGlyph(sbRowDelete, TRowGlyph::Delete);
    SetRowGlyph(sbRowDown, TRowGlyph::Down);
    SetHint(sbRowUp, QString::fromUtf8("Zeile nach oben"));
    SetHint(sbRowInsert, QString::fromUtf8("Einfügen"));
    SetHint(sbRowDelete, QString::fromUtf8("Löschen"));
    SetHint(sbRowDown, QString::fromUtf8("Zeile nach unten"));

    TStringGrid& grid = sgFields->Grid();
    grid.SetColCount(4);
    grid.SetRowCount(2);
    grid.SetFixedRows(1);
    grid.SetFixedCols(1);
    sgFields->SetDefaultColWidth(92);
    const int widths[] = {92, 92, 56, 38};
    for (int col = 0; col < 4; ++col) sgFields->SetColWidth(col, widths[col]);
    sgFields->SetDefaultRowHeight(18);
    grid.SetOptions({goFixedVertLine, goFixedHorzLine, goVertLine, goHorzLine, goRangeSelect,
                     goEditing, goTabs});
    grid.MoveTo(1, 1);  // the top-left cell that is not fixed

    SetUpCellEditing(2);
    cbTypes->SetItemIndex(-1);
    cbSize->SetItemIndex(-1);

    BitBtn1->SetKind(bkOK);
    BitBtn2->SetKind(bkCancel);

    FormCreate(this);

    BindCellEditing();
    sbRowUp->OnClick = [this] { Guarded([this] { sbRowUpClick(sbRowUp); }); };
    sbRowDown->OnClick = [this] { Guarded([this] { sbRowDownClick(sbRowDown); }); };
    sbRowInsert->OnClick = [this] { Guarded([this] { sbRowInsertClick(sbRowInsert); }); };
    sbRowDelete->OnClick = [this] { Guarded([this] { sbRowDeleteClick(sbRowDelete); }); };
}

// The dialogs belong to the main window and go with it: the global forgets them.
TfmEditTable::~TfmEditTable() {
    if (fmEditTable == this) fmEditTable = nullptr;
}

int TfmEditTable::ShowModal() {
    return exec();
}

void TfmEditTable::showEvent(QShowEvent* e) {
    if (!e->spontaneous()) Guarded([this] { FormShow(this); });
    QDialog::showEvent(e);
}

void TfmEditTable::FormCreate(QObject*) {
    TStringGrid& grid = sgFields->Grid();
    grid.SetCells(0, 0, "Alter Feldname");
    grid.SetCells(1, 0, "Neuer Feldname");
    grid.SetCells(2, 0, "Datentyp");
    grid.SetCells(3, 0, Utf8ToAnsi("Länge"));
}

void TfmEditTable::FormShow(QObject*) {
    TStringGrid& grid = sgFields->Grid();
    TClientDataSet* table = ActiveTable;
    const int count = table && table->Active() ? table->Fields().Count() : 0;
    grid.SetRowCount(count + 1);
    for (int i = 0; i < count; ++i) {
        const TField& field = table->Fields()[i];
        const int row = i + 1;
        grid.SetCells(0, row, field.FieldName());
        grid.SetCells(1, row, field.FieldName());
        const char* kind = KindName(field.DataType());
        grid.SetCells(2, row, kind);
        grid.SetCells(
            3, row,
            kind == FieldKinds::String ? IntToStr(field.Size()) : AnsiString(FieldKinds::NoLength));
    }
}

void TfmEditTable::sbRowUpClick(QObject*) {
    TStringGrid& grid = sgFields->Grid();
    const int row = grid.Row();
    if (row < 2) return;
    GridSwapRows(grid, row, row - 1);
    grid.SetRow(row - 1);
}

void TfmEditTable::sbRowDownClick(QObject*) {
    TStringGrid& grid = sgFields->Grid();
    const int row = grid.Row();
    if (row >= grid.RowCount() - 1) return;
    GridSwapRows(grid, row, row + 1);
    grid.SetRow(row + 1);
}

void TfmEditTable::sbRowInsertClick(QObject*) {
    TStringGrid& grid = sgFields->Grid();
    const int row = grid.Row();
    GridInsertRow(grid, row);
    FillNewRow(row, "Field" + IntToStr(grid.RowCount() - 1));
}

void TfmEditTable::sbRowDeleteClick(QObject*) {
    TStringGrid& grid = sgFields->Grid();
    if (grid.RowCount() <= 2) return;
    GridDeleteRow(grid, grid.Row());
}
