#pragma once
// File names that are not valid UTF-8. Qt's directory listings leave such names out (no QString
// can name the file again), so whoever lists a directory for the user asks here what is missing.
#include <QString>
#include <QStringList>

namespace platform {

// The files (not directories) in directory whose names are not valid UTF-8, sorted, each shown
// with a replacement character for every byte that cannot be read; empty when there are none or
// the directory cannot be read.
QStringList undecodableFileNames(const QString& directory);

}  // namespace platform
