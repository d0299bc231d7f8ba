#pragma once
// The folders a rotation's copy writes into, held open from its check to its last rename. What
// each folder is (its real path and identity, or for one that does not exist yet, the folder it
// will be made in) is taken right before the checks, and the checks judge exactly that. The copy
// then opens each folder once by walking that real path from the root without following a link,
// and writes every file relative to the open folder, never through a path looked up again: a
// folder that another program swaps for a link or another folder meanwhile is never written
// through.
#include "rotation_tool/rotation_files.h"
#include "site_manager/rotation_folders.h"

#include <QByteArray>
#include <QHash>
#include <QList>
#include <optional>

namespace rotation_tool {

class WrittenFolders {
public:
    // Takes what the folders (native, absolute, with a trailing "/") are now. They are opened in
    // this order.
    explicit WrittenFolders(const QList<QByteArray>& folders);
    ~WrittenFolders();
    WrittenFolders(const WrittenFolders&) = delete;
    WrittenFolders& operator=(const WrittenFolders&) = delete;

    // The folders as the checks are to judge them: the real path of each one that exists, and for
    // one that does not, that of the folder it will be made in followed by the names still to
    // make (trailing "/").
    QList<QByteArray> checkedPaths(const QList<QByteArray>& folders) const;

    struct Failure {
        enum Why {
            CannotMake,  // a missing folder could not be made (something else is in the way)
            CannotOpen,  // it is the folder that was checked, but it cannot be opened
            Changed,     // it is no longer the folder that was checked, or one appeared meanwhile
        } why;
        QByteArray folder;  // as given; for CannotMake, the folder asked for
    };
    // Opens every folder and makes those that do not exist, each in its open parent. Nothing on
    // success; else the first failure (the folders made so far stay until removeMade).
    std::optional<Failure> open();
    // The open folders, each once.
    QList<int> descriptors() const;
    // Gives the copy its open folder and its name there; a copy whose folder is not open gets
    // none, and then fails at its first step.
    void assign(FileCopy& copy) const;
    // The outermost open folder that its path no longer leads to (swapped or moved away since it
    // was opened); empty when every one is still in place.
    QByteArray firstChanged() const;
    // Removes the folders open made, deepest first, when they are empty.
    void removeMade();

private:
    struct Folder {
        enum Kind { Existing, Missing, NoFolder } kind = NoFolder;
        QByteArray path;  // as given, with a trailing "/"
        // Existing: as taken.
        QByteArray realPath;
        FileIdentity identity;
        // Missing: the folder it is made in, and its name there.
        qsizetype parent = -1;
        QByteArray name;
        // Once opened.
        bool tried = false;
        int descriptor = -1;
        FileIdentity opened;
    };
    qsizetype take(const QByteArray& path);
    bool openFolder(qsizetype index, const QByteArray& asked, std::optional<Failure>& failure);
    QByteArray checkedPath(qsizetype index) const;

    QList<Folder> folders_;
    QHash<QByteArray, qsizetype> byPath_;
    QList<qsizetype> given_;
    QList<qsizetype> made_;  // in the order made
};

}  // namespace rotation_tool
