// How the data grid lays out and draws a table: column widths against their
// titles, the empty row of a table without records, and painting that a
// field's text hook cannot break.

#include <gtest/gtest.h>

#include <QApplication>
#include <QFontDatabase>
#include <QFontMetricsF>
#include <QImage>
#include <QLineEdit>
#include <QTest>

#include "platform/dataset/client_dataset.h"
#include "platform/ui/application.h"
#include "platform/ui/data_source.h"
#include "platform/ui/db_grid.h"

namespace {

struct FieldSpec {
    const char* name;
    TFieldType type;
    int size;
};

// A grid showing an open dataset built from specs, without records.
class GridLooksTest : public ::testing::Test {
  protected:
    void SetUp() override {
        oldError_ = Application->SetErrorBoxHandler(
            [this](const QString&, const QString& text) { errors << text; });
    }
    void TearDown() override { Application->SetErrorBoxHandler(oldError_); }

    void Build(std::initializer_list<FieldSpec> specs) {
        ds.ResetStructure();
        for (const FieldSpec& s : specs) {
            TFieldDef& d = ds.FieldDefs().AddFieldDef();
            d.SetName(s.name);
            d.SetDataType(s.type);
            if (s.type == ftString) d.SetSize(s.size);
        }
        ds.CreateDataSet();
        source.SetDataSet(&ds);
        grid.resize(400, 200);
        grid.SetDataSource(&source);
    }
    // The room the grid gives a title: the column less the text margins of 2
    // on either side and the grid line at its right.
    int TitleRoom(int col) const { return grid.ColWidth(col) - 5; }
    int RowHeight() const { return grid.fontMetrics().height() + 4; }
    QImage Picture() { return grid.viewport()->grab().toImage(); }
    // Whether any pixel of rect in the picture has the colour.
    static bool Holds(const QImage& img, const QRect& rect, const QColor& colour) {
        for (int y = rect.top(); y <= rect.bottom(); ++y)
            for (int x = rect.left(); x <= rect.right(); ++x)
                if (img.pixelColor(x, y) == colour) return true;
        return false;
    }

    TClientDataSet ds;
    TDataSource source;
    TDBGrid grid;
    QStringList errors;

  private:
    TApplication::MessageHandler oldError_;
};

TEST_F(GridLooksTest, EveryColumnIsAtLeastAsWideAsItsTitle) {
    // Titles whose kind or length asks for less room than the title, in fonts
    // and sizes where the exact title width has a fraction.
    const QStringList families = {QApplication::font().family(), "Liberation Sans", "DejaVu Sans",
                                  "DejaVu Serif"};
    for (const QString& family : families) {
        for (int px = 8; px <= 17; ++px) {
            QFont font(family);
            font.setPixelSize(px);
            grid.setFont(font);
            Build({{"Field3", ftBoolean, 0},
                   {"Name", ftString, 1},
                   {"Wahrheitswert", ftBoolean, 0},
                   {"Menge", ftSmallint, 0},
                   {"Mittelwert", ftFloat, 0},
                   {"WWWWWWW", ftInteger, 0},
                   {"iiiiiiiiiiil", ftString, 2}});
            const QFontMetricsF exact(grid.font());
            const QFontMetrics shown(grid.font());
            for (int c = 0; c < grid.ColCount(); ++c) {
                const QString title = grid.ColumnTitle(c);
                SCOPED_TRACE((family + " " + QString::number(px) + "px " + title).toStdString());
                EXPECT_GE(TitleRoom(c), exact.horizontalAdvance(title));
                EXPECT_EQ(shown.elidedText(title, Qt::ElideRight, TitleRoom(c)), title);
            }
        }
    }
}

TEST_F(GridLooksTest, ColumnsNotSizedByTheUserFollowAFontChange) {
    QFont font = grid.font();
    font.setPixelSize(10);
    grid.setFont(font);
    Build({{"Wahrheitswert", ftBoolean, 0}, {"B", ftBoolean, 0}});
    grid.SetColWidth(1, 30);
    const int before = grid.ColWidth(0);
    font.setPixelSize(20);
    grid.setFont(font);
    EXPECT_GT(grid.ColWidth(0), before);
    EXPECT_GE(TitleRoom(0), QFontMetricsF(font).horizontalAdvance("Wahrheitswert"));
    EXPECT_EQ(grid.ColWidth(1), 30);
}

TEST_F(GridLooksTest, AnEmptyTableShowsOneRowToTypeInto) {
    Build({{"Name", ftString, 20}, {"Ok", ftBoolean, 0}});
    QWidget other;
    auto* otherEdit = new QLineEdit(&other);
    grid.show();
    grid.setFocus();
    const int rh = RowHeight();
    const QColor highlight = grid.palette().color(QPalette::Active, QPalette::Highlight);
    auto rowShown = [&] {
        const QImage img = Picture();
        const QRect indicator(0, rh, 11, rh - 1);
        const int left = 12 + (grid.Col() == 1 ? grid.ColWidth(0) : 0);
        const QRect cell(left + 1, rh + 1, grid.ColWidth(grid.Col()) - 3, rh - 3);
        return std::make_pair(Holds(img, indicator, Qt::black), Holds(img, cell, highlight));
    };
    EXPECT_EQ(rowShown(), std::make_pair(true, true));  // the marker and the current cell

    // A click on the row's second cell makes it current, still without a record.
    QTest::mouseClick(grid.viewport(), Qt::LeftButton, {},
                      QPoint(12 + grid.ColWidth(0) + 5, rh + rh / 2));
    EXPECT_EQ(grid.Col(), 1);
    EXPECT_EQ(ds.ViewCount(), 0);

    // Typing starts the first record; Escape twice abandons it.
    QTest::keyClicks(&grid, "x");
    EXPECT_EQ(ds.State(), dsInsert);
    EXPECT_EQ(ds.ViewCount(), 1);
    QTest::keyClick(grid.InplaceEditor(), Qt::Key_Escape);
    QTest::keyClick(&grid, Qt::Key_Escape);
    EXPECT_EQ(ds.State(), dsBrowse);
    EXPECT_EQ(ds.RecordCount(), 0);
    EXPECT_EQ(rowShown(), std::make_pair(true, true));

    // F2 opens the row's editor; leaving it unchanged leaves the table empty.
    QTest::keyClick(&grid, Qt::Key_F2);
    ASSERT_TRUE(grid.EditorMode());
    other.show();
    QApplication::setActiveWindow(&grid);
    otherEdit->setFocus(Qt::MouseFocusReason);
    grid.clearFocus();
    EXPECT_EQ(ds.RecordCount(), 0);

    // A value typed into the row becomes the first record.
    grid.setFocus();
    QTest::mouseClick(grid.viewport(), Qt::LeftButton, {}, QPoint(20, rh + rh / 2));
    QTest::keyClicks(&grid, "a");
    QTest::keyClicks(grid.InplaceEditor(), "nna");
    QTest::keyClick(grid.InplaceEditor(), Qt::Key_Return);
    ds.Post();
    EXPECT_EQ(ds.RecordCount(), 1);
    EXPECT_EQ(ds.ViewDisplayText(0, 0), "anna");
    EXPECT_TRUE(errors.isEmpty()) << errors.join("\n").toStdString();
}

TEST_F(GridLooksTest, ARaisingTextHookLeavesThePictureAndTheProgram) {
    Build({{"Name", ftString, 20}});
    ds.Append();
    ds.Fields()[0].SetAsString("anna");
    ds.Post();
    int calls = 0;
    ds.Fields()[0].OnGetText = [&calls](TField&, AnsiString&, bool) {
        ++calls;
        throw 42;  // not even an exception class
    };
    grid.show();
    EXPECT_NO_THROW(Picture());
    EXPECT_GT(calls, 0);
    QTest::keyClick(&grid, Qt::Key_F2);  // the editor cannot read the text: the error is shown
    EXPECT_NO_THROW(Picture());
}

}  // namespace
