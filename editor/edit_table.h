#pragma once
// The restructure dialog: the structure of the shown table as one row of
// sgFields per column (row 0 the headings; column 0 the old name, fixed; 1 the
// new name; 2 the kind name; 3 the length text), refilled from ActiveTable at
// every showing; the row buttons move, insert and delete definition rows.

#include <QDialog>
#include <memory>

#include "platform/ui/bit_btn.h"
#include "platform/ui/combo_box.h"
#include "platform/ui/speed_button.h"
#include "platform/ui/string_grid_view.h"

class TFieldGridEditing;
namespace Ui {
class TfmEditTable;
}

class TfmEditTable : public QDialog {
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
    TStringGridView* sgFields;
    TBitBtn* BitBtn1;
    TBitBtn* BitBtn2;
    TComboBox* cbTypes;
    TComboBox* cbSize;

    // Event handlers (bound in the constructor).
    void FormCreate(QObject* Sender);
    void FormShow(QObject* Sender);
    void sbRowUpClick(QObject* Sender);
    void sbRowDownClick(QObject* Sender);
    void sbRowInsertClick(QObject* Sender);
    void sbRowDeleteClick(QObject* Sender);
    void sgFieldsSelectCell(QObject* Sender, int ACol, int ARow, bool& CanSelect);
    void cbTypesChange(QObject* Sender);
    void cbSizeChange(QObject* Sender);
    void cbTypesEnter(QObject* Sender);
    void cbSizeEnter(QObject* Sender);

  public slots:
    void reject() override;

  protected:
    void showEvent(QShowEvent* e) override;

  private:
    void PlaceTypeCombo(const QRect& cellRect);
    void PlaceSizeCombo(const QRect& cellRect);

    std::unique_ptr<Ui::TfmEditTable> ui_;
    std::unique_ptr<TFieldGridEditing> editing_;
};

extern TfmEditTable* fmEditTable;
