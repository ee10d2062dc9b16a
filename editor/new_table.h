#pragma once
// The new-table dialog: how many columns the new table gets (1 to 1000) and,
// for each, a name, a kind and a text length, in the rows of sgFields (row 0
// the headings; column 0 name, 1 kind name, 2 length text). Created once and
// reused: it keeps its count and rows from one showing to the next.

#include <QFrame>
#include <memory>

#include "editor/field_grid_editing.h"
#include "platform/ui/bit_btn.h"
#include "platform/ui/combo_box.h"
#include "platform/ui/labeled_edit.h"
#include "platform/ui/string_grid_view.h"
#include "platform/ui/up_down.h"

namespace Ui {
class TfmNewTable;
}

class TfmNewTable : public TFieldGridDialog {
    Q_OBJECT
  public:
    explicit TfmNewTable(QWidget* parent = nullptr);
    ~TfmNewTable() override;

    // Shows the dialog modally: 1 for OK, 2 for Abbrechen, Escape or closing the window.
    int ShowModal();

    QFrame* Panel1;
    TUpDown* udFieldCount;
    TLabeledEdit* leFieldCount;  // its EditLabel reads "Anzahl Felder:"
    TBitBtn* BitBtn1;
    TBitBtn* BitBtn2;

    // Event handlers (bound in the constructor).
    void FormCreate(QObject* Sender);
    void leFieldCountChange(QObject* Sender);
    // The cell-editing handlers come from TFieldGridDialog.

  private:
    std::unique_ptr<Ui::TfmNewTable> ui_;
};

extern TfmNewTable* fmNewTable;
