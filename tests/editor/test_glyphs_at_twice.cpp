// The editor's glyph files and pictures for screens of device pixel ratio 2.
#include <QIcon>
#include <QImage>
#include <span>

#include "platform/ui/speed_button.h"
#include "test_main_support.h"

namespace {

const char* const kGlyphFiles[] = {"program_icon", "sbNew",       "sbOpen",   "sbSave",
                                   "sbSaveAs",     "sbEditTable", "sbDirAsc", "sbDirDesc"};

}  // namespace

TEST(GlyphFilesTest, EveryGlyphHasATwiceAsFineFileOfTheSameDesign) {
    for (const char* name : kGlyphFiles) {
        SCOPED_TRACE(name);
        const QImage one(QStringLiteral(":/glyphs/%1.png").arg(name));
        const QImage two(QStringLiteral(":/glyphs/%1@2x.png").arg(name));
        ASSERT_FALSE(one.isNull());
        ASSERT_FALSE(two.isNull());
        EXPECT_EQ(two.devicePixelRatio(), 2.0);
        ASSERT_EQ(two.size(), one.size() * 2);
        // Each pixel becomes a 2 x 2 block mostly of its own colour; some
        // blocks (along slanted edges) take up a neighbour's colour, which a
        // doubled picture never does.
        int ownDetail = 0;
        for (int y = 0; y < one.height(); ++y) {
            for (int x = 0; x < one.width(); ++x) {
                int same = 0;
                for (int k = 0; k < 4; ++k)
                    same += two.pixel(2 * x + k % 2, 2 * y + k / 2) == one.pixel(x, y);
                ASSERT_GE(same, 2) << x << "," << y;
                ownDetail += same < 4;
            }
        }
        EXPECT_GT(ownDetail, 0);
    }
}

TEST_F(MainWindowTest, SpeedButtonGlyphsComeAtTwiceTheResolution) {
    // The main window's glyph files as a speed button loads them, and the
    // row buttons that the restructure dialog paints.
    TSpeedButton button;
    for (const char* name : std::span(kGlyphFiles).subspan(1)) {  // all but the program icon
        SCOPED_TRACE(name);
        ASSERT_TRUE(button.LoadGlyph(QStringLiteral(":/glyphs/%1.png").arg(name)));
        for (QIcon::Mode mode : {QIcon::Normal, QIcon::Disabled}) {
            const QPixmap pm = button.icon().pixmap(button.iconSize(), 2.0, mode);
            EXPECT_EQ(pm.devicePixelRatio(), 2.0);
            EXPECT_EQ(pm.size(), button.iconSize() * 2);
        }
    }
    for (TSpeedButton* row : {fmEditTable->sbRowUp, fmEditTable->sbRowInsert,
                              fmEditTable->sbRowDelete, fmEditTable->sbRowDown}) {
        const QPixmap pm = row->icon().pixmap(row->iconSize(), 2.0, QIcon::Normal);
        EXPECT_EQ(pm.devicePixelRatio(), 2.0);
        EXPECT_EQ(pm.size(), QSize(32, 32));
    }
}
