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
#include "rotation_tool/worker_pool.h"
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
#include <exception>
#include <limits>
#include <optional>
#include <semaphore>

namespace rotation_tool {

namespace {

// A page by its name's extension, whatever other bytes the name holds.
bool isPage(const QByteArray& fileName) {
    const QByteArray lower = fileName.toLower();
    return lower.endsWith(".html") || lower.endsWith(".htm");
}

// The file system makes and renames the files of a directory one at a time: more threads doing
// so only spin on its lock. Waiting for the disk is what the other threads of the pool are for.
constexpr int kThreadsChangingADirectory = 2;

// Files of a pass made before they are stored and renamed together: each holds a descriptor
// until then, well below the usual limit of 1024 per process.
constexpr qsizetype kFilesOpenAtOnce = 256;

constexpr qint64 kProgressPaintMs = 50;

bool backupsWanted() { return dlgRotOpt && dlgRotOpt->chkcreatebackup->isChecked(); }

// The number in a name of the form prefix + decimal number (as the number would be written), or
// -1. The prefix is compared without regard to case, as section and directory names are found.
qint64 numberAfter(const QString& name, const QString& prefix) {
    if (name.size() <= prefix.size() || !name.startsWith(prefix, Qt::CaseInsensitive)) return -1;
    const QString digits = name.mid(prefix.size());
    bool ok = false;
    const qint64 n = digits.toLongLong(&ok);
    return ok && n >= 0 && QString::number(n) == digits ? n : -1;
}

QByteArray nativeDirectory(const QString& directory) { return QFile::encodeName(fixpath(directory, true)); }

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
    if (!rotatingAll_) numberedSubdirectories_.clear();

    // Temporary files of a run that was killed while it copied into this live site.
    const QString live = fixpath(tsiterecord.LivePath, true);
    if (platform::directoryExists(live)) removeLeftoverTemporaries(live);

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
    if (found) {
        RotateCurrentRotation(int(*found));
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

QList<qint64> TfrmMain::rotationCandidates(qint64 start, qint64 count) {
    // Any other number has neither a section nor its default directory, so it cannot be valid.
    QSet<qint64> possible;
    for (const QString& section : platform::IniFile(siteFileName(tsiterecord.key)).readSections()) {
        const qint64 n = numberAfter(section, "Rotation_");
        if (n >= 0) possible.insert(n);
    }
    // Default directories are the site path, its separator, then "rotation_" + n in any case.
    const QString zero = expandpath(fixpath(fixpath(tsiterecord.Path, true) + "rotation_0", true));
    if (zero.endsWith("0/")) {
        const QFileInfo prefix(zero.chopped(2));
        for (const qint64 n : numberedSubdirectories(prefix.path()).value(prefix.fileName().toLower())) possible.insert(n);
    }
    QList<qint64> sorted(possible.begin(), possible.end());
    std::sort(sorted.begin(), sorted.end());

    // The search order: start up to the count, then 1 up to just before start, each once; start
    // alone when that range is empty.
    QList<qint64> candidates;
    for (const qint64 n : sorted)
        if (n >= start && n <= count) candidates << n;
    for (const qint64 n : sorted)
        if (n >= 1 && n < start && n <= count) candidates << n;
    if (start > count && possible.contains(start)) candidates << start;
    return candidates;
}

bool TfrmMain::RotationExists(const QString& key, int n) {
    const platform::IniFile site(siteFileName(key));
    const QString section = "Rotation_" + QString::number(n);
    const QString stored =
        site.readString(section, "Rotation_Path", defaultRotationDirectory(tsiterecord.Path, "rotation_", n));
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

QList<QByteArray> TfrmMain::listedFileNames() const {
    QList<QByteArray> names;
    for (int i = 0; i < FileBox->count(); ++i) names << FileBox->item(i)->data(Qt::UserRole).toByteArray();
    return names;
}

void TfrmMain::RotateCurrentRotation(int n) {
    const QByteArray source = nativeDirectory(edtrotationdirectory->text());
    const QByteArray live = nativeDirectory(tsiterecord.LivePath);
    try {
        // Thumbnails and images go first, so that the pages never point at files not yet there.
        QList<FileCopy> thumbnails, others, pages;
        const QByteArray thumbs = source + "thumbs/";
        bool listed = false;
        for (const QByteArray& f : regularFileNames(thumbs, &listed)) thumbnails.append({thumbs + f, live + "thumbs/" + f});
        for (const QByteArray& f : listedFileNames()) (isPage(f) ? pages : others).append({source + f, live + f});
        for (QList<FileCopy>* pass : {&thumbnails, &others, &pages})
            if (!pass->isEmpty()) CopyRotationFiles(*pass);
        dlgLog->Addwarning(tsiterecord.Name + " sucessfully updated to rotation " + QString::number(n), false);
    } catch (...) {
        dlgLog->Addwarning("Unspecified error encountered whilst updaing the " + tsiterecord.Name + ", rotation " +
                               QString::number(n),
                           true);
    }
}

void TfrmMain::CopyRotationFile(const QString& source, const QString& target) {
    QList<FileCopy> one{{QFile::encodeName(source), QFile::encodeName(target)}};
    CopyRotationFiles(one);
}

void TfrmMain::CopyRotationFiles(QList<FileCopy>& copies) {
    // The directories of the pass exist before the workers copy into them.
    QList<QByteArray> directories;
    for (const FileCopy& copy : copies) {
        const QByteArray directory = copy.target.left(copy.target.lastIndexOf('/') + 1);
        if (directories.contains(directory)) continue;
        directories << directory;
        const QString name = QFile::decodeName(directory.chopped(1));
        if (!platform::directoryExists(name)) createnewdirectory(name);
    }

    const bool keepBackups = backupsWanted();
    FileCopy* items = copies.data();  // detached here, before the workers touch it
    // The workers make and fill the temporary files; only the steps that change a directory wait
    // for a turn. Each worker forces its own file to the disk before the file is given its name, so
    // even a power cut never leaves a live name on a file that is not whole; only this pass's files
    // are flushed, never the rest of the file system. The files stay open until their rename
    // (unnamed ones would vanish when closed), so a batch is bounded by the number of open files.
    std::counting_semaphore<> turns(kThreadsChangingADirectory);
    const auto inTurn = [&turns](const auto& step) {
        turns.acquire();
        step();
        turns.release();
    };
    for (qsizetype first = 0; first < copies.size(); first += kFilesOpenAtOnce) {
        FileCopy* batch = items + first;
        const std::size_t count = std::size_t(std::min<qsizetype>(kFilesOpenAtOnce, copies.size() - first));
        workers_->forEach(count, [batch, &inTurn](std::size_t i) {
            inTurn([&] { createFile(batch[i]); });
            fillFile(batch[i]);
            settleFile(batch[i]);
        });
        workers_->forEach(count, [batch, keepBackups, &inTurn](std::size_t i) {
            inTurn([&] { installFile(batch[i], keepBackups); });
        });
    }
    // Each file went to the disk before it replaced its live file; now its name does too, so even
    // after a power cut no page of a later pass is there without the images of this one.
    for (const QByteArray& directory : directories) syncDirectory(directory);

    for (const FileCopy& copy : copies) {
        if (!copy.published)
            dlgLog->Addwarning("Could not copy the file, " + QFile::decodeName(copy.source) + ", for site, " +
                                   tsiterecord.Name + "!",
                               true);
    }
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
    const QString directory = edtrotationdirectory->text();
    if (directory.isEmpty()) return;
    const QDir dir(directory);
    if (!dir.exists() || !dir.isReadable()) {
        report("Error encountered changing to the directory, " + directory + "!", true);
        return;
    }
    // Every regular file by its name exactly as stored: dot files and names in any encoding too.
    bool listed = false;
    for (const QByteArray& name : regularFileNames(QFile::encodeName(directory), &listed)) {
        auto* item = new QListWidgetItem(QFile::decodeName(name), FileBox);
        item->setData(Qt::UserRole, name);
    }
}

void TfrmMain::btnrotateallClick() {
    numberedSubdirectories_.clear();
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
                lbxsitesClick();
                showProgress("Processing Site, " + tsiterecord.Name);
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
