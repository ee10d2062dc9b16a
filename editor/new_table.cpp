#include "editor/new_table.h"

#include <QLabel>
#include <QLineEdit>

#include "editor/field_grid_editing.h"
#include "platform/core/number_text.h"
#include "platform/ui/application.h"
#include "platform/ui/bit_btn.h"
#include "platform/ui/combo_box.h"
#include "platform/ui/labeled_edit.h"
#include "platform/ui/qt_text.h"
#include "platform/ui/string_grid_view.h"
#include "platform/ui/up_down.h"
#include "ui_new_table.h"

TfmNewTable* fmNewTable = nullptr;

TfmNewTable::TfmNewTable(QWidget* parent) : QDialog(parent), ui_(new Ui::TfmNewTable) {
    ui_->setupUi(this);
    setWindowFlags(Qt::Dialog | Qt::WindowTitleHint | Qt::WindowCloseButtonHint |
                   Qt::MSWindowsFixedSizeDialogHint);
    setFixedSize(335, 403);
    SetFormFont(this, "MS Sans Serif", 11);
    Panel1 = ui_->Panel1;
    sgFields = ui_->sgFields;
    udFieldCount = ui_->udFieldCount;
    leFieldCount = ui_->leFieldCount;
    leFieldCount->EditLabel()->setText(QString::fromUtf8("Anzahl Felder:"));
    cbTypes = ui_->cbTypes;
    cbSize = ui_->cbSize;
    BitBtn1 = ui_->BitBtn1;
    BitBtn2 = ui_->BitBtn2;

    TStringGrid& grid = sgFields->Grid();
    grid.SetColCount(3);
    grid.SetRowCount(2);
    grid.SetFixedRows(1);
    grid.SetFixedCols(0);
    sgFields->SetDefaultColWidth(64);
    sgFields->SetDefaultRowHeight(18);
    grid.SetOptions({goFixedVertLine, goFixedHorzLine, goVertLine, goHorzLine, goRangeSelect,
                     goEditing, goTabs});
    grid.MoveTo(0, 1);  // the top-left cell that is not fixed

    udFieldCount->SetMin(1);
    udFieldCount->SetMax(1000);
    udFieldCount->SetPosition(1);
    udFieldCount->SetAssociate(leFieldCount);

    editing_ = std::make_unique<TFieldGridEditing>(sgFields, cbTypes, cbSize, 1);
    cbTypes->SetItemIndex(0);
    cbSize->SetItemIndex(0);

    BitBtn1->SetKind(bkOK);
    BitBtn2->SetKind(bkCancel);

    FormCreate(this);

    grid.OnSelectCell = [this](int col, int row, bool& canSelect) {
        Guarded([&] { sgFieldsSelectCell(sgFields, col, row, canSelect); });
    };
    cbTypes->OnChange = [this] { Guarded([this] { cbTypesChange(cbTypes); }); };
    cbSize->OnChange = [this] { Guarded([this] { cbSizeChange(cbSize); }); };
    cbTypes->OnEnter = [this] { Guarded([this] { cbTypesEnter(cbTypes); }); };
    cbSize->OnEnter = [this] { Guarded([this] { cbSizeEnter(cbSize); }); };
    connect(leFieldCount, &QLineEdit::textChanged, this,
            [this] { Guarded([this] { leFieldCountChange(leFieldCount); }); });
}

TfmNewTable::~TfmNewTable() = default;

int TfmNewTable::ShowModal() {
    return exec();
}

void TfmNewTable::reject() {
    done(2);
}

void TfmNewTable::FormCreate(QObject*) {
    TStringGrid& grid = sgFields->Grid();
    grid.SetCells(0, 0, "Name");
    grid.SetCells(1, 0, "Datentyp");
    grid.SetCells(2, 0, Utf8ToAnsi("Länge"));
    grid.SetCells(0, 1, "Field1");
    grid.SetCells(1, 1, FieldKinds::String);
    grid.SetCells(2, 1, FieldKinds::DefaultLength);
}

void TfmNewTable::leFieldCountChange(QObject*) {
    TStringGrid& grid = sgFields->Grid();
    const int count = StrToInt(QStringToAnsi(leFieldCount->text()));
    grid.SetRowCount(count + 1);
    // The name is formed from the count text as it stands.
    const AnsiString name = "Field" + QStringToAnsi(leFieldCount->text());
    const int last = grid.RowCount() - 1;
    grid.SetCells(0, last, name);
    grid.SetCells(1, last, FieldKinds::String);
    grid.SetCells(2, last, FieldKinds::DefaultLength);
}

void TfmNewTable::sgFieldsSelectCell(QObject*, int ACol, int ARow, bool& CanSelect) {
    editing_->SelectCell(ACol, ARow, CanSelect);
}

void TfmNewTable::cbTypesChange(QObject*) {
    editing_->TypesChange();
}

void TfmNewTable::cbSizeChange(QObject*) {
    editing_->SizeChange();
}

void TfmNewTable::cbTypesEnter(QObject*) {
    editing_->TypesEnter();
}

void TfmNewTable::cbSizeEnter(QObject*) {
    editing_->SizeEnter();
}

void TfmNewTable::PlaceTypeCombo(const QRect& cellRect) {
    editing_->PlaceTypeCombo(cellRect);
}

void TfmNewTable::PlaceSizeCombo(const QRect& cellRect) {
    editing_->PlaceSizeCombo(cellRect);
}
