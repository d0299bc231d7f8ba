// Lumenfold: the site-gallery program.
#include "components/one_instance.h"
#include "imaging/imaging_init.h"
#include "platform/dialogs.h"
#include "platform/held_key_filter.h"
#include "site_manager/add_images_dialog.h"
#include "site_manager/builder/thumb_options_dialog.h"
#include "site_manager/main_window.h"
#include "site_manager/site_editor.h"

#include <QApplication>

int main(int argc, char** argv) {
    // The imaging library's readers and writers are registered before anything else runs.
    InitImagingLibrary();
    QApplication app(argc, argv);
    QApplication::setApplicationName("Lumenfold Pro");
    platform::installHeldEnterFilter(app);

    // The long-lived forms, in their creation order; they last until the program ends.
    TfrmMain mainWindow;
    // A later copy hands its command line to the running one, which comes to the front, and
    // ends without showing its window.
    try {
        mainWindow.OneInstance1->Loaded();
    } catch (const OneInstanceError& error) {
        platform::messageBox(error.what(), platform::MessageKind::Error);
        FinalizeImagingLibrary();
        return 1;
    }
    TdlgThumbOptions thumbOptions(&mainWindow);
    dlgThumbOptions = &thumbOptions;
    TdlgAddImages addImages(&mainWindow);
    dlgAddImages = &addImages;
    TdlgEditSite editSite(&mainWindow);
    dlgEditSite = &editSite;

    if (mainWindow.OneInstance1->isFirstInstance()) mainWindow.show();
    const int result = app.exec();
    FinalizeImagingLibrary();
    return result;
}
