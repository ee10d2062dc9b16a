// The platform's painted glyphs: every kind has a picture of its own, and the
// widgets show the pictures of their kind.

#include <gtest/gtest.h>

#include <QImage>
#include <QPainter>
#include <QToolButton>
#include <set>

#include "platform/ui/bit_btn.h"
#include "platform/ui/db_navigator.h"
#include "platform/ui/glyphs.h"

namespace {

QImage At(const QIcon& icon, QSize size, qreal ratio, QIcon::Mode mode = QIcon::Normal) {
    return icon.pixmap(size, ratio, mode).toImage();
}

QImage Painted(QSize size, qreal ratio, const std::function<void(QPainter&)>& paint) {
    return PaintGlyph(size, ratio, paint).toImage();
}

QByteArray Bytes(const QImage& img) {
    return QByteArray(reinterpret_cast<const char*>(img.constBits()), img.sizeInBytes());
}

bool Holds(const QImage& img, QRgb colour) {
    for (int y = 0; y < img.height(); ++y)
        for (int x = 0; x < img.width(); ++x)
            if (img.pixel(x, y) == colour) return true;
    return false;
}

// Whether every pixel that is not transparent is a grey.
bool Grey(const QImage& img) {
    for (int y = 0; y < img.height(); ++y)
        for (int x = 0; x < img.width(); ++x) {
            const QColor c = img.pixelColor(x, y);
            if (c.alpha() > 0 && (c.red() != c.green() || c.green() != c.blue())) return false;
        }
    return true;
}

}  // namespace

TEST(GlyphsTest, NavigatorButtonsShowThePictureOfTheirKind) {
    TDBNavigator nav;
    const auto buttons = nav.findChildren<QToolButton*>();
    ASSERT_EQ(buttons.size(), TDBNavigator::ButtonCount);
    std::set<QByteArray> distinct;
    for (int i = 0; i < TDBNavigator::ButtonCount; ++i) {
        SCOPED_TRACE(i);
        const auto b = static_cast<TNavigateBtn>(i);
        const QIcon expected = NavigatorGlyph(b);
        const QSize size(kNavigatorGlyphSize, kNavigatorGlyphSize);
        const QToolButton* button = buttons[i];
        EXPECT_EQ(button->iconSize(), size);
        for (qreal ratio : kGlyphPixelRatios)
            for (QIcon::Mode mode : {QIcon::Normal, QIcon::Disabled})
                EXPECT_EQ(At(button->icon(), size, ratio, mode), At(expected, size, ratio, mode));
        // The disabled picture is grey and white only.
        EXPECT_TRUE(Grey(At(expected, size, 2.0, QIcon::Disabled)));
        EXPECT_FALSE(At(expected, size, 1.0) == At(expected, size, 1.0, QIcon::Disabled));
        distinct.insert(Bytes(At(expected, size, 2.0)));
    }
    EXPECT_EQ(distinct.size(), size_t(TDBNavigator::ButtonCount));
}

TEST(GlyphsTest, OkAndCancelButtonsShowTheCheckMarkAndTheCross) {
    const struct {
        TBitBtnKind kind;
        QIcon expected;
        QRgb ink;
    } cases[] = {{bkOK, CheckMarkGlyph(), qRgb(0, 128, 0)},
                 {bkCancel, CrossGlyph(), qRgb(200, 0, 0)}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.kind);
        TBitBtn button;
        button.SetKind(c.kind);
        EXPECT_EQ(button.iconSize(), kButtonGlyphSize);
        for (qreal ratio : kGlyphPixelRatios) {
            const QImage img = At(c.expected, kButtonGlyphSize, ratio);
            EXPECT_EQ(At(button.icon(), kButtonGlyphSize, ratio), img);
            EXPECT_TRUE(Holds(img, c.ink));
        }
    }
}

TEST(GlyphsTest, EveryRowGlyphAndIndicatorHasAPictureOfItsOwn) {
    std::set<QByteArray> rows;
    for (TRowGlyph kind : {TRowGlyph::Up, TRowGlyph::Insert, TRowGlyph::Delete, TRowGlyph::Down}) {
        const QImage on =
            Painted(kRowGlyphSize, 2.0, [&](QPainter& p) { DrawRowGlyph(p, kind, true); });
        const QImage off =
            Painted(kRowGlyphSize, 2.0, [&](QPainter& p) { DrawRowGlyph(p, kind, false); });
        EXPECT_FALSE(Grey(on));
        EXPECT_TRUE(Grey(off));
        rows.insert(Bytes(on));
    }
    EXPECT_EQ(rows.size(), 4u);

    std::set<QByteArray> indicators;
    for (TDataSetState state : {dsBrowse, dsEdit, dsInsert}) {
        const QImage img = Painted(QSize(12, 18), 1.0, [&](QPainter& p) {
            DrawRecordIndicator(p, QRect(0, 0, 12, 18), state);
        });
        EXPECT_FALSE(img == Painted(QSize(12, 18), 1.0, [](QPainter&) {}));
        indicators.insert(Bytes(img));
    }
    EXPECT_EQ(indicators.size(), 3u);
}
