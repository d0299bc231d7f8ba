#pragma once
// What of a built rotation goes live, and in which order: every regular file of the rotation
// directory and of all its subdirectories, at the same place below the live directory.
#include "rotation_tool/rotation_files.h"

#include <QByteArray>
#include <QList>

namespace rotation_tool {

// The passes in which a rotation's files go live: thumbnails, then every other file that is not a
// page, then the pages, so that no live page ever points at a file that is not there yet.
enum RotationPass { kThumbnailPass = 0, kFilePass = 1, kPagePass = 2 };

struct RotationContents {
    QList<FileCopy> copies;  // by pass
    // Subdirectories of the rotation that could not be listed (native paths).
    QList<QByteArray> unreadable;
};

// The copies of a rotation directory into the live directory (both native, with a trailing "/").
// The files of the rotation directory itself are given (as the window lists them); its
// subdirectories are walked here. A directory reached twice through links, and the live
// directory when it lies inside the rotation, are left out.
RotationContents rotationContents(const QByteArray& source, const QByteArray& live,
                                  const QList<QByteArray>& topLevelFiles);

}  // namespace rotation_tool
