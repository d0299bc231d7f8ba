// The site editor's images: the image list follows the rotation directory; images are added by
// dropping files or choosing them (JPEG and GIF copied, other formats converted to JPEG) and
// removed with the Delete key.
#include "components/file_list_box.h"
#include "imaging/pixel_graphic.h"
#include "platform/dialogs.h"
#include "platform/file_ops.h"
#include "platform/hourglass.h"
#include "site_manager/add_images_dialog.h"
#include "site_manager/application_options.h"
#include "site_manager/file_helpers.h"
#include "site_manager/image_conversion.h"
#include "site_manager/site_editor.h"
#include "site_manager/site_paths.h"

#include <QFileDialog>
#include <QFileInfo>
#include <QLabel>
#include <QLineEdit>
#include <exception>
#include <memory>

using platform::MessageButtons;
using platform::MessageKind;
using platform::MessageResult;

bool TdlgEditSite::addimage(const QString& source, const QString& destination) {
    try {
        if (!checksupportedformat(source))
            return platform::askOkCancel("The file, " + source + ", is not a supported image format",
                                         MessageKind::Information);
        // Overwriting a file with itself would delete it before the copy.
        if (sameFile(source, destination)) {
            platform::messageBox("The destination folder is the same as the source!", MessageKind::Error,
                                 MessageButtons::OK, "DropSource Demo");
            return false;
        }
        if (platform::fileExists(destination)) {
            const MessageResult answer = platform::messageBox(
                "A file by the name of " + destination + " already exists.  Are you sure you want to overwrite it?",
                MessageKind::Confirmation, MessageButtons::YesNoCancel);
            if (answer == MessageResult::Cancel) return false;
            if (answer == MessageResult::No) return true;
            if (!dodeletefile(destination, true)) throw std::runtime_error("cannot replace the existing file");
        }
        if (checkHTMLsupportedformat(destination)) {
            docopyfile(source, destination, true);
            if (!platform::fileExists(destination)) throw std::runtime_error("copy failed");
        } else {
            const QString jpegName = changeextension(destination, ".jpg");
            // The converted file must not silently replace an image already in the rotation.
            if (platform::fileExists(jpegName)) {
                const MessageResult answer = platform::messageBox(
                    "A file by the name of " + jpegName + " already exists.  Are you sure you want to overwrite it?",
                    MessageKind::Confirmation, MessageButtons::YesNoCancel);
                if (answer == MessageResult::Cancel) return false;
                if (answer == MessageResult::No) return true;
            }
            auto image = std::make_unique<TPixelGraphic>();
            image->LoadFromFile(source);
            if (!savetojpeg(*image, jpegName, true, ApplicationOptions.DefaultJPEGCompression))
                throw std::runtime_error("conversion failed");
        }
        return true;
    } catch (const std::exception&) {
        return platform::askOkCancel("Error encountered copying the file, " + source +
                                     "!  You may be out of disk space or do not have write access to the directory "
                                     "you are copying to");
    }
}

void TdlgEditSite::edtrotationdirectoryChange() {
    const QString directory = edtrotationdirectory->text();
    try {
        FileBox->ApplyFilePath(directory);
    } catch (const std::exception&) {
        platform::showWarning("Error encountered changing to the directory, " + directory + "!");
    }
}

void TdlgEditSite::FileBoxChange() {
    lblfilecount->setText(QString::number(FileBox->count()) + " Images");
    if (CurrentRotationStatus < 1) CurrentRotationStatus = 1;
}

void TdlgEditSite::FileBoxKeyUp(int key) {
    if (key != Qt::Key_Delete) return;
    const QStringList selected = FileBox->selectedFileNames();
    if (selected.isEmpty()) return;
    const QString directory = fixpath(FileBox->Directory(), true);
    if (selected.size() == 1) {
        const QString name = selected.first();
        if (!platform::confirmYesNo("Are you sure you want to delete the file, " + name + "?")) return;
        try {
            if (!dodeletefile(directory + name, false)) throw std::runtime_error("not deleted");
        } catch (const std::exception&) {
            platform::showWarning("Error encountered deleting the file, " + name + "?");
        }
        FileBox->Update();
        return;
    }
    platform::Hourglass hourglass;
    if (!platform::confirmYesNo("Are you sure you want to delete these " + QString::number(selected.size()) +
                                " files?"))
        return;
    for (auto it = selected.crbegin(); it != selected.crend(); ++it) {
        try {
            if (!dodeletefile(directory + *it, false)) throw std::runtime_error("not deleted");
        } catch (const std::exception&) {
            platform::showWarning("Error encountered deleting the file, " + *it + "?");
        }
    }
    FileBox->Update();
}

void TdlgEditSite::DropFileTarget1Drop(const QStringList& files) {
    const QString directory = fixpath(FileBox->Directory(), true);
    for (const QString& source : files) {
        const QString destination = directory + QFileInfo(source).fileName();
        if (destination == source) {
            platform::messageBox("The destination folder is the same as the source!", MessageKind::Error,
                                 MessageButtons::OK, "DropSource Demo");
            break;
        }
        if (!addimage(source, destination)) break;
    }
    FileBox->Update();
}

// Images are chosen in the add-images dialog, which hands each one to addimage.
void TdlgEditSite::btnAddFilesClick() {
    if (dlgAddImages) dlgAddImages->ShowModal();
    FileBox->Update();
}
