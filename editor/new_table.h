#pragma once
// The new-table dialog: how many columns the new table gets (1 to 1000) and,
// for each, a name, a kind and a text length, in the rows of sgFields (row 0
// the headings; column 0 name, 1 kind name, 2 length text). Created once and
// reused: it keeps its count and rows from one showing to the next.

#include <QDialog>
#include <QFrame>
#include <memory>

#include "platform/ui/bit_btn.h"
#include "platform/ui/combo_box.h"
#include "platform/ui/labeled_edit.h"
#include "platform/ui/string_grid_view.h"
#include "platform/ui/up_down.h"

class TFieldGridEditing;
namespace Ui {
class TfmNewTable;
}

class TfmNewTable : public QDialog {
    Q_OBJECT
  public:
    explicit TfmNewTable(QWidget* parent = nullptr);
    ~TfmNewTable() override;

    // Shows the dialog modally: 1 for OK, 2 for Abbrechen, Escape or closing the window.
    int ShowModal();

    QFrame* Panel1;
    TStringGridView* sgFields;
    TUpDown* udFieldCount;
    TLabeledEdit* leFieldCount;  // its EditLabel reads "Anzahl Felder:"
    TComboBox* cbTypes;
    TComboBox* cbSize;
    TBitBtn* BitBtn1;
    TBitBtn* BitBtn2;

    // Event handlers (bound in the constructor).
    void FormCreate(QObject* Sender);
    void leFieldCountChange(QObject* Sender);
    void sgFieldsSelectCell(QObject* Sender, int ACol, int ARow, bool& CanSelect);
    void cbTypesChange(QObject* Sender);
    void cbSizeChange(QObject* Sender);
    void cbTypesEnter(QObject* Sender);
    void cbSizeEnter(QObject* Sender);

  public slots:
    void reject() override;

  private:
    void PlaceTypeCombo(const QRect& cellRect);
    void PlaceSizeCombo(const QRect& cellRect);

    std::unique_ptr<Ui::TfmNewTable> ui_;
    std::unique_ptr<TFieldGridEditing> editing_;
};

extern TfmNewTable* fmNewTable;
