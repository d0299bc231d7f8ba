#pragma once
// What of a built rotation goes live, and in which order: the files of the rotation directory
// itself, those of its "thumbs" folder, and the files of other sub-folders that its pages refer to
// (their stylesheets and images), at the same place below the live directory. Nothing else of a
// sub-folder goes live: a rotation directory may be the site directory, holding the site's other
// rotations and the user's own folders beside the gallery.
#include "rotation_tool/rotation_files.h"

#include <QByteArray>
#include <QList>

namespace rotation_tool {

// The passes in which a rotation's files go live: thumbnails, then every other file that is not a
// page, then the pages, so that no live page ever points at a file that is not there yet.
enum RotationPass { kThumbnailPass = 0, kFilePass = 1, kPagePass = 2 };

// A file of the rotation that stays out, and why: it is, or lies in, a symbolic link that leads out
// of the rotation directory or nowhere, or it is no regular file.
struct StrayFile {
    enum Why { OutsideRotation, InLiveDirectory, InOtherRotation, DanglingLink, NotARegularFile };
    QByteArray path;      // as the rotation names it (native)
    QByteArray realPath;  // every link resolved; for a link that leads nowhere, where it leads
    Why why;
};

// The entries of a directory: its regular files (links to them included) and the entries that
// are neither regular files nor directories, by their names as stored.
struct DirectoryEntries {
    QList<QByteArray> files;
    QList<QByteArray> others;
};

struct RotationContents {
    QList<FileCopy> copies;  // by pass, each with the real path and identity it was checked with
    // Sub-folders of the rotation that could not be listed (native paths).
    QList<QByteArray> unreadable;
    // Files left out because they do not really lie in the rotation or are no regular files.
    QList<StrayFile> strays;
};

// The copies of a rotation directory into the live directory (both native, with a trailing "/").
// The entries of the rotation directory itself are given (as the window lists them). No file is
// taken from inside the live directory or from inside one of the site's rotation directories
// (otherRotations, native) other than this one, whatever path a page gives; nor any file whose
// real path, every link resolved, lies anywhere but in this rotation directory, nor anything but
// a regular file: each of those is a stray.
RotationContents rotationContents(const QByteArray& source, const QByteArray& live, const DirectoryEntries& topLevel,
                                  const QList<QByteArray>& otherRotations);

// The folders the copies write into: each target's directory, each once.
QList<QByteArray> foldersWrittenInto(const QList<FileCopy>& copies);

}  // namespace rotation_tool
