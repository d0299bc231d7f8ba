// Lumenfold: the site-gallery program.
#include "site_manager/builder/thumb_options_dialog.h"
#include "site_manager/main_window.h"
#include "site_manager/site_editor.h"

#include <QApplication>

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    QApplication::setApplicationName("Lumenfold Pro");

    // The long-lived forms, in their creation order; they last until the program ends.
    TfrmMain mainWindow;
    TdlgThumbOptions thumbOptions(&mainWindow);
    TdlgEditSite editSite(&mainWindow);
    dlgThumbOptions = &thumbOptions;
    dlgEditSite = &editSite;

    mainWindow.show();
    return app.exec();
}
