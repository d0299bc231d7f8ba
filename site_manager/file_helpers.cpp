#include "site_manager/file_helpers.h"

#include "platform/dialogs.h"
#include "platform/file_ops.h"
#include "platform/tree_delete.h"
#include "site_manager/rotation_folders.h"
#include "site_manager/site_paths.h"

#include <QDir>
#include <QFile>
#include <QRegularExpression>
#include <exception>
#include <sys/stat.h>

bool createDirectoryPath(const QString& path) {
    // The folders of the path as it is read, wherever the program stands; the root is never made.
    const QString full = fixpath(path, true);
    if (full.size() <= 1) return false;
    QStringList missing;
    for (int i = 1; i < full.size(); ++i) {
        if (full[i] != '/') continue;
        const QString prefix = full.left(i + 1);
        if (!platform::directoryExists(prefix)) missing << prefix;
    }
    QStringList created;
    for (const QString& dir : missing) {
        if (!platform::createDirectory(dir)) {
            for (auto it = created.crbegin(); it != created.crend(); ++it) platform::removeDirectory(*it);
            return false;
        }
        created << dir;
    }
    return true;
}

bool namesNoFolderToCreate(const QString& path) {
    static const QRegularExpression driveRoot("^\\s*[A-Za-z]:[\\\\/]?\\s*$");
    return fixpath(path, false).size() <= 1 || driveRoot.match(path).hasMatch();
}

bool createnewdirectory(const QString& path) {
    if (namesNoFolderToCreate(path)) return false;
    if (createDirectoryPath(path)) return true;
    platform::showWarning("An error was encountered whilst trying to create the directory, " + path);
    return false;
}

bool sameFile(const QString& a, const QString& b) {
    if (a.isEmpty() || b.isEmpty()) return false;
    const std::optional<FileIdentity> identity = identityOf(QFile::encodeName(a));
    return identity && identity == identityOf(QFile::encodeName(b));
}

Removal allowRemoval(const QString& fileName) {
    if (!platform::isReadOnly(fileName)) return Removal::Allowed;
    const QString question =
        QString("Are you sure you want to delete the file, %1?").arg(fileName) + "  This file is marked READ ONLY!";
    if (!platform::confirmYesNo(question)) return Removal::Declined;
    if (!platform::setReadOnly(fileName, false)) {
        platform::showWarning("Error encountered resetting the read-only tag on the file, " + fileName);
        return Removal::Failed;
    }
    return Removal::Allowed;
}

bool dodeletefile(const QString& fileName, bool overwriting) {
    try {
        if (!platform::fileExists(fileName)) {
            platform::showWarning("Unable to locate the file, " + fileName);
            return true;
        }
        if (allowRemoval(fileName) != Removal::Allowed) return false;
        if (!platform::deleteFile(fileName)) {
            platform::showWarning(QString("Lumenfold Pro encountered an error %1 the file, %2")
                                      .arg(overwriting ? "overwriting" : "deleting or overwriting", fileName));
            return false;
        }
        return true;
    } catch (const std::exception&) {
        platform::showWarning("Error during deletion");
        return false;
    }
}

CopyOutcome copyReplacing(const QString& source, const QString& destination, bool ask) {
    if (sameFile(source, destination)) return CopyOutcome::Copied;
    if (platform::fileExists(destination)) {
        if (ask && !platform::confirmYesNo("A file already exists by the name of " + destination +
                                           ".  Are you sure you want to overwrite it?"))
            return CopyOutcome::Declined;
        const Removal removal = allowRemoval(destination);
        if (removal == Removal::Declined) return CopyOutcome::Declined;
        if (removal == Removal::Failed) return CopyOutcome::Failed;
    }
    return platform::copyFile(source, destination, false) ? CopyOutcome::Copied : CopyOutcome::Failed;
}

void docopyfile(const QString& source, const QString& destination, bool ask) {
    if (copyReplacing(source, destination, ask) == CopyOutcome::Failed)
        platform::showWarning("An error was encountered copying the file, " + source + "!");
}

namespace {

// The paths, no more than a handful of them named.
QString nameList(const QStringList& paths) {
    constexpr qsizetype named = 5;
    if (paths.size() <= named) return paths.join(", ");
    return paths.first(named).join(", ") + QString(" and %1 more").arg(paths.size() - named);
}

// What a delete left behind, as the warning names it.
QString whatStayed(const platform::TreeDeletion& deletion) {
    QStringList parts;
    if (deletion.mountsKept.size() == 1)
        parts << "a folder mounted inside it, " + deletion.mountsKept.first() + ", and everything in it were kept";
    else if (!deletion.mountsKept.isEmpty())
        parts << "the folders mounted inside it, " + nameList(deletion.mountsKept) +
                     ", and everything in them were kept";
    if (!deletion.failures.isEmpty()) parts << nameList(deletion.failures) + " could not be removed";
    return parts.join("; ");
}

}  // namespace

void dodeletedir(const QString& directory) {
    // One folder, named whole: a ";" is part of its name. It is read as every stored path is, so
    // it is the folder the checks before the delete looked at; the root is never deleted.
    const QString folder = fixpath(directory, false);
    if (folder.size() <= 3) return;
    const platform::TreeDeletion deletion = platform::deleteTree(folder);
    if (deletion.found && !deletion.whole())
        platform::showWarning("The directory, " + folder + ", could not be deleted whole: " + whatStayed(deletion) +
                              ".");
}
