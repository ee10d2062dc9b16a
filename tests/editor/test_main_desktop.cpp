// The started editor on a desktop: menu hints under the pointer, what the
// pointer rests on after a menu or a modal box, fonts, the room that pickers,
// headings and labels give their texts, the file dialogs' filter names, the
// About box's edge and the main window's size.

#include <QComboBox>
#include <QCursor>
#include <QFileDialog>
#include <QFontDatabase>
#include <QFontInfo>
#include <QImage>
#include <QLabel>
#include <QMenu>
#include <QMenuBar>
#include <QMessageBox>
#include <QToolTip>

#include "editor/info_dlg.h"
#include "platform/ui/combo_box.h"
#include "platform/ui/labeled_edit.h"
#include "platform/ui/qt_text.h"
#include "platform/ui/speed_button.h"
#include "platform/ui/string_grid_view.h"
#include "test_main_support.h"

namespace {

QMenu* MenuAt(int position) {
    return MainForm->MainMenu->actions()[position]->menu();
}

// Opens a drop-down menu of the main window as a click on the menu bar does.
QMenu* OpenMenu(int position) {
    QMenu* menu = MenuAt(position);
    const QRect title = MainForm->MainMenu->actionGeometry(MainForm->MainMenu->actions()[position]);
    QTest::mouseClick(MainForm->MainMenu, Qt::LeftButton, {}, title.center());
    EXPECT_TRUE(QTest::qWaitForWindowExposed(menu));
    return menu;
}

void PointAt(QWidget* widget, QPoint local = QPoint(-1, -1)) {
    if (local.x() < 0) local = widget->rect().center();
    QTest::mouseMove(widget, local);
}

class DesktopTest : public RoadTest {
  protected:
    void TearDown() override {
        if (QWidget* popup = QApplication::activePopupWidget()) popup->close();
        QCursor::setPos(0, 0);
        RoadTest::TearDown();
    }
};

TEST_F(DesktopTest, HighlightedMenuItemsShowTheirHintsDisabledOnesTooSeparatorsNone) {
    TMainForm& m = *MainForm;
    const struct {
        int menu;
        QAction* item;
        const char* status;
    } cases[] = {
        {0, m.FileNewItem, "Create New File"},
        {0, m.FileSaveItem, "File Save"},  // disabled before a table is open
        {0, m.FileSaveAsItem, "File Save As"},
        {0, nullptr, ""},  // the separator N4, before the exit item
        {0, m.FileExitItem, "Exit QMT Editor"},
        {1, m.TabStructureItem, "Table Configuration"},  // disabled at start-up
        {2, m.HelpAboutItem, "Program Info"},
    };
    ASSERT_FALSE(m.FileSaveItem->isEnabled());
    ASSERT_FALSE(m.TabStructureItem->isEnabled());
    for (const auto& c : cases) {
        QMenu* menu = OpenMenu(c.menu);
        QAction* item = c.item;
        if (item == nullptr) {
            const QList<QAction*> items = menu->actions();
            item = items[items.indexOf(m.FileExitItem) - 1];
            ASSERT_TRUE(item->isSeparator() && item->isVisible());
        }
        // From a neighbour with another hint, so that a missed highlight shows.
        PointAt(menu, menu->actionGeometry(c.item == m.FileNewItem ? m.FileExitItem
                                                                   : menu->actions().first())
                          .center());
        PointAt(menu, menu->actionGeometry(item).center());
        EXPECT_EQ(m.StatusText(), c.status) << c.status;
        menu->close();
    }
}

TEST_F(DesktopTest, KeysMovingTheHighlightMoveTheHint) {
    QMenu* menu = OpenMenu(0);
    PointAt(menu, menu->actionGeometry(MainForm->FileNewItem).center());
    QTest::keyClick(menu, Qt::Key_Down);
    QApplication::processEvents();
    // The disabled items are stepped over by the keys.
    EXPECT_EQ(MainForm->StatusText(), "Open Existing File");
    QTest::keyClick(menu, Qt::Key_Down);
    QApplication::processEvents();
    EXPECT_EQ(MainForm->StatusText(), "Exit QMT Editor");
}

// Runs a modal box; while it is up the pointer moves to target (the window
// behind gets no leave), then the box closes with Enter.
void WhileModal(QDialog* box, QWidget* target, const std::function<void()>& command) {
    QTimer::singleShot(0, box, [box, target] {
        QCursor::setPos(target->mapToGlobal(target->rect().center()));
        QApplication::processEvents();
        QTest::keyClick(box, Qt::Key_Return);
        if (box->isVisible()) box->done(2);
    });
    command();
    QApplication::processEvents();
}

TEST_F(DesktopTest, AfterTheAboutBoxTheStatusLineFollowsThePointer) {
    TMainForm& m = *MainForm;
    PointAt(m.sbEditTable);
    EXPECT_EQ(m.StatusText(), "Table Configuration...");
    // The box closes with the pointer on the grid, which has no hint.
    WhileModal(AboutBox, m.dbgQMT, [&] { m.HelpAboutItem->trigger(); });
    EXPECT_FALSE(AboutBox->isVisible());
    EXPECT_EQ(m.StatusText(), "");
    // And with the pointer back on the button, its hint again.
    WhileModal(AboutBox, m.sbEditTable, [&] { m.HelpAboutItem->trigger(); });
    EXPECT_EQ(m.StatusText(), "Table Configuration...");
}

TEST_F(DesktopTest, ASpeedButtonLooksHotOnlyWhileThePointerIsOnIt) {
    TMainForm& m = *MainForm;
    PointAt(m.sbOpen);
    ASSERT_TRUE(m.sbOpen->underMouse());
    WhileModal(fmNewTable, m.dbgQMT, [&] { m.FileNewItem->trigger(); });
    EXPECT_FALSE(m.sbOpen->underMouse());
    EXPECT_TRUE(m.dbgQMT->underMouse() ||
                m.dbgQMT->isAncestorOf(QApplication::widgetAt(QCursor::pos())));
    // A menu that closes over the button leaves the button hot, as the pointer rests on it.
    QMenu* menu = OpenMenu(0);
    PointAt(menu, menu->actionGeometry(m.FileNewItem).center());
    QCursor::setPos(m.sbOpen->mapToGlobal(m.sbOpen->rect().center()));
    menu->close();
    QApplication::processEvents();
    EXPECT_TRUE(m.sbOpen->underMouse());
    EXPECT_EQ(m.StatusText(), "");  // "Open|" has an empty long part
}

TEST_F(MainWindowTest, MenusTooltipsBoxesAndDialogsShareTheFormsFont) {
    QMessageBox box;
    QFont app = QApplication::font();
    const std::pair<const char*, QFont> fonts[] = {
        {"main window", MainForm->font()},
        {"menu bar", MainForm->MainMenu->font()},
        {"drop-down menu", MenuAt(0)->font()},
        {"tooltip", QToolTip::font()},
        {"message box", box.font()},
        {"new-table dialog", fmNewTable->font()},
        {"restructure dialog", fmEditTable->font()},
        {"About box", AboutBox->font()},
    };
    for (const auto& [what, font] : fonts) {
        EXPECT_EQ(font.pixelSize(), 11) << what;
        EXPECT_EQ(QFontInfo(font).family(), QFontInfo(app).family()) << what;
    }
    // Where the Arial-metric face is installed it stands in for "MS Sans Serif".
    if (QFontDatabase::hasFamily("Liberation Sans")) {
        EXPECT_EQ(QFontInfo(app).family(), "Liberation Sans");
    }
}

TEST_F(MainWindowTest, PickerEntriesHeadingsAndLabelsFitTheirRoom) {
    const struct {
        const char* dialog;
        TFieldGridDialog* form;
        int kindCol;
        int designedWidth;  // of all columns together
    } dialogs[] = {
        {"new table", fmNewTable, 1, 0},
        {"restructure", fmEditTable, 2, 92 + 92 + 56 + 38},
    };
    for (const auto& d : dialogs) {
        TStringGridView& view = *d.form->sgFields;
        TStringGrid& grid = view.Grid();
        // The picker is laid over the kind cell, as large as the cell.
        TComboBox* picker = d.form->cbTypes;
        const QFontMetrics metrics(picker->font());
        const int room =
            PickerTextRoom(picker, QSize(view.ColWidth(d.kindCol), view.DefaultRowHeight()));
        for (int i = 0; i < picker->count(); ++i)
            EXPECT_LE(metrics.horizontalAdvance(picker->itemText(i)), room)
                << d.dialog << ": " << picker->itemText(i).toStdString();
        int total = 0;
        for (int c = 0; c < grid.ColCount(); ++c) {
            total += view.ColWidth(c);
            const QString heading = AnsiToQString(grid.Cells(c, 0));
            EXPECT_LE(QFontMetrics(view.font()).horizontalAdvance(heading) + 4, view.ColWidth(c))
                << d.dialog << ": " << heading.toStdString();
        }
        if (d.designedWidth > 0) {
            EXPECT_EQ(total, d.designedWidth) << d.dialog;
        }
    }
    const std::pair<const char*, QLabel*> labels[] = {
        {"sort label", MainForm->lSort},
        {"field count label", fmNewTable->leFieldCount->EditLabel()},
        {"About product", AboutBox->ProductName},
        {"About version", AboutBox->Version},
        {"About line", AboutBox->Copyright},
    };
    for (const auto& [what, label] : labels)
        EXPECT_LE(label->fontMetrics().horizontalAdvance(label->text()), label->width()) << what;
}

TEST_F(MainWindowTest, TheAboutBoxPanelHasAnEtchedEdge) {
    AboutBox->ensurePolished();
    const QImage image = AboutBox->Panel1->grab().toImage();
    const int mid = image.height() / 2;
    const QColor face = AboutBox->palette().color(QPalette::Window);
    auto light = [&](int x, int y) { return image.pixelColor(x, y).lightness(); };
    // Lowered outside (dark, then light on the far side), raised inside: one
    // groove of two lines, with the face behind it.
    EXPECT_LT(light(0, mid), face.lightness());
    EXPECT_GT(light(1, mid), light(0, mid));
    EXPECT_LT(light(image.width() - 2, mid), light(image.width() - 1, mid));
    EXPECT_EQ(image.pixelColor(2, mid), face);
    EXPECT_EQ(image.pixelColor(mid, 2), face);
}

TEST_F(MainWindowTest, TheMainWindowKeepsItsOuterSizeAndRoomForItsControls) {
    TMainForm& m = *MainForm;
    m.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&m));
    EXPECT_EQ(m.frameGeometry().size(), QSize(780, 580));
    m.resize(200, 200);
    QApplication::processEvents();
    const QRect navigator = m.DBNTable->geometry();
    EXPECT_LE(navigator.right(), m.Panel3->geometry().left());
    EXPECT_GE(m.width(), navigator.right() + m.Panel3->width());
}

// Runs a file dialog of the main window and gives back the names of its filters.
QStringList FilterNames(const std::function<bool(QString&)>& execute) {
    QStringList names;
    QTimer::singleShot(0, [&names] {
        auto* dialog = qobject_cast<QFileDialog*>(QApplication::activeModalWidget());
        if (dialog == nullptr) return;
        if (auto* kinds = dialog->findChild<QComboBox*>("fileTypeCombo"))
            for (int i = 0; i < kinds->count(); ++i) names << kinds->itemText(i);
        dialog->reject();
    });
    QString name;
    EXPECT_FALSE(execute(name));
    return names;
}

TEST(MainWindowDialogs, OpenAndSaveListTheirFiltersByTheDesignedNames) {
    CreateForms();
    SetEnglishTexts();
    const QStringList designed{"Quimbly Table Format", "Alle Dateien"};
    EXPECT_EQ(FilterNames(MainForm->OpenDialogExecute), designed);
    EXPECT_EQ(FilterNames(MainForm->SaveDialogExecute), designed);
    DestroyForms();
}

}  // namespace
