#include "platform/ui/speed_button.h"

#include <QFileInfo>
#include <QIcon>
#include <QPixmap>
#include <QStyleOptionToolButton>
#include <QStylePainter>

#include "platform/ui/application.h"

TSpeedButton::TSpeedButton(QWidget* parent) : QToolButton(parent) {
    setFocusPolicy(Qt::NoFocus);
    setAutoRaise(true);
    setToolButtonStyle(Qt::ToolButtonIconOnly);
    connect(this, &QAbstractButton::clicked, this, [this] {
        if (groupIndex_ != 0) SetDown(true);
        if (OnClick) Guarded(OnClick);
    });
}

void TSpeedButton::SetDown(bool down) {
    // A plain button is never down; a grouped one is released only by
    // another button of its group going down.
    if (groupIndex_ == 0 || !down) return;
    if (!down_) {
        down_ = true;
        update();
    }
    ReleaseSiblings();
}

void TSpeedButton::ReleaseSiblings() {
    QWidget* parent = parentWidget();
    if (parent == nullptr) return;
    for (QObject* child : parent->children()) {
        auto* other = qobject_cast<TSpeedButton*>(child);
        if (other == nullptr || other == this || other->groupIndex_ != groupIndex_) continue;
        if (other->down_) {
            other->down_ = false;
            other->update();
        }
    }
}

void TSpeedButton::SetGlyph(const QPixmap& enabled, const QPixmap& disabled) {
    glyph_ = QIcon();
    if (!enabled.isNull()) setIconSize(enabled.deviceIndependentSize().toSize());
    AddGlyph(enabled, disabled);
}

void TSpeedButton::AddGlyph(const QPixmap& enabled, const QPixmap& disabled) {
    if (!enabled.isNull()) {
        glyph_.addPixmap(enabled, QIcon::Normal);
        glyph_.addPixmap(enabled, QIcon::Active);
    }
    if (!disabled.isNull()) glyph_.addPixmap(disabled, QIcon::Disabled);
    setIcon(glyph_);
    update();
}

bool TSpeedButton::LoadGlyph(const QString& fileName) {
    // The two pictures of a file, each at the file's own ratio (2 for "@2x").
    auto halves = [](const QString& name, QPixmap& enabled, QPixmap& disabled) {
        QPixmap both(name);
        if (both.isNull()) return false;
        const int w = both.width() / 2;
        enabled = both.copy(0, 0, w, both.height());
        disabled = both.copy(w, 0, w, both.height());
        enabled.setDevicePixelRatio(both.devicePixelRatio());
        disabled.setDevicePixelRatio(both.devicePixelRatio());
        return true;
    };
    QPixmap enabled, disabled;
    if (!halves(fileName, enabled, disabled)) return false;
    SetGlyph(enabled, disabled);
    const QFileInfo info(fileName);
    const QString doubled = info.path() + u'/' + info.completeBaseName() + QStringLiteral("@2x") +
                            (info.suffix().isEmpty() ? QString() : u'.' + info.suffix());
    if (QFileInfo::exists(doubled) && halves(doubled, enabled, disabled)) {
        // A file of the right size only: a picture of another size would
        // change what the glyph shows.
        if (enabled.deviceIndependentSize().toSize() == iconSize()) AddGlyph(enabled, disabled);
    }
    return true;
}

void TSpeedButton::Click() {
    if (isEnabled()) click();
}

void TSpeedButton::paintEvent(QPaintEvent*) {
    // Nothing may leave a paint event: a picture that cannot be drawn stays as
    // far as it got.
    try {
        QStylePainter painter(this);
        QStyleOptionToolButton option;
        initStyleOption(&option);
        if (down_) {
            option.state |= QStyle::State_On | QStyle::State_Sunken;
            option.state &= ~QStyle::State_Raised;
        }
        painter.drawComplexControl(QStyle::CC_ToolButton, option);
    } catch (...) {
    }
}
