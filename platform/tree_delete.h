#pragma once
// The one way a folder tree is deleted. It stays on the file system it starts on: a folder (or
// file) mounted anywhere inside is neither entered nor removed, so a drive, a share or a bind
// mount of another folder keeps everything in it. Symbolic links are removed, never followed.
#include <QString>
#include <QStringList>

namespace platform {

struct TreeDeletion {
    bool found = false;      // something stood at the path
    QStringList mountsKept;  // mount points inside, kept with everything in them
    QStringList failures;    // entries that could not be read or removed (the innermost ones)
    bool whole() const { return found && mountsKept.isEmpty() && failures.isEmpty(); }
};

// Deletes the file, link or folder tree at an absolute path; a relative path is never deleted
// (it would be the working directory's). The folders in the path before its last name are
// followed as they are; from there on every name is opened relative to its folder, without
// following links, so a folder swapped for a link during the delete leads nowhere else.
TreeDeletion deleteTree(const QString& path);

}  // namespace platform
