// The site editor's rotations: listing, creating, deleting and switching rotations, copying
// settings from another rotation and applying the current settings to all.
#include "platform/dialogs.h"
#include "platform/file_ops.h"
#include "platform/help.h"
#include "platform/hourglass.h"
#include "platform/ini_file.h"
#include "site_manager/application_options.h"
#include "site_manager/copy_settings_dialog.h"
#include "site_manager/file_helpers.h"
#include "site_manager/folder_owners.h"
#include "site_manager/main_window.h"
#include "site_manager/rotation_store.h"
#include "site_manager/site_editor.h"
#include "site_manager/site_paths.h"
#include "site_manager/site_record.h"

#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>

namespace {

const QString SaveErrorText = "Error encountered saving the settings for the current rotation.  Ensure you have "
                              "sufficient disk space and write access to this drive";

// Saves the site's record; a failure is told once (unless the caller has already told it).
bool saveSite(bool failureAlreadyShown = false) {
    if (!frmMain || frmMain->savecurrentsite()) return true;
    if (!failureAlreadyShown) platform::showWarning(SaveErrorText);
    return false;
}

// The directory the rotation click looks for: Rotation_Path, else the site path + "Rotation" + n.
QString rotationClickDirectory(int rotationNumber) {
    const QString section = "Rotation_" + QString::number(rotationNumber);
    const QString fallback = defaultRotationDirectory(tsiterecord.Path, "Rotation", rotationNumber);
    const QString stored = platform::IniFile(siteFileName(tsiterecord.key)).readString(section, "Rotation_Path", fallback);
    return expandpath(stored);
}

QString unlocatedText(const QString& directory) {
    return "Error!  The directory, " + directory + ", could not be located!";
}

}  // namespace

void TdlgEditSite::FormShow() {
    CurrentRotationNumber = -1;
    rotationLocated_ = false;
    unlocatedDirectory_ = tsiterecord.Path;
    showRotationImages();  // never the images of the rotation the editor showed last
    seedTemplateList();
    // The first showing comes before any rotation is loaded: the controls are still fresh.
    if (!freshControls_) freshControls_.emplace(*this);
    // Blank rather than empty: an empty caption would give its line to the controls below, and
    // the editor would change size with it.
    grpRotations->setTitle(QStringLiteral(" "));
    lbxrotations->setCurrentRow(-1);
    lbxrotations->clearSelection();
    edtsite->setText(tsiterecord.Name);
    loadrotationlist(tsiterecord.key, lbxrotations);
    if (lbxrotations->count() == 0) btnNewRotationClick();
    if (lbxrotations->count() > 0) {
        lbxrotations->setCurrentRow(0);
        lbxrotationsClick();
    }
    // With no rotation loaded the controls show none of what the site edited before left there.
    if (CurrentRotationNumber == -1) {
        freshControls_->restore();
        btnpreview->setEnabled(false);  // nor the built state of the rotation shown before
    }
    const bool rotations = ApplicationOptions.UseRotations;
    Label9->setText(rotations ? "This Rotation contains the following images:"
                              : "This Site contains the following images:");
    btnApplytoAll->setEnabled(rotations);
    btnBuildAll->setEnabled(rotations);
    btnNewRotation->setVisible(rotations && lbxrotations->count() > 0);
    btndeleterotation->setVisible(rotations);
}

void TdlgEditSite::FormClose() {
    const bool rotationSaved = SaveRotation(CurrentRotationNumber, true);
    saveSite(!rotationSaved);
}

void TdlgEditSite::lbxrotationsClick() {
    const int index = lbxrotations->highlightedRow();
    if (index >= 0) {
        const QString directory = rotationClickDirectory(index + 1);
        if (platform::canListDirectory(directory)) {
            if (CurrentRotationNumber >= 0) SaveRotation(CurrentRotationNumber, true);
            rotationLocated_ = true;
            LoadRotation(tsiterecord.key, index + 1, true, true);
            showRotationImages();
        } else {
            // The rotation that was current stays current, with its own images; with none
            // current, the refusals name this one.
            lblstatus->setText(unlocatedText(directory));
            if (!rotationLocated_) unlocatedDirectory_ = directory;
        }
    }
    // The highlight never leaves the rotation the controls hold, whatever the user clicked.
    highlightCurrentRotation();
    // Only the last rotation can be deleted.
    btndeleterotation->setEnabled(ApplicationOptions.UseRotations && CurrentRotationNumber >= 1 &&
                                  CurrentRotationNumber == lbxrotations->count());
}

void TdlgEditSite::btnNewRotationClick() {
    // The controls inherit into the new rotation only from a rotation of this site; a new site
    // (no rotations yet) takes them as they are.
    if (lbxrotations->count() > 0 && refuseUnlocatedRotation()) return;
    const QString directory = ApplicationOptions.UseRotations ? fixpath(tsiterecord.Path, true) + "Rotation_" +
                                                                    QString::number(lbxrotations->count() + 1)
                                                              : fixpath(tsiterecord.Path, true);
    // Neither another owner's files nor what the site has live: a build there would overwrite
    // them. Refused before anything is written.
    const FolderOwners owners = FolderOwners::read();
    std::optional<OwnedFolder> owner = owners.otherOwnerOfSiteFiles(directory, tsiterecord.key);
    if (!owner) owner = owners.ownLiveDirectoryMetBy(directory, tsiterecord.key);
    if (owner) {
        platform::showInformation("Creating the new rotation in " + directory + " would overwrite the files of " +
                                  describeOwner(*owner) + " in " + owner->folder + "!  No rotation has been created.");
        return;
    }
    if (CurrentRotationNumber == -1 || SaveRotation(CurrentRotationNumber, true)) {
        if (!platform::directoryExists(directory) && !createnewdirectory(directory)) {
            platform::showInformation("Error encountered creating a new rotation directory!");
            return;
        }
        // A directory that is there but cannot be listed could never become current.
        if (!platform::canListDirectory(directory)) {
            platform::showInformation(unlocatedText(directory));
            return;
        }
        // The new section holds its directory and its status (not built) before the list reads it;
        // the other settings are inherited from the controls.
        const int newRotation = lbxrotations->count() + 1;
        const QString leftDirectory = edtrotationdirectory->text();
        const int leftStatus = CurrentRotationStatus;
        edtrotationdirectory->setText(directory);
        CurrentRotationStatus = 0;
        if (!SaveRotation(newRotation, true)) {
            // The rotation left stays current: it gets its own directory and status back, so that
            // its next save writes what it held.
            edtrotationdirectory->setText(leftDirectory);
            showRotationImages();
            CurrentRotationStatus = leftStatus;
            return;
        }
        tsiterecord.RotationCount += 1;
        saveSite();
        loadrotationlist(tsiterecord.key, lbxrotations);
        CurrentRotationNumber = lbxrotations->count();
        lbxrotations->setCurrentRow(lbxrotations->count() - 1);
        lbxrotationsClick();
    }
    btnNewRotation->setVisible(ApplicationOptions.UseRotations && lbxrotations->count() > 0);
}

void TdlgEditSite::btndeleterotationClick() {
    if (!ApplicationOptions.UseRotations || lbxrotations->currentRow() < 0) return;
    if (refuseUnlocatedRotation()) return;
    // Only the rotation the user sees selected, when it is the one loaded and the last one.
    const int selected = lbxrotations->currentRow() + 1;
    if (selected != CurrentRotationNumber || selected != lbxrotations->count()) {
        platform::showInformation("Only the last rotation can be deleted, and only once it has been selected and "
                                  "loaded.  Rotation " + QString::number(selected) + " has not been deleted.");
        return;
    }
    const QString directory = edtrotationdirectory->text();
    const QString reason = FolderOwners::read().whyFolderMustStay(directory, tsiterecord.key, CurrentRotationNumber);
    if (!reason.isEmpty()) {
        platform::showWarning("The directory, " + directory + ", " + reason +
                              ", so it cannot be deleted.  The rotation has been kept.");
        return;
    }
    if (platform::messageBox("Are you sure you want to remove Rotation " + QString::number(CurrentRotationNumber) +
                                 " and delete all files in the directory, " + directory + "?",
                             platform::MessageKind::Confirmation,
                             platform::MessageButtons::YesNo) == platform::MessageResult::No)
        return;
    // The site file lets go of the rotation, its section and its count in one replacement,
    // before its files go. When it cannot be written it keeps every byte, and the rotation stays
    // listed and current.
    tsiterecord.RotationCount -= 1;
    if (!saveSiteRecordErasingSection(tsiterecord, "Rotation_" + QString::number(CurrentRotationNumber))) {
        tsiterecord.RotationCount += 1;
        platform::showWarning(SaveErrorText);
        return;
    }
    if (platform::directoryExists(directory)) dodeletedir(directory);
    FormShow();
}

void TdlgEditSite::btnCopyFromClick() {
    TdlgCopySettings dialog(this);
    if (dialog.ShowModal() != platform::mrOk) return;
    if (!frmMain) return;
    const int site = dialog.chosenSiteIndex();
    if (site < 0 || site >= frmMain->lbxsites->count()) return;
    LoadRotation(frmMain->lbxsites->item(site)->text(), dialog.chosenRotationIndex() + 1, false, false);
}

void TdlgEditSite::btnApplytoAllClick() {
    if (refuseUnlocatedRotation()) return;
    platform::Hourglass hourglass;
    SaveRotations(1, tsiterecord.RotationCount, false);
}

bool TdlgEditSite::refuseUnlocatedRotation() {
    if (rotationLocated_) return false;
    lblstatus->setText(unlocatedText(unlocatedDirectory_));
    platform::showInformation(unlocatedText(unlocatedDirectory_));
    return true;
}

void TdlgEditSite::highlightCurrentRotation() {
    if (CurrentRotationNumber >= 1 && CurrentRotationNumber <= lbxrotations->count()) {
        lbxrotations->setCurrentRow(CurrentRotationNumber - 1);
    } else {
        lbxrotations->setCurrentRow(-1);
        lbxrotations->clearSelection();
    }
}

void TdlgEditSite::BitBtn1Click() { platform::showHelpContext(27); }

void TdlgEditSite::Displaycurrentstatus() {
    const QString subject = ApplicationOptions.UseRotations ? "This Rotation" : "This Site";
    if (CurrentRotationStatus == 0 || CurrentRotationStatus == 1)
        lblstatus->setText(subject + " has NOT been built");
    else if (CurrentRotationStatus == 2)
        lblstatus->setText(subject + " has been built");
    btnpreview->setEnabled(CurrentRotationStatus == 2);
}
