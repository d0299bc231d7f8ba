#pragma once
// File-system operations in the shape the programs expect of the host: boolean results instead
// of exceptions, copies that can refuse to overwrite, and a recursive "shell delete".
#include <QByteArray>
#include <QString>
#include <QStringList>

namespace platform {

// Directory of the running executable, with a trailing "/".
QString executableDirectory();
// Tests run the programs' code inside a test executable: this points "the executable's
// directory" at a prepared data directory instead. An empty path restores the real one.
void setExecutableDirectoryForTesting(const QString& directory);

bool fileExists(const QString& path);       // a file, not a directory
bool directoryExists(const QString& path);
// A directory whose entries can be read and entered: one that merely exists may deny both.
bool canListDirectory(const QString& path);
bool isReadOnly(const QString& path);
bool setReadOnly(const QString& path, bool readOnly);

// Copies source to destination. With failIfExists an existing destination makes the copy fail.
// The data is written under a temporary name in the destination directory and renamed over the
// destination only when every byte reached the disk, so a copy cut short never leaves a truncated
// file behind and never harms the file it would have replaced.
bool copyFile(const QString& source, const QString& destination, bool failIfExists);
// Copies source into a hidden temporary file beside destination, each write checked, without
// waiting for the disk: the caller syncs the file system and then renames it over destination.
// Empty when the copy could not be made (nothing is left behind).
QString copyToTemporaryBeside(const QString& source, const QString& destination);
// Renames (moves) a file; fails when the destination exists.
bool renameFile(const QString& from, const QString& to);
bool deleteFile(const QString& path);
bool createDirectory(const QString& path);  // one level
bool removeDirectory(const QString& path);  // an empty directory

// Writes data to path through a temporary file that reaches the disk before it is renamed over
// path; false on any failure, with the old file at path left as it was.
bool writeFileAtomically(const QString& path, const QByteArray& data);

// Flushes everything written to the file system that holds directory (one wait for the disk for
// many files); false when it cannot.
bool syncFileSystemOf(const QString& directory);
// Makes the renames and links made in directory durable.
void syncDirectory(const QString& directory);

// Lines of a text file (CR LF, LF or CR ends, read as decodeFileText reads it), empty when the
// file cannot be read.
QStringList readTextLines(const QString& path);
// Writes lines with CR LF ends; false when the file cannot be written.
bool writeTextLines(const QString& path, const QStringList& lines);

}  // namespace platform
