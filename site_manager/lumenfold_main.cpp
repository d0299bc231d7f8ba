// Lumenfold: the site-gallery program.
#include "imaging/imaging_init.h"
#include "site_manager/builder/thumb_options_dialog.h"
#include "site_manager/main_window.h"
#include "site_manager/site_editor.h"

#include <QApplication>

int main(int argc, char** argv) {
    // The imaging library's readers and writers are registered before anything else runs.
    InitImagingLibrary();
    QApplication app(argc, argv);
    QApplication::setApplicationName("Lumenfold Pro");

    // The long-lived forms, in their creation order; they last until the program ends.
    TfrmMain mainWindow;
    TdlgThumbOptions thumbOptions(&mainWindow);
    TdlgEditSite editSite(&mainWindow);
    dlgThumbOptions = &thumbOptions;
    dlgEditSite = &editSite;

    mainWindow.show();
    const int result = app.exec();
    FinalizeImagingLibrary();
    return result;
}
