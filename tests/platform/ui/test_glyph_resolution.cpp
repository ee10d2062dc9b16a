// Glyphs at the device pixel ratio of the screen: the platform's painted
// glyphs and the speed buttons' glyph files come at 1x and 2x, and the 2x
// pictures carry detail of their own rather than doubled pixels.

#include <gtest/gtest.h>

#include <QAbstractButton>
#include <QImage>
#include <QPainter>
#include <QTemporaryDir>

#include "platform/ui/bit_btn.h"
#include "platform/ui/db_navigator.h"
#include "platform/ui/glyphs.h"
#include "platform/ui/speed_button.h"

namespace {

// What an icon gives a screen of ratio 2 for a picture of size: a picture of
// twice the pixels marked with ratio 2 (not the 1x one, which the painter
// would blow up and blur). With slanted or round shapes (detailed), the
// picture also has detail of its own: doubled pixels would make every 2 x 2
// block one colour.
::testing::AssertionResult SharpAtTwice(const QIcon& icon, QSize size, QIcon::Mode mode,
                                        bool detailed = true) {
    const QPixmap pm = icon.pixmap(size, 2.0, mode);
    if (pm.devicePixelRatio() != 2.0 || pm.size() != size * 2)
        return ::testing::AssertionFailure()
               << "ratio " << pm.devicePixelRatio() << ", " << pm.width() << "x" << pm.height();
    if (!detailed) return ::testing::AssertionSuccess();
    const QImage img = pm.toImage();
    for (int y = 0; y + 1 < img.height(); y += 2)
        for (int x = 0; x + 1 < img.width(); x += 2) {
            const QRgb p = img.pixel(x, y);
            if (img.pixel(x + 1, y) != p || img.pixel(x, y + 1) != p ||
                img.pixel(x + 1, y + 1) != p)
                return ::testing::AssertionSuccess();
        }
    return ::testing::AssertionFailure() << "only doubled pixels";
}

TEST(GlyphResolutionTest, PaintedGlyphsComeAtTheScreensRatio) {
    TDBNavigator nav;
    for (int b = 0; b < TDBNavigator::ButtonCount; ++b) {
        SCOPED_TRACE(b);
        const QIcon icon = nav.Button(static_cast<TNavigateBtn>(b))->icon();
        const bool slanted = b != nbInsert && b != nbDelete;  // plus and minus are upright bars
        EXPECT_TRUE(SharpAtTwice(icon, QSize(16, 16), QIcon::Normal, slanted));
        EXPECT_TRUE(SharpAtTwice(icon, QSize(16, 16), QIcon::Disabled, slanted));
        EXPECT_EQ(icon.pixmap(QSize(16, 16), 1.0).size(), QSize(16, 16));
    }
    for (TBitBtnKind kind : {bkOK, bkCancel}) {
        TBitBtn button;
        button.SetKind(kind);
        EXPECT_TRUE(SharpAtTwice(button.icon(), button.iconSize(), QIcon::Normal)) << kind;
    }
}

TEST(GlyphResolutionTest, PaintedGlyphKeepsItsDesignAtEveryRatio) {
    // A line across the middle: drawn at ratio 2 it covers the same part of
    // the picture as at ratio 1, in twice the pixels.
    auto paint = [](QPainter& p) { p.fillRect(QRectF(0, 3, 8, 2), Qt::red); };
    const QImage one = PaintGlyph(QSize(8, 8), 1.0, paint).toImage();
    const QImage two = PaintGlyph(QSize(8, 8), 2.0, paint).toImage();
    ASSERT_EQ(two.size(), QSize(16, 16));
    for (int y = 0; y < 16; ++y)
        for (int x = 0; x < 16; ++x) ASSERT_EQ(two.pixel(x, y), one.pixel(x / 2, y / 2)) << x << y;
}

class GlyphFileTest : public ::testing::Test {
  protected:
    // A glyph file of two pictures side by side, each w x h: the enabled one
    // in enabledColour, the disabled one in grey.
    QString Write(const QString& name, int w, int h, QColor enabledColour) {
        QImage img(2 * w, h, QImage::Format_ARGB32);
        img.fill(Qt::gray);
        for (int y = 0; y < h; ++y)
            for (int x = 0; x < w; ++x) img.setPixelColor(x, y, enabledColour);
        const QString path = dir.filePath(name);
        EXPECT_TRUE(img.save(path));
        return path;
    }
    static QColor Shown(const TSpeedButton& b, qreal ratio, QIcon::Mode mode) {
        const QPixmap pm = b.icon().pixmap(b.iconSize(), ratio, mode);
        return pm.devicePixelRatio() == ratio ? pm.toImage().pixelColor(0, 0) : QColor();
    }
    QTemporaryDir dir;
    TSpeedButton button;
};

TEST_F(GlyphFileTest, ADoubledFileServesScreensOfRatioTwo) {
    const QString file = Write("g.png", 10, 8, Qt::red);
    Write("g@2x.png", 20, 16, Qt::blue);
    ASSERT_TRUE(button.LoadGlyph(file));
    EXPECT_EQ(button.iconSize(), QSize(10, 8));
    EXPECT_EQ(Shown(button, 1.0, QIcon::Normal), QColor(Qt::red));
    EXPECT_EQ(Shown(button, 2.0, QIcon::Normal), QColor(Qt::blue));
    EXPECT_EQ(Shown(button, 2.0, QIcon::Disabled), QColor(Qt::gray));

    // Without a doubled file, or with one of the wrong size, only 1x is there.
    for (const char* doubled : {"", "h@2x.png"}) {
        SCOPED_TRACE(doubled);
        if (*doubled) Write(doubled, 12, 16, Qt::blue);
        ASSERT_TRUE(button.LoadGlyph(Write("h.png", 10, 8, Qt::red)));
        EXPECT_EQ(Shown(button, 1.0, QIcon::Normal), QColor(Qt::red));
        EXPECT_FALSE(Shown(button, 2.0, QIcon::Normal).isValid());
    }
    EXPECT_FALSE(button.LoadGlyph(dir.filePath("missing.png")));
    EXPECT_EQ(button.iconSize(), QSize(10, 8));  // the glyph before stays
}

}  // namespace
