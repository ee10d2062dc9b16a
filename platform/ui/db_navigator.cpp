#include "platform/ui/db_navigator.h"

#include <QIcon>
#include <QPixmap>
#include <QToolButton>

#include "platform/dataset/client_dataset.h"
#include "platform/ui/application.h"
#include "platform/ui/data_source.h"
#include "platform/ui/glyphs.h"

namespace {

// The hints the buttons carry while their entry of Hints is empty.
constexpr const char* kDefaultHints[TDBNavigator::ButtonCount] = {
    "Erster Datensatz",     "Vorheriger Datensatz", "Nächster Datensatz",   "Letzter Datensatz",
    "Datensatz einfügen",   "Datensatz löschen",    "Datensatz bearbeiten", "Übernehmen",
    "Bearbeiten abbrechen", "Daten aktualisieren",
};

constexpr const char* kButtonNames[TDBNavigator::ButtonCount] = {
    "First", "Prior", "Next", "Last", "Insert", "Delete", "Edit", "Post", "Cancel", "Refresh",
};

}  // namespace

TDBNavigator::TDBNavigator(QWidget* parent) : QWidget(parent) {
    for (int i = 0; i < ButtonCount; ++i) {
        auto b = static_cast<TNavigateBtn>(i);
        auto* button = new QToolButton(this);
        button->setObjectName(kButtonNames[i]);
        button->setFocusPolicy(Qt::NoFocus);
        button->setToolButtonStyle(Qt::ToolButtonIconOnly);
        button->setIcon(NavigatorGlyph(b));
        button->setIconSize(QSize(kNavigatorGlyphSize, kNavigatorGlyphSize));
        connect(button, &QToolButton::clicked, this, [this, b] { BtnClick(b); });
        buttons_[i] = button;
        visible_.insert(b);
    }
    ApplyHints();
    UpdateButtons();
    LayoutButtons();
}

TDBNavigator::~TDBNavigator() = default;

TDataSource* TDBNavigator::DataSource() const {
    return source_.data();
}

void TDBNavigator::SetDataSource(TDataSource* source) {
    if (source == source_.data()) return;
    if (source_) {
        disconnect(eventConn_);
        disconnect(changeConn_);
        disconnect(destroyConn_);
    }
    source_ = source;
    if (source) {
        eventConn_ =
            connect(source, &TDataSource::dataEvent, this, [this](TDataEvent) { UpdateButtons(); });
        changeConn_ =
            connect(source, &TDataSource::dataSetChanged, this, &TDBNavigator::UpdateButtons);
        destroyConn_ = connect(source, &QObject::destroyed, this, &TDBNavigator::UpdateButtons);
    }
    UpdateButtons();
}

void TDBNavigator::SetVisibleButtons(const std::set<TNavigateBtn>& buttons) {
    visible_ = buttons;
    for (int i = 0; i < ButtonCount; ++i)
        buttons_[i]->setVisible(visible_.count(static_cast<TNavigateBtn>(i)) > 0);
    LayoutButtons();
    updateGeometry();
}

QString TDBNavigator::DefaultHint(TNavigateBtn b) {
    return QString::fromUtf8(kDefaultHints[b]);
}

void TDBNavigator::SetHints(const QStringList& hints) {
    hints_ = hints;
    ApplyHints();
}

void TDBNavigator::SetHint(int index, const QString& hint) {
    if (index < 0 || index >= ButtonCount) return;
    while (hints_.size() <= index) hints_.append(QString());
    hints_[index] = hint;
    ApplyHints();
}

void TDBNavigator::ApplyHints() {
    for (int i = 0; i < ButtonCount; ++i) {
        const bool given = i < hints_.size() && !hints_[i].isEmpty();
        ::SetHint(buttons_[i], given ? hints_[i] : DefaultHint(static_cast<TNavigateBtn>(i)));
    }
}

QAbstractButton* TDBNavigator::Button(TNavigateBtn b) const {
    return b >= 0 && b < ButtonCount ? buttons_[b] : nullptr;
}

QSize TDBNavigator::sizeHint() const {
    const int n = std::max<int>(1, static_cast<int>(visible_.size()));
    return QSize(n * 25, 25);
}

void TDBNavigator::resizeEvent(QResizeEvent* e) {
    QWidget::resizeEvent(e);
    LayoutButtons();
}

void TDBNavigator::LayoutButtons() {
    const int n = static_cast<int>(visible_.size());
    if (n == 0) return;
    // The visible buttons share the width; the pixels left over go one each
    // to the first buttons, so that together they fill it exactly.
    const int w = width() / n;
    const int extra = width() - w * n;
    int x = 0;
    int k = 0;
    for (TNavigateBtn b : visible_) {
        const int bw = w + (k < extra ? 1 : 0);
        buttons_[b]->setGeometry(x, 0, bw, height());
        x += bw;
        ++k;
    }
}

void TDBNavigator::UpdateButtons() {
    TClientDataSet* ds = source_ ? source_->DataSet() : nullptr;
    const bool active = ds && ds->Active();
    const bool editing = active && (ds->State() == dsEdit || ds->State() == dsInsert);
    const bool up = active && !ds->Bof();
    const bool down = active && !ds->Eof();
    const bool any = active && ds->ViewCount() > 0;
    const bool enabled[ButtonCount] = {
        up,                  // First
        up,                  // Prior
        down,                // Next
        down,                // Last
        active,              // Insert
        any,                 // Delete
        active && !editing,  // Edit
        editing,             // Post
        editing,             // Cancel
        active && !editing,  // Refresh
    };
    for (int i = 0; i < ButtonCount; ++i) buttons_[i]->setEnabled(enabled[i]);
}

void TDBNavigator::BtnClick(TNavigateBtn b) {
    if (b < 0 || b >= ButtonCount || !buttons_[b]->isEnabled()) return;
    Guarded([&] { Run(b); });
    UpdateButtons();
}

void TDBNavigator::Run(TNavigateBtn b) {
    TClientDataSet* ds = source_ ? source_->DataSet() : nullptr;
    if (!ds || !ds->Active()) return;
    const bool editing = ds->State() == dsEdit || ds->State() == dsInsert;
    // Text typed into a control but not yet stored goes into the record
    // before the record is posted or left.
    auto takeTypedText = [&] {
        if (editing) source_->UpdateRecord();
    };
    auto endEdit = [&] {
        takeTypedText();
        if (editing) ds->CheckBrowseMode();
    };
    switch (b) {
        case nbFirst:
            endEdit();
            ds->First();
            break;
        case nbPrior:
            endEdit();
            ds->Prior();
            break;
        case nbNext:
            endEdit();
            ds->Next();
            break;
        case nbLast:
            endEdit();
            ds->Last();
            break;
        case nbInsert:
            takeTypedText();
            ds->Insert();
            break;
        case nbDelete:
            if (!ConfirmRecordDelete(this)) return;
            DeleteCurrentRecord(*ds);
            break;
        case nbEdit:
            ds->Edit();
            break;
        case nbPost:
            takeTypedText();
            ds->Post();
            break;
        case nbCancel:
            ds->Cancel();
            break;
        case nbRefresh:
            // The records live in memory only: there is nothing to read again.
            endEdit();
            break;
    }
}
