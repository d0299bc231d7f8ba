// The site editor's images: the image list follows the rotation directory; images are added by
// dropping files or choosing them (JPEG and GIF copied, other formats converted to JPEG) and
// removed with the Delete key.
#include "components/file_list_box.h"
#include "imaging/pixel_graphic.h"
#include "platform/dialogs.h"
#include "platform/file_ops.h"
#include "platform/hourglass.h"
#include "platform/replacement_batch.h"
#include "site_manager/add_images_dialog.h"
#include "site_manager/application_options.h"
#include "site_manager/builder/build_inputs.h"
#include "site_manager/builder/build_settings_from_dialogs.h"
#include "site_manager/builder/thumb_options_dialog.h"
#include "site_manager/dropped_files.h"
#include "site_manager/file_helpers.h"
#include "site_manager/image_conversion.h"
#include "site_manager/rotation_store.h"
#include "site_manager/site_editor.h"
#include "site_manager/site_paths.h"
#include "site_manager/site_record.h"

#include <QCheckBox>
#include <QComboBox>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QRadioButton>
#include <exception>
#include <memory>
#include <optional>

using platform::MessageButtons;
using platform::MessageKind;
using platform::MessageResult;

namespace {

// Copying a file onto itself would lose it: the drop or the choice stops here.
void sameAsSourceMessage() {
    platform::messageBox("The destination folder is the same as the source!", MessageKind::Error, MessageButtons::OK,
                         "DropSource Demo");
}

// Yes/No/Cancel before a file of the rotation is replaced; std::nullopt for Yes (go on), else the
// result of addimage (No skips this file, Cancel stops).
std::optional<bool> askOverwrite(const QString& fileName) {
    const MessageResult answer = platform::messageBox(
        "A file by the name of " + fileName + " already exists.  Are you sure you want to overwrite it?",
        MessageKind::Confirmation, MessageButtons::YesNoCancel);
    if (answer == MessageResult::Cancel) return false;
    if (answer == MessageResult::No) return true;
    return std::nullopt;
}

}  // namespace

bool TdlgEditSite::addimage(const QString& source, const QString& destination, PlacedImage* placed,
                            platform::ReplacementBatch* givenBatch) {
    platform::ReplacementBatch single;
    platform::ReplacementBatch& batch = givenBatch ? *givenBatch : single;
    auto taken = [&](const QString& name) { return platform::fileExists(name) || batch.holds(name); };
    try {
        if (!checksupportedformat(source))
            return platform::askOkCancel("The file, " + source + ", is not a supported image format",
                                         MessageKind::Information);
        const bool copyAsIs = checkHTMLsupportedformat(destination);
        const QString target = copyAsIs ? destination : changeextension(destination, ".jpg");
        if (sameFile(source, destination) || sameFile(source, target)) {
            sameAsSourceMessage();
            return false;
        }
        if (taken(destination))
            if (const auto answer = askOverwrite(destination)) return *answer;
        // The converted file must not silently replace an image already in the rotation.
        if (target != destination && taken(target))
            if (const auto answer = askOverwrite(target)) return *answer;
        if (platform::fileExists(target)) {
            const Removal removal = allowRemoval(target);
            if (removal == Removal::Declined) return true;  // this file is skipped, nothing went wrong
            if (removal == Removal::Failed) throw std::runtime_error("cannot replace the existing file");
        }
        if (copyAsIs) {
            if (!batch.copy(source, target)) throw std::runtime_error("copy failed");
        } else {
            auto image = std::make_unique<TPixelGraphic>();
            image->LoadFromFile(source);
            const QByteArray jpeg = jpegBytes(*image, true, ApplicationOptions.DefaultJPEGCompression);
            if (jpeg.isEmpty() || !batch.write(jpeg, target)) throw std::runtime_error("conversion failed");
        }
        if (&batch == &single && !single.finish().isEmpty()) throw std::runtime_error("copy not placed");
        if (placed) *placed = PlacedImage{target, !copyAsIs};
        return true;
    } catch (const std::exception&) {
        return platform::askOkCancel(copyErrorText(source));
    }
}

QStringList TdlgEditSite::currentSupportFileNames() const {
    const TdlgThumbOptions* o = dlgThumbOptions;
    QStringList navigation, templates{cmbstyle->currentText()};
    if (o && o->Chkusecustombuttons->isChecked())
        navigation << o->edtnextfile->text() << o->edtpreviousfile->text() << o->edtindexfile->text();
    if (o && o->rdbHTMLImageWindow->isChecked()) templates << o->cmbimagestyle->currentText();
    return supportFileNamesFor(navigation, templates);
}

std::optional<RotationPageNaming> TdlgEditSite::currentPageNaming(const QStringList& listedImages) const {
    if (!dlgThumbOptions || !dlgEditSite) return std::nullopt;  // the build reads both
    return RotationPageNaming{buildSettingsFromDialogs(), buildImagesOf(listedImages)};
}

void TdlgEditSite::edtrotationdirectoryChange() {
    const QString directory = edtrotationdirectory->text();
    // The list shows what the build would take as images, by the settings as they are when it is
    // read: a build after a change of navigation graphics or template must not list its own files.
    FileBox->Accept = [this](const QString& name) {
        if (!listedSupportFileNames_) listedSupportFileNames_ = currentSupportFileNames();
        return isRotationImage(name, *listedSupportFileNames_);
    };
    try {
        FileBox->ApplyFilePath(directory);
    } catch (const std::exception&) {
        platform::showWarning("Error encountered changing to the directory, " + directory + "!");
    }
}

void TdlgEditSite::FileBoxChange() {
    listedSupportFileNames_.reset();  // the next reading asks the settings again
    lblfilecount->setText(QString::number(FileBox->count()) + " Images");
    if (CurrentRotationStatus < 1) CurrentRotationStatus = 1;
    // The line of the rotation shown counts its images as well.
    if (CurrentRotationNumber > 0) refreshRotationList(tsiterecord.key, lbxrotations, CurrentRotationNumber);
}

void TdlgEditSite::FileBoxKeyUp(int key) {
    if (key != Qt::Key_Delete) return;
    const QStringList selected = FileBox->selectedFileNames();
    if (selected.isEmpty() || refuseUnlocatedRotation()) return;
    const QString directory = fixpath(FileBox->Directory(), true);
    // Named over the list as it stands, the images to delete still in it.
    auto remove = [&](const QStringList& names) {
        deleteRotationImages(directory, names, currentPageNaming(FileBox->fileNames()));
    };
    if (selected.size() == 1) {
        const QString name = selected.first();
        if (!platform::confirmYesNo("Are you sure you want to delete the file, " + name + "?")) return;
        remove({name});
        FileBox->Update();
        return;
    }
    platform::Hourglass hourglass;
    if (!platform::confirmYesNo("Are you sure you want to delete these " + QString::number(selected.size()) +
                                " files?"))
        return;
    remove(QStringList(selected.crbegin(), selected.crend()));
    FileBox->Update();
}

bool TdlgEditSite::DropFileTarget1Drop(const QStringList& files) {
    if (refuseUnlocatedRotation()) return false;
    const bool whole = addDroppedImages(*this, fixpath(FileBox->Directory(), true), files);
    FileBox->Update();
    return whole;
}

// Images are chosen in the add-images dialog, which hands each one to addimage.
void TdlgEditSite::btnAddFilesClick() {
    if (refuseUnlocatedRotation()) return;
    if (dlgAddImages) dlgAddImages->ShowModal();
    FileBox->Update();
    // The dialog may have changed the images of any rotation.
    refreshRotationList(tsiterecord.key, lbxrotations);
}

void TdlgEditSite::showRotationImages() {
    if (!rotationLocated_) {
        FileBox->clear();
        lblfilecount->setText("0 Images");
        return;
    }
    edtrotationdirectoryChange();
}
