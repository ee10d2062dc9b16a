#pragma once
// The restructure dialog: the structure of the shown table as one row of
// sgFields per column (row 0 the headings; column 0 the old name, fixed; 1 the
// new name; 2 the kind name; 3 the length text), refilled from ActiveTable at
// every showing; the row buttons move, insert and delete definition rows.

#include <memory>

#include "editor/field_grid_editing.h"
#include "platform/ui/bit_btn.h"
#include "platform/ui/combo_box.h"
#include "platform/ui/speed_button.h"
#include "platform/ui/string_grid_view.h"

namespace Ui {
class TfmEditTable;
}

class TfmEditTable : public TFieldGridDialog {
    Q_OBJECT
  public:
    explicit TfmEditTable(QWidget* parent = nullptr);
    ~TfmEditTable() override;

    // Shows the dialog modally (FormShow fills the grid first): 1 for OK, 2 for
    // Abbrechen, Escape or closing the window.
    int ShowModal();

    TSpeedButton* sbRowUp;
    TSpeedButton* sbRowInsert;
    TSpeedButton* sbRowDelete;
    TSpeedButton* sbRowDown;
    TBitBtn* BitBtn1;
    TBitBtn* BitBtn2;

    // Event handlers (bound in the constructor).
    void FormCreate(QObject* Sender);
    void FormShow(QObject* Sender);
    void sbRowUpClick(QObject* Sender);
    void sbRowDownClick(QObject* Sender);
    void sbRowInsertClick(QObject* Sender);
    void sbRowDeleteClick(QObject* Sender);
    // The cell-editing handlers come from TFieldGridDialog.

  protected:
    void showEvent(QShowEvent* e) override;

  private:
    std::unique_ptr<Ui::TfmEditTable> ui_;
};

extern TfmEditTable* fmEditTable;
