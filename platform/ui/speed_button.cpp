#include "platform/ui/speed_button.h"

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
    QIcon icon;
    if (!enabled.isNull()) {
        icon.addPixmap(enabled, QIcon::Normal);
        icon.addPixmap(enabled, QIcon::Active);
        setIconSize(enabled.deviceIndependentSize().toSize());
    }
    if (!disabled.isNull()) icon.addPixmap(disabled, QIcon::Disabled);
    setIcon(icon);
    update();
}

void TSpeedButton::Click() {
    if (isEnabled()) click();
}

void TSpeedButton::paintEvent(QPaintEvent*) {
    QStylePainter painter(this);
    QStyleOptionToolButton option;
    initStyleOption(&option);
    if (down_) {
        option.state |= QStyle::State_On | QStyle::State_Sunken;
        option.state &= ~QStyle::State_Raised;
    }
    painter.drawComplexControl(QStyle::CC_ToolButton, option);
}
