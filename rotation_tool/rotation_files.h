#pragma once
// File operations of a rotation: the backup name of a replaced file, listing a rotation directory
// byte for byte, and the steps that publish its files into the live directory.
// Failures go to the rotation log, never to a message box, so an unattended run cannot stall on
// them.
#include "rotation_tool/turns.h"
#include "site_manager/rotation_folders.h"

#include <QByteArray>
#include <QList>
#include <QString>
#include <functional>
#include <optional>
#include <utility>

namespace rotation_tool {

// The name a replaced file is kept under: its extension becomes ".~" + the old extension without
// its last character (page.html -> page.~htm, b.jpg -> b.~jp); a name without extension gets ".".
QString backupFileName(const QString& target);
// The same for a native path, whatever bytes its name holds.
QByteArray nativeBackupFileName(const QByteArray& target);

// One file on its way into the live directory, by native paths (names may hold any bytes). It
// goes in steps, so that many files can take each step side by side, and so that a rotation can
// have every new file whole on the disk before the first one goes live. Every step works in the
// open folder of the target (`folder`, which WrittenFolders opened as the checks judged it) by the
// names in it, never through the target's path:
//  1. docopyfile: the new content is written whole into a temporary file ".spindleway-XXXXXX"
//     beside the target (a target that is a directory fails here already), and its writing to the
//     disk is started;
//  2. flushFiles: the files of a whole rotation are forced to the disk together, one file-system
//     sync for each file system they lie on: `staged` now names a whole copy;
//  3. MakeBackupFile, with backups: the old target is kept under its backup name, before any file
//     of the rotation replaces its target;
//  4. installFile: the temporary file is renamed over the target.
// So at every instant the target holds either its old or its new content, whole. A step that
// fails removes the temporary file and leaves the old target as it was: `staged` is then empty
// and `published` false. A run killed between the steps leaves only temporary names behind,
// which the next run's removeOwnTemporaries clears from the folders it writes into.
struct FileCopy {
    FileCopy() = default;
    FileCopy(QByteArray from, QByteArray to, int order = 0)
        : source(std::move(from)), target(std::move(to)), pass(order) {}
    QByteArray source;
    QByteArray target;
    // Files go live pass by pass, lowest first; within a pass in any order.
    int pass = 0;
    // For a file of a rotation, what the check of what goes live found: the file's path with every
    // link resolved and which file it was. The copy opens that path without following a link and
    // copies only that very file: one replaced, removed or turned into another kind since the
    // check fails. A file the check could not look at keeps its path as named and has no
    // identity: it is never opened and fails. Without a checked path (no file of a rotation) the
    // copy opens the source as named.
    QByteArray checkedPath;
    std::optional<FileIdentity> checkedIdentity;
    bool published = false;
    // The open folder the target lies in (owned by its WrittenFolders; -1: none, and the copy
    // fails), and the target's name in it.
    int folder = -1;
    QByteArray name;
    // Between the steps: the temporary file's name in the folder, and the open file.
    QByteArray staged;
    int descriptor = -1;
    // The backup this run made of the old target (its name in the folder, and which file it is),
    // so that it goes again when the target is not replaced after all.
    QByteArray backup;
    FileIdentity backupIdentity;
};
// Step 1; the steps that change the folder wait for a turn.
void docopyfile(FileCopy& copy, Turns& turns);
// Called with each target just after docopyfile made its temporary file; a test swaps a folder
// there, as another program might while the copy runs. Set it only while no copy runs.
void setOnTemporaryCreated(std::function<void(const QByteArray& target)> hook);
// Called with each source just before docopyfile opens it; a test changes the file there, as
// another program might between the check and the copy. Set it only while no copy runs.
void setBeforeSourceOpen(std::function<void(const QByteArray& source)> hook);
// True between a whole temporary file and its install.
inline bool isStaged(const FileCopy& copy) { return !copy.staged.isEmpty() && copy.descriptor < 0; }
// Forces every staged file of the list to the disk. False when a file system could not store
// them: none of them can then be trusted, and the caller discards them all.
bool flushFiles(const QList<FileCopy>& copies);
// Drops a copy before its install: the temporary file goes, the target stays as it was.
void discardFile(FileCopy& copy);
// Keeps the old target of a staged copy under its backup name, unless there is no old target or a
// file of that name exists already (the oldest replaced version is the one kept): a hard link
// where the file system allows, else a whole copy on the disk, made under a temporary name. False
// when it could not be kept (nothing is then left behind).
bool MakeBackupFile(FileCopy& copy);
// Removes the backup MakeBackupFile made for the copy, if it is still that file.
void discardBackup(FileCopy& copy);
void installFile(FileCopy& copy);

// Temporary files this program creates beside the files it publishes: ".spindleway-" followed by
// six letters or digits.
bool isOwnTemporaryName(const QByteArray& fileName);
// Removes such files, left behind by a run that was killed, from the open folder (not from the
// folders inside it; links and anything else are not touched).
void removeOwnTemporaries(int folder);

// Names of the regular files of a directory (links to regular files included, dot files
// included), exactly as stored, in byte order. False in *ok when the directory cannot be read.
// With others, the names of the entries that are neither regular files nor directories (links
// that lead nowhere, pipes, devices, sockets) go there, in byte order.
QList<QByteArray> regularFileNames(const QByteArray& directory, bool* ok, QList<QByteArray>* others = nullptr);
// The same for its subdirectories (links to directories included).
QList<QByteArray> subdirectoryNames(const QByteArray& directory, bool* ok);

// Forces the open folder's entries (renames, new links) to the disk.
void syncFolder(int folder);

}  // namespace rotation_tool
