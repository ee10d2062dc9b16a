// The dialogs belong to the main window: each showing is modal, centred over
// the main window wherever it stands, and transient for it; the same dialog
// object serves every showing.
#include <QScreen>
#include <QWindow>

#include "editor/info_dlg.h"
#include "test_main_support.h"

namespace {

struct Showing {
    QWidget* parent = nullptr;
    bool modal = false;
    bool transient = false;
    QPoint offCentre;  // the dialog's centre less the main window's
};

}  // namespace

TEST_F(MainWindowTest, DialogsShowCentredOverTheMainWindowAndBelongToIt) {
    NewTable({{"Name", "String", "5"}});
    MainForm->show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(MainForm));
    const QRect area = MainForm->screen()->availableGeometry();
    const QSize slack = area.size() - MainForm->frameGeometry().size();
    ASSERT_GE(slack.width(), 0);
    ASSERT_GE(slack.height(), 0);

    const struct {
        const char* name;
        QDialog* dialog;
        std::function<void()> command;
    } cases[] = {
        {"New", fmNewTable, [] { MainForm->sbNew->Click(); }},
        {"Table Configuration", fmEditTable, [] { MainForm->sbEditTable->Click(); }},
        {"Info", AboutBox, [] { MainForm->HelpAboutItem->trigger(); }},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        // Two places of the main window: the dialog follows it.
        for (QPoint place :
             {area.topLeft(), area.topLeft() + QPoint(slack.width(), slack.height())}) {
            MainForm->move(place);
            QTest::qWait(0);
            Showing seen;
            QDialog* dialog = c.dialog;
            WithDialog(
                dialog,
                [&] {
                    seen.parent = dialog->parentWidget();
                    seen.modal = dialog->isModal() && QApplication::activeModalWidget() == dialog;
                    seen.transient =
                        dialog->windowHandle() != nullptr &&
                        dialog->windowHandle()->transientParent() == MainForm->windowHandle();
                    seen.offCentre =
                        dialog->frameGeometry().center() - MainForm->frameGeometry().center();
                },
                2, c.command);
            EXPECT_EQ(seen.parent, MainForm);
            EXPECT_TRUE(seen.modal);
            EXPECT_TRUE(seen.transient);
            EXPECT_LE(std::abs(seen.offCentre.x()), 1) << seen.offCentre.x();
            EXPECT_LE(std::abs(seen.offCentre.y()), 1) << seen.offCentre.y();
        }
    }
    // Cancelled, the dialogs leave the table as it was.
    EXPECT_EQ(ActiveTable->Fields().Count(), 1);
}
