// A new table without records: its grid offers one empty row to type into.
#include <QImage>

#include "test_main_support.h"

namespace {

// Whether the grid's first row shows the current-row marker (black pixels in
// the indicator cell) and the current cell (the highlight colour).
std::pair<bool, bool> FirstRowShown() {
    TDBGrid* grid = MainForm->dbgQMT;
    const QImage img = grid->viewport()->grab().toImage();
    const int rh = grid->fontMetrics().height() + 4;
    const QColor highlight = grid->palette().color(QPalette::Active, QPalette::Highlight);
    bool marker = false, current = false;
    for (int y = rh; y < 2 * rh - 1; ++y)
        for (int x = 0; x < 12 + grid->ColWidth(0) - 1; ++x) {
            const QColor c = img.pixelColor(x, y);
            if (x < 11 && c == Qt::black) marker = true;
            if (x > 12 && c == highlight) current = true;
        }
    return {marker, current};
}

}  // namespace

TEST_F(RoadTest, ANewTableOffersOneRowToTypeIntoAndStaysEmptyWhenLeftUnchanged) {
    NewTable({{"Name", "String", "1"}, {"Field3", "Boolean", "-----"}});
    ASSERT_TRUE(errors.isEmpty()) << errors.join("\n").toStdString();
    FocusGrid();
    EXPECT_EQ(FirstRowShown(), std::make_pair(true, true));
    EXPECT_EQ(ActiveTable->RecordCount(), 0);

    Key(Qt::Key_F2);  // the row's editor, then away without typing
    Key(Qt::Key_Escape);
    Key(Qt::Key_Escape);
    MainForm->cbSort->setFocus(Qt::MouseFocusReason);
    EXPECT_EQ(ActiveTable->RecordCount(), 0);
    EXPECT_EQ(ActiveTable->State(), dsBrowse);

    FocusGrid();
    Type("ab");  // the first record, appended; the text column keeps one character
    Key(Qt::Key_Tab);
    Type("1");
    MainForm->cbSort->setFocus(Qt::MouseFocusReason);
    Pick(MainForm->cbSort, 1);  // sorting first posts the record
    EXPECT_EQ(ActiveTable->RecordCount(), 1);
    EXPECT_EQ(Column("Name"), QStringList({"a"}));
    EXPECT_EQ(Column("Field3"), QStringList({"true"}));
    EXPECT_TRUE(errors.isEmpty()) << errors.join("\n").toStdString();
}
