// The rotation engine of the main window: finding the next valid rotation of a site, copying it
// into the live directory, and Rotate All.
#include "platform/dialogs.h"
#include "platform/file_ops.h"
#include "platform/hourglass.h"
#include "platform/ini_file.h"
#include "rotation_tool/main_window.h"
#include "rotation_tool/rotation_contents.h"
#include "rotation_tool/rotation_files.h"
#include "rotation_tool/rotation_log_dialog.h"
#include "rotation_tool/rotation_options_dialog.h"
#include "rotation_tool/run_mode.h"
#include "rotation_tool/turns.h"
#include "rotation_tool/worker_pool.h"
#include "rotation_tool/written_folders.h"
#include "site_manager/site_paths.h"
#include "site_manager/site_record.h"

#include <QCheckBox>
#include <QDir>
#include <QFile>
#include <QSet>
#include <QFileInfo>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <algorithm>
#include <atomic>
#include <exception>
#include <limits>
#include <optional>
#include <vector>
#include <unistd.h>

namespace rotation_tool {

namespace {

// The file system makes and renames the files of a directory one at a time: more threads doing
// so only spin on its lock. Waiting for the disk is what the other threads of the pool are for.
constexpr int kThreadsChangingADirectory = 2;

constexpr qint64 kProgressPaintMs = 50;

bool backupsWanted() { return dlgRotOpt && dlgRotOpt->chkcreatebackup->isChecked(); }

QByteArray nativeDirectory(const QString& directory) { return QFile::encodeName(fixpath(directory, true)); }

QString strayReason(const StrayFile& stray) {
    const QString real = QFile::decodeName(stray.realPath);
    switch (stray.why) {
    case StrayFile::InLiveDirectory:
        return "it really lies at " + real + ", in the live directory";
    case StrayFile::InOtherRotation:
        return "it really lies at " + real + ", in another rotation of the site";
    case StrayFile::DanglingLink:
        return "it is a link to " + real + ", which does not exist";
    case StrayFile::NotARegularFile:
        return "it is not a regular file";
    case StrayFile::OutsideRotation:
        break;
    }
    return "it really lies at " + real + ", outside the rotation directory";
}

}  // namespace

void TfrmMain::btnRotateCurrentClick(QObject* sender) {
    const bool fromButton = sender != nullptr && sender == btnRotateCurrent;
    if (fromButton) {
        // Only the highlighted site is rotated: with none highlighted there is nothing to rotate.
        const QListWidgetItem* item = lbxsites->currentItem();
        if (!item || !item->isSelected() || tsiterecord.key.isEmpty()) {
            platform::showInformation("You have not selected a site!");
            return;
        }
        // A site whose file cannot be read is told as such, not as one without auto-rotation.
        const QString failure = siteReadError(lbxsites->currentRow());
        if (!failure.isEmpty()) {
            platform::showWarning(failure);
            return;
        }
    }
    if (!tsiterecord.AutoRotate) {
        report("The site, " + tsiterecord.Name + ", does not have auto-rotation enabled so it will be skipped!", false);
        return;
    }
    platform::Hourglass hourglass;
    if (lbxsites->currentRow() < 0) return;
    if (fromButton) dlgLog->clearLog();
    if (!rotatingAll_) {
        numberedSubdirectories_.clear();
        folderOwners_.reset();
    }

    const qint64 count = tsiterecord.RotationCount;
    qint64 start = tsiterecord.CurrentRotationPosition;
    if (start < 0 || start > count) start = 1;
    std::optional<qint64> found;
    for (const qint64 n : rotationCandidates(start, count)) {
        if (RotationExists(tsiterecord.key, int(n))) {
            found = n;
            break;
        }
    }
    bool updated = false;
    if (found) {
        // A site that did not go live whole keeps its position, so the next run tries it again.
        updated = RotateCurrentRotation(int(*found));
        if (updated) savecurrentsiterotation(*found + 1);
    } else {
        dlgLog->Addwarning("A valid rotation could not be found for the site, " + tsiterecord.Name, true);
    }

    if (fromButton) {
        dlgLog->Label1->setText(updated ? "The current site has been updated!"
                                      : "The current site was not updated.  View log for details");
        dlgLog->ShowModal();
        dlgLog->clearLog();
    }
}

const QHash<QString, QList<qint64>>& TfrmMain::numberedSubdirectories(const QString& directory) {
    // Sites usually share one parent directory (their default rotation directories sit beside the
    // site files), so it is listed and indexed once per run rather than searched once per site.
    auto known = numberedSubdirectories_.constFind(directory);
    if (known != numberedSubdirectories_.constEnd()) return *known;
    QHash<QString, QList<qint64>> index;
    for (const QString& entry : QDir(directory).entryList(QDir::Dirs | QDir::Hidden | QDir::NoDotAndDotDot)) {
        qsizetype digits = entry.size();
        while (digits > 0 && entry.at(digits - 1).isDigit() && entry.at(digits - 1).unicode() < 128) --digits;
        const QString head = entry.left(digits);
        const qint64 n = numberAfter(entry, head);
        if (n >= 0) index[head.toLower()] << n;
    }
    return *numberedSubdirectories_.insert(directory, index);
}

QList<qint64> TfrmMain::rotationNumbers(const platform::IniFile& site) {
    // Any other number has neither a section nor its default directory.
    QSet<qint64> possible;
    for (const QString& section : site.readSections()) {
        const qint64 n = numberAfter(section, "Rotation_");
        if (n >= 0) possible.insert(n);
    }
    // Default directories are the site path, its separator, then "rotation_" + n in any case.
    const QString zero = fixpath(fixpath(tsiterecord.Path, true) + "rotation_0", true);
    if (zero.endsWith("0/")) {
        const QFileInfo prefix(zero.chopped(2));
        for (const qint64 n : numberedSubdirectories(prefix.path()).value(prefix.fileName().toLower())) possible.insert(n);
    }
    QList<qint64> sorted(possible.begin(), possible.end());
    std::sort(sorted.begin(), sorted.end());
    return sorted;
}

QList<qint64> TfrmMain::rotationCandidates(qint64 start, qint64 count) {
    const QList<qint64> sorted = rotationNumbers(platform::IniFile(siteFileName(tsiterecord.key)));
    // The search order: start up to the count, then 1 up to just before start, each once; start
    // alone when that range is empty.
    QList<qint64> candidates;
    for (const qint64 n : sorted)
        if (n >= start && n <= count) candidates << n;
    for (const qint64 n : sorted)
        if (n >= 1 && n < start && n <= count) candidates << n;
    if (start > count && sorted.contains(start)) candidates << start;
    return candidates;
}

QString TfrmMain::rotationDirectory(const platform::IniFile& site, qint64 n) const {
    const QString stored = site.readString("Rotation_" + QString::number(n), "Rotation_Path",
                                           defaultRotationDirectory(tsiterecord.Path, "rotation_", n));
    return withExistingCase(fixpath(stored, true));
}

QList<SiteRotationDirectory> TfrmMain::siteRotations() {
    const platform::IniFile site(siteFileName(tsiterecord.key));
    QList<SiteRotationDirectory> rotations;
    for (const qint64 n : rotationNumbers(site)) rotations.append({n, nativeDirectory(rotationDirectory(site, n))});
    return rotations;
}

bool TfrmMain::RotationExists(const QString& key, int n) {
    const QString directory = rotationDirectory(platform::IniFile(siteFileName(key)), n);
    if (!platform::directoryExists(directory)) return false;
    // Setting the same text again would not re-read the listing, so re-read it by hand then.
    if (edtrotationdirectory->text() == directory)
        edtrotationdirectoryChange();
    else
        edtrotationdirectory->setText(directory);
    // A build with the lower-case option writes the first page under its lower-case name.
    return platform::fileExists(withExistingCase(directory + tsiterecord.BaseHTMLName)) && FileBox->count() > 0;
}

DirectoryEntries TfrmMain::listedEntries() const {
    DirectoryEntries entries{{}, listedOthers_};
    for (int i = 0; i < FileBox->count(); ++i) entries.files << FileBox->item(i)->data(Qt::UserRole).toByteArray();
    return entries;
}

bool TfrmMain::RotateCurrentRotation(int n) {
    const QByteArray source = nativeDirectory(edtrotationdirectory->text());
    const QByteArray live = nativeDirectory(tsiterecord.LivePath);
    const QString number = QString::number(n);
    try {
        const QList<SiteRotationDirectory> rotations = siteRotations();
        QList<QByteArray> otherRotations;
        for (const SiteRotationDirectory& rotation : rotations) otherRotations << rotation.directory;
        RotationContents contents = rotationContents(source, live, listedEntries(), otherRotations);
        // The copy writes only into the very folders judged here: what each one is, is taken now,
        // and the checks below judge that (its real path), not whatever its path leads to later.
        // The copies' own folders are opened first, so that one that cannot be made is named.
        const QList<QByteArray> copiedInto = foldersWrittenInto(contents.copies);
        WrittenFolders folders(copiedInto + QList<QByteArray>{live});
        const QList<QByteArray> written = folders.checkedPaths(QList<QByteArray>{live} + copiedInto);
        // Going live must never overwrite a rotation's own files, whatever way the live directory
        // (or a folder in it) leads there: such a site is refused before anything is copied.
        if (const auto overwritten = rotationFolderWrittenInto(written.first(), written, rotations)) {
            dlgLog->Addwarning("The site, " + tsiterecord.Name + ", was NOT updated to rotation " + number +
                                   ": copying into its live directory, " + QFile::decodeName(live) +
                                   ", would overwrite the files of rotation " + QString::number(overwritten->rotation) +
                                   " in " + QFile::decodeName(overwritten->folder),
                               true);
            return false;
        }
        // Nor may it write into another site's folders or the data directory, or publish the latter.
        if (const QString refusal = foreignFolderWrittenInto(source, live, n, written); !refusal.isEmpty()) {
            dlgLog->Addwarning(refusal, true);
            return false;
        }
        for (const QByteArray& directory : contents.unreadable)
            dlgLog->Addwarning("Error encountered changing to the directory, " + QFile::decodeName(directory) + "!", true);
        // Left out on purpose, so no failure of the run; but the user learns why a file is missing.
        const auto logStray = [this](const StrayFile& stray) {
            dlgLog->AddSkipWarning("The file, " + QFile::decodeName(stray.path) + ", of site, " + tsiterecord.Name +
                                   ", was not published: " + strayReason(stray));
        };
        for (const StrayFile& stray : contents.strays) logStray(stray);
        const CopyOutcome outcome =
            contents.unreadable.isEmpty() ? CopyRotationFiles(contents.copies, folders) : CopyOutcome::NothingChanged;
        switch (outcome) {
        case CopyOutcome::AllPublished:
            dlgLog->Addwarning(tsiterecord.Name + " sucessfully updated to rotation " + number, false);
            return true;
        case CopyOutcome::NothingChanged:
            dlgLog->Addwarning("The site, " + tsiterecord.Name + ", was NOT updated to rotation " + number +
                                   ": not every file could be written, so the live site was left as it was",
                               true);
            return false;
        case CopyOutcome::PartlyPublished:
            dlgLog->Addwarning("The site, " + tsiterecord.Name + ", was only partly updated to rotation " + number +
                                   ": the files above could not be put in place; the next run copies this rotation again",
                               true);
            return false;
        }
    } catch (...) {
    }
    dlgLog->Addwarning("Unspecified error encountered whilst updaing the " + tsiterecord.Name + ", rotation " + number, true);
    return false;
}

const FolderOwners& TfrmMain::folderOwners() {
    if (!folderOwners_) folderOwners_ = FolderOwners::read();
    return *folderOwners_;
}

QString TfrmMain::foreignFolderWrittenInto(const QByteArray& source, const QByteArray& live, int n,
                                           const QList<QByteArray>& written) {
    const QString refused =
        "The site, " + tsiterecord.Name + ", was NOT updated to rotation " + QString::number(n) + ": ";
    for (const OwnedFolder& owner : folderOwners().ownersOf(QFile::decodeName(source)))
        if (owner.role == FolderRole::DataDirectory)
            return refused + "its directory, " + QFile::decodeName(source) + ", is " + describeOwner(owner);
    if (const auto owner = folderOwners().otherOwnerWrittenInto(written, tsiterecord.key))
        return refused + "copying into its live directory, " + QFile::decodeName(live) +
               ", would overwrite the files of " + describeOwner(*owner) + " in " + owner->folder;
    return QString();
}

void TfrmMain::logFolderChanged(const QByteArray& folder) {
    dlgLog->Addwarning("Could not write into the folder, " + QFile::decodeName(folder) + ", for site, " +
                           tsiterecord.Name + ": it is no longer the folder that was checked!",
                       true);
}

namespace {

// Runs the step on every copy on the pool, until the first one that fails: the rest are skipped.
// Tells which copies failed (tried, not skipped).
template <class Step>
std::vector<char> untilFirstFailure(WorkerPool& workers, QList<FileCopy>& copies, const Step& step) {
    FileCopy* items = copies.data();  // detached here, before the workers touch it
    std::atomic<bool> failed = false;
    std::vector<char> fails(std::size_t(copies.size()), 0);
    workers.forEach(fails.size(), [items, &step, &failed, &fails](std::size_t i) {
        if (failed) return;
        if (!step(items[i])) {
            fails[i] = 1;
            failed = true;
        }
    });
    return fails;
}

bool anyOf(const std::vector<char>& flags) { return std::find(flags.begin(), flags.end(), 1) != flags.end(); }

// Forces the names of the copies' folders to the disk, each folder once.
void syncFolders(const QList<FileCopy>& copies, qsizetype first, qsizetype end) {
    QSet<int> synced;
    for (qsizetype i = first; i < end; ++i)
        if (!synced.contains(copies[i].folder)) {
            synced.insert(copies[i].folder);
            syncFolder(copies[i].folder);
        }
}

}  // namespace

void TfrmMain::logFileFailure(const QString& what, const QByteArray& file) {
    dlgLog->Addwarning(what + ", " + QFile::decodeName(file) + ", for site, " + tsiterecord.Name + "!", true);
}

TfrmMain::CopyOutcome TfrmMain::CopyRotationFiles(QList<FileCopy>& copies, WrittenFolders& folders) {
    // Every folder the copies go to is opened once, or made in its open parent, as the checks
    // judged it; those made here go again when nothing could be published, and so do the backups
    // this run made.
    const auto leaveAsItWas = [&] {
        for (FileCopy& copy : copies) {
            discardFile(copy);
            discardBackup(copy);
        }
        folders.removeMade();
        return CopyOutcome::NothingChanged;
    };
    if (const auto failure = folders.open()) {
        const QString folder = QFile::decodeName(failure->folder);
        switch (failure->why) {
        case WrittenFolders::Failure::CannotMake:
            dlgLog->Addwarning("An error was encountered whilst trying to create the directory, " +
                                   (folder.endsWith('/') ? folder.chopped(1) : folder),
                               true);
            break;
        case WrittenFolders::Failure::CannotOpen:
            dlgLog->Addwarning("Could not write into the folder, " + folder + ", for site, " + tsiterecord.Name + "!",
                               true);
            break;
        case WrittenFolders::Failure::Changed:
            logFolderChanged(failure->folder);
            break;
        }
        return leaveAsItWas();
    }
    // Temporary files of a run that was killed while it copied into these folders; only now, when
    // the checks have passed, and only the folders written into.
    for (const int folder : folders.descriptors()) removeOwnTemporaries(folder);
    for (FileCopy& copy : copies) folders.assign(copy);

    // First every new file is written whole under a temporary name beside its target. The
    // workers make and fill the files; only the steps that change a directory wait for a turn.
    Turns turns(kThreadsChangingADirectory);
    const std::vector<char> notStaged = untilFirstFailure(*workers_, copies, [&turns](FileCopy& copy) {
        docopyfile(copy, turns);
        return isStaged(copy);
    });
    if (anyOf(notStaged)) {
        for (qsizetype i = 0; i < copies.size(); ++i)
            if (notStaged[std::size_t(i)]) logFileFailure("Could not copy the file", copies[i].source);
        return leaveAsItWas();
    }
    // Then all of them reach the disk together, before any replaces a live file.
    if (!flushFiles(copies)) {
        dlgLog->Addwarning("Could not store the files for site, " + tsiterecord.Name + ", on the disk of " +
                               fixpath(tsiterecord.LivePath, true) + "!",
                           true);
        return leaveAsItWas();
    }
    // Every backup is made before the first rename, so that no rename waits for room on the disk
    // and none is left without the backup the options ask for.
    if (backupsWanted()) {
        const std::vector<char> notKept = untilFirstFailure(*workers_, copies, [&turns](FileCopy& copy) {
            bool kept = false;
            turns.take([&] { kept = MakeBackupFile(copy); });
            return kept;
        });
        if (anyOf(notKept)) {
            for (qsizetype i = 0; i < copies.size(); ++i)
                if (notKept[std::size_t(i)]) logFileFailure("Could not keep a backup of the file", copies[i].target);
            return leaveAsItWas();
        }
        syncFolders(copies, 0, copies.size());
    }

    // Only when all are whole do they replace the live files, pass by pass. Each pass's names go
    // to the disk before the next pass starts, so even after a power cut no page is live without
    // the images it shows; and a pass goes live only when every file of the passes before it did.
    // A folder that its path no longer leads to (moved away, a link put in its place) gets no
    // more files: they would go live nowhere.
    bool whole = true;
    FileCopy* items = copies.data();
    for (qsizetype first = 0; first < copies.size() && whole;) {
        if (const QByteArray changed = folders.firstChanged(); !changed.isEmpty()) {
            logFolderChanged(changed);
            whole = false;
            break;
        }
        qsizetype end = first;
        while (end < copies.size() && copies[end].pass == copies[first].pass) ++end;
        FileCopy* pass = items + first;
        workers_->forEach(std::size_t(end - first),
                          [pass, &turns](std::size_t i) { turns.take([&] { installFile(pass[i]); }); });
        syncFolders(copies, first, end);
        for (qsizetype i = first; i < end; ++i) {
            if (copies[i].published) continue;
            whole = false;
            logFileFailure("Could not replace the live file", copies[i].target);
        }
        first = end;
    }
    if (const QByteArray changed = whole ? folders.firstChanged() : QByteArray(); !changed.isEmpty()) {
        logFolderChanged(changed);
        whole = false;
    }
    if (whole) return CopyOutcome::AllPublished;
    if (std::none_of(copies.begin(), copies.end(), [](const FileCopy& copy) { return copy.published; }))
        return leaveAsItWas();
    // What did not go live leaves no temporary file, and no backup of a file it did not replace.
    for (FileCopy& copy : copies)
        if (!copy.published) {
            discardFile(copy);
            discardBackup(copy);
        }
    return CopyOutcome::PartlyPublished;
}

void TfrmMain::savecurrentsiterotation(qint64 n) {
    const QString fileName = siteFileName(tsiterecord.key);
    try {
        platform::IniFile(fileName).writeString("General", "CurrentRotationPosition", QString::number(n));
        // The next Rotate Current starts from the record, and the panel shows what is stored:
        // the position as the loader would read it back.
        tsiterecord.CurrentRotationPosition = n >= 0 && n <= std::numeric_limits<qint32>::max() ? qint32(n) : 1;
        doselectionstatus();
    } catch (const std::exception&) {
        // Otherwise the site would show the same rotation every night while the log says it moved on.
        dlgLog->Addwarning("Could not save the next rotation position of the site, " + tsiterecord.Name + ", to " +
                               fileName + "!",
                           true);
    }
}

void TfrmMain::showProgress(const QString& text) {
    Label7->setText(text);
    // Painting at once costs about a millisecond: over thousands of sites without rotations that
    // would be most of the run, so the label is painted at once at most every 50 ms.
    if (progressShown_.isValid() && progressShown_.elapsed() < kProgressPaintMs) return;
    Label7->repaint();
    progressShown_.start();
}

void TfrmMain::EnableControls(bool on) {
    for (QWidget* w : std::initializer_list<QWidget*>{btnOptions, btnRotateCurrent, btnrotateall, lbxsites, BitBtn1})
        w->setEnabled(on);
}

void TfrmMain::edtrotationdirectoryChange() {
    FileBox->clear();
    listedOthers_.clear();
    const QString directory = edtrotationdirectory->text();
    if (directory.isEmpty()) return;
    const QDir dir(directory);
    if (!dir.exists() || !dir.isReadable()) {
        report("Error encountered changing to the directory, " + directory + "!", true);
        return;
    }
    // Every regular file by its name exactly as stored: dot files and names in any encoding too.
    // Whatever else the directory holds is kept aside, so that a rotation names what it leaves out.
    bool listed = false;
    for (const QByteArray& name : regularFileNames(QFile::encodeName(directory), &listed, &listedOthers_)) {
        auto* item = new QListWidgetItem(QFile::decodeName(name), FileBox);
        item->setData(Qt::UserRole, name);
    }
}

void TfrmMain::btnrotateallClick() {
    numberedSubdirectories_.clear();
    folderOwners_.reset();
    rotatingAll_ = true;
    struct EndOfRun {
        bool& rotatingAll;
        ~EndOfRun() { rotatingAll = false; }
    } endOfRun{rotatingAll_};
    dlgLog->ErrorFlag = false;
    EnableControls(false);
    Label7->setText("Commencing Rotation of Sites..");
    Label7->repaint();
    progressShown_.start();
    dlgLog->clearLog();
    if (!RunsWithoutLock.isEmpty()) dlgLog->Addwarning(RunsWithoutLock, true);
    int updated = 0;
    if (lbxsites->count() == 0) {
        dlgLog->Addwarning("There are no sites to rotate!", true);
    } else {
        for (int i = 0; i < lbxsites->count(); ++i) {
            try {
                lbxsites->setCurrentRow(i);
                // As a click on the list loads it, keeping the loader's answer.
                const bool loaded = loadsite(lbxsites->item(i)->text());
                doselectionstatus();
                // A site whose file cannot be read must not pass for one that merely does not rotate.
                // Only a site that did not load is looked at again: a readable one without a path
                // may still rotate, through the paths its rotations store.
                if (const QString failure = loaded ? QString() : siteReadError(i); !failure.isEmpty()) {
                    dlgLog->Addwarning(failure, true);
                    continue;
                }
                showProgress("Processing Site, " + tsiterecord.Name);
                if (tsiterecord.AutoRotate) {
                    btnRotateCurrentClick(nullptr);
                    ++updated;
                } else {
                    dlgLog->AddSkipWarning("Skipping site, " + tsiterecord.Name +
                                           ", which does not have autorotation enabled!");
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
