#pragma once
// File operations of a rotation: the backup name of a replaced file, directory creation and
// single-file copies. Failures go to the rotation log, never to a message box, so an
// unattended run cannot stall on them.
#include <QString>
#include <cstddef>
#include <functional>
#include <stdexcept>

namespace rotation_tool {

class CopyError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// The name a replaced file is kept under: its extension becomes ".~" + the old extension without
// its last character (page.html -> page.~htm, b.jpg -> b.~jp); a name without extension gets ".".
QString backupFileName(const QString& target);

// Creates every missing directory of the path, outermost first. On failure the directories made
// by this call are removed again and the failure is logged. Paths of 3 characters or fewer are
// left alone (false).
bool createnewdirectory(const QString& path);

// Copies source over target. The data goes to a temporary file beside the target that is renamed
// over it, so the old target survives a copy that fails. Throws CopyError on failure. The data
// is not forced to the disk file by file: flushToDisk does that once for a whole pass.
void docopyfile(const QString& source, const QString& target);

// Forces everything written to the file system that holds the directory onto the disk, so a pass
// of copies is stored before the next pass (or the new rotation position) follows it.
void flushToDisk(const QString& directory);

// Runs work(0) .. work(count - 1) on a few worker threads and returns when all are done. The
// work must neither throw nor touch widgets.
void forEachInParallel(std::size_t count, const std::function<void(std::size_t)>& work);

}  // namespace rotation_tool
