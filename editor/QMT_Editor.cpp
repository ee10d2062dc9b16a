// The program block: prepares the application, creates the windows, sets the
// English texts and runs the message loop until the main window is closed.

#include <QApplication>
#include <QIcon>

#include "editor/Main.h"
#include "editor/startup.h"
#include "platform/core/number_text.h"
#include "platform/ui/application.h"

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    // The desktop file name lets the desktop (Wayland above all) find the
    // program's entry and icon; it is the id the installed files carry.
    QApplication::setApplicationName("QMT Editor");
    QGuiApplication::setDesktopFileName("io.github.quimbly.QMTEditor");
    TApplication application;
    Application->SetTitle("QMT Editor");
    InitFormatSettingsFromLocale();
    CreateForms();
    SetEnglishTexts();
    QApplication::setWindowIcon(MainForm->windowIcon());
    MainForm->show();
    app.exec();
    DestroyForms();
    return 0;
}
