#include "editor/Main.h"

#include <QApplication>
#include <QCloseEvent>
#include <QFile>
#include <QFileDialog>
#include <QFileInfo>
#include <QGuiApplication>
#include <QKeySequence>
#include <QLabel>
#include <QMenuBar>
#include <QStatusBar>
#include <QPageSetupDialog>
#include <QPixmap>
#include <QPrintDialog>
#include <QPrinter>

#include "editor/data_module.h"
#include "editor/edit_table.h"
#include "editor/file_commands.h"
#include "editor/field_text.h"
#include "editor/info_dlg.h"
#include "editor/new_table.h"
#include "editor/sort_index.h"
#include "editor/table_structure.h"
#include "platform/core/exceptions.h"
#include "platform/core/show_message.h"
#include "platform/dataset/client_dataset.h"
#include "platform/ui/application.h"
#include "platform/ui/qt_text.h"
#include "platform/ui/combo_box.h"
#include "platform/ui/db_grid.h"
#include "platform/ui/db_navigator.h"
#include "platform/ui/speed_button.h"
#include "table_file/sy_db.h"
#include "ui_Main.h"

TClientDataSet* ActiveTable = nullptr;
QString CurrentFileName;
QString NoSortCaption;
TMainForm* MainForm = nullptr;

static void InitEditorResources() {
    Q_INIT_RESOURCE(editor);
}

namespace {

const char* const FileFilters[] = {"Quimbly Table Format (*.qmt)", "Alle Dateien (*)"};

// Shows the busy cursor while a long operation runs.
class TBusyCursor {
  public:
    TBusyCursor() { QApplication::setOverrideCursor(Qt::WaitCursor); }
    ~TBusyCursor() { QApplication::restoreOverrideCursor(); }
    TBusyCursor(const TBusyCursor&) = delete;
    TBusyCursor& operator=(const TBusyCursor&) = delete;
};

// A glyph file holds the enabled picture and the disabled one side by side.
// Runs a file dialog that starts on fileName (when given) and takes the chosen name back.
bool RunFileDialog(QFileDialog& dialog, QString& fileName) {
    if (!fileName.isEmpty()) dialog.selectFile(fileName);
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) return false;
    fileName = dialog.selectedFiles().first();
    return true;
}

std::string PathBytes(const QString& path) {
    return QFile::encodeName(path).toStdString();
}

}  // namespace

TMainForm::TMainForm(QWidget* parent) : QMainWindow(parent) {
    InitEditorResources();
    MainForm = this;
    ui_ = std::make_unique<Ui::TMainForm>();
    ui_->setupUi(this);
    MainMenu = ui_->MainMenu;
    FileNewItem = ui_->FileNewItem;
    FileOpenItem = ui_->FileOpenItem;
    FileSaveItem = ui_->FileSaveItem;
    FileSaveAsItem = ui_->FileSaveAsItem;
    FilePrintItem = ui_->FilePrintItem;
    FilePrintSetupItem = ui_->FilePrintSetupItem;
    FileExitItem = ui_->FileExitItem;
    EditUndoItem = ui_->EditUndoItem;
    EditCutItem = ui_->EditCutItem;
    EditCopyItem = ui_->EditCopyItem;
    EditPasteItem = ui_->EditPasteItem;
    HelpContentsItem = ui_->HelpContentsItem;
    HelpSearchItem = ui_->HelpSearchItem;
    HelpHowToUseItem = ui_->HelpHowToUseItem;
    HelpAboutItem = ui_->HelpAboutItem;
    StatusLine = ui_->StatusLine;
    SpeedBar = ui_->SpeedBar;
    sbNew = ui_->sbNew;
    sbOpen = ui_->sbOpen;
    sbSave = ui_->sbSave;
    sbSaveAs = ui_->sbSaveAs;
    Panel1 = ui_->Panel1;
    Panel2 = ui_->Panel2;
    dbgQMT = ui_->dbgQMT;
    sbEditTable = ui_->sbEditTable;
    Panel4 = ui_->Panel4;
    Panel5 = ui_->Panel5;
    Panel6 = ui_->Panel6;
    Panel7 = ui_->Panel7;
    DBNTable = ui_->DBNTable;
    Panel3 = ui_->Panel3;
    lSort = ui_->lSort;
    cbSort = ui_->cbSort;
    sbDirAsc = ui_->sbDirAsc;
    sbDirDesc = ui_->sbDirDesc;
    TabStructureItem = ui_->TabStructureItem;
    setWindowIcon(QIcon(":/glyphs/program_icon.png"));

    // The separators of the menus.
    for (QAction* separator : {ui_->N1, ui_->N2, ui_->N3, ui_->N4}) separator->setSeparator(true);

    // The status line shows one simple text across the whole bar.
    statusText_ = new QLabel(StatusLine);
    statusText_->setObjectName("StatusLineText");
    StatusLine->addWidget(statusText_, 1);

    // Design hints.
    SetHint(sbNew, "Neu|");
    SetHint(sbOpen, "Öffnen|");
    SetHint(sbSave, "Speichern|");
    SetHint(sbSaveAs, "Speichern unter|");
    SetHint(sbEditTable, "Tabellenstruktur ändern|");
    SetHint(sbDirAsc, "aufsteigend");
    SetHint(sbDirDesc, "absteigend");
    const std::pair<QAction*, const char*> actionHints[] = {
        {FileNewItem, "Neue Datei erzeugen"},
        {FileOpenItem, "Existierende Datei öffnen"},
        {FileSaveItem, "Aktuelle Datei speichern"},
        {FileSaveAsItem, "Aktuelle Datei unter neuem Namen speichern"},
        {FilePrintItem, "Aktuelle Datei drucken"},
        {FilePrintSetupItem, "Druckereinrichtung ändern"},
        {FileExitItem, "Diese Anwendung beenden"},
        {EditUndoItem, "Die letzte Aktion rückgängig machen"},
        {EditCutItem, "Markiertes Element löschen"},
        {EditCopyItem, "Markiertes Element in Zwischenablage kopieren"},
        {EditPasteItem, "Inhalt der Zwischenablage einfügen"},
        {HelpContentsItem, "Inhaltsübersicht der Hilfe anzeigen"},
        {HelpSearchItem, "Hilfe zu einem Thema suchen"},
        {HelpHowToUseItem, "Hilfe zur Benutzung des Hilfesystems"},
        {HelpAboutItem, "Programminformationen anzeigen"},
    };
    for (const auto& [action, hint] : actionHints) SetActionHint(action, QString::fromUtf8(hint));
    RouteMenuHints(MainMenu);
    // The File menu carries the shortcut Ctrl+F; it runs no command.
    ui_->FileMenu->menuAction()->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_F));

    // Glyphs.
    sbNew->LoadGlyph(":/glyphs/sbNew.png");
    sbOpen->LoadGlyph(":/glyphs/sbOpen.png");
    sbSave->LoadGlyph(":/glyphs/sbSave.png");
    sbSaveAs->LoadGlyph(":/glyphs/sbSaveAs.png");
    sbEditTable->LoadGlyph(":/glyphs/sbEditTable.png");
    sbDirAsc->LoadGlyph(":/glyphs/sbDirAsc.png");
    sbDirDesc->LoadGlyph(":/glyphs/sbDirDesc.png");

    // The sort controls: the two direction buttons form one group.
    cbSort->SetStyle(csDropDown);
    sbDirAsc->SetGroupIndex(1);
    sbDirDesc->SetGroupIndex(1);
    sbDirAsc->SetDown(true);
    // The sort panel keeps to the right edge of its bar.
    Panel7->installEventFilter(this);

    // The navigator: the buttons and hints of the design.
    DBNTable->SetVisibleButtons(
        {nbFirst, nbPrior, nbNext, nbLast, nbInsert, nbDelete, nbPost, nbCancel});
    DBNTable->SetHints({"", "Vorheriger Datensatz", "Nächster Datensatz", "Letzter Datensatz",
                        "Datensatz einfügen", "Datensatz löschen", "Datensatz bearbeiten",
                        "Übernehmen", "Bearbeiten abbrechen", "Daten aktualisieren"});

    // Event bindings; every handler runs through the application's guard.
    auto click = [this](void (TMainForm::*handler)()) {
        return [this, handler] { Guarded([this, handler] { (this->*handler)(); }); };
    };
    auto bind = [this, &click](QAction* action, void (TMainForm::*handler)()) {
        connect(action, &QAction::triggered, this, click(handler));
    };
    bind(FileNewItem, &TMainForm::FileNew);
    bind(FileOpenItem, &TMainForm::FileOpen);
    bind(FileSaveItem, &TMainForm::FileSave);
    bind(FileSaveAsItem, &TMainForm::FileSaveAs);
    bind(FilePrintItem, &TMainForm::FilePrint);
    bind(FilePrintSetupItem, &TMainForm::FilePrintSetup);
    bind(FileExitItem, &TMainForm::FileExit);
    bind(EditUndoItem, &TMainForm::EditUndo);
    bind(EditCutItem, &TMainForm::EditCut);
    bind(EditCopyItem, &TMainForm::EditCopy);
    bind(EditPasteItem, &TMainForm::EditPaste);
    bind(TabStructureItem, &TMainForm::sbEditTableClick);
    bind(HelpContentsItem, &TMainForm::HelpContents);
    bind(HelpSearchItem, &TMainForm::HelpSearch);
    bind(HelpHowToUseItem, &TMainForm::HelpHowToUse);
    bind(HelpAboutItem, &TMainForm::HelpAbout);
    sbNew->OnClick = click(&TMainForm::FileNew);
    sbOpen->OnClick = click(&TMainForm::FileOpen);
    sbSave->OnClick = click(&TMainForm::FileSave);
    sbSaveAs->OnClick = click(&TMainForm::FileSaveAs);
    sbEditTable->OnClick = click(&TMainForm::sbEditTableClick);
    sbDirAsc->OnClick = click(&TMainForm::sbDirAscClick);
    sbDirDesc->OnClick = click(&TMainForm::sbDirDescClick);
    cbSort->OnChange = click(&TMainForm::cbSortChange);

    OpenDialogExecute = [this](QString& fileName) { return RunOpenDialog(fileName); };
    SaveDialogExecute = [this](QString& fileName) { return RunSaveDialog(fileName); };

    SetFormFont(this, "MS Sans Serif", 11);
    SetOuterSize(this, QSize(780, 580));
    // The window cannot get so narrow that the sort controls slide over the navigator.
    Panel7->setMinimumWidth(DBNTable->x() + DBNTable->width() + Panel3->width());
    MoveToDesignedPlace(this, QPoint(743, 273));
    FormCreate();
}

TMainForm::~TMainForm() {
    if (Application) Application->OnHint = nullptr;
    dbgQMT->SetDataSource(nullptr);
    DBNTable->SetDataSource(nullptr);
    // The text hooks of the tables' fields call this window; the data module
    // may outlive it (when it is gone, so are its fields).
    if (dm1) {
        for (TClientDataSet* table : {dm1->cdsQMT1, dm1->cdsQMT2}) {
            TFields& fields = table->Fields();
            for (int i = 0; i < fields.Count(); ++i) {
                fields[i].OnGetText = nullptr;
                fields[i].OnSetText = nullptr;
            }
        }
    }
    if (MainForm == this) MainForm = nullptr;
}

// ---------------------------------------------------------------- creation, hints

void TMainForm::FormCreate() {
    Application->OnHint = [this] { Guarded([this] { ShowHint(); }); };
    CurrentFileName.clear();
    MainForm->setWindowTitle(MainCaption);
    NoSortCaption = "[Keine]";
}

void TMainForm::ShowHint() {
    SetStatusText(Application->Hint());
}

QString TMainForm::StatusText() const {
    return statusText_->text();
}

void TMainForm::SetStatusText(const QString& text) {
    statusText_->setText(text);
}

bool TMainForm::event(QEvent* e) {
    // The status line shows the application's hint only, not Qt's status tips.
    if (e->type() == QEvent::StatusTip) return true;
    return QMainWindow::event(e);
}

bool TMainForm::eventFilter(QObject* watched, QEvent* e) {
    if (watched == Panel7 && e->type() == QEvent::Resize)
        Panel3->setGeometry(Panel7->width() - Panel3->width(), 0, Panel3->width(),
                            Panel7->height());
    return QMainWindow::eventFilter(watched, e);
}

// ---------------------------------------------------------------- shared steps

void TMainForm::SetTableCommandsEnabled(bool on) {
    for (QWidget* w : std::initializer_list<QWidget*>{sbSave, sbSaveAs, sbEditTable, cbSort,
                                                      sbDirAsc, sbDirDesc})
        w->setEnabled(on);
    for (QAction* a : {FileSaveItem, FileSaveAsItem, TabStructureItem}) a->setEnabled(on);
}

void TMainForm::BindGrid() {
    dm1->dsQMT->SetDataSet(ActiveTable);
    dbgQMT->SetDataSource(dm1->dsQMT);
    DBNTable->SetDataSource(dm1->dsQMT);
}

void TMainForm::DetachGrid() {
    dbgQMT->SetDataSource(nullptr);
    // The navigator drives the table the grid shows, so it lets go as well.
    DBNTable->SetDataSource(nullptr);
}

void TMainForm::TakeTypedText() {
    if (dbgQMT->DataSource() == dm1->dsQMT && dm1->dsQMT->DataSet() == ActiveTable)
        dm1->dsQMT->UpdateRecord();
}

void TMainForm::RefillSortBox() {
    cbSort->ClearAll();
    cbSort->AddItem(NoSortCaption);
    TFields& fields = ActiveTable->Fields();
    for (int i = 0; i < fields.Count(); ++i) {
        TField& field = fields[i];
        cbSort->AddItem(AnsiToQString(field.FieldName()));
        field.OnGetText = [this](TField& sender, AnsiString& text, bool displayText) {
            FieldGetText(sender, text, displayText);
        };
        field.OnSetText = [this](TField& sender, const AnsiString& text) {
            FieldSetText(sender, text);
        };
    }
    cbSort->SetItemIndex(0);
}

// ---------------------------------------------------------------- file commands

bool TMainForm::RunOpenDialog(QString& fileName) {
    QFileDialog dialog(this);
    dialog.setAcceptMode(QFileDialog::AcceptOpen);
    // A typed name of a file that does not exist is returned too; reading it reports the error.
    dialog.setFileMode(QFileDialog::AnyFile);
    dialog.setNameFilters({FileFilters[0], FileFilters[1]});
    dialog.setOption(QFileDialog::HideNameFilterDetails);
    return RunFileDialog(dialog, fileName);
}

bool TMainForm::RunSaveDialog(QString& fileName) {
    QFileDialog dialog(this);
    dialog.setAcceptMode(QFileDialog::AcceptSave);
    dialog.setNameFilters({FileFilters[0], FileFilters[1]});
    dialog.setOption(QFileDialog::HideNameFilterDetails);
    dialog.setDefaultSuffix("qmt");
    // FileSaveAs asks itself before it replaces a file.
    dialog.setOption(QFileDialog::DontConfirmOverwrite);
    return RunFileDialog(dialog, fileName);
}

void TMainForm::FileNew() {
    if (fmNewTable->ShowModal() != 1) return;
    dbgQMT->setVisible(false);
    DetachGrid();
    ActiveTable = dm1->cdsQMT1;
    // The table shown so far is given up: until the new one exists no command
    // may act on a table, so that nothing half-built can be saved over a file.
    SetTableCommandsEnabled(false);
    ActiveTable->ResetStructure();
    // Columns of the dialog's grid: name, kind, length.
    AddFieldDefs(ActiveTable->FieldDefs(), fmNewTable->sgFields->Grid(), 0,
                 TKindNames::WithInteger);
    ActiveTable->CreateDataSet();

    BindGrid();
    dbgQMT->setVisible(true);
    // A new table has no file yet: only "Save as" writes it.
    SetTableCommandsEnabled(true);
    sbSave->setEnabled(false);
    FileSaveItem->setEnabled(false);
    RefillSortBox();
    setWindowTitle(MainCaption);
}

void TMainForm::FileOpen() {
    QString path;
    if (!OpenDialogExecute(path)) return;
    DBNTable->setVisible(false);
    dbgQMT->setVisible(false);
    DetachGrid();
    ActiveTable = dm1->cdsQMT1;
    // The table shown so far is given up; see FileNew.
    SetTableCommandsEnabled(false);
    bool loaded;
    {
        TBusyCursor busy;
        loaded = LoadTableFile(PathBytes(path), *ActiveTable);
    }
    if (!loaded) {
        ShowMessage(Msg::OpenFileError + path.toStdString());
        return;
    }
    ActiveTable->Open();
    BindGrid();
    dbgQMT->setVisible(true);
    DBNTable->setVisible(true);
    CurrentFileName = path;
    SetTableCommandsEnabled(true);
    setWindowTitle(CurrentFileName + " - " + MainCaption);
    RefillSortBox();
}

void TMainForm::FileSave() {
    if (CurrentFileName.isEmpty()) {
        FileSaveAs();
        return;
    }
    WriteActiveTable(CurrentFileName);
}

void TMainForm::FileSaveAs() {
    QString path = CurrentFileName;
    if (!SaveDialogExecute(path)) return;
    if (QFileInfo(path).suffix().isEmpty()) path += ".qmt";
    // Replacing an existing file needs the user's word.
    if (QFileInfo::exists(path) &&
        !Application->Confirm(
            QString::fromUtf8(Msg::ConfirmCaption),
            QString::fromStdString(FormatMessage(Msg::ReplaceFileQuestion, {path.toStdString()})),
            this))
        return;
    if (!WriteActiveTable(path)) return;
    CurrentFileName = path;
    sbSave->setEnabled(true);
    FileSaveItem->setEnabled(true);
    setWindowTitle(CurrentFileName + " - " + MainCaption);
}

bool TMainForm::WriteActiveTable(const QString& path) {
    TakeTypedText();
    dbgQMT->setVisible(false);
    bool saved;
    {
        TBusyCursor busy;
        saved = WriteTableFile(PathBytes(path), *ActiveTable);
    }
    if (!saved) ShowMessage(Msg::SaveFileError + path.toStdString());
    dbgQMT->setVisible(true);
    return saved;
}

void TMainForm::FilePrint() {
    QPrinter printer;
    QPrintDialog dialog(&printer, this);
    dialog.exec();
}

void TMainForm::FilePrintSetup() {
    QPrinter printer;
    QPageSetupDialog dialog(&printer, this);
    dialog.exec();
}

void TMainForm::FileExit() {
    close();
}

void TMainForm::EditUndo() {}
void TMainForm::EditCut() {}
void TMainForm::EditCopy() {}
void TMainForm::EditPaste() {}

// No help file exists; the help items are hidden and their commands do nothing.
void TMainForm::HelpContents() {}
void TMainForm::HelpSearch() {}
void TMainForm::HelpHowToUse() {}

void TMainForm::HelpAbout() {
    AboutBox->exec();
}

// ---------------------------------------------------------------- restructure

void TMainForm::sbEditTableClick() {
    if (fmEditTable->ShowModal() != 1) return;
    TakeTypedText();
    DetachGrid();
    TClientDataSet* source = ActiveTable == dm1->cdsQMT1 ? dm1->cdsQMT1 : dm1->cdsQMT2;
    TClientDataSet* target = source == dm1->cdsQMT1 ? dm1->cdsQMT2 : dm1->cdsQMT1;
    try {
        TBusyCursor busy;
        Restructure(*source, *target, fmEditTable->sgFields->Grid());
    } catch (...) {
        // The old table stays the shown one: the grid shows it again.
        BindGrid();
        throw;
    }
    ActiveTable = target;
    BindGrid();
    RefillSortBox();
    source->FieldDefs().Clear();
    source->IndexDefs().Clear();
}

// ---------------------------------------------------------------- sorting

void TMainForm::cbSortChange() {
    TakeTypedText();
    const int index = cbSort->ItemIndex();
    if (index <= 0) {
        DropSortIndex(*ActiveTable);
        return;
    }
    {
        TBusyCursor busy;
        SortByColumn(*ActiveTable, QStringToAnsi(cbSort->Item(index)));
    }
    sbDirAsc->SetDown(true);
}

void TMainForm::SortDirection(bool descending) {
    const int index = cbSort->ItemIndex();
    if (index <= 0) return;
    TakeTypedText();
    TBusyCursor busy;
    RebuildSortIndex(*ActiveTable, QStringToAnsi(cbSort->Item(index)), descending);
}

void TMainForm::sbDirAscClick() {
    SortDirection(false);
}

void TMainForm::sbDirDescClick() {
    SortDirection(true);
}

// ---------------------------------------------------------------- field value text

void TMainForm::FieldGetText(TField& sender, AnsiString& text, bool /*displayText*/) {
    text = FieldValueText(sender);
}

void TMainForm::FieldSetText(TField& sender, const AnsiString& text) {
    SetFieldValueFromText(sender, text);
}
