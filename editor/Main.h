#pragma once
// The main window and the global state of the editor that the other windows share.

#include <QMainWindow>
#include <QString>
#include <functional>
#include <memory>

#include "platform/core/ansi.h"

class QAction;
class QFrame;
class QLabel;
class QMenuBar;
class QStatusBar;
class TComboBox;
class TDBGrid;
class TDBNavigator;
class TSpeedButton;
namespace Ui {
class TMainForm;
}
class TClientDataSet;
class TField;
class TMainForm;

// The dataset now shown (cdsQMT1 or cdsQMT2 of dm1); nullptr before the first table.
extern TClientDataSet* ActiveTable;
// The path of the shown table's file; empty until a file is opened or saved.
extern QString CurrentFileName;
// The text of the sort box's first entry, the no-sort entry.
extern QString NoSortCaption;

extern TMainForm* MainForm;

// The main window's own caption; after an open or a save as it follows the path.
inline constexpr const char* MainCaption = "QMT Editor 1.0.1";

class TMainForm : public QMainWindow {
    Q_OBJECT
  public:
    explicit TMainForm(QWidget* parent = nullptr);
    ~TMainForm() override;

    // Components of the window's layout (Main.ui). The top-level menus and the
    // separators are reached through MainMenu by position.
    QMenuBar* MainMenu;
    QAction* FileNewItem;
    QAction* FileOpenItem;
    QAction* FileSaveItem;
    QAction* FileSaveAsItem;
    QAction* FilePrintItem;
    QAction* FilePrintSetupItem;
    QAction* FileExitItem;
    QAction* EditUndoItem;
    QAction* EditCutItem;
    QAction* EditCopyItem;
    QAction* EditPasteItem;
    QAction* HelpContentsItem;
    QAction* HelpSearchItem;
    QAction* HelpHowToUseItem;
    QAction* HelpAboutItem;
    QStatusBar* StatusLine;
    QFrame* SpeedBar;
    TSpeedButton* sbNew;
    TSpeedButton* sbOpen;
    TSpeedButton* sbSave;
    TSpeedButton* sbSaveAs;
    QFrame* Panel1;
    QFrame* Panel2;
    TDBGrid* dbgQMT;
    TSpeedButton* sbEditTable;
    QFrame* Panel4;
    QFrame* Panel5;
    QFrame* Panel6;
    QFrame* Panel7;
    TDBNavigator* DBNTable;
    QFrame* Panel3;
    QLabel* lSort;
    TComboBox* cbSort;
    TSpeedButton* sbDirAsc;
    TSpeedButton* sbDirDesc;
    QAction* TabStructureItem;

    // The creation handler; runs inside the constructor.
    void FormCreate();
    // Copies the application's current hint to the status line.
    void ShowHint();

    // File commands.
    void FileNew();
    void FileOpen();
    void FileSave();
    void FileSaveAs();
    void FilePrint();
    void FilePrintSetup();
    void FileExit();
    // Edit commands of the hidden items; they do nothing.
    void EditUndo();
    void EditCut();
    void EditCopy();
    void EditPaste();
    // Help commands of the hidden items (no help file exists), and the About box.
    void HelpContents();
    void HelpSearch();
    void HelpHowToUse();
    void HelpAbout();
    // Restructure and sorting.
    void sbEditTableClick();
    void cbSortChange();
    void sbDirAscClick();
    void sbDirDescClick();
    // The text hooks of every field of the shown table.
    void FieldGetText(TField& sender, AnsiString& text, bool displayText);
    void FieldSetText(TField& sender, const AnsiString& text);

    // The one simple text of the status line.
    QString StatusText() const;
    void SetStatusText(const QString& text);

    // The open and save dialogs. Each gets the proposed path in fileName and
    // returns true with the chosen path there, or false when the user chose no
    // file. Tests replace them.
    std::function<bool(QString& fileName)> OpenDialogExecute;
    std::function<bool(QString& fileName)> SaveDialogExecute;

  protected:
    bool event(QEvent* e) override;
    bool eventFilter(QObject* watched, QEvent* e) override;

  private:
    bool RunOpenDialog(QString& fileName);
    bool RunSaveDialog(QString& fileName);
    // Switches every command that acts on a shown table (save, save as,
    // restructure, sorting) on or off.
    void SetTableCommandsEnabled(bool on);
    // Feeds ActiveTable to the grid (and the navigator) through dsQMT, or detaches both.
    void BindGrid();
    void DetachGrid();
    // Hands text typed into the grid's open cell to the field, as posting a
    // record from the grid does, before a command walks or re-sorts the table.
    void TakeTypedText();
    // Writes ActiveTable to path with the grid hidden meanwhile; afterwards
    // opens the table again, or shows the save error. True when written.
    bool WriteActiveTable(const QString& path);
    // Fills the sort box with the no-sort entry and the field names and hooks
    // every field's text to this window.
    void RefillSortBox();
    void SortDirection(bool descending);

    std::unique_ptr<Ui::TMainForm> ui_;
    QLabel* statusText_ = nullptr;
};
