#pragma once
// File operations of a rotation: the backup name of a replaced file, directory creation, listing
// a rotation directory byte for byte, and publishing single files into the live directory.
// Failures go to the rotation log, never to a message box, so an unattended run cannot stall on
// them.
#include <QByteArray>
#include <QList>
#include <QString>
#include <stdexcept>

namespace rotation_tool {

class CopyError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// The name a replaced file is kept under: its extension becomes ".~" + the old extension without
// its last character (page.html -> page.~htm, b.jpg -> b.~jp); a name without extension gets ".".
QString backupFileName(const QString& target);
// The same for a native path, whatever bytes its name holds.
QByteArray nativeBackupFileName(const QByteArray& target);

// Creates every missing directory of the path, outermost first. On failure the directories made
// by this call are removed again and the failure is logged. Paths of 3 characters or fewer are
// left alone (false).
bool createnewdirectory(const QString& path);

// Copies source over target. The data goes to a temporary file beside the target that is renamed
// over it, so the old target survives a copy that fails. Throws CopyError on failure.
void docopyfile(const QString& source, const QString& target);

// Replaces the live file target (native path) by a copy of source, so that at every instant
// target holds either its old or its new content, whole:
//  1. the new content goes to a temporary file beside the target and is forced to the disk;
//  2. with keepBackup, the old target is kept under its backup name, unless a file of that name
//     exists already (the oldest replaced version is the one kept): a hard link where the file
//     system allows, else a whole copy;
//  3. the temporary file is renamed over the target.
// False when the file was not published; the old target is then as it was.
bool publishFile(const QByteArray& source, const QByteArray& target, bool keepBackup);

// Temporary files this program creates beside the files it publishes: ".spindleway-" followed by
// six letters or digits.
bool isOwnTemporaryName(const QByteArray& fileName);
// Removes such files, left behind by a run that was killed, anywhere in the directory tree
// (symbolic links are not followed; nothing else is touched).
void removeLeftoverTemporaries(const QString& directory);

// Names of the regular files of a directory (links to regular files included, dot files
// included), exactly as stored, in byte order. False in *ok when the directory cannot be read.
QList<QByteArray> regularFileNames(const QByteArray& directory, bool* ok);

// Forces the directory's entries (renames, new links) to the disk.
void syncDirectory(const QByteArray& directory);

}  // namespace rotation_tool
