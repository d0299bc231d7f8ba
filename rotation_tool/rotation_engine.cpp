// The rotation engine of the main window: finding the next valid rotation of a site, copying it
// into the live directory, and Rotate All.
#include "platform/dialogs.h"
#include "platform/file_ops.h"
#include "platform/hourglass.h"
#include "platform/ini_file.h"
#include "rotation_tool/main_window.h"
#include "rotation_tool/rotation_files.h"
#include "rotation_tool/rotation_log_dialog.h"
#include "rotation_tool/rotation_options_dialog.h"
#include "rotation_tool/run_mode.h"
#include "site_manager/site_paths.h"
#include "site_manager/site_record.h"

#include <QCheckBox>
#include <QDir>
#include <QFileInfo>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <exception>
#include <optional>

namespace rotation_tool {

namespace {

bool isPage(const QString& fileName) {
    const QString upper = fileName.toUpper();
    return upper.endsWith(".HTML") || upper.endsWith(".HTM");
}

QStringList listedFiles(const QListWidget* box) {
    QStringList files;
    for (int i = 0; i < box->count(); ++i) files << box->item(i)->text();
    return files;
}

bool backupsWanted() { return dlgRotOpt && dlgRotOpt->chkcreatebackup->isChecked(); }

}  // namespace

void TfrmMain::btnRotateCurrentClick(QObject* sender) {
    const bool fromButton = sender != nullptr && sender == btnRotateCurrent;
    if (!tsiterecord.AutoRotate) {
        report("The site, " + tsiterecord.Name + ", does not have auto-rotation enabled so it will be skipped!", false);
        return;
    }
    platform::Hourglass hourglass;
    if (lbxsites->currentRow() < 0) return;
    if (fromButton) dlgLog->clearLog();

    const int count = tsiterecord.RotationCount;
    int start = tsiterecord.CurrentRotationPosition;
    if (start < 0 || start > count) start = 1;
    // Candidates: start up to the count, then from 1 up to just before start, each once.
    QList<int> candidates;
    for (int n = start; n <= count; ++n) candidates << n;
    for (int n = 1; n < start; ++n) candidates << n;
    if (candidates.isEmpty()) candidates << start;

    std::optional<int> found;
    for (int n : candidates) {
        if (RotationExists(tsiterecord.key, n)) {
            found = n;
            break;
        }
    }
    if (found) {
        RotateCurrentRotation(*found);
        savecurrentsiterotation(*found + 1);
    } else {
        dlgLog->Addwarning("A valid rotation could not be found for the site, " + tsiterecord.Name, true);
    }

    if (fromButton) {
        dlgLog->Label1->setText(found ? "The current site has been updated!"
                                      : "The current site was not updated.  View log for details");
        dlgLog->ShowModal();
        dlgLog->clearLog();
    }
}

bool TfrmMain::RotationExists(const QString& key, int n) {
    const platform::IniFile site(siteFileName(key));
    const QString section = "Rotation_" + QString::number(n);
    const QString stored = site.readString(section, "Rotation_Path", tsiterecord.Path + "rotation_" + QString::number(n));
    const QString directory = withExistingCase(expandpath(fixpath(stored, true)));
    if (!platform::directoryExists(directory)) return false;
    // Setting the same text again would not re-read the listing, so re-read it by hand then.
    if (edtrotationdirectory->text() == directory)
        edtrotationdirectoryChange();
    else
        edtrotationdirectory->setText(directory);
    // A build with the lower-case option writes the first page under its lower-case name.
    return platform::fileExists(withExistingCase(directory + tsiterecord.BaseHTMLName)) && FileBox->count() > 0;
}

void TfrmMain::RotateCurrentRotation(int n) {
    const QString source = fixpath(edtrotationdirectory->text(), true);
    const QString live = fixpath(tsiterecord.LivePath, true);
    try {
        // Thumbnails and images go first, so that the pages never point at files not yet there.
        QList<FileCopy> thumbnails, others, pages;
        const QString thumbs = source + "thumbs/";
        if (platform::directoryExists(thumbs)) {
            for (const QString& f : QDir(thumbs).entryList(QDir::Files, QDir::Name))
                thumbnails.append({thumbs + f, live + "thumbs/" + f, {}, false});
        }
        for (const QString& f : listedFiles(FileBox)) (isPage(f) ? pages : others).append({source + f, live + f, {}, false});
        // Each pass is on the disk before the next one starts, so even after a power cut no page
        // can be there without its images.
        for (QList<FileCopy>* pass : {&thumbnails, &others, &pages}) {
            if (pass->isEmpty()) continue;
            CopyRotationFiles(*pass);
            flushToDisk(live);
        }
        dlgLog->Addwarning(tsiterecord.Name + " sucessfully updated to rotation " + QString::number(n), false);
    } catch (...) {
        dlgLog->Addwarning("Unspecified error encountered whilst updaing the " + tsiterecord.Name + ", rotation " +
                               QString::number(n),
                           true);
    }
}

void TfrmMain::CopyRotationFile(const QString& source, const QString& target) {
    QList<FileCopy> one{{source, target, {}, false}};
    CopyRotationFiles(one);
}

void TfrmMain::CopyRotationFiles(QList<FileCopy>& copies) {
    for (FileCopy& copy : copies) prepareRotationFile(copy);
    FileCopy* items = copies.data();  // detached here, before the workers touch it
    forEachInParallel(copies.size(), [items](std::size_t i) {
        FileCopy& copy = items[i];
        try {
            docopyfile(copy.source, copy.target);
            copy.copied = true;
        } catch (...) {
            copy.copied = false;
        }
    });
    for (const FileCopy& copy : copies) finishRotationFile(copy);
}

void TfrmMain::prepareRotationFile(FileCopy& copy) {
    try {
        if (platform::fileExists(copy.target) && backupsWanted() && MakeBackupFile(copy.target))
            copy.backup = backupFileName(copy.target);
        // Without a backup the old target stays in place until the new one is renamed over it.
        const QString directory = QFileInfo(copy.target).path();
        if (!platform::directoryExists(directory)) createnewdirectory(directory);
    } catch (...) {
        // The copy itself will fail and say so.
    }
}

void TfrmMain::finishRotationFile(const FileCopy& copy) {
    if (copy.copied) return;
    // The live file was moved aside for the backup: put it back rather than leave a hole.
    if (!copy.backup.isEmpty() && !platform::fileExists(copy.target)) platform::renameFile(copy.backup, copy.target);
    dlgLog->Addwarning("Could not copy the file, " + copy.source + ", for site, " + tsiterecord.Name + "!", true);
}

bool TfrmMain::MakeBackupFile(const QString& target) {
    // Fails when a backup of that name exists already: the oldest replaced version is kept.
    return platform::renameFile(target, backupFileName(target));
}

void TfrmMain::savecurrentsiterotation(int n) {
    try {
        platform::IniFile(siteFileName(tsiterecord.key)).writeInteger("General", "CurrentRotationPosition", n);
    } catch (const std::exception&) {
    }
}

void TfrmMain::EnableControls(bool on) {
    for (QWidget* w : std::initializer_list<QWidget*>{btnOptions, btnRotateCurrent, btnrotateall, lbxsites, BitBtn1})
        w->setEnabled(on);
}

void TfrmMain::edtrotationdirectoryChange() {
    FileBox->clear();
    const QString directory = edtrotationdirectory->text();
    if (directory.isEmpty()) return;
    const QDir dir(directory);
    if (!dir.exists() || !dir.isReadable()) {
        report("Error encountered changing to the directory, " + directory + "!", true);
        return;
    }
    FileBox->addItems(dir.entryList(QDir::Files, QDir::Name));
}

void TfrmMain::btnrotateallClick() {
    dlgLog->ErrorFlag = false;
    EnableControls(false);
    Label7->setText("Commencing Rotation of Sites..");
    Label7->repaint();
    dlgLog->clearLog();
    int updated = 0;
    if (lbxsites->count() == 0) {
        dlgLog->Addwarning("There are no sites to rotate!", true);
    } else {
        for (int i = 0; i < lbxsites->count(); ++i) {
            try {
                lbxsites->setCurrentRow(i);
                lbxsitesClick();
                Label7->setText("Processing Site, " + tsiterecord.Name);
                Label7->repaint();
                if (tsiterecord.AutoRotate) {
                    btnRotateCurrentClick(nullptr);
                    ++updated;
                } else {
                    dlgLog->Addwarning("Skipping site, " + tsiterecord.Name + ", which does not have autorotation enabled!",
                                       true);
                }
            } catch (...) {
                dlgLog->Addwarning("Error analysing the status of Site " + QString::number(i), true);
            }
        }
    }

    if (UnattendedRun) {
        if (dlgLog->lines().isEmpty()) dlgLog->addPlainLine("Your site update completed without error!");
        if (dlgRotOpt->chkEmailLog->isChecked() && (dlgLog->ErrorFlag || !dlgRotOpt->chkOnlyEmailErrors->isChecked()))
            dlgLog->btnEmailClick();
        if (dlgRotOpt->chklogging->isChecked()) {
            if (dlgLog->lines().isEmpty()) dlgLog->addPlainLine("Your site update completed without error!");
            dlgLog->btnSaveLogClick();
        }
    } else {
        dlgLog->Label1->setText("Rotation of All sites is completed with a total of " + QString::number(updated) +
                                " updated!");
        dlgLog->ShowModal();
    }
    EnableControls(true);
    Label7->clear();
}

}  // namespace rotation_tool
