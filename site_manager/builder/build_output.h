#pragma once
// Writing what a build makes (pages, thumbnails, buttons): each file whole through a temporary
// file and a rename, without waiting for the disk per file. A build step leaves its files in the
// step's batch, which syncs once and only then replaces the step's targets.
#include <QByteArray>
#include <QString>

namespace platform {
class ReplacementBatch;
}

// Writes data for path through a temporary file in the same directory: left closed in step, which
// places it, or (no step) synced and renamed over path at once. False on any failure (the temporary file is
// removed and an existing file at path stays as it was).
bool writeBuildFile(const QString& path, const QByteArray& data, platform::ReplacementBatch* step = nullptr);

// Removes the temporary files that a build or copy which never finished left in directory (not
// below it), so that they are not published with the gallery. Links and an empty directory name
// are left alone.
void removeLeftoverTemporaries(const QString& directory);

