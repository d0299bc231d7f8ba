#pragma once
// File and directory helpers of the site store: directory creation with clean-up, deletion with
// read-only handling, copying with an overwrite question, and whole-tree removal. Every failure is
// reported to the user in a warning box.
#include <QString>
#include <QStringList>

// Creates every missing directory of the path as storedPathOnDisk reads it, outermost first. When
// one cannot be created, the ones created by this call are removed again and the user is told.
// The root is never created.
bool createnewdirectory(const QString& path);
// Nothing, the root, or a drive's root as another system writes it ("C:\"): never created, and
// no failure to tell.
bool namesNoFolderToCreate(const QString& path);
// The same as createnewdirectory without telling anyone: false when a directory could not be made (none is left behind).
bool createDirectoryPath(const QString& path);
// True when both paths name one existing file (same device and inode), however they are spelt.
bool sameFile(const QString& a, const QString& b);

enum class Removal {
    Allowed,   // nothing stands in the way
    Declined,  // the user answered No: no error to report
    Failed,    // refused, and the user has been told
};
// A read-only file is removed or replaced only after the user agrees; its flag is then cleared.
Removal allowRemoval(const QString& fileName);

// Deletes one file, asking first when it is read-only. A missing file counts as deleted. False
// when it was not deleted; a declined question shows no error.
bool dodeletefile(const QString& fileName, bool overwriting);

enum class CopyOutcome { Copied, Declined, Failed };
// Copies one file. An existing destination is replaced only after the user agrees (when ask, and
// when it is read-only), and only by rename once the copy is whole: it is never deleted first.
// A file is never copied onto itself (that counts as copied). Failed tells nobody.
CopyOutcome copyReplacing(const QString& source, const QString& destination, bool ask);
// The same, with the warning box for a failed copy.
void docopyfile(const QString& source, const QString& destination, bool ask);
// Deletes the one directory tree named, as storedPathOnDisk reads it; the root or another very
// short path is never touched. A folder mounted inside it stays with everything in it; whatever
// stays is named in a warning box.
void dodeletedir(const QString& directory);
