#include "editor/startup.h"

#include <QFontMetrics>
#include <QLabel>
#include <QMenuBar>

#include "editor/Main.h"
#include "editor/data_module.h"
#include "editor/edit_table.h"
#include "editor/info_dlg.h"
#include "editor/new_table.h"
#include "platform/ui/application.h"
#include "platform/ui/combo_box.h"
#include "platform/ui/db_navigator.h"
#include "platform/ui/qt_text.h"
#include "platform/ui/speed_button.h"
#include "platform/ui/string_grid_view.h"

namespace {

// The width a heading needs: its text and the cell's margin of two pixels either side.
int HeadingWidth(const TStringGridView& view, int col) {
    return QFontMetrics(view.font()).horizontalAdvance(AnsiToQString(view.Grid().Cells(col, 0))) +
           4;
}

// Where a column is too narrow for the entries of the picker laid over its
// cells, the text wins over the designed width. The donor columns give the
// extra back, a pixel each in turn, as far as their headings allow, so that
// the grid keeps the width it was designed with.
void FitPickerColumn(TStringGridView& view, int col, const QComboBox& picker,
                     std::initializer_list<int> donors) {
    int extra = PickerWidth(&picker, view.DefaultRowHeight()) - view.ColWidth(col);
    if (extra <= 0) return;
    view.SetColWidth(col, view.ColWidth(col) + extra);
    for (bool gave = true; extra > 0 && gave;) {
        gave = false;
        for (int d : donors) {
            if (extra == 0 || view.ColWidth(d) <= HeadingWidth(view, d)) continue;
            view.SetColWidth(d, view.ColWidth(d) - 1);
            --extra;
            gave = true;
        }
    }
}

}  // namespace

void CreateForms() {
    // Menus, tooltips, message boxes and dialogs draw with the forms' font.
    SetApplicationFont("MS Sans Serif", 11);
    // The main window sets MainForm itself before its creation handler runs.
    MainForm = new TMainForm();
    dm1 = new Tdm1();
    // The dialogs belong to the main window: each showing is centred over it
    // and stays above it.
    fmNewTable = new TfmNewTable(MainForm);
    fmEditTable = new TfmEditTable(MainForm);
    AboutBox = new TAboutBox(MainForm);
    // The navigator drives the table that the grid shows.
    MainForm->DBNTable->SetDataSource(dm1->dsQMT);
}

void SetEnglishTexts() {
    TMainForm& m = *MainForm;
    m.FileNewItem->setText("New");
    SetActionHint(m.FileNewItem, "Create New File");
    m.FileOpenItem->setText("Open");
    SetActionHint(m.FileOpenItem, "Open Existing File");
    m.FileSaveItem->setText("Save");
    SetActionHint(m.FileSaveItem, "File Save");
    m.FileSaveAsItem->setText("Save As...");
    SetActionHint(m.FileSaveAsItem, "File Save As");
    m.FileExitItem->setText("Exit");
    SetActionHint(m.FileExitItem, "Exit QMT Editor");
    m.TabStructureItem->setText("Table Configuration...");
    SetActionHint(m.TabStructureItem, "Table Configuration");
    SetActionHint(m.HelpAboutItem, "Program Info");
    const QList<QAction*> menus = m.MainMenu->actions();
    menus[0]->setText("File");
    menus[1]->setText("Edit");
    menus[2]->setText("Help");
    SetHint(m.sbNew, "New|");
    SetHint(m.sbOpen, "Open|");
    SetHint(m.sbSave, "Save|");
    SetHint(m.sbSaveAs, "Save As...|");
    SetHint(m.sbEditTable, "Table Configuration...");
    SetHint(m.sbDirAsc, "Ascending");
    SetHint(m.sbDirDesc, "Descending");
    m.DBNTable->SetHint(nbFirst, "First Record");
    m.DBNTable->SetHint(nbNext, "Next Record");
    m.DBNTable->SetHint(nbLast, "Last Record");
    m.DBNTable->SetHint(nbInsert, "Insert Record");
    m.DBNTable->SetHint(nbDelete, "Delete Record");
    m.DBNTable->SetHint(nbEdit, "Edit Record");
    m.DBNTable->SetHint(nbPost, "Transfer");
    m.DBNTable->SetHint(nbCancel, "Edit Cancel");
    m.DBNTable->SetHint(nbRefresh, "Refresh Data");
    m.lSort->setText("      Sort:");
    NoSortCaption = "[None]";

    TfmEditTable& e = *fmEditTable;
    e.setWindowTitle("Table Configuration");
    SetHint(e.sbRowUp, "Move Row Up");
    SetHint(e.sbRowDown, "Move Row Down");
    SetHint(e.sbRowInsert, "Row Insert");
    SetHint(e.sbRowDelete, "Row Delete");
    TStringGrid& eg = e.sgFields->Grid();
    eg.SetCells(0, 0, "Old Field Name");
    eg.SetCells(1, 0, "New Field Name");
    eg.SetCells(2, 0, "Data Type");
    eg.SetCells(3, 0, "Size");
    FitPickerColumn(*e.sgFields, 2, *e.cbTypes, {0, 1});

    TfmNewTable& n = *fmNewTable;
    n.setWindowTitle("Create New Table");
    n.leFieldCount->EditLabel()->setText("Number Of Fields");
    TStringGrid& ng = n.sgFields->Grid();
    ng.SetCells(1, 0, "Data Type");
    ng.SetCells(2, 0, "Size");
    FitPickerColumn(*n.sgFields, 1, *n.cbTypes, {});
}

void DestroyForms() {
    delete AboutBox;
    AboutBox = nullptr;
    delete fmEditTable;
    fmEditTable = nullptr;
    delete fmNewTable;
    fmNewTable = nullptr;
    // The main window's grid and navigator let go of dsQMT before the data module goes.
    delete MainForm;
    MainForm = nullptr;
    delete dm1;
    dm1 = nullptr;
    ActiveTable = nullptr;
    CurrentFileName.clear();
    NoSortCaption.clear();
}
