#include "platform/ui/combo_box.h"

#include <QFocusEvent>
#include <QInputMethodEvent>
#include <QKeyEvent>
#include <QLineEdit>

#include "platform/ui/application.h"

// The edit field of a csDropDown box: tells the box about every change the
// user makes to the text, with the text as it was before.
class TComboBoxEdit : public QLineEdit {
  public:
    explicit TComboBoxEdit(TComboBox* box) : QLineEdit(box), box_(box) {}

    bool InUserInput() const { return inUserInput_ > 0; }

  protected:
    void keyPressEvent(QKeyEvent* e) override {
        UserInput([&] { QLineEdit::keyPressEvent(e); });
    }
    void inputMethodEvent(QInputMethodEvent* e) override {
        UserInput([&] { QLineEdit::inputMethodEvent(e); });
    }
    void focusInEvent(QFocusEvent* e) override {
        QLineEdit::focusInEvent(e);
        box_->Entered(e->reason());
    }

  private:
    template <class F>
    void UserInput(F&& input) {
        const QString before = text();
        const int selection = static_cast<int>(selectedText().size());
        ++inUserInput_;
        input();
        --inUserInput_;
        if (text() != before) box_->TextEditedByUser(before, selection, true);
    }

    TComboBox* box_;
    int inUserInput_ = 0;
};

TComboBox::TComboBox(QWidget* parent) : QComboBox(parent) {
    setInsertPolicy(QComboBox::NoInsert);
    connect(this, &QComboBox::activated, this, [this](int index) {
        // The user picked an entry from the list (or stepped to one with the keys).
        itemIndex_ = index;
        if (!silent_ && OnChange) Guarded(OnChange);
    });
    connect(this, &QComboBox::currentIndexChanged, this, [this](int index) { itemIndex_ = index; });
    SetupEditor();
}

void TComboBox::SetStyle(TComboBoxStyle style) {
    if (style == style_) return;
    style_ = style;
    SetupEditor();
}

void TComboBox::SetupEditor() {
    if (style_ == csDropDownList) {
        setEditable(false);
        itemIndex_ = currentIndex();
        return;
    }
    auto* edit = new TComboBoxEdit(this);
    setLineEdit(edit);
    // The box completes typed text itself (see TextEditedByUser); the stock
    // completer, and the stock matching of the text when editing ends, would
    // change the text or the entry behind the user's back.
    setCompleter(nullptr);
    QObject::disconnect(edit, SIGNAL(editingFinished()), this, nullptr);
    connect(edit, &QLineEdit::textEdited, this, [this, edit](const QString&) {
        // Edits that come without a key (the context menu's paste or undo).
        if (!edit->InUserInput()) TextEditedByUser(QString(), 0, false);
    });
    itemIndex_ = currentIndex();
}

int TComboBox::ItemIndex() const {
    return itemIndex_;
}

void TComboBox::SetItemIndex(int index) {
    if (index < 0 || index >= count()) index = -1;
    silent_ = true;
    setCurrentIndex(index);
    silent_ = false;
    itemIndex_ = index;
    if (QLineEdit* edit = lineEdit()) {
        // Also when the list's row stayed the same while the user had typed.
        const QString text = index < 0 ? QString() : itemText(index);
        if (edit->text() != text) edit->setText(text);
    }
}

int TComboBox::IndexOfItem(const QString& text) const {
    for (int i = 0; i < count(); ++i) {
        if (itemText(i).compare(text, Qt::CaseInsensitive) == 0) return i;
    }
    return -1;
}

void TComboBox::AddItem(const QString& text) {
    // Adding entries selects none of them and leaves the text as it is.
    const int index = currentIndex();
    QLineEdit* edit = lineEdit();
    const QString shown = edit != nullptr ? edit->text() : QString();
    silent_ = true;
    addItem(text);
    if (currentIndex() != index) setCurrentIndex(index);
    if (edit != nullptr && edit->text() != shown) edit->setText(shown);
    silent_ = false;
    itemIndex_ = index;
}

void TComboBox::ClearAll() {
    silent_ = true;
    clear();
    if (QLineEdit* edit = lineEdit()) edit->clear();
    silent_ = false;
    itemIndex_ = -1;
}

void TComboBox::focusInEvent(QFocusEvent* e) {
    QComboBox::focusInEvent(e);
    if (lineEdit() != nullptr) return;  // the edit field reports it
    Entered(e->reason());
}

void TComboBox::Entered(Qt::FocusReason reason) {
    // Coming back from another window or a popup is no entering.
    if (reason == Qt::ActiveWindowFocusReason || reason == Qt::PopupFocusReason) return;
    if (OnEnter) Guarded(OnEnter);
}

void TComboBox::TextEditedByUser(const QString& before, int selectionLength, bool complete) {
    QLineEdit* edit = lineEdit();
    if (edit == nullptr) return;
    const int oldIndex = itemIndex_;
    const QString typed = edit->text();
    // Characters were typed (not only deleted) and the caret stands at the end.
    const bool inserted = complete && typed.size() > before.size() - selectionLength &&
                          !edit->hasSelectedText() && edit->cursorPosition() == typed.size();
    int found = -1;
    if (inserted && !typed.isEmpty()) {
        for (int i = 0; i < count(); ++i) {
            if (itemText(i).startsWith(typed, Qt::CaseInsensitive)) {
                found = i;
                break;
            }
        }
    }
    if (found >= 0) {
        // Complete to the entry: the typed part stays as typed, the rest is
        // selected, so that typing on replaces it.
        const QString entry = itemText(found);
        silent_ = true;
        setCurrentIndex(found);
        silent_ = false;
        edit->setText(typed + entry.mid(typed.size()));
        edit->setSelection(static_cast<int>(typed.size()),
                           static_cast<int>(entry.size() - typed.size()));
        itemIndex_ = found;
        // Completing to the entry already selected is no change, even when the
        // typed letters differ from it in case.
        if (found != oldIndex && OnChange) Guarded(OnChange);
        return;
    }
    // Deleting characters, typing that completes to no entry and pasting
    // select no entry, even when the text left equals one: only completing
    // typed characters and picking from the list select an entry.
    itemIndex_ = -1;
    if (OnChange && (itemIndex_ != oldIndex || typed != before)) Guarded(OnChange);
}
