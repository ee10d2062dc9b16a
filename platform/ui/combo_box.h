#pragma once
// The platform's combo box. ItemIndex set from code raises no change event.
// Style csDropDownList: pick from the list only. Style csDropDown: an edit
// field whose typed text completes to the first entry that begins with it
// (ignoring case) and selects it; every change of the edit text raises
// OnChange. Any other edit of the text (deleting characters, pasting) selects
// no entry: ItemIndex is -1 then, also when the text left equals an entry.

#include <QComboBox>
#include <functional>

enum TComboBoxStyle { csDropDown, csDropDownList };

class TComboBox : public QComboBox {
    Q_OBJECT
  public:
    explicit TComboBox(QWidget* parent = nullptr);
    TComboBoxStyle Style() const { return style_; }
    void SetStyle(TComboBoxStyle style);
    int ItemIndex() const;
    void SetItemIndex(int index);  // no OnChange
    int ItemCount() const { return count(); }
    QString Item(int index) const { return itemText(index); }
    int IndexOfItem(const QString& text) const;  // ignoring case; -1 when none
    void AddItem(const QString& text);
    void ClearAll();                 // items and text, no OnChange
    std::function<void()> OnChange;  // the user picked an entry or edited the text
    std::function<void()> OnEnter;   // the box received the input focus

  protected:
    void focusInEvent(QFocusEvent* e) override;

  private:
    friend class TComboBoxEdit;
    void SetupEditor();
    // After a user's edit of the text: before is the text as it was, with
    // selectionLength characters selected; complete says whether typed
    // characters may be completed to an entry.
    void TextEditedByUser(const QString& before, int selectionLength, bool complete);
    void Entered(Qt::FocusReason reason);

    TComboBoxStyle style_ = csDropDown;
    bool silent_ = false;
    // The selected entry as the box reports it; while the user edits the text
    // it may differ from the list's current row.
    int itemIndex_ = -1;
};
