#pragma once
// Writing what a build makes (pages, thumbnails): each file whole through a
// temporary file and a rename, without waiting for the disk per file; the build
// makes its output durable with one sync at the end of each step.
#include <QByteArray>
#include <QString>

// Writes data to path through a temporary file in the same directory and a
// rename; false on any failure (the temporary file is removed and an existing
// file at path stays as it was).
bool writeBuildFile(const QString& path, const QByteArray& data);

