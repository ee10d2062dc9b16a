#include "platform/ui/bit_btn.h"

#include <QDialog>

#include "platform/core/exceptions.h"
#include "platform/ui/glyphs.h"

TBitBtn::TBitBtn(QWidget* parent) : QPushButton(parent) {
    setIconSize(kButtonGlyphSize);
    connect(this, &QPushButton::clicked, this, [this] {
        if (modalResult_ == 0) return;
        if (auto* dialog = qobject_cast<QDialog*>(window())) dialog->done(modalResult_);
    });
}

void TBitBtn::SetKind(TBitBtnKind kind) {
    kind_ = kind;
    switch (kind) {
        case bkOK:
            setText(QString::fromUtf8(Msg::ButtonOK));
            setIcon(CheckMarkGlyph());
            setDefault(true);
            modalResult_ = 1;
            break;
        case bkCancel:
            setText(QString::fromUtf8(Msg::ButtonCancel));
            setIcon(CrossGlyph());
            modalResult_ = 2;
            break;
        case bkCustom:
            break;
    }
}
