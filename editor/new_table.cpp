#include "editor/new_table.h"

#include <QLabel>
#include <QLineEdit>

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

TfmNewTable::TfmNewTable(QWidget* parent) : TFieldGridDialog(parent), ui_(new Ui::TfmNewTable) {
    ui_->setupUi(this);
    SetFixedFrame(335, 403);
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

    SetUpCellEditing(1);
    cbTypes->SetItemIndex(0);
    cbSize->SetItemIndex(0);

    BitBtn1->SetKind(bkOK);
    BitBtn2->SetKind(bkCancel);

    FormCreate(this);

    BindCellEditing();
    connect(leFieldCount, &QLineEdit::textChanged, this,
            [this] { Guarded([this] { leFieldCountChange(leFieldCount); }); });
}

// The dialogs belong to the main window and go with it: the global forgets them.
TfmNewTable::~TfmNewTable() {
    if (fmNewTable == this) fmNewTable = nullptr;
}

int TfmNewTable::ShowModal() {
    return exec();
}

void TfmNewTable::FormCreate(QObject*) {
    TStringGrid& grid = sgFields->Grid();
    grid.SetCells(0, 0, "Name");
    grid.SetCells(1, 0, "Datentyp");
    grid.SetCells(2, 0, Utf8ToAnsi("Länge"));
    FillNewRow(1, "Field1");
}

void TfmNewTable::leFieldCountChange(QObject*) {
    TStringGrid& grid = sgFields->Grid();
    const AnsiString countText = QStringToAnsi(leFieldCount->text());
    grid.SetRowCount(StrToInt(countText) + 1);
    // The name is formed from the count text as it stands.
    FillNewRow(grid.RowCount() - 1, "Field" + countText);
}
