// Start-up state and texts of the main window, its hints and the About box.
#include <QMenu>
#include <QMenuBar>

#include "test_main_support.h"

namespace {

// The captions of a menu's visible items; "-" for a separator.
QStringList VisibleItems(QMenu* menu) {
    QStringList items;
    for (QAction* a : menu->actions())
        if (a->isVisible()) items << (a->isSeparator() ? QString("-") : a->text());
    return items;
}

}  // namespace

TEST_F(MainWindowTest, StartsWithEnglishTextsAndNoTable) {
    TMainForm& m = *MainForm;
    QStringList titles;
    for (QAction* a : m.MainMenu->actions()) titles << a->text();
    EXPECT_EQ(titles, QStringList({"File", "Edit", "Help"}));
    const QList<QAction*> menus = m.MainMenu->actions();
    EXPECT_EQ(VisibleItems(menus[0]->menu()),
              QStringList({"New", "Open", "Save", "Save As...", "-", "Exit"}));
    EXPECT_EQ(VisibleItems(menus[1]->menu()), QStringList({"Table Configuration..."}));
    EXPECT_EQ(VisibleItems(menus[2]->menu()), QStringList({"I&nfo..."}));
    EXPECT_EQ(m.windowTitle(), "QMT Editor 1.0.1");
    EXPECT_EQ(m.lSort->text(), "      Sort:");
    EXPECT_EQ(fmEditTable->windowTitle(), "Table Configuration");
    EXPECT_EQ(fmNewTable->windowTitle(), "Create New Table");
    EXPECT_EQ(GridRows(fmNewTable->sgFields->Grid(), 0).value(0), "Name|Data Type|Size");
    EXPECT_EQ(GridRows(fmEditTable->sgFields->Grid(), 0).value(0),
              "Old Field Name|New Field Name|Data Type|Size");
    // The navigator keeps only its untranslated prior hint.
    EXPECT_EQ(m.DBNTable->Hints(),
              QStringList({"First Record", "Vorheriger Datensatz", "Next Record", "Last Record",
                           "Insert Record", "Delete Record", "Edit Record", "Transfer",
                           "Edit Cancel", "Refresh Data"}));

    EXPECT_EQ(View(), "000000000 grid shown unfed, navigator shown, no table");
    EXPECT_TRUE(m.sbNew->isEnabled() && m.sbOpen->isEnabled());
    EXPECT_TRUE(m.sbDirAsc->Down() && !m.sbDirDesc->Down());
    EXPECT_EQ(m.cbSort->ItemCount(), 0);
    for (int b = nbFirst; b <= nbRefresh; ++b)
        EXPECT_FALSE(m.DBNTable->Button(static_cast<TNavigateBtn>(b))->isEnabled()) << b;
    EXPECT_EQ(m.StatusText(), "");
    EXPECT_TRUE(CurrentFileName.isEmpty());
}

TEST_F(MainWindowTest, HintsSplitIntoTooltipAndStatusText) {
    TMainForm& m = *MainForm;
    EXPECT_EQ(m.sbNew->toolTip(), "New");
    EXPECT_EQ(GetLongHint(HintOf(m.sbNew)), "");
    EXPECT_EQ(m.sbDirDesc->toolTip(), "Descending");
    EXPECT_EQ(GetLongHint(HintOf(m.sbDirDesc)), "Descending");
    // A highlighted menu item's whole hint reaches the status line; closing
    // the menu, or highlighting a top-level menu (no hint), empties it.
    m.FileNewItem->hover();
    EXPECT_EQ(m.StatusText(), "Create New File");
    emit m.MainMenu->actions()[0]->menu()->aboutToHide();
    EXPECT_EQ(m.StatusText(), "");
    m.TabStructureItem->hover();
    EXPECT_EQ(m.StatusText(), "Table Configuration");
    emit m.MainMenu->hovered(m.MainMenu->actions()[1]);
    EXPECT_EQ(m.StatusText(), "");
}
