// Start-up state and texts of the main window, its hints and the About box.
#include <QMenu>
#include <QMenuBar>

#include "editor/info_dlg.h"
#include "test_main_support.h"

namespace {

// The captions of a menu's visible items; "-" for a separator.
QStringList VisibleItems(QMenu* menu) {
    QStringList items;
    for (QAction* a : menu->actions())
        if (a->isVisible()) items << (a->isSeparator() ? QString("-") : a->text());
    return items;
}
std::string Headings(TStringGrid& g) {
    std::string s;
    for (int c = 0; c < g.ColCount(); ++c) s += (c ? "|" : "") + g.Cells(c, 0);
    return s;
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
    EXPECT_EQ(Headings(fmNewTable->sgFields->Grid()), "Name|Data Type|Size");
    EXPECT_EQ(Headings(fmEditTable->sgFields->Grid()),
              "Old Field Name|New Field Name|Data Type|Size");
    // The navigator keeps only its untranslated prior hint.
    EXPECT_EQ(m.DBNTable->Hints(),
              QStringList({"First Record", "Vorheriger Datensatz", "Next Record", "Last Record",
                           "Insert Record", "Delete Record", "Edit Record", "Transfer",
                           "Edit Cancel", "Refresh Data"}));

    EXPECT_EQ(View(), "000000000 grid shown unfed, navigator shown, no table");
    EXPECT_TRUE(m.sbNew->isEnabled() && m.sbOpen->isEnabled());
    EXPECT_TRUE(m.sbDirAsc->Down());
    EXPECT_FALSE(m.sbDirDesc->Down());
    EXPECT_EQ(m.cbSort->ItemCount(), 0);
    EXPECT_EQ(m.DBNTable->DataSource(), dm1->dsQMT);
    for (int b = nbFirst; b <= nbRefresh; ++b)
        EXPECT_FALSE(m.DBNTable->Button(static_cast<TNavigateBtn>(b))->isEnabled()) << b;
    EXPECT_EQ(m.StatusText(), "");
    EXPECT_TRUE(CurrentFileName.isEmpty());
}

TEST_F(MainWindowTest, HintsSplitIntoTooltipAndStatusText) {
    TMainForm& m = *MainForm;
    struct Case {
        QWidget* widget;
        const char* tooltip;
        const char* status;
    } cases[] = {
        {m.sbNew, "New", ""},
        {m.sbSaveAs, "Save As...", ""},
        {m.sbEditTable, "Table Configuration...", "Table Configuration..."},
        {m.sbDirDesc, "Descending", "Descending"},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(c.widget->toolTip(), c.tooltip);
        EXPECT_EQ(GetLongHint(HintOf(c.widget)), c.status);
    }
    // A highlighted menu item's whole hint reaches the status line.
    m.TabStructureItem->hover();
    EXPECT_EQ(m.StatusText(), "Table Configuration");
    m.FileNewItem->hover();
    EXPECT_EQ(m.StatusText(), "Create New File");
    // Closing the menu, or highlighting a top-level menu (no hint), empties it.
    emit m.MainMenu->actions()[0]->menu()->aboutToHide();
    EXPECT_EQ(m.StatusText(), "");
    m.FileNewItem->hover();
    emit m.MainMenu->hovered(m.MainMenu->actions()[1]);
    EXPECT_EQ(m.StatusText(), "");
    Application->SetHint("");
    EXPECT_EQ(m.StatusText(), "");
}

TEST_F(MainWindowTest, AboutShowsTheBoxModallyAndChangesNothing) {
    bool shown = false;
    WithDialog(
        AboutBox,
        [&] {
            shown = AboutBox->isVisible();
            EXPECT_EQ(AboutBox->windowTitle(), "Info");
            EXPECT_EQ(AboutBox->ProductName->text(), "QMT Editor");
            EXPECT_EQ(AboutBox->Version->text(), "Version 1.0");
        },
        1, [] { MainForm->HelpAboutItem->trigger(); });
    EXPECT_TRUE(shown);
    EXPECT_EQ(MainForm->windowTitle(), "QMT Editor 1.0.1");
}
