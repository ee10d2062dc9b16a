#include "editor/info_dlg.h"

#include "platform/ui/application.h"
#include "ui_info_dlg.h"

TAboutBox* AboutBox = nullptr;

TAboutBox::TAboutBox(QWidget* parent) : QDialog(parent), ui_(std::make_unique<Ui::TAboutBox>()) {
    ui_->setupUi(this);
    Panel1 = ui_->Panel1;
    ProgramIcon = ui_->ProgramIcon;
    ProductName = ui_->ProductName;
    Version = ui_->Version;
    Copyright = ui_->Copyright;
    Comments = ui_->Comments;
    OKButton = ui_->OKButton;
    // A fixed dialog frame: no resizing, no help button.
    setWindowFlags(Qt::Dialog | Qt::MSWindowsFixedSizeDialogHint | Qt::WindowTitleHint |
                   Qt::WindowCloseButtonHint);
    setFixedSize(298, 213);
    SetFormFont(this, "MS Sans Serif", 11);
    // OK closes the box with the modal result 1.
    connect(OKButton, &QPushButton::clicked, this, [this] { done(1); });
}

// The dialogs belong to the main window and go with it: the global forgets them.
TAboutBox::~TAboutBox() {
    if (AboutBox == this) AboutBox = nullptr;
}
